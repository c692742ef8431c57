// One table of INI files and look-ups, answered by the platform's private-profile reader: the
// portable reader over the simulated files natively, GetPrivateProfileStringA under Wine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/LanguageFile.h"
#include "platform/Platform.h"
#include "support/ContractBackend.h"

namespace {

struct IniFile {
  const char* name;
  std::string text;
};

struct Lookup {
  const char* file;  // one of the files below, or a name that is never written
  const char* section;
  const char* key;
  const char* fallback;
  std::string expected;
};

const std::string kLongA(3000, 'a');
const std::string k2046(2046, 'q');
const std::string k2047(2047, 'q');

std::vector<IniFile> Files_() {
  return {
      {"main.ini",
       "[Info]\r\n"
       "Plain=Hello\r\n"
       "Empty=\r\n"
       "Blanks =   spaced out   \r\n"
       "  Indented  =\tx\t\r\n"
       "Double=\"  quoted  \"\r\n"
       "Single='single'\r\n"
       "Partial=\"starts only\r\n"
       "Mixed=\"mixed'\r\n"
       "Inner=a \"b\" c\r\n"
       "Trailing=\"x\" trailing\r\n"
       "OnlyQuote=\"\r\n"
       "TwoQuotes=\"\"\r\n"
       "a=b=c\r\n"
       "Semi=one;two\r\n"
       "NoEquals\r\n"
       "items fixed=one blank\r\n"
       "items  fixed=two blanks\r\n"
       "Dup=first\r\n"
       "Dup=second\r\n"
       "Nbsp=\xA0x\xA0\r\n"
       "\x1A"
       "Eof\x0B=\x0C"
       "ctl\x1A\r\n"
       "[NoClose\r\n"
       "Half=still Info\r\n"
       ";Commented=yes\r\n"
       "\r\n"
       "[fix]\r\n"
       "SUMMARY=lower section, upper key\r\n"
       "  [Buttons]  \r\n"
       "Yes=indented header\r\n"
       "[ Spaced ]\r\n"
       "Key=in spaced section\r\n"
       "[\xDC"
       "ber]\r\n"
       "\xC4rger=accented names\r\n"
       "[Info]\r\n"
       "Later=second Info section\r\n"},
      {"lf.ini", "[Info]\nPlain=lf only\nNext=second\n"},
      {"noeol.ini", "[Info]\r\nPlain=last line"},
      {"long.ini", "[Long]\r\nA=" + kLongA + "\r\nB=\"" + k2047 + "\"\r\nC=\"" + k2046 +
                       "\"\r\nD=" + k2047 + "\r\nE=\"" + kLongA + "\"\r\n"},
      {"utf8.ini", "\xEF\xBB\xBF[Info]\r\nPlain=caf\xC3\xA9\r\n"},
  };
}

std::vector<Lookup> Lookups() {
  return {
      {"missing.ini", "Info", "Plain", "def", "def"},
      {"main.ini", "Nope", "Plain", "def", "def"},
      {"main.ini", "Info", "Nope", "def", "def"},
      {"main.ini", "Info", "Plain", "def", "Hello"},
      {"main.ini", "INFO", "plain", "def", "Hello"},
      {"main.ini", " Info ", "  Plain ", "def", "Hello"},
      {"main.ini", "Info", "Empty", "def", ""},
      {"main.ini", "Info", "Blanks", "def", "spaced out"},
      {"main.ini", "Info", "Indented", "def", "x"},
      {"main.ini", "Info", "Double", "def", "  quoted  "},
      {"main.ini", "Info", "Single", "def", "single"},
      {"main.ini", "Info", "Partial", "def", "\"starts only"},
      {"main.ini", "Info", "Mixed", "def", "\"mixed'"},
      {"main.ini", "Info", "Inner", "def", "a \"b\" c"},
      {"main.ini", "Info", "Trailing", "def", "\"x\" trailing"},
      {"main.ini", "Info", "OnlyQuote", "def", "\""},
      {"main.ini", "Info", "TwoQuotes", "def", ""},
      {"main.ini", "Info", "a", "def", "b=c"},
      {"main.ini", "Info", "Semi", "def", "one;two"},
      {"main.ini", "Info", "NoEquals", "def", "def"},
      {"main.ini", "Info", "items fixed", "def", "one blank"},
      {"main.ini", "Info", "items  fixed", "def", "two blanks"},
      {"main.ini", "Info", "Dup", "def", "first"},
      {"main.ini", "Info", "Nbsp", "def", "\xA0x\xA0"},
      {"main.ini", "Info", "Eof", "def", "ctl"},
      {"main.ini", "Info", "Half", "def", "still Info"},
      {"main.ini", "NoClose", "Half", "def", "def"},
      {"main.ini", "Info", "Commented", "def", "def"},
      {"main.ini", "Info", ";Commented", "def", "yes"},
      {"main.ini", "Fix", "Summary", "def", "lower section, upper key"},
      {"main.ini", "Buttons", "Yes", "def", "indented header"},
      {"main.ini", "Spaced", "Key", "def", "in spaced section"},
      // Only ASCII letters match without regard to case.
      {"main.ini",
       "\xDC"
       "BER",
       "\xC4RGER", "def", "accented names"},
      {"main.ini",
       "\xFC"
       "ber",
       "\xC4rger", "def", "def"},
      {"main.ini",
       "\xDC"
       "ber",
       "\xE4rger", "def", "def"},
      // Only the first section of a name is searched.
      {"main.ini", "Info", "Later", "def", "def"},
      // The default loses trailing blanks and, when the file exists, its enclosing quotes.
      {"main.ini", "Info", "Nope", "def  ", "def"},
      {"main.ini", "Info", "Nope", "'q'", "q"},
      {"lf.ini", "Info", "Plain", "def", "lf only"},
      {"lf.ini", "Info", "Next", "def", "second"},
      {"noeol.ini", "Info", "Plain", "def", "last line"},
      {"long.ini", "Long", "A", "def", kLongA.substr(0, 2047)},
      // The closing quote is only removed when it fitted the buffer.
      {"long.ini", "Long", "B", "def", k2047.substr(0, 2046)},
      {"long.ini", "Long", "C", "def", k2046},
      {"long.ini", "Long", "D", "def", k2047},
      {"long.ini", "Long", "E", "def", kLongA.substr(0, 2047)},
      {"utf8.ini", "Info", "Plain", "def", "caf\xE9"},
  };
}

std::string Escaped(const std::string& text) {
  if (text.size() > 60) return text.substr(0, 20) + "... (" + std::to_string(text.size()) + ")";
  return text;
}

class LanguageFileContract : public ::testing::Test {
 protected:
  void SetUp() override { ContractBegin(); }
  // A fresh folder of the test's own (inside the Wine prefix under Wine).
  std::string Folder(const std::string& name) {
    const std::string folder = "C:\\klarvex\\tmp\\" + name;
    for (const char* file :
         {"main.ini", "lf.ini", "noeol.ini", "long.ini", "utf8.ini", "missing.ini", "English.ini"})
      Files().RemoveFile(folder + "\\" + file);
    EXPECT_TRUE(Files().MakeFolders(folder));
    return folder;
  }
  void TearDown() override {
    ReleaseLanguageFile();
    ContractEnd();
  }
};

TEST_F(LanguageFileContract, EveryLookupFollowsThePrivateProfileRules) {
  const std::string folder = Folder("lang");
  for (const IniFile& file : Files_()) {
    const Bytes bytes(file.text.begin(), file.text.end());
    ASSERT_EQ(Files().WriteAll(folder + "\\" + file.name, bytes), status::kSuccess) << file.name;
  }
  for (const Lookup& row : Lookups()) {
    SCOPED_TRACE(std::string(row.file) + " [" + row.section + "] " + row.key);
    const std::string got =
        Files().ReadProfileString(folder + "\\" + row.file, row.section, row.key, row.fallback);
    EXPECT_EQ(Escaped(got), Escaped(row.expected));
    EXPECT_EQ(got, row.expected);
  }
}

// The language file object reads through the same reader, anew on every lookup.
TEST_F(LanguageFileContract, LanguageTextSeesTheFileAsItIsNow) {
  const std::string path = Folder("lang2") + "\\English.ini";
  auto write = [&path](const std::string& text) {
    ASSERT_EQ(Files().WriteAll(path, Bytes(text.begin(), text.end())), status::kSuccess);
  };
  ReleaseLanguageFile();
  EXPECT_EQ(LanguageText("Buttons", "Yes", "Yes"), "Yes");
  OpenLanguageFile(path);
  EXPECT_EQ(LanguageText("Buttons", "Yes", "Yes"), "Yes");
  write("[Buttons]\r\nYes=Ja\r\n");
  EXPECT_EQ(LanguageText("Buttons", "Yes", "Yes"), "Ja");
  write("[Buttons]\r\nYes=Oui\r\n");
  EXPECT_EQ(LanguageText("Buttons", "Yes", "Yes"), "Oui");
  ReleaseLanguageFile();
  EXPECT_EQ(LanguageText("Buttons", "Yes", "Yes"), "Yes");
}

}  // namespace
