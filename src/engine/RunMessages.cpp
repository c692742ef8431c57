#include "engine/RunMessages.h"

namespace runmsg {
namespace {
// The system's texts end with a line break (FormatMessage), which would split the sentence.
std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.pop_back();
  }
  return text;
}

std::string Reason(const std::string& reason) {
  const std::string text = Trimmed(reason);
  return text.empty() ? "unknown error." : text;
}

const char* const kNothingRemoved = "Nothing was removed from the registry.";
}  // namespace

std::string RunInterrupted(const std::string& reason) {
  return "The clean run was interrupted by an error: " + Reason(reason) +
         "\nThe entries found before the error were handled as usual.";
}

std::string UndoFileNotSaved(const std::string& path, const std::string& reason) {
  return "The undo file \"" + path + "\" could not be saved: " + Reason(reason) + "\n" +
         kNothingRemoved + " Without the undo file the removals could not be undone.";
}

std::string ScriptNotSaved(const std::string& path, const std::string& reason) {
  return "The registry script \"" + path + "\" could not be saved: " + Reason(reason) + "\n" +
         kNothingRemoved;
}

std::string EditorNotStarted(const std::string& editorPath) {
  return "The registry editor \"" + editorPath + "\" could not be started.\n" + kNothingRemoved;
}

std::string Join(const std::string& first, const std::string& second) {
  if (first.empty()) return second;
  if (second.empty()) return first;
  return first + "\n\n" + second;
}

}  // namespace runmsg
