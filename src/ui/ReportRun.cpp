#include "ui/ReportRun.h"

#include "engine/HeadlessEngine.h"
#include "engine/RunReport.h"
#include "platform/HeldFiles.h"
#include "platform/LanguageFile.h"
#include "platform/Platform.h"
#include "ui/StartUp.h"
#include "undo/UndoJournal.h"

int RunReport(RunMode mode, const std::string& reportPath) {
  // Without a file name there is nowhere to say why nothing ran.
  if (reportPath.empty()) return kExitNotCompleted;
  PrepareProgram();
  // Opened now and held to the end, so that nothing placed at its name during a long elevated
  // run is written through: no link, no second name, and never one of the undo folder's files.
  const bool existed = Files().Attributes(reportPath) != fileattr::kInvalid;
  long status = 0;
  std::unique_ptr<HeldFile> report = HoldPlainFile(reportPath, HoldMode::WriteAlways, status);
  if (report && LiesIn(report->Facts(), UndoDir())) {
    if (!existed) report->Delete();
    report.reset();
  }
  if (!report) {
    FinishProgram();
    return kExitNotCompleted;
  }
  ReportFacts facts;
  facts.mode = mode;
  facts.version = KLARVEX_VERSION;
  facts.windows = Process().OsVersionText();
  facts.started = UtcNow();
  HeadlessEngine engine;
  // The lock that a window holds while it is open, and another report run while it runs.
  facts.ran = engine.Run(mode);
  facts.ended = UtcNow();
  facts.messages = engine.informations;
  // As when the window closes: the imported deletion script is not kept.
  FinishProgram();
  std::string why;
  const int code = ReportExitCode(engine, facts, why);
  const std::string text = RunReportJson(engine, facts, code, why);
  if (report->Replace(Bytes(text.begin(), text.end())) != status::kSuccess) {
    return kExitNotCompleted;
  }
  return code;
}
