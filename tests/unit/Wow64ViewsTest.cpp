// Both registries of a 64-bit Windows: the simulated machine's two views of the redirected keys,
// paths as a 32-bit program reaches them, and the checks over the 32-bit copies.
#include <gtest/gtest.h>

#include "engine/RegistryView.h"
#include "platform/RegistryOps.h"
#include "unit/ComChecksTest.h"

namespace {

constexpr RootKey kLM = RootKey::LocalMachine;
const std::string kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const std::string kRun32 = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kList32 =
    "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class Wow64Test : public ComChecksTest {
 protected:
  void StageMachine() override {
    ComChecksTest::StageMachine();
    StageWow64Machine();
  }
  std::string MachineState() const {
    return sim.registry.Dump(kLM, "SOFTWARE") + sim.registry.Dump(RootKey::CurrentUser, "Software");
  }
};

// Where a key written at one path is seen: the same key (shared or linked) or another.
TEST_F(Wow64Test, TheSimulatedRegistryHasTwoViewsOfTheRedirectedKeysOnly) {
  struct Case {
    const char* writtenAt;  // below HKLM
    const char* readAt;     // below HKCR when it starts with "\", else below HKLM
    bool same;
  };
  const Case cases[] = {
      {"SOFTWARE\\Classes\\Wow6432Node\\TypeLib\\{T}", "\\TypeLib\\{T}", true},
      {"SOFTWARE\\Classes\\Wow6432Node\\.kvx", "SOFTWARE\\Classes\\.kvx", true},
      {"SOFTWARE\\Classes\\Wow6432Node\\Kvx.Prog.1", "\\Kvx.Prog.1", true},
      {"SOFTWARE\\Wow6432Node\\Classes\\TypeLib\\{L}", "\\TypeLib\\{L}", true},
      {"SOFTWARE\\Wow6432Node\\Classes\\CLSID\\{C}", "\\Wow6432Node\\CLSID\\{C}", true},
      {"SOFTWARE\\Classes\\Wow6432Node\\CLSID\\{C2}", "\\CLSID\\{C2}", false},
      {"SOFTWARE\\Classes\\Wow6432Node\\Interface\\{I}", "\\Interface\\{I}", false},
      {"SOFTWARE\\Classes\\CLSID\\{C3}", "\\Wow6432Node\\CLSID\\{C3}", false},
      {"SOFTWARE\\Wow6432Node\\Kvx", "SOFTWARE\\Kvx", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.writtenAt);
    PutKey(kLM, c.writtenAt);
    const bool classes = c.readAt[0] == '\\';
    EXPECT_EQ(KeyExists(classes ? RootKey::ClassesRoot : kLM, c.readAt), c.same) << c.readAt;
  }
  // A shared key is stored once: the dump holds no copy below Wow6432Node.
  EXPECT_EQ(sim.registry.Dump(kLM, "SOFTWARE\\Classes\\Wow6432Node"),
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Wow6432Node]\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Wow6432Node\\CLSID]\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Wow6432Node\\CLSID\\{C2}]\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Wow6432Node\\CLSID\\{C}]\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Wow6432Node\\Interface]\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Wow6432Node\\Interface\\{I}]\n");
}

TEST_F(EngineTest, OnA32BitWindowsThereIsNoSecondViewAndNothingIsShared) {
  PutKey(kLM, "SOFTWARE\\Classes\\TypeLib\\{T}");
  EXPECT_FALSE(KeyExists(RootKey::ClassesRoot, "\\Wow6432Node\\TypeLib\\{T}"));
  EXPECT_FALSE(k32BitView.ExistsFor(RootKey::ClassesRoot));
  EXPECT_FALSE(k32BitView.ExistsFor(kLM));
  EXPECT_TRUE(k64BitView.ExistsFor(kLM));
  // A 32-bit program's folders are the only ones there are.
  EXPECT_EQ(ProgramFilesX86Dir(), ProgramFilesDir());
  EXPECT_EQ(CommonFilesX86Dir(), CommonFilesDir());
}

