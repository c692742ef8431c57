// The undo page over the simulated platform: listing, showing by byte-order mark, Undo, Delete,
// the links and the Running guards.
#include "engine/Exclusions.h"
#include "engine/RunMessages.h"
#include "platform/HeldFiles.h"
#include "platform/LanguageFile.h"
#include "platform/RegistryOps.h"
#include "support/RecordingView.h"
#include "support/SimFixture.h"
#include "ui/MainForm.h"
#include "ui/StartUp.h"

namespace {
// Names in the program's own undo-file pattern, the only ones the page lists.
const std::string kA = "Undo 26-12-07-01.reg";
const std::string kB = "Undo 26-12-07-02.reg";
const std::string kC = "Undo 26-12-07-03.reg";
// Every import runs on the page's private copy of the file, named as its handle names it.
std::string ImportOfCopy() { return " /s \"" + UndoDir() + "Undo import.tmp\""; }

class UndoPageTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    form.CreateForm();
    view.log.clear();
  }
  void TearDown() override {
    ReleaseLanguageFile();
    SimTest::TearDown();
  }
  void PutUndo(const std::string& name, const std::u16string& text) {
    sim.files.PutFileBytes(UndoDir() + name, Utf16File(text));
  }
  std::vector<std::string> RegeditArguments() const {
    std::vector<std::string> arguments;
    for (const auto& run : sim.process.runs) arguments.push_back(run.arguments);
    return arguments;
  }

  RecordingView view;
  ScriptedDialogs dialogs;
  MainForm form{view};
};

TEST_F(UndoPageTest, EnterListsRegFilesSelectsTheFirstAndShowsIt) {
  PutUndo("Undo 26-12-07-01.reg", u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_\u00C4]\r\n");
  PutUndo("Undo 26-12-07-02.reg", u"REGEDIT4\r\n");
  PutFile(UndoDir() + "notes.txt", "x");
  PutFile(UndoDir() + "RegistryCleaner.reg", "REGEDIT4\r\n");
  // Not the program's own: another name, a folder link under an undo file's name.
  PutFile(UndoDir() + "x.reg", "REGEDIT4\r\n");
  sim.files.PutFolderLink(UndoDir() + "Undo 26-12-07-09.reg", "C:\\WINDOWS");
  form.OpenUndoPage();
  EXPECT_EQ(view.front, Page::Undo);
  EXPECT_EQ(view.Names(),
            (std::vector<std::string>{"Undo 26-12-07-01.reg", "Undo 26-12-07-02.reg"}));
  EXPECT_EQ(view.selected, 0);
  EXPECT_EQ(view.undoText, u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_\u00C4]\r\n");
  EXPECT_TRUE(view.enabled[Ctl::UndoButton]);
  EXPECT_TRUE(view.enabled[Ctl::DeleteButton]);
  EXPECT_FALSE(sim.files.Exists(UndoDir() + "RegistryCleaner.reg"));
  EXPECT_FALSE(form.Engine().Running);
  EXPECT_EQ(view.pumps, 4);  // one per file found
}

TEST_F(UndoPageTest, AMissingFolderGivesAnEmptyPageWithDisabledButtons) {
  sim.files.Erase(UndoDir());
  view.undoText = u"stale";
  form.OpenUndoPage();
  EXPECT_EQ(view.UndoListCount(), 0);
  EXPECT_EQ(view.undoText, u"");
  EXPECT_FALSE(view.enabled[Ctl::UndoButton]);
  EXPECT_FALSE(view.enabled[Ctl::DeleteButton]);
  form.OnUndoClicked();
  form.OnDeleteClicked();
  EXPECT_TRUE(dialogs.confirmation.shown.empty());
}

