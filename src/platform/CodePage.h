// The ANSI code page: conversions to and from UTF-16 and its own upper-casing rules.
// On Windows the system's code page (GetACP); in the simulation Windows-1252 or UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace codepage {
inline constexpr uint32_t kUtf8 = 65001;
// WC_NO_BEST_FIT_CHARS: characters without an exact match become the default character.
inline constexpr uint32_t kNoBestFitChars = 0x400;
// What WideCharToMultiByte reports under UTF-8 for the flag and the used-default pointer.
inline constexpr long kInvalidFlags = 1004;
inline constexpr long kInvalidParameter = 87;
}  // namespace codepage

class CodePage {
 public:
  virtual ~CodePage() = default;
  // GetACP.
  virtual uint32_t Identifier() = 0;
  // MultiByteToWideChar(CP_ACP, 0): the whole text, NULs included.
  virtual std::u16string ToWide(const std::string& ansi) = 0;
  // WideCharToMultiByte(CP_ACP, flags, ..., usedDefault) over the whole text: a Win32 status.
  // usedDefault may be null, as the call's pointer may.
  virtual long FromWide(const std::u16string& wide, uint32_t flags, bool* usedDefault,
                        std::string& ansi) = 0;
  // Locale-aware upper-casing (CharUpperBuffA): accented letters too.
  virtual std::string Upper(const std::string& text) = 0;

  // The code page's text for wide. lossy is set when it is not the same text: characters the
  // code page cannot hold (they become '?'), and ill-formed UTF-16 under UTF-8.
  std::string ToAnsi(const std::u16string& wide, bool& lossy);
  // A registry name in the code page: status::kNoUnicodeTranslation when it does not survive
  // the conversion, since the single-byte calls would then name another key or value, and
  // status::kInvalidName when it holds a control character, which a registry script could not
  // carry on its line. Either way the name is never listed, so nothing acts on it.
  long ToAnsiName(const std::u16string& wide, std::string& name);
};
