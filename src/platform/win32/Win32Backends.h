// The Win32 backends of the platform seams: thin pass-throughs to the system calls.
#pragma once

#include <windows.h>

#include "platform/CodePage.h"
#include "platform/FileApi.h"
#include "platform/ProcessApi.h"
#include "platform/RegistryApi.h"
#include "platform/ShellApi.h"

// The system's key for a seam handle: the three roots become the predefined keys.
HKEY ToHkey(RegHandle handle);

class Win32Registry : public RegistryApi {
 public:
  long Open(RegHandle parent, const std::string& path, uint32_t access, RegHandle& key) override;
  long Create(RegHandle parent, const std::string& path, uint32_t access, RegHandle& key) override;
  long Close(RegHandle key) override;
  long QueryInfo(RegHandle key, RegKeyInfo& info) override;
  long EnumKey(RegHandle key, uint32_t index, std::string& name) override;
  long EnumValue(RegHandle key, uint32_t index, std::string& name) override;
  long QueryValue(RegHandle key, const std::string& name, uint32_t& type, Bytes& data) override;
  long QueryValueW(RegHandle key, const std::u16string& name, uint32_t& type, Bytes& data) override;
  long SetValue(RegHandle key, const std::string& name, uint32_t type, const Bytes& data) override;
  long SetValueW(RegHandle key, const std::u16string& name, uint32_t type,
                 const Bytes& data) override;
  long DeleteValue(RegHandle key, const std::string& name) override;
  long DeleteTree(RegHandle parent, const std::string& path) override;
  long LoadHive(const std::string& name, const std::string& file) override;
  long UnloadHive(const std::string& name) override;
};

// Who may change the object a descriptor guards: standard users when its owner is not the system,
// the administrators or the installer service, or when its access list lets the standard groups
// or user (the account this process runs for) write, append, delete or take it over.
ChangeRight ChangeRightOf(PSECURITY_DESCRIPTOR descriptor, PSID user);
// AdministratorsOnly when the owner is the system or the Administrators and no allowing entry
// gives anyone else a right to change it or what is made inside it.
ChangeRight AdministratorsOnlyOf(PSECURITY_DESCRIPTOR descriptor);
// Whether owner is the account this process runs for, the system or the Administrators group.
bool OwnerIsUserOrAdministrators(PSID owner);
// Whether a process's token is elevated (an administrator's full rights); false when it cannot
// be asked.
bool ElevatedToken(HANDLE process);
// Whether the system is Wine, which says so through an export of its own.
bool UnderWine();
// False under Wine, whose descriptors are made up from Unix file modes.
bool DescriptorsSpeakOfStandardUsers();

// The descriptor of a folder for the system and the Administrators alone, readable by
// readerSid (SDDL); free it with LocalFree. nullptr when it cannot be made (GetLastError).
PSECURITY_DESCRIPTOR ProtectedDescriptor(const std::string& readerSid);

class Win32Files : public FileApi {
 public:
  std::unique_ptr<FileSearch> Find(const std::string& pattern) override;
  uint32_t Attributes(const std::string& path) override;
  uint32_t Look(const std::string& path, long& why) override;
  bool MakeFolders(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool ReadAll(const std::string& path, Bytes& data) override;
  long WriteAll(const std::string& path, const Bytes& data) override;
  DriveKind DriveOf(const std::string& path) override;
  ChangeRight WhoMayChange(const std::string& path) override;
  std::string ReadProfileString(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& fallback) override;
  std::unique_ptr<HeldFile> Hold(const std::string& path, HoldMode mode, long& status) override;
  long MakeProtectedFolder(const std::string& path, const std::string& readerSid) override;
};

class Win32Process : public ProcessApi {
 public:
  bool RunAndWait(const std::string& application, const std::string& arguments) override;
  void Sleep(uint32_t milliseconds) override;
  std::string ExpandEnvironment(const std::string& text) override;
  std::string WindowsDirectory() override;
  std::string ExePath() override;
  uint32_t OsMajorVersion() override;
  std::string OsVersionText() override;
  LocalDate Today() override;
  std::string ErrorText(long status) override;
  bool HoldNamedLock(const std::string& name) override;
  bool HoldAdministratorsLock(const std::string& name) override;
  std::vector<WindowOwner> WindowsOfClass(const std::string& className) override;
  void SayOnConsole(const std::string& line) override;
  void SayOnOutput(const std::string& line) override;
  bool IsElevated() override;
  std::string UserSid() override;
  std::string ProgramDataFolder() override;
};

class Win32Shell : public ShellApi {
 public:
  void Open(uintptr_t ownerWindow, const std::string& target) override;
  bool OpenAsDesktopUser(const std::string& target) override;
};

// The code page's text as the system's wide calls take it (Win32CodePage::ToWide).
std::wstring WideText(const std::string& ansi);

class Win32CodePage : public CodePage {
 public:
  uint32_t Identifier() override;
  std::u16string ToWide(const std::string& ansi) override;
  long FromWide(const std::u16string& wide, uint32_t flags, bool* usedDefault,
                std::string& ansi) override;
  std::string Upper(const std::string& text) override;
};
