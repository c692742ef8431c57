// The steps every check loop shares: the per-item step, the gauge rule, and the recording of a
// repair in its four steps.
#include <algorithm>
#include <cmath>

#include "engine/CleanEngine.h"
#include "engine/ReviewRows.h"
#include "engine/RunMessages.h"
#include "engine/SameItem.h"
#include "platform/LanguageFile.h"
#include "platform/Roots.h"
#include "undo/UndoJournal.h"

bool CleanEngine::BeginItem() {
  PumpMessages();
  if (!Running) indexBuild_.RequestStop();
  return Running;
}

void CleanEngine::GaugeAdd(int delta) {
  const int value = std::clamp(gauge_ + delta, 0, 100);
  if (value == gauge_) return;
  gauge_ = value;
  // The bar shows the check's share of the whole run, and never less than it showed.
  const int shown = static_cast<int>(std::lround(bandFrom_ + gauge_ * bandSpan_ / 100.0));
  if (shown <= shownGauge_) return;
  shownGauge_ = std::min(shown, 100);
  host_.ShowGauge(shownGauge_, gaugeVisible_);
}

void CleanEngine::StepProgress(int i, int n) {
  if (n <= 0) return;
  // Rounded to the nearest integer, halves to the even neighbour (the default rounding mode).
  const int p = static_cast<int>(std::nearbyint(static_cast<double>(i) / n * 100.0));
  if (p != gauge_) GaugeAdd(1);
}

namespace {

// A scan's Details line: the clean's line with its last word, "fixed" or "deleted", replaced
// by "found" (each as the language file has it).
std::string FoundLine(const std::string& detail) {
  for (const char* verb : {"fixed", "deleted"}) {
    const std::string ending = " ... " + LanguageText("Fix", verb, verb);
    if (detail.ends_with(ending)) {
      return detail.substr(0, detail.size() - ending.size()) + " ... " +
             LanguageText("Fix", "found", "found");
    }
  }
  return detail;
}

// note inserted into a Details line before its closing " ... " and verb.
std::string WithNote(std::string detail, std::string_view note) {
  const size_t ending = detail.rfind(" ... ");
  if (ending != std::string::npos) detail.insert(ending, note);
  return detail;
}

// Another user's item is named with the user's profile: "[HKU]\S-1-5-21-...\Run\Tool (Anna) ...".
std::string WithProfile(const Finding& finding, const std::string& detail) {
  return finding.profile.empty() ? detail : WithNote(detail, " (" + finding.profile + ")");
}

}  // namespace

Finding* CleanEngine::Judge(int category, RootKey root, const std::string& keyPath,
                            const std::string* name, const Rule& rule) {
  // A name no script line may hold is never acted on, whichever way a check came by it.
  if (HoldsControlCharacter(keyPath) || (name && HoldsControlCharacter(*name))) return nullptr;
  const std::string storedItem = StoredItem(root, keyPath, name);
  // A line keeps an item once, whichever views of the classes root it was met through.
  if (exclusions_.Keeps(root, keyPath, name, !keptItems_.contains(storedItem))) {
    keptItems_.insert(storedItem);
    return nullptr;
  }
  Finding finding;
  finding.category = category;
  finding.root = root;
  finding.keyPath = keyPath;
  finding.isValue = name != nullptr;
  if (name) finding.valueName = *name;
  finding.data = rule.data;
  finding.rule = std::string(rule.name);
  finding.newPath = rule.newPath;
  finding.storedItem = storedItem;
  finding.description = name ? std::string() : ItemDescription(root, keyPath);
  if (root == RootKey::Users && judging_ < judgedUsers_.size()) {
    finding.profile = judgedUsers_[judging_].profileName;
  }
  const size_t first = FirstFinding(finding);
  Finding* judged = nullptr;
  if (first == findings_.size()) {
    firstFinding_.emplace(ItemHash(finding), first);
    findings_.push_back(std::move(finding));
    judged = &findings_.back();
  } else {
    finding.anotherView = true;
    twins_.push_back({first, std::move(finding)});
    judged = &twins_.back().finding;
  }
  // After a review the Clean repairs only what the scan found and the person left ticked.
  if (reviewing_ && !review_.Found(*judged)) {
    LeftInPlace(*judged, runmsg::kAppearedAfterScan);
    return nullptr;
  }
  return judged;
}

