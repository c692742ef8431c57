// Registry-script lines and the parser: the journal's exact forms, the editor's export form, and
// scripts read back into the operations an import performs.
#include <gtest/gtest.h>

#include "platform/RegScript.h"
#include "platform/Roots.h"
#include "platform/sim/SimRegedit.h"
#include "support/SimFixture.h"

using namespace std::string_view_literals;

namespace {

Bytes B(std::string_view text) { return Bytes(text.begin(), text.end()); }

std::string HexOf(const Bytes& data) {
  std::string text;
  for (uint8_t byte : data) {
    constexpr char kHex[] = "0123456789abcdef";
    if (!text.empty()) text += ',';
    text += kHex[byte >> 4];
    text += kHex[byte & 15];
  }
  return text;
}

std::string Describe(const ScriptOp& op) {
  const std::string key = std::string(RootKeyName(op.root)) + "\\" + op.path;
  switch (op.kind) {
    case ScriptOp::Kind::Key:
      return "key " + key;
    case ScriptOp::Kind::DeleteKey:
      return "delete key " + key;
    case ScriptOp::Kind::SetValue:
      return "set " + key + " [" + op.name + "] " + std::to_string(op.type) + ": " + HexOf(op.data);
    case ScriptOp::Kind::DeleteValue:
      return "delete " + key + " [" + op.name + "]";
  }
  return {};
}

std::vector<std::string> Describe(const ParsedScript& script) {
  std::vector<std::string> lines;
  for (const ScriptOp& op : script.ops) lines.push_back(Describe(op));
  return lines;
}

std::u16string Wide(const std::string& text) { return Ansi().ToWide(text); }

std::u16string JoinCrlf(const std::vector<std::string>& lines) {
  std::u16string text;
  for (const std::string& line : lines) text += Wide(line) + u"\r\n";
  return text;
}

struct ValueCase {
  std::string name;
  uint32_t type;
  Bytes data;
  std::string journalLine;
};

// Every type in the form that re-imports to the same type and bytes, names escaped like data.
const std::vector<ValueCase>& JournalCases() {
  static const std::vector<ValueCase> cases = {
      {"Tool", regtype::kSz, B("C:\\Program Files\\x.exe\0"sv),
       R"("Tool"="C:\\Program Files\\x.exe")"},
      {"q\"b\\s", regtype::kSz, B("a\"b\\c\0"sv), R"("q\"b\\s"="a\"b\\c")"},
      {"", regtype::kSz, B("\0"sv), R"(@="")"},
      {"no data", regtype::kSz, {}, R"("no data"=hex(1):)"},
      {"lines", regtype::kSz, B("a\nb\0"sv), R"("lines"=hex(1):61,00,0A,00,62,00,00,00)"},
      {"exp", regtype::kExpandSz, B("%A%\0"sv), R"("exp"=hex(2):25,00,41,00,25,00,00,00)"},
      {"euro", regtype::kExpandSz, B("\xE9\x80\0"sv), R"("euro"=hex(2):E9,00,AC,20,00,00)"},
      {"multi", regtype::kMultiSz, B("a\0b\0\0"sv),
       R"("multi"=hex(7):61,00,00,00,62,00,00,00,00,00)"},
      {"empty multi", regtype::kMultiSz, {}, R"("empty multi"=hex(7):)"},
      {"ten", regtype::kDword, {10, 0, 0, 0}, R"("ten"=dword:0000000A)"},
      {"all", regtype::kDword, {0xFF, 0xFF, 0xFF, 0xFF}, R"("all"=dword:FFFFFFFF)"},
      {"short", regtype::kDword, {1, 2}, R"("short"=hex(4):01,02)"},
      {"q", regtype::kQword, {1, 2, 3, 4, 5, 6, 7, 0x80}, R"("q"=hex(b):01,02,03,04,05,06,07,80)"},
      {"bin", regtype::kBinary, {0x01, 0xFF}, R"("bin"=hex:01,FF)"},
      {"nothing", regtype::kBinary, {}, R"("nothing"=hex:)"},
      {"none", regtype::kNone, {}, R"("none"=hex(0):)"},
      {"none1", regtype::kNone, {0}, R"("none1"=hex(0):00)"},
      {"odd type", 0x1234, {0xAB}, R"("odd type"=hex(1234):AB)"},
      {"a[b]=c d", regtype::kSz, B("x\0"sv), R"("a[b]=c d"="x")"},
      {"back\\slash", regtype::kSz, B("\\\\server\\\0"sv), R"("back\\slash"="\\\\server\\")"},
  };
  return cases;
}

}  // namespace

