#include "bench/TimedPlatform.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/RegistryOps.h"
#include "undo/UndoJournal.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <x86intrin.h>
#endif

namespace {

double ticksPerMs = 1.0;

bool Contains(const std::string& text, const std::string& part) {
  return UpperAscii(text).find(UpperAscii(part)) != std::string::npos;
}

void Add(SeamTime& time, uint64_t start, uint64_t end) {
  ++time.calls;
  time.ticks += end - start;
}

// Follows a run through its seam calls: which calls belong to one key backup (the scratch export
// file and the registry editor's /e run), and which to the index build on its own thread.
struct Tracker {
  RunProfile profile;
  std::thread::id runThread;
  bool inBackup = false;
  bool backupExported = false;
  uint64_t backupStart = 0;
  uint64_t backupLast = 0;
  // Set while the registry editor runs: a simulated editor works through these same seams,
  // and its calls belong to the export, not to the run around it.
  bool inEditor = false;

  void CloseBackup() {
    if (inBackup && backupExported) {
      ++profile.keyBackups.calls;
      profile.keyBackups.ticks += backupLast - backupStart;
    }
    inBackup = false;
  }
  // A call that is neither a scratch-file call nor an export ends the backup in progress.
  void Other() {
    if (inEditor) return;
    CloseBackup();
  }
  bool OnIndexThread() const { return std::this_thread::get_id() != runThread; }
  // One call of the walk, on its own thread.
  void IndexCall(uint64_t start, uint64_t end) {
    Add(profile.indexFiles, start, end);
    if (profile.indexStart == 0) profile.indexStart = start;
    profile.indexEnd = end;
  }
  void Scratch(uint64_t start, uint64_t end, bool isExport) {
    if (inEditor && !isExport) return;
    if (inBackup && isExport && backupExported) CloseBackup();
    if (!inBackup) {
      inBackup = true;
      backupExported = false;
      backupStart = start;
    }
    if (isExport) backupStart = std::min(backupStart, start);
    backupExported = backupExported || isExport;
    backupLast = end;
  }
};

class TimedRegistry : public RegistryApi {
 public:
  TimedRegistry(RegistryApi& inner, Tracker& tracker) : inner_(inner), t_(tracker) {}

  long Open(RegHandle parent, const std::string& path, uint32_t access, RegHandle& key) override {
    return Timed([&] { return inner_.Open(parent, path, access, key); });
  }
  long Create(RegHandle parent, const std::string& path, uint32_t access, RegHandle& key) override {
    return Timed([&] { return inner_.Create(parent, path, access, key); });
  }
  long Close(RegHandle key) override {
    return Timed([&] { return inner_.Close(key); });
  }
  long QueryInfo(RegHandle key, RegKeyInfo& info) override {
    return Timed([&] { return inner_.QueryInfo(key, info); });
  }
  long EnumKey(RegHandle key, uint32_t index, std::string& name) override {
    return Timed([&] { return inner_.EnumKey(key, index, name); });
  }
  long EnumValue(RegHandle key, uint32_t index, std::string& name) override {
    return Timed([&] { return inner_.EnumValue(key, index, name); });
  }
  long QueryValue(RegHandle key, const std::string& name, uint32_t& type, Bytes& data) override {
    return Timed([&] { return inner_.QueryValue(key, name, type, data); });
  }
  long QueryValueW(RegHandle key, const std::u16string& name, uint32_t& type,
                   Bytes& data) override {
    return Timed([&] { return inner_.QueryValueW(key, name, type, data); });
  }
  long SetValue(RegHandle key, const std::string& name, uint32_t type, const Bytes& data) override {
    return Timed([&] { return inner_.SetValue(key, name, type, data); });
  }
  long SetValueW(RegHandle key, const std::u16string& name, uint32_t type,
                 const Bytes& data) override {
    return Timed([&] { return inner_.SetValueW(key, name, type, data); });
  }
  long DeleteValue(RegHandle key, const std::string& name) override {
    return Timed([&] { return inner_.DeleteValue(key, name); });
  }
  long DeleteTree(RegHandle parent, const std::string& path) override {
    return Timed([&] { return inner_.DeleteTree(parent, path); });
  }
  long LoadHive(const std::string& name, const std::string& file) override {
    return Timed([&] { return inner_.LoadHive(name, file); });
  }
  long UnloadHive(const std::string& name) override {
    return Timed([&] { return inner_.UnloadHive(name); });
  }