TEST_F(Wow64Test, KeyPathsAndTagsOfTheViews) {
  EXPECT_TRUE(k32BitView.ExistsFor(RootKey::ClassesRoot));
  EXPECT_TRUE(k32BitView.ExistsFor(kLM));
  EXPECT_EQ(k32BitView.KeyPath(RootKey::ClassesRoot, "\\CLSID\\"), "\\Wow6432Node\\CLSID\\");
  EXPECT_EQ(k32BitView.KeyPath(kLM, "\\SOFTWARE\\Microsoft\\Run\\"),
            "\\SOFTWARE\\Wow6432Node\\Microsoft\\Run\\");
  EXPECT_EQ(k32BitView.KeyPath(kLM, "\\SOFTWAREX\\A"), "\\SOFTWAREX\\A");
  EXPECT_EQ(k64BitView.KeyPath(kLM, "\\SOFTWARE\\A"), "\\SOFTWARE\\A");
  EXPECT_EQ(k32BitView.Tag(kLM), "[HKLM 32-bit]");
  EXPECT_EQ(k64BitView.Tag(kLM), "[HKLM]");
}

TEST_F(Wow64Test, PathsAreTakenAsA32BitProgramReachesThem) {
  EXPECT_EQ(ProgramFilesX86Dir(), "C:\\PROGRAM FILES (X86)\\");
  EXPECT_EQ(CommonFilesX86Dir(), "C:\\PROGRAM FILES (X86)\\COMMON FILES\\");
  struct Case {
    const char* input;
    const char* for32Bit;
  };
  const Case cases[] = {
      {"C:\\Windows\\System32\\foo.dll", "C:\\WINDOWS\\SYSWOW64\\FOO.DLL"},
      {"%SystemRoot%\\system32\\foo.dll,1", "C:\\WINDOWS\\\\SYSWOW64\\FOO.DLL"},
      {"C:\\WINDOWS\\system32", "C:\\WINDOWS\\SYSWOW64"},
      {"C:\\WINDOWS\\system32\\drivers\\x.sys", "C:\\WINDOWS\\SYSWOW64\\DRIVERS\\X.SYS"},
      {"%windir%\\Sysnative\\foo.exe", "C:\\WINDOWS\\SYSTEM32\\FOO.EXE"},
      {"C:\\WINDOWS\\lastgood\\system32\\a.dll", "C:\\WINDOWS\\LASTGOOD\\SYSWOW64\\A.DLL"},
      {"C:\\WINDOWS\\regedit.exe", "C:\\WINDOWS\\SYSWOW64\\REGEDIT.EXE"},
      // The folders Windows exempts, and names that only look like the system folder.
      {"C:\\WINDOWS\\system32\\drivers\\etc\\hosts", "C:\\WINDOWS\\SYSTEM32\\DRIVERS\\ETC\\HOSTS"},
      {"C:\\WINDOWS\\system32\\catroot2\\x.cat", "C:\\WINDOWS\\SYSTEM32\\CATROOT2\\X.CAT"},
      {"C:\\WINDOWS\\system32\\spool\\drivers\\a.dll",
       "C:\\WINDOWS\\SYSTEM32\\SPOOL\\DRIVERS\\A.DLL"},
      {"C:\\WINDOWS\\System32x\\a.dll", "C:\\WINDOWS\\SYSTEM32X\\A.DLL"},
      {"D:\\WINDOWS\\System32\\a.dll", "D:\\WINDOWS\\SYSTEM32\\A.DLL"},
      {"C:\\WINDOWS\\notepad.exe", "C:\\WINDOWS\\NOTEPAD.EXE"},
      // A 32-bit process's Program Files variables.
      {"%ProgramFiles%\\Vendor\\app32.exe", "C:\\PROGRAM FILES (X86)\\\\VENDOR\\APP32.EXE"},
      {"%ProgramFiles(x86)%\\Vendor\\app32.exe", "C:\\PROGRAM FILES (X86)\\\\VENDOR\\APP32.EXE"},
      {"%CommonProgramFiles%\\V\\s.dll", "C:\\PROGRAM FILES (X86)\\COMMON FILES\\V\\S.DLL"},
      {"%CommonProgramFiles(x86)%\\V\\s.dll", "C:\\PROGRAM FILES (X86)\\COMMON FILES\\V\\S.DLL"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommandToFilePath(c.input, ProgramKind::k32Bit), c.for32Bit) << c.input;
  }
  // A 64-bit program's paths are left as they were.
  EXPECT_EQ(CommandToFilePath("C:\\Windows\\System32\\foo.dll"), "C:\\WINDOWS\\SYSTEM32\\FOO.DLL");
  EXPECT_EQ(CommandToFilePath("%ProgramFiles(x86)%\\a.exe"), "%PROGRAMFILES(X86)%\\A.EXE");
}

