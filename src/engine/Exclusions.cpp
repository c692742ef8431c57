#include "engine/Exclusions.h"

#include <optional>
#include <string_view>

#include "platform/HeldFiles.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"
#include "platform/Roots.h"
#include "platform/TextFile.h"

namespace {

constexpr std::string_view kValueMark = ", value \"";
constexpr std::string_view kDefaultValueMark = ", default value";

constexpr const char* kExample =
    "# Klarvex exclusions: keys and values that Scan and Clean never judge.\r\n"
    "# One item a line, named as the report names it; a line starting with # is a note.\r\n"
    "# A key keeps itself and everything below it, for example:\r\n"
    "#   HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.foo\r\n"
    "# A value keeps only itself:\r\n"
    "#   HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run, value \"Tool\"\r\n"
    "#   HKEY_CURRENT_USER\\Software\\Example, default value\r\n";

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::optional<RootKey> RootNamed(std::string_view name) {
  if (std::optional<RootKey> root = RootFromName(name)) return root;
  // The short names of the detail lines, without their brackets: HKCR, HKCU, HKLM.
  const std::string upper = UpperAscii(std::string(name));
  for (const RootInfo& info : kRoots) {
    if (info.shortTag.substr(1, info.shortTag.size() - 2) == upper) return info.root;
  }
  return std::nullopt;
}

// The classes root is a view of the machine's and the user's classes: a key excluded in one of
// the three is kept in all of them, whichever view a check reads it through.
std::string Canonical(RootKey root, std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.push_back(Ansi().Upper(std::string(path.substr(start, end - start))));
    start = end + 1;
  }
  size_t first = 0;
  if (root != RootKey::ClassesRoot && parts.size() >= 2 && parts[0] == "SOFTWARE" &&
      parts[1] == "CLASSES") {
    root = RootKey::ClassesRoot;
    first = 2;
  }
  std::string key(RootKeyName(root));
  for (size_t i = first; i < parts.size(); ++i) key += "\\" + parts[i];
  return key;
}

bool AtOrBelow(const std::string& key, const std::string& top) {
  return key.starts_with(top) && (key.size() == top.size() || key[top.size()] == '\\');
}

}  // namespace

Exclusions Exclusions::Parse(const std::u16string& text) {
  Exclusions result;
  const WideList lines = SplitLines(text);
  for (size_t i = 0; i < lines.size(); ++i) {
    bool lossy = false;
    const std::string ansi = Ansi().ToAnsi(lines[i], lossy);
    const std::string_view line = Trimmed(ansi);
    if (line.empty() || line.front() == '#') continue;
    Line entryLine{i + 1, std::string(line), 0};
    Entry entry;
    std::string_view key = line;
    if (const size_t mark = line.find(kValueMark); mark != std::string_view::npos) {
      key = line.substr(0, mark);
      const std::string_view rest = line.substr(mark + kValueMark.size());
      entry.isValue = !rest.empty() && rest.back() == '"';
      if (!entry.isValue)
        key = {};
      else
        entry.value = Ansi().Upper(std::string(rest.substr(0, rest.size() - 1)));
    } else if (line.ends_with(kDefaultValueMark)) {
      key = line.substr(0, line.size() - kDefaultValueMark.size());
      entry.isValue = true;
    }
    const std::optional<RootKey> root = RootNamed(key.substr(0, key.find('\\')));
    // A name the code page cannot hold is not one that any check can meet.
    if (!root || lossy) {
      result.badLines_.push_back(entryLine);
      continue;
    }
    const size_t slash = key.find('\\');
    entry.key = Canonical(*root, slash == std::string_view::npos ? "" : key.substr(slash));
    // A whole root (HKLM\SOFTWARE\Classes is the classes root) would keep everything below it.
    if (!entry.isValue && entry.key.find('\\') == std::string::npos) {
      result.badLines_.push_back(entryLine);
      continue;
    }
    result.entries_.push_back(entry);
    result.lines_.push_back(entryLine);
  }
  return result;
}

Exclusions Exclusions::Load(const std::string& path) {
  // Only the file's being there is asked through links on the way; its bytes never are.
  if (Files().Attributes(path) == fileattr::kInvalid) return {};
  Bytes data;
  const long status = ReadOwnFile(path, data, kMaxExclusionsFile);
  if (status == status::kFileNotFound || status == status::kPathNotFound) return {};
  if (status != status::kSuccess) {
    Exclusions refused;
    refused.refused_ = status;
    return refused;
  }
  return Parse(DecodeText(data));
}

Exclusions::Entry Exclusions::EntryFor(RootKey root, const std::string& keyPath,
                                       const std::string* valueName) {
  return {Canonical(root, keyPath), valueName != nullptr,
          valueName ? Ansi().Upper(*valueName) : std::string()};
}

bool Exclusions::Covers(const Entry& excluded, const Entry& item) {
  if (item.isValue) {
    return excluded.isValue ? item.key == excluded.key && item.value == excluded.value
                            : AtOrBelow(item.key, excluded.key);
  }
  // A key goes with everything below it: an excluded key or value there keeps it too.
  return AtOrBelow(excluded.key, item.key) ||
         (!excluded.isValue && AtOrBelow(item.key, excluded.key));
}

bool Exclusions::Keeps(RootKey root, const std::string& keyPath, const std::string* valueName,
                       bool counted) {
  if (entries_.empty() && runOnly_.empty()) return false;
  const Entry item = EntryFor(root, keyPath, valueName);
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (Covers(entries_[i], item)) {
      if (counted) ++lines_[i].kept;
      return true;
    }
  }
  for (const Entry& entry : runOnly_) {
    if (Covers(entry, item)) return true;
  }
  return false;
}

// Created new, never over what is at that name already (a link included).
void CreateExclusionsFile(const std::string& path) {
  long status = 0;
  if (std::unique_ptr<HeldFile> file = HoldNewFile(path, status)) {
    const std::string_view text = kExample;
    if (file->Replace(Bytes(text.begin(), text.end())) != status::kSuccess) file->Delete();
  }
}

bool AddExclusion(const std::string& path, RootKey root, const std::string& keyPath,
                  const std::string* valueName, std::string& reason) {
  const std::string line =
      valueName ? ValueDisplayName(root, keyPath, *valueName) : KeyDisplayName(root, keyPath);
  // The parser trims blanks and reads the first value mark: a line it would take for another
  // item is never written.
  const Exclusions readBack = Exclusions::Parse(Ansi().ToWide(line));
  if (readBack.entries_.size() != 1 ||
      readBack.entries_.front() != Exclusions::EntryFor(root, keyPath, valueName)) {
    reason = "its name cannot be written as a line of the file.";
    return false;
  }
  CreateExclusionsFile(path);
  // Read and written as every file of the undo folder: by handle, never through a link.
  Bytes data;
  if (FileExists(path) && ReadOwnFile(path, data, kMaxExclusionsFile) != status::kSuccess) {
    reason = "the file could not be read.";
    return false;
  }
  const std::u16string text = DecodeText(data);
  const bool openLine = !text.empty() && text.back() != u'\n' && text.back() != u'\r';
  const Bytes added = EncodedLike(data, (openLine ? u"\r\n" : u"") + Ansi().ToWide(line) + u"\r\n");
  data.insert(data.end(), added.begin(), added.end());
  const long code = WriteOwnFile(path, data);
  if (code == status::kSuccess) return true;
  reason = Process().ErrorText(code);
  return false;
}
