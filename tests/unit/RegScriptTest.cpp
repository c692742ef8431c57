// Registry-script lines and the parser: the journal's exact forms, the editor's export form, and
// scripts read back into the operations an import performs.
#include <gtest/gtest.h>

#include "platform/RegScript.h"
#include "platform/Roots.h"
#include "platform/TextFile.h"
#include "platform/sim/SimRegedit.h"
#include "support/SimFixture.h"

using namespace std::string_view_literals;

namespace {

Bytes B(std::string_view text) { return Bytes(text.begin(), text.end()); }
// Text data as the registry stores it.
Bytes S(std::u16string_view text) { return Utf16LeBytes(text); }

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
  std::u16string name;
  uint32_t type;
  Bytes stored;
  std::u16string journalLine;
};

// Every type in the form that re-imports to the same type and bytes, names escaped like data,
// text whatever characters it holds.
const std::vector<ValueCase>& JournalCases() {
  static const std::vector<ValueCase> cases = {
      {u"Tool", regtype::kSz, S(u"C:\\Program Files\\x.exe\0"sv),
       uR"("Tool"="C:\\Program Files\\x.exe")"},
      {u"q\"b\\s", regtype::kSz, S(u"a\"b\\c\0"sv), uR"("q\"b\\s"="a\"b\\c")"},
      {u"", regtype::kSz, S(u"\0"sv), uR"(@="")"},
      {u"url1", regtype::kSz, S(u"http://\u043F\u0440\u0438\u043C\u0435\u0440.\u0440\u0444/\0"sv),
       u"\"url1\"=\"http://\u043F\u0440\u0438\u043C\u0435\u0440.\u0440\u0444/\""},
      {u"emoji", regtype::kSz, S(u"C:\\\U0001F600\\\u05D0.exe\0"sv),
       u"\"emoji\"=\"C:\\\\\U0001F600\\\\\u05D0.exe\""},
      {u"no data", regtype::kSz, {}, uR"("no data"=hex(1):)"},
      {u"odd", regtype::kSz, {0x41, 0x00, 0x42}, uR"("odd"=hex(1):41,00,42)"},
      {u"lines", regtype::kSz, S(u"a\nb\0"sv), uR"("lines"=hex(1):61,00,0A,00,62,00,00,00)"},
      {u"exp", regtype::kExpandSz, S(u"%A%\0"sv), uR"("exp"=hex(2):25,00,41,00,25,00,00,00)"},
      {u"euro", regtype::kExpandSz, S(u"\u00E9\u20AC\0"sv), uR"("euro"=hex(2):E9,00,AC,20,00,00)"},
      {u"greek", regtype::kExpandSz, S(u"\u03A9\0"sv), uR"("greek"=hex(2):A9,03,00,00)"},
      {u"multi", regtype::kMultiSz, S(u"a\0b\0\0"sv),
       uR"("multi"=hex(7):61,00,00,00,62,00,00,00,00,00)"},
      {u"empty multi", regtype::kMultiSz, {}, uR"("empty multi"=hex(7):)"},
      {u"ten", regtype::kDword, {10, 0, 0, 0}, uR"("ten"=dword:0000000A)"},
      {u"all", regtype::kDword, {0xFF, 0xFF, 0xFF, 0xFF}, uR"("all"=dword:FFFFFFFF)"},
      {u"short", regtype::kDword, {1, 2}, uR"("short"=hex(4):01,02)"},
      {u"q",
       regtype::kQword,
       {1, 2, 3, 4, 5, 6, 7, 0x80},
       uR"("q"=hex(b):01,02,03,04,05,06,07,80)"},
      {u"bin", regtype::kBinary, {0x01, 0xFF}, uR"("bin"=hex:01,FF)"},
      {u"nothing", regtype::kBinary, {}, uR"("nothing"=hex:)"},
      {u"none", regtype::kNone, {}, uR"("none"=hex(0):)"},
      {u"none1", regtype::kNone, {0}, uR"("none1"=hex(0):00)"},
      {u"odd type", 0x1234, {0xAB}, uR"("odd type"=hex(1234):AB)"},
      {u"a[b]=c d", regtype::kSz, S(u"x\0"sv), uR"("a[b]=c d"="x")"},
      {u"back\\slash", regtype::kSz, S(u"\\\\server\\\0"sv), uR"("back\\slash"="\\\\server\\")"},
  };
  return cases;
}

}  // namespace

