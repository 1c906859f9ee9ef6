#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "transfer_rig.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

using Lines = std::vector<std::string>;

const Lines kAuthorOkNoUpload = {"S:UserName Validation =*= OK =*=", "W:No File to Upload", "S:No File to Upload"};
const Lines kListRequested = {"W:Starting Auto-Download Process", "S:Starting Auto Download",
                              "W:Getting List of Files from the Server"};

struct PollCycleTest : ::testing::Test {
  TransferRig rig;
  void Run() {
    rig.Cycle().Run();
    EXPECT_EQ(rig.host.cyclesEnded, 1);
    EXPECT_EQ(rig.journal.entries.back(), "E:");
  }
};

TEST_F(PollCycleTest, UnreachableServiceOnlyChangesTheStatusBar) {
  rig.files.AddFile("C:\\A\\a.wav", "A");
  rig.config.directories[1] = "C:\\A\\";
  rig.config.extensions[1] = "wav";
  Run();
  EXPECT_EQ(rig.journal.entries, (Lines{"S:No Internet Access", "E:"}));
  EXPECT_EQ(rig.internet.RequestedUrls(), Lines{"http://www.tessaro.example//"});
  EXPECT_EQ(rig.internet.ftp.logins, 0);
  EXPECT_EQ(rig.host.icons, (Lines{"102", "101"}));
}

TEST_F(PollCycleTest, InternetThatCannotBeOpenedSaysSoBeforeTheCycleEnds) {
  rig.internet.failOpen = true;
  Run();
  EXPECT_EQ(rig.journal.entries, (Lines{"M:InternetOpen Failed", "S:No Internet Access", "E:"}));
}

TEST_F(PollCycleTest, RejectedAuthorStopsPollingAndTouchesNoFile) {
  rig.files.AddFile("C:\\A\\a.wav", "A");
  rig.config.directories[1] = "C:\\A\\";
  rig.config.extensions[1] = "wav";
  rig.config.autoDownload = 1;
  rig.internet.Answer(ProbeUrl(rig.service), "");
  rig.internet.Answer(AuthorVerifyUrl(rig.service, "author7", "secret"), "username valid!");  // other case
  Run();
  const std::string text = "Invalid Author Name or Password.";
  EXPECT_EQ(rig.journal.entries,
            (Lines{"S:UserName or Password Validation Fail", "W:" + text, "F:" + text, "S:" + text, "E:"}));
  EXPECT_EQ(rig.host.pollingStops, 1);
  EXPECT_EQ(rig.internet.ftp.logins, 0);
}

