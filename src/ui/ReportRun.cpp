#include "ui/ReportRun.h"

#include "engine/HeadlessHost.h"
#include "engine/RunReport.h"
#include "platform/HeldFiles.h"
#include "platform/LanguageFile.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "platform/TextFile.h"
#include "ui/StartUp.h"
#include "undo/UndoJournal.h"

namespace {

// The folder the report goes into, with its closing separator; "" for a bare file name, which
// goes into the current folder.
std::string ReportFolder(const std::string& reportPath) {
  const size_t last = reportPath.find_last_of("\\/");
  return last == std::string::npos ? std::string() : reportPath.substr(0, last + 1);
}

// The run's last line on standard output, for the management engine that started it.
int Summarised(const CleanEngine* engine, const ReportFacts& facts, int code,
               const std::string& why) {
  Process().SayOnOutput(RunSummaryLine(engine, facts, code, why));
  return code;
}

// Ends a run that cannot be completed: the one line the console of its starter gets.
int NotCompleted(const ReportFacts& facts, const std::string& why,
                 const CleanEngine* engine = nullptr) {
  Process().SayOnConsole("Klarvex: " + why);
  return Summarised(engine, facts, kExitNotCompleted, why);
}

}  // namespace

int RunReport(const ReportRequest& request) {
  const std::string& reportPath = request.path;
  ReportFacts facts;
  facts.mode = request.mode;
  facts.reportPath = WideToUtf8(Ansi().ToWide(reportPath));
  // Nothing is prepared, scanned or written before the report is known to have a place.
  if (reportPath.empty()) return NotCompleted(facts, "no report file is named after /report.");
  if (const std::string refused = AllUsersRefusal(request.allUsers); !refused.empty()) {
    return NotCompleted(facts, refused);
  }
  const std::string folder = ReportFolder(reportPath);
  if (!folder.empty() && !FolderExists(folder)) {
    return NotCompleted(facts, "the report's folder " + folder + " does not exist.");
  }
  PrepareProgram();
  // Opened now and held to the end, so that nothing placed at its name during a long elevated
  // run is written through: no link, no second name, and never one of the undo folder's files.
  // A refused report leaves no file behind, wherever a swapped folder led.
  long status = 0;
  bool created = false;
  std::unique_ptr<HeldFile> report = HoldOwnFile(reportPath, status, created);
  if (report && LiesIn(report->Facts(), UndoDir())) {
    if (created) report->Delete();
    report.reset();
  }
  if (!report) {
    FinishProgram();
    return NotCompleted(
        facts,
        "the report cannot be written to " + reportPath +
            " (a link at its name or on its way, a second name or an undo file is refused): " +
            Process().ErrorText(status));
  }
  facts.version = KLARVEX_VERSION;
  facts.windows = Process().OsVersionText();
  facts.started = UtcNow();
  HeadlessHost host;
  CleanEngine engine(host);
  engine.JudgeUsers(UsersOfTheRun(request.allUsers));
  // The lock that a window holds while it is open, and another report run while it runs.
  facts.ran = engine.Run(request.mode);
  facts.ended = UtcNow();
  facts.messages = host.informations;
  if (facts.ran) facts.profiles = ReportProfiles(engine);
  // As when the window closes: the imported deletion script is not kept.
  FinishProgram();
  std::string why;
  const int code = ReportExitCode(engine, facts, why);
  if (!facts.ran) Process().SayOnConsole("Klarvex: " + why.substr(0, why.find('\n')));
  const std::string text = RunReportJson(engine, facts, code, why);
  status = report->Replace(Bytes(text.begin(), text.end()));
  if (status != status::kSuccess) {
    return NotCompleted(
        facts,
        "the report could not be written to " + reportPath + ": " + Process().ErrorText(status),
        &engine);
  }
  return Summarised(&engine, facts, code, why);
}
