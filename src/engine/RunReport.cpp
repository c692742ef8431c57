#include "engine/RunReport.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "engine/Categories.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/RegKey.h"
#include "platform/RegistryOps.h"
#include "platform/Roots.h"
#include "platform/TextFile.h"

namespace {

using nlohmann::ordered_json;

// Registry text is in the ANSI code page; JSON is UTF-8.
std::string Utf8(const std::string& ansi) { return WideToUtf8(Ansi().ToWide(ansi)); }

const char* ActionName(Action action) {
  switch (action) {
    case Action::Found:
      return "found";
    case Action::Fixed:
      return "fixed";
    case Action::Deleted:
      return "deleted";
    case Action::LeftInPlace:
      return "left in place";
  }
  return "";
}

std::string KeyPathText(const std::string& path) {
  size_t first = path.find_first_not_of('\\');
  if (first == std::string::npos) return {};
  size_t last = path.find_last_not_of('\\');
  return path.substr(first, last - first + 1);
}

constexpr char kProfileList[] = "\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";

ordered_json ProfileJson(const ReportProfile& p) {
  ordered_json profile = {{"sid", Utf8(p.sid)},
                          {"profile", Utf8(p.profile)},
                          {"state", p.judged ? "judged" : "skipped"}};
  if (!p.judged) profile["reason"] = Utf8(p.reason);
  return profile;
}

// UTF-8 text cut to at most limit bytes, at a character's start, marked as cut.
std::string Shortened(const std::string& utf8, size_t limit) {
  if (utf8.size() <= limit) return utf8;
  if (limit < 4) return "...";
  size_t end = limit - 3;
  while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
  return utf8.substr(0, end) + "...";
}

// The key below HKEY_USERS a path of that root starts with, without the "_Classes" of a user's
// classes hive, upper-cased.
std::string HiveOfPath(const std::string& keyPath) {
  std::string hive = UpperAscii(KeyPathText(keyPath).substr(0, KeyPathText(keyPath).find('\\')));
  if (hive.ends_with("_CLASSES")) hive.resize(hive.size() - 8);
  return hive;
}

// Whose item a finding is: "machine" for one stored under HKLM (the machine's classes too),
// else the user whose hive holds it: the running user's for HKEY_CURRENT_USER, the profile's
// whose hive it lies in below HKEY_USERS.
ordered_json OwnerJson(const Finding& f, const ReportFacts& facts) {
  std::string hive;  // "" for HKEY_CURRENT_USER
  if (f.root == RootKey::Users) {
    hive = HiveOfPath(f.keyPath);
  } else if (f.storedItem.empty() ? f.root != RootKey::CurrentUser
                                  : !f.storedItem.starts_with(RootKeyName(RootKey::CurrentUser))) {
    return "machine";
  }
  const ReportProfile* owner = nullptr;
  for (const ReportProfile& p : facts.profiles) {
    if (p.judged && UpperAscii(p.hive) == hive) owner = &p;
    if (owner) break;
  }
  for (const ReportProfile& p : facts.profiles) {
    if (!owner && p.judged) owner = &p;
  }
  const ReportProfile unnamed;  // a user the host did not name
  if (!owner) owner = &unnamed;
  return {{"sid", Utf8(owner->sid)}, {"profile", Utf8(owner->profile)}};
}

std::string ModeName(const ReportFacts& facts) {
  if (!facts.modeName.empty()) return facts.modeName;
  return facts.mode == RunMode::Scan ? "scan" : "clean";
}

ordered_json ItemJson(const Finding& f, const ReportFacts& facts) {
  ordered_json item;
  item["item"] = Utf8(ItemName(f));
  item["root"] = std::string(RootKeyName(f.root));
  item["key"] = Utf8(KeyPathText(f.keyPath));
  if (f.isValue) item["value"] = Utf8(f.valueName);
  item["data"] = Utf8(f.data);
  item["rule"] = f.rule;
  if (!f.newPath.empty()) item["newPath"] = Utf8(f.newPath);
  item["action"] = ActionName(f.action);
  if (f.action == Action::LeftInPlace) item["reason"] = f.reason;
  item["detail"] = Utf8(f.detail);
  item["owner"] = OwnerJson(f, facts);
  return item;
}

ordered_json ExclusionsJson(const Exclusions& exclusions, const std::string& file) {
  ordered_json lines = ordered_json::array();
  for (const Exclusions::Line& line : exclusions.Lines()) {
    lines.push_back({{"line", line.number}, {"text", Utf8(line.text)}, {"kept", line.kept}});
  }
  ordered_json bad = ordered_json::array();
  for (const Exclusions::Line& line : exclusions.BadLines()) {
    bad.push_back({{"line", line.number}, {"text", Utf8(line.text)}});
  }
  return {
      {"file", file.empty() ? Utf8(ExclusionsFile()) : file}, {"lines", lines}, {"badLines", bad}};
}

}  // namespace

int ReportExitCode(const CleanEngine& engine, const ReportFacts& facts, std::string& why) {
  if (!facts.ran) {
    why = facts.messages.empty() ? "the run did not start" : facts.messages.front();
    return kExitNotCompleted;
  }
  if (!engine.RunError().empty()) {
    why = "the run was interrupted by an error: " + engine.RunError();
    return kExitNotCompleted;
  }
  size_t left = 0;
  for (const Finding& f : engine.Findings()) left += f.action == Action::LeftInPlace;
  if (left > 0) {
    why = std::to_string(left) + (left == 1 ? " item was" : " items were") +
          " left in place; the messages say why";
    return kExitNotCompleted;
  }
  // A profile the run could not judge is something its fleet engine must see.
  const bool skipped = std::any_of(facts.profiles.begin(), facts.profiles.end(),
                                   [](const ReportProfile& p) { return !p.judged; });
  if (!engine.Findings().empty() || skipped) return kExitProblemsFound;
  return kExitClean;
}

