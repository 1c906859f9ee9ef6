#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "transfer/sent_record.h"
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
    rig.config.directories[1] = "C:\\Dictation\\";
    rig.config.extensions[1] = "*";
  }
  void Upload(const std::vector<std::string>& paths) { rig.Cycle().UploadFiles(DueFiles(paths)); }
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
  EXPECT_EQ(Paths(rig.Cycle().ScanSourceDirs()), (std::vector<std::string>{"C:\\Dictation\\b.wav", "C:\\Dictation\\c.dss"}));
}

TEST_F(UploadTest, AcceptedFileIsStoredReportedArchivedAndMarked) {
  rig.files.AddFile("C:\\Dictation\\a.wav", "AAAA", kAttrArchive | kAttrHidden);
  rig.ReportAccepted("author7_a.wav", "12");
  Upload({"C:\\Dictation\\a.wav"});
  EXPECT_EQ(rig.internet.ftp.operations,
            (std::vector<std::string>{"login dravos@ftp.tessaro.example:21", "pwd", "cwd " + kUploads, "cwd " + kUploads,
                                      "put " + kUploads + "author7_a.wav", "size " + kUploads + "author7_a.wav", "close"}));
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

TEST_F(UploadTest, ArchiveCopyUnderAnotherNameOrNoneIsToldAndTheFileIsStillMarked) {
  const std::string told = "C:\\Dictation\\tessaro holds an older c.dss.";
  const std::string failed = "c.dss could not be copied to C:\\Dictation\\tessaro; the service has it.";
  const std::pair<const char*, std::function<void(FakeFileSystem&)>> cases[] = {
      {"older copy of that name", [](FakeFileSystem& files) {
         files.AddDirectory("C:\\Dictation\\tessaro");
         files.AddFile("C:\\Dictation\\tessaro\\c.dss", "older recording");
       }},
      {"archive folder cannot be made", [](FakeFileSystem& files) { files.createFails.insert("C:\\DICTATION\\TESSARO"); }},
      {"copy cannot be written", [](FakeFileSystem& files) {
         files.AddDirectory("C:\\Dictation\\tessaro");
         files.copyFails.insert("C:\\DICTATION\\TESSARO\\C.DSS");
       }},
  };
  const std::vector<std::vector<std::string>> said = {
      {"W:c.dss archived as c (2).dss: " + told, "F:c.dss archived as c (2).dss: " + told},
      {"W:" + failed, "F:" + failed},
      {"W:" + failed, "F:" + failed},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].first);
    TransferRig rig;
    rig.files.AddFile("C:\\Dictation\\c.dss", "CCCC");
    cases[i].second(rig.files);
    rig.ReportAccepted("author7_c.dss", "0");
    rig.Cycle().UploadFiles(DueFiles({"C:\\Dictation\\c.dss"}));
    EXPECT_EQ(rig.JournalFrom("W:.. Done.\r\n"), std::vector<std::string>{"W:.. Done.\r\n"} + said[i]);
    EXPECT_EQ(rig.files.Find("C:\\Dictation\\c.dss")->attributes, kAttrReadOnly);
  }
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

TEST_F(UploadTest, UploadDirectoryThatCannotBeEnteredFailsTheFileLikeAPut) {
  const std::string uploads = kUploads.substr(0, kUploads.size() - 1);
  const std::pair<const char*, std::function<void(FakeFtpServer&)>> cases[] = {
      {"missing", [](FakeFtpServer& ftp) { ftp.directories = {"/"}; }},
      {"denied", [&](FakeFtpServer& ftp) { ftp.deniedDirectories.insert(uploads); }},
  };
  for (const auto& [what, fault] : cases) {
    SCOPED_TRACE(what);
    TransferRig rig;
    rig.files.AddFile("C:\\Dictation\\a.wav", "AAAA");
    rig.files.AddFile("C:\\Dictation\\c.dss", "CCCC");
    rig.ReportAccepted("author7_a.wav", "0");
    rig.ReportAccepted("author7_c.dss", "0");
    fault(rig.internet.ftp);
    rig.Cycle().UploadFiles(DueFiles({"C:\\Dictation\\c.dss", "C:\\Dictation\\a.wav"}));
    EXPECT_EQ(rig.JournalFrom("W:1 of 2 Uploading c.dss"),
              (std::vector<std::string>{"W:1 of 2 Uploading c.dss", "W:" + kFail + "\r\n", "F:" + kFail + "\r\n",
                                        "S:" + kFail}));
    EXPECT_TRUE(rig.internet.ftp.files.empty());  // nothing stored anywhere, the login directory included
    EXPECT_TRUE(rig.internet.RequestedUrls().empty());
    EXPECT_EQ(rig.internet.ftp.logins, 1);  // the pass ended: a.wav waits too
    EXPECT_EQ(rig.files.Find("C:\\Dictation\\c.dss")->attributes, kAttrArchive);
    EXPECT_FALSE(rig.files.Exists("C:\\Dictation\\tessaro"));
  }
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
  EXPECT_EQ(rig.host.oncePerDayKeys, std::vector<std::string>{"in use|C:\\Dictation\\b.wav"});
}

