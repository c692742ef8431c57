#include "platform/offline/HiveRole.h"

#include <sys/stat.h>

#include <vector>

#include "platform/sim/SimCodePage.h"

namespace {

// What a hive's root holds in each role. A user's classes (UsrClass.dat) have no key of their
// own to tell them by: they are any hive that looks like none of the other three.
struct RoleMarks {
  HiveRole role;
  const char* name;   // as the user is told
  const char* marks;  // the keys that tell it
};
constexpr RoleMarks kRoles[] = {
    {HiveRole::Software, "a machine's SOFTWARE hive", "Microsoft\\Windows\\CurrentVersion"},
    {HiveRole::System, "a machine's SYSTEM hive", "Select and ControlSet001"},
    {HiveRole::User, "a user's NTUSER.DAT", "Software with Environment or Control Panel"},
    {HiveRole::UserClasses, "a user's UsrClass.dat", ""},
};

bool Child(HiveFile& hive, size_t node, const std::u16string& folded, size_t& child) {
  std::vector<HiveEntry> children;
  hive.Children(node, children);
  for (const HiveEntry& entry : children) {
    if (FoldWide(entry.name) == folded) {
      child = entry.handle;
      return true;
    }
  }
  return false;
}

bool Has(HiveFile& hive, std::initializer_list<const char16_t*> path) {
  size_t node = hive.Root();
  for (const char16_t* part : path) {
    if (!Child(hive, node, part, node)) return false;
  }
  return true;
}

bool HasControlSet(HiveFile& hive) {
  std::vector<HiveEntry> children;
  hive.Children(hive.Root(), children);
  for (const HiveEntry& entry : children) {
    if (FoldWide(entry.name).starts_with(u"CONTROLSET")) return true;
  }
  return false;
}

HiveRole RoleOf(HiveFile& hive) {
  if (Has(hive, {u"SELECT"}) && HasControlSet(hive)) return HiveRole::System;
  if (Has(hive, {u"MICROSOFT", u"WINDOWS", u"CURRENTVERSION"})) return HiveRole::Software;
  if (Has(hive, {u"SOFTWARE"}) && (Has(hive, {u"ENVIRONMENT"}) || Has(hive, {u"CONTROL PANEL"})))
    return HiveRole::User;
  return HiveRole::UserClasses;
}

bool IsFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

const RoleMarks& MarksOf(HiveRole role) {
  for (const RoleMarks& marks : kRoles) {
    if (marks.role == role) return marks;
  }
  return kRoles[0];
}

}  // namespace

std::string WrongRole(HiveFile& hive, HiveRole role) {
  const HiveRole found = RoleOf(hive);
  if (found == role) return {};
  const std::string given = "the hive " + hive.Path() + " given as " + MarksOf(role).name;
  if (found == HiveRole::UserClasses) {
    return given + " is not one: it has none of the keys Windows keeps there (" +
           MarksOf(role).marks + ")";
  }
  return given + " is not one: it holds the keys of " + MarksOf(found).name + " (" +
         MarksOf(found).marks + ")";
}

std::unique_ptr<HiveFile> OpenInRole(const std::string& path, HiveRole role,
                                     const std::string& what, std::string& why,
                                     std::vector<std::string>& warnings) {
  std::unique_ptr<HiveFile> hive = HiveFile::Open(path, why);
  if (!hive) return nullptr;
  why = WrongRole(*hive, role);
  if (!why.empty()) return nullptr;
  if (hive->Dirty()) {
    const bool logs = IsFile(path + ".LOG1") || IsFile(path + ".LOG2") || IsFile(path + ".log1") ||
                      IsFile(path + ".log2");
    warnings.push_back("The " + what + " hive " + path +
                       " was not closed cleanly (its sequence numbers differ)" +
                       (logs ? "; its transaction logs were not applied" : "") +
                       ", so its newest changes may be missing from this scan.");
  }
  return hive;
}
