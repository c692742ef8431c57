#include "undo/KeyExports.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "platform/HeldFiles.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegKey.h"
#include "platform/RegScript.h"
#include "platform/Roots.h"
#include "platform/TextFile.h"
#include "undo/UndoJournal.h"

namespace {

// One start of the editor costs about as much as exporting this many lines of a key: under Wine
// a start takes 20 to 45 ms, and an export writes about 10 lines a millisecond.
constexpr size_t kLinesPerEditorRun = 300;

// Key names compare without regard to the case of ASCII letters, as the registry compares them.
std::u16string UpperKeyName(std::u16string_view name) {
  std::u16string upper(name);
  for (char16_t& c : upper) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return upper;
}

bool SameKeyName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && UpperKeyName(a) == UpperKeyName(b);
}

// The key a line of an export opens ("[name]" or "[-name]"): none for a value or empty line,
// and "" for a line that starts as a key line but is not a whole one.
std::optional<std::u16string_view> OpenedKey(const std::u16string& line) {
  const size_t start = line.find_first_not_of(u" \t");
  if (start == std::u16string::npos || line[start] != u'[') return std::nullopt;
  std::u16string_view name = std::u16string_view(line).substr(start + 1);
  if (!name.empty() && name.front() == u'-') name.remove_prefix(1);
  const size_t close = name.rfind(u']');
  return close == std::u16string_view::npos ? std::u16string_view() : name.substr(0, close);
}

bool IsAtOrBelow(std::u16string_view name, std::u16string_view keyName) {
  return SameKeyName(name, keyName) ||
         (name.size() > keyName.size() && name[keyName.size()] == u'\\' &&
          SameKeyName(name.substr(0, keyName.size()), keyName));
}

// Whether every key line of an export opens the exported key or one below it. A file that another
// program wrote in the editor's place, or an export whose names hold line breaks written as they
// are, could otherwise carry sections of another key (a machine-wide Run entry, say) into the
// undo file, to be imported with the rights of whoever imports it.
bool OnlyKeysAtOrBelow(const WideList& lines, std::u16string_view keyName) {
  return std::all_of(lines.begin(), lines.end(), [&](const std::u16string& line) {
    const std::optional<std::u16string_view> name = OpenedKey(line);
    return !name || (!name->empty() && IsAtOrBelow(*name, keyName));
  });
}

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

// The editor's export of one key (its full name) and its subtree, from the key's own line on.
bool ExportOne(const std::string& keyName, WideList& lines) {
  const std::string exportFile = UndoDir() + kExportFileName;
  // A file left behind by an earlier backup must never pass for this key's export.
  const auto exists = [&] { return Files().Attributes(exportFile) != fileattr::kInvalid; };
  if (exists() && !RemoveOwnFile(exportFile)) return false;
  // The argument text is the whole command line, and its first word is taken for the program's
  // name: a leading blank keeps "/s" a switch, as in the import texts. Without it the editor
  // runs without "/s", twice as slow under Wine, and free to stop on a message box nobody sees.
  RunRegedit(" /s /e \"" + exportFile + "\" \"" + keyName + "\"");
  if (!exists() || !TakeExport(exportFile, lines)) return false;
  // Only a real export of this key counts: its header, the empty line, then the key's own line.
  // A name the editor's command line took apart (a double quote in it) may have made it export
  // some other key, whose text must never pass for this key's backup.
  const std::u16string wideName = Ansi().ToWide(keyName);
  if (lines.size() <= 2 || ScriptHeaderVersion(lines[0]) == ScriptVersion::Invalid ||
      !SameKeyName(lines[2], u"[" + wideName + u"]") || !OnlyKeysAtOrBelow(lines, wideName)) {
    return false;
  }
  lines.erase(lines.begin(), lines.begin() + 2);
  return true;
}

// A parent key's export cut into the parts of its subkeys, by upper-cased subkey name.
using SubkeyExports = std::map<std::u16string, WideList>;

// Cuts the export of parentName (from its own line on) into its subkeys' parts, each from the
// subkey's own line to the next subkey's. A name or a value whose line breaks the editor wrote
// as they are can put a key line of its own into the export: then some subkey's own line comes
// twice, or a deeper key's line comes before its subkey's own. Nothing of such an export is
// trusted, and every key below the parent is exported on its own.
bool CutBySubkey(const WideList& lines, std::u16string_view parentName, SubkeyExports& parts) {
  WideList* part = nullptr;
  std::u16string current;
  for (size_t i = 1; i < lines.size(); ++i) {
    if (const std::optional<std::u16string_view> name = OpenedKey(lines[i])) {
      if (name->size() <= parentName.size() || !IsAtOrBelow(*name, parentName)) return false;
      const std::u16string_view subkey = name->substr(parentName.size() + 1);
      const size_t end = subkey.find(u'\\');
      std::u16string upper = UpperKeyName(subkey.substr(0, end));
      const bool ownLine = end == std::u16string_view::npos;
      if (ownLine ? parts.contains(upper) : upper != current) return false;
      if (ownLine) {
        part = &parts[upper];
        current = std::move(upper);
      }
    }
    if (part) part->push_back(lines[i]);
  }
  return true;
}