std::string RunReportJson(const CleanEngine& engine, const ReportFacts& facts, int exitCode,
                          const std::string& why) {
  ordered_json report;
  report["schemaVersion"] = kReportSchemaVersion;
  report["program"] = "Klarvex";
  report["version"] = facts.version;
  report["mode"] = ModeName(facts);
  report["started"] = facts.started;
  report["ended"] = facts.ended;
  report["windows"] = facts.windows;
  report["exitCode"] = exitCode;
  if (exitCode == kExitNotCompleted) report["error"] = Utf8(why);
  report["undoFile"] = engine.UndoFileWritten().empty()
                           ? ordered_json(nullptr)
                           : ordered_json(Utf8(engine.UndoFileWritten()));
  ordered_json messages = ordered_json::array();
  for (const std::string& m : facts.messages) messages.push_back(Utf8(m));
  report["messages"] = messages;
  ordered_json profiles = ordered_json::array();
  for (const ReportProfile& p : facts.profiles) profiles.push_back(ProfileJson(p));
  report["profiles"] = profiles;
  report["exclusions"] = ExclusionsJson(engine.AppliedExclusions(), facts.exclusionsFile);
  ordered_json categories = ordered_json::array();
  for (int k = 1; k <= kCategoryCount; ++k) {
    ordered_json items = ordered_json::array();
    for (const Finding& f : engine.Findings()) {
      if (f.category == k) items.push_back(ItemJson(f, facts));
    }
    const TextList& log = engine.CategoryLog(k);
    categories.push_back({{"category", k},
                          {"name", std::string(CategoryOf(k).reportName)},
                          {"count", engine.CategoryCount(k)},
                          {"summary", log.empty() ? std::string() : Utf8(log.back())},
                          {"items", items}});
  }
  report["categories"] = categories;
  return report.dump(2) + "\n";
}

std::string RunSummaryLine(const CleanEngine* engine, const ReportFacts& facts, int exitCode,
                           const std::string& why) {
  ordered_json counts;
  for (int k = 1; k <= kCategoryCount; ++k) {
    counts[std::string(CategoryOf(k).reportName)] = engine ? engine->CategoryCount(k) : 0;
  }
  std::vector<std::string> skipped;
  size_t judged = 0;
  for (const ReportProfile& p : facts.profiles) {
    judged += p.judged;
    if (!p.judged) skipped.push_back(Shortened(Utf8(p.profile + ": " + p.reason), 160));
  }
  // The report holds the whole error; the line its start.
  std::string error = exitCode == kExitNotCompleted ? Shortened(Utf8(why), 400) : std::string();
  std::string path = facts.reportPath;
  // The skipped profiles are listed while the line has room; a long path is cut last.
  auto line = [&](size_t listed) {
    ordered_json summary;
    summary["schemaVersion"] = kReportSchemaVersion;
    summary["program"] = "Klarvex";
    summary["mode"] = ModeName(facts);
    summary["exitCode"] = exitCode;
    if (!error.empty()) summary["error"] = error;
    summary["counts"] = counts;
    summary["profiles"] = {
        {"judged", judged},
        {"skipped", skipped.size()},
        {"skippedListed", std::vector<std::string>(skipped.begin(), skipped.begin() + listed)}};
    if (facts.ran && facts.profiles.empty()) {
      summary["profiles"]["note"] =
          "no user was judged; SCAN /allusers or CLEAN /allusers judges every user";
    }
    summary["report"] = path.empty() ? ordered_json(nullptr) : ordered_json(path);
    // ASCII only: the line is read in whatever code page the starter's console or log uses.
    return summary.dump(-1, ' ', true, ordered_json::error_handler_t::replace);
  };
  size_t listed = skipped.size();
  std::string text = line(listed);
  while (text.size() >= kSummaryLineLimit && listed > 0) text = line(--listed);
  while (text.size() >= kSummaryLineLimit && (path.size() > 3 || error.size() > 3)) {
    path = Shortened(path, path.size() / 2);
    error = Shortened(error, error.size() / 2);
    text = line(0);
  }
  return text;
}

ReportProfile RunningUserProfile() {
  ReportProfile user;
  user.sid = Process().UserSid();
  // Read without throwing: a folder name the code page cannot hold names no folder here.
  std::string folder;
  uint32_t type = regtype::kNone;
  if (!user.sid.empty()) {
    const RegKey key(RootKey::LocalMachine, kProfileList + user.sid, keyaccess::kRead);
    if (key.QueryText("ProfileImagePath", type, folder) != status::kSuccess) folder.clear();
  }
  user.profile = FolderName(folder.empty() ? ProfileDir() : folder);
  return user;
}

std::vector<ReportProfile> ReportProfiles(const CleanEngine& engine) {
  std::vector<ReportProfile> profiles;
  for (const UserHive& user : engine.JudgedUsers()) {
    ReportProfile p = user.root == RootKey::CurrentUser ? RunningUserProfile()
                                                        : ReportProfile{user.sid, user.profileName};
    p.hive = KeyPathText(user.base);
    profiles.push_back(p);
  }
  for (const SkippedProfile& skipped : engine.SkippedProfiles()) {
    profiles.push_back({skipped.sid, skipped.profileName, false, skipped.reason});
  }
  return profiles;
}

std::string UtcNow() {
  const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
  const auto day = std::chrono::floor<std::chrono::days>(now);
  const std::chrono::year_month_day date{day};
  const std::chrono::hh_mm_ss time{now - day};
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  return text;
}
