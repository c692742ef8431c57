#include <gtest/gtest.h>

#include "unit/EngineTest.h"

namespace {

class SystemFileIndexTest : public EngineTest {
 protected:
  const std::string win = "C:\\Idx\\Win\\";
  const std::string prog = "C:\\Idx\\Prog\\";

  void StageTrees() {
    PutFile(win + "Notepad.exe");
    PutFile(win + "zeta.dll");
    PutFile(win + "system32\\MSHTML.dll");
    PutFile(win + "system32\\drivers\\x.sys");
    sim.files.PutFile(win + "hidden.dll", {},
                      fileattr::kHidden | fileattr::kSystem | fileattr::kReadOnly);
    PutFolder(win + "empty");
    PutFile(prog + "App\\notepad.EXE");
    PutFile(prog + "App\\msvbvm60.dll");
  }

  void Scan() {
    engine.ScanSystemFolder(win);
    engine.ScanSystemFolder(prog);
  }
};

TEST_F(SystemFileIndexTest, ListsEveryFileDepthFirstUnderTheFolderAsPassed) {
  StageTrees();
  Scan();
  const TextList expected = {
      "HIDDEN.DLL=C:\\Idx\\Win\\",
      "NOTEPAD.EXE=C:\\Idx\\Win\\",
      // system32's subfolder drivers comes before its file MSHTML.dll.
      "X.SYS=C:\\Idx\\Win\\system32\\drivers\\",
      "MSHTML.DLL=C:\\Idx\\Win\\system32\\",
      "ZETA.DLL=C:\\Idx\\Win\\",
      "MSVBVM60.DLL=C:\\Idx\\Prog\\App\\",
      "NOTEPAD.EXE=C:\\Idx\\Prog\\App\\",
  };
  EXPECT_EQ(engine.SystemFileIndex.Lines(), expected);
}

TEST_F(SystemFileIndexTest, JunctionsAreNotEnteredSoALoopEnds) {
  StageTrees();
  Scan();
  const TextList withoutLinks = engine.SystemFileIndex.Lines();
  sim.files.PutFolderLink(win + "system32\\Loop", win);
  sim.files.PutFolderLink(prog + "Elsewhere", "C:\\WINDOWS");
  engine.SystemFileIndex.Clear();
  Scan();
  EXPECT_EQ(engine.SystemFileIndex.Lines(), withoutLinks);
}

TEST_F(SystemFileIndexTest, LookupIgnoresCaseAndTakesTheFirstLine) {
  StageTrees();
  Scan();
  const SystemFileIndex& index = engine.SystemFileIndex;
  const int notepad = index.Find("notepad.Exe");
  ASSERT_EQ(notepad, 1);
  EXPECT_EQ(index.FolderOf(notepad), win);
  const int vb = index.Find("msvbvm60.DLL");
  ASSERT_GE(vb, 0);
  EXPECT_EQ(index.FolderOf(vb), prog + "App\\");
  EXPECT_EQ(index.Find("missing.dll"), -1);
  EXPECT_EQ(index.Find(""), -1);
}

TEST_F(SystemFileIndexTest, AccentedNamesCompareByTheCodePagesLetters) {
  PutFile(win + "\xE9t\xE9.dll");  // été.dll in Windows-1252
  Scan();
  EXPECT_EQ(engine.SystemFileIndex.Lines(), TextList{"\xC9T\xC9.DLL=C:\\Idx\\Win\\"});
  EXPECT_EQ(engine.SystemFileIndex.Find("\xC9t\xE9.DLL"), 0);
}

TEST_F(SystemFileIndexTest, ANameWithEqualsIsFoundOnlyByTheTextBeforeIt) {
  PutFile(win + "a=b.dll");
  Scan();
  EXPECT_EQ(engine.SystemFileIndex.Lines(), TextList{"A=B.DLL=C:\\Idx\\Win\\"});
  EXPECT_EQ(engine.SystemFileIndex.Find("a=b.dll"), -1);
  EXPECT_EQ(engine.SystemFileIndex.Find("A"), 0);
}

TEST_F(SystemFileIndexTest, MissingOrEmptyFoldersAddNothing) {
  PutFolder(win);
  Scan();
  EXPECT_TRUE(engine.SystemFileIndex.Lines().empty());
}

TEST_F(SystemFileIndexTest, ClearEmptiesLinesAndLookups) {
  StageTrees();
  Scan();
  engine.SystemFileIndex.Clear();
  EXPECT_EQ(engine.SystemFileIndex.Count(), 0u);
  EXPECT_EQ(engine.SystemFileIndex.Find("notepad.exe"), -1);
}

}  // namespace
