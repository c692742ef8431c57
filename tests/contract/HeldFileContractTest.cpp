// Files held by handle behave alike on the simulated platform and under Wine: what a holder
// shares, what a second name shows, what a deletion through the handle does.
#include <gtest/gtest.h>

#include <string>

#include "platform/HeldFiles.h"
#include "platform/Platform.h"
#include "support/ContractBackend.h"

namespace {

class HeldFileContract : public ::testing::Test {
 protected:
  void SetUp() override {
    ContractBegin();
    for (const char* name : {"held.reg", "other.reg", "link.reg", "new.reg"}) {
      Files().RemoveFile(folder + "\\" + name);
    }
    ASSERT_TRUE(Files().MakeFolders(folder));
  }
  void TearDown() override { ContractEnd(); }
  std::string Path(const char* name) const { return folder + "\\" + name; }

  const std::string folder = "C:\\klarvex\\tmp\\held";
  const Bytes data{'R', 'E', 'G', '\r', '\n'};
};

TEST_F(HeldFileContract, AHeldFileMayBeReadButNotWrittenOrRemoved) {
  long status = 0;
  std::unique_ptr<HeldFile> held = WriteNewAndHold(Path("held.reg"), data, status);
  ASSERT_TRUE(held) << status;
  EXPECT_FALSE(WriteNewAndHold(Path("held.reg"), data, status));
  EXPECT_EQ(status, status::kFileExists);
  Bytes read;
  EXPECT_TRUE(Files().ReadAll(Path("held.reg"), read));
  EXPECT_EQ(read, data);
  EXPECT_EQ(Files().WriteAll(Path("held.reg"), Bytes{'x'}), status::kSharingViolation);
  EXPECT_FALSE(Files().RemoveFile(Path("held.reg")));
  EXPECT_EQ(held->Read(read, 2), status::kFileTooLarge);
  EXPECT_TRUE(LiesIn(held->Facts(), folder + "\\"));
  EXPECT_FALSE(LiesIn(held->Facts(), "C:\\klarvex\\"));
  held.reset();
  EXPECT_EQ(Files().WriteAll(Path("held.reg"), Bytes{'x'}), status::kSuccess);
  EXPECT_TRUE(RemoveOwnFile(Path("held.reg")));
  EXPECT_EQ(Files().Attributes(Path("held.reg")), fileattr::kInvalid);
}

TEST_F(HeldFileContract, AnAppendGoesAtTheEndOfTheHeldFile) {
  long status = 0;
  std::unique_ptr<HeldFile> held = Files().Hold(Path("new.reg"), HoldMode::CreateNew, status);
  ASSERT_TRUE(held) << status;
  ASSERT_EQ(held->Replace(data), status::kSuccess);
  ASSERT_EQ(held->Append(Bytes{'A', '\r', '\n'}), status::kSuccess);
  ASSERT_EQ(held->Append(Bytes{'B'}), status::kSuccess);
  Bytes read;
  EXPECT_EQ(held->Read(read, 100), status::kSuccess);
  EXPECT_EQ(read, (Bytes{'R', 'E', 'G', '\r', '\n', 'A', '\r', '\n', 'B'}));
  EXPECT_EQ(Files().WriteAll(Path("new.reg"), Bytes{'x'}), status::kSharingViolation);
}

TEST_F(HeldFileContract, ASecondNameIsNoPlainFileAndIsNotWrittenThrough) {
  ASSERT_EQ(Files().WriteAll(Path("other.reg"), data), status::kSuccess);
  ContractHardLink(Path("link.reg"), Path("other.reg"));
  long status = 0;
  std::unique_ptr<HeldFile> held = Files().Hold(Path("link.reg"), HoldMode::Read, status);
  ASSERT_TRUE(held) << status;
  EXPECT_EQ(held->Facts().links, 2u);
  held.reset();
  EXPECT_FALSE(HoldPlainFile(Path("link.reg"), HoldMode::ReadToDelete, status));
  EXPECT_EQ(WriteOwnFile(Path("link.reg"), Bytes{'x'}), status::kAccessDenied);
  Bytes read;
  EXPECT_EQ(ReadOwnFile(Path("other.reg"), read), status::kAccessDenied);
  ASSERT_TRUE(Files().ReadAll(Path("other.reg"), read));
  EXPECT_EQ(read, data);
  // Removing one name leaves the other, a plain file again.
  EXPECT_TRUE(RemoveOwnFile(Path("link.reg")));
  EXPECT_EQ(ReadOwnFile(Path("other.reg"), read), status::kSuccess);
  EXPECT_EQ(WriteOwnFile(Path("new.reg"), data), status::kSuccess);
  EXPECT_EQ(WriteOwnFile(Path("new.reg"), Bytes{'y'}), status::kSuccess);
  EXPECT_EQ(ReadOwnFile(Path("new.reg"), read), status::kSuccess);
  EXPECT_EQ(read, Bytes{'y'});
}

}  // namespace
