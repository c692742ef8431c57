// The expansion of %NAME% variables in a text, as Windows does it, over any set of variables.
#pragma once

#include <string>

// %NAME% pairs replaced by lookup's answer where it has one (a non-null pointer); an unknown
// name stays with its percent signs and the text goes on after it, as Windows expands.
template <typename Lookup>
std::string ExpandVariables(const std::string& text, Lookup lookup) {
  std::string result;
  size_t from = 0;
  while (from < text.size()) {
    const size_t open = text.find('%', from);
    const size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) break;
    result.append(text, from, open - from);
    if (const std::string* value = lookup(text.substr(open + 1, close - open - 1))) {
      result += *value;
      from = close + 1;
    } else {
      result += '%';
      from = open + 1;
      result.append(text, from, close - from);
      from = close;
    }
  }
  result.append(text, from, std::string::npos);
  return result;
}
