// Which copy of the redirected registry keys a check walks. On 64-bit Windows a 32-bit program
// registers its classes, interfaces, machine-wide Run entries and uninstall entries in a second
// copy of those keys below "Wow6432Node"; this program, being 64-bit, addresses that copy by its
// physical path. Shared keys (type libraries, extensions, program identifiers) have one copy.
#pragma once

#include <string>
#include <string_view>

#include "platform/Paths.h"
#include "platform/Types.h"

struct RegistryView {
  // "" for the 64-bit keys, "Wow6432Node" for the 32-bit copies.
  std::string_view node;
  // How a file named by an entry of this view is judged.
  ProgramKind programs;

  bool Is32Bit() const { return programs == ProgramKind::k32Bit; }
  // The physical path of a key of this view, given as a 64-bit program names it: the node goes
  // first below HKEY_CLASSES_ROOT and after "\SOFTWARE" below the other roots.
  // "\CLSID\{G}" -> "\Wow6432Node\CLSID\{G}"; "\SOFTWARE\Microsoft" ->
  // "\SOFTWARE\Wow6432Node\Microsoft".
  std::string KeyPath(RootKey root, const std::string& path) const;
  // Whether this machine has this view's copy of root's redirected keys: the 32-bit copy exists
  // only on 64-bit Windows.
  bool ExistsFor(RootKey root) const;
  // The detail line's root tag: "[HKCR]" in the 64-bit view, "[HKCR 32-bit]" in the other.
  std::string Tag(RootKey root) const;
};

// Whether a key at the root of the classes keys is the 32-bit view's own node. It holds that
// view's copy of the classes and is never a class key, program identifier or extension itself.
bool IsViewNode(const std::string& name);

inline constexpr RegistryView k64BitView{"", ProgramKind::k64Bit};
inline constexpr RegistryView k32BitView{"Wow6432Node", ProgramKind::k32Bit};
