#include "ui/StartUp.h"

#include "engine/Exclusions.h"
#include "platform/LanguageFile.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"
#include "platform/UndoFolderTrust.h"
#include "undo/UndoJournal.h"

StartUp gStartUp;

std::string CommandArgument(const std::string& firstArgument) { return UpperAscii(firstArgument); }

StartAction DecideStart(const std::string& commandArgument, bool instanceFound, bool allUsers) {
  if (!instanceFound) return StartAction::OpenWindow;
  if (allUsers) return StartAction::Refuse;
  // A double-click passes nothing: it means what CLEAN means, the start page.
  if (commandArgument.empty() || commandArgument == "CLEAN") return StartAction::PostClean;
  if (commandArgument == "UNDO") return StartAction::PostUndo;
  return StartAction::Refuse;
}

std::string RefusedStartText(const std::string& commandArgument) {
  return "A Klarvex window is already open, and it takes only CLEAN and UNDO: close it to start " +
         commandArgument + ".";
}

std::string UnreachedInstanceText() {
  return "A Klarvex window is already open, and it could not be reached (it may run with other "
         "rights): close it, then start Klarvex again.";
}

namespace {
bool IsRunCommand(const std::vector<std::string>& arguments) {
  const std::string command = arguments.empty() ? "" : CommandArgument(arguments[0]);
  return command == "SCAN" || command == "CLEAN";
}
}  // namespace

ReportRequest ReportOf(const std::vector<std::string>& arguments) {
  ReportRequest request;
  if (!IsRunCommand(arguments)) return request;
  request.mode = CommandArgument(arguments[0]) == "SCAN" ? RunMode::Scan : RunMode::Clean;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::string option = UpperAscii(arguments[i]);
    if (option == "/ALLUSERS") request.allUsers = true;
    if (option != "/REPORT") continue;
    request.wanted = true;
    if (i + 1 < arguments.size()) request.path = arguments[++i];
  }
  return request;
}

bool AsksForAllUsers(const std::vector<std::string>& arguments) {
  return ReportOf(arguments).allUsers;
}

UsersJudged UsersOfTheRun(bool allUsers) {
  if (allUsers) return UsersJudged::Every;
  return Process().UserSid() == kSystemAccountSid ? UsersJudged::None : UsersJudged::Running;
}

std::string AllUsersRefusal(bool allUsers) {
  if (!allUsers || Process().IsElevated()) return {};
  return "/allusers judges every user of the machine and needs an administrator's rights: start "
         "it from an elevated prompt, or as the system's account.";
}

void PrepareProgram() {
  InitPaths();
  ::OsMajorVersion = Process().OsMajorVersion();
  OpenLanguageFile(ExeDir() + "\\English.ini");
  StartDate = Process().Today();
  // Nothing is written into an undo folder that fails its check; each run checks it again.
  if (CheckUndoFolder().Usable()) CreateExclusionsFile(ExclusionsFile());
}

void FinishProgram() {
  RemoveLeftoverFixScript();
  ReleaseLanguageFile();
}

Request RequestOf(const StartUp& startUp, uint32_t message, uintptr_t wParam) {
  // A failed registration leaves 0, which must not turn WM_NULL into a request.
  if (message == 0) return Request::None;
  if (message == startUp.cleanMessage && wParam == kCleanRequest) return Request::Clean;
  if (message == startUp.undoMessage && wParam == kUndoRequest) return Request::Undo;
  return Request::None;
}
