// The clean run: its state, the driver, and what the checks record through it. A host (the
// window, a report run, the offline scan, the benchmark) holds one and answers what it shows
// and asks through RunHost.
#pragma once

#include <array>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/Exclusions.h"
#include "engine/Finding.h"
#include "engine/OwnerContext.h"
#include "engine/Profiles.h"
#include "engine/RegistryView.h"
#include "engine/Review.h"
#include "engine/RunHost.h"
#include "engine/SystemFileIndex.h"
#include "engine/SystemFileIndexBuild.h"
#include "engine/TrustedFiles.h"
#include "platform/RegKey.h"
#include "platform/RegScript.h"
#include "platform/RegistryOps.h"
#include "platform/Types.h"
#include "undo/UndoFileWriter.h"

// The categories, numbered as their lists, counters, counter labels and Details links.
enum Category : int {
  kAssociations = 1,
  kComActiveX = 2,
  kStartup = 3,
  kUninstall = 4,
  kTemporary = 5,
  kAppPathsFontsHelp = 6,
};
inline constexpr int kCategoryCount = 6;

// A clean repairs what it finds; a scan runs the same checks and changes nothing.
enum class RunMode { Clean, Scan };

// Whose items a run judges besides the machine's: the running user's, every profile's of the
// machine, or nobody's (a run as SYSTEM, whose own hive is nobody's desktop).
enum class UsersJudged { Running, Every, None };

// Held by a window and by a report run, so that two runs never share the undo folder.
inline constexpr const char* kRunLockName = "Klarvex.RunLock";

// "items fixed" after a clean, "problems found" after a scan (as the language file has them).
std::string CountText(RunMode mode);

class CleanEngine {
 public:
  explicit CleanEngine(RunHost& host) : host_(host) {}
  CleanEngine(const CleanEngine&) = delete;
  CleanEngine& operator=(const CleanEngine&) = delete;

  // The Clean/Stop button: a whole run when idle, a stop request during a run.
  void OnCleanClicked();
  // The next click of the button scans instead of cleaning (the preview window).
  void BeginPreview() { nextRun_ = RunMode::Scan; }
  RunMode NextRun() const { return nextRun_; }
  // The users the next runs judge; the running user's until a host says otherwise.
  void JudgeUsers(UsersJudged users) { usersJudged_ = users; }
  UsersJudged UsersToJudge() const { return usersJudged_; }
  // The last run's users: those it judged, in order, and the profiles it could not.
  const std::vector<UserHive>& JudgedUsers() const { return judgedUsers_; }
  const std::vector<SkippedProfile>& SkippedProfiles() const { return skippedProfiles_; }
  // One whole run without a click. False when it could not start: a run is going on here, or
  // another window or report run holds the run lock (the user is told).
  bool Run(RunMode mode);

  // The system file index: every file below folder, walked on the index build's thread (or the
  // caller's); it ends at the next entry once a stop is asked for. The Windows folders that any
  // user may write to are left out.
  void ScanSystemFolder(const std::string& folder);
  // Stops a build still running and empties the index.
  void ClearSystemFileIndex();
  // Category 1.
  void CheckExtensions(RootKey root, const std::string& path);
  // Category 2. The class and interface checks walk the keys of one view at a time.
  void CheckCOM(const RegistryView& view = k64BitView);
  void CheckActiveX();
  void CheckInterfaces(const RegistryView& view = k64BitView);
  void CheckTypeLib();
  // Leaves in TreeValueCount whether the tree below root\path holds any value (0: none found),
  // and in *listed (when given) the subkeys listed of root\path itself.
  void CountTreeValues(RootKey root, const std::string& path, TextList* listed = nullptr);
  // Category 3.
  void CheckStartup(RootKey root, const RegistryView& view = k64BitView);
  // Category 4.
  void CheckUninstall(const RegistryView& view = k64BitView);
  // Category 5, for the user being judged.
  void ScanReg(const std::string& path);
  void ScanApplicationsHistory(RootKey root, const std::string& path);
  // The shell's cache of program names and makers, named after each program's path.
  void ScanMuiCache();
  // Category 6. The application paths and the font list of root (the machine's are shared by
  // both views); the help file lists of the view.
  void CheckAppPaths(RootKey root);
  void CheckFonts(RootKey root);
  void CheckHelpFiles(const RegistryView& view = k64BitView);