TEST_F(UploadTest, ListedFileThatIsGoneFailsLikeAPut) {
  // A '?' is no wildcard here: a.wav beside it does not make the name "in use".
  for (const std::string name : {"C:\\RecRec1.wav", "C:\\Dictation\\?.wav"}) {
    rig.journal.entries.clear();
    rig.internet.ftp.logins = 0;
    Upload({name, "C:\\Dictation\\a.wav"});
    const std::string fileName = name.substr(name.rfind('\\') + 1);
    EXPECT_EQ(rig.JournalFrom("W:1 of 2 Uploading " + fileName),
              (std::vector<std::string>{"W:1 of 2 Uploading " + fileName, "W:" + kFail + "\r\n",
                                        "F:" + kFail + "\r\n", "S:" + kFail}));
    EXPECT_EQ(rig.internet.ftp.logins, 1);
  }
}

// C:\Dictation\a.wav, due, with a report the service accepts.
struct OneDueFile {
  TransferRig rig;
  OneDueFile() {
    rig.files.AddDirectory("C:\\Dictation");
    rig.files.AddFile("C:\\Dictation\\a.wav", "AAAA");
    rig.ReportAccepted("author7_a.wav", "0");
  }
};

TEST(UploadVerdict, PutCountsOnlyWhenTheServerHoldsEveryByteSent) {
  const std::string remote = kUploads + "author7_a.wav";
  const struct {
    const char* fault;
    bool held;
  } cases[] = {
      {"none", true},
      {"stores a cut file without a word", false},
      {"refuses in its final reply after the data", false},
      {"knows no SIZE", true},  // the transfer calls' own results stand
  };
  for (const auto& c : cases) {
    OneDueFile due;
    TransferRig& rig = due.rig;
    const std::string fault = c.fault;
    if (fault == "stores a cut file without a word") rig.internet.ftp.quietlyShortAfter[remote] = 3;
    if (fault == "refuses in its final reply after the data") rig.internet.ftp.refuseAfterData.insert(remote);
    if (fault == "knows no SIZE") rig.internet.ftp.sizeUnsupported = true;
    rig.Cycle().UploadFiles(DueFiles({"C:\\Dictation\\a.wav", "C:\\Dictation\\a.wav"}));

    EXPECT_EQ(rig.files.Find("C:\\Dictation\\a.wav")->attributes, c.held ? kAttrReadOnly : kAttrArchive) << fault;
    EXPECT_EQ(rig.internet.RequestedUrls().size(), c.held ? 2u : 0u) << fault;
    EXPECT_EQ(rig.journal.entries.back() == "S:" + kFail, !c.held) << fault;
    EXPECT_EQ(rig.internet.ftp.logins, c.held ? 2 : 1) << fault;  // a refused put ends the pass
    const auto& ops = rig.internet.ftp.operations;
    const auto put = std::find(ops.begin(), ops.end(), "put " + remote);
    // The size is asked right after the put, on the same connection.
    if (fault != "refuses in its final reply after the data") {
      ASSERT_NE(put, ops.end()) << fault;
      EXPECT_EQ(*(put + 1), "size " + remote) << fault;
    }
  }
}

