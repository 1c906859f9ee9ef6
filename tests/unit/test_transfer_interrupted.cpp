// Work cut short, by Exit or by a crash: nothing is marked, confirmed or shown
// afterwards, and what a cut download left behind goes at the next pass.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer_rig.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

const std::string kPending = "/pending/author7";
const std::string kLocal = "C:\\dravos\\download\\";
const std::string kTemporary = "C:\\dravos\\Tarnwick.download";

struct InterruptedTest : ::testing::Test {
  TransferRig rig;
  void Download(const std::vector<std::string>& names) {
    PollCycle& cycle = rig.Cycle();
    std::vector<DownloadEntry> entries;
    for (const std::string& name : names) entries.push_back(DownloadEntry{name, "id"});
    cycle.DownloadFiles(kPending, entries);
  }
  std::string Content(const std::string& path) {
    const FakeFileSystem::Entry* entry = rig.files.Find(path);
    return entry == nullptr ? "<none>" : entry->content;
  }
};

TEST_F(InterruptedTest, LeftoverTemporaryFilesGoAtTheNextPassAndListedFilesOfThatNameStay) {
  rig.files.AddFile(kTemporary, "half of an earlier download");
  rig.files.AddFile(kTemporary + "~", "half of another");
  rig.files.AddFile(kLocal + "Tarnwick.download", "a listed file of that name");
  Download({});
  EXPECT_EQ(Content(kTemporary), "<none>");
  EXPECT_EQ(Content(kTemporary + "~"), "<none>");
  EXPECT_EQ(Content(kLocal + "Tarnwick.download"), "a listed file of that name");
  EXPECT_EQ(rig.journal.entries,
            (std::vector<std::string>{"S:Starting Download Process", "F:An unfinished download was removed.",
                                      "F:An unfinished download was removed.", "S:Tarnwick - Idle"}));
}

TEST_F(InterruptedTest, ExitDuringAGetKeepsTheOldFileRemovesTheTemporaryOneAndConfirmsNothing) {
  rig.internet.ftp.AddFile(kPending + "/a.wav", "AAAA");
  rig.internet.ftp.AddFile(kPending + "/c.rtf", "CCCC");
  rig.files.AddFile(kLocal + "a.wav", "previous");
  // Exit closes the connection under the transfer, which then fails.
  rig.internet.ftp.cutAfter[kPending + "/a.wav"] = 2;
  rig.host.stopOnOutput = "W:1 of 2 Downloading a.wav";
  Download({"a.wav", "c.rtf"});
  EXPECT_EQ(Content(kLocal + "a.wav"), "previous");
  EXPECT_EQ(Content(kTemporary), "<none>");
  EXPECT_EQ(Content(kLocal + "c.rtf"), "<none>");
  EXPECT_EQ(rig.internet.RequestedUrls(), std::vector<std::string>{});
}

TEST_F(InterruptedTest, AfterExitTheCycleRaisesNoMessageBoxAndMarksNothing) {
  // The put went through just before Exit; the report then cannot be made, and its
  // "No Network Access." would open while the program ends.
  rig.files.AddFile("C:\\Dictation\\a.wav", "AAAA");
  rig.host.stopOnOutput = "T:a.wav";
  rig.Cycle().UploadFiles({DueFileAt("C:\\Dictation\\a.wav")});
  for (const std::string& entry : rig.journal.entries) EXPECT_NE(entry.substr(0, 2), "M:");
  EXPECT_EQ(rig.files.Find("C:\\Dictation\\a.wav")->attributes & kAttrReadOnly, 0u);
  EXPECT_FALSE(rig.files.Exists("C:\\Dictation\\tessaro\\a.wav"));
}

}  // namespace
}  // namespace tarnwick
