// The driver of a clean run: the Clean/Stop button's handler, the order of the checks, the
// category headings and summaries, and the final steps that save the undo file and import the
// deletion script.
#include "engine/CleanEngine.h"

#include <algorithm>
#include <array>
#include <exception>
#include <optional>
#include <string_view>
#include <vector>

#include "engine/Categories.h"
#include "engine/FileFacts.h"
#include "engine/ProgramSearch.h"
#include "engine/RunMessages.h"
#include "platform/FileApi.h"
#include "platform/HeldFiles.h"
#include "platform/LanguageFile.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/Roots.h"
#include "platform/UndoFolderTrust.h"
#include "undo/ImportCheck.h"
#include "undo/UndoJournal.h"

namespace {

// The history lists below HKEY_CURRENT_USER that category 5 empties, in the order they are read.
constexpr std::array<std::string_view, 18> kHistoryPaths = {
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
    "\\SOFTWARE\\Microsoft\\Internet Explorer\\TypedURLs",
    "\\SOFTWARE\\Microsoft\\Search Assistant\\ACMru\\5603",
    "\\SOFTWARE\\Microsoft\\Search Assistant\\ACMru\\5604",
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU",
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU",
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU\\*",
    "\\SOFTWARE\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit",
    "\\SOFTWARE\\WinRAR\\ArcHistory",
    "\\SOFTWARE\\Far\\SavedDialogHistory\\ArcName",
    "\\SOFTWARE\\Far\\SavedDialogHistory\\Copy",
    "\\SOFTWARE\\Far\\SavedDialogHistory\\ExtrDestPath",
    "\\SOFTWARE\\Far\\SavedDialogHistory\\Masks",
    "\\SOFTWARE\\Far\\SavedDialogHistory\\NewEdit",
    "\\SOFTWARE\\Far\\SavedDialogHistory\\NewFolder",
    "\\SOFTWARE\\Far\\SavedDialogHistory\\ReplaceText",
    "\\SOFTWARE\\Far\\SavedDialogHistory\\SearchText",
};

// "Summary:" + blanks + count + " items fixed." (a scan's: " problems found."). The run's total
// has two blanks after the colon, a category's summary one.
std::string SummaryText(int64_t count, const char* blanks, RunMode mode) {
  return LanguageText("Fix", "Summary", "Summary") + ":" + blanks + std::to_string(count) + " " +
         CountText(mode) + ".";
}

std::string ScriptPath() { return UndoDir() + kFixScriptName; }

std::string ErrorReason(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return {};
  }
}

}  // namespace

// One run: preparation, the categories, and the final steps that always follow.
class CleanRun {
 public:
  explicit CleanRun(CleanEngine& engine) : e_(engine) {}

  void Execute(RunMode mode) {
    e_.lastRun_ = mode;
    try {
      Prepare();
      Categories();
      // The run ends with the index whole (or cut short by a stop), and the repairs of missing
      // servers that waited for it settled; a walk that failed is reported here.
      e_.SettleServerRepairs(e_.BuiltSystemFileIndex());
    } catch (...) {
      e_.indexBuild_.Abandon();
      e_.SettleServerRepairs(nullptr);
      // Values queued for deletion when the error came were neither backed up nor deleted.
      for (const CleanEngine::QueuedValue& q : e_.queuedValues_) {
        e_.LeftInPlace(e_.findings_[q.finding], runmsg::kNotDeleted);
      }
      e_.queuedValues_.clear();
      const std::string reason = ErrorReason(std::current_exception());
      e_.runError_ = reason.empty() ? "unknown error." : reason;
      problems_ = runmsg::Join(problems_, runmsg::RunInterrupted(reason));
    }
    problems_ = runmsg::Join(problems_, runmsg::ServerNotSearched(e_.serversNotSearched_));
    problems_ = runmsg::Join(problems_, runmsg::NotBackedUp(e_.leftWithoutBackup_));
    problems_ = runmsg::Join(problems_, runmsg::DeletionRefused(e_.deletionRefused_));
    // A scan has nothing to save and nothing to import.
    if (mode == RunMode::Clean) SaveAndImport();
    // The hives loaded for the run go once the import is done, whatever happened before.
    if (profiles_) {
      profiles_->Unload();
      problems_ = runmsg::Join(problems_, runmsg::HivesNotUnloaded(profiles_->NotUnloaded()));
    }
    problems_ = runmsg::Join(problems_, ProfilesSkipped());
    e_.FoldTwins();
    problems_ = runmsg::Join(problems_, BadExclusionLines());
    if (e_.host_.ListsExclusionsKept()) problems_ = runmsg::Join(problems_, ExclusionsKept());
    // Said once a process: the setting stays ignored while the program runs.
    if (!e_.folderSettingNamed_) {
      e_.folderSettingNamed_ = true;
      problems_ = runmsg::Join(
          problems_, runmsg::FolderSettingIgnored(gFolders.ignoredFolderSetting, UserUndoDir()));
      problems_ = runmsg::Join(
          problems_, runmsg::UserFolderUntrusted(gFolders.untrustedUserFolder, UserUndoDir()));
    }
    EndReview(mode);
    Finish();
    if (!problems_.empty()) e_.ShowInformation(problems_);
  }

