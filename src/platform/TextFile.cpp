#include "platform/TextFile.h"

#include <algorithm>
#include <utility>

#include "platform/Platform.h"

// A malformed sequence gives U+FFFD, characters above U+FFFF a surrogate pair.
std::u16string Utf8Text(const Bytes& data, size_t start) {
  std::u16string text;
  size_t i = start;
  while (i < data.size()) {
    const uint8_t lead = data[i++];
    uint32_t code = lead;
    size_t extra = 0;
    if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      code = lead & 0x07u;
    } else if (lead >= 0xE0) {
      extra = lead <= 0xEF ? 2 : 0;
      code = lead & 0x0Fu;
    } else if (lead >= 0xC2) {
      extra = 1;
      code = lead & 0x1Fu;
    } else if (lead >= 0x80) {
      text += u'\xFFFD';
      continue;
    }
    if (lead >= 0xF5) {
      text += u'\xFFFD';
      continue;
    }
    size_t taken = 0;
    while (taken < extra && i < data.size() && (data[i] & 0xC0) == 0x80) {
      code = code << 6 | (data[i++] & 0x3Fu);
      ++taken;
    }
    const uint32_t minimum = extra == 3 ? 0x10000 : extra == 2 ? 0x800 : 0;
    if (taken < extra || code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      text += u'\xFFFD';
    } else if (code >= 0x10000) {
      code -= 0x10000;
      text += static_cast<char16_t>(0xD800 + (code >> 10));
      text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      text += static_cast<char16_t>(code);
    }
  }
  return text;
}

std::u16string Utf16LeText(const Bytes& data, size_t start) {
  std::u16string text;
  text.reserve(data.size() / 2);
  for (size_t i = start; i + 1 < data.size(); i += 2) {
    text += static_cast<char16_t>(data[i + 1] << 8 | data[i]);
  }
  return text;
}

namespace {
void AppendUtf16Le(Bytes& bytes, std::u16string_view text) {
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
}
}  // namespace

Bytes Utf16LeBytes(std::u16string_view text) {
  Bytes bytes;
  bytes.reserve(text.size() * 2);
  AppendUtf16Le(bytes, text);
  return bytes;
}

Bytes Utf16LeLines(const WideList& lines, size_t first, size_t end) {
  end = std::min(end, lines.size());
  size_t size = 0;
  for (size_t i = first; i < end; ++i) size += Utf16LeLineBytes(lines[i]);
  Bytes data;
  data.reserve(size);
  for (size_t i = first; i < end; ++i) {
    AppendUtf16Le(data, lines[i]);
    AppendUtf16Le(data, u"\r\n");
  }
  return data;
}

Bytes Utf16LeFile(const WideList& lines, size_t end) {
  Bytes data = {0xFF, 0xFE};
  const Bytes text = Utf16LeLines(lines, 0, end);
  data.insert(data.end(), text.begin(), text.end());
  return data;
}

namespace {

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(char32_t c, std::string& utf8) {
  const auto byte = [&](char32_t b) { utf8 += static_cast<char>(b); };
  if (c < 0x80) {
    byte(c);
  } else if (c < 0x800) {
    byte(0xC0 | c >> 6);
    byte(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    byte(0xE0 | c >> 12);
    byte(0x80 | (c >> 6 & 0x3F));
    byte(0x80 | (c & 0x3F));
  } else {
    byte(0xF0 | c >> 18);
    byte(0x80 | (c >> 12 & 0x3F));
    byte(0x80 | (c >> 6 & 0x3F));
    byte(0x80 | (c & 0x3F));
  }
}

std::u16string Utf16BeText(const Bytes& data) {
  std::u16string text;
  text.reserve(data.size() / 2);
  for (size_t i = 2; i + 1 < data.size(); i += 2) {
    text += static_cast<char16_t>(data[i] << 8 | data[i + 1]);
  }
  return text;
}

}  // namespace

bool ReadTextFile(const std::string& path, std::u16string& text) {
  Bytes data;
  if (!Files().ReadAll(path, data)) return false;
  text = DecodeText(data);
  return true;
}

std::u16string DecodeText(const Bytes& data) {
  if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE) return Utf16LeText(data, 2);
  if (data.size() >= 2 && data[0] == 0xFE && data[1] == 0xFF) return Utf16BeText(data);
  if (data.size() >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
    return Utf8Text(data, 3);
  }
  return Ansi().ToWide(std::string(data.begin(), data.end()));
}

Bytes EncodedLike(const Bytes& file, const std::u16string& text) {
  if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE) return Utf16LeBytes(text);
  if (file.size() >= 2 && file[0] == 0xFE && file[1] == 0xFF) {
    Bytes bytes = Utf16LeBytes(text);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    return bytes;
  }
  if (file.size() >= 3 && file[0] == 0xEF && file[1] == 0xBB && file[2] == 0xBF) {
    const std::string utf8 = WideToUtf8(text);
    return Bytes(utf8.begin(), utf8.end());
  }
  bool lossy = false;
  const std::string ansi = Ansi().ToAnsi(text, lossy);
  return Bytes(ansi.begin(), ansi.end());
}

WideList SplitLines(const std::u16string& text) {
  WideList lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
  }
  return lines;
}

std::string WideToUtf8(const std::u16string& wide) {
  std::string utf8;
  for (size_t i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (IsHighSurrogate(wide[i]) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    } else if (IsSurrogate(wide[i])) {
      c = kReplacement;
    }
    AppendUtf8(c, utf8);
  }
  return utf8;
}

std::u16string TextUpToNul(const Bytes& stored) {
  std::u16string text = Utf16LeText(stored);
  if (size_t nul = text.find(u'\0'); nul != std::u16string::npos) text.resize(nul);
  return text;
}