using RegScriptTest = SimTest;

TEST_F(RegScriptTest, LineBuilders) {
  EXPECT_EQ(KeyLine(RootKey::CurrentUser, "\\Software\\Run"), "[HKEY_CURRENT_USER\\Software\\Run]");
  EXPECT_EQ(DeleteKeyLine(RootKey::ClassesRoot, "\\.xyz"), "[-HKEY_CLASSES_ROOT\\.xyz]");
  EXPECT_EQ(DeleteValueLine("Tool\\x"), R"("Tool\\x"=-)");
  EXPECT_EQ(DeleteValueLine(""), "@=-");
  EXPECT_EQ(EscapeScriptText("a\\\"b'"), "a\\\\\\\"b'");
  // A control character would break the line and start one of the name's own choosing.
  EXPECT_THROW(KeyLine(RootKey::LocalMachine, "\\Run\r\n[HKEY_LOCAL_MACHINE\\X]"),
               UnscriptableName);
  EXPECT_THROW(DeleteKeyLine(RootKey::CurrentUser, "\\Tab\there"), UnscriptableName);
  EXPECT_THROW(DeleteValueLine("Evil\n@=\"x\""), UnscriptableName);
  EXPECT_THROW(ValueLine(u"Evil\r", regtype::kDword, {1, 0, 0, 0}), UnscriptableName);
}

TEST_F(RegScriptTest, JournalLineForEveryType) {
  for (const ValueCase& c : JournalCases()) {
    SCOPED_TRACE(c.type);
    EXPECT_EQ(ValueLine(c.name, c.type, c.stored), c.journalLine);
  }
}

// Whatever the journal writes, the parser reads back as the same name, type and bytes.
TEST_F(RegScriptTest, JournalLinesParseBackToTheSameValues) {
  for (const ValueCase& c : JournalCases()) {
    SCOPED_TRACE(c.type);
    const std::u16string text = Wide(std::string(kRegedit5Header)) + u"\r\n\r\n" +
                                u"[HKEY_CURRENT_USER\\T]\r\n" + ValueLine(c.name, c.type, c.stored);
    const ParsedScript script = ParseScript(text, ScriptEncoding::Utf16);
    ASSERT_EQ(script.ops.size(), 2u);
    EXPECT_TRUE(script.skippedLines.empty());
    const ScriptOp& op = script.ops[1];
    EXPECT_EQ(op.kind, ScriptOp::Kind::SetValue);
    EXPECT_EQ(Wide(op.name), c.name);
    EXPECT_EQ(op.type, c.type);
    // An odd last byte is no character: the editor drops it, and adds the closing NUL.
    const bool oddText = c.type == regtype::kSz && c.stored.size() % 2 != 0;
    EXPECT_EQ(HexOf(op.data), oddText ? "41,00,00,00" : HexOf(c.stored));
  }
}

