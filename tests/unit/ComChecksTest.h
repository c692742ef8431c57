// Shared staging for the tests of the COM/ActiveX category's checks.
#pragma once

#include <string>

#include "unit/EngineTest.h"

class ComChecksTest : public EngineTest {
 protected:
  static constexpr RootKey kCr = RootKey::ClassesRoot;

  // The default value of a key below HKEY_CLASSES_ROOT.
  void PutDefault(const std::string& path, const std::string& text) {
    PutString(kCr, path, "", text);
  }

  // Applies the run's deletion script and then its undo journal, as the program and the undo
  // page do, and tells whether the classes came back exactly as they were before.
  void ExpectScriptAndUndoRoundTrip(const std::string& classesBefore) {
    ASSERT_EQ(SaveFixScript(ScriptPath(), FixScript), status::kSuccess);
    ASSERT_TRUE(RunRegedit(" /s \"" + ScriptPath() + "\""));
    EXPECT_NE(Classes(), classesBefore) << "the script changed nothing";
    ASSERT_EQ(SaveUndoFile(UndoPath(), UndoJournal), status::kSuccess);
    ASSERT_TRUE(RunRegedit(" /s \"" + UndoPath() + "\""));
    EXPECT_EQ(Classes(), classesBefore);
  }

  std::string Classes() const {
    return sim.registry.Dump(RootKey::LocalMachine, "SOFTWARE\\Classes");
  }

  static TextList Script(const TextList& entries) {
    TextList lines = {"REGEDIT4", ""};
    lines.insert(lines.end(), entries.begin(), entries.end());
    return lines;
  }
};