TEST_F(UndoPageTest, EachEncodingIsShownByItsByteOrderMark) {
  struct Case {
    const char* name;
    Bytes bytes;
    std::u16string shown;
  };
  const Case cases[] = {
      {"Undo 26-12-07-01.reg", {0xFF, 0xFE, 'A', 0, 0xC4, 0}, u"A\u00C4"},
      {"Undo 26-12-07-02.reg", {0xFE, 0xFF, 0, 'A', 0, 0xC4}, u"A\u00C4"},
      {"Undo 26-12-07-03.reg", {0xEF, 0xBB, 0xBF, 'A', 0xC3, 0x84}, u"A\u00C4"},
      // All of it: a NUL would end the window's text.
      {"Undo 26-12-07-04.reg", {0xFF, 0xFE, 'A', 0, 0, 0, 'B', 0}, u"A\u2400B"},
      {"undo 26-12-07-100.REG", {'A', 0xC4}, u"A\u00C4"},
  };
  for (const Case& c : cases) sim.files.PutFileBytes(UndoDir() + c.name, c.bytes);
  form.OpenUndoPage();
  for (int i = 0; i < view.UndoListCount(); ++i) {
    SCOPED_TRACE(view.UndoListItem(i));
    view.selected = i;
    form.OnUndoListClicked();
    EXPECT_EQ(view.undoText, cases[i].shown);
  }
  // Far larger than any undo file: not read, and said so.
  sim.files.PutFileBytes(UndoDir() + cases[0].name, Bytes(kMaxReadBack + 1, 'A'));
  view.selected = 0;
  form.OnUndoListClicked();
  EXPECT_EQ(view.undoText, Ansi().ToWide(runmsg::UndoFileRefused(UndoDir() + cases[0].name, true)));
  // A file gone since the listing leaves the box empty.
  sim.files.Erase(UndoDir() + view.UndoListItem(0));
  view.selected = 0;
  form.OnUndoListClicked();
  EXPECT_EQ(view.undoText, u"");
}

TEST_F(UndoPageTest, UndoWithNothingTickedAppliesTheSelectedFile) {
  PutUndo(kA, u"REGEDIT4\r\n");
  PutUndo(kB, u"REGEDIT4\r\n");
  form.OpenUndoPage();
  view.selected = 1;

  dialogs.confirmation.presses = {2};
  form.OnUndoClicked();
  EXPECT_TRUE(view.undoList[1].ticked);  // the tick stays after No
  EXPECT_TRUE(sim.process.runs.empty());
  EXPECT_TRUE(dialogs.information.shown.empty());

  view.undoList[1].ticked = false;
  dialogs.confirmation.presses = {1};
  form.OnUndoClicked();
  EXPECT_EQ(dialogs.confirmation.shown.back(), "Are you sure to apply checked undo ?");
  EXPECT_EQ(RegeditArguments(), std::vector<std::string>{ImportOfCopy()});
  EXPECT_EQ(sim.process.runs[0].application, "C:\\WINDOWS\\regedit.exe");
  EXPECT_EQ(dialogs.information.shown, std::vector<std::string>{"1 undo applyed!"});
  EXPECT_FALSE(form.Engine().Running);
  EXPECT_EQ(view.UndoListCount(), 2);  // no refresh
}

TEST_F(UndoPageTest, NothingTickedAndNothingSelectedAsksNothingAndSaysSo) {
  struct Case {
    const char* button;
    void (MainForm::*handler)();
  };
  const Case cases[] = {{"Undo", &MainForm::OnUndoClicked}, {"Delete", &MainForm::OnDeleteClicked}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    for (const std::string& name : {kA, kB}) PutUndo(name, u"REGEDIT4\r\n");
    form.OpenUndoPage();
    view.selected = -1;  // a click on the list's blank area
    form.OnUndoListClicked();
    EXPECT_TRUE(view.undoText.empty());
    dialogs.confirmation.shown.clear();
    dialogs.information.shown.clear();
    dialogs.confirmation.presses = {1};
    (form.*c.handler)();
    EXPECT_TRUE(dialogs.confirmation.shown.empty());
    EXPECT_EQ(dialogs.information.shown,
              std::vector<std::string>{"Check or select an undo file first."});
    EXPECT_FALSE(view.undoList[0].ticked || view.undoList[1].ticked);
    EXPECT_TRUE(sim.process.runs.empty());
    EXPECT_TRUE(sim.files.Exists(UndoDir() + kA) && sim.files.Exists(UndoDir() + kB));
    EXPECT_FALSE(form.Engine().Running);
  }
}

TEST_F(UndoPageTest, UndoAppliesEveryTickedFileInListOrderAndRestoresTheRegistry) {
  PutUndo(kA,
          u"Windows Registry Editor Version 5.00\r\n\r\n"
          u"[HKEY_CURRENT_USER\\Software\\Restored]\r\n\"v\"=\"1\"\r\n\r\n");
  PutUndo(kB, u"REGEDIT4\r\n");
  PutUndo(kC, u"REGEDIT4\r\n");
  form.OpenUndoPage();
  view.undoList[0].ticked = true;
  view.undoList[2].ticked = true;
  dialogs.confirmation.presses = {1};
  bool runningDuringLoop = false;
  view.onPump = [&](int) { runningDuringLoop = form.Engine().Running; };
  form.OnUndoClicked();
  EXPECT_TRUE(runningDuringLoop);
  EXPECT_EQ(RegeditArguments(), (std::vector<std::string>{ImportOfCopy(), ImportOfCopy()}));
  EXPECT_EQ(dialogs.information.shown, std::vector<std::string>{"2 undo applyed!"});
  EXPECT_EQ(ReadStringUpper(RootKey::CurrentUser, "Software\\Restored", "v"), "1");
}

