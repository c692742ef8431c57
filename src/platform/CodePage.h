// The ANSI code page: conversions to and from UTF-16 and its own upper-casing rules.
// On Windows the system's code page (GetACP); in the simulation Windows-1252.
#pragma once

#include <string>

class CodePage {
 public:
  virtual ~CodePage() = default;
  virtual std::u16string ToWide(const std::string& ansi) = 0;
  // Characters the code page cannot hold become '?' (or a best-fit letter) and lossy is set.
  virtual std::string ToAnsi(const std::u16string& wide, bool& lossy) = 0;
  // Locale-aware upper-casing (CharUpperBuffA): accented letters too.
  virtual std::string Upper(const std::string& text) = 0;
};
