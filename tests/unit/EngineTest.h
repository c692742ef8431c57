// A simulated machine (its registry editor installed) and a recording engine to run on it.
#pragma once

#include <string>

#include "support/RecordingHost.h"
#include "support/SimFixture.h"
#include "undo/UndoJournal.h"

class EngineTest : public SimTest {
 protected:
  // What the driver prepares before the checks run, for tests that call a check alone.
  void PrepareChecks() {
    engine.Running = true;
    BeginUndoJournal();
    FixScript = {"REGEDIT4", ""};
  }

  // The "[...]" key lines of the undo journal: which keys were backed up, in order.
  static TextList JournalKeys() {
    TextList keys;
    for (const std::u16string& line : UndoJournal) {
      if (!line.empty() && line.front() == u'[') keys.emplace_back(line.begin(), line.end());
    }
    return keys;
  }

  static std::string ScriptPath() { return UndoDir() + kFixScriptName; }
  static std::string UndoPath() { return UndoDir() + UndoFileName; }

  RecordingHost host;

  CleanEngine engine{host};
};