 private:
  void Prepare() {
    e_.SystemFileIndex.Clear();
    UndoJournal.clear();
    e_.undoFile_.Close();
    e_.queuedValues_.clear();
    e_.leftWithoutBackup_.clear();
    e_.waitingServers_.clear();
    e_.serversNotSearched_.clear();
    e_.deletionRefused_.clear();
    e_.findings_.clear();
    e_.twins_.clear();
    e_.firstFinding_.clear();
    e_.keptItems_.clear();
    e_.undoFileWritten_.clear();
    e_.runError_.clear();
    // The owners' settings are read anew for each run, and the users' hives reached anew.
    e_.contexts_.reset();
    ReachUsers();
    // What the person unticked after the scan is kept as a line of the file would keep it.
    e_.reviewing_ = e_.lastRun_ == RunMode::Clean && e_.review_.Active();
    if (e_.reviewing_) e_.review_.KeepUnticked(e_.exclusions_);
    for (int k = 1; k <= kCategoryCount; ++k) {
      e_.CategoryLog(k).clear();
      e_.CategoryCount(k) = 0;
      e_.host_.ShowCounterLabel(k, "0");
    }
    e_.host_.ShowButtonCaption(LanguageText("Buttons", "Stop", "Stop"));
    e_.host_.EnableCloseButton(false);
    FixScript.clear();
    if (e_.lastRun_ == RunMode::Clean) {
      BeginUndoJournal();
      // A script left by an earlier run must never be mistaken for this run's.
      RemoveLeftoverFixScript();
      FixScript.push_back("REGEDIT4");
      FixScript.push_back("");
    }
    e_.host_.ShowProgressLabel("");
    e_.ResetGauge();
    e_.shownGauge_ = 0;
    e_.gaugeVisible_ = true;
    e_.host_.ShowGauge(e_.shownGauge_, true);
    e_.host_.ActivateDetailsLinks(false);
    e_.Running = true;
  }

  void ReachUsers() {
    e_.judgedUsers_.clear();
    e_.skippedProfiles_.clear();
    e_.judging_ = 0;
    switch (e_.usersJudged_) {
      case UsersJudged::Running:
        e_.judgedUsers_ = {RunningUserHive()};
        break;
      case UsersJudged::Every:
        profiles_.emplace(Process().UserSid());
        e_.judgedUsers_ = profiles_->Judged();
        e_.skippedProfiles_ = profiles_->Skipped();
        break;
      case UsersJudged::None:
        break;
    }
  }

  std::string ProfilesSkipped() const {
    if (e_.usersJudged_ == UsersJudged::None) return runmsg::NoUserJudged();
    TextList skipped;
    for (const SkippedProfile& p : e_.skippedProfiles_) {
      skipped.push_back((p.profileName.empty() ? p.sid : p.profileName) + ": " + p.reason);
    }
    return runmsg::ProfilesSkipped(skipped);
  }

