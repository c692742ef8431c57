// The detail line of a key repair: "[HKCR]" + what was repaired + " ... " + the language text.
#pragma once

#include <algorithm>
#include <string>

#include "engine/RegistryView.h"
#include "platform/LanguageFile.h"
#include "platform/RegScript.h"
#include "platform/Roots.h"

// String data as stored, up to its terminating NUL.
inline std::string StringData(const Bytes& data) {
  const auto end = std::find(data.begin(), data.end(), uint8_t{0});
  return std::string(data.begin(), end);
}

// The text under Fix/key is read at the moment the line is made; key is also its default. text
// names the key as a program of the view does, and the tag says which view it is:
// "[HKCR 32-bit]\CLSID\{G} ... deleted".
inline std::string DetailLine(const RegistryView& view, RootKey root, const std::string& text,
                              const std::string& key) {
  return view.Tag(root) + text + " ... " + LanguageText("Fix", key, key);
}

inline std::string DetailLine(RootKey root, const std::string& text, const std::string& key) {
  return DetailLine(k64BitView, root, text, key);
}