TEST_F(RegScriptTest, ExportFormLikeTheSystemEditor) {
  EXPECT_EQ(ExportValueLines(u"s", regtype::kSz, S(u"a\"b\\c\r\n\u03A9\0"sv)),
            WideList{uR"("s"="a\"b\\c\r\n)" + std::u16string(u"\u03A9\"")});
  EXPECT_EQ(ExportValueLines(u"", regtype::kDword, {10, 0, 0, 0}), WideList{u"@=dword:0000000a"});
  EXPECT_EQ(ExportValueLines(u"x", regtype::kExpandSz, S(u"%A%\0"sv)),
            WideList{uR"("x"=hex(2):25,00,41,00,25,00,00,00)"});
  EXPECT_EQ(ExportValueLines(u"b", regtype::kBinary, {}), WideList{uR"("b"=hex:)"});
  EXPECT_EQ(ExportValueLines(u"n", 0x1234, {0xAB}), WideList{uR"("n"=hex(1234):ab)"});
  Bytes fifty;
  for (uint8_t i = 0; i < 50; ++i) fifty.push_back(i);
  // 23 bytes after "bin"=hex:, then 25 per line: every line stays within 80 columns.
  EXPECT_EQ(
      ExportValueLines(u"bin", regtype::kBinary, fifty),
      (WideList{
          uR"("bin"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\)",
          uR"(  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,2f,\)",
          u"  30,31"}));
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
      "[HKEY_USERS\\X]",                       // 19
      "\"u\"=\"y\"",                           // 20
      "[hkey_local_machine\\Software\\K]",     // 21
      "\"t\"=hex(7):61,00,00,00,00,00",        // 22
      "\"bare\"=hex(2):41,00",                 // 23 (NUL added)
      "[-HKEY_CURRENT_USER]",                  // 24 skipped: a root is never deleted
  };
  const ParsedScript script = ParseScript(JoinCrlf(lines), ScriptEncoding::Utf16);
  EXPECT_EQ(script.version, ScriptVersion::Regedit5);
  EXPECT_EQ(Describe(script),
            (std::vector<std::string>{
                "key HKEY_CURRENT_USER\\Software\\T",
                "set HKEY_CURRENT_USER\\Software\\T [] 1: 64,00,65,00,66,00,00,00",
                "set HKEY_CURRENT_USER\\Software\\T [a\"q] 1: 78,00,5c,00,79,00,00,00",
                "set HKEY_CURRENT_USER\\Software\\T [d] 4: 1f,00,00,00",
                "set HKEY_CURRENT_USER\\Software\\T [h] 3: 01,02,03,ff",
                "set HKEY_CURRENT_USER\\Software\\T [e] 2: 41,00,00,00",
                "delete HKEY_CURRENT_USER\\Software\\T [z]",
                "delete HKEY_CURRENT_USER\\Software\\T []",
                "set HKEY_CURRENT_USER\\Software\\T [esc] 1: 61,00,71,00,62,00,0a,00,00,00",
                "delete key HKEY_CURRENT_USER\\Software\\Old",
                "key HKEY_USERS\\X",
                "set HKEY_USERS\\X [u] 1: 79,00,00,00",
                "key HKEY_LOCAL_MACHINE\\Software\\K",
                "set HKEY_LOCAL_MACHINE\\Software\\K [t] 7: 61,00,00,00,00,00",
                "set HKEY_LOCAL_MACHINE\\Software\\K [bare] 2: 41,00,00,00",
            }));
  EXPECT_EQ(script.skippedLines, (std::vector<size_t>{3, 14, 15, 18, 24}));
}

TEST_F(RegScriptTest, FilesAreReadAsTheEditorReadsThem) {
  const std::string body =
      "\r\n[HKEY_CURRENT_USER\\T]\r\n\"v\"=\"\xE9\"\r\n\"x\"=hex(2):25,41,25,00\r\n";
  // REGEDIT4 in the ANSI code page.
  ParsedScript ansi = ParseScriptFile(B("REGEDIT4" + body));
  EXPECT_EQ(ansi.version, ScriptVersion::Regedit4);
  // Its text, quoted or as hex bytes of the code page, is stored as UTF-16.
  EXPECT_EQ(Describe(ansi),
            (std::vector<std::string>{"key HKEY_CURRENT_USER\\T",
                                      "set HKEY_CURRENT_USER\\T [v] 1: e9,00,00,00",
                                      "set HKEY_CURRENT_USER\\T [x] 2: 25,00,41,00,25,00,00,00"}));
  // 5.00 in UTF-16LE with its byte-order mark.
  const std::string wideBody =
      "\r\n[HKEY_CURRENT_USER\\T]\r\n\"v\"=\"\xE9\"\r\n"
      "\"x\"=hex(2):25,00,41,00,25,00,00,00\r\n";
  EXPECT_EQ(Describe(ParseScriptFile(Utf16File(Wide(std::string(kRegedit5Header) + wideBody)))),
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
