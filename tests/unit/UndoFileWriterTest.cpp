// The undo file's writer over the simulated platform: a journal larger than one piece goes to disk
// in pieces of whole lines, and a piece the disk refuses leaves the pieces before it.
#include <gtest/gtest.h>

#include "platform/TextFile.h"
#include "support/SimFixture.h"
#include "undo/UndoFileWriter.h"

namespace {

class UndoFileWriterTest : public SimTest {};

TEST_F(UndoFileWriterTest, ALargeJournalGoesInPiecesOfWholeLines) {
  WideList journal = {u"Windows Registry Editor Version 5.00", u""};
  for (int i = 0; i < 60000; ++i)
    journal.push_back(u"\"value" + Ansi().ToWide(std::to_string(i)) +
                      u"\"=\"C:\\\\Gone\\\\file.txt\"");
  const std::string path = "C:\\u.reg";
  for (const bool diskFull : {false, true}) {
    SCOPED_TRACE(diskFull);
    sim.files.Erase(path);
    int appends = 0;
    sim.files.failWhen = [&](const SimFileCall& call) {
      if (call.call != "Append") return 0L;
      return ++appends == 2 && diskFull ? status::kDiskFull : 0L;
    };
    UndoFileWriter writer;
    EXPECT_EQ(writer.Write(path, journal), diskFull ? status::kDiskFull : status::kSuccess);
    const size_t lines = writer.LinesOnDisk();
    writer.Close();
    EXPECT_EQ(lines == journal.size(), !diskFull);
    Bytes data;
    ASSERT_TRUE(sim.files.ReadAll(path, data));
    EXPECT_EQ(data, Utf16LeFile(WideList(journal.begin(), journal.begin() + lines)));
    EXPECT_GT(appends, 1);
  }
}

}  // namespace