 private:
  template <typename Call>
  long Timed(Call call) {
    const uint64_t start = Ticks();
    t_.Other();
    const long result = call();
    Add(t_.profile.registry, start, Ticks());
    return result;
  }
  RegistryApi& inner_;
  Tracker& t_;
};

class TimedSearch : public FileSearch {
 public:
  TimedSearch(std::unique_ptr<FileSearch> inner, Tracker& tracker)
      : inner_(std::move(inner)), t_(tracker) {}
  bool Next(FindEntry& entry) override {
    const uint64_t start = Ticks();
    const bool more = inner_->Next(entry);
    const uint64_t end = Ticks();
    if (t_.OnIndexThread()) {
      t_.IndexCall(start, end);
      if (more) ++t_.profile.indexEntries;
    } else {
      Add(t_.profile.files, start, end);
    }
    return more;
  }

 private:
  std::unique_ptr<FileSearch> inner_;
  Tracker& t_;
};

// A held file whose reads and writes count as file time; writes of an undo file also as such.
class TimedHeldFile : public HeldFile {
  template <typename Call>
  auto Timed(Call call) {
    const uint64_t start = Ticks();
    auto result = call();
    Add(t_.profile.files, start, Ticks());
    return result;
  }

 public:
  TimedHeldFile(std::unique_ptr<HeldFile> inner, std::string path, Tracker& tracker)
      : inner_(std::move(inner)), path_(std::move(path)), t_(tracker) {}
  HeldFacts Facts() override {
    return Timed([&] { return inner_->Facts(); });
  }
  long Read(Bytes& data, size_t limit) override {
    return Timed([&] { return inner_->Read(data, limit); });
  }
  long Replace(const Bytes& data) override {
    const uint64_t start = Ticks();
    const long result = Timed([&] { return inner_->Replace(data); });
    if (Contains(path_, "\\Undo ")) Add(t_.profile.undoWrites, start, Ticks());
    return result;
  }
  long Append(const Bytes& data) override {
    const uint64_t start = Ticks();
    const long result = Timed([&] { return inner_->Append(data); });
    if (Contains(path_, "\\Undo ")) Add(t_.profile.undoWrites, start, Ticks());
    return result;
  }
  long Delete() override {
    return Timed([&] { return inner_->Delete(); });
  }
  ChangeRight WhoMayChange() override {
    return Timed([&] { return inner_->WhoMayChange(); });
  }
  std::unique_ptr<HeldFile> MakeFolder(const std::string& name, const std::string& readerSid,
                                       long& status) override {
    return Timed([&] { return inner_->MakeFolder(name, readerSid, status); });
  }

 private:
  std::unique_ptr<HeldFile> inner_;
  std::string path_;
  Tracker& t_;
};

class TimedFiles : public FileApi {
 private:
  template <typename Call>
  auto Timed(const std::string& path, Call call) {
    const uint64_t start = Ticks();
    auto result = call();
    End(path, start);
    return result;
  }
  void End(const std::string& path, uint64_t start) {
    const uint64_t end = Ticks();
    if (t_.OnIndexThread()) {
      t_.IndexCall(start, end);
      return;
    }
    Add(t_.profile.files, start, end);
    if (Contains(path, kExportFileName)) {
      t_.Scratch(start, end, false);
    } else {
      t_.Other();
    }
  }
  FileApi& inner_;
  Tracker& t_;

