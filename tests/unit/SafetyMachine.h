// A simulated machine with problems of every category and look-alikes that must stay, and the
// helpers that prove the safety promise on it: whole-registry item sets, and what the undo files
// on disk give back when they are imported.
#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/RegistryOps.h"
#include "platform/sim/SimRegedit.h"
#include "unit/EngineTest.h"

// Created and torn down by hand, so one test can run many fresh machines.
class SafetyMachine : public EngineTest {
 public:
  void TestBody() override {}
  void Start() { SetUp(); }
  void Stop() { TearDown(); }
  using EngineTest::engine;
  using EngineTest::host;
  using EngineTest::sim;

  // Every key line and every value (under its key) of both hives, as the dump writes them.
  std::set<std::string> Items() const {
    std::set<std::string> items;
    for (RootKey root : {RootKey::LocalMachine, RootKey::CurrentUser}) {
      const std::string dump = sim.registry.Dump(root, "");
      std::string key;
      size_t start = 0;
      while (start < dump.size()) {
        size_t end = dump.find('\n', start);
        if (end == std::string::npos) end = dump.size();
        const std::string line = dump.substr(start, end - start);
        if (!line.empty() && line[0] == '[') key = line;
        items.insert(line[0] == '[' ? line : key + "\t" + line);
        start = end + 1;
      }
    }
    return items;
  }

  // The whole simulated machine: both hives' dumps and every file with its bytes.
  struct Snapshot {
    std::string registry;
    std::map<std::string, SimFiles::Entry> files;
    bool operator==(const Snapshot&) const = default;
  };
  Snapshot Take() const {
    return {
        sim.registry.Dump(RootKey::LocalMachine, "") + sim.registry.Dump(RootKey::CurrentUser, ""),
        sim.files.Entries()};
  }

  // A clean refused before it starts changes nothing and starts no program; the messages it
  // showed are returned.
  std::vector<std::string> RefusedClean() {
    const Snapshot before = Take();
    EXPECT_FALSE(engine.Run(RunMode::Clean));
    EXPECT_TRUE(Take() == before);
    EXPECT_TRUE(sim.process.runs.empty());
    return host.informations;
  }

  // A scan changes nothing, and a clean of the same machine then judges the same items by the
  // same rules in the same order, with the same Details lines but for their last word.
  void ScanThenCleanAgree(const std::string& trace) {
    SCOPED_TRACE(trace);
    const Snapshot before = Take();
    const size_t starts = sim.process.runs.size();
    ASSERT_TRUE(engine.Run(RunMode::Scan));
    EXPECT_TRUE(Take() == before) << "the scan changed the machine";
    EXPECT_EQ(sim.process.runs.size(), starts) << "the scan started a program";
    const std::vector<Finding> scan = engine.Findings();
    engine.OnCleanClicked();
    const std::vector<Finding>& clean = engine.Findings();
    ASSERT_EQ(scan.size(), clean.size());
    for (size_t i = 0; i < scan.size(); ++i) {
      const Finding &s = scan[i], &c = clean[i];
      EXPECT_EQ(ItemName(s) + " " + s.rule + " " + s.data + " " + s.newPath,
                ItemName(c) + " " + c.rule + " " + c.data + " " + c.newPath);
      EXPECT_EQ(s.action, Action::Found);
      EXPECT_TRUE(s.detail.ends_with(" ... found")) << s.detail;
      if (c.action == Action::LeftInPlace) continue;
      EXPECT_EQ(s.detail.substr(0, s.detail.rfind(" ... ")),
                c.detail.substr(0, c.detail.rfind(" ... ")));
    }
  }

  // The undo files in UndoDir: everything but the deletion script and the scratch export.
  std::vector<std::string> UndoFiles() const {
    std::vector<std::string> files;
    for (const std::string& path : sim.files.List(UndoDir())) {
      const std::string upper = UpperAscii(path);
      if (upper.ends_with(".REG") && !upper.ends_with("\\REGISTRYCLEANER.REG") &&
          !upper.ends_with("\\TMP.REG")) {
        files.push_back(path);
      }
    }
    return files;
  }

  // Imports every undo file on disk as the registry editor would, hooks cleared.
  void ApplyUndoFiles() {
    sim.registry.failWhen = nullptr;
    sim.files.failWhen = nullptr;
    sim.process.beforeRun = nullptr;
    for (const std::string& path : UndoFiles()) {
      Bytes data;
      if (sim.files.ReadAll(path, data)) ApplyScript(ParseScriptFile(data));
    }
  }