// What this run did with the keys below one parent.
struct Parent {
  size_t oneByOne = 0;                // subkeys exported on their own
  size_t linesOneByOne = 0;           // the lines of those exports
  std::optional<size_t> exportLines;  // the parent's whole export as estimated, once it was
  bool exported = false;              // the parent's export was tried, whatever came of it
  SubkeyExports subkeys;              // its parts not taken yet
};
std::map<std::u16string, Parent> parents;

// The lines of the parent's whole export: each subkey's own line, its values and the empty line
// after them, and for each key right below it as many as an average key exported so far. The
// subkeys' count alone would miss one that holds a tree of thousands: CLSID below Classes makes
// that export ten times the count's guess.
size_t EstimatedExportLines(RootKey root, const std::string& parentPath, const RegKey& parent,
                            const RegKeyInfo& info, size_t averageLines) {
  size_t lines = 0;
  for (const std::string& name : parent.SubKeyNames(info)) {
    const RegKey subkey(root, parentPath + "\\" + name, keyaccess::kRead);
    RegKeyInfo below;
    if (subkey.IsOpen()) Registry().QueryInfo(subkey.Handle(), below);
    lines += 2 + below.values + below.subKeys * averageLines;
  }
  return lines;
}

// Ski rental: once the editor runs made below the parent cost as much as its whole export is
// estimated to, the rest comes from that export. The subkeys' count times the lines of an
// average one tells first whether it may be time; the closer estimate, which reads every
// subkey's counts, is made once and only then.
bool WorthExporting(RootKey root, const std::string& parentPath, Parent& parent) {
  if (parent.exported || parent.oneByOne < 2) return false;
  const size_t rent = parent.oneByOne * kLinesPerEditorRun;
  const size_t averageLines = parent.linesOneByOne / parent.oneByOne;
  if (!parent.exportLines) {
    const RegKey key(root, StripLeadingBackslash(parentPath), keyaccess::kRead);
    RegKeyInfo info;
    if (!key.IsOpen() || Registry().QueryInfo(key.Handle(), info) != status::kSuccess) return false;
    if (rent < info.subKeys * averageLines) return false;
    parent.exportLines = EstimatedExportLines(root, parentPath, key, info, averageLines);
  }
  return rent >= *parent.exportLines;
}

// Exports the parent once. Its subkeys are listed after the export: a part under a name the
// registry does not list came from a line break inside the export, not from a key, and the
// lines it took were another part's, so then nothing of the export is used.
void ExportParent(RootKey root, const std::string& parentPath, Parent& parent) {
  parent.exported = true;
  const std::string parentName = std::string(RootKeyName(root)) + parentPath;
  WideList lines;
  SubkeyExports parts;
  if (!ExportOne(parentName, lines) || !CutBySubkey(lines, Ansi().ToWide(parentName), parts)) {
    return;
  }
  std::set<std::u16string> listed;
  for (const std::string& name :
       RegKey(root, StripLeadingBackslash(parentPath), keyaccess::kRead).SubKeyNames()) {
    listed.insert(UpperKeyName(Ansi().ToWide(name)));
  }
  if (std::all_of(parts.begin(), parts.end(),
                  [&](const auto& part) { return listed.contains(part.first); })) {
    parent.subkeys = std::move(parts);
  }
}

void AddToJournal(const WideList& lines) {
  UndoJournal.insert(UndoJournal.end(), lines.begin(), lines.end());
}

}  // namespace

bool ExportKey(RootKey root, const std::string& path) {
  const std::string keyName = std::string(RootKeyName(root)) + path;
  const size_t cut = path.rfind('\\');
  WideList lines;
  // A key right below a root is always exported on its own: a root is never exported whole.
  if (cut == 0 || cut == std::string::npos || cut + 1 == path.size()) {
    if (!ExportOne(keyName, lines)) return false;
    AddToJournal(lines);
    return true;
  }
  const std::string parentPath = path.substr(0, cut);
  Parent& parent =
      parents[UpperKeyName(Ansi().ToWide(std::string(RootKeyName(root)) + parentPath))];
  if (WorthExporting(root, parentPath, parent)) ExportParent(root, parentPath, parent);
  const auto part = parent.subkeys.find(UpperKeyName(Ansi().ToWide(path.substr(cut + 1))));
  if (part != parent.subkeys.end()) {
    AddToJournal(part->second);
    parent.subkeys.erase(part);
    return true;
  }
  if (!ExportOne(keyName, lines)) return false;
  ++parent.oneByOne;
  parent.linesOneByOne += lines.size();
  AddToJournal(lines);
  return true;
}

void ForgetParentExports() { parents.clear(); }
