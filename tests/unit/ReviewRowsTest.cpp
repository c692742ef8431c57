// What the review shows of a finding: the item's own name first, where it lives shortened in
// its middle, the data as stored, and the whole finding with what the Clean will do.
#include <gtest/gtest.h>

#include "engine/ReviewRows.h"
#include "support/SimFixture.h"

namespace {

constexpr RootKey kCR = RootKey::ClassesRoot;
constexpr RootKey kCU = RootKey::CurrentUser;
constexpr RootKey kLM = RootKey::LocalMachine;
const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class ReviewRowsTest : public SimTest {
 protected:
  // A finding as a check records it, with the description it reads.
  static Finding Made(RootKey root, const std::string& keyPath, const std::string* value = nullptr,
                      const std::string& data = {}) {
    Finding f;
    f.root = root;
    f.keyPath = keyPath;
    f.isValue = value != nullptr;
    if (value) f.valueName = *value;
    f.data = data;
    f.rule = "file missing";
    if (!value) f.description = ItemDescription(root, keyPath);
    return f;
  }
};

TEST_F(ReviewRowsTest, TheItemsOwnNameComesFirstThenWhereItLives) {
  PutString(kLM, kUninstall + "\\KvxApp1", "DisplayName", "Kvx Application");
  PutString(kCR, "CLSID\\{C1}", "", "Kvx Class");
  PutString(kCR, "CLSID\\{C1}\\InprocServer32", "", "C:\\Gone\\kvx.dll");
  PutString(kCR, "Kvx.Icon.1", "", "Kvx Document");
  PutString(kCR, ".kvxa", "", "KvxMissing.TypeA");
  const std::string tool = "Tool";
  const std::string byDefault;
  struct Case {
    Finding finding;
    size_t room;
    std::string row;
  };
  const Case cases[] = {
      {Made(kCR, "\\.kvxa"), 90, ".kvxa - HKEY_CLASSES_ROOT"},
      {Made(kLM, "SOFTWARE\\Classes\\.kvxa"), 90, ".kvxa - HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes"},
      {Made(kLM, kUninstall + "\\KvxApp1"), 200,
       "KvxApp1 (Kvx Application) - HKEY_LOCAL_MACHINE\\" + std::string(kUninstall)},
      // Shortened in its middle: both ends of where it lives stay.
      {Made(kLM, kUninstall + "\\KvxApp1"), 60,
       "KvxApp1 (Kvx Application) - HKEY_LOCAL_MAC...rsion\\Uninstall"},
      {Made(kCR, "CLSID\\{C1}\\InprocServer32"), 90,
       "{C1}\\InprocServer32 (Kvx Class) - HKEY_CLASSES_ROOT\\CLSID"},
      {Made(kCR, "Wow6432Node\\CLSID\\{C2}"), 90, "{C2} - HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID"},
      {Made(kCR, "\\Kvx.Icon.1\\DefaultIcon"), 90,
       "Kvx.Icon.1\\DefaultIcon (Kvx Document) - HKEY_CLASSES_ROOT"},
      {Made(kCU, kRun, &tool), 90, "\"Tool\" - HKEY_CURRENT_USER\\" + std::string(kRun)},
      {Made(kCU, "Software\\Kvx", &byDefault), 90, "(default) - HKEY_CURRENT_USER\\Software\\Kvx"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReviewItemText(c.finding, c.room), c.row);
    EXPECT_LE(ReviewItemText(c.finding, c.room).size(), c.room);
  }
}

TEST(ShortenMiddle, KeepsBothEndsAndNeverSplitsAUtf8Character) {
  EXPECT_EQ(ShortenMiddle("abcdefghij", 10), "abcdefghij");
  EXPECT_EQ(ShortenMiddle("abcdefghij", 7), "ab...ij");
  EXPECT_EQ(ShortenMiddle("a\xC3\xA9"
                          "cdefghij",
                          7),
            "a...ij");
  EXPECT_EQ(ShortenMiddle("abcdefghij", 2), "..");
}

TEST_F(ReviewRowsTest, DetailsSayWhatTheCleanWillDo) {
  Finding moved = Made(kCR, "CLSID\\{C1}\\InprocServer32", nullptr, "C:\\Old\\kvx.dll");
  moved.rule = "server moved";
  moved.newPath = "C:\\Program Files\\Kvx\\kvx.dll";
  EXPECT_EQ(ReviewDataText(moved), "C:\\Old\\kvx.dll -> C:\\Program Files\\Kvx\\kvx.dll");
  EXPECT_EQ(ReviewDetailsText(moved),
            "Problem: Server moved\r\n"
            "Item: HKEY_CLASSES_ROOT\\CLSID\\{C1}\\InprocServer32\r\n"
            "Data: C:\\Old\\kvx.dll -> C:\\Program Files\\Kvx\\kvx.dll\r\n"
            "The Clean will: point the server at C:\\Program Files\\Kvx\\kvx.dll.");
  PutString(kLM, kUninstall + "\\KvxApp1", "DisplayName", "Kvx\r\nApplication");
  const Finding entry = Made(kLM, kUninstall + "\\KvxApp1");
  EXPECT_EQ(ReviewDetailsText(entry),
            "Problem: File missing\r\n"
            "Item: HKEY_LOCAL_MACHINE\\" +
                kUninstall +
                "\\KvxApp1\r\n"
                "Name: Kvx  Application\r\n"
                "Data: \r\n"
                "The Clean will: delete the key and everything below it.");
  const std::string tool = "Tool";
  EXPECT_TRUE(ReviewDetailsText(Made(kCU, kRun, &tool, "C:\\Gone\\Tool.exe"))
                  .ends_with("Data: C:\\Gone\\Tool.exe\r\nThe Clean will: delete the value."));
}

}  // namespace