 public:
  TimedFiles(FileApi& inner, Tracker& tracker) : inner_(inner), t_(tracker) {}

  std::unique_ptr<FileSearch> Find(const std::string& pattern) override {
    const uint64_t start = Ticks();
    if (t_.OnIndexThread()) ++t_.profile.indexFinds;
    std::unique_ptr<FileSearch> search = inner_.Find(pattern);
    End(pattern, start);
    if (!search) return search;
    return std::make_unique<TimedSearch>(std::move(search), t_);
  }
  uint32_t Attributes(const std::string& path) override {
    return Timed(path, [&] { return inner_.Attributes(path); });
  }
  bool MakeFolders(const std::string& path) override {
    return Timed(path, [&] { return inner_.MakeFolders(path); });
  }
  bool RemoveFile(const std::string& path) override {
    return Timed(path, [&] { return inner_.RemoveFile(path); });
  }
  bool ReadAll(const std::string& path, Bytes& data) override {
    return Timed(path, [&] { return inner_.ReadAll(path, data); });
  }
  ChangeRight WhoMayChange(const std::string& path) override {
    return Timed(path, [&] { return inner_.WhoMayChange(path); });
  }
  long WriteAll(const std::string& path, const Bytes& data) override {
    const uint64_t start = Ticks();
    const long result = Timed(path, [&] { return inner_.WriteAll(path, data); });
    if (Contains(path, "\\Undo ")) Add(t_.profile.undoWrites, start, Ticks());
    return result;
  }
  DriveKind DriveOf(const std::string& path) override {
    return Timed(path, [&] { return inner_.DriveOf(path); });
  }
  std::string ReadProfileString(const std::string& path, const std::string& section,
                                const std::string& key, const std::string& fallback) override {
    return Timed(path, [&] { return inner_.ReadProfileString(path, section, key, fallback); });
  }
  std::unique_ptr<HeldFile> Hold(const std::string& path, HoldMode mode, long& status) override {
    std::unique_ptr<HeldFile> held = Timed(path, [&] { return inner_.Hold(path, mode, status); });
    if (!held) return held;
    return std::make_unique<TimedHeldFile>(std::move(held), path, t_);
  }
  long MakeProtectedFolder(const std::string& path, const std::string& readerSid) override {
    return Timed(path, [&] { return inner_.MakeProtectedFolder(path, readerSid); });
  }
};

class TimedProcess : public ProcessApi {
 private:
  template <typename Call>
  auto Timed(Call call) {
    const uint64_t start = Ticks();
    auto result = call();
    Add(t_.profile.process, start, Ticks());
    return result;
  }
  ProcessApi& inner_;
  FileApi& files_;  // untimed
  Tracker& t_;

 public:
  TimedProcess(ProcessApi& inner, FileApi& files, Tracker& tracker)
      : inner_(inner), files_(files), t_(tracker) {}