  // Runs check for each user judged, in the user's context.
  template <typename Check>
  void ForEachUser(Check check) {
    for (e_.judging_ = 0; e_.judging_ < e_.judgedUsers_.size(); ++e_.judging_) {
      check(e_.judgedUsers_[e_.judging_]);
    }
    e_.judging_ = 0;
  }

  // The user's checks count once for each user judged.
  size_t Users() const { return e_.judgedUsers_.size(); }

  void Categories() {
    for (int k = 1; k <= kCategoryCount; ++k) {
      const CategoryInfo& info = CategoryOf(k);
      e_.CategoryLog(k).push_back(
          LanguageText("Items", std::string(info.key), std::string(info.headingDefault)) + "...");
    }
    e_.host_.ShowProgressLabel(LanguageText("Items", "Item0", "Scan system folders.") + " " +
                               LanguageText("Messages", "PleaseWait", "Please wait..."));
    // The folders are walked on their own thread while the checks go on; the classes whose
    // server file is missing are looked up in the index once it is whole.
    e_.StartSystemFileIndex();
    e_.PumpMessages();
    // Categories 1 to 4 judge files that nothing in the run changes; category 5 also judges
    // paths in the user's own data, which may name the undo folder's files.
    std::optional<FileFactsKept> fileFacts(std::in_place);
    // Where Windows looks for a program named without a folder is read once; a name found
    // nowhere is looked for in the index at last, as a stop that cut it short rules nothing out.
    const ProgramSearchKept programSearch([this](const std::string& name) {
      const ::SystemFileIndex* index = e_.BuiltSystemFileIndex();
      return index == nullptr || index->Find(name) >= 0;
    });

    const size_t ownClasses = static_cast<size_t>(
        std::count_if(e_.judgedUsers_.begin(), e_.judgedUsers_.end(),
                      [](const UserHive& user) { return !user.classesBase.empty(); }));
    Start(kAssociations, 2 + ownClasses);
    NextCheck();
    e_.CheckExtensions(RootKey::ClassesRoot, "\\");
    NextCheck();
    e_.CheckExtensions(RootKey::LocalMachine, "\\SOFTWARE\\Classes\\");
    // The running user's classes are in the merged root; another user's in the user's own hive.
    ForEachUser([&](const UserHive& user) {
      if (user.classesBase.empty()) return;
      NextCheck();
      e_.CheckExtensions(RootKey::Users, user.classesBase + "\\");
    });
    Close(kAssociations);
    if (!GoOn()) return;

    // Category 2 tests between its checks, so a stop there leaves it without a summary.
    // The checks of the redirected keys run again over their 32-bit copies, where they exist.
    const std::vector<RegistryView> classViews = Views(RootKey::ClassesRoot);
    Start(kComActiveX, 2 * classViews.size() + 2);
    for (const RegistryView& view : classViews) {
      NextCheck();
      e_.CheckCOM(view);
      if (!GoOn()) return;
    }
    NextCheck();
    e_.CheckActiveX();
    if (!GoOn()) return;
    for (const RegistryView& view : classViews) {
      NextCheck();
      e_.CheckInterfaces(view);
      if (!GoOn()) return;
    }
    NextCheck();
    e_.CheckTypeLib();
    Close(kComActiveX);
    if (!GoOn()) return;

    const std::vector<RegistryView> machineViews = Views(RootKey::LocalMachine);
    Start(kStartup, Users() + machineViews.size());
    ForEachUser([&](const UserHive&) {
      NextCheck();
      e_.CheckStartup(RootKey::CurrentUser);
    });
    for (const RegistryView& view : machineViews) {
      NextCheck();
      e_.CheckStartup(RootKey::LocalMachine, view);
    }
    Close(kStartup);
    if (!GoOn()) return;

    Start(kUninstall, machineViews.size());
    for (const RegistryView& view : machineViews) {
      NextCheck();
      e_.CheckUninstall(view);
    }
    Close(kUninstall);
    if (!GoOn()) return;

    fileFacts.reset();
    Start(kTemporary, Users());
    ForEachUser([&](const UserHive&) {
      for (std::string_view path : kHistoryPaths) e_.ScanReg(std::string(path));
      e_.ScanApplicationsHistory(RootKey::CurrentUser, "\\Software\\");
      e_.ScanMuiCache();
    });
    Close(kTemporary);
    if (!GoOn()) return;

    // The files of category 6 are not the user's own data: each is asked about once again.
    fileFacts.emplace();
    Start(kAppPathsFontsHelp, 2 + 2 * Users() + machineViews.size());
    // The machine's application paths and font list are one key for both views (Windows 7
    // and later share them); its help file lists have a 32-bit copy.
    NextCheck();
    e_.CheckAppPaths(RootKey::LocalMachine);
    ForEachUser([&](const UserHive&) {
      NextCheck();
      e_.CheckAppPaths(RootKey::CurrentUser);
    });
    NextCheck();
    e_.CheckFonts(RootKey::LocalMachine);
    ForEachUser([&](const UserHive&) {
      NextCheck();
      e_.CheckFonts(RootKey::CurrentUser);
    });
    for (const RegistryView& view : machineViews) {
      NextCheck();
      e_.CheckHelpFiles(view);
    }
    Close(kAppPathsFontsHelp);
  }