size_t CleanEngine::ItemHash(const Finding& finding) {
  return std::hash<std::string>{}(finding.storedItem) * 31 + static_cast<size_t>(finding.category);
}

size_t CleanEngine::FirstFinding(const Finding& finding) const {
  const auto [from, to] = firstFinding_.equal_range(ItemHash(finding));
  for (auto entry = from; entry != to; ++entry) {
    const Finding& first = findings_[entry->second];
    if (first.category == finding.category && first.storedItem == finding.storedItem) {
      return entry->second;
    }
  }
  return findings_.size();
}

void CleanEngine::FoldTwins() {
  for (const Twin& twin : twins_) {
    Finding& first = findings_[twin.first];
    if (twin.finding.action == Action::LeftInPlace && first.action != Action::LeftInPlace) {
      LeftInPlace(first, twin.finding.reason);
    }
  }
}

bool CleanEngine::RepairKey(int category, RootKey root, const std::string& backupPath,
                            std::initializer_list<std::string> scriptLines,
                            const std::string& detail, const Rule& rule) {
  Finding* finding =
      Judge(category, root, rule.item.empty() ? backupPath : rule.item, nullptr, rule);
  if (!finding) return false;
  if (lastRun_ == RunMode::Scan) return Found(*finding, detail);
  return Schedule(*finding, BackupKey(root, backupPath), KeyDisplayName(root, backupPath),
                  scriptLines, detail);
}

bool CleanEngine::RepairValue(int category, RootKey root, const std::string& keyPath,
                              const std::string& name,
                              std::initializer_list<std::string> scriptLines,
                              const std::string& detail, const Rule& rule) {
  Finding* finding = Judge(category, root, keyPath, &name, rule);
  if (!finding) return false;
  if (lastRun_ == RunMode::Scan) return Found(*finding, detail);
  return Schedule(*finding, BackupValue(root, keyPath, name), ValueDisplayName(root, keyPath, name),
                  scriptLines, detail);
}

bool CleanEngine::Schedule(Finding& finding, bool backedUp, const std::string& item,
                           std::initializer_list<std::string> scriptLines,
                           const std::string& detail) {
  if (!backedUp) return LeftWithoutBackup(finding, item);
  FixScript.insert(FixScript.end(), scriptLines);
  finding.viaScript = true;
  Record(finding, detail);
  return true;
}

bool CleanEngine::LeftWithoutBackup(Finding& finding, const std::string& item) {
  // One item is named once, though each view of it went without a backup.
  const bool named =
      finding.anotherView && std::any_of(twins_.begin(), twins_.end(), [&](auto& t) {
        return &t.finding == &finding && findings_[t.first].reason == runmsg::kNoBackup;
      });
  if (!named) leftWithoutBackup_.push_back(item);
  return LeftInPlace(finding, runmsg::kNoBackup);
}

bool CleanEngine::Found(Finding& finding, const std::string& detail) {
  finding.action = Action::Found;
  finding.detail = FoundLine(WithProfile(finding, detail));
  if (!finding.anotherView) ++CategoryCount(finding.category);
  CategoryLog(finding.category).push_back(finding.detail);
  return true;
}

bool CleanEngine::LeftInPlace(Finding& finding, const std::string& reason) {
  finding.action = Action::LeftInPlace;
  finding.reason = reason;
  return false;
}

void CleanEngine::Record(Finding& finding, const std::string& detail) {
  const std::string deleted = " ... " + LanguageText("Fix", "deleted", "deleted");
  finding.action = detail.ends_with(deleted) ? Action::Deleted : Action::Fixed;
  finding.detail = WithProfile(finding, detail);
  if (!finding.anotherView) ++CategoryCount(finding.category);
  CategoryLog(finding.category).push_back(finding.detail);
}

void CleanEngine::NoteInDetail(Finding& finding, std::string_view note) {
  TextList& log = CategoryLog(finding.category);
  const auto line = std::find(log.rbegin(), log.rend(), finding.detail);
  finding.detail = WithNote(finding.detail, note);
  if (line != log.rend()) *line = finding.detail;
}
