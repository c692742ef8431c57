// A run asks the file system about each file its entries name once, however many entries name
// it; outside a run's checks every question goes to the file system.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "engine/FileFacts.h"
#include "platform/RegistryOps.h"
#include "unit/EngineTest.h"

namespace {

class FileFactsTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    sim.files.onQuestion = [this](const SimFileCall& call) {
      ++asked[call.call + " " + UpperAscii(call.path)];
    };
  }
  void TearDown() override {
    sim.files.onQuestion = nullptr;
    EngineTest::TearDown();
  }

  // Each question by its call and path, with how often it was asked.
  std::map<std::string, int> asked;
};

TEST_F(FileFactsTest, ARunAsksOnceAboutAFileThatManyClassesName) {
  PutFile("C:\\Program Files\\Shared\\shared.dll");
  for (char n : {'1', '2', '3', '4', '5'}) {
    PutString(RootKey::ClassesRoot, std::string("CLSID\\{C0000") + n + "}\\InprocServer32", "",
              "C:\\Program Files\\Shared\\shared.dll");
  }
  for (char n : {'6', '7', '8'}) {
    PutString(RootKey::ClassesRoot, std::string("CLSID\\{C0000") + n + "}\\InprocServer32", "",
              "C:\\Gone\\gone.dll");
  }
  engine.OnCleanClicked();

  EXPECT_EQ(engine.CategoryCount(kComActiveX), 3);
  EXPECT_EQ(asked["Attributes C:\\PROGRAM FILES\\SHARED\\SHARED.DLL"], 1);
  EXPECT_EQ(asked["Attributes C:\\GONE\\GONE.DLL"], 1);
  // The gone file's drive was asked about once, for every look at it.
  EXPECT_EQ(asked["DriveOf C:\\GONE\\GONE.DLL"], 1);
}

TEST_F(FileFactsTest, AFactIsKeptOnlyWhileAFileFactsKeptLives) {
  const std::string file = "C:\\Later\\later.dll";
  for (bool kept : {false, true}) {
    SCOPED_TRACE(kept ? "kept" : "not kept");
    sim.files.RemoveFile(file);
    {
      std::optional<FileFactsKept> facts;
      if (kept) facts.emplace();
      EXPECT_FALSE(NamedFileExists(file));
      PutFile(file);
      // A kept answer is not asked for again.
      EXPECT_EQ(NamedFileExists(file), !kept);
      EXPECT_FALSE(NamedFolderExists(file));
    }
    EXPECT_TRUE(NamedFileExists(file));
  }
}

}  // namespace
