#include "platform/sim/SimCodePage.h"

#include <array>

#include "platform/RegistryOps.h"
#include "platform/TextFile.h"

namespace {
// 0x80-0x9F of Windows-1252; the five unassigned bytes map to the same code point, as
// MultiByteToWideChar does.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t ByteToWide(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : static_cast<char16_t>(byte);
}

bool WideToByte(char16_t c, unsigned char& byte) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    byte = static_cast<unsigned char>(c);
    return true;
  }
  for (size_t i = 0; i < kHigh.size(); ++i) {
    if (kHigh[i] == c) {
      byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }
}  // namespace

std::u16string SimCodePage::ToWide(const std::string& ansi) {
  return identifier == codepage::kUtf8 ? Utf8Text(Bytes(ansi.begin(), ansi.end()))
                                       : Cp1252ToWide(ansi);
}

long SimCodePage::FromWide(const std::u16string& wide, uint32_t flags, bool* usedDefault,
                           std::string& ansi) {
  ansi.clear();
  if (identifier == codepage::kUtf8) {
    if ((flags & codepage::kNoBestFitChars) != 0) return codepage::kInvalidFlags;
    if (usedDefault != nullptr) return codepage::kInvalidParameter;
    ansi = WideToUtf8(wide);
    return 0;
  }
  bool lossy = false;
  ansi = WideToCp1252(wide, lossy);
  if (usedDefault != nullptr) *usedDefault = lossy;
  return 0;
}

std::string SimCodePage::Upper(const std::string& text) {
  return identifier == codepage::kUtf8 ? UpperAscii(text) : Cp1252Upper(text);
}

std::u16string Cp1252ToWide(const std::string& ansi) {
  std::u16string wide;
  wide.reserve(ansi.size());
  for (char c : ansi) wide += ByteToWide(static_cast<unsigned char>(c));
  return wide;
}

std::string WideToCp1252(const std::u16string& wide, bool& lossy) {
  lossy = false;
  std::string ansi;
  for (size_t i = 0; i < wide.size(); ++i) {
    unsigned char byte = 0;
    if (WideToByte(wide[i], byte)) {
      ansi += static_cast<char>(byte);
      continue;
    }
    lossy = true;
    ansi += '?';
    // A surrogate pair is one character and gives one '?'.
    if (IsSurrogate(wide[i]) && i + 1 < wide.size() && IsSurrogate(wide[i + 1])) ++i;
  }
  return ansi;
}

std::string Cp1252Upper(const std::string& text) {
  std::string result = text;
  for (char& c : result) {
    const auto byte = static_cast<unsigned char>(c);
    unsigned char upper = byte;
    if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)) {
      upper = static_cast<unsigned char>(byte - 0x20);
    } else if (byte == 0x9A || byte == 0x9C || byte == 0x9E) {
      upper = static_cast<unsigned char>(byte - 0x10);  // š œ ž -> Š Œ Ž
    } else if (byte == 0xFF) {
      upper = 0x9F;  // ÿ -> Ÿ
    }
    c = static_cast<char>(upper);
  }
  return result;
}

char16_t FoldWide(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
      (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F)) {
    return static_cast<char16_t>(c - 0x20);
  }
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  // Latin Extended-A pairs a capital with the small letter after it (Ā ā, Ĺ ĺ, Ŵ ŵ, Ź ź).
  const bool oddSmall = (c >= 0x101 && c <= 0x137 && c != 0x131) || (c >= 0x14B && c <= 0x177);
  const bool evenSmall = (c >= 0x13A && c <= 0x148) || (c >= 0x17A && c <= 0x17E);
  if ((oddSmall && (c & 1) != 0) || (evenSmall && (c & 1) == 0)) {
    return static_cast<char16_t>(c - 1);
  }
  if (c == 0xFF) return 0x178;
  return c;
}

std::u16string FoldWide(const std::u16string& text) {
  std::u16string result = text;
  for (char16_t& c : result) c = FoldWide(c);
  return result;
}
