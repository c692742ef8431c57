#include "platform/RegScript.h"

#include <optional>

#include "platform/Platform.h"
#include "platform/Roots.h"
#include "platform/TextFile.h"

namespace {

enum class DataForm { Quoted, Dword, Hex };

// The value types and their script forms. A type not listed is written as hex(N): of its raw
// bytes. Text types keep characters, so their hex bytes follow the file's encoding.
struct TypeForm {
  uint32_t type;
  DataForm form;
  bool text;
};

constexpr TypeForm kTypeForms[] = {
    {regtype::kNone, DataForm::Hex, false},    {regtype::kSz, DataForm::Quoted, true},
    {regtype::kExpandSz, DataForm::Hex, true}, {regtype::kBinary, DataForm::Hex, false},
    {regtype::kDword, DataForm::Dword, false}, {regtype::kMultiSz, DataForm::Hex, true},
    {regtype::kQword, DataForm::Hex, false},
};

TypeForm FormOf(uint32_t type) {
  for (const TypeForm& form : kTypeForms) {
    if (form.type == type) return form;
  }
  return {type, DataForm::Hex, false};
}

constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr char kLowerDigits[] = "0123456789abcdef";

std::string HexNumber(uint32_t value, int minDigits, bool upper) {
  const char* digits = upper ? kUpperDigits : kLowerDigits;
  std::string text;
  do {
    text.insert(text.begin(), digits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  while (static_cast<int>(text.size()) < minDigits) text.insert(text.begin(), '0');
  return text;
}

// "hex:" for REG_BINARY, "hex(N):" with N in lower-case hexadecimal for every other type.
std::string HexPrefix(uint32_t type) {
  return type == regtype::kBinary ? "hex:" : "hex(" + HexNumber(type, 1, false) + "):";
}

std::string ByteText(uint8_t byte, bool upper) { return HexNumber(byte, 2, upper); }

uint32_t LittleEndian32(const Bytes& data) {
  return static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
         static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
}

std::string Narrow(std::u16string_view wide) {
  bool lossy = false;
  return Ansi().ToAnsi(std::u16string(wide), lossy);
}

// Script syntax is ASCII: the same text as UTF-16.
std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// A REG_SZ that the quoted form gives back byte for byte: whole UTF-16 units, one closing NUL
// and no other, and no line break that would split the line.
bool IsPlainString(const Bytes& stored) {
  if (stored.size() < 2 || stored.size() % 2 != 0) return false;
  const std::u16string text = Utf16LeText(stored);
  if (text.back() != 0) return false;
  return text.find_first_of(std::u16string_view(u"\0\r\n", 3)) == text.size() - 1;
}

// Backslash doubled, double quote as backslash + double quote; with exportControls, CR and LF
// as \r and \n, as Wine's editor writes them in exported strings and reads them back.
template <typename Char>
std::basic_string<Char> Escape(std::basic_string_view<Char> text, bool exportControls) {
  std::basic_string<Char> result;
  result.reserve(text.size());
  for (Char c : text) {
    if (exportControls && (c == Char('\r') || c == Char('\n'))) {
      result += Char('\\');
      result += c == Char('\r') ? Char('r') : Char('n');
      continue;
    }
    if (c == Char('\\') || c == Char('"')) result += Char('\\');
    result += c;
  }
  return result;
}

template <typename Text>
const Text& Scriptable(const Text& name) {
  if (HoldsControlCharacter(name)) {
    throw UnscriptableName("A name holding a control character is not written into a script");
  }
  return name;
}

// The program's own lines refuse a control character; the editor's export escapes CR and LF.
enum class Controls { Refused, Escaped };

template <typename Char>
std::basic_string<Char> NameText(std::basic_string_view<Char> name, Controls controls) {
  if (name.empty()) return {Char('@')};
  std::basic_string<Char> text(1, Char('"'));
  if (controls == Controls::Refused) {
    text.append(Escape(Scriptable(name), false));
  } else {
    text.append(Escape(name, true));
  }
  text.append(1, Char('"'));
  return text;
}

}  // namespace

std::string EscapeScriptText(std::string_view text) { return Escape(text, false); }

// Built by appending: GCC 12 warns falsely (-Wrestrict) about "x" + std::string at -O3.
std::string KeyLine(RootKey root, std::string_view path) {
  std::string line = "[";
  line.append(RootKeyName(root)).append(Scriptable(path)).append("]");
  return line;
}

std::string DeleteKeyLine(RootKey root, std::string_view path) {
  std::string line = "[-";
  line.append(RootKeyName(root)).append(Scriptable(path)).append("]");
  return line;
}

std::string ValueNameText(std::string_view name) { return NameText(name, Controls::Refused); }

std::string DeleteValueLine(std::string_view name) { return ValueNameText(name) + "=-"; }

std::u16string ValueLine(std::u16string_view name, uint32_t type, const Bytes& stored) {
  const TypeForm form = FormOf(type);
  std::u16string line = NameText(name, Controls::Refused) + u"=";
  if (form.form == DataForm::Quoted && IsPlainString(stored)) {
    return line + u"\"" + Escape<char16_t>(TextUpToNul(stored), false) + u"\"";
  }
  if (form.form == DataForm::Dword && stored.size() == 4) {
    return line + u"dword:" + Widen(HexNumber(LittleEndian32(stored), 8, true));
  }
  line += Widen(HexPrefix(type));
  for (size_t i = 0; i < stored.size(); ++i) {
    if (i != 0) line += u',';
    line += Widen(ByteText(stored[i], true));
  }
  return line;
}

WideList ExportValueLines(std::u16string_view name, uint32_t type, const Bytes& stored) {
  const std::u16string start = NameText(name, Controls::Escaped) + u"=";
  if (type == regtype::kSz)
    return {start + u"\"" + Escape<char16_t>(TextUpToNul(stored), true) + u"\""};
  if (type == regtype::kDword && stored.size() == 4) {
    return {start + u"dword:" + Widen(HexNumber(LittleEndian32(stored), 8, false))};
  }
  // The exporter counts columns in characters of the UTF-16 file and breaks a hex list once a
  // line reaches 77 of them, continuing after a backslash on a line indented by two blanks.
  constexpr size_t kMaxHexChars = 77;
  std::u16string line = start + Widen(HexPrefix(type));
  size_t column = line.size();
  WideList lines;
  for (size_t i = 0; i < stored.size(); ++i) {
    line += Widen(ByteText(stored[i], false));
    if (i + 1 == stored.size()) break;
    line += u',';
    column += 3;
    if (column >= kMaxHexChars) {
      lines.push_back(line + u"\\");
      line = u"  ";
      column = 2;
    }
  }
  lines.push_back(line);
  return lines;
}

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char16_t a = text[i];
    if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a + 32);
    if (a != prefix[i]) return false;
  }
  return true;
}

