#include "platform/LanguageFile.h"

#include <optional>
#include <string_view>

#include "platform/Platform.h"

namespace {

// GetPrivateProfileStringA is always called with a 2048-byte buffer.
constexpr size_t kMaxText = 2047;

// The reader counts ^Z (DOS end of file) as a blank besides the C blanks; not the
// non-breaking space.
bool IsBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r') || c == 0x1A; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && IsBlank(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// Names match without regard to ASCII case only: the system reader keeps accented letters as
// they are.
unsigned char Fold(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The copy into the caller's buffer: one pair of enclosing quotes goes, the text is cut to the
// buffer. Like the system reader, the closing quote is only dropped when it fit the buffer, so
// a quoted value of exactly 2047 inner characters loses its last one.
std::string CopyEntry(std::string_view value) {
  bool quoted = false;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  const size_t whole = value.size();
  std::string out(value.substr(0, kMaxText));
  if (quoted && kMaxText + 1 >= whole) out.pop_back();
  return out;
}

// Files saved as UTF-8 or UTF-16 with a byte-order mark are read as such and handed back in
// the ANSI code page, as the system reader does.
std::string AnsiText(const std::string& raw) {
  auto bytes = [&raw](size_t i) { return static_cast<unsigned char>(raw[i]); };
  std::u16string wide;
  if (raw.size() >= 3 && bytes(0) == 0xEF && bytes(1) == 0xBB && bytes(2) == 0xBF) {
    for (size_t i = 3; i < raw.size();) {
      const unsigned char c = bytes(i);
      const size_t extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
      uint32_t code = extra == 0 ? c : c & (0x3Fu >> extra);
      for (size_t k = 1; k <= extra && i + k < raw.size(); ++k)
        code = (code << 6) | (bytes(i + k) & 0x3Fu);
      i += extra + 1;
      if (code >= 0x10000) {
        code -= 0x10000;
        wide.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
        wide.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
      } else {
        wide.push_back(static_cast<char16_t>(code));
      }
    }
  } else if (raw.size() >= 2 &&
             ((bytes(0) == 0xFF && bytes(1) == 0xFE) || (bytes(0) == 0xFE && bytes(1) == 0xFF))) {
    const bool little = bytes(0) == 0xFF;
    for (size_t i = 2; i + 1 < raw.size(); i += 2) {
      const unsigned hi = little ? bytes(i + 1) : bytes(i);
      const unsigned lo = little ? bytes(i) : bytes(i + 1);
      wide.push_back(static_cast<char16_t>((hi << 8) | lo));
    }
  } else {
    return raw;
  }
  if (CurrentPlatform().codePage != nullptr) {
    bool lossy = false;
    return Ansi().ToAnsi(wide, lossy);
  }
  std::string narrow;
  for (char16_t c : wide) narrow.push_back(c < 0x100 ? static_cast<char>(c) : '?');
  return narrow;
}

// The value of the first matching key in the first matching section; false when absent. A line
// without '=' is a key without a value, which counts as absent.
bool FindValue(std::string_view text, std::string_view section, std::string_view key,
               std::string_view& value) {
  bool inSection = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = Trim(text.substr(0, end));
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.empty()) continue;
    if (line.front() == '[') {
      const size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        // Only the first section of a name is searched.
        if (inSection) return false;
        const std::string_view name = Trim(line.substr(1, close - 1));
        inSection = !name.empty() && SameName(name, section);
        continue;
      }
    }
    if (!inSection) continue;
    const size_t equals = line.find('=');
    const std::string_view name = Trim(line.substr(0, equals));
    if (!SameName(name, key)) continue;
    if (equals == std::string_view::npos) return false;
    value = Trim(line.substr(equals + 1));
    return true;
  }
  return false;
}

std::optional<LanguageFile> current;

}  // namespace

std::string ProfileString(const std::string& iniText, const std::string& section,
                          const std::string& key, const std::string& fallback) {
  // The system reader drops trailing blanks of the default and treats it like a stored value.
  std::string_view def(fallback);
  while (!def.empty() && def.back() == ' ') def.remove_suffix(1);
  const std::string_view wantedKey = Trim(key);
  if (wantedKey.empty()) return {};
  const std::string text = AnsiText(iniText);
  std::string_view value;
  if (!FindValue(text, Trim(section), wantedKey, value)) value = def;
  return CopyEntry(value);
}

std::string LanguageFile::Text(const std::string& section, const std::string& key,
                               const std::string& fallback) const {
  return Files().ReadProfileString(path_, section, key, fallback);
}

void OpenLanguageFile(const std::string& path) { current.emplace(path); }

void ReleaseLanguageFile() { current.reset(); }

std::string LanguageText(const std::string& section, const std::string& key,
                         const std::string& fallback) {
  if (!current) return fallback;
  return current->Text(section, key, fallback);
}
