#include "bench/BareWalk.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

constexpr const char* kHistoryKeys[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
    "SOFTWARE\\Microsoft\\Internet Explorer\\TypedURLs",
    "SOFTWARE\\Microsoft\\Search Assistant\\ACMru\\5603",
    "SOFTWARE\\Microsoft\\Search Assistant\\ACMru\\5604",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU\\*",
    "SOFTWARE\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit",
    "SOFTWARE\\WinRAR\\ArcHistory",
    "SOFTWARE\\Far\\SavedDialogHistory\\ArcName",
    "SOFTWARE\\Far\\SavedDialogHistory\\Copy",
    "SOFTWARE\\Far\\SavedDialogHistory\\ExtrDestPath",
    "SOFTWARE\\Far\\SavedDialogHistory\\Masks",
    "SOFTWARE\\Far\\SavedDialogHistory\\NewEdit",
    "SOFTWARE\\Far\\SavedDialogHistory\\NewFolder",
    "SOFTWARE\\Far\\SavedDialogHistory\\ReplaceText",
    "SOFTWARE\\Far\\SavedDialogHistory\\SearchText",
};
constexpr const char* kUninstallValues[] = {"DisplayName", "NoRemove", "SystemComponent",
                                            "UninstallString", "QuietUninstallString"};

class Key {
 public:
  Key() = default;
  explicit Key(HKEY handle) : h_(handle) {}
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (h_) RegCloseKey(h_);
  }
  HKEY get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HKEY h_ = nullptr;
};

class Walker {
 public:
  BareCount count;

  HKEY Open(HKEY parent, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    ++count.keys;
    return key;
  }
  bool Exists(HKEY parent, const std::string& path) { return bool(Key(Open(parent, path))); }

  // String or expandable string data; "" for anything else or nothing.
  std::string Query(HKEY key, const char* name) {
    ++count.entries;
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(data_.size());
    LONG result = RegQueryValueExA(key, name, nullptr, &type, data_.data(), &size);
    if (result == ERROR_MORE_DATA) {
      data_.resize(size + 2);
      size = static_cast<DWORD>(data_.size());
      result = RegQueryValueExA(key, name, nullptr, &type, data_.data(), &size);
    }
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
    std::string text(reinterpret_cast<const char*>(data_.data()), size);
    text.resize(std::min(text.size(), text.find('\0')));
    return text;
  }
  // The default value of parent\path, one open per level of path.
  std::string DefaultOf(HKEY parent, std::initializer_list<const char*> levels) {
    HKEY chain[4] = {};
    size_t opened = 0;
    HKEY at = parent;
    for (const char* level : levels) {
      at = Open(at, level);
      if (!at) break;
      chain[opened++] = at;
    }
    std::string text = at ? Query(at, "") : std::string();
    while (opened) RegCloseKey(chain[--opened]);
    return text;
  }
  bool SubKey(HKEY key, DWORD index, std::string& name) {
    char buffer[256];
    DWORD length = sizeof buffer;
    const LONG result =
        RegEnumKeyExA(key, index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) return false;
    name.assign(buffer, length);
    return true;
  }
  bool ValueName(HKEY key, DWORD index, std::string& name) {
    DWORD length = static_cast<DWORD>(name_.size());
    const LONG result =
        RegEnumValueA(key, index, name_.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS) return false;
    name.assign(name_.data(), length);
    return true;
  }
  // Depth-first to the first value met, as the interface and type library checks look.
  bool AnyValue(HKEY key) {
    std::string name;
    if (ValueName(key, 0, name)) return true;
    for (DWORD i = 0; SubKey(key, i, name); ++i) {
      Key sub(Open(key, name));
      if (sub && AnyValue(sub.get())) return true;
    }
    return false;
  }
  // Every value of the key read.
  void AllValues(HKEY key) {
    std::string name;
    for (DWORD i = 0; ValueName(key, i, name); ++i) Query(key, name.c_str());
  }
  void SoftwareTree(HKEY key, const std::string& upperPath) {
    if (upperPath.find("MICROSOFT") != std::string::npos ||
        upperPath.find("CLASSES") != std::string::npos) {
      return;
    }
    AllValues(key);
    std::string name;
    for (DWORD i = 0; SubKey(key, i, name); ++i) {
      std::string upper = name;
      CharUpperBuffA(upper.data(), static_cast<DWORD>(upper.size()));
      const std::string path = upperPath + upper + "\\";
      if (path.find("MICROSOFT") != std::string::npos ||
          path.find("CLASSES") != std::string::npos) {
        continue;
      }
      Key sub(Open(key, name));
      if (sub) SoftwareTree(sub.get(), path);
    }
  }

