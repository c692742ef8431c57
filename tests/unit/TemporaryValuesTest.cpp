#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "platform/RegScript.h"
#include "platform/RegistryOps.h"
#include "unit/EngineTest.h"

namespace {

constexpr RootKey kCU = RootKey::CurrentUser;
const std::string kRunMru = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const std::string kAllTypes =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU\\*";
const std::string kVendor = "Software\\Vendor\\App";

Bytes Text(const std::string& text) {
  Bytes data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

std::string Detail(const std::string& valuePath) { return "[HKCU]" + valuePath + " ... deleted"; }

class TemporaryValuesTest : public EngineTest {
 protected:
  void Walk() { engine.ScanApplicationsHistory(kCU, "\\Software\\"); }

  // The registry below a key as sorted lines: a restore appends values, so order may differ.
  std::string SortedDump(const std::string& path) const {
    std::istringstream in(sim.registry.Dump(kCU, path));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
  }

  static TextList Names(const std::string& path) {
    return RegKey(kCU, path, keyaccess::kRead).ValueNames();
  }

  void ImportUndoFile() {
    engine.CloseUndoFile();
    ASSERT_TRUE(RunRegedit(" /s \"" + UndoPath() + "\""));
  }

  // Whether the undo file on disk would restore this value, as it is now, of key (root name
  // first, as the simulated registry names keys in its calls).
  bool UndoFileRestores(const std::string& key, const std::string& name) const {
    const std::string below = key.substr(key.find('\\') + 1);
    const std::optional<SimValue> value =
        sim.registry.GetStoredValue(kCU, Ansi().ToWide(below), Ansi().ToWide(name));
    if (!value || !sim.files.Exists(UndoPath())) return false;
    const std::string text = sim.files.FileText(UndoPath());
    const Bytes file(text.begin(), text.end());
    const ParsedScript script = ParseScriptFile(file);
    return std::any_of(script.ops.begin(), script.ops.end(), [&](const ScriptOp& op) {
      return op.kind == ScriptOp::Kind::SetValue && op.root == kCU &&
             UpperAscii(op.path) == UpperAscii(below) && op.name == name &&
             op.type == value->type && op.data == value->data;
    });
  }
};

TEST_F(TemporaryValuesTest, HistoryKeysLoseOnlyTheirPlainStrings) {
  PutString(kCU, kRunMru, "a", "notepad\\1");
  PutString(kCU, kRunMru, "MRUList", "ba");
  PutString(kCU, kRunMru, "Typed", "%WINDIR%\\x", regtype::kExpandSz);
  PutDword(kCU, kRunMru, "Count", 2);
  PutValue(kCU, kRunMru, "Blob", regtype::kBinary, {1, 2});
  PutString(kCU, kRunMru, "b", "cmd\\1");
  PutString(kCU, kRunMru + "\\Sub", "c", "stays, subkeys are not entered");
  PutString(kCU, kAllTypes, "a", "C:\\x.txt");

  PrepareChecks();
  const std::string before = SortedDump(kRunMru);
  engine.ScanReg("\\" + kRunMru);
  engine.ScanReg("\\SOFTWARE\\Microsoft\\Internet Explorer\\TypedURLs");  // not there
  engine.ScanReg("\\" + kAllTypes);

  EXPECT_EQ(engine.CategoryLog(kTemporary),
            (TextList{Detail("\\" + kRunMru + "\\a"), Detail("\\" + kRunMru + "\\MRUList"),
                      Detail("\\" + kRunMru + "\\b"), Detail("\\" + kAllTypes + "\\a")}));
  EXPECT_EQ(engine.CategoryCount(kTemporary), 4);
  EXPECT_EQ(FixScript, (TextList{"REGEDIT4", ""}));
  EXPECT_EQ(Names(kRunMru), (TextList{"Typed", "Count", "Blob"}));
  EXPECT_EQ(Names(kRunMru + "\\Sub"), (TextList{"c"}));

  ImportUndoFile();
  EXPECT_EQ(SortedDump(kRunMru), before);
  EXPECT_TRUE(sim.registry.GetValue(kCU, kAllTypes, "a").has_value());
}

TEST_F(TemporaryValuesTest, WalkRemovesPathLikeValuesThatNameNothing) {
  PutFile("C:\\Docs\\present.txt");
  PutFile("C:\\Work\\x.txt");
  struct Case {
    const char* name;
    const char* data;
    bool removed;
  };
  const std::vector<Case> cases = {
      {"Short", "C:\\a", false},  // four characters
      {"Five", "C:\\ab", true},
      {"NoColon", "\\Gone\\x.txt", false},
      {"NoBackslash", "C:/Gone/x.txt", false},
      {"Tilde", "C:\\PROGRA~1\\Gone\\x.exe", false},
      {"Dollar", "C:\\$Gone\\x.txt", false},
      {"TwoCommas", "C:\\Gone\\x.dll,1,2", false},
      {"OneComma", "C:\\Gone\\icons.dll,3", true},
      {"DriveA", "A:\\SETUP.EXE", true},  // no test at all
      {"Archive", "Archive C:\\Work\\x.txt", false},
      {"LowerA", "a:\\setup.exe", false},  // tested; drive A: is not there to judge
      {"Folder", "C:\\Docs", false},
      {"FolderGone", "C:\\Docs\\Old", true},
      {"File", "C:\\Docs\\present.txt", false},
      {"Missing", "C:\\Docs\\missing.txt", true},
      {"BareWindows", "C:\\Old\\notepad.exe", false},
      {"BareSystem", "C:\\Old\\olepro32.dll", false},
      {"BareSystem32", "C:\\WINDOWS\\System32\\Old\\shell32.dll,4", false},
      {"ExpandRaw", "%SystemDrive%\\Gone\\x.txt", false},  // no colon before expansion
  };
  for (const Case& c : cases) PutString(kCU, kVendor, c.name, c.data);
  PutString(kCU, kVendor, "ExpandGone", "C:\\Gone\\%USERNAME%\\x.txt", regtype::kExpandSz);
  PutValue(kCU, kVendor, "Binary", regtype::kBinary, Text("C:\\Gone\\x.txt"));
  PutValue(kCU, kVendor, "Multi", regtype::kMultiSz, Text("C:\\Gone\\x.txt"));

  PrepareChecks();
  const std::string before = SortedDump(kVendor);
  Walk();

  TextList expectedLog;
  TextList expectedLeft;
  for (const Case& c : cases) {
    (c.removed ? expectedLog : expectedLeft)
        .push_back(c.removed ? Detail("\\" + kVendor + "\\" + c.name) : c.name);
  }
  expectedLog.push_back(Detail("\\" + kVendor + "\\ExpandGone"));
  expectedLeft.insert(expectedLeft.end(), {"Binary", "Multi"});
  EXPECT_EQ(engine.CategoryLog(kTemporary), expectedLog);
  EXPECT_EQ(engine.CategoryCount(kTemporary), static_cast<int32_t>(expectedLog.size()));
  EXPECT_EQ(Names(kVendor), expectedLeft);

  ImportUndoFile();
  EXPECT_EQ(SortedDump(kVendor), before);
}

TEST_F(TemporaryValuesTest, WalkKeepsValuesWhoseFileMayStillExist) {
  sim.process.SetEnvironment("LOCALAPPDATA", "C:\\Users\\user\\AppData\\Local");
  sim.process.SetEnvironment("USERPROFILE", "C:\\Users\\user");
  PutFile("C:\\Users\\user\\AppData\\Local\\App\\app.exe");
  PutFile("C:\\Users\\user\\Tools\\tool.exe");
  sim.files.SetDrive('E', DriveKind::Removable);
  PutString(kCU, kVendor, "Local", "\"%LOCALAPPDATA%\\App\\app.exe\" --open C:\\Work");
  PutString(kCU, kVendor, "Profile", "\"%USERPROFILE%\\Tools\\tool.exe\" /log C:\\Logs",
            regtype::kExpandSz);
  PutString(kCU, kVendor, "ProfileGone", "\"%USERPROFILE%\\Gone\\tool.exe\" /log C:\\Logs",
            regtype::kExpandSz);
  PutString(kCU, kVendor, "Usb", "E:\\Music\\song.mp3");
  PutString(kCU, kVendor, "Absent", "F:\\Music\\song.mp3");
  PutString(kCU, kVendor, "Share", "\\\\server\\share:\\x.doc");
  PutString(kCU, kVendor, "Gone", "C:\\Users\\user\\Gone\\x.txt");

  PrepareChecks();
  Walk();

  EXPECT_EQ(engine.CategoryLog(kTemporary), (TextList{Detail("\\" + kVendor + "\\ProfileGone"),
                                                      Detail("\\" + kVendor + "\\Gone")}));
  EXPECT_EQ(Names(kVendor), (TextList{"Local", "Profile", "Usb", "Absent", "Share"}));
}

TEST_F(TemporaryValuesTest, WalkSkipsMicrosoftAndClassesBranchesWithoutOpeningThem) {
  const std::vector<std::string> excluded = {
      "Software\\Microsoft\\Old",         "Software\\Classes\\Old",
      "Software\\Vendor\\MicrosoftTools", "Software\\Vendor\\Deep\\microsoft",
      "Software\\Vendor\\SubClassesX",    "Software\\Vendor\\classes\\Inner"};
  for (const std::string& key : excluded) PutString(kCU, key, "Last", "C:\\Gone\\x.txt");
  PutString(kCU, "Software\\Vendor\\Deep", "Last", "C:\\Gone\\x.txt");
  std::vector<std::string> opened;
  sim.registry.failWhen = [&opened](const SimRegCall& call) {
    if (call.call == "Open") opened.push_back(UpperAscii(call.key));
    return status::kSuccess;
  };

  PrepareChecks();
  Walk();

  EXPECT_EQ(engine.CategoryLog(kTemporary), (TextList{Detail("\\Software\\Vendor\\Deep\\Last")}));
  for (const std::string& key : excluded) {
    SCOPED_TRACE(key);
    EXPECT_TRUE(sim.registry.GetValue(kCU, key, "Last").has_value());
    const std::string upper = "HKEY_CURRENT_USER\\" + UpperAscii(key);
    EXPECT_EQ(std::count(opened.begin(), opened.end(), upper), 0);
  }
  EXPECT_EQ(sim.registry.OpenHandleCount(), 0u);
}

TEST_F(TemporaryValuesTest, StopDuringTheWalkEndsIt) {
  PutString(kCU, "Software\\A", "a1", "C:\\Gone\\1.txt");
  PutString(kCU, "Software\\A", "a2", "C:\\Gone\\2.txt");
  PutString(kCU, "Software\\B", "b1", "C:\\Gone\\3.txt");
  PrepareChecks();
  int pumpsAfterStop = 0;
  bool a1Judged = false;
  sim.registry.failWhen = [&](const SimRegCall& call) {
    a1Judged = a1Judged || call.value == "a1";
    return status::kSuccess;
  };
  // Stopped at the item after a1: a1 is removed with its key's values, a2 is not.
  host.onPump = [&](int) {
    if (!engine.Running) ++pumpsAfterStop;
    if (a1Judged) engine.Running = false;
  };
  Walk();
  EXPECT_EQ(engine.CategoryLog(kTemporary), (TextList{Detail("\\Software\\A\\a1")}));
  EXPECT_EQ(Names("Software\\A"), (TextList{"a2"}));
  EXPECT_EQ(Names("Software\\B"), (TextList{"b1"}));
  // a2, then one pump at the start of each remaining key (B, Classes, Microsoft).
  EXPECT_EQ(pumpsAfterStop, 3);
}

TEST_F(TemporaryValuesTest, AValueThatCannotBeDeletedIsNeitherCountedNorListed) {
  PutString(kCU, kRunMru, "a", "x");
  PutString(kCU, kRunMru, "b", "y");
  PutString(kCU, kVendor, "Locked", "C:\\Gone\\1.txt");
  PutString(kCU, kVendor, "Free", "C:\\Gone\\2.txt");
  sim.registry.failWhen = [](const SimRegCall& call) {
    const bool refused =
        call.call == "DeleteValue" && (call.value == "a" || call.value == "Locked");
    return refused ? status::kAccessDenied : status::kSuccess;
  };

  PrepareChecks();
  engine.ScanReg("\\" + kRunMru);
  Walk();

  EXPECT_EQ(engine.CategoryLog(kTemporary),
            (TextList{Detail("\\" + kRunMru + "\\b"), Detail("\\" + kVendor + "\\Free")}));
  EXPECT_EQ(engine.CategoryCount(kTemporary), 2);
  EXPECT_EQ(Names(kRunMru), (TextList{"a"}));
  EXPECT_EQ(Names(kVendor), (TextList{"Locked"}));
}

TEST_F(TemporaryValuesTest, AValueWhoseBackupFailsIsNotDeleted) {
  PutString(kCU, kRunMru, "a", "x");
  PutString(kCU, kRunMru, "b", "y");
  PutString(kCU, kVendor, "Last", "C:\\Gone\\1.txt");
  // The check reads each value once, the backup a second time: that second read fails.
  std::map<std::string, int> reads;
  sim.registry.failWhen = [&reads](const SimRegCall& call) {
    const bool refused = call.call == "QueryValue" && call.value != "b" && ++reads[call.value] == 2;
    return refused ? status::kNotEnoughMemory : status::kSuccess;
  };

  PrepareChecks();
  engine.ScanReg("\\" + kRunMru);
  Walk();

  EXPECT_EQ(engine.CategoryLog(kTemporary), (TextList{Detail("\\" + kRunMru + "\\b")}));
  EXPECT_EQ(Names(kRunMru), (TextList{"a"}));
  EXPECT_EQ(Names(kVendor), (TextList{"Last"}));
}

TEST_F(TemporaryValuesTest, NothingIsDeletedWhileTheUndoFileCannotBeWritten) {
  PutString(kCU, kRunMru, "a", "x");
  PutString(kCU, kVendor, "Last", "C:\\Gone\\1.txt");
  sim.files.failWhen = [](const SimFileCall& call) {
    return call.call == "WriteAll" ? status::kDiskFull : status::kSuccess;
  };

  PrepareChecks();
  engine.ScanReg("\\" + kRunMru);
  Walk();

  EXPECT_TRUE(engine.CategoryLog(kTemporary).empty());
  EXPECT_EQ(engine.CategoryCount(kTemporary), 0);
  EXPECT_EQ(Names(kRunMru), (TextList{"a"}));
  EXPECT_EQ(Names(kVendor), (TextList{"Last"}));
}

// Category 5 deletes at once: at every deletion the undo file on disk must already hold the
// value as it is, and after the last one the file is what the journal saves as at the end.
TEST_F(TemporaryValuesTest, UndoFileOnDiskHoldsEachValueBeforeItIsDeleted) {
  PutString(kCU, kRunMru, "a", "notepad\\1");
  PutString(kCU, kRunMru, "Quote\"d", "say \"hi\"");
  PutString(kCU, kVendor, "Last", "C:\\Gone\\x.txt");
  PutString(kCU, kVendor, "Typed", "C:\\Gone\\%USERNAME%.txt", regtype::kExpandSz);
  PutString(kCU, kVendor + "\\Deeper\\Still", "Path", "C:\\Gone\\y.txt");
  std::vector<std::string> deleted;
  std::vector<size_t> handlesAtDeletion;
  sim.registry.failWhen = [&](const SimRegCall& call) {
    if (call.call == "DeleteValue") {
      EXPECT_TRUE(UndoFileRestores(call.key, call.value)) << call.key << " " << call.value;
      deleted.push_back(call.value);
      handlesAtDeletion.push_back(sim.registry.OpenHandleCount());
    }
    return status::kSuccess;
  };

  PrepareChecks();
  engine.ScanReg("\\" + kRunMru);
  Walk();

  // Each key's values go from the last one listed back.
  EXPECT_EQ(deleted, (std::vector<std::string>{"Quote\"d", "a", "Typed", "Last", "Path"}));
  // The walk keeps one open key per level: Software, Vendor, App (, Deeper, Still).
  EXPECT_EQ(handlesAtDeletion, (std::vector<size_t>{1, 1, 3, 3, 5}));
  ASSERT_EQ(SaveUndoFile("C:\\expected.reg", UndoJournal), status::kSuccess);
  EXPECT_EQ(sim.files.FileText(UndoPath()), sim.files.FileText("C:\\expected.reg"));
}

}  // namespace
