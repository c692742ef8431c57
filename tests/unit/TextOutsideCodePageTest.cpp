// Text the code page cannot hold: backups and restores keep every byte, and data that does not
// survive the round trip through the code page is never judged. Each case runs on a Western
// system (Windows-1252) and on one whose code page is UTF-8, where every text is judged.
#include <gtest/gtest.h>

#include <functional>

#include "undo/ImportCheck.h"
#include "unit/EngineTest.h"

namespace {

constexpr RootKey kCU = RootKey::CurrentUser;
constexpr RootKey kLM = RootKey::LocalMachine;
constexpr RootKey kCR = RootKey::ClassesRoot;
const std::u16string kTypedUrls = u"Software\\Microsoft\\Internet Explorer\\TypedURLs";
const std::u16string kUni = u"Software\\KvxUni";

class TextOutsideCodePage : public EngineTest, public ::testing::WithParamInterface<uint32_t> {
 protected:
  void StageMachine() override {
    sim.codePage.identifier = GetParam();
    EngineTest::StageMachine();
  }
  bool Utf8() const { return GetParam() == codepage::kUtf8; }

  void PutText(RootKey root, const std::u16string& path, const std::u16string& name,
               const std::u16string& text) {
    sim.registry.StageWideString(root, path, name, text);
  }
  std::optional<SimValue> Stored(RootKey root, const std::u16string& path,
                                 const std::u16string& name) const {
    return sim.registry.GetStoredValue(root, path, name);
  }
  // The file names the code page can spell, as the program sees them.
  void PutFileNamed(const std::u16string& path) {
    bool lossy = false;
    const std::string ansi = Ansi().ToAnsi(path, lossy);
    if (!lossy) PutFile(ansi);
  }
  void ImportUndoFile() { ASSERT_TRUE(RunRegedit(" /s \"" + UndoPath() + "\"")); }
  int Total() const {
    int total = 0;
    for (int category = 1; category <= kCategoryCount; ++category) {
      total += engine.CategoryCount(category);
    }
    return total;
  }
};

INSTANTIATE_TEST_SUITE_P(CodePages, TextOutsideCodePage, ::testing::Values(1252u, 65001u),
                         [](const auto& param) { return "Cp" + std::to_string(param.param); });

// The history list goes whatever it holds; the path value in a Cyrillic folder is judged only
// where the code page can spell it. Whatever went comes back byte for byte.
TEST_P(TextOutsideCodePage, CleanAndUndoGiveBackEveryByte) {
  const std::u16string url1 = u"http://\u043F\u0440\u0438\u043C\u0435\u0440.\u0440\u0444/";
  const std::u16string url2 = u"http://example.com/\u03A9mega";
  const std::u16string doc =
      u"C:\\\u0414\u043E\u043A\u0443\u043C\u0435\u043D\u0442\u044B\\"
      u"\u043E\u0442\u0447\u0451\u0442.doc";
  PutText(kCU, kTypedUrls, u"url1", url1);
  PutText(kCU, kTypedUrls, u"url2", url2);
  PutText(kCU, kUni, u"Doc", doc);
  const std::string before = sim.registry.Dump(kCU, "Software");

  engine.OnCleanClicked();

  EXPECT_FALSE(Stored(kCU, kTypedUrls, u"url1"));
  EXPECT_FALSE(Stored(kCU, kTypedUrls, u"url2"));
  EXPECT_EQ(Stored(kCU, kUni, u"Doc").has_value(), !Utf8());
  EXPECT_EQ(engine.CategoryCount(kTemporary), Utf8() ? 3 : 2);
  ImportUndoFile();
  EXPECT_EQ(sim.registry.Dump(kCU, "Software"), before);
  EXPECT_TRUE(ItemsNotInEffectOfFile(UndoPath()).empty());
}

// Where a planted item keeps the value whose survival shows it was left alone.
struct Where {
  RootKey root;
  std::u16string key;
  std::u16string name;
};

struct Planted {
  const char* what;
  int category;
  // Stages the item, told apart from the others by tag, naming the file at path.
  std::function<Where(SimRegistry&, const std::u16string& tag, const std::u16string& path)> stage;
};

std::vector<Planted> PlantedItems() {
  return {
      {"Run value", kStartup,
       [](SimRegistry& r, const std::u16string& tag, const std::u16string& path) {
         const Where at{kCU, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", u"Kvx" + tag};
         r.StageWideString(at.root, at.key, at.name, u"\"" + path + u"\" /min");
         return at;
       }},
      {"COM server", kComActiveX,
       [](SimRegistry& r, const std::u16string& tag, const std::u16string& path) {
         const Where at{
             kCR, u"CLSID\\{6B1A2C3D-0000-4000-8000-0000000000" + tag + u"}\\InprocServer32", u""};
         r.StageWideString(at.root, at.key, at.name, path);
         return at;
       }},
      {"icon", kComActiveX,
       [](SimRegistry& r, const std::u16string& tag, const std::u16string& path) {
         const Where at{kCR, u"Kvx.Icon" + tag + u"\\DefaultIcon", u""};
         r.StageWideString(at.root, at.key, at.name, path + u",0");
         return at;
       }},
      {"open command", kComActiveX,
       [](SimRegistry& r, const std::u16string& tag, const std::u16string& path) {
         const Where at{kCR, u"Kvx.Open" + tag + u"\\shell\\open\\command", u""};
         r.StageWideString(at.root, at.key, at.name, u"\"" + path + u"\" \"%1\"");
         return at;
       }},
      {"path-like value", kTemporary,
       [](SimRegistry& r, const std::u16string& tag, const std::u16string& path) {
         const Where at{kCU, u"Software\\KvxVendor", u"File" + tag};
         r.StageWideString(at.root, at.key, at.name, path);
         return at;
       }},
  };
}

// Greek, Cyrillic, Hebrew, CJK and emoji folders, none of which Windows-1252 can spell.
const std::u16string kFolders[] = {u"C:\\\u0391\u03B8\u03AE\u03BD\u03B1", u"C:\\\u041C\u043E\u0438",
                                   u"C:\\\u05D1\u05D9\u05EA", u"C:\\\u4E2D\u6587",
                                   u"C:\\Apps \U0001F600"};

TEST_P(TextOutsideCodePage, ExistingFilesAreAlwaysKeptMissingOnesJudgedOnlyWhereReadable) {
  struct Case {
    std::string what;
    int category;
    bool exists;
    Where at;
  };
  std::vector<Case> cases;
  int missing[kCategoryCount + 1] = {};
  for (const Planted& item : PlantedItems()) {
    for (const std::u16string& folder : kFolders) {
      for (bool exists : {true, false}) {
        const std::u16string tag = Ansi().ToWide(std::to_string(10 + cases.size()));
        const std::u16string path = folder + u"\\app" + tag + u".exe";
        if (exists) PutFileNamed(path);
        cases.push_back({item.what, item.category, exists, item.stage(sim.registry, tag, path)});
        if (!exists) ++missing[item.category];
      }
    }
  }
  engine.OnCleanClicked();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what + (c.exists ? " existing" : " missing"));
    // Judged only where the code page spells it, and then gone only when the file is gone.
    EXPECT_EQ(Stored(c.at.root, c.at.key, c.at.name).has_value(), c.exists || !Utf8());
  }
  for (int category : {kComActiveX, kStartup, kTemporary}) {
    EXPECT_EQ(engine.CategoryCount(category), Utf8() ? missing[category] : 0) << category;
  }
  ImportUndoFile();
  for (const Case& c : cases) EXPECT_TRUE(Stored(c.at.root, c.at.key, c.at.name)) << c.what;
}