  bool RunAndWait(const std::string& application, const std::string& arguments) override {
    const bool isExport = Contains(arguments, "/e ");
    // The file named in quotes after "/s", read before the editor runs and off the clock.
    const size_t open = arguments.find('"');
    const size_t close = open == std::string::npos ? open : arguments.find('"', open + 1);
    if (!isExport && close != std::string::npos) {
      files_.ReadAll(arguments.substr(open + 1, close - open - 1), t_.profile.importedScript);
    }
    const uint64_t start = Ticks();
    if (!isExport) t_.Other();
    t_.inEditor = true;
    const bool started = inner_.RunAndWait(application, arguments);
    t_.inEditor = false;
    const uint64_t end = Ticks();
    Add(t_.profile.process, start, end);
    if (isExport) {
      Add(t_.profile.exports, start, end);
      t_.Scratch(start, end, true);
    } else {
      Add(t_.profile.import, start, end);
    }
    return started;
  }
  void Sleep(uint32_t milliseconds) override {
    const uint64_t start = Ticks();
    t_.Other();
    inner_.Sleep(milliseconds);
    Add(t_.profile.sleep, start, Ticks());
  }
  std::string ExpandEnvironment(const std::string& text) override {
    return Timed([&] { return inner_.ExpandEnvironment(text); });
  }
  bool IsElevated() override {
    return Timed([&] { return inner_.IsElevated(); });
  }
  std::string UserSid() override {
    return Timed([&] { return inner_.UserSid(); });
  }
  std::string ProgramDataFolder() override {
    return Timed([&] { return inner_.ProgramDataFolder(); });
  }
  std::string WindowsDirectory() override {
    return Timed([&] { return inner_.WindowsDirectory(); });
  }
  std::string ExePath() override {
    return Timed([&] { return inner_.ExePath(); });
  }
  uint32_t OsMajorVersion() override {
    return Timed([&] { return inner_.OsMajorVersion(); });
  }
  std::string OsVersionText() override {
    return Timed([&] { return inner_.OsVersionText(); });
  }
  LocalDate Today() override {
    return Timed([&] { return inner_.Today(); });
  }
  bool HoldNamedLock(const std::string& name) override {
    return Timed([&] { return inner_.HoldNamedLock(name); });
  }
  bool HoldAdministratorsLock(const std::string& name) override {
    return Timed([&] { return inner_.HoldAdministratorsLock(name); });
  }
  std::vector<WindowOwner> WindowsOfClass(const std::string& className) override {
    return Timed([&] { return inner_.WindowsOfClass(className); });
  }
  std::string ErrorText(long status) override {
    return Timed([&] { return inner_.ErrorText(status); });
  }
  void SayOnConsole(const std::string& line) override { inner_.SayOnConsole(line); }
  void SayOnOutput(const std::string& line) override { inner_.SayOnOutput(line); }
};

}  // namespace

uint64_t Ticks() {
#if defined(__x86_64__) || defined(_M_X64)
  return __rdtsc();
#else
  return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

double TicksToMs(uint64_t ticks) { return static_cast<double>(ticks) / ticksPerMs; }

void CalibrateTicks() {
  using clock = std::chrono::steady_clock;
  const auto wallStart = clock::now();
  const uint64_t start = Ticks();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const uint64_t end = Ticks();
  const double ms = std::chrono::duration<double, std::milli>(clock::now() - wallStart).count();
  ticksPerMs = static_cast<double>(end - start) / ms;
}

struct TimedPlatform::Impl {
  Tracker tracker;
  Platform previous;
  std::unique_ptr<TimedRegistry> registry;
  std::unique_ptr<TimedFiles> files;
  std::unique_ptr<TimedProcess> process;
  bool installed = false;
};

TimedPlatform::TimedPlatform() : impl_(new Impl) {}

TimedPlatform::~TimedPlatform() {
  Uninstall();
  delete impl_;
}

void TimedPlatform::Install() {
  impl_->previous = CurrentPlatform();
  impl_->tracker.runThread = std::this_thread::get_id();
  impl_->registry = std::make_unique<TimedRegistry>(*impl_->previous.registry, impl_->tracker);
  impl_->files = std::make_unique<TimedFiles>(*impl_->previous.files, impl_->tracker);
  impl_->process = std::make_unique<TimedProcess>(*impl_->previous.process, *impl_->previous.files,
                                                  impl_->tracker);
  Platform timed = impl_->previous;
  timed.registry = impl_->registry.get();
  timed.files = impl_->files.get();
  timed.process = impl_->process.get();
  UsePlatform(timed);
  impl_->installed = true;
}

void TimedPlatform::Uninstall() {
  if (!impl_->installed) return;
  UsePlatform(impl_->previous);
  impl_->installed = false;
}

RunProfile& TimedPlatform::Profile() { return impl_->tracker.profile; }

void TimedPlatform::Finish() { impl_->tracker.CloseBackup(); }
