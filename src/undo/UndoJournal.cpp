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

WideList UndoJournal;
std::string UndoFileName;
LocalDate StartDate;
TextList FixScript;
uint32_t OsMajorVersion = 0;

namespace {

void AddJournalLine(const std::string& ansi) { UndoJournal.push_back(Ansi().ToWide(ansi)); }

bool PathExists(const std::string& path) { return Files().Attributes(path) != fileattr::kInvalid; }

// Key names compare without regard to the case of ASCII letters, as the registry compares them.
bool SameKeyName(std::u16string_view a, std::u16string_view b) {
  const auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [&](char16_t x, char16_t y) { return upper(x) == upper(y); });
}

// Whether every key line of an export opens the exported key or one below it. A file that another
// program wrote in the editor's place, or an export whose names hold line breaks written as they
// are, could otherwise carry sections of another key (a machine-wide Run entry, say) into the
// undo file, to be imported with the rights of whoever imports it.
bool OnlyKeysAtOrBelow(const WideList& lines, const std::u16string& keyName) {
  for (const std::u16string& line : lines) {
    const size_t start = line.find_first_not_of(u" \t");
    if (start == std::u16string::npos || line[start] != u'[') continue;
    std::u16string_view name = std::u16string_view(line).substr(start + 1);
    if (!name.empty() && name.front() == u'-') name.remove_prefix(1);
    const size_t close = name.rfind(u']');
    if (close == std::u16string_view::npos) return false;
    name = name.substr(0, close);
    const bool below = name.size() > keyName.size() && name[keyName.size()] == u'\\' &&
                       SameKeyName(name.substr(0, keyName.size()), keyName);
    if (!below && !SameKeyName(name, keyName)) return false;
  }
  return true;
}

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

namespace {

// The export as the editor left it: a plain file of one name in the undo folder, read and then
// deleted through one handle, so what was checked is what is kept. A link, a second hard link or
// a file elsewhere is refused: the editor may have written through it.
bool TakeExport(const std::string& exportFile, WideList& lines) {
  long status = 0;
  std::unique_ptr<HeldFile> file = HoldPlainFile(exportFile, HoldMode::ReadToDelete, status);
  if (!file) return false;
  // Found elsewhere, it is no file of the program's to read or to delete.
  if (!LiesIn(file->Facts(), UndoDir())) return false;
  Bytes data;
  const bool read = file->Read(data, kMaxReadBack) == status::kSuccess;
  file->Delete();
  if (read) lines = SplitLines(DecodeText(data));
  return read;
}

// Appends the registry editor's export of one key (its full name) and its subtree.
bool ExportKey(const std::string& keyName) {
  const std::string exportFile = UndoDir() + kExportFileName;
  // A file left behind by an earlier backup must never pass for this key's export.
  if (PathExists(exportFile) && !RemoveOwnFile(exportFile)) return false;
  // The argument text is the whole command line, and its first word is taken for the program's
  // name: a leading blank keeps "/s" a switch, as in the import texts. Without it the editor
  // runs without "/s", twice as slow under Wine, and free to stop on a message box nobody sees.
  RunRegedit(" /s /e \"" + exportFile + "\" \"" + keyName + "\"");
  WideList lines;
  if (!PathExists(exportFile) || !TakeExport(exportFile, lines)) return false;
  // Only a real export of this key counts: its header, the empty line, then the key's own line.
  // A name the editor's command line took apart (a double quote in it) may have made it export
  // some other key, whose text must never pass for this key's backup.
  const std::u16string wideName = Ansi().ToWide(keyName);
  if (lines.size() <= 2 || ScriptHeaderVersion(lines[0]) == ScriptVersion::Invalid ||
      !SameKeyName(lines[2], u"[" + wideName + u"]") || !OnlyKeysAtOrBelow(lines, wideName)) {
    return false;
  }
  UndoJournal.insert(UndoJournal.end(), lines.begin() + 2, lines.end());
  return true;
}

}  // namespace

bool BackupKey(RootKey root, const std::string& path) {
  const std::string below = path.empty() || path[0] == '\\' ? path : "\\" + path;
  // Windows' classes root shows the user's classes over the machine's, and a key created through
  // it goes to the machine's branch when the user's is gone: a key of the user's would come back
  // machine-wide. Such a key is backed up where it lives, in both branches when it is in both.
  if (root == RootKey::ClassesRoot &&
      KeyExists(RootKey::CurrentUser, "\\Software\\Classes" + below)) {
    bool added = ExportKey("HKEY_CURRENT_USER\\Software\\Classes" + below);
    if (KeyExists(RootKey::LocalMachine, "\\SOFTWARE\\Classes" + below)) {
      added = ExportKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes" + below) && added;
    }
    return added;
  }
  return ExportKey(std::string(RootKeyName(root)) + path);
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
