// The process seam: starting the registry editor, and the process's own surroundings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A top-level window and what its process is: the program's image and whether its token is
// elevated.
struct WindowOwner {
  uintptr_t window = 0;
  std::string imagePath;  // "" when the process could not be asked
  bool elevated = false;
};

struct LocalDate {
  uint16_t year = 0;
  uint16_t month = 0;
  uint16_t day = 0;
};

class ProcessApi {
 public:
  virtual ~ProcessApi() = default;
  // CreateProcessA(application, arguments) hidden and detached, then wait without a time limit,
  // the calling thread's windows answering and painting meanwhile.
  // False when the program could not be started.
  virtual bool RunAndWait(const std::string& application, const std::string& arguments) = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
  // ExpandEnvironmentStringsA: %NAME% replaced from the process environment, unknown names kept.
  virtual std::string ExpandEnvironment(const std::string& text) = 0;
  // GetWindowsDirectoryA, as the system reports it (no trailing backslash added).
  virtual std::string WindowsDirectory() = 0;
  // The executable's own full path.
  virtual std::string ExePath() = 0;
  // The major version from GetVersionExA; 0 when the query fails.
  virtual uint32_t OsMajorVersion() = 0;
  // "major.minor.build" and the service pack, if any; "" when the query fails.
  virtual std::string OsVersionText() = 0;
  virtual LocalDate Today() = 0;
  // The system's reason for a status code, for messages to the user (FormatMessageA).
  virtual std::string ErrorText(long status) = 0;
  // Takes the session's lock of this name for the rest of the process. True when this process
  // holds it, also when it took it before; false while another process holds it. Any program of
  // the user may create the name first.
  virtual bool HoldNamedLock(const std::string& name) = 0;
  // The same in a place where only an administrator's elevated program can create the name: a
  // private namespace whose boundary names the Administrators group, or, where the system has
  // none (Wine), a file of that name held alone in the protected folder (ProtectedUndoDir).
  virtual bool HoldAdministratorsLock(const std::string& name) = 0;
  // The top-level windows of a window class, whichever process made them.
  virtual std::vector<WindowOwner> WindowsOfClass(const std::string& className) = 0;
  // Whether the process runs with an administrator's full rights (the token is elevated).
  virtual bool IsElevated() = 0;
  // The account the process runs for, as SID text ("S-1-5-21-..."); "" when it cannot be read.
  virtual std::string UserSid() = 0;
  // The machine's program-data folder as the system knows it (FOLDERID_ProgramData), without
  // a trailing backslash; "" when it cannot be told or spelt in the code page.
  virtual std::string ProgramDataFolder() = 0;
  // Writes one line to the console of the program that started this one, or to where that
  // program sent this one's error output (a file, a pipe); nothing when there is neither, as
  // for a start from the desktop.
  virtual void SayOnConsole(const std::string& line) = 0;
  // The same for standard output: where the starter sent it, else its console.
  virtual void SayOnOutput(const std::string& line) = 0;
};

// The lock of this name that no program of lower rights can take first: an elevated process takes
// it where only administrators can create it, a standard user's in the session, as before.
bool HoldLockOfItsRights(const std::string& name);
// Whether a window's process is this program as this process runs it: the same image, the same
// elevation. A window of Klarvex's class proves nothing: any program may register the class.
bool IsThisProgram(const WindowOwner& owner);
