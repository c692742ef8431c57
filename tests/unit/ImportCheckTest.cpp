// Reading an import back: which removals, rewrites and restores did not reach the registry, and
// what the clean run and the undo page then tell the user.
#include <gtest/gtest.h>

#include "support/FormTest.h"
#include "undo/ImportCheck.h"
#include "unit/EngineTest.h"

namespace {

constexpr RootKey kCU = RootKey::CurrentUser;
constexpr RootKey kLM = RootKey::LocalMachine;
const std::string kList = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

ParsedScript Script(const std::u16string& body) {
  return ParseScript(u"REGEDIT4\r\n\r\n" + body, ScriptEncoding::Ansi);
}

using ImportCheckTest = EngineTest;

TEST_F(ImportCheckTest, NamesEveryItemWhoseEffectIsMissing) {
  const std::u16string script =
      u"[-HKEY_CURRENT_USER\\Software\\Gone]\r\n\r\n"
      u"[-HKEY_CURRENT_USER\\Software\\Stays]\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Run]\r\n\"old\"=-\r\n\"kept\"=-\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Srv]\r\n@=\"new\"\r\n\"n\"=dword:00000001\r\n"
      u"\"bin\"=hex:01,02\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\Missing]\r\n\r\n";
  // The registry after an import that did only part of its work.
  PutString(kCU, "Software\\Stays", "x", "1");
  PutString(kCU, "Software\\Run", "kept", "C:\\x.exe");
  PutString(kCU, "Software\\Srv", "", "new");
  PutString(kCU, "Software\\Srv", "n", "1");  // right name, wrong type
  PutValue(kCU, "Software\\Srv", "bin", regtype::kBinary, {1, 3});
  EXPECT_EQ(ItemsNotInEffect(Script(script)),
            (TextList{"HKEY_CURRENT_USER\\Software\\Stays",
                      "HKEY_CURRENT_USER\\Software\\Run, value \"kept\"",
                      "HKEY_CURRENT_USER\\Software\\Srv, value \"n\"",
                      "HKEY_CURRENT_USER\\Software\\Srv, value \"bin\"",
                      "HKEY_CURRENT_USER\\Software\\Missing"}));

  // Once everything took effect, nothing is named.
  ApplyScript(Script(script));
  EXPECT_EQ(ItemsNotInEffect(Script(script)), TextList{});
}

TEST_F(ImportCheckTest, LaterLinesWinAndAKeyThatCannotBeReadIsNotGone) {
  // A deleted tree written again, a value set and then deleted, a value deleted and set again.
  const ParsedScript script = Script(
      u"[-HKEY_CURRENT_USER\\Software\\A]\r\n\r\n[HKEY_CURRENT_USER\\Software\\A\\B]\r\n"
      u"\"v\"=\"1\"\r\n\"v\"=-\r\n\"w\"=-\r\n\"w\"=\"2\"\r\n\r\n");
  PutString(kCU, "Software\\A\\B", "w", "2");
  EXPECT_EQ(ItemsNotInEffect(script), TextList{});

  sim.registry.failWhen = [](const SimRegCall& call) -> long {
    return call.call == "Open" && call.key.ends_with("\\Locked") ? status::kAccessDenied
                                                                 : status::kSuccess;
  };
  PutKey(kCU, "Software\\Locked");
  EXPECT_EQ(ItemsNotInEffect(Script(u"[-HKEY_CURRENT_USER\\Software\\Locked]\r\n")),
            TextList{"HKEY_CURRENT_USER\\Software\\Locked"});
}

TEST_F(ImportCheckTest, AFileTheEditorCannotReadHasAllItsItemsMissing) {
  // A 5.00 script in UTF-8 with a byte-order mark: the editor imports nothing from it.
  PutFile(UndoDir() + "utf8.reg",
          "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n"
          "[HKEY_CURRENT_USER\\Software\\U8]\r\n\"v\"=\"1\"\r\n");
  RunRegedit(" /s \"" + UndoDir() + "utf8.reg\"");
  EXPECT_EQ(ItemsNotInEffectOfFile(UndoDir() + "utf8.reg"),
            (TextList{"HKEY_CURRENT_USER\\Software\\U8",
                      "HKEY_CURRENT_USER\\Software\\U8, value \"v\""}));
  EXPECT_EQ(ItemsNotInEffectOfFile(UndoDir() + "none.reg"), TextList{});
}

TEST_F(ImportCheckTest, ARunNamesWhatTheImportLeftAndKeepsItsCounts) {
  for (int i = 1; i <= 8; ++i) {
    PutString(kLM, kList + "U" + std::to_string(i), "DisplayName", "App");
  }
  // The user may not change these entries: the editor's deletions fail.
  for (int i : {2, 3, 4, 5, 6, 7})
    sim.registry.FailWritesBelow(kLM, kList + "U" + std::to_string(i));
  engine.OnCleanClicked();

  EXPECT_EQ(engine.CategoryCount(kUninstall), 8);
  EXPECT_EQ(engine.CategoryLog(kUninstall).size(), 11u);
  EXPECT_EQ(host.progressLabels.back(), "Summary:  8 items fixed.");
  const std::string key = "HKEY_LOCAL_MACHINE\\" + kList;
  EXPECT_EQ(host.informations,
            std::vector<std::string>{
                "6 items were not removed from the registry:\n" + key + "U2\n" + key + "U3\n" +
                key + "U4\n" + key + "U5\n" + key +
                "U6\nand 1 more.\n"
                "The registry editor could not change them; the user may lack the right to."});
  EXPECT_FALSE(sim.registry.HasKey(kLM, kList + "U1"));
  EXPECT_TRUE(sim.registry.HasKey(kLM, kList + "U7"));
}

using UndoVerifyTest = FormTest;

TEST_F(UndoVerifyTest, UndoNamesWhatDidNotComeBack) {
  form.CreateForm();
  sim.files.PutFileBytes(UndoDir() + "Undo 26-12-07-01.reg",
                         Bytes{'R', 'E', 'G', 'E', 'D', 'I', 'T', '4', '\r', '\n', '\r', '\n'});
  PutFile(UndoDir() + "Undo 26-12-07-02.reg",
          "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Back]\r\n\"v\"=\"1\"\r\n\r\n"
          "[HKEY_CURRENT_USER\\Software\\Locked\\Sub]\r\n\"w\"=dword:00000002\r\n\r\n");
  PutKey(kCU, "Software\\Locked");
  sim.registry.FailWritesBelow(kCU, "Software\\Locked");
  form.OpenUndoPage();
  form.OnSelectAllClicked();
  dialogs.confirmation.presses = {1};
  form.OnUndoClicked();

  EXPECT_EQ(sim.registry.GetValue(kCU, "Software\\Back", "v")->data, (Bytes{'1', 0}));
  EXPECT_EQ(dialogs.information.shown,
            std::vector<std::string>{
                "2 undo applyed!\n\n2 items were not restored:\n"
                "HKEY_CURRENT_USER\\Software\\Locked\\Sub\n"
                "HKEY_CURRENT_USER\\Software\\Locked\\Sub, value \"w\"\n"
                "The registry editor could not write them; the user may lack the right to."});
}

}  // namespace