// An uninstall entry whose command the code page cannot spell still offers one; an extension
// naming a type the code page cannot spell is not judged on a Western system.
TEST_P(TextOutsideCodePage, UninstallEntriesAndExtensionsWithUnspellableText) {
  const std::u16string list = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
  PutText(kLM, list + u"KvxUn", u"DisplayName", u"\u05D1\u05D9\u05EA");
  PutText(kLM, list + u"KvxUn", u"UninstallString", u"C:\\\u4E2D\\un.exe");
  PutText(kCR, u".kvxu", u"", u"\u03A9file");
  engine.OnCleanClicked();
  EXPECT_TRUE(Stored(kLM, list + u"KvxUn", u"UninstallString"));
  EXPECT_EQ(engine.CategoryCount(kUninstall), 0);
  // Under UTF-8 the type is read as it is and found missing.
  EXPECT_EQ(engine.CategoryCount(kAssociations), Utf8() ? 1 : 0);
}

// A restore that came back through the code page is named, not reported as done.
TEST_P(TextOutsideCodePage, ImportCheckNamesAValueThatCameBackChanged) {
  PutText(kCU, kUni, u"v", u"\u03A9");
  const std::u16string script =
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\KvxUni]\r\n\"v\"=\"\u03A9\"\r\n";
  const ParsedScript parsed = ParseScript(script, ScriptEncoding::Utf16);
  EXPECT_TRUE(ItemsNotInEffect(parsed).empty());
  // What a single-byte restore writes back on a Western system.
  PutText(kCU, kUni, u"v", u"?");
  EXPECT_EQ(ItemsNotInEffect(parsed),
            (TextList{"HKEY_CURRENT_USER\\Software\\KvxUni, value \"v\""}));
}

}  // namespace
