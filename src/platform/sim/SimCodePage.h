// Windows-1252, the simulation's ANSI code page: conversions and CharUpperBuffA's letters.
#pragma once

#include <string>

#include "platform/CodePage.h"

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
  std::u16string ToWide(const std::string& ansi) override { return Cp1252ToWide(ansi); }
  std::string ToAnsi(const std::u16string& wide, bool& lossy) override {
    return WideToCp1252(wide, lossy);
  }
  std::string Upper(const std::string& text) override { return Cp1252Upper(text); }
};