TEST_F(PollCycleTest, AuthorCheckWithoutAnswerKeepsPollingAndEndsAsAnUnreachableService) {
  const std::string noAnswer = "F:The login check got no answer from the service. Will retry again in next poll";
  struct Case {
    const char* what;
    unsigned status;
    std::string finalUrl;
    bool opens;
  };
  const Case cases[] = {
      {"error page", 500, "", true},
      {"redirect to another host", 200, "http://portal.hotel.example/", true},
      {"time-out", 200, "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TransferRig rig;
    rig.files.AddFile("C:\\A\\a.wav", "A");
    rig.config.directories[1] = "C:\\A\\";
    rig.config.extensions[1] = "wav";
    rig.internet.Answer(ProbeUrl(rig.service), "");
    if (c.opens) {
      UrlAnswer answer;
      answer.body = "<html>Please sign in</html>";
      answer.status = c.status;
      answer.finalUrl = c.finalUrl;
      rig.internet.answers[AuthorVerifyUrl(rig.service, "author7", "secret")] = answer;
    }
    rig.Cycle().Run();
    EXPECT_EQ(rig.journal.entries, (Lines{"S:No Internet Access", noAnswer, "E:"}));
    EXPECT_EQ(rig.host.pollingStops, 0);
    EXPECT_EQ(rig.internet.ftp.logins, 0);
    EXPECT_EQ(rig.host.icons, (Lines{"102", "101"}));
  }
}

TEST_F(PollCycleTest, AuthorWithSpecialCharactersIsVerifiedAsTyped) {
  rig.config.password = "p&w d";
  rig.ServiceAccepts();
  Run();
  EXPECT_EQ(rig.internet.RequestedUrls()[1],
            "http://tessaro.example/dravos/authorverify.php?username=author7&wp=p%26w%20d");
  EXPECT_EQ(rig.journal.entries.front(), "S:UserName Validation =*= OK =*=");
}

TEST_F(PollCycleTest, AutoDownloadOffEndsAfterTheUploadPart) {
  for (int autoDownload : {0, -1}) {
    TransferRig rig;
    rig.config.autoDownload = autoDownload;
    rig.ServiceAccepts();
    rig.Cycle().Run();
    EXPECT_EQ(rig.journal.entries,
              (kAuthorOkNoUpload + Lines{"W:Auto Download is off", "S:Auto Download is off", "E:"}));
    EXPECT_EQ(rig.internet.RequestedUrls().size(), 2u);
  }
}

struct ListCase {
  std::string answer;
  Lines tail;  // what follows the request for the list
};

TEST_F(PollCycleTest, EveryWayThroughTheDownloadList) {
  const std::string sdir = "countoffiles=1<br>SourceDir=/p<br>";
  const std::string retry = "Will retry again in next poll";
  const Lines nothingToDownload = {"W:Number of Files to Download : 0", "W:No File to Download",
                                   "S:No Files to Download", "F:No File to Download", "E:"};
  auto failure = [](const std::string& text) { return Lines{"W:" + text, "S:" + text, "F:" + text}; };
  const ListCase cases[] = {
      {"", {"E:"}},
      {"no list today", failure("DL-ERROR: CFiles") + Lines{"E:"}},
      {"countoffiles<br>", {"W:Equal Sign not found. " + retry, "E:"}},
      {"countoffiles=-1<br>SourceDir=/p", failure("No Files to Download") + Lines{"E:"}},
      {"countoffiles=0<br>", Lines{"W:Number of Files to Download : 0"} + failure("DL-ERROR: SDir001") + Lines{"E:"}},
      {"countoffiles=0<br>SourceDir", {"W:Number of Files to Download : 0", "W:Equal Sign not found. " + retry, "E:"}},
      {"countoffiles=0<br>SourceDir=/p<br>", nothingToDownload},
      {"countoffiles=x<br>SourceDir=/p<br>", nothingToDownload},
      {sdir, Lines{"W:Number of Files to Download : 1"} + failure("DL-ERROR: FName1") + Lines{"E:"}},
      {sdir + "file_1=a.wav", {"W:Number of Files to Download : 1", "W:Quote-sign not found. " + retry, "E:"}},
      {sdir + "file_1=\"a.wav\"", Lines{"W:Number of Files to Download : 1"} + failure("DL-ERROR: FId1") + Lines{"E:"}},
      {sdir + "file_1=\"a.wav\" fileid_1", {"W:Number of Files to Download : 1", "W:Equal Sign not found.", "E:"}},
      {"countoffiles=" + std::string(256, '1'), failure("DL-ERROR: CFiles") + Lines{"E:"}},
      {"countoffiles=1 SourceDir=" + std::string(100, 'd'),
       Lines{"W:Number of Files to Download : 1"} + failure("DL-ERROR: SDir001") + Lines{"E:"}},
      {sdir + "file_1=\"" + std::string(256, 'n') + "\" fileid_1=1",
       Lines{"W:Number of Files to Download : 1"} + failure("DL-ERROR: FName1") + Lines{"E:"}},
      {sdir + "file_1=\"a\" fileid_1=" + std::string(256, 'i'),
       Lines{"W:Number of Files to Download : 1"} + failure("DL-ERROR: FId1") + Lines{"E:"}},
  };
  for (const ListCase& listCase : cases) {
    SCOPED_TRACE(listCase.answer.substr(0, 60));
    TransferRig rig;
    rig.config.autoDownload = 2;  // any value above 0 downloads
    rig.ServiceAccepts();
    rig.DownloadList(listCase.answer);
    rig.Cycle().Run();
    EXPECT_EQ(rig.journal.entries, (kAuthorOkNoUpload + kListRequested + listCase.tail));
    EXPECT_EQ(rig.internet.ftp.logins, 0);
  }
}

TEST_F(PollCycleTest, ListIsReadByPositionAndHandedToTheDownloadPass) {
  rig.config.autoDownload = 1;
  rig.ServiceAccepts();
  std::string answer = "countoffiles = 12<br>\r\nSourceDir= /pending/author7 old<br>\r\n";
  for (int n = 1; n <= 12; ++n)
    answer += "file_" + std::to_string(n) + "=\"name " + std::to_string(n) + ".doc\"<br>fileid_" + std::to_string(n) +
              "=" + std::to_string(100 + n) + " x<br>\r\n";
  rig.DownloadList(answer);
  for (int n = 1; n <= 12; ++n) rig.internet.ftp.AddFile("/pending/author7/name " + std::to_string(n) + ".doc", "D");
  Run();
  // Each entry is fetched under its listed name and confirmed with its own id.
  EXPECT_EQ(rig.JournalFrom("S:Starting Download Process")[1], "F:DOWNLOADing 12 files");
  EXPECT_EQ(rig.JournalFrom("W:1 of 12 Downloading name 1.doc")[1], "T:name 1.doc");
  EXPECT_EQ(rig.JournalFrom("W:12 of 12 Downloading name 12.doc")[1], "T:name 12.doc");
  EXPECT_EQ(rig.internet.RequestedUrls()[3], rig.ConfirmUrl("101"));
  EXPECT_EQ(rig.internet.RequestedUrls().back(), rig.ConfirmUrl("112"));
  EXPECT_EQ(rig.internet.RequestedUrls().size(), 3u + 12u);
  EXPECT_EQ(rig.JournalFrom("W:Number of Files to Download : 12")[1], "W:Downloading Files");
  EXPECT_EQ(rig.internet.ftp.operations[1], "cwd /pending/author7");
  EXPECT_EQ(rig.internet.RequestedUrls()[2], "http://tessaro.example/dravos/tarnwickdload.php?author=author7&drupw=secret");
}

TEST_F(PollCycleTest, FullCycleUploadsBeforeItDownloads) {
  rig.files.AddFile("C:\\Dictation\\a.wav", "AAAA");
  rig.config.directories[1] = "C:\\Dictation\\";
  rig.config.extensions[1] = "wav";
  rig.config.autoDownload = 1;
  rig.media.lengths["C:\\Dictation\\a.wav"] = 2500;
  rig.ServiceAccepts();
  rig.ReportAccepted("author7_a.wav", "3");
  rig.DownloadList("countoffiles=1<br>SourceDir=/pending/author7<br>file_1=\"b.rtf\"<br>fileid_1=55<br>");
  rig.internet.ftp.AddFile("/pending/author7/b.rtf", "BBBB");
  Run();
  EXPECT_EQ(rig.journal.entries,
            (Lines{"S:UserName Validation =*= OK =*=", "W:Starting Upload Process", "F:UPLOADing 1 files"} +
             TransferRig::Connected() + Lines{"W:1 of 1 Uploading a.wav", "T:a.wav", "W:.. Done.\r\n"} + kListRequested +
             Lines{"W:Number of Files to Download : 1", "W:Downloading Files", "S:Starting Download Process",
                   "F:DOWNLOADing 1 files"} +
             TransferRig::Connected() +
             Lines{"W:1 of 1 Downloading b.rtf", "T:b.rtf", "W:.. Done.\r\n", "S:Tarnwick - Idle", "E:"}));
  EXPECT_EQ(rig.internet.RequestedUrls(),
            (Lines{"http://www.tessaro.example//", AuthorVerifyUrl(rig.service, "author7", "secret"),
                   CopyReportUrl(rig.service, "author7", "author7_a.wav", "3"),
                   DownloadListUrl(rig.service, "author7", "secret"), rig.ConfirmUrl("55")}));
  EXPECT_EQ(rig.files.Find("C:\\dravos\\download\\b.rtf")->content, "BBBB");
  EXPECT_EQ(rig.files.Find("C:\\Dictation\\a.wav")->attributes, kAttrReadOnly);
}

TEST_F(PollCycleTest, ExitStopsTheCycleAtItsNextStep) {
  rig.host.stopRequested = true;
  Run();
  EXPECT_EQ(rig.journal.entries, Lines{"E:"});
  EXPECT_TRUE(rig.internet.requests.empty());

  TransferRig afterVerification;
  afterVerification.ServiceAccepts();
  afterVerification.files.AddFile("C:\\A\\a.wav", "A");
  afterVerification.config.directories[1] = "C:\\A\\";
  afterVerification.config.extensions[1] = "wav";
  afterVerification.host.stopOnOutput = "S:UserName Validation =*= OK =*=";
  afterVerification.Cycle().Run();
  EXPECT_EQ(afterVerification.journal.entries, (Lines{"S:UserName Validation =*= OK =*=", "E:"}));
  EXPECT_EQ(afterVerification.internet.ftp.logins, 0);

  TransferRig duringUpload;
  duringUpload.ServiceAccepts();
  duringUpload.files.AddFile("C:\\A\\a.wav", "A");
  duringUpload.files.AddFile("C:\\A\\b.wav", "B");
  duringUpload.config.directories[1] = "C:\\A\\";
  duringUpload.config.extensions[1] = "wav";
  duringUpload.config.autoDownload = 1;
  duringUpload.host.stopOnOutput = "T:a.wav";
  duringUpload.Cycle().Run();
  EXPECT_EQ(duringUpload.internet.ftp.logins, 1);
  EXPECT_EQ(duringUpload.internet.RequestedUrls().size(), 3u);  // probe, verification, one report; no list
  EXPECT_EQ(duringUpload.journal.entries.back(), "E:");
}

}  // namespace
}  // namespace tarnwick
