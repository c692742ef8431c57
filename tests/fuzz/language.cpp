// The language file, which a user may replace with any translation: looked up by the
// private-profile rules for a few of the program's own keys and for a section and key named by
// the input's first line.
#include "FuzzMachine.h"
#include "platform/LanguageFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = FuzzText(data, size);
  for (const auto& [section, key] : {std::pair{"Main", "Title"},
                                     {"Undo", "UserFileRefused"},
                                     {"Categories", "ActiveX"},
                                     {"", ""}}) {
    ProfileString(text, section, key, "fallback");
  }
  const size_t end = text.find('\n');
  const std::string first = text.substr(0, end);
  const size_t equals = first.find('=');
  if (equals != std::string::npos) {
    ProfileString(text, first.substr(0, equals), first.substr(equals + 1), "");
  }
  return 0;
}
