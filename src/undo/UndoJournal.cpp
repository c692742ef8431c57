#include "undo/UndoJournal.h"

#include <algorithm>

#include "platform/HeldFiles.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegKey.h"
#include "platform/RegScript.h"
#include "platform/RegistryOps.h"
#include "platform/Roots.h"
#include "platform/TextFile.h"
#include "platform/UndoFolderTrust.h"
#include "undo/KeyExports.h"

WideList UndoJournal;
std::string UndoFileName;
LocalDate StartDate;
TextList FixScript;
uint32_t OsMajorVersion = 0;

namespace {

void AddJournalLine(const std::string& ansi) { UndoJournal.push_back(Ansi().ToWide(ansi)); }

bool PathExists(const std::string& path) { return Files().Attributes(path) != fileattr::kInvalid; }

}  // namespace

void BeginUndoJournal() {
  const std::string year = std::to_string(StartDate.year);
  const std::string yy =
      year.size() >= 4 ? year.substr(2, 2) : TwoDigits(static_cast<uint16_t>(StartDate.year % 100));
  const std::string stem =
      "Undo " + yy + "-" + TwoDigits(StartDate.month) + "-" + TwoDigits(StartDate.day) + "-";
  // Nothing is created here: a name whose file is never written is chosen again next time.
  for (uint16_t n = 1;; ++n) {
    UndoFileName = stem + TwoDigits(n) + ".reg";
    if (!PathExists(UndoDir() + UndoFileName) || n == UINT16_MAX) break;
  }
  UndoJournal.clear();
  ForgetParentExports();
  AddJournalLine(std::string(OsMajorVersion >= 5 ? kRegedit5Header : kRegedit4Header));
  UndoJournal.emplace_back();
}

namespace {
std::string BackupKeyPath(const std::string& path) {
  std::string keyPath = path;
  if (keyPath.size() > 1 && keyPath.back() == '\\') keyPath.pop_back();
  return keyPath;
}
}  // namespace

bool BackupValue(RootKey root, const std::string& path, const std::string& name) {
  const RegKey key(root, BackupKeyPath(path), keyaccess::kRead);
  return BackupValue(key, root, path, name);
}

bool BackupValue(const RegKey& key, RootKey root, const std::string& path,
                 const std::string& name) {
  if (!key.IsOpen()) return false;
  const std::string keyPath = BackupKeyPath(path);
  uint32_t type = 0;
  Bytes stored;
  // Read as stored, never through the code page: the undo file is UTF-16 and holds every
  // character, so the line gives back the same type and bytes whatever the text.
  const bool found = key.QueryStored(name, type, stored) == status::kSuccess;
  // Both lines are made before either is added: a name no script may hold adds nothing.
  const std::string keyLine = KeyLine(root, keyPath);
  const std::u16string valueLine = found ? ValueLine(Ansi().ToWide(name), type, stored) : u"";
  AddJournalLine(keyLine);
  if (found) UndoJournal.push_back(valueLine);
  UndoJournal.emplace_back();
  return found;
}

bool BackupKey(RootKey root, const std::string& path) {
  const std::string below = path.empty() || path[0] == '\\' ? path : "\\" + path;
  // Windows' classes root shows the user's classes over the machine's, and a key created through
  // it goes to the machine's branch when the user's is gone: a key of the user's would come back
  // machine-wide. Such a key is backed up where it lives, in both branches when it is in both.
  if (root == RootKey::ClassesRoot &&
      KeyExists(RootKey::CurrentUser, "\\Software\\Classes" + below)) {
    bool added = ExportKey(RootKey::CurrentUser, "\\Software\\Classes" + below);
    if (KeyExists(RootKey::LocalMachine, "\\SOFTWARE\\Classes" + below)) {
      added = ExportKey(RootKey::LocalMachine, "\\SOFTWARE\\Classes" + below) && added;
    }
    return added;
  }
  return ExportKey(root, below);
}

bool RunRegedit(const std::string& arguments) {
  return Process().RunAndWait(WindowsDir() + "regedit.exe", arguments);
}

long SaveUndoFile(const std::string& path, const WideList& lines) {
  return WriteOwnFile(path, Utf16LeFile(lines));
}

Bytes FixScriptBytes(const TextList& lines) {
  Bytes data;
  for (const std::string& line : lines) {
    data.insert(data.end(), line.begin(), line.end());
    data.insert(data.end(), {0x0D, 0x0A});
  }
  return data;
}

long SaveFixScript(const std::string& path, const TextList& lines) {
  return WriteOwnFile(path, FixScriptBytes(lines));
}

void RemoveLeftoverFixScript() {
  const std::string path = UndoDir() + kFixScriptName;
  // Only in a folder that passes its check: through a junction the name could be anyone's file.
  if (PathExists(path) && CheckUndoFolder().Usable()) RemoveOwnFile(path);
}
