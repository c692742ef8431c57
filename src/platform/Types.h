// Shared vocabulary of the platform layer: roots, text lists, status codes, value types.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

// One of the three predefined registry roots, as its handle value.
enum class RootKey : uint32_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  // Every loaded user hive, each below its SID; HKEY_CURRENT_USER is the running user's.
  Users = 0x80000003u,
};

// Whether text holds a character below 0x20 (a line break, a tab, a NUL...).
template <typename Text>
bool HoldsControlCharacter(const Text& text) {
  for (auto c : text) {
    if (static_cast<uint32_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c)) < 0x20) {
      return true;
    }
  }
  return false;
}

// Ordered single-byte (ANSI code page) text lines.
using TextList = std::vector<std::string>;
// Ordered UTF-16 text lines (the undo journal).
using WideList = std::vector<std::u16string>;
using Bytes = std::vector<uint8_t>;

// Win32 status codes the program tells apart.
namespace status {
inline constexpr long kSuccess = 0;
inline constexpr long kFileNotFound = 2;
inline constexpr long kPathNotFound = 3;
inline constexpr long kAccessDenied = 5;
inline constexpr long kInvalidHandle = 6;
inline constexpr long kNotEnoughMemory = 8;
inline constexpr long kSharingViolation = 32;
inline constexpr long kFileExists = 80;
inline constexpr long kAlreadyExists = 183;
inline constexpr long kDiskFull = 112;
inline constexpr long kMoreData = 234;
inline constexpr long kNoMoreItems = 259;
inline constexpr long kFileTooLarge = 223;          // ERROR_FILE_TOO_LARGE
inline constexpr long kCantResolveFilename = 1921;  // too many links in a row
// A name that the ANSI code page cannot hold without change.
inline constexpr long kNoUnicodeTranslation = 1113;
// A name holding a control character (below 0x20): no script line can carry it.
inline constexpr long kInvalidName = 123;
inline constexpr long kFileNameTooLong = 206;  // ERROR_FILENAME_EXCED_RANGE
}  // namespace status

// Registry value types.
namespace regtype {
inline constexpr uint32_t kNone = 0;
inline constexpr uint32_t kSz = 1;
inline constexpr uint32_t kExpandSz = 2;
inline constexpr uint32_t kBinary = 3;
inline constexpr uint32_t kDword = 4;
inline constexpr uint32_t kMultiSz = 7;
inline constexpr uint32_t kQword = 11;
}  // namespace regtype

// Access masks used when opening a key.
namespace keyaccess {
inline constexpr uint32_t kAllAccess = 0xF003F;
inline constexpr uint32_t kRead = 0x20019;
inline constexpr uint32_t kReadEnumerate = 0x20009;  // STANDARD_RIGHTS_READ | QUERY | ENUMERATE
inline constexpr uint32_t kQueryValue = 0x0001;
}  // namespace keyaccess

// File attributes.
namespace fileattr {
inline constexpr uint32_t kReadOnly = 0x01;
inline constexpr uint32_t kHidden = 0x02;
inline constexpr uint32_t kSystem = 0x04;
inline constexpr uint32_t kDirectory = 0x10;
inline constexpr uint32_t kArchive = 0x20;
// A link, junction or mount point: what lies behind it is not where its path says.
inline constexpr uint32_t kReparsePoint = 0x400;
inline constexpr uint32_t kInvalid = 0xFFFFFFFFu;
// What a path's attributes (kInvalid when they could not be read) say it names.
inline bool NameAFile(uint32_t attributes) {
  return attributes != kInvalid && (attributes & kDirectory) == 0;
}
inline bool NameAFolder(uint32_t attributes) {
  return attributes != kInvalid && (attributes & kDirectory) != 0;
}
}  // namespace fileattr
