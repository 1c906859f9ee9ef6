#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "transfer_rig.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

const std::string kUploads = "/tessaro.example/dravouploads/";
const std::string kFail = ".. Upload Fail, will attempt later.";

struct UploadTest : ::testing::Test {
  TransferRig rig;
  UploadTest() {
    rig.files.AddDirectory("C:\\Dictation");
    rig.files.AddFile("C:\\Dictation\\a.wav", "AAAA");
    rig.files.AddFile("C:\\Dictation\\b.wav", "BBBB");
    rig.files.AddFile("C:\\Dictation\\c.dss", "CCCC");
    rig.media.lengths["C:\\Dictation\\a.wav"] = 12400;
    rig.media.lengths["C:\\Dictation\\b.wav"] = 2500;
    rig.config.m_strDir[1] = "C:\\Dictation\\";
    rig.config.m_strExt[1] = "*";
  }
  void Upload(std::vector<std::string> paths) {
    rig.Cycle().m_arrFiles = paths;
    rig.Cycle().m_nFileCount = static_cast<int>(paths.size());
    rig.Cycle().UploadFiles();
  }
  std::uint32_t Attributes(const std::string& path) { return rig.files.Find(path)->attributes; }
  bool Put(const std::string& remoteName) {
    const auto& ops = rig.internet.ftp.operations;
    return std::find(ops.begin(), ops.end(), "put " + kUploads + remoteName) != ops.end();
  }
};

TEST_F(UploadTest, ThreeFilesWhereTheSecondPutFails) {
  rig.ReportAccepted("author7_a.wav", "12");
  rig.internet.ftp.cutAfter[kUploads + "author7_b.wav"] = 2;
  Upload({"C:\\Dictation\\a.wav", "C:\\Dictation\\b.wav", "C:\\Dictation\\c.dss"});

  EXPECT_EQ(rig.journal.entries, (std::vector<std::string>{"F:UPLOADing 3 files"} + TransferRig::Connected() +
                                  std::vector<std::string>{"W:1 of 3 Uploading a.wav", "T:a.wav", "W:.. Done.\r\n"} +
                                  TransferRig::Connected() +
                                  std::vector<std::string>{"W:2 of 3 Uploading b.wav", "W:" + kFail + "\r\n",
                                                           "F:" + kFail + "\r\n", "S:" + kFail}));
  EXPECT_EQ(Attributes("C:\\Dictation\\a.wav"), kAttrReadOnly);
  EXPECT_EQ(rig.files.Find("C:\\Dictation\\tessaro\\a.wav")->content, "AAAA");
  EXPECT_EQ(Attributes("C:\\Dictation\\b.wav"), kAttrArchive);
  EXPECT_FALSE(Put("author7_c.dss"));
  EXPECT_EQ(rig.internet.RequestedUrls(),
            std::vector<std::string>{"http://tessaro.example/dravos/copywav.php?username=author7&file=author7_a.wav&length=12"});
  EXPECT_EQ(rig.internet.ftp.openConnections, 0);
  EXPECT_EQ(rig.internet.sessionEvents.back(), "closed");

  // The next cycle starts with the second file: the first is no longer due.
  rig.Cycle().ScanSourceDirs();
  EXPECT_EQ(rig.Cycle().m_arrFiles, (std::vector<std::string>{"C:\\Dictation\\b.wav", "C:\\Dictation\\c.dss"}));
}

TEST_F(UploadTest, AcceptedFileIsStoredReportedArchivedAndMarked) {
  rig.files.AddFile("C:\\Dictation\\a.wav", "AAAA", kAttrArchive | kAttrHidden);
  rig.files.AddDirectory("C:\\Dictation\\tessaro");
  rig.files.AddFile("C:\\Dictation\\tessaro\\a.wav", "older copy");
  rig.ReportAccepted("author7_a.wav", "12");
  Upload({"C:\\Dictation\\a.wav"});
  EXPECT_EQ(rig.internet.ftp.operations,
            (std::vector<std::string>{"login dravos@ftp.tessaro.example:21", "pwd", "cwd " + kUploads, "cwd " + kUploads,
                                      "put " + kUploads + "author7_a.wav", "close"}));
  EXPECT_EQ(rig.internet.ftp.files[kUploads + "author7_a.wav"], "AAAA");
  EXPECT_EQ(rig.files.Find("C:\\Dictation\\tessaro\\a.wav")->content, "AAAA");
  EXPECT_EQ(Attributes("C:\\Dictation\\a.wav"), kAttrReadOnly);  // hidden and archive cleared
  EXPECT_EQ(rig.host.icons, (std::vector<std::string>{"102", "101", "102", "102", "101", "toggle"}));
}