  void Start(int category, size_t checks) {
    const CategoryInfo& info = CategoryOf(category);
    e_.host_.ShowProgressLabel(
        LanguageText("Items", std::string(info.key), std::string(info.progressDefault)) + "...");
    category_ = category;
    checks_ = std::max<size_t>(checks, 1);
    check_ = 0;
    e_.ResetGauge();
  }

  // The bar is the whole run's, so that it never goes back: each category fills its sixth of
  // it, each of the category's checks an equal part of that sixth.
  void NextCheck() {
    e_.ResetGauge();
    const double category = 100.0 / kCategoryCount;
    const double check = category / static_cast<double>(checks_);
    e_.SetGaugeBand((category_ - 1) * category + static_cast<double>(check_) * check, check);
    check_ = std::min(check_ + 1, checks_ - 1);
  }

  void Close(int category) {
    const int32_t count = e_.CategoryCount(category);
    e_.CategoryLog(category).push_back("");
    e_.CategoryLog(category).push_back(SummaryText(count, " ", e_.lastRun_));
    e_.host_.ShowCounterLabel(category, std::to_string(count));
  }

  // The views whose copy of root's redirected keys this machine has, the 64-bit one first.
  static std::vector<RegistryView> Views(RootKey root) {
    std::vector<RegistryView> views{k64BitView};
    if (k32BitView.ExistsFor(root)) views.push_back(k32BitView);
    return views;
  }

  bool GoOn() {
    e_.PumpMessages();
    return e_.Running;
  }

  // The removals reach the registry only when their backups are on disk: a journal that could
  // not be saved stops the import, and so does a script that could not be saved whole.
  void SaveAndImport() {
    bool backupsOnDisk = true;
    if (UndoJournal.size() > 2) {
      const std::string path = UndoDir() + UndoFileName;
      // Appended to what the direct deletions put there already. A failed write leaves the file
      // as it was: gone when it was the first, else holding the backups of every value deleted.
      backupsOnDisk = Saved(
          path, [&] { return e_.undoFile_.Write(path, UndoJournal); },
          e_.undoFile_.LinesOnDisk() == 0 ? runmsg::UndoFileNotSaved
                                          : runmsg::UndoFileNotCompleted);
      if (FileExists(path)) e_.undoFileWritten_ = path;
    }
    e_.undoFile_.Close();
    if (FixScript.size() <= 2) return;
    const std::string path = ScriptPath();
    // The script is created new and held until the editor has ended: no other program can
    // change, replace or delete it between its check and the import, and the read-back
    // compares the registry with the script as written, never with the file.
    const Bytes script = FixScriptBytes(FixScript);
    std::unique_ptr<HeldFile> held;
    // Every scheduled removal has its backup in the journal; without a saved journal (or with
    // none at all) the script would remove what cannot be given back.
    const bool importable = backupsOnDisk && UndoJournal.size() > 2 &&
                            Saved(
                                path,
                                [&] {
                                  long status = 0;
                                  held = WriteNewAndHold(path, script, status);
                                  return status;
                                },
                                runmsg::ScriptNotSaved);
    FixScript.clear();
    // The script is this run's alone: it goes when the run ends, whatever became of it.
    struct RemovedAtTheEnd {
      std::unique_ptr<HeldFile>& held;
      ~RemovedAtTheEnd() {
        held.reset();
        RemoveLeftoverFixScript();
      }
    } removed{held};
    if (!importable) return LeaveScriptItems(runmsg::kNotImported);
    Process().Sleep(1000);
    bool started = false;
    try {
      // The name the held script really has: what the editor opens is what was checked.
      const std::string finalPath = held->Facts().finalPath;
      started = RunRegedit(" /s \"" + (finalPath.empty() ? path : finalPath) + "\"");
    } catch (...) {
      started = false;
    }
    held.reset();
    if (!started) {
      problems_ = runmsg::Join(problems_, runmsg::EditorNotStarted(WindowsDir() + "regedit.exe"));
      return LeaveScriptItems(runmsg::kNotImported);
    }
    // The editor's exit says nothing about its work: each scheduled removal is read back.
    const TextList notRemoved = ItemsNotInEffectOfScript(script);
    problems_ = runmsg::Join(problems_, runmsg::NotRemoved(notRemoved));
    for (const std::string& name : notRemoved) LeaveScriptItems(runmsg::kNotChanged, &name);
  }