TEST_F(Wow64Test, ClassesOfBothViewsAreJudgedEachAsItsProgramSeesItsFiles) {
  const std::string wow = "Wow6432Node\\CLSID\\";
  auto server = [&](const std::string& key, const std::string& text) {
    PutDefault(key + "\\InprocServer32", text);
  };
  PutFile("C:\\WINDOWS\\System32\\only64.dll");
  PutFile("C:\\WINDOWS\\SysWOW64\\Moved\\moved32.dll");
  PutKey(kCr, "TypeLib\\{TL-SHARED}");
  // The same System32 path: sound for the 64-bit class, a SysWOW64 file for the 32-bit one.
  server("CLSID\\{A}", "C:\\Windows\\System32\\only64.dll");
  server(wow + "{A}", "C:\\Windows\\System32\\only64.dll");
  server("CLSID\\{B}", "C:\\Windows\\System32\\wow32only.dll");
  server(wow + "{B}", "C:\\Windows\\System32\\wow32only.dll");
  // Sound in the 32-bit view: a bare name in SysWOW64, the 32-bit Program Files, an exempt folder.
  server(wow + "{C}", "kernel32.dll");
  PutDefault(wow + "{D}\\LocalServer32", "\"%ProgramFiles%\\Vendor\\app32.exe\" /automation");
  server(wow + "{E}", "C:\\WINDOWS\\system32\\drivers\\etc\\hosts");
  // Gone; moved to where only a 64-bit program finds it; moved within SysWOW64.
  server(wow + "{F}", "%SystemRoot%\\System32\\gone32.dll");
  server(wow + "{G}", "C:\\Old\\only64.dll");
  server(wow + "{H}", "C:\\Old\\moved32.dll");
  engine.SystemFileIndex.Add("ONLY64.DLL", "C:\\WINDOWS\\System32\\");
  engine.SystemFileIndex.Add("MOVED32.DLL", "C:\\WINDOWS\\SysWOW64\\Moved\\");
  // Type libraries are shared: the one registered key serves both views.
  PutDefault(wow + "{C}\\TypeLib", "{TL-SHARED}");
  PutDefault(wow + "{D}\\TypeLib", "{TL-NONE}");
  const std::string before = Classes();

  PrepareChecks();
  engine.CheckCOM(k64BitView);
  engine.CheckCOM(k32BitView);

  const std::string key = "HKEY_CLASSES_ROOT\\Wow6432Node\\CLSID\\";
  EXPECT_EQ(FixScript, Script({
                           "[-HKEY_CLASSES_ROOT\\CLSID\\{B}\\InprocServer32]",
                           "",
                           "[-" + key + "{A}\\InprocServer32]",
                           "",
                           "[-" + key + "{D}\\TypeLib]",
                           "",
                           "[-" + key + "{F}\\InprocServer32]",
                           "",
                           "[-" + key + "{G}\\InprocServer32]",
                           "",
                           "[" + key + "{H}\\InprocServer32]",
                           "@=\"C:\\\\WINDOWS\\\\SysWOW64\\\\Moved\\\\MOVED32.DLL\"",
                           "",
                       }));
  EXPECT_EQ(engine.CategoryLog(kComActiveX),
            (TextList{
                "[HKCR]\\CLSID\\{B}\\InprocServer32=WOW32ONLY.DLL ... fixed",
                "[HKCR 32-bit]\\CLSID\\{A}\\InprocServer32=ONLY64.DLL ... fixed",
                "[HKCR 32-bit]\\CLSID\\{D}\\TypeLib={TL-NONE} ... deleted",
                "[HKCR 32-bit]\\CLSID\\{F}\\InprocServer32=GONE32.DLL ... fixed",
                "[HKCR 32-bit]\\CLSID\\{G}\\InprocServer32=ONLY64.DLL ... fixed",
                "[HKCR 32-bit]\\CLSID\\{H}\\InprocServer32=MOVED32.DLL ... fixed",
            }));
  // The backups name the physical keys, so the undo file gives back the 32-bit copies.
  EXPECT_EQ(JournalKeys()[2], "[" + key + "{A}]");
  ExpectScriptAndUndoRoundTrip(before);
}