// A line position that knows the rest of the script, for hex lists continued on later lines.
class Parser {
 public:
  Parser(std::u16string_view text, ScriptEncoding encoding)
      : lines_(SplitLines(std::u16string(text))), encoding_(encoding) {}

  ParsedScript Run() {
    if (lines_.empty() ||
        (result_.version = ScriptHeaderVersion(lines_[0])) == ScriptVersion::Invalid) {
      return {};
    }
    for (index_ = 1; index_ < lines_.size(); ++index_) {
      const size_t number = index_ + 1;
      line_ = lines_[index_];
      pos_ = 0;
      if (!ParseLine()) result_.skippedLines.push_back(number);
    }
    return std::move(result_);
  }

 private:
  char16_t Peek() const { return pos_ < line_.size() ? line_[pos_] : u'\0'; }
  bool AtEnd() const { return pos_ >= line_.size(); }
  void SkipBlanks() {
    while (!AtEnd() && IsBlank(line_[pos_])) ++pos_;
  }
  // Only blanks, or a comment, may follow a value's data.
  bool RestIsEmpty() {
    SkipBlanks();
    return AtEnd() || Peek() == u';';
  }

  // False for a line the editor skips.
  bool ParseLine() {
    SkipBlanks();
    switch (Peek()) {
      case u'\0':
        return AtEnd();
      case u';':
        return true;
      case u'[':
        return ParseKey();
      case u'@':
      case u'"':
        return ParseValue();
      default:
        return false;
    }
  }

  bool ParseKey() {
    ++pos_;
    std::u16string_view inner = line_.substr(pos_);
    const size_t close = inner.rfind(u']');
    haveKey_ = false;
    if (inner.empty() || IsBlank(inner[0]) || close == std::u16string_view::npos) return false;
    inner = inner.substr(0, close);
    ScriptOp op;
    op.kind = ScriptOp::Kind::Key;
    if (!inner.empty() && inner[0] == u'-') {
      op.kind = ScriptOp::Kind::DeleteKey;
      inner.remove_prefix(1);
    }
    const std::string name = Narrow(inner);
    const size_t slash = name.find('\\');
    const auto root = RootFromName(name.substr(0, slash));
    if (!root) return false;
    op.root = *root;
    op.path = slash == std::string::npos ? "" : name.substr(slash + 1);
    // A root itself is never deleted.
    if (op.kind == ScriptOp::Kind::DeleteKey && op.path.empty()) return false;
    if (op.kind == ScriptOp::Kind::Key) {
      haveKey_ = true;
      root_ = op.root;
      path_ = op.path;
    }
    result_.ops.push_back(std::move(op));
    return true;
  }

  // The text of a quoted name or string, the position after its opening quote; escapes as the
  // editor reads them: \\ \" \n \r \0, any other escaped character stands for itself.
  std::optional<std::u16string> Unquote() {
    std::u16string text;
    while (!AtEnd()) {
      char16_t c = line_[pos_++];
      if (c == u'"') return text;
      if (c == u'\\') {
        if (AtEnd()) return std::nullopt;
        c = line_[pos_++];
        if (c == u'n') c = u'\n';
        if (c == u'r') c = u'\r';
        if (c == u'0') c = u'\0';
      }
      text += c;
    }
    return std::nullopt;
  }