 private:
  std::vector<BYTE> data_ = std::vector<BYTE>(4096);
  std::vector<char> name_ = std::vector<char>(16384);
};

void ClassesRoot(Walker& w, HKEY classes, HKEY clsid) {
  std::string name;
  for (DWORD i = 0; w.SubKey(classes, i, name); ++i) {
    if (name.empty() || lstrcmpiA(name.c_str(), "CLSID") == 0) continue;
    Key entry(w.Open(classes, name));
    if (!entry) continue;
    if (name[0] == '.') {
      const std::string type = w.Query(entry.get(), "");
      if (!type.empty()) w.Exists(classes, type);
      continue;
    }
    const std::string cls = w.DefaultOf(entry.get(), {"CLSID"});
    if (!cls.empty() && !w.Exists(clsid, cls)) continue;
    w.DefaultOf(entry.get(), {"DefaultIcon"});
    w.DefaultOf(entry.get(), {"shell", "open", "command"});
    w.DefaultOf(entry.get(), {"shell", "edit", "command"});
  }
}

void MachineExtensions(Walker& w) {
  Key classes(w.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes"));
  if (!classes) return;
  std::string name;
  for (DWORD i = 0; w.SubKey(classes.get(), i, name); ++i) {
    if (name.empty() || name[0] != '.') continue;
    Key entry(w.Open(classes.get(), name));
    if (!entry) continue;
    const std::string type = w.Query(entry.get(), "");
    if (!type.empty()) w.Exists(classes.get(), type);
  }
}

void Classes(Walker& w, HKEY clsid, HKEY typelib) {
  std::string name;
  for (DWORD i = 0; w.SubKey(clsid, i, name); ++i) {
    Key cls(w.Open(clsid, name));
    if (!cls) continue;
    std::string server = w.DefaultOf(cls.get(), {"InprocServer32"});
    if (server.empty()) server = w.DefaultOf(cls.get(), {"LocalServer32"});
    const std::string lib = w.DefaultOf(cls.get(), {"TypeLib"});
    if (!lib.empty()) w.Exists(typelib, lib);
  }
}

void Interfaces(Walker& w, HKEY classes, HKEY clsid, HKEY typelib) {
  Key interfaces(w.Open(classes, "Interface"));
  if (!interfaces) return;
  std::string name;
  for (DWORD i = 0; w.SubKey(interfaces.get(), i, name); ++i) {
    Key entry(w.Open(interfaces.get(), name));
    if (!entry || !w.AnyValue(entry.get())) continue;
    const std::string lib = w.DefaultOf(entry.get(), {"TypeLib"});
    const std::string stub = w.DefaultOf(entry.get(), {"ProxyStubClsid"});
    const std::string stub32 = w.DefaultOf(entry.get(), {"ProxyStubClsid32"});
    if (!lib.empty() && !w.Exists(typelib, lib)) continue;
    if (!stub.empty()) w.Exists(clsid, stub);
    if (!stub32.empty()) w.Exists(clsid, stub32);
  }
}

void TypeLibraries(Walker& w, HKEY typelib) {
  std::string name;
  for (DWORD i = 0; w.SubKey(typelib, i, name); ++i) {
    Key entry(w.Open(typelib, name));
    if (!entry || !w.AnyValue(entry.get())) continue;
    std::string version;
    if (!w.SubKey(entry.get(), 0, version)) continue;
    Key help(w.Open(entry.get(), version + "\\HELPDIR"));
    if (help) w.Query(help.get(), "");
  }
}

// software: "SOFTWARE\\" for the 64-bit keys, "SOFTWARE\\Wow6432Node\\" for the 32-bit copies
// (which hold only machine-wide entries).
void StartupAndUninstall(Walker& w, const std::string& software) {
  const std::string version = software + "Microsoft\\Windows\\CurrentVersion\\";
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    if (root == HKEY_CURRENT_USER && software != "SOFTWARE\\") continue;
    Key run(w.Open(root, (version + "Run").c_str()));
    if (run) w.AllValues(run.get());
  }
  Key uninstall(w.Open(HKEY_LOCAL_MACHINE, (version + "Uninstall").c_str()));
  if (!uninstall) return;
  std::string name;
  for (DWORD i = 0; w.SubKey(uninstall.get(), i, name); ++i) {
    Key entry(w.Open(uninstall.get(), name));
    if (!entry) continue;
    for (const char* value : kUninstallValues) w.Query(entry.get(), value);
  }
}

