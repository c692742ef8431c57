// Registry-script text: the headers, key and value lines, the escaping of quoted names and data,
// the one table of value types and their script forms, and the parser that turns a script back
// into the operations the registry editor performs on import.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Types.h"

inline constexpr std::string_view kRegedit4Header = "REGEDIT4";
inline constexpr std::string_view kRegedit5Header = "Windows Registry Editor Version 5.00";

// How a script file stores its text, which also decides how hex(1), hex(2) and hex(7) bytes are
// read: UTF-16LE code units in a UTF-16 file, ANSI bytes in a single-byte file.
enum class ScriptEncoding { Ansi, Utf16 };

// Raised by the line writers below for a key path or value name that holds a control character:
// its line would break in two and the rest be read as a line of its own, so it is never written.
class UnscriptableName : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Backslash doubled, double quote as backslash + double quote; nothing else changes.
std::string EscapeScriptText(std::string_view text);

// "[" + root name + path + "]", the path as callers write it (with its leading backslash). These
// writers, and ValueLine, throw UnscriptableName rather than write a control character.
std::string KeyLine(RootKey root, std::string_view path);
// "[-" + root name + path + "]": on import deletes the key and everything below it.
std::string DeleteKeyLine(RootKey root, std::string_view path);
// "@" for the default value (empty name), otherwise the escaped name in double quotes.
std::string ValueNameText(std::string_view name);
// name=- (on import deletes the value).
std::string DeleteValueLine(std::string_view name);

// One value of a UTF-16 script as a single line that re-imports to the same type and the same
// bytes, however long and whatever characters it holds: a plain string in quotes, a DWORD as
// dword:, everything else as hex: or hex(N): with upper-case digits. stored are the bytes as
// the registry stores them (RegQueryValueExW: text types in UTF-16LE).
std::u16string ValueLine(std::u16string_view name, uint32_t type, const Bytes& stored);
// One value as the registry editor exports it to a UTF-16 file: lower-case digits, hex lists
// wrapped near 80 columns with a backslash and a two-space indent. One or more lines.
WideList ExportValueLines(std::u16string_view name, uint32_t type, const Bytes& stored);

enum class ScriptVersion { Invalid, Regedit4, Regedit5 };

// The version a script's first line declares; Invalid for anything else.
ScriptVersion ScriptHeaderVersion(std::u16string_view line);

struct ScriptOp {
  enum class Kind { Key, DeleteKey, SetValue, DeleteValue };
  Kind kind = Kind::Key;
  RootKey root = RootKey::CurrentUser;
  std::string path;  // below the root, no leading backslash; "" for the root itself
  std::string name;  // value name, "" for the default value
  uint32_t type = 0;
  Bytes data;  // as the registry stores it: text types in UTF-16LE
};

struct ParsedScript {
  ScriptVersion version = ScriptVersion::Invalid;  // Invalid: nothing is imported
  std::vector<ScriptOp> ops;
  // Lines the registry editor skips silently: malformed ones, values without an open key.
  std::vector<size_t> skippedLines;  // 1-based line numbers
};

// Parses script text (already decoded). encoding is the file's, see ScriptEncoding.
ParsedScript ParseScript(std::u16string_view text, ScriptEncoding encoding);
// Parses a script file's bytes the way the registry editor reads them: FF FE starts UTF-16LE,
// anything else is the ANSI code page (so a UTF-8 file with a byte-order mark has no valid
// header and imports nothing).
ParsedScript ParseScriptFile(const Bytes& file);
