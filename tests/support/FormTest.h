// A main form over the simulated platform, its view recorded and its dialogs scripted.
#pragma once

#include "platform/LanguageFile.h"
#include "support/RecordingView.h"
#include "support/SimFixture.h"
#include "ui/MainForm.h"

class FormTest : public SimTest {
 protected:
  void TearDown() override {
    ReleaseLanguageFile();
    SimTest::TearDown();
  }
  RecordingView view;
  ScriptedDialogs dialogs;
  MainForm form{view};
};
