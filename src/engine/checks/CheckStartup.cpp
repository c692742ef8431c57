// The startup program list: Run values whose program can no longer be found are scheduled for
// deletion through the FixScript.
#include "engine/CleanEngine.h"
#include "engine/RepairLines.h"
#include "engine/WindowsFolders.h"
#include "platform/Paths.h"
#include "platform/RegScript.h"
#include "platform/RegistryOps.h"

namespace {

constexpr char kRunKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// command is the upper-cased data of a Run value; empty when it held no string at all.
bool ProgramIsMissing(const std::string& command, ProgramKind kind) {
  if (command.empty()) return true;
  const std::string file = CommandToFilePath(command, kind);
  // The DLL runner and unexpanded system-root paths cannot be judged from the text.
  if (Contains(file, "RUNDLL32") || Contains(file, "SYSTEMROOT")) return false;
  return !ReferencedFileIsSound(command, file, kind);
}

}  // namespace

void CleanEngine::CheckStartup(RootKey owner, const RegistryView& view) {
  const OwnerContext& context = ContextOf(owner);
  const JudgedBy judged(context);
  const RootKey root = context.Root(owner);
  const std::string runKey = context.Key(owner, view.KeyPath(owner, kRunKey));
  TextList names;
  ListValueNames(root, runKey, names);
  ForEachItem(names, [&](const std::string& name) {
    // The key's default value starts nothing.
    if (name.empty()) return;
    const std::string command = ReadStringUpper(root, runKey, name);
    if (!ProgramIsMissing(command, view.programs)) return;
    RepairValue(kStartup, root, runKey, name, {KeyLine(root, runKey), DeleteValueLine(name), ""},
                DetailLine(view, root, context.Key(owner, kRunKey) + name, "deleted"),
                {"program missing", ReadString(root, runKey, name)});
  });
}