  // The run state, shared with the window's handlers.
  bool Running = false;
  // From the click that starts a run to its last step: after a stop the run still winds down
  // (saves, imports, reports) while Running is already false.
  bool RunInProgress() const { return runActive_; }
  int32_t TreeValueCount = 0;
  ::SystemFileIndex SystemFileIndex;
  TextList& CategoryLog(int category) { return logs_[category - 1]; }
  int32_t& CategoryCount(int category) { return counts_[category - 1]; }
  const TextList& CategoryLog(int category) const { return logs_[category - 1]; }
  int32_t CategoryCount(int category) const { return counts_[category - 1]; }
  int GaugePercent() const { return gauge_; }
  // The last run: its mode, every item it judged a problem in order, the exclusions it applied,
  // and the undo file it left on disk ("" when none).
  RunMode LastRun() const { return lastRun_; }
  const std::vector<Finding>& Findings() const { return findings_; }
  const ::Exclusions& AppliedExclusions() const { return exclusions_; }
  const std::string& UndoFileWritten() const { return undoFileWritten_; }
  // The last scan's findings as the person reviews them; the Clean that follows repairs the
  // ticked ones only and leaves what appeared since.
  ::Review& ScanReview() { return review_; }
  const ::Review& ScanReview() const { return review_; }
  // Why the last run broke off; "" when it went through.
  const std::string& RunError() const { return runError_; }

  // What the checks use of the run they are part of.
  // The settings that judge the items below root: the machine's for HKLM, the user's being
  // judged for HKCU (and HKEY_USERS), the merged classes root's for HKCR. Read from the
  // registry at the first question of a run.
  const OwnerContext& ContextOf(RootKey root);
  void PumpMessages() { host_.PumpMessages(); }
  // The Information dialog of the host.
  void ShowInformation(const std::string& message) { host_.ShowInformation(message); }

  // The per-item step: pumps messages and tells whether the item is to be examined. A stop seen
  // here also ends the index build.
  bool BeginItem();
  // The index once its build has ended, waiting for it (pumping) while it runs; the build's error
  // is thrown here. nullptr when the build was stopped before its end: a stopping run judges
  // nothing by a partial index.
  const ::SystemFileIndex* BuiltSystemFileIndex();
  // A check's loop over its list: every item gets the per-item step; while the run goes on, the
  // gauge step (for the checks that show progress) and the check's own work. After a stop the
  // remaining items are still visited, each only pumping messages. An item holding text that
  // the code page cannot hold unchanged, or a name no script line may hold, is left alone: the
  // checks read every value and make every line before they repair anything, so nothing of it
  // is judged, counted, listed or removed.
  enum GaugeRule { kStepGauge, kNoGauge };
  template <typename Work>
  void ForEachItem(const TextList& items, GaugeRule gauge, Work work) {
    const int n = static_cast<int>(items.size());
    for (int i = 0; i < n; ++i) {
      if (!BeginItem()) continue;
      if (gauge == kStepGauge) StepProgress(i, n);
      try {
        work(items[static_cast<size_t>(i)]);
      } catch (const UnreadableText&) {
      } catch (const UnscriptableName&) {
      }
    }
  }
  template <typename Work>
  void ForEachItem(const TextList& items, Work work) {
    ForEachItem(items, kStepGauge, work);
  }
  // The gauge rule for item i of a list of n.
  void StepProgress(int i, int n);
  void GaugeAdd(int delta);
  void ResetGauge() { GaugeAdd(-gauge_); }
  // The part of the bar, in percent of the whole run, that the check going on fills.
  void SetGaugeBand(double from, double span) {
    bandFrom_ = from;
    bandSpan_ = span;
  }

  // The four steps of a key repair in their order: backup of backupPath into the undo journal,
  // the FixScript lines, the count, the detail line. A repair whose backup did not reach the
  // journal cannot be undone, so it is not scheduled at all; it is named to the user at the end
  // of the run. Returns whether it was scheduled. rule says why the check judged it a problem.
  // An excluded item is not judged at all; a scan only counts and lists what it found.
  bool RepairKey(int category, RootKey root, const std::string& backupPath,
                 std::initializer_list<std::string> scriptLines, const std::string& detail,
                 const Rule& rule);
  // The same for one value removed through the FixScript (the startup list).
  bool RepairValue(int category, RootKey root, const std::string& keyPath, const std::string& name,
                   std::initializer_list<std::string> scriptLines, const std::string& detail,
                   const Rule& rule);
  // Category 5's direct deletion of a value: judged here, and in a clean queued until its
  // key's loop is done. RemoveQueuedValues then puts the backups of all of them into the undo
  // file on disk, in one append, before it deletes any; a value is counted and listed only when
  // it was deleted, and named to the user at the end of the run when the registry refused it.
  bool QueueValueRemoval(RootKey root, const std::string& keyPath, const std::string& name,
                         const std::string& detail, const Rule& rule);
  void RemoveQueuedValues(const RegKey& key);
  // Lets the undo file go, as the run does at its end.
  void CloseUndoFile() { undoFile_.Close(); }

 private:
  // One run of the driver, from its preparation to its final steps.
  friend class CleanRun;

