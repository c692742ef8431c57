#include <gtest/gtest.h>

#include "unit/ComChecksTest.h"

namespace {

class CheckCOMTest : public ComChecksTest {
 protected:
  void Server(const std::string& clsid, const std::string& kind, const std::string& text) {
    PutDefault("CLSID\\" + clsid + "\\" + kind, text);
  }
};

TEST_F(CheckCOMTest, JudgesServersAndTypeLibrariesOfEveryClass) {
  PutFile("C:\\Program Files\\Foo\\foo.dll");
  PutKey(kCr, "TypeLib\\{TL-REG}");
  // Sound: an existing path with quotes and arguments; bare names in the three Windows folders.
  Server("{C01}", "InprocServer32", "\"C:\\Program Files\\Foo\\foo.dll\" /Embedding");
  Server("{C02}", "InprocServer32", "kernel32.dll");
  Server("{C03}", "InprocServer32", "C:\\Old\\olepro32.dll");
  Server("{C04}", "LocalServer32", "C:\\Elsewhere\\notepad.exe /automation");
  // Moved: found twice in the index, the first line wins.
  Server("{C05}", "InprocServer32", "C:\\Old\\Moved.dll");
  PutFile("C:\\WINDOWS\\Sub\\Moved.dll");
  engine.SystemFileIndex.Add("MOVED.DLL", "C:\\WINDOWS\\Sub\\");
  engine.SystemFileIndex.Add("MOVED.DLL", "C:\\Program Files\\Moved\\");
  // Gone, under the local server: the empty in-process value is not the server.
  Server("{C06}", "InprocServer32", "");
  Server("{C06}", "LocalServer32", "\"C:\\Gone\\gone.exe\" /automation");
  // Two repairs of one class: the server first.
  Server("{C07}", "InprocServer32", "C:\\Gone\\twice.dll");
  PutDefault("CLSID\\{C07}\\TypeLib", "{tl-gone}");
  // The excluded type library, stored in mixed case: nothing is tested.
  Server("{C08}", "InprocServer32", "C:\\Gone\\excluded.dll");
  PutDefault("CLSID\\{C08}\\TypeLib", "{d63e0ce2-A0A2-11d0-9c02-00c04fc99c8e}");
  // A registered type library.
  Server("{C09}", "InprocServer32", "kernel32.dll");
  PutDefault("CLSID\\{C09}\\TypeLib", "{TL-REG}");
  // A server value that is not a string is no server; its type library is still tested.
  PutValue(kCr, "CLSID\\{C10}\\InprocServer32", "", regtype::kBinary, {1, 2});
  PutDefault("CLSID\\{C10}\\TypeLib", "{TL-GONE2}");
  // A folder: no file name, nothing matches.
  Server("{C11}", "InprocServer32", "C:\\Gone\\");
  PutKey(kCr, "CLSID\\{C12}");
  const std::string before = Classes();

  PrepareChecks();
  engine.CheckCOM();

  EXPECT_EQ(FixScript, Script({
                           "[HKEY_CLASSES_ROOT\\CLSID\\{C05}\\InprocServer32]",
                           "@=\"C:\\\\WINDOWS\\\\Sub\\\\MOVED.DLL\"",
                           "",
                           "[-HKEY_CLASSES_ROOT\\CLSID\\{C06}\\LocalServer32]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\CLSID\\{C07}\\InprocServer32]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\CLSID\\{C07}\\TypeLib]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\CLSID\\{C10}\\TypeLib]",
                           "",
                           "[-HKEY_CLASSES_ROOT\\CLSID\\{C11}\\InprocServer32]",
                           "",
                       }));
  const TextList log = {
      "[HKCR]\\CLSID\\{C05}\\InprocServer32=MOVED.DLL ... fixed",
      "[HKCR]\\CLSID\\{C06}\\LocalServer32=GONE.EXE ... fixed",
      "[HKCR]\\CLSID\\{C07}\\InprocServer32=TWICE.DLL ... fixed",
      "[HKCR]\\CLSID\\{C07}\\TypeLib={TL-GONE} ... deleted",
      "[HKCR]\\CLSID\\{C10}\\TypeLib={TL-GONE2} ... deleted",
      "[HKCR]\\CLSID\\{C11}\\InprocServer32= ... fixed",
  };
  EXPECT_EQ(engine.CategoryLog(kComActiveX), log);
  EXPECT_EQ(engine.CategoryCount(kComActiveX), 6);
  // Whole class keys for server repairs, the TypeLib subkey alone for type library repairs.
  EXPECT_EQ(JournalKeys(), (TextList{
                               "[HKEY_CLASSES_ROOT\\CLSID\\{C05}]",
                               "[HKEY_CLASSES_ROOT\\CLSID\\{C05}\\InprocServer32]",
                               "[HKEY_CLASSES_ROOT\\CLSID\\{C06}]",
                               "[HKEY_CLASSES_ROOT\\CLSID\\{C06}\\InprocServer32]",
                               "[HKEY_CLASSES_ROOT\\CLSID\\{C06}\\LocalServer32]",
                               "[HKEY_CLASSES_ROOT\\CLSID\\{C07}]",
                               "[HKEY_CLASSES_ROOT\\CLSID\\{C07}\\InprocServer32]",
                               "[HKEY_CLASSES_ROOT\\CLSID\\{C07}\\TypeLib]",
                               "[HKEY_CLASSES_ROOT\\CLSID\\{C07}\\TypeLib]",
                               "[HKEY_CLASSES_ROOT\\CLSID\\{C10}\\TypeLib]",
                               "[HKEY_CLASSES_ROOT\\CLSID\\{C11}]",
                               "[HKEY_CLASSES_ROOT\\CLSID\\{C11}\\InprocServer32]",
                           }));
  ExpectScriptAndUndoRoundTrip(before);
}

// A server the Part's own text cannot place, but which exists once the system expands the
// variables, or which lies on a drive that proves nothing, is left as it is: no rewrite either.
TEST_F(CheckCOMTest, KeepsServersThatMayStillExist) {
  sim.process.SetEnvironment("ProgramFiles(x86)", "C:\\Program Files (x86)");
  sim.process.SetEnvironment("USERPROFILE", "C:\\Users\\user");
  sim.files.SetDrive('E', DriveKind::Removable);
  sim.files.SetDrive('N', DriveKind::Remote);
  PutFile("C:\\Program Files (x86)\\Vendor\\x86.dll");
  PutFile("C:\\Users\\user\\Tools\\user.exe");
  Server("{K1}", "InprocServer32", "%ProgramFiles(x86)%\\Vendor\\x86.dll");
  Server("{K2}", "LocalServer32", "\"%USERPROFILE%\\Tools\\user.exe\" -Embedding");
  Server("{K3}", "InprocServer32", "E:\\Stick\\usb.dll");
  Server("{K4}", "InprocServer32", "N:\\Share\\net.dll");
  Server("{K5}", "InprocServer32", "\\\\server\\share\\unc.dll");
  // The same names in the index must not pull a rewrite either.
  for (const char* name : {"X86.DLL", "USER.EXE", "USB.DLL", "NET.DLL", "UNC.DLL"}) {
    engine.SystemFileIndex.Add(name, "C:\\Program Files\\Copies\\");
  }
  // A variable the owner does not define: nothing can be told of the file.
  Server("{K6}", "InprocServer32", "%NoSuchVariable%\\gone.dll");

  PrepareChecks();
  engine.CheckCOM();

  EXPECT_EQ(FixScript, Script({}));
  EXPECT_EQ(engine.CategoryCount(kComActiveX), 0);
}

// A machine-wide class is only pointed at a copy that programs without elevation cannot change:
// one in a user-writable Windows folder is never found, one whose file or folders standard users
// may change or that lies behind a link is passed over, and the next trusted copy is taken.
TEST_F(CheckCOMTest, PointsMovedServersOnlyAtCopiesStandardUsersCannotChange) {
  enum Stage { kPlain, kFileChangeable, kFolderChangeable, kFolderIsLink };
  struct Case {
    const char* id;
    std::vector<std::pair<std::string, Stage>> copies;  // folders holding the file, walk order
    bool moved;  // to the last copy; otherwise removed, noting a copy passed over
  };
  const std::string pf = ProgramFilesDir();
  const Case cases[] = {
      {"T1", {{"C:\\WINDOWS\\Temp\\", kPlain}}, false},
      {"T2", {{"C:\\WINDOWS\\System32\\spool\\drivers\\color\\", kPlain}}, false},
      {"T3", {{"C:\\WINDOWS\\Tasks\\", kPlain}, {pf + "Vendor\\", kPlain}}, true},
      {"T4", {{pf + "Open\\", kFolderChangeable}}, false},
      {"T5", {{pf + "Vendor\\", kFileChangeable}}, false},
      {"T6", {{pf + "Linked\\", kFolderIsLink}}, false},
  };
  TextList script;
  TextList log;
  for (const Case& c : cases) {
    const std::string file = std::string(c.id) + ".DLL";
    const std::string key = "\\CLSID\\{" + std::string(c.id) + "}\\InprocServer32";
    PutDefault(key.substr(1), "C:\\Old\\" + file);
    for (const auto& [folder, stage] : c.copies) {
      if (stage == kFolderIsLink)
        sim.files.PutFolder(folder, fileattr::kDirectory | fileattr::kReparsePoint);
      PutFile(folder + file);
      if (stage == kFileChangeable) sim.files.LetStandardUsersChange(folder + file);
      if (stage == kFolderChangeable) sim.files.LetStandardUsersChange(folder);
    }
    const std::string moved = c.copies.back().first + file;
    script.insert(script.end(), {(c.moved ? "[" : "[-") + KeyLine(kCr, key).substr(1), ""});
    if (c.moved) script.insert(script.end() - 1, "@=\"" + EscapeBackslashes(moved) + "\"");
    // A linked folder is not even walked: its copy is never found.
    const Stage last = c.copies.back().second;
    const bool passedOver = !c.moved && last != kPlain && last != kFolderIsLink;
    log.push_back("[HKCR]" + key + "=" + file + (passedOver ? " (no trusted copy)" : "") +
                  " ... fixed");
  }
  engine.ScanSystemFolder(WindowsDir());
  engine.ScanSystemFolder(pf);

  PrepareChecks();
  engine.CheckCOM();

  EXPECT_EQ(FixScript, Script(script));
  EXPECT_EQ(engine.CategoryLog(kComActiveX), log);
  EXPECT_EQ(engine.Findings()[3].rule, "server copy not trusted");
  EXPECT_EQ(engine.Findings()[2].newPath, pf + "Vendor\\T3.DLL");
}

TEST_F(CheckCOMTest, SchedulesNoRepairWhoseBackupFailed) {
  Server("{B1}", "InprocServer32", "C:\\Gone\\a.dll");
  PutDefault("CLSID\\{B1}\\TypeLib", "{TL-GONE}");
  Server("{B2}", "InprocServer32", "C:\\Gone\\b.dll");
  engine.SystemFileIndex.Add("B.DLL", "C:\\Program Files\\B\\");
  PrepareChecks();
  sim.process.beforeRun = [](const SimProcess::Run&) { return false; };

  engine.CheckCOM();

  EXPECT_EQ(FixScript, Script({}));
  EXPECT_TRUE(engine.CategoryLog(kComActiveX).empty());
  EXPECT_EQ(engine.CategoryCount(kComActiveX), 0);
}

TEST_F(CheckCOMTest, LeavesClassesTheUserCannotChange) {
  Server("{R1}", "InprocServer32", "C:\\Gone\\a.dll");
  MarkReadOnly(kCr, "CLSID\\{R1}");
  PrepareChecks();
  engine.CheckCOM();
  EXPECT_EQ(FixScript, Script({}));
  EXPECT_EQ(engine.CategoryCount(kComActiveX), 0);
}

}  // namespace
