// The text of the lines a key repair writes: FixScript entries and detail lines.
#pragma once

#include <string>

#include "platform/LanguageFile.h"
#include "platform/Roots.h"

// "[-HKEY_CLASSES_ROOT\path]"
inline std::string DeleteKeyLine(RootKey root, const std::string& path) {
  return "[-" + std::string(RootKeyName(root)) + path + "]";
}
// "[HKEY_CLASSES_ROOT\path]"
inline std::string KeyLine(RootKey root, const std::string& path) {
  return "[" + std::string(RootKeyName(root)) + path + "]";
}
// "[HKCR]" + text + " ... " + the language text Fix/key, read now.
inline std::string DetailLine(RootKey root, const std::string& text, const std::string& key) {
  return std::string(RootTag(root)) + text + " ... " + LanguageText("Fix", key, key);
}