TEST_F(UndoPageTest, WhatIsImportedIsWhatWasShown) {
  PutUndo(kA,
          u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Shown]\r\n");
  form.OpenUndoPage();
  // Another program changes the file after it was shown.
  PutUndo(kA,
          u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Swap]\r\n");
  dialogs.confirmation.presses = {1};
  form.OnUndoClicked();
  EXPECT_TRUE(sim.registry.HasKey(RootKey::CurrentUser, "Software\\Shown"));
  EXPECT_FALSE(sim.registry.HasKey(RootKey::LocalMachine, "Software\\Swap"));
  EXPECT_FALSE(sim.files.Exists(UndoDir() + "Undo import.tmp"));
}

// A run stopped in the middle of an append left a byte list cut short: the value it belongs to
// was never removed, and the import must not set it shortened.
TEST_F(UndoPageTest, AnUndoFileEndingInPartOfALineImportsItsWholeLines) {
  PutValue(RootKey::CurrentUser, "Software\\Kept", "b", regtype::kBinary, Bytes(30, 0xAB));
  const std::string kept = sim.registry.Dump(RootKey::CurrentUser, "Software\\Kept");
  const std::u16string whole =
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Restored]\r\n\"v\"=\"1\"\r\n\r\n";
  const std::u16string torn =
      u"[HKEY_CURRENT_USER\\Software\\Kept]\r\n\"b\"=hex:ab,ab,\\\r\n  ab,a";
  PutUndo(kA, whole + torn);
  form.OpenUndoPage();
  dialogs.confirmation.presses = {1};
  form.OnUndoClicked();
  EXPECT_EQ(ReadStringUpper(RootKey::CurrentUser, "Software\\Restored", "v"), "1");
  EXPECT_EQ(sim.registry.Dump(RootKey::CurrentUser, "Software\\Kept"), kept);
  ASSERT_EQ(dialogs.information.shown.size(), 1u);
  EXPECT_NE(dialogs.information.shown[0].find(runmsg::UndoFileTorn(UndoDir() + kA)),
            std::string::npos);
}

TEST_F(UndoPageTest, DeleteRemovesTickedFilesRefreshesAndReports) {
  for (const std::string& name : {kA, kB, kC}) PutUndo(name, u"REGEDIT4\r\n");
  form.OpenUndoPage();
  view.undoList[0].ticked = true;
  view.undoList[2].ticked = true;
  dialogs.confirmation.presses = {1, 1};
  form.OnDeleteClicked();
  EXPECT_EQ(dialogs.confirmation.shown.back(), "Are you sure to delete checked undo?");
  EXPECT_EQ(view.Names(), std::vector<std::string>{kB});
  EXPECT_EQ(dialogs.information.shown, std::vector<std::string>{"2 undo-files deleted!"});
  EXPECT_TRUE(view.enabled[Ctl::UndoButton]);

  form.OnDeleteClicked();  // nothing ticked: the selected one
  EXPECT_EQ(view.UndoListCount(), 0);
  EXPECT_FALSE(view.enabled[Ctl::UndoButton]);
  EXPECT_FALSE(view.enabled[Ctl::DeleteButton]);
  EXPECT_EQ(dialogs.information.shown.back(), "1 undo-files deleted!");
  // Only the exclusions file, written at start, is left.
  EXPECT_EQ(sim.files.List(UndoDir()), std::vector<std::string>{UndoDir() + kExclusionsFileName});
}

TEST_F(UndoPageTest, AFileThatCannotBeDeletedIsNamedAndStaysListed) {
  for (const std::string& name : {kA, kB}) PutUndo(name, u"REGEDIT4\r\n");
  sim.files.failWhen = [](const SimFileCall& call) -> long {
    return call.call == "RemoveFile" && call.path.find(kA) != std::string::npos
               ? status::kAccessDenied
               : status::kSuccess;
  };
  form.OpenUndoPage();
  form.OnSelectAllClicked();
  dialogs.confirmation.presses = {1};
  form.OnDeleteClicked();
  EXPECT_EQ(view.Names(), std::vector<std::string>{kA});
  EXPECT_EQ(dialogs.information.shown,
            std::vector<std::string>{"2 undo-files deleted!\n\n1 item was not deleted:\n" + kA +
                                     "\nThey may be open in another program, read-only, or the "
                                     "user may lack the right to."});
}