TEST_F(Wow64Test, InterfacesOfTheSecondViewLookForTheirProxiesAmongItsClasses) {
  const std::string wow = "Wow6432Node\\Interface\\";
  PutKey(kCr, wow + "{I1}\\Empty");
  PutKey(kCr, "Wow6432Node\\CLSID\\{P32}");
  PutKey(kCr, "CLSID\\{P64}");
  PutKey(kCr, "TypeLib\\{TL-SHARED}");
  PutDefault(wow + "{I2}\\ProxyStubClsid32", "{P32}");
  PutDefault(wow + "{I3}\\ProxyStubClsid32", "{P64}");
  PutDefault(wow + "{I4}\\TypeLib", "{TL-SHARED}");
  PutDefault("Interface\\{I5}\\ProxyStubClsid32", "{P32}");
  const std::string before = Classes();

  PrepareChecks();
  engine.CheckInterfaces(k64BitView);
  engine.CheckInterfaces(k32BitView);

  const std::string key = "HKEY_CLASSES_ROOT\\Wow6432Node\\Interface\\";
  EXPECT_EQ(FixScript,
            Script({"[-HKEY_CLASSES_ROOT\\Interface\\{I5}\\ProxyStubClsid32]", "",
                    "[-" + key + "{I1}]", "", "[-" + key + "{I3}\\ProxyStubClsid32]", ""}));
  EXPECT_EQ(engine.CategoryLog(kComActiveX),
            (TextList{"[HKCR]\\Interface\\{I5}\\ProxyStubClsid32={P32} ... deleted",
                      "[HKCR 32-bit]\\Interface\\{I1} ... deleted",
                      "[HKCR 32-bit]\\Interface\\{I3}\\ProxyStubClsid32={P64} ... deleted"}));
  ExpectScriptAndUndoRoundTrip(before);
}

// Program identifiers are shared: one naming a 32-bit class is in use.
TEST_F(Wow64Test, AProgramIdentifierOfA32BitClassStays) {
  PutKey(kCr, "Wow6432Node\\CLSID\\{C32}");
  PutDefault("Kvx.Prog32\\CLSID", "{C32}");
  PutDefault("Kvx.Orphan\\CLSID", "{NOWHERE}");
  PrepareChecks();
  engine.CheckActiveX();
  EXPECT_EQ(engine.CategoryLog(kComActiveX), TextList{"[HKCR]\\Kvx.Orphan ... deleted"});
}