using RegScriptTest = SimTest;

TEST_F(RegScriptTest, LineBuilders) {
  EXPECT_EQ(KeyLine(RootKey::CurrentUser, "\\Software\\Run"), "[HKEY_CURRENT_USER\\Software\\Run]");
  EXPECT_EQ(DeleteKeyLine(RootKey::ClassesRoot, "\\.xyz"), "[-HKEY_CLASSES_ROOT\\.xyz]");
  EXPECT_EQ(StringValueLine("", "C:\\a \"b\""), R"(@="C:\\a \"b\"")");
  EXPECT_EQ(DwordValueLine("v", 255), R"("v"=dword:000000FF)");
  EXPECT_EQ(DeleteValueLine("Tool\\x"), R"("Tool\\x"=-)");
  EXPECT_EQ(DeleteValueLine(""), "@=-");
  EXPECT_EQ(EscapeScriptText("a\\\"b'"), "a\\\\\\\"b'");
}

TEST_F(RegScriptTest, JournalLineForEveryType) {
  for (const ValueCase& c : JournalCases()) {
    SCOPED_TRACE(c.journalLine);
    EXPECT_EQ(ValueLine(c.name, c.type, c.data, ScriptEncoding::Utf16), c.journalLine);
  }
  // In a single-byte file text stays single-byte.
  EXPECT_EQ(ValueLine("exp", regtype::kExpandSz, B("%A%\0"sv), ScriptEncoding::Ansi),
            R"("exp"=hex(2):25,41,25,00)");
}

// Whatever the journal writes, the parser reads back as the same name, type and bytes.
TEST_F(RegScriptTest, JournalLinesParseBackToTheSameValues) {
  for (ScriptEncoding encoding : {ScriptEncoding::Utf16, ScriptEncoding::Ansi}) {
    for (const ValueCase& c : JournalCases()) {
      SCOPED_TRACE(c.journalLine);
      const ParsedScript script =
          ParseScript(JoinCrlf({std::string(kRegedit5Header), "", "[HKEY_CURRENT_USER\\T]",
                                ValueLine(c.name, c.type, c.data, encoding), ""}),
                      encoding);
      ASSERT_EQ(script.ops.size(), 2u);
      EXPECT_TRUE(script.skippedLines.empty());
      const ScriptOp& op = script.ops[1];
      EXPECT_EQ(op.kind, ScriptOp::Kind::SetValue);
      EXPECT_EQ(op.name, c.name);
      EXPECT_EQ(op.type, c.type);
      EXPECT_EQ(HexOf(op.data), HexOf(c.data));
    }
  }
}

