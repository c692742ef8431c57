// The one table of the three registry roots and their names in script lines, detail lines and
// the registry editor's key paths.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Types.h"

struct RootInfo {
  RootKey root;
  std::string_view name;      // "HKEY_CLASSES_ROOT"
  std::string_view shortTag;  // "[HKCR]" (detail lines)
};

// Every root, in handle order.
extern const RootInfo kRoots[4];

// "HKEY_CLASSES_ROOT"...; empty for any other value.
std::string_view RootKeyName(RootKey root);
// "[HKCR]"...; empty for any other value.
std::string_view RootTag(RootKey root);
// A key or value as the user reads it in messages: "HKEY_CLASSES_ROOT\\.xyz",
// "HKEY_CURRENT_USER\\Software\\Run, value \"Tool\"" (a leading backslash of path is dropped).
std::string KeyDisplayName(RootKey root, std::string_view path);
std::string ValueDisplayName(RootKey root, std::string_view path, std::string_view name);
// The root whose long name is given, compared without regard to case.
std::optional<RootKey> RootFromName(std::string_view name);