TEST(UploadVerdict, FileChangedBetweenPutAndMarkStaysDueAndIsSentAgain) {
  const struct {
    const char* change;
    std::string content;
  } cases[] = {{"grows", "AAAA more"}, {"rewritten at the same size", "AAAA"}};
  for (const auto& c : cases) {
    OneDueFile due;
    TransferRig& rig = due.rig;
    const std::string change = c.change;
    rig.host.onOutput = [&](const std::string& entry) {
      if (entry != "W:.. Done.\r\n") return;
      if (change == "grows") rig.files.AppendToFile("C:\\Dictation\\a.wav", " more");
      else ++rig.files.entries["C:\\DICTATION\\A.WAV"].lastWrite;
      rig.host.onOutput = nullptr;
    };
    const std::vector<DueFile> files = DueFiles({"C:\\Dictation\\a.wav"});
    rig.Cycle().UploadFiles(files);
    const std::string text = "a.wav changed after it was sent, will attempt later.";
    EXPECT_EQ(rig.JournalFrom("W:.. Done.\r\n"), (std::vector<std::string>{"W:.. Done.\r\n", "W:" + text, "F:" + text}))
        << change;
    EXPECT_EQ(rig.files.Find("C:\\Dictation\\a.wav")->attributes, kAttrArchive) << change;

    // Unchanged from here on, it is sent again whole and marked.
    rig.Cycle().UploadFiles(files);
    EXPECT_EQ(rig.internet.ftp.files[kUploads + "author7_a.wav"], c.content) << change;
    EXPECT_EQ(rig.files.Find("C:\\Dictation\\tessaro\\a.wav")->content, c.content) << change;
    EXPECT_EQ(rig.files.Find("C:\\Dictation\\a.wav")->attributes, kAttrReadOnly) << change;
  }
}

TEST(UploadUnmarked, FileWhoseMarkDoesNotHoldIsRecordedToldOnceAndSentAgainOnlyWhenChanged) {
  const std::string told = "W:a.wav could not be marked read-only, kept in Tarnwick.sent.txt.";
  const std::string toldFile =
      "F:C:\\Dictation\\a.wav could not be marked read-only; it is kept in Tarnwick.sent.txt instead and is not "
      "sent again while it is unchanged.";
  for (const char* share : {"denies the change", "keeps no attributes"}) {
    OneDueFile due;
    TransferRig& rig = due.rig;
    (std::string(share) == "denies the change" ? rig.files.attributesDenied : rig.files.attributesNotKept)
        .insert("C:\\DICTATION\\A.WAV");
    rig.config.directories[1] = "C:\\Dictation\\";
    rig.config.extensions[1] = "wav";
    const auto cycle = [&rig] {  // a new cycle object each time, as after a restart
      rig.cycle.reset();
      rig.journal.entries.clear();
      const std::vector<DueFile> due = rig.Cycle().ScanSourceDirs();
      rig.Cycle().UploadFiles(due);
      return Paths(due);
    };
    const auto puts = [&rig] {
      const auto& ops = rig.internet.ftp.operations;
      return std::count(ops.begin(), ops.end(), "put " + kUploads + "author7_a.wav");
    };
    const auto record = [&rig] { return ParseSentRecord(rig.files.Find(kSentRecordName)->content); };

    EXPECT_EQ(cycle(), std::vector<std::string>{"C:\\Dictation\\a.wav"}) << share;
    EXPECT_EQ(rig.JournalFrom("W:.. Done.\r\n"), (std::vector<std::string>{"W:.. Done.\r\n", told, toldFile})) << share;
    EXPECT_EQ(rig.files.Find("C:\\Dictation\\a.wav")->attributes, kAttrArchive) << share;
    EXPECT_EQ(rig.files.Find("C:\\Dictation\\tessaro\\a.wav")->content, "AAAA") << share;
    EXPECT_EQ(record(), (std::vector<SentEntry>{{"C:\\Dictation\\a.wav", FileStamp{4, 0}, "author7_a.wav"}})) << share;

    // Unchanged, it is neither sent nor told about again.
    EXPECT_EQ(cycle(), std::vector<std::string>{}) << share;
    EXPECT_TRUE(rig.journal.entries.empty()) << share;
    EXPECT_EQ(puts(), 1) << share;

    // Changed, it is due again, sent whole and recorded with its new stamp.
    rig.files.AppendToFile("C:\\Dictation\\a.wav", " more");
    EXPECT_EQ(cycle(), std::vector<std::string>{"C:\\Dictation\\a.wav"}) << share;
    EXPECT_EQ(puts(), 2) << share;
    EXPECT_EQ(rig.internet.ftp.files[kUploads + "author7_a.wav"], "AAAA more") << share;
    EXPECT_EQ(std::count(rig.journal.entries.begin(), rig.journal.entries.end(), told), 1) << share;
    EXPECT_EQ(record(), (std::vector<SentEntry>{{"C:\\Dictation\\a.wav", FileStamp{9, 1}, "author7_a.wav"}})) << share;

    // Once the file is gone, so is its entry.
    rig.files.RemoveFile("C:\\Dictation\\a.wav");
    cycle();
    EXPECT_FALSE(rig.files.Exists(kSentRecordName)) << share;
  }
}

