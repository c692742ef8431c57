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

StartAction DecideStart(const std::string& commandArgument, bool instanceFound) {
  if (!instanceFound) return StartAction::OpenWindow;
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

ReportRequest ReportOf(const std::vector<std::string>& arguments) {
  ReportRequest request;
  if (arguments.size() < 2 || UpperAscii(arguments[1]) != "/REPORT") return request;
  const std::string command = CommandArgument(arguments[0]);
  if (command != "SCAN" && command != "CLEAN") return request;
  request.wanted = true;
  request.mode = command == "SCAN" ? RunMode::Scan : RunMode::Clean;
  if (arguments.size() > 2) request.path = arguments[2];
  return request;
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