TEST_F(Wow64Test, RunEntriesAndUninstallEntriesOfThe32BitView) {
  const std::string run64 = kCurrentVersion + "\\Run";
  // The same text names a missing 64-bit program and an installed 32-bit one.
  PutString(kLM, run64, "App", "\"%ProgramFiles%\\Vendor\\app32.exe\" /tray");
  PutString(kLM, kRun32, "App", "\"%ProgramFiles%\\Vendor\\app32.exe\" /tray");
  PutString(kLM, kRun32, "Sys", "C:\\Windows\\System32\\ctfmon.exe");
  PutString(kLM, kList32 + "NoCommand", "DisplayName", "Old 32-bit tool");
  PutString(kLM, kList32 + "WithCommand", "UninstallString", "C:\\x.exe /u");
  const std::string before = MachineState();

  PrepareChecks();
  engine.CheckStartup(kLM, k64BitView);
  engine.CheckStartup(kLM, k32BitView);
  engine.CheckUninstall(k64BitView);
  engine.CheckUninstall(k32BitView);

  EXPECT_EQ(FixScript, Script({"[HKEY_LOCAL_MACHINE\\" + run64 + "\\]", "\"App\"=-", "",
                               "[HKEY_LOCAL_MACHINE\\" + kRun32 + "\\]", "\"Sys\"=-", "",
                               "[-HKEY_LOCAL_MACHINE\\" + kList32 + "NoCommand]", ""}));
  EXPECT_EQ(engine.CategoryLog(kStartup),
            (TextList{"[HKLM]\\" + run64 + "\\App ... deleted",
                      "[HKLM 32-bit]\\" + run64 + "\\Sys ... deleted"}));
  EXPECT_EQ(engine.CategoryLog(kUninstall),
            TextList{"[HKLM 32-bit]\\" + kCurrentVersion + "\\Uninstall\\NoCommand ... deleted"});

  ASSERT_EQ(SaveFixScript(ScriptPath(), FixScript), status::kSuccess);
  ASSERT_TRUE(RunRegedit(" /s \"" + ScriptPath() + "\""));
  EXPECT_FALSE(sim.registry.GetValue(kLM, kRun32, "Sys").has_value());
  ASSERT_EQ(SaveUndoFile(UndoPath(), UndoJournal), status::kSuccess);
  ASSERT_TRUE(RunRegedit(" /s \"" + UndoPath() + "\""));
  EXPECT_EQ(MachineState(), before);
}

// A whole run: each redirected check runs again over the 32-bit copies right after the 64-bit
// keys; a shared key planted through the 32-bit path is one key and is found once.
TEST_F(Wow64Test, AWholeRunChecksBothViewsAndSharedKeysOnce) {
  PutKey(kLM, "SOFTWARE\\Classes\\Wow6432Node\\TypeLib\\{TL-EMPTY}\\1.0");
  PutDefault("Wow6432Node\\CLSID\\{GONE}\\InprocServer32", "C:\\Gone\\gone32.dll");
  PutDefault("CLSID\\{GONE}\\InprocServer32", "C:\\Gone\\gone64.dll");
  PutString(kLM, kList32 + "NoCommand", "DisplayName", "Old 32-bit tool");
  const std::string before = MachineState();

  engine.OnCleanClicked();

  EXPECT_EQ(engine.CategoryLog(kComActiveX),
            (TextList{"COM/ActiveX entries...",
                      "[HKCR]\\CLSID\\{GONE}\\InprocServer32=GONE64.DLL ... fixed",
                      "[HKCR 32-bit]\\CLSID\\{GONE}\\InprocServer32=GONE32.DLL ... fixed",
                      "[HKCR]\\Typelib\\{TL-EMPTY} ... deleted", "", "Summary: 3 items fixed."}));
  EXPECT_EQ(engine.CategoryCount(kUninstall), 1);
  EXPECT_TRUE(host.informations.empty());
  EXPECT_FALSE(
      sim.registry.HasKey(kLM, "SOFTWARE\\Classes\\Wow6432Node\\CLSID\\{GONE}\\InprocServer32"));
  ASSERT_TRUE(RunRegedit(" /s \"" + UndoPath() + "\""));
  EXPECT_EQ(MachineState(), before);
}

}  // namespace
