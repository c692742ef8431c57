#include "platform/CodePage.h"

#include <utility>

#include "platform/Types.h"

// Without best-fit letters, so "Ā" never silently becomes "A"; the round trip catches the rest
// (code pages where the default character itself is not reported). Under UTF-8 Windows refuses
// both the flag and the used-default pointer, and only the round trip can tell a loss.
std::string CodePage::ToAnsi(const std::u16string& wide, bool& lossy) {
  lossy = false;
  if (wide.empty()) return {};
  std::string ansi;
  bool usedDefault = false;
  const long result = Identifier() == codepage::kUtf8
                          ? FromWide(wide, 0, nullptr, ansi)
                          : FromWide(wide, codepage::kNoBestFitChars, &usedDefault, ansi);
  lossy = result != 0 || usedDefault || ToWide(ansi) != wide;
  return ansi;
}

long CodePage::ToAnsiName(const std::u16string& wide, std::string& name) {
  if (HoldsControlCharacter(wide)) return status::kInvalidName;
  bool lossy = false;
  std::string ansi = ToAnsi(wide, lossy);
  if (lossy) return status::kNoUnicodeTranslation;
  name = std::move(ansi);
  return status::kSuccess;
}