TEST_F(UploadTest, ReportNotAcceptedLeavesTheFileDueToBeSentAgain) {
  rig.internet.Answer(CopyReportUrl(rig.service, "author7", "author7_b.wav", "3"), "Username invalid");
  Upload({"C:\\Dictation\\b.wav"});
  Upload({"C:\\Dictation\\b.wav"});
  EXPECT_EQ(rig.internet.RequestedUrls().size(), 2u);
  EXPECT_EQ(rig.internet.RequestedUrls()[0], "http://tessaro.example/dravos/copywav.php?username=author7&file=author7_b.wav&length=3");
  EXPECT_EQ(Attributes("C:\\Dictation\\b.wav"), kAttrArchive);
  EXPECT_FALSE(rig.files.Exists("C:\\Dictation\\tessaro"));
  EXPECT_EQ(std::count(rig.journal.entries.begin(), rig.journal.entries.end(), "T:b.wav"), 2);
}

TEST_F(UploadTest, ReportThatCannotBeSentShowsItsBoxAndLeavesTheFileDue) {
  rig.internet.failOpen = true;
  Upload({"C:\\Dictation\\c.dss"});
  EXPECT_EQ(rig.JournalFrom("W:.. Done.\r\n"), (std::vector<std::string>{"W:.. Done.\r\n", "M:InternetOpen Failed"}));
  EXPECT_EQ(rig.media.measured, std::vector<std::string>{});  // not a wave recording: length 0 unmeasured
  rig.internet.failOpen = false;
  Upload({"C:\\Dictation\\c.dss"});  // no answer for the report URL
  EXPECT_EQ(rig.journal.entries.back(), "M:No Network Access.");
  EXPECT_EQ(Attributes("C:\\Dictation\\c.dss"), kAttrArchive);
}

TEST_F(UploadTest, ArchiveThatCannotBeMadeStillMarksTheFile) {
  rig.files.createFails.insert("C:\\DICTATION\\TESSARO");
  rig.ReportAccepted("author7_c.dss", "0");
  Upload({"C:\\Dictation\\c.dss"});
  EXPECT_FALSE(rig.files.Exists("C:\\Dictation\\tessaro\\c.dss"));
  EXPECT_EQ(Attributes("C:\\Dictation\\c.dss"), kAttrReadOnly);
}

TEST_F(UploadTest, EntriesWithoutAUsableBackslashAreSkippedAfterTheirConnection) {
  Upload({"C:a.wav", "\\a.wav"});
  EXPECT_EQ(rig.journal.entries,
            std::vector<std::string>{"F:UPLOADing 2 files"} + TransferRig::Connected() + TransferRig::Connected());
  EXPECT_EQ(rig.internet.ftp.operations,
            (std::vector<std::string>{"login dravos@ftp.tessaro.example:21", "pwd", "cwd " + kUploads, "close",
                                      "login dravos@ftp.tessaro.example:21", "pwd", "cwd " + kUploads, "close"}));
  EXPECT_EQ(std::count(rig.host.icons.begin(), rig.host.icons.end(), "toggle"), 2);
}

TEST_F(UploadTest, MissingUploadDirectoryPutsIntoTheLoginDirectory) {
  rig.internet.ftp.directories = {"/"};
  Upload({"C:\\Dictation\\c.dss"});
  EXPECT_EQ(rig.internet.ftp.files["/author7_c.dss"], "CCCC");
}