TEST_F(UndoPageTest, DeleteAnsweredNoKeepsEveryFile) {
  for (const std::string& name : {kA, kB}) PutUndo(name, u"REGEDIT4\r\n");
  form.OpenUndoPage();
  form.OnSelectAllClicked();
  dialogs.confirmation.presses = {2};
  form.OnDeleteClicked();
  EXPECT_EQ(sim.files.List(UndoDir()).size(), 3u);  // with the exclusions file
  EXPECT_TRUE(dialogs.information.shown.empty());
}

TEST_F(UndoPageTest, SelectAllAndDeselectAllTickAndUntickEveryEntry) {
  for (const std::string& name : {kA, kB}) PutUndo(name, u"REGEDIT4\r\n");
  form.OpenUndoPage();
  form.OnSelectAllClicked();
  EXPECT_TRUE(view.undoList[0].ticked && view.undoList[1].ticked);
  form.OnDeselectAllClicked();
  EXPECT_FALSE(view.undoList[0].ticked || view.undoList[1].ticked);
}

TEST_F(UndoPageTest, WhileRunningOnlyOpenFolderActs) {
  for (const std::string& name : {kA, kB}) PutUndo(name, u"REGEDIT4\r\n");
  form.OpenUndoPage();
  dialogs.confirmation.presses = {1};
  // During the Undo loop the user clicks around.
  view.onPump = [&](int) {
    if (!form.Engine().Running) return;
    form.OnSelectAllClicked();
    view.selected = 1;
    view.undoText = u"kept";
    form.OnUndoListClicked();
    form.OnDeleteClicked();
    form.OnUndoBackClicked();
    form.OnOpenFolderClicked();
  };
  form.OnUndoClicked();
  EXPECT_EQ(RegeditArguments().size(), 1u);          // only the selected kA was ticked
  EXPECT_FALSE(view.undoList[1].ticked);             // Select all refused
  EXPECT_EQ(view.undoText, u"kept");                 // the click refused
  EXPECT_EQ(dialogs.confirmation.shown.size(), 1u);  // Delete refused
  EXPECT_EQ(view.front, Page::Undo);                 // Back refused
  ASSERT_EQ(sim.shell.opened.size(), 2u);            // Open folder works
  EXPECT_EQ(sim.shell.opened[0].target, UndoDir());

  form.OnUndoBackClicked();
  EXPECT_EQ(view.front, Page::Start);
}
}  // namespace

namespace {
// An elevated page lists the user's own undo files as such and shows them, but imports only
// those of its protected folder: the user's may have been planted or edited by any program.
TEST_F(UndoPageTest, AnElevatedPageImportsNothingFromTheUsersFolder) {
  const std::string planted =
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n\"x\"=\"y\"\r\n";
  sim.files.PutFileBytes(UserUndoDir() + kA,
                         Utf16File(u"REGEDIT4\r\n\r\n" + Ansi().ToWide(planted)));
  sim.process.elevated = true;
  sim.files.PutFolder("C:\\ProgramData");
  InitPaths();
  PutUndo(kB,
          u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Mine]\r\n");
  form.OpenUndoPage();
  EXPECT_EQ(view.Names(), (std::vector<std::string>{kB, kA + " (your own folder, not imported)"}));
  view.selected = 1;
  form.OnUndoListClicked();
  EXPECT_NE(view.undoText.find(u"CurrentVersion\\Run"), std::u16string::npos);
  form.OnSelectAllClicked();
  dialogs.confirmation.presses = {1};
  form.OnUndoClicked();
  EXPECT_TRUE(sim.registry.HasKey(RootKey::CurrentUser, "Software\\Mine"));
  EXPECT_FALSE(sim.registry.HasKey(RootKey::LocalMachine,
                                   "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"));
  ASSERT_EQ(dialogs.information.shown.size(), 1u);
  const std::string& message = dialogs.information.shown[0];
  EXPECT_TRUE(message.starts_with("1 undo applyed!")) << message;
  EXPECT_NE(message.find(UserUndoDir() + kA + "\" lies in your own folder"), std::string::npos);
  EXPECT_NE(message.find("open it with the registry editor"), std::string::npos);
  // Once another account owns the user's folder, nothing of it is listed.
  sim.files.SetOwner(UserUndoDir(), SimOwner::OtherUser);
  InitPaths();
  form.OpenUndoPage();
  EXPECT_EQ(view.Names(), std::vector<std::string>{kB});
}
}  // namespace