TEST_F(RegScriptTest, ExportFormLikeTheSystemEditor) {
  EXPECT_EQ(ExportValueLines("s", regtype::kSz, B("a\"b\\c\r\n\0"sv)),
            TextList{R"("s"="a\"b\\c\r\n")"});
  EXPECT_EQ(ExportValueLines("", regtype::kDword, {10, 0, 0, 0}), TextList{"@=dword:0000000a"});
  EXPECT_EQ(ExportValueLines("x", regtype::kExpandSz, B("%A%\0"sv)),
            TextList{R"("x"=hex(2):25,00,41,00,25,00,00,00)"});
  EXPECT_EQ(ExportValueLines("b", regtype::kBinary, {}), TextList{R"("b"=hex:)"});
  EXPECT_EQ(ExportValueLines("n", 0x1234, {0xAB}), TextList{R"("n"=hex(1234):ab)"});
  Bytes fifty;
  for (uint8_t i = 0; i < 50; ++i) fifty.push_back(i);
  // 23 bytes after "bin"=hex:, then 25 per line: every line stays within 80 columns.
  EXPECT_EQ(
      ExportValueLines("bin", regtype::kBinary, fifty),
      (TextList{
          R"("bin"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\)",
          R"(  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\)",
          "  30,31"}));
}

TEST_F(RegScriptTest, ParsesEveryLineForm) {
  const std::vector<std::string> lines = {
      "Windows Registry Editor Version 5.00",  // 1
      "",                                      // 2
      "\"before\"=\"no key yet\"",             // 3 skipped
      "[HKEY_CURRENT_USER\\Software\\T]",      // 4
      "@=\"def\"",                             // 5
      "  \"a\\\"q\" = \"x\\\\y\"  ; comment",  // 6
      "\"d\"=dword:0000001f",                  // 7
      "\"h\"=hex:01,02,\\",                    // 8
      "  03,ff",                               // 9
      "; comment",                             // 10
      "\"e\"=hex(2):41,00,00,00",              // 11
      "\"z\"=-",                               // 12
      "@=-",                                   // 13
      "garbage",                               // 14 skipped
      "\"bad\"=dword:123456789",               // 15 skipped
      "\"esc\"=\"a\\qb\\n\"",                  // 16
      "[-HKEY_CURRENT_USER\\Software\\Old]",   // 17
      "\"orphan\"=\"x\"",                      // 18 skipped
      "[HKEY_USERS\\X]",                       // 19 skipped
      "\"u\"=\"y\"",                           // 20 skipped
      "[hkey_local_machine\\Software\\K]",     // 21
      "\"t\"=hex(7):61,00,00,00,00,00",        // 22
      "\"bare\"=hex(2):41,00",                 // 23 (NUL added)
      "[-HKEY_CURRENT_USER]",                  // 24 skipped: a root is never deleted
  };
  const ParsedScript script = ParseScript(JoinCrlf(lines), ScriptEncoding::Utf16);
  EXPECT_EQ(script.version, ScriptVersion::Regedit5);
  EXPECT_EQ(Describe(script), (std::vector<std::string>{
                                  "key HKEY_CURRENT_USER\\Software\\T",
                                  "set HKEY_CURRENT_USER\\Software\\T [] 1: 64,65,66,00",
                                  "set HKEY_CURRENT_USER\\Software\\T [a\"q] 1: 78,5c,79,00",
                                  "set HKEY_CURRENT_USER\\Software\\T [d] 4: 1f,00,00,00",
                                  "set HKEY_CURRENT_USER\\Software\\T [h] 3: 01,02,03,ff",
                                  "set HKEY_CURRENT_USER\\Software\\T [e] 2: 41,00",
                                  "delete HKEY_CURRENT_USER\\Software\\T [z]",
                                  "delete HKEY_CURRENT_USER\\Software\\T []",
                                  "set HKEY_CURRENT_USER\\Software\\T [esc] 1: 61,71,62,0a,00",
                                  "delete key HKEY_CURRENT_USER\\Software\\Old",
                                  "key HKEY_LOCAL_MACHINE\\Software\\K",
                                  "set HKEY_LOCAL_MACHINE\\Software\\K [t] 7: 61,00,00",
                                  "set HKEY_LOCAL_MACHINE\\Software\\K [bare] 2: 41,00",
                              }));
  EXPECT_EQ(script.skippedLines, (std::vector<size_t>{3, 14, 15, 18, 19, 20, 24}));
}

TEST_F(RegScriptTest, FilesAreReadAsTheEditorReadsThem) {
  const std::string body = "\r\n[HKEY_CURRENT_USER\\T]\r\n\"v\"=\"\xE9\"\r\n";
  // REGEDIT4 in the ANSI code page.
  ParsedScript ansi = ParseScriptFile(B("REGEDIT4" + body));
  EXPECT_EQ(ansi.version, ScriptVersion::Regedit4);
  EXPECT_EQ(Describe(ansi), (std::vector<std::string>{"key HKEY_CURRENT_USER\\T",
                                                      "set HKEY_CURRENT_USER\\T [v] 1: e9,00"}));
  // 5.00 in UTF-16LE with its byte-order mark.
  EXPECT_EQ(Describe(ParseScriptFile(Utf16File(Wide(std::string(kRegedit5Header) + body)))),
            Describe(ansi));
  // UTF-8 with a byte-order mark: the header does not match, nothing is imported.
  const ParsedScript utf8 =
      ParseScriptFile(B("\xEF\xBB\xBFWindows Registry Editor Version 5.00" + body));
  EXPECT_EQ(utf8.version, ScriptVersion::Invalid);
  EXPECT_TRUE(utf8.ops.empty());
}

TEST_F(RegScriptTest, CommandLineWords) {
  EXPECT_EQ(SplitCommandLine("/s /e \"C:\\U d\\tmp.reg\" \"HKEY_CURRENT_USER\\X\""),
            (std::vector<std::string>{"/s", "/e", "C:\\U d\\tmp.reg", "HKEY_CURRENT_USER\\X"}));
  // The leading blank keeps "/s" from being taken as the program's name.
  EXPECT_EQ(SplitCommandLine(" /s \"C:\\a\\/b.reg\""),
            (std::vector<std::string>{"", "/s", "C:\\a\\/b.reg"}));
  // A quoted key ending in a backslash swallows the closing quote, as on Windows.
  EXPECT_EQ(SplitCommandLine("x \"HKEY_CURRENT_USER\\X\\\" y"),
            (std::vector<std::string>{"x", "HKEY_CURRENT_USER\\X\" y"}));
}