TEST_F(UploadTest, FileHeldOpenForWritingWaitsAndThePassGoesOn) {
  rig.files.lockedForWriting.insert("C:\\DICTATION\\B.WAV");
  Upload({"C:\\Dictation\\a.wav", "C:\\Dictation\\b.wav", "C:\\Dictation\\c.dss"});
  EXPECT_EQ(rig.JournalFrom("W:2 of 3 Uploading b.wav"),
            (std::vector<std::string>{"W:2 of 3 Uploading b.wav", "W:b.wav is in use, will attempt later.",
                                      "F:b.wav is in use, will attempt later."} +
             TransferRig::Connected() +
             std::vector<std::string>{"W:3 of 3 Uploading c.dss", "T:c.dss", "W:.. Done.\r\n", "M:No Network Access."}));
  EXPECT_FALSE(Put("author7_b.wav"));
  EXPECT_TRUE(Put("author7_c.dss"));
  EXPECT_EQ(Attributes("C:\\Dictation\\b.wav"), kAttrArchive);
}

TEST_F(UploadTest, ListedFileThatIsGoneFailsLikeAPut) {
  Upload({"C:\\RecRec1.wav", "C:\\Dictation\\a.wav"});
  EXPECT_EQ(rig.JournalFrom("W:1 of 2 Uploading RecRec1.wav"),
            (std::vector<std::string>{"W:1 of 2 Uploading RecRec1.wav", "W:" + kFail + "\r\n", "F:" + kFail + "\r\n",
                                      "S:" + kFail}));
  EXPECT_EQ(rig.internet.ftp.logins, 1);
}

TEST_F(UploadTest, LargeFileTravelsInPiecesOfOneMebibyte) {
  std::string content(2 * 1024 * 1024 + 512 * 1024, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7 % 251);
  rig.files.AddFile("C:\\Dictation\\big.dss", content);
  Upload({"C:\\Dictation\\big.dss"});
  EXPECT_EQ(rig.internet.ftp.writeSizes, (std::vector<std::size_t>{1048576, 1048576, 524288}));
  EXPECT_TRUE(rig.internet.ftp.files[kUploads + "author7_big.dss"] == content);
}

TEST_F(UploadTest, NoConnectionEndsThePassWithoutLogLines) {
  rig.internet.ftp.refuseLogins = 5;
  Upload({"C:\\Dictation\\a.wav", "C:\\Dictation\\b.wav"});
  EXPECT_EQ(rig.journal.entries.front(), "F:UPLOADing 2 files");
  EXPECT_EQ(rig.journal.entries.size(), 12u);  // five attempts with their failures, then the verdict
  EXPECT_EQ(rig.journal.entries.back(), "S:Failed to connect to server");
  EXPECT_EQ(rig.internet.ftp.logins, 5);
  EXPECT_EQ(rig.internet.sessionEvents.back(), "closed");
}

TEST_F(UploadTest, SessionThatCannotBeCreatedEndsThePassWithAStatusAndALogLine) {
  rig.internet.failSession = true;
  Upload({"C:\\Dictation\\a.wav"});
  const std::string text = "Internet session could not be opened, will attempt later.";
  EXPECT_EQ(rig.journal.entries, (std::vector<std::string>{"S:" + text, "F:" + text}));
  EXPECT_EQ(rig.internet.ftp.logins, 0);
}

TEST_F(UploadTest, EmptyListOpensNoConnection) {
  Upload({});
  EXPECT_TRUE(rig.journal.entries.empty());
  EXPECT_EQ(rig.internet.ftp.logins, 0);
}

TEST_F(UploadTest, ExitBetweenFilesStopsThePass) {
  rig.host.stopOnOutput = "W:.. Done.\r\n";
  Upload({"C:\\Dictation\\a.wav", "C:\\Dictation\\b.wav"});
  EXPECT_EQ(rig.internet.ftp.logins, 1);
  EXPECT_FALSE(Put("author7_b.wav"));
  EXPECT_EQ(rig.internet.sessionEvents.back(), "closed");
}

}  // namespace
}  // namespace tarnwick
