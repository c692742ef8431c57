// The detail line of a key repair: "[HKCR]" + what was repaired + " ... " + the language text.
#pragma once

#include <string>

#include "platform/LanguageFile.h"
#include "platform/RegScript.h"
#include "platform/Roots.h"

// The text under Fix/key is read at the moment the line is made; key is also its default.
inline std::string DetailLine(RootKey root, const std::string& text, const std::string& key) {
  return std::string(RootTag(root)) + text + " ... " + LanguageText("Fix", key, key);
}