  // The findings the deletion script was to remove or rewrite stay where they are: all of them,
  // or those the read-back named (a key also by the values below it that the script set).
  void LeaveScriptItems(const char* reason, const std::string* name = nullptr) {
    for (Finding& f : e_.findings_) LeaveScriptItem(f, reason, name);
    for (CleanEngine::Twin& twin : e_.twins_) LeaveScriptItem(twin.finding, reason, name);
  }
  void LeaveScriptItem(Finding& f, const char* reason, const std::string* name) {
    if (!f.viaScript || f.action == Action::LeftInPlace) return;
    const bool named = !name || *name == ItemName(f) ||
                       (!f.isValue && name->starts_with(KeyDisplayName(f.root, f.keyPath) + ", "));
    if (named) e_.LeftInPlace(f, reason);
  }

  // A scan's findings are offered for review; the Clean that used the review names what it
  // left because the scan had not found it.
  void EndReview(RunMode mode) {
    if (mode == RunMode::Scan) return e_.review_.Begin(e_.findings_);
    if (!e_.reviewing_) return;
    e_.review_.End();
    TextList appeared;
    for (const Finding& f : e_.findings_) {
      if (f.reason == runmsg::kAppearedAfterScan) appeared.push_back(ItemName(f));
    }
    if (appeared.empty()) return;
    problems_ = runmsg::Join(
        problems_,
        runmsg::AppearedAfterScan(
            std::to_string(appeared.size()) + " " +
                (appeared.size() == 1
                     ? LanguageText("Messages", "AppearedAfterScanOne",
                                    "problem appeared after the scan and was left; scan again "
                                    "to review it.")
                     : LanguageText("Messages", "AppearedAfterScan",
                                    "problems appeared after the scan and were left; scan again "
                                    "to review them.")),
            appeared));
  }

  std::string BadExclusionLines() const {
    std::vector<size_t> numbers;
    TextList lines;
    for (const Exclusions::Line& line : e_.exclusions_.BadLines()) {
      numbers.push_back(line.number);
      lines.push_back(line.text);
    }
    return runmsg::BadExclusionLines(numbers, lines);
  }

  std::string ExclusionsKept() const {
    std::vector<runmsg::ExclusionKept> kept;
    for (const Exclusions::Line& line : e_.exclusions_.Lines()) {
      kept.push_back({line.number, line.text, line.kept});
    }
    return runmsg::ExclusionsKept(kept);
  }

  template <typename Save, typename Message>
  bool Saved(const std::string& path, Save save, Message message) {
    std::string reason;
    try {
      const long code = save();
      if (code == status::kSuccess) return true;
      reason = Process().ErrorText(code);
    } catch (...) {
      reason = ErrorReason(std::current_exception());
    }
    problems_ = runmsg::Join(problems_, message(path, reason));
    return false;
  }

