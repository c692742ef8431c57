#include "engine/TrustedFiles.h"

#include <array>
#include <string_view>

#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegistryOps.h"

namespace {

// Below the Windows folder; their 32-bit twins below SysWOW64 too.
constexpr std::array<std::string_view, 20> kUserWritable = {
    "Temp",
    "Tasks",
    "tracing",
    "debug\\WIA",
    "Registration\\CRMLog",
    "PLA\\Reports",
    "PLA\\Rules",
    "PLA\\Templates",
    "ServiceProfiles\\LocalService\\AppData\\Local\\Temp",
    "System32\\Tasks",
    "System32\\Tasks_Migrated",
    "System32\\Com\\dmp",
    "System32\\FxsTmp",
    "System32\\spool\\drivers\\color",
    "System32\\spool\\PRINTERS",
    "System32\\spool\\SERVERS",
    "System32\\LogFiles\\WMI",
    "System32\\Microsoft\\Crypto\\RSA\\MachineKeys",
    "System32\\catroot2\\{F750E6C3-38EE-11D1-85E5-00C04FC295EE}",
    "System32\\wbem\\Tmp",
};

constexpr std::string_view kSystem32 = "System32\\";

std::string Folder(std::string text) {
  if (text.empty() || text.back() != '\\') text += '\\';
  return UpperAscii(std::move(text));
}

}  // namespace

UserWritableFolders::UserWritableFolders(const std::string& windowsDir) {
  const std::string windows = Folder(windowsDir);
  for (std::string_view below : kUserWritable) {
    folders_.push_back(windows + Folder(std::string(below)));
    if (below.starts_with(kSystem32)) {
      folders_.push_back(windows + "SYSWOW64\\" +
                         Folder(std::string(below.substr(kSystem32.size()))));
    }
  }
}

bool UserWritableFolders::Hold(const std::string& path) const {
  const std::string upper = Folder(path);
  for (const std::string& folder : folders_) {
    if (upper.starts_with(folder)) return true;
  }
  return false;
}

bool StandardUsersCannotChange(const std::string& path) {
  if (path.size() < 4 || path[1] != ':' || path[2] != '\\') return false;
  if (UserWritableFolders(WindowsDir()).Hold(path)) return false;
  FileApi& files = Files();
  for (size_t end = path.find('\\', 3);; end = path.find('\\', end + 1)) {
    const std::string part = path.substr(0, end);
    const uint32_t attributes = files.Attributes(part);
    if (attributes == fileattr::kInvalid || (attributes & fileattr::kReparsePoint) != 0 ||
        files.WhoMayChange(part) == ChangeRight::StandardUsers) {
      return false;
    }
    if (end == std::string::npos) return true;
  }
}
