#include "ui/StartUp.h"

#include "platform/RegistryOps.h"

StartUp gStartUp;

std::string CommandArgument(const std::string& firstArgument) { return UpperAscii(firstArgument); }

StartAction DecideStart(const std::string& commandArgument, bool instanceFound) {
  if (commandArgument.empty()) return StartAction::End;
  if (!instanceFound) return StartAction::OpenWindow;
  if (commandArgument == "CLEAN") return StartAction::PostClean;
  if (commandArgument == "UNDO") return StartAction::PostUndo;
  return StartAction::End;
}

Request RequestOf(const StartUp& startUp, uint32_t message, uintptr_t wParam) {
  // A failed registration leaves 0, which must not turn WM_NULL into a request.
  if (message == 0) return Request::None;
  if (message == startUp.cleanMessage && wParam == kCleanRequest) return Request::Clean;
  if (message == startUp.undoMessage && wParam == kUndoRequest) return Request::Undo;
  return Request::None;
}