  bool ParseValue() {
    ScriptOp op;
    op.kind = ScriptOp::Kind::SetValue;
    if (Peek() == u'"') {
      ++pos_;
      const auto name = Unquote();
      if (!name) return false;
      op.name = Narrow(*name);
    } else {
      ++pos_;
    }
    SkipBlanks();
    if (Peek() != u'=') return false;
    ++pos_;
    SkipBlanks();
    if (!ParseData(op)) return false;
    if (!haveKey_) return false;
    op.root = root_;
    op.path = path_;
    result_.ops.push_back(std::move(op));
    return true;
  }

  bool ParseData(ScriptOp& op) {
    const std::u16string_view rest = line_.substr(pos_);
    if (Peek() == u'-') {
      ++pos_;
      op.kind = ScriptOp::Kind::DeleteValue;
      return RestIsEmpty();
    }
    if (Peek() == u'"') {
      ++pos_;
      const auto text = Unquote();
      if (!text || !RestIsEmpty()) return false;
      // The stored string ends at its first NUL.
      op.type = regtype::kSz;
      op.data = Utf16LeBytes(text->substr(0, text->find(u'\0')) + u'\0');
      return true;
    }
    if (StartsWithNoCase(rest, u"dword:")) {
      pos_ += 6;
      op.type = regtype::kDword;
      return ParseDword(op.data);
    }
    if (StartsWithNoCase(rest, u"hex:")) {
      pos_ += 4;
      op.type = regtype::kBinary;
      return ParseHexList(op.data);
    }
    if (StartsWithNoCase(rest, u"hex(")) {
      pos_ += 4;
      if (!ParseHexNumber(8, op.type) || Peek() != u')') return false;
      ++pos_;
      if (Peek() != u':') return false;
      ++pos_;
      if (!ParseHexList(op.data)) return false;
      if (FormOf(op.type).text) op.data = DecodeText(op.data);
      return true;
    }
    return false;
  }

  bool ParseHexNumber(size_t maxDigits, uint32_t& value) {
    value = 0;
    size_t digits = 0;
    for (int d; (d = HexDigit(Peek())) >= 0; ++pos_) {
      if (++digits > maxDigits) return false;
      value = value << 4 | static_cast<uint32_t>(d);
    }
    return digits != 0;
  }

  bool ParseDword(Bytes& data) {
    SkipBlanks();
    uint32_t value = 0;
    if (!ParseHexNumber(8, value) || !RestIsEmpty()) return false;
    data = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return true;
  }

  // Comma-separated bytes; a backslash at the end of a line continues the list on the next one.
  bool ParseHexList(Bytes& data) {
    while (true) {
      SkipBlanks();
      if (AtEnd() || Peek() == u';') return true;
      if (Peek() == u'\\') {
        ++pos_;
        if (!RestIsEmpty() || index_ + 1 >= lines_.size()) return false;
        line_ = lines_[++index_];
        pos_ = 0;
        continue;
      }
      uint32_t byte = 0;
      if (!ParseHexNumber(8, byte) || byte > 0xFF) return false;
      data.push_back(static_cast<uint8_t>(byte));
      SkipBlanks();
      if (Peek() == u',') {
        ++pos_;
      } else if (!AtEnd() && Peek() != u'\\' && Peek() != u';') {
        return false;
      }
    }
  }

  // Hex bytes of a text type as the registry stores them (UTF-16LE), ending in a NUL as the
  // editor makes sure before it stores them. A single-byte file holds code-page bytes.
  Bytes DecodeText(const Bytes& bytes) const {
    if (bytes.empty()) return bytes;
    std::u16string wide = encoding_ == ScriptEncoding::Ansi
                              ? Ansi().ToWide(std::string(bytes.begin(), bytes.end()))
                              : Utf16LeText(bytes);
    if (wide.empty() || wide.back() != 0) wide += u'\0';
    return Utf16LeBytes(wide);
  }

  WideList lines_;
  ScriptEncoding encoding_;
  ParsedScript result_;
  size_t index_ = 0;
  std::u16string_view line_;
  size_t pos_ = 0;
  bool haveKey_ = false;
  RootKey root_ = RootKey::CurrentUser;
  std::string path_;
};

}  // namespace

ScriptVersion ScriptHeaderVersion(std::u16string_view line) {
  // Leading blanks are allowed; the rest must match exactly.
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  if (line == u"REGEDIT4") return ScriptVersion::Regedit4;
  if (line == u"Windows Registry Editor Version 5.00") return ScriptVersion::Regedit5;
  return ScriptVersion::Invalid;
}

ParsedScript ParseScript(std::u16string_view text, ScriptEncoding encoding) {
  return Parser(text, encoding).Run();
}

ParsedScript ParseScriptFile(const Bytes& file) {
  if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFE) {
    return ParseScript(Utf16LeText(file, 2), ScriptEncoding::Utf16);
  }
  return ParseScript(Ansi().ToWide(std::string(file.begin(), file.end())), ScriptEncoding::Ansi);
}
