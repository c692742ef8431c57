#include "platform/sim/SimRegedit.h"

#include "platform/Platform.h"
#include "platform/RegistryOps.h"
#include "platform/Roots.h"
#include "platform/TextFile.h"
#include "platform/sim/SimPlatform.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// One more word of a command line; backslashes are literal unless they precede a quote.
std::string NextWord(const std::string& text, size_t& i) {
  std::string word;
  bool quoted = false;
  while (i < text.size() && (quoted || !IsBlank(text[i]))) {
    if (text[i] == '\\') {
      size_t count = 0;
      while (i < text.size() && text[i] == '\\') ++count, ++i;
      if (i < text.size() && text[i] == '"') {
        word.append(count / 2, '\\');
        if (count % 2 == 1) word += text[i++];
      } else {
        word.append(count, '\\');
      }
    } else if (text[i] == '"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
        word += '"';
        i += 2;
      } else {
        quoted = !quoted;
        ++i;
      }
    } else {
      word += text[i++];
    }
  }
  return word;
}

void ExportTree(RegHandle key, const std::string& fullName, WideList& lines) {
  RegistryApi& registry = Registry();
  RegKeyInfo info;
  registry.QueryInfo(key, info);
  lines.push_back(Ansi().ToWide("[" + fullName + "]"));
  std::string name;
  for (uint32_t i = 0; i < info.values; ++i) {
    if (registry.EnumValue(key, i, name) != status::kSuccess) continue;
    const std::u16string wideName = Ansi().ToWide(name);
    uint32_t type = 0;
    Bytes data;
    if (registry.QueryValueW(key, wideName, type, data) != status::kSuccess) continue;
    for (std::u16string& line : ExportValueLines(wideName, type, data)) {
      lines.push_back(std::move(line));
    }
  }
  lines.emplace_back();
  TextList subKeys;
  for (uint32_t i = 0; i < info.subKeys; ++i) {
    if (registry.EnumKey(key, i, name) == status::kSuccess) subKeys.push_back(name);
  }
  for (const std::string& subKey : subKeys) {
    RegHandle child = 0;
    if (registry.Open(key, subKey, keyaccess::kRead, child) != status::kSuccess) continue;
    ExportTree(child, fullName + "\\" + subKey, lines);
    registry.Close(child);
  }
}

// UTF-16LE with a byte-order mark, every line ended by CR LF, as the system's editor exports.
void Export(const std::string& file, const std::string& keyName) {
  const size_t slash = keyName.find('\\');
  const auto root = RootFromName(keyName.substr(0, slash));
  if (!root) return;
  const std::string path = slash == std::string::npos ? "" : keyName.substr(slash + 1);
  RegHandle key = 0;
  if (Registry().Open(RootHandle(*root), path, keyaccess::kRead, key) != status::kSuccess) return;
  WideList lines = {Ansi().ToWide(std::string(kRegedit5Header)), u""};
  ExportTree(key, std::string(RootKeyName(*root)) + (path.empty() ? "" : "\\" + path), lines);
  Registry().Close(key);
  Files().WriteAll(file, Utf16LeFile(lines));
}

void Import(const std::string& file) {
  Bytes data;
  if (Files().ReadAll(file, data)) ApplyScript(ParseScriptFile(data));
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> words;
  size_t i = 0;
  // The program's name ends at the next quote when it starts with one, else at a blank.
  if (!commandLine.empty() && commandLine[0] == '"') {
    const size_t close = commandLine.find('"', 1);
    words.push_back(commandLine.substr(1, close == std::string::npos ? close : close - 1));
    i = close == std::string::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && !IsBlank(commandLine[i])) ++i;
    words.push_back(commandLine.substr(0, i));
  }
  while (true) {
    while (i < commandLine.size() && IsBlank(commandLine[i])) ++i;
    if (i >= commandLine.size()) break;
    words.push_back(NextWord(commandLine, i));
  }
  return words;
}

void ApplyScript(const ParsedScript& script) {
  RegistryApi& registry = Registry();
  RegHandle current = 0;
  const auto closeCurrent = [&] {
    if (current != 0) registry.Close(current);
    current = 0;
  };
  for (const ScriptOp& op : script.ops) {
    switch (op.kind) {
      case ScriptOp::Kind::Key:
        closeCurrent();
        if (registry.Create(RootHandle(op.root), op.path, keyaccess::kAllAccess, current) !=
            status::kSuccess) {
          current = 0;
        }
        break;
      case ScriptOp::Kind::DeleteKey:
        closeCurrent();
        registry.DeleteTree(RootHandle(op.root), op.path);
        break;
      case ScriptOp::Kind::SetValue:
        if (current != 0) registry.SetValueW(current, Ansi().ToWide(op.name), op.type, op.data);
        break;
      case ScriptOp::Kind::DeleteValue:
        if (current != 0) registry.DeleteValue(current, op.name);
        break;
    }
  }
  closeCurrent();
}

void RunSimRegedit(const std::string& commandLine) {
  const std::vector<std::string> words = SplitCommandLine(commandLine);
  bool exporting = false;
  size_t i = 1;
  // Switches come first; "/e" exports, the others change nothing here.
  for (; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word.size() < 2 || (word[0] != '/' && word[0] != '-') ||
        (word.size() > 2 && word[2] != ':'))
      break;
    if (word[1] == 'e' || word[1] == 'E') exporting = true;
  }
  if (exporting) {
    if (i + 1 < words.size()) Export(words[i], words[i + 1]);
    return;
  }
  for (; i < words.size(); ++i) Import(words[i]);
}

void InstallSimRegedit(SimPlatform& sim) {
  std::string folder = sim.process.windowsDirectory;
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  sim.process.RegisterProgram(folder + "regedit.exe", RunSimRegedit);
}
