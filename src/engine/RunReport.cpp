#include "engine/RunReport.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "engine/Categories.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
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

ordered_json ItemJson(const Finding& f) {
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
  if (facts.mode == RunMode::Scan && !engine.Findings().empty()) return kExitProblemsFound;
  return kExitClean;
}

std::string RunReportJson(const CleanEngine& engine, const ReportFacts& facts, int exitCode,
                          const std::string& why) {
  ordered_json report;
  report["program"] = "Klarvex";
  report["version"] = facts.version;
  report["mode"] = !facts.modeName.empty()       ? facts.modeName
                   : facts.mode == RunMode::Scan ? "scan"
                                                 : "clean";
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
  report["exclusions"] = ExclusionsJson(engine.AppliedExclusions(), facts.exclusionsFile);
  ordered_json categories = ordered_json::array();
  for (int k = 1; k <= kCategoryCount; ++k) {
    ordered_json items = ordered_json::array();
    for (const Finding& f : engine.Findings()) {
      if (f.category == k) items.push_back(ItemJson(f));
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