TEST(UploadUnmarked, FileThatCanNeitherBeMarkedNorRecordedIsToldAndStaysDue) {
  OneDueFile due;
  TransferRig& rig = due.rig;
  rig.files.attributesDenied.insert("C:\\DICTATION\\A.WAV");
  rig.files.createFails.insert("TARNWICK.SENT.TMP");  // the data folder takes no file
  rig.config.directories[1] = "C:\\Dictation\\";
  rig.config.extensions[1] = "wav";
  rig.Cycle().UploadFiles(rig.Cycle().ScanSourceDirs());
  EXPECT_EQ(rig.JournalFrom("W:.. Done.\r\n"),
            (std::vector<std::string>{"W:.. Done.\r\n",
                                      "W:a.wav could not be marked read-only nor recorded, will be sent again.",
                                      "F:C:\\Dictation\\a.wav could not be marked read-only nor kept in "
                                      "Tarnwick.sent.txt; it will be sent again."}));
  EXPECT_EQ(Paths(rig.Cycle().ScanSourceDirs()), std::vector<std::string>{"C:\\Dictation\\a.wav"});
}

TEST_F(UploadTest, NameTheCodePageCannotHoldIsToldOncePerCycleAndThePassGoesOn) {
  rig.files.AddFile("C:\\Dictation\\?ód?.wav", "LLLL");  // as the scan lists a name it cannot hold
  rig.files.AddFile("C:\\Dictation\\M\xfcller.wav", "MMMM");  // all in the code page
  rig.config.directories[2] = "C:\\Dictation\\";
  rig.config.extensions[2] = "wav";  // lists the same files a second time
  const std::string toldWindow = "W:Name not in this system's code page, rename to upload: ?ód?.wav";
  const std::string toldFile =
      "F:C:\\Dictation\\?ód?.wav cannot be read under its name in this system's code page and must be renamed to "
      "be uploaded.";
  for (int cycle = 1; cycle <= 2; ++cycle) {
    rig.journal.entries.clear();
    rig.Cycle().UploadFiles(rig.Cycle().ScanSourceDirs());
    EXPECT_EQ(std::count(rig.journal.entries.begin(), rig.journal.entries.end(), toldWindow), 1) << cycle;
    EXPECT_EQ(std::count(rig.journal.entries.begin(), rig.journal.entries.end(), toldFile), 1) << cycle;
    EXPECT_EQ(rig.host.oncePerDayKeys.back(), "code page|C:\\Dictation\\?ód?.wav") << cycle;
    EXPECT_EQ(std::count(rig.journal.entries.begin(), rig.journal.entries.end(), "S:" + kFail), 0) << cycle;
  }
  EXPECT_FALSE(Put("author7_?ód?.wav"));
  EXPECT_TRUE(Put("author7_M\xfcller.wav"));
  EXPECT_TRUE(Put("author7_c.dss"));
  EXPECT_EQ(rig.internet.RequestedUrls().front(),
            "http://tessaro.example/dravos/copywav.php?username=author7&file=author7_a.wav&length=12");
  EXPECT_EQ(Attributes("C:\\Dictation\\?ód?.wav"), kAttrArchive);
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
