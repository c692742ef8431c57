// The simulated process: programs are functions registered under their full path, the
// environment is a table of its own, the clock and the sleep are the test's.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/ProcessApi.h"

class SimProcess : public ProcessApi {
 public:
  using Program = std::function<void(const std::string& arguments)>;

  // Registers a program under its full path (compared without regard to case).
  void RegisterProgram(const std::string& path, Program program);
  void SetEnvironment(const std::string& name, const std::string& value);

  bool RunAndWait(const std::string& application, const std::string& arguments) override;
  void Sleep(uint32_t milliseconds) override;
  std::string ExpandEnvironment(const std::string& text) override;
  std::string WindowsDirectory() override { return windowsDirectory; }
  std::string ExePath() override { return exePath; }
  uint32_t OsMajorVersion() override { return osMajorVersion; }
  std::string OsVersionText() override { return osVersionText; }
  LocalDate Today() override { return today; }
  // Held by this process, or by another one when a test put the name in heldElsewhere.
  bool HoldNamedLock(const std::string& name) override {
    if (heldElsewhere.count(name)) return false;
    heldLocks.insert(name);
    return true;
  }
  // Held in the administrators' place by this process, or by another when a test put the name
  // in heldByAdministrators.
  bool HoldAdministratorsLock(const std::string& name) override {
    if (heldByAdministrators.count(name)) return false;
    heldLocks.insert(name);
    return true;
  }
  std::vector<WindowOwner> WindowsOfClass(const std::string& className) override {
    return windows[className];
  }
  std::set<std::string> heldLocks;
  std::set<std::string> heldElsewhere;
  std::set<std::string> heldByAdministrators;
  std::map<std::string, std::vector<WindowOwner>> windows;  // class -> its windows
  void SayOnConsole(const std::string& line) override { consoleLines.push_back(line); }
  std::vector<std::string> consoleLines;
  void SayOnOutput(const std::string& line) override { outputLines.push_back(line); }
  std::vector<std::string> outputLines;
  bool IsElevated() override { return elevated; }
  std::string UserSid() override { return userSid; }
  std::string ProgramDataFolder() override { return programData; }
  // A standard user's run unless a test elevates it.
  bool elevated = false;
  std::string userSid = "S-1-5-21-1-2-3-1001";
  std::string programData = "C:\\ProgramData";
  std::string ErrorText(long status) override {
    switch (status) {
      case 5:
        return "Access is denied.";
      case 112:
        return "There is not enough space on the disk.";
      default:
        return "Error " + std::to_string(status) + ".";
    }
  }

  // Every start, in order: application and argument text.
  struct Run {
    std::string application;
    std::string arguments;
  };
  std::vector<Run> runs;
  uint32_t sleptMilliseconds = 0;
  // Called before each start; a test may fail the start by returning false.
  std::function<bool(const Run&)> beforeRun;

  std::string windowsDirectory = "C:\\WINDOWS";
  std::string exePath = "C:\\Program Files\\Klarvex\\Klarvex.exe";
  uint32_t osMajorVersion = 10;
  std::string osVersionText = "10.0.19045";
  LocalDate today{2026, 12, 7};

 private:
  std::map<std::string, Program> programs_;         // upper-cased path -> program
  std::map<std::string, std::string> environment_;  // upper-cased name -> value
};
