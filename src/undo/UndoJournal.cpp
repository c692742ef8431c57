#include "undo/UndoJournal.h"

#include <algorithm>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegKey.h"
#include "platform/RegistryOps.h"
#include "platform/Roots.h"
#include "undo/RegScript.h"

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

// Decodes UTF-8; a malformed sequence gives U+FFFD, characters above U+FFFF a surrogate pair.
std::u16string Utf8ToWide(const Bytes& data, size_t start) {
  std::u16string text;
  size_t i = start;
  while (i < data.size()) {
    const uint8_t lead = data[i++];
    uint32_t code = lead;
    size_t extra = 0;
    if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      code = lead & 0x07u;
    } else if (lead >= 0xE0) {
      extra = lead <= 0xEF ? 2 : 0;
      code = lead & 0x0Fu;
    } else if (lead >= 0xC2) {
      extra = 1;
      code = lead & 0x1Fu;
    } else if (lead >= 0x80) {
      text += u'\xFFFD';
      continue;
    }
    if (lead >= 0xF5) {
      text += u'\xFFFD';
      continue;
    }
    size_t taken = 0;
    while (taken < extra && i < data.size() && (data[i] & 0xC0) == 0x80) {
      code = code << 6 | (data[i++] & 0x3Fu);
      ++taken;
    }
    const uint32_t minimum = extra == 3 ? 0x10000 : extra == 2 ? 0x800 : 0;
    if (taken < extra || code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      text += u'\xFFFD';
    } else if (code >= 0x10000) {
      code -= 0x10000;
      text += static_cast<char16_t>(0xD800 + (code >> 10));
      text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
      text += static_cast<char16_t>(code);
    }
  }
  return text;
}

std::u16string Utf16ToWide(const Bytes& data, bool bigEndian) {
  std::u16string text;
  text.reserve(data.size() / 2);
  for (size_t i = 2; i + 1 < data.size(); i += 2) {
    const uint8_t high = bigEndian ? data[i] : data[i + 1];
    const uint8_t low = bigEndian ? data[i + 1] : data[i];
    text += static_cast<char16_t>(high << 8 | low);
  }
  return text;
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

bool BackupValue(RootKey root, const std::string& path, const std::string& name) {
  std::string keyPath = path;
  if (keyPath.size() > 1 && keyPath.back() == '\\') keyPath.pop_back();
  const RegKey key(root, keyPath, keyaccess::kRead);
  if (!key.IsOpen()) return false;
  AddJournalLine(KeyLine(root, keyPath));
  uint32_t type = 0;
  Bytes data;
  const bool found = key.Query(name, type, data) == status::kSuccess;
  // The undo file is always UTF-16, so text held as hex bytes is written as UTF-16 too.
  if (found) AddJournalLine(ValueLine(name, type, data, ScriptEncoding::Utf16));
  UndoJournal.emplace_back();
  return found;
}

namespace {

// Appends the registry editor's export of one key (its full name) and its subtree.
bool ExportKey(const std::string& keyName) {
  const std::string exportFile = UndoDir() + kExportFileName;
  // A file left behind by an earlier backup must never pass for this key's export.
  if (PathExists(exportFile) && (!Files().RemoveFile(exportFile) || PathExists(exportFile))) {
    return false;
  }
  // The argument text is the whole command line, and its first word is taken for the program's
  // name: a leading blank keeps "/s" a switch, as in the import texts. Without it the editor
  // runs without "/s", twice as slow under Wine, and free to stop on a message box nobody sees.
  RunRegedit(" /s /e \"" + exportFile + "\" \"" + keyName + "\"");
  if (!PathExists(exportFile)) return false;
  std::u16string text;
  const bool read = ReadTextFile(exportFile, text);
  Files().RemoveFile(exportFile);
  if (!read) return false;
  const WideList lines = SplitLines(text);
  // Only a real export of this key counts: its header, the empty line, then the key's own line.
  // A name the editor's command line took apart (a double quote in it) may have made it export
  // some other key, whose text must never pass for this key's backup.
  if (lines.size() <= 2 || ScriptHeaderVersion(lines[0]) == ScriptVersion::Invalid ||
      !SameKeyName(lines[2], u"[" + Ansi().ToWide(keyName) + u"]")) {
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
  Bytes data = {0xFF, 0xFE};
  for (const std::u16string& line : lines) {
    for (char16_t c : line) {
      data.push_back(static_cast<uint8_t>(c & 0xFF));
      data.push_back(static_cast<uint8_t>(c >> 8));
    }
    data.insert(data.end(), {0x0D, 0x00, 0x0A, 0x00});
  }
  return Files().WriteAll(path, data);
}

long SaveFixScript(const std::string& path, const TextList& lines) {
  Bytes data;
  for (const std::string& line : lines) {
    data.insert(data.end(), line.begin(), line.end());
    data.insert(data.end(), {0x0D, 0x0A});
  }
  return Files().WriteAll(path, data);
}

bool ReadTextFile(const std::string& path, std::u16string& text) {
  Bytes data;
  if (!Files().ReadAll(path, data)) return false;
  if (data.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    text = Utf16ToWide(data, false);
  } else if (data.size() >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
    text = Utf16ToWide(data, true);
  } else if (data.size() >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
    text = Utf8ToWide(data, 3);
  } else {
    text = Ansi().ToWide(std::string(data.begin(), data.end()));
  }
  return true;
}

WideList SplitLines(const std::u16string& text) {
  WideList lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? 2 : 1);
  }
  return lines;
}