  // The walk of ScanApplicationsHistory below one key of the hive.
  void ScanHistoryBranch(RootKey root, const std::string& path);
  // CountTreeValues for a key already open.
  void CountKeyValues(const RegKey& key, RootKey root, const std::string& path, TextList* listed);
  // Starts the index build over the Windows and Program Files folders, in that order.
  void StartSystemFileIndex();
  // The walk below folder, leaving out the user-writable Windows folders and all below them.
  void ScanSystemFolder(const std::string& folder, const UserWritableFolders& skipped);
  // A class whose server file is missing, repaired as a removal (backup, script lines, count and
  // line in their places) before the index could say whether the file moved.
  struct ServerRepair {
    RegistryView view;
    std::string file;       // the server's file name
    std::string serverKey;  // the physical server key
    size_t finding;         // in findings_, or with twin in twins_
    bool twin;
    size_t scriptLine;  // its first FixScript line; kNoScriptLine in a scan
  };
  static constexpr size_t kNoScriptLine = static_cast<size_t>(-1);
  // With the whole index, points each waiting repair at the first folder that holds its file,
  // where there is one. Without it (a stop or an error cut the walk short), the waiting repairs
  // are taken back and left in place, to be named to the user.
  void SettleServerRepairs(const ::SystemFileIndex* index);

  // The finding a recording call describes; nullptr when an exclusion keeps the item, or when
  // its key path or value name holds a control character.
  Finding* Judge(int category, RootKey root, const std::string& keyPath, const std::string* name,
                 const Rule& rule);
  // A scan's finding: counted and listed with its line ending in "found".
  bool Found(Finding& finding, const std::string& detail);
  // Marks a problem that stays where it is, with the reason why; returns false.
  bool LeftInPlace(Finding& finding, const std::string& reason);
  // LeftInPlace for want of a backup; item names it in the message at the end of the run.
  bool LeftWithoutBackup(Finding& finding, const std::string& item);
  // A judged repair through the deletion script: its script lines, count and detail line when
  // its backup reached the journal, else left without a backup.
  bool Schedule(Finding& finding, bool backedUp, const std::string& item,
                std::initializer_list<std::string> scriptLines, const std::string& detail);
  // Counts a repair in its category (once per item, whatever the view) and adds its detail line.
  void Record(Finding& finding, const std::string& detail);
  // A finding judged through one view that another view's finding already stands for ends as
  // that one did not (left in place): the item is then named as left.
  void FoldTwins();
  // What firstFinding_ files a finding under: the hash of its item and category.
  static size_t ItemHash(const Finding& finding);
  // The index in findings_ of the first finding of the same item and category; findings_.size()
  // when there is none.
  size_t FirstFinding(const Finding& finding) const;
  // Adds note to a recorded finding's Details line, before its closing " ... " and verb, in the
  // finding and in its category's list.
  void NoteInDetail(Finding& finding, std::string_view note);

  RunHost& host_;
  std::array<TextList, kCategoryCount> logs_;
  std::array<int32_t, kCategoryCount> counts_{};
  // The check's own percentage, by the gauge rule; the bar shows it within the check's band.
  int gauge_ = 0;
  double bandFrom_ = 0;
  double bandSpan_ = 100;
  int shownGauge_ = 0;
  bool gaugeVisible_ = false;
  // From the click that starts a run to its last step, also after a stop has cleared Running:
  // a click then must not start a second run inside the first one's message pump.
  bool runActive_ = false;
  // The undo file, held and appended to from the first direct deletion on: values already
  // deleted rely on what it holds, so it is never rewritten or given up.
  UndoFileWriter undoFile_;
  // Values judged for direct deletion whose key's loop is still going on.
  struct QueuedValue {
    size_t finding;  // in findings_
    std::string detail;
  };
  std::vector<QueuedValue> queuedValues_;
  // The problems found but left in place because no backup of them could be made.
  TextList leftWithoutBackup_;
  // The values whose direct deletion the registry refused.
  TextList deletionRefused_;
  SystemFileIndexBuild indexBuild_;
  // Repairs waiting for the index, in the order they were made.
  std::vector<ServerRepair> waitingServers_;
  // The server keys left in place because the index never became whole.
  TextList serversNotSearched_;
  RunMode nextRun_ = RunMode::Clean;
  RunMode lastRun_ = RunMode::Clean;
  // One finding per distinct item and category, in the order first met; the same items met
  // again through another view of the classes root, with the index of their first finding.
  std::vector<Finding> findings_;
  struct Twin {
    size_t first;
    Finding finding;
  };
  std::vector<Twin> twins_;
  // By the hash of its item and category, so that a flood's items are not held twice.
  std::unordered_multimap<size_t, size_t> firstFinding_;
  // The stored items an exclusion kept in this run.
  std::set<std::string> keptItems_;
  ::Exclusions exclusions_;
  ::Review review_;
  // This run is the Clean that follows a reviewed scan.
  bool reviewing_ = false;
  std::string undoFileWritten_;
  std::string runError_;
  struct Contexts {
    OwnerContext machine;
    std::vector<OwnerContext> users;  // as judgedUsers_
    OwnerContext classes;
  };
  std::optional<Contexts> contexts_;
  UsersJudged usersJudged_ = UsersJudged::Running;
  std::vector<UserHive> judgedUsers_;
  std::vector<SkippedProfile> skippedProfiles_;
  // The user of judgedUsers_ whose items the checks going on judge.
  size_t judging_ = 0;
  // The ignored folder setting was named to the user.
  bool folderSettingNamed_ = false;
};
