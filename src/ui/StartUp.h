// The program's entry decisions: the command argument, the running instance and the hand-over
// of a request to it by a posted message. The Win32 entry supplies the system's answers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/CleanEngine.h"

inline constexpr const char* kCleanMessageName = "KVXCLEAN";
inline constexpr const char* kUndoMessageName = "KVXUNDO";
inline constexpr uintptr_t kCleanRequest = 1057;
inline constexpr uintptr_t kUndoRequest = 1058;

struct StartUp {
  uint32_t cleanMessage = 0;  // registered numbers; 0 when registration failed
  uint32_t undoMessage = 0;
  std::string commandArgument;    // upper-cased first argument, "" when none
  uintptr_t runningInstance = 0;  // the window titled "Klarvex" found at start, 0 when none
  bool allUsers = false;          // SCAN or CLEAN /allusers
};

// Process-wide; set by the entry before the main window is created.
extern StartUp gStartUp;

// The first argument upper-cased (a to z only).
std::string CommandArgument(const std::string& firstArgument);

enum class StartAction {
  Refuse,      // the running instance cannot take the argument: say so, no window
  PostClean,   // post the clean request to the running instance, then end (also without an
               // argument)
  PostUndo,    // post the undo request, then end
  OpenWindow,  // become the running instance
};
// A run over every user (/allusers) is never handed over: the open window judges its own users.
StartAction DecideStart(const std::string& commandArgument, bool instanceFound,
                        bool allUsers = false);
// Why a start was refused, for its starter's console or a message: the running instance does
// not take its argument, or the request could not be posted to it.
std::string RefusedStartText(const std::string& commandArgument);
std::string UnreachedInstanceText();

// A run without a window: "SCAN /report FILE" or "CLEAN /report FILE" (case ignored), whether
// a window is open or not. path is "" when the file name is missing.
struct ReportRequest {
  bool wanted = false;
  RunMode mode = RunMode::Scan;
  std::string path;
  bool allUsers = false;
};
// arguments: the command line's arguments after the program's name; /allusers may stand before
// or after /report FILE.
ReportRequest ReportOf(const std::vector<std::string>& arguments);
// SCAN /allusers or CLEAN /allusers, with or without a report.
bool AsksForAllUsers(const std::vector<std::string>& arguments);
// Whose items the runs of this process judge: every profile's for /allusers; nobody's for a run
// as the system's own account, whose hive is nobody's desktop; else the running user's.
UsersJudged UsersOfTheRun(bool allUsers);
// Why /allusers cannot run here ("" when it can): loading and changing other users' hives takes
// an administrator's elevated rights.
std::string AllUsersRefusal(bool allUsers);

// What every start that runs the engine prepares: the folders, the Windows version, the
// language file, the date of the undo file names and the exclusions file's example.
void PrepareProgram();
// What every such start leaves behind it: no deletion script, the language file released.
void FinishProgram();

// What a message means to the running instance.
enum class Request { None, Clean, Undo };
Request RequestOf(const StartUp& startUp, uint32_t message, uintptr_t wParam);
