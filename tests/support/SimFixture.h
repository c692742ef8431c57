// SimTest: every native test starts on a fresh simulated Windows machine.
//
// The machine: C:\WINDOWS with System and System32 (a few system files), C:\Program Files with
// Klarvex\Klarvex.exe, the registry values the folders come from, and InitPaths already run, so
//   WindowsDir()      == "C:\WINDOWS\"
//   ProgramFilesDir() == "C:\PROGRAM FILES\"
//   CommonFilesDir()  == "C:\PROGRAM FILES\COMMON FILES\"
//   ProfileDir()      == "C:\USERS\USER\APPDATA\"
//   UndoDir()         == "C:\USERS\USER\APPDATA\ROAMING\Ostrawin\Klarvex\Undo\" (created)
//   ExeDir()          == "C:\Program Files\Klarvex"
// Use sim.registry / sim.files / sim.process / sim.shell for anything the helpers below lack
// (failure injection: sim.registry.failWhen, sim.registry.FailWritesBelow, sim.files.failWhen).
// To change the machine before InitPaths, override StageMachine() (call the base first) or call
// InitPaths() again after staging.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimRegedit.h"
#include "support/SimWindows.h"

// The bytes of a UTF-16LE text file with its byte-order mark, as undo files are written.
inline Bytes Utf16File(std::u16string_view text) {
  Bytes data = {0xFF, 0xFE};
  const Bytes bytes = Utf16LeBytes(text);
  data.insert(data.end(), bytes.begin(), bytes.end());
  return data;
}

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim.Install();
    StageMachine();
    InitPaths();
    // The registry editor that exports and imports scripts: WindowsDir() + "regedit.exe".
    InstallSimRegedit(sim);
  }

  void TearDown() override {
    gFolders = {};
    UsePlatform({});
  }

  virtual void StageMachine() {
    for (const char* file :
         {"C:\\WINDOWS\\regedit.exe", "C:\\WINDOWS\\explorer.exe", "C:\\WINDOWS\\notepad.exe",
          "C:\\WINDOWS\\win.ini", "C:\\WINDOWS\\System\\olepro32.dll",
          "C:\\WINDOWS\\System32\\kernel32.dll", "C:\\WINDOWS\\System32\\shell32.dll",
          "C:\\WINDOWS\\System32\\rundll32.exe", "C:\\WINDOWS\\System32\\ctfmon.exe",
          "C:\\WINDOWS\\System32\\drivers\\etc\\hosts", "C:\\Program Files\\Klarvex\\Klarvex.exe",
          "C:\\Program Files\\Common Files\\System\\ole db\\oledb32.dll"}) {
      PutFile(file);
    }
    StageWindows(sim);
  }

  // Makes the machine a 64-bit Windows: the 32-bit copies of the redirected keys exist (empty),
  // SysWOW64 holds 32-bit system files, and a 32-bit program's Program Files folders are
  // registered. The folders are computed again.
  void StageWow64Machine() {
    PutKey(RootKey::LocalMachine, "SOFTWARE\\Classes\\Wow6432Node\\CLSID");
    PutKey(RootKey::LocalMachine, "SOFTWARE\\Classes\\Wow6432Node\\Interface");
    PutKey(RootKey::LocalMachine, "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion");
    for (const char* file :
         {"C:\\WINDOWS\\SysWOW64\\kernel32.dll", "C:\\WINDOWS\\SysWOW64\\wow32only.dll",
          "C:\\WINDOWS\\SysWOW64\\regedit.exe", "C:\\Program Files (x86)\\Vendor\\app32.exe",
          "C:\\Program Files (x86)\\Common Files\\Vendor\\shared32.dll"}) {
      PutFile(file);
    }
    PutString(RootKey::LocalMachine, simkeys::kCurrentVersion, "ProgramFilesDir (x86)",
              "C:\\Program Files (x86)");
    PutString(RootKey::LocalMachine, simkeys::kCurrentVersion, "CommonFilesDir (x86)",
              "C:\\Program Files (x86)\\Common Files");
    sim.process.SetEnvironment("ProgramFiles(x86)", "C:\\Program Files (x86)");
    InitPaths();
  }

  // A file with the given content (folders above it are created).
  void PutFile(const std::string& path, const std::string& content = {}) {
    sim.files.PutFile(path, content);
  }
  void PutFolder(const std::string& path) { sim.files.PutFolder(path); }
  // Creates the key (and its parents). Through ClassesRoot: where a write through it would go.
  void PutKey(RootKey root, const std::string& path) { sim.registry.StageKey(root, path); }
  // A REG_SZ (or the given string type) value, stored with its terminating NUL.
  void PutString(RootKey root, const std::string& path, const std::string& name,
                 const std::string& text, uint32_t type = regtype::kSz) {
    sim.registry.StageString(root, path, name, text, type);
  }
  void PutDword(RootKey root, const std::string& path, const std::string& name, uint32_t value) {
    sim.registry.StageDword(root, path, name, value);
  }
  // Any type with raw bytes (binary, multi-string, odd type numbers, malformed data).
  void PutValue(RootKey root, const std::string& path, const std::string& name, uint32_t type,
                const Bytes& data) {
    sim.registry.StageValue(root, path, name, type, data);
  }
  // The user may read the key but not change it: full-access opens and writes fail with 5.
  void MarkReadOnly(RootKey root, const std::string& path) { sim.registry.SetReadOnly(root, path); }

  SimPlatform sim;
};
