// The simulation's ANSI code page: Windows-1252, or UTF-8 (65001) with the rules Windows
// documents for it. Conversions and CharUpperBuffA's letters.
#pragma once

#include <string>

#include "platform/CodePage.h"
#include "platform/TextFile.h"

// The conversions themselves, shared with the simulated registry's name handling.
std::u16string Cp1252ToWide(const std::string& ansi);
// Characters outside Windows-1252 become '?' and set lossy.
std::string WideToCp1252(const std::u16string& wide, bool& lossy);
std::string Cp1252Upper(const std::string& text);
// Upper-casing of one UTF-16 unit for case-insensitive names (Latin, Greek and Cyrillic).
char16_t FoldWide(char16_t c);
std::u16string FoldWide(const std::u16string& text);

class SimCodePage : public CodePage {
 public:
  // Windows-1252 unless a test switches the system to UTF-8.
  uint32_t identifier = 1252;

  uint32_t Identifier() override { return identifier; }
  std::u16string ToWide(const std::string& ansi) override;
  // Under UTF-8, refuses WC_NO_BEST_FIT_CHARS (1004) and a used-default pointer (87) as
  // Windows does.
  long FromWide(const std::u16string& wide, uint32_t flags, bool* usedDefault,
                std::string& ansi) override;
  // Under UTF-8 only ASCII letters change: a byte of a longer sequence is never a letter.
  std::string Upper(const std::string& text) override;
};
