#include "engine/OwnerContext.h"

#include <initializer_list>
#include <utility>

#include "platform/CodePage.h"
#include "platform/Paths.h"
#include "platform/RegKey.h"
#include "platform/RegistryOps.h"

namespace {

constexpr char kVersionKey[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kProfileList[] = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr char kMachineEnvironment[] =
    "\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr char kUserEnvironment[] = "\\Environment";

const OwnerContext* judging = nullptr;

// An environment key's values as Windows reads them at logon: the plain strings first, then the
// expandable ones, expanded by all before them. pathBefore goes before the key's own Path.
void DefineFromKey(OwnerContext& context, RootKey root, const std::string& path,
                   const std::string& pathBefore = {}) {
  const RegKey key(root, path, keyaccess::kRead);
  if (!key.IsOpen()) return;
  std::vector<std::pair<std::string, std::string>> expandable;
  for (const std::string& name : key.ValueNames()) {
    uint32_t type = regtype::kNone;
    std::string value;
    if (name.empty() || key.QueryText(name, type, value) != status::kSuccess) continue;
    if (UpperAscii(name) == "PATH" && !pathBefore.empty()) value = pathBefore + ";" + value;
    if (type == regtype::kSz) context.Define(name, value);
    if (type == regtype::kExpandSz) expandable.emplace_back(name, value);
  }
  for (const auto& [name, value] : expandable) context.Define(name, value);
}

}  // namespace

std::string OwnerContext::Expand(const std::string& text) const {
  return ExpandVariables(text, [this](const std::string& name) -> const std::string* {
    const auto it = variables_.find(UpperAscii(name));
    return it == variables_.end() ? nullptr : &it->second;
  });
}

void OwnerContext::Define(const std::string& name, const std::string& value) {
  if (!value.empty()) variables_[UpperAscii(name)] = Expand(value);
}

std::string OwnerContext::Value(const std::string& name) const {
  const auto it = variables_.find(UpperAscii(name));
  return it == variables_.end() ? std::string() : it->second;
}

bool HoldsVariable(const std::string& expanded) {
  const size_t open = expanded.find('%');
  return open != std::string::npos && expanded.find('%', open + 2) != std::string::npos;
}

OwnerContext MachineContext() {
  OwnerContext machine;
  const std::string windows = WithoutBackslash(WindowsDir());
  machine.Define("SystemRoot", windows);
  machine.Define("windir", windows);
  machine.Define("SystemDrive", windows.size() >= 2 ? windows.substr(0, 2) : std::string());
  for (const auto& [name, value] : std::initializer_list<std::pair<const char*, const char*>>{
           {"ProgramFiles", "ProgramFilesDir"},
           {"ProgramW6432", "ProgramW6432Dir"},
           {"ProgramFiles(x86)", "ProgramFilesDir (x86)"},
           {"CommonProgramFiles", "CommonFilesDir"},
           {"CommonProgramW6432", "CommonW6432Dir"},
           {"CommonProgramFiles(x86)", "CommonFilesDir (x86)"}}) {
    machine.Define(name,
                   WithoutBackslash(ReadSettingText(RootKey::LocalMachine, kVersionKey, value)));
  }
  for (const auto& [name, value] : std::initializer_list<std::pair<const char*, const char*>>{
           {"ProgramData", "ProgramData"},
           {"ALLUSERSPROFILE", "ProgramData"},
           {"PUBLIC", "Public"}}) {
    machine.Define(name, ReadSettingText(RootKey::LocalMachine, kProfileList, value));
  }
  DefineFromKey(machine, RootKey::LocalMachine, kMachineEnvironment);
  return machine;
}

OwnerContext UserContext(const OwnerContext& machine, const UserHive& hive) {
  OwnerContext user = machine;
  user.owner = Owner::User;
  user.hive = hive;
  const std::string profile = WithoutBackslash(hive.profileDir);
  if (!profile.empty()) {
    user.Define("USERPROFILE", profile);
    user.Define("HOMEDRIVE", profile.substr(0, 2));
    user.Define("HOMEPATH", profile.size() > 2 ? profile.substr(2) : std::string("\\"));
    user.Define("USERNAME", profile.substr(profile.rfind('\\') + 1));
    user.Define("APPDATA", profile + "\\AppData\\Roaming");
    user.Define("LOCALAPPDATA", profile + "\\AppData\\Local");
    user.Define("TEMP", profile + "\\AppData\\Local\\Temp");
    user.Define("TMP", profile + "\\AppData\\Local\\Temp");
  }
  DefineFromKey(user, hive.root, hive.base + kUserEnvironment, machine.Value("Path"));
  return user;
}

OwnerContext ClassesContext(const OwnerContext& machine, const OwnerContext& user) {
  OwnerContext classes = machine;
  classes.owner = Owner::MergedClasses;
  classes.hive = user.hive;
  for (const auto& [name, value] : user.variables_) classes.variables_.try_emplace(name, value);
  classes.variables_["PATH"] = user.Value("Path");
  return classes;
}

JudgedBy::JudgedBy(const OwnerContext& context) : outer_(judging) { judging = &context; }

JudgedBy::~JudgedBy() { judging = outer_; }

const OwnerContext& JudgingContext() {
  if (judging) return *judging;
  // Only the window's thread runs the checks.
  static OwnerContext machine;
  machine = MachineContext();
  return machine;
}