  // Problems of every category, several of each kind, and entries that look alike but stay.
  // Returns how many problems were planted.
  int StageEveryCategory() {
    const RootKey cr = RootKey::ClassesRoot, cu = RootKey::CurrentUser, lm = RootKey::LocalMachine;
    const std::string classes = "SOFTWARE\\Classes\\";
    int planted = 0;
    // Category 1: extensions whose type is not registered; one of them in the user's classes.
    for (const char* ext : {".kvx1", ".kvx 2", ".k[3]=@'x"}) {
      PutString(lm, classes + ext, "", "kvxmissing.type");
      PutString(lm, classes + ext, "Content Type", "text/x-kvx");
      ++planted;
    }
    PutString(cu, "Software\\Classes\\.kvxu", "", "kvxmissing.user");
    ++planted;
    PutKey(lm, classes + "txtfile");
    PutString(lm, classes + ".kvxok", "", "txtfile");  // sound
    // Category 2, classes: a gone server, a moved server (rewritten), a gone type library.
    PutFile("C:\\Program Files\\Moved\\kvxmoved.dll");
    PutString(cr, "CLSID\\{C0000001}\\InprocServer32", "", "C:\\Gone\\kvxgone.dll");
    PutString(cr, "CLSID\\{C0000001}\\InprocServer32", "ThreadingModel", "Both");
    PutString(cr, "CLSID\\{C0000002}\\InprocServer32", "", "C:\\Old\\kvxmoved.dll");
    PutString(cr, "CLSID\\{C0000003}\\LocalServer32", "", "\"C:\\Gone\\srv 3.exe\" /auto");
    PutString(cr, "CLSID\\{C0000004}\\InprocServer32", "", "kernel32.dll");
    PutString(cr, "CLSID\\{C0000004}\\TypeLib", "", "{TL-GONE}");
    planted += 4;
    // Look-alikes: the excluded type library, a sound server.
    PutString(cr, "CLSID\\{C0000005}\\InprocServer32", "", "C:\\Gone\\excluded.dll");
    PutString(cr, "CLSID\\{C0000005}\\TypeLib", "", "{D63E0CE2-A0A2-11D0-9C02-00C04FC99C8E}");
    PutString(cr, "CLSID\\{C0000006}\\InprocServer32", "", "C:\\WINDOWS\\System32\\shell32.dll");
    // ProgIDs: a gone class, a gone icon, a gone open verb; RUNDLL32 verbs stay.
    PutString(cr, "Kvx.Gone.1\\CLSID", "", "{NOPE}");
    PutString(cr, "Kvx.Icon.1\\DefaultIcon", "", "C:\\Gone\\icon.dll,0");
    PutString(cr, "Kvx.Verb.1\\shell\\open\\command", "", "\"C:\\Gone\\app.exe\" \"%1\"");
    planted += 3;
    PutString(cr, "Kvx.Rundll.1\\shell\\open\\command", "",
              "rundll32.exe C:\\Gone\\x.dll,Entry %1");
    PutString(cr, "Kvx.Sound.1\\CLSID", "", "{C0000006}");
    // Interfaces: an empty one, one naming a gone type library, a gone proxy/stub class.
    PutKey(cr, "Interface\\{I0000001}\\Empty");
    PutString(cr, "Interface\\{I0000002}", "", "ITwo");
    PutString(cr, "Interface\\{I0000002}\\TypeLib", "", "{TL-GONE}");
    PutString(cr, "Interface\\{I0000003}", "", "IThree");
    PutString(cr, "Interface\\{I0000003}\\ProxyStubClsid32", "", "{PS-GONE}");
    planted += 3;
    PutString(cr, "Interface\\{I0000004}", "", "IFour");  // sound
    // Type libraries: an empty tree, an empty help folder.
    PutKey(cr, "TypeLib\\{T0000001}\\1.0\\0\\win32");
    PutString(cr, "TypeLib\\{T0000002}\\1.0", "", "Lib two");
    PutString(cr, "TypeLib\\{T0000002}\\1.0\\HELPDIR", "", "");
    planted += 2;
    PutKey(cr, "TypeLib\\{43136EB0-D36C-11CF-ADBC-00AA00A80033}\\1.0");  // excluded
    // Category 3: Run values of both roots; RUNDLL32 and existing programs stay.
    const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    PutString(cu, run, "Kvx \"quoted\" \\ [x]", "C:\\Gone\\start1.exe");
    PutString(lm, run, "KvxGone2", "\"C:\\Gone\\start 2.exe\" /min");
    PutString(lm, run, "KvxGone3", "C:\\Gone\\start3.exe", regtype::kExpandSz);
    planted += 3;
    PutString(cu, run, "KvxRundll", "rundll32.exe C:\\Gone\\y.dll,Start");
    PutString(lm, run, "KvxNote", "C:\\WINDOWS\\notepad.exe");
    // Category 4: entries without a command; protected ones stay.
    const std::string list = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    PutString(lm, list + "KvxApp1", "DisplayName", "Kvx App 1");
    PutDword(lm, list + "KvxApp1", "EstimatedSize", 1234);
    PutString(lm, list + "KvxApp 2 =@", "DisplayName", "Kvx \"App\" 2");
    planted += 2;
    PutDword(lm, list + "KvxNoRemove", "NoRemove", 1);
    PutDword(lm, list + "KvxSystem", "SystemComponent", 1);
    PutString(lm, list + "{KVX-0001}", "DisplayName", "Braced");
    PutString(lm, list + "KvxBraced", "DisplayName", "Kvx {1}");
    PutString(lm, list + "KvxHasCommand", "UninstallString", "C:\\Gone\\un.exe");
    // The 32-bit copies of a 64-bit Windows: a gone server, an empty interface, a gone Run
    // program, an entry without a command; a System32 path that SysWOW64 answers and a 32-bit
    // Program Files variable stay.
    StageWow64Machine();
    const std::string wow = "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\";
    PutString(cr, "Wow6432Node\\CLSID\\{C3200001}\\InprocServer32", "", "C:\\Gone\\kvx32.dll");
    PutKey(cr, "Wow6432Node\\Interface\\{I3200001}\\Empty");
    PutString(lm, wow + "Run", "Kvx32Gone", "C:\\Gone\\run32.exe");
    PutString(lm, wow + "Uninstall\\Kvx32App", "DisplayName", "Kvx 32");
    planted += 4;
    PutString(cr, "Wow6432Node\\CLSID\\{C3200002}\\InprocServer32", "",
              "C:\\WINDOWS\\System32\\wow32only.dll");
    PutString(lm, wow + "Run", "Kvx32Kept", "%ProgramFiles%\\Vendor\\app32.exe");
    // Category 5: history lists (strings only) and path-like values naming gone files.
    const std::string mru = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
    PutString(cu, mru, "a", "cmd\\1");
    PutString(cu, mru, "b", "notepad \"x\"\\1");
    PutValue(cu, mru, "MRUList", regtype::kBinary, {'b', 'a'});  // not a string: stays
    PutString(cu, "Software\\Kvx App\\Recent", "File [1]", "C:\\Gone\\doc one.txt");
    PutString(cu, "Software\\Kvx App\\Recent", "Exp=@", "C:\\Gone\\exp.txt", regtype::kExpandSz);
    PutString(cu, "Software\\Kvx App\\Recent", "", "C:\\Gone\\default.txt");
    planted += 5;
    PutString(cu, "Software\\Kvx App\\Recent", "Kept", "C:\\WINDOWS\\win.ini");
    PutString(cu, "Software\\Kvx App\\Recent", "Archive", "A:\\disk.txt");
    PutString(cu, "Software\\Microsoft\\Kvx", "Excluded", "C:\\Gone\\excluded.txt");
    sim.registry.StageValueWide(cu, u"Software\\Kvx App\\Wide", u"\u0100wide", regtype::kSz,
                                {'C', ':', '\\', 'G', '\\', 'x', 0});
    PutValue(cu, "Software\\Kvx App\\Recent", "Binary", regtype::kBinary, {0, 1, 2});
    PutValue(cu, "Software\\Kvx App\\Recent", "Odd", 0x1234, {});
    // The program-name cache: a gone program's name; a present one's and a resource's stay.
    const std::string mui =
        "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\Shell\\MuiCache";
    PutString(cu, mui, "C:\\Gone\\kvx app.exe.FriendlyAppName", "Kvx App");
    ++planted;
    PutString(cu, mui, "C:\\WINDOWS\\notepad.exe.FriendlyAppName", "Notepad");
    PutString(cu, mui, "@C:\\Gone\\res.dll,-1", "Resource");
    // Category 6: a gone application (both views and the user's), a gone font of each list, a
    // gone help file of each view; a font in the Fonts folder and a present program stay.
    const std::string appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    const std::string fonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
    PutString(lm, appPaths + "kvx [1].exe", "", "\"C:\\Gone\\kvx 1.exe\"");
    PutString(lm, appPaths + "kvx [1].exe", "Path", "C:\\Gone");
    PutString(lm, wow + "App Paths\\kvx32.exe", "", "C:\\Gone\\kvx32.exe");
    PutString(cu, appPaths + "kvxuser.exe", "", "C:\\Gone\\kvxuser.exe");
    PutString(lm, fonts, "Kvx \"Sans\" (TrueType)", "kvxsans.ttf");
    PutString(cu, fonts, "Kvx User (TrueType)", "C:\\Gone\\kvxuser.ttf");
    PutString(lm, "SOFTWARE\\Microsoft\\Windows\\Help", "kvx.hlp", "C:\\Gone\\");
    PutString(lm, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\HTML Help", "kvx32.chm", "C:\\Gone");
    planted += 7;
    PutFile("C:\\WINDOWS\\Fonts\\kvxkept.ttf");
    PutString(lm, fonts, "Kvx Kept (TrueType)", "kvxkept.ttf");
    PutString(lm, appPaths + "notepad.exe", "", "%windir%\\notepad.exe");
    return planted;
  }
};