  void Finish() {
    int64_t total = 0;
    for (int k = 1; k <= kCategoryCount; ++k) total += e_.CategoryCount(k);
    e_.host_.ShowProgressLabel(SummaryText(total, "  ", e_.lastRun_));
    e_.GaugeAdd(100 - e_.gauge_);
    if (e_.shownGauge_ != 100) {
      e_.shownGauge_ = 100;
      e_.host_.ShowGauge(100, true);
    }
    e_.gaugeVisible_ = false;
    e_.host_.ShowGauge(e_.shownGauge_, false);
    e_.host_.ShowButtonCaption(LanguageText("Buttons", "Clean", "Clean"));
    e_.host_.EnableCloseButton(true);
    e_.host_.ActivateDetailsLinks(true);
    e_.PumpMessages();
    e_.Running = false;
  }

  CleanEngine& e_;
  // The other users' hives, reached for a run over every profile until the import is done.
  std::optional<MachineProfiles> profiles_;
  std::string problems_;
  // The category going on, how many checks show its progress, and the next of them.
  int category_ = 1;
  size_t checks_ = 1;
  size_t check_ = 0;
};

void CleanEngine::OnCleanClicked() {
  if (Running) {
    const int answer =
        host_.AskConfirmation(LanguageText("Messages", "CancelOperation", "Cancel operation?"));
    if (answer != 2) Running = false;
    return;
  }
  // After the preview's scan the button cleans.
  if (Run(nextRun_)) nextRun_ = RunMode::Clean;
}

bool CleanEngine::Run(RunMode mode) {
  // A stopped run still visits its remaining items and pumps; a click then starts nothing.
  if (runActive_) return false;
  if (!HoldLockOfItsRights(kRunLockName)) {
    ShowInformation(runmsg::AnotherRun());
    return false;
  }
  // Checked before every run: the folder may have been replaced since the start.
  if (const UndoFolderCheck folder = CheckUndoFolder(); !folder.Usable()) {
    ShowInformation(runmsg::UndoFolderUnusable(folder));
    return false;
  }
  // Read at every run, so that an edit of the file counts from the next run on. A file that is
  // refused stops the run: without it the run would remove what the user chose to keep.
  const std::string exclusionsFile = ExclusionsFile();
  exclusions_ = Exclusions::Load(exclusionsFile);
  if (const long refused = exclusions_.Refused(); refused != status::kSuccess) {
    ShowInformation(runmsg::ExclusionsRefused(exclusionsFile, refused == status::kFileTooLarge));
    return false;
  }
  runActive_ = true;
  struct Reset {
    CleanEngine& engine;
    ~Reset() {
      engine.indexBuild_.Abandon();
      engine.Running = false;
      engine.runActive_ = false;
    }
  } reset{*this};
  CleanRun(*this).Execute(mode);
  return true;
}

const OwnerContext& CleanEngine::ContextOf(RootKey root) {
  if (!contexts_) {
    Contexts made{MachineContext(), {}, {}};
    for (const UserHive& user : judgedUsers_) made.users.push_back(UserContext(made.machine, user));
    // A check asked outside a run judges the running user's items.
    if (judgedUsers_.empty() && usersJudged_ != UsersJudged::None) {
      made.users.push_back(UserContext(made.machine, RunningUserHive()));
    }
    // The merged classes root is the running user's view.
    const auto running =
        std::find_if(made.users.begin(), made.users.end(),
                     [](const OwnerContext& u) { return u.hive.root == RootKey::CurrentUser; });
    made.classes = ClassesContext(made.machine, running != made.users.end()
                                                    ? *running
                                                    : UserContext(made.machine, RunningUserHive()));
    contexts_ = std::move(made);
  }
  switch (root) {
    case RootKey::CurrentUser:
    case RootKey::Users:
      if (judging_ < contexts_->users.size()) return contexts_->users[judging_];
      return contexts_->machine;
    case RootKey::ClassesRoot:
      return contexts_->classes;
    default:
      return contexts_->machine;
  }
}

std::string CountText(RunMode mode) {
  return mode == RunMode::Scan ? LanguageText("Fix", "problems found", "problems found")
                               : LanguageText("Fix", "items fixed", "items fixed");
}
