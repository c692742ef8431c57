#include "ui/AccessKeys.h"

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
bool Markable(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
}  // namespace

std::string WithAccessKey(const std::string& caption, const std::string& taken) {
  std::string out;
  bool marked = false;
  for (char c : caption) {
    if (c == '&') {
      out += "&&";
      continue;
    }
    if (!marked && Markable(c) && taken.find(Lower(c)) == std::string::npos) {
      out += '&';
      marked = true;
    }
    out += c;
  }
  return out;
}

char AccessKeyOf(const std::string& marked) {
  for (size_t i = 0; i + 1 < marked.size(); ++i) {
    if (marked[i] != '&') continue;
    if (marked[i + 1] != '&') return Lower(marked[i + 1]);
    ++i;
  }
  return 0;
}