void History(Walker& w) {
  for (const char* path : kHistoryKeys) {
    Key key(w.Open(HKEY_CURRENT_USER, path));
    if (key) w.AllValues(key.get());
  }
  Key software(w.Open(HKEY_CURRENT_USER, "Software"));
  if (software) w.SoftwareTree(software.get(), "\\SOFTWARE\\");
}

uint64_t WalkFolder(const std::string& folder, BareCount& count) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  ++count.keys;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      ++count.entries;
    } else if (lstrcmpA(data.cFileName, ".") != 0 && lstrcmpA(data.cFileName, "..") != 0) {
      WalkFolder(folder + data.cFileName + "\\", count);
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return count.entries;
}

}  // namespace

BareCount BareRegistryWalk() {
  Walker w;
  const auto start = Clock::now();
  Key clsid(w.Open(HKEY_CLASSES_ROOT, "CLSID"));
  Key typelib(w.Open(HKEY_CLASSES_ROOT, "TypeLib"));
  ClassesRoot(w, HKEY_CLASSES_ROOT, clsid.get());
  MachineExtensions(w);
  Classes(w, clsid.get(), typelib.get());
  Interfaces(w, HKEY_CLASSES_ROOT, clsid.get(), typelib.get());
  TypeLibraries(w, typelib.get());
  StartupAndUninstall(w, "SOFTWARE\\");
  // The 32-bit copies of the redirected keys, as the run checks them too.
  Key classes32(w.Open(HKEY_CLASSES_ROOT, "Wow6432Node"));
  Key clsid32(classes32 ? w.Open(classes32.get(), "CLSID") : nullptr);
  if (clsid32) Classes(w, clsid32.get(), typelib.get());
  if (classes32) Interfaces(w, classes32.get(), clsid32.get(), typelib.get());
  StartupAndUninstall(w, "SOFTWARE\\Wow6432Node\\");
  History(w);
  w.count.ms = MsSince(start);
  return w.count;
}

BareCount BareFolderWalk(const std::string& folder) {
  BareCount count;
  const auto start = Clock::now();
  WalkFolder(folder, count);
  count.ms = MsSince(start);
  return count;
}

double BareRegeditExport(const std::string& windowsDir, const std::string& file,
                         const std::string& key) {
  const std::string application = windowsDir + "regedit.exe";
  // The same form the program uses: the argument text alone, with a leading blank.
  std::string commandLine = " /s /e \"" + file + "\" \"" + key + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  const auto start = Clock::now();
  if (!CreateProcessA(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                      DETACHED_PROCESS | HIGH_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  const double ms = MsSince(start);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  DeleteFileA(file.c_str());
  return ms;
}
