#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "transfer/internet_errors.h"
#include "transfer_rig.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

const std::string kPending = "/pending/author7";
const std::string kLocal = "C:\\dravos\\download\\";
const std::string kSupport = "support@tessaro.example";
// Beside the download directory, never in it: no listed name can be this file.
const std::string kTemporary = "C:\\dravos\\Tarnwick.download";

struct DownloadTest : ::testing::Test {
  TransferRig rig;
  DownloadTest() {
    rig.internet.ftp.AddFile(kPending + "/a.wav", "AAAA");
    rig.internet.ftp.AddFile(kPending + "/c.rtf", "CCCC");
    rig.internet.ftp.AddFile(kPending + "/my file.doc", "DDDD");
  }
  void Download(std::vector<std::string> names) {
    PollCycle& cycle = rig.Cycle();
    std::vector<DownloadEntry> entries;
    for (std::size_t i = 0; i < names.size(); ++i) entries.push_back(DownloadEntry{names[i], "id" + std::to_string(i + 1)});
    cycle.DownloadFiles(kPending, entries);
  }
  std::string Local(const std::string& name) {
    const FakeFileSystem::Entry* entry = rig.files.Find(kLocal + name);
    return entry == nullptr ? "<none>" : entry->content;
  }
};

TEST_F(DownloadTest, ThreeFilesWhereTheSecondIsMissing) {
  Download({"a.wav", "b.wav", "c.rtf"});
  const std::string notFound = "b.wav not found on Server. Please inform " + kSupport;
  EXPECT_EQ(rig.journal.entries,
            (std::vector<std::string>{"S:Starting Download Process", "F:DOWNLOADing 3 files"} + TransferRig::Connected() +
             std::vector<std::string>{"W:1 of 3 Downloading a.wav", "T:a.wav", "W:.. Done.\r\n"} +
             TransferRig::Connected() +
             std::vector<std::string>{"W:2 of 3 Downloading b.wav", "W:" + notFound, "F:" + notFound} +
             TransferRig::Connected() +
             std::vector<std::string>{"W:3 of 3 Downloading c.rtf", "T:c.rtf", "W:.. Done.\r\n", "S:Tarnwick - Idle"}));
  EXPECT_EQ(Local("a.wav"), "AAAA");
  EXPECT_EQ(Local("b.wav"), "<none>");
  EXPECT_EQ(Local("c.rtf"), "CCCC");
  EXPECT_EQ(rig.internet.RequestedUrls(), (std::vector<std::string>{rig.ConfirmUrl("id1"), rig.ConfirmUrl("id3")}));
  EXPECT_EQ(rig.internet.RequestedUrls()[0],
            "http://tessaro.example/dravos/drdlsuccess.php?username=author7&drupw=secret&fileid=id1");
  EXPECT_TRUE(rig.files.DirectoryExists("C:\\dravos"));
  EXPECT_EQ(rig.internet.ftp.openConnections, 0);
}

TEST_F(DownloadTest, EachFileLogsInFindsAndGetsByTheListedDirectory) {
  rig.files.AddDirectory("C:\\dravos\\download");
  rig.files.AddFile(kLocal + "my file.doc", "old");
  Download({"my file.doc"});
  EXPECT_EQ(rig.internet.ftp.operations,
            (std::vector<std::string>{"login dravodn@ftp.tessaro.example:21", "cwd " + kPending, "find my file.doc",
                                      "get " + kPending + "/my file.doc", "size " + kPending + "/my file.doc",
                                      "close"}));
  EXPECT_EQ(Local("my file.doc"), "DDDD");  // replaced
  EXPECT_FALSE(rig.files.Exists(kTemporary));
}

TEST_F(DownloadTest, CutTransferKeepsTheOldFileRemovesTheTemporaryOneAndGoesOn) {
  rig.files.AddDirectory("C:\\dravos");
  rig.files.AddDirectory("C:\\dravos\\download");
  rig.files.AddFile(kLocal + "a.wav", "previous");
  rig.internet.ftp.cutAfter[kPending + "/a.wav"] = 2;
  Download({"a.wav", "c.rtf"});
  const std::string failure = "Download Fail - The connection with the server has been terminated., Please inform " +
                              kSupport + ".\r\n";
  EXPECT_EQ(rig.JournalFrom("W:1 of 2 Downloading a.wav"),
            (std::vector<std::string>{"W:1 of 2 Downloading a.wav", "W:" + failure, "F:" + failure, "S:" + failure} +
             TransferRig::Connected() +
             std::vector<std::string>{"W:2 of 2 Downloading c.rtf", "T:c.rtf", "W:.. Done.\r\n", "S:Tarnwick - Idle"}));
  EXPECT_EQ(Local("a.wav"), "previous");
  EXPECT_FALSE(rig.files.Exists(kTemporary));
  EXPECT_EQ(rig.internet.RequestedUrls(), std::vector<std::string>{rig.ConfirmUrl("id2")});
}

// A listing that never came says nothing of the file: the download failed, with
// the listing's own error, and the support address is not told the file is gone.
TEST_F(DownloadTest, AListingThatFailsIsAFailedDownloadNotAMissingFile) {
  struct Case {
    std::uint32_t listingFailure;
    std::string logged;
  } const cases[] = {
      {0, "a.wav not found on Server. Please inform " + kSupport},
      {12030, "Download Fail - The connection with the server has been terminated., Please inform " + kSupport +
                  ".\r\n"},
      {12157, "Download Fail - " + GetInternetErrorText(12157) + ", Please inform " + kSupport + ".\r\n"},
  };
  for (const Case& c : cases) {
    TransferRig fresh;
    fresh.internet.ftp.listingFailure = c.listingFailure;
    PollCycle& cycle = fresh.Cycle();
    cycle.DownloadFiles(kPending, {DownloadEntry{"a.wav", "id1"}});
    EXPECT_EQ(std::count(fresh.journal.entries.begin(), fresh.journal.entries.end(), "F:" + c.logged), 1)
        << c.listingFailure;
    EXPECT_TRUE(fresh.internet.RequestedUrls().empty()) << c.listingFailure;
  }
}

TEST(DownloadVerdict, GetCountsOnlyWhenAllTheServerHoldsArrived) {
  // Ends early without any call reporting it: only the server's size tells.
  for (const bool sizeKnown : {true, false}) {
    TransferRig rig;
    rig.internet.ftp.AddFile(kPending + "/a.wav", "AAAA");
    rig.internet.ftp.quietlyShortAfter[kPending + "/a.wav"] = 3;
    rig.internet.ftp.sizeUnsupported = !sizeKnown;
    rig.files.AddDirectory("C:\\dravos");
    rig.files.AddDirectory("C:\\dravos\\download");
    rig.files.AddFile(kLocal + "a.wav", "previous");
    rig.Cycle().DownloadFiles(kPending, {DownloadEntry{"a.wav", "id1"}});
    const std::string failure =
        "Download Fail - The connection with the server has been terminated., Please inform " + kSupport + ".\r\n";
    const auto& ops = rig.internet.ftp.operations;
    EXPECT_EQ(*(std::find(ops.begin(), ops.end(), "get " + kPending + "/a.wav") + 1), "size " + kPending + "/a.wav");
    // A server without SIZE leaves the verdict to the transfer calls, which saw nothing wrong.
    EXPECT_EQ(rig.files.Find(kLocal + "a.wav")->content, sizeKnown ? "previous" : "AAA") << sizeKnown;
    EXPECT_EQ(rig.internet.RequestedUrls().empty(), sizeKnown) << sizeKnown;
    EXPECT_EQ(std::count(rig.journal.entries.begin(), rig.journal.entries.end(), "F:" + failure), sizeKnown ? 1 : 0);
  }
}

TEST_F(DownloadTest, FailureTextComesFromTheErrorTable) {
  rig.internet.ftp.cutAfter[kPending + "/a.wav"] = 0;
  rig.internet.ftp.cutCode = 12007;
  Download({"a.wav"});
  EXPECT_EQ(rig.journal.entries.back(), "S:Tarnwick - Idle");
  EXPECT_NE(std::find(rig.journal.entries.begin(), rig.journal.entries.end(),
                      "F:Download Fail - The server name could not be resolved (No Connection ?)., Please inform " +
                          kSupport + ".\r\n"),
            rig.journal.entries.end());
  EXPECT_FALSE(rig.files.Exists(kTemporary));  // no half file left behind
  EXPECT_EQ(Local("a.wav"), "<none>");
  rig.journal.entries.clear();
  rig.internet.ftp.cutCode = 12034;
  Download({"a.wav"});
  EXPECT_EQ(rig.JournalFrom("F:Download Fail - , Please inform " + kSupport + ".\r\n").size(), 3u);
}

TEST_F(DownloadTest, DownloadDirectoryThatCannotBeMadeFailsEachFile) {
  rig.files.createFails.insert("C:\\DRAVOS");
  rig.files.createFails.insert("C:\\DRAVOS\\DOWNLOAD");
  Download({"a.wav"});
  EXPECT_EQ(rig.JournalFrom("W:1 of 1 Downloading a.wav")[1], "W:Download Fail - , Please inform " + kSupport + ".\r\n");
  EXPECT_TRUE(rig.internet.RequestedUrls().empty());
}

TEST_F(DownloadTest, LargeFileArrivesWholeThroughPieces) {
  std::string content(2 * kReceivePiece + 5, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 13 % 256);
  rig.internet.ftp.AddFile(kPending + "/big.wav", content);
  Download({"big.wav"});
  EXPECT_TRUE(Local("big.wav") == content);
  EXPECT_TRUE(std::all_of(rig.internet.ftp.readSizes.begin(), rig.internet.ftp.readSizes.end(),
                          [](std::size_t size) { return size == kReceivePiece; }));
}

TEST_F(DownloadTest, NameOfTheTemporaryFileItselfDownloads) {
  rig.internet.ftp.AddFile(kPending + "/Tarnwick.download", "T");
  Download({"Tarnwick.download"});
  EXPECT_EQ(Local("Tarnwick.download"), "T");
  EXPECT_FALSE(rig.files.Exists(kTemporary + "~"));
}

TEST_F(DownloadTest, NamesThatAreNotPlainFileNamesAreNeverUsed) {
  rig.internet.ftp.AddFile("/pending/evil.wav", "EVIL");
  rig.internet.ftp.AddFile(kPending + "/x", "X");
  Download({"..\\..\\evil.wav", "../evil.wav", "..", "", "C:x", std::string("a\r\nb"), "c.rtf"});
  const std::vector<std::string> entries = rig.journal.entries;
  for (const char* expected : {"W:\"..\\..\\evil.wav\" is not a plain file name, not downloaded.",
                               "F:\"../evil.wav\" is not a plain file name, not downloaded.",
                               "W:\"..\" is not a plain file name, not downloaded.",
                               "F:\"\" is not a plain file name, not downloaded.",
                               "W:\"C:x\" is not a plain file name, not downloaded.",
                               "F:\"a\\x0D\\x0Ab\" is not a plain file name, not downloaded."})
    EXPECT_NE(std::find(entries.begin(), entries.end(), expected), entries.end()) << expected;
  EXPECT_EQ(rig.internet.ftp.logins, 1);  // only for c.rtf
  EXPECT_EQ(rig.JournalFrom("W:7 of 7 Downloading c.rtf").back(), "S:Tarnwick - Idle");
  EXPECT_EQ(rig.internet.RequestedUrls(), std::vector<std::string>{rig.ConfirmUrl("id7")});
  for (const auto& [key, entry] : rig.files.entries)
    EXPECT_TRUE(key == "C:\\DRAVOS" || key.rfind("C:\\DRAVOS\\DOWNLOAD", 0) == 0) << key;
}

TEST_F(DownloadTest, ConnectionLostAtTheThirdFileEndsThePassWithoutTheIdleText) {
  rig.internet.ftp.AddFile(kPending + "/d.wav", "D");
  rig.internet.ftp.refuseFromLogin = 3;
  Download({"a.wav", "c.rtf", "d.wav", "a.wav", "c.rtf"});
  EXPECT_EQ(rig.journal.entries.back(), "S:Failed to connect to server");
  EXPECT_EQ(rig.internet.RequestedUrls(), (std::vector<std::string>{rig.ConfirmUrl("id1"), rig.ConfirmUrl("id2")}));
  EXPECT_EQ(Local("d.wav"), "<none>");
  EXPECT_EQ(rig.internet.ftp.logins, 7);
  EXPECT_EQ(std::count(rig.journal.entries.begin(), rig.journal.entries.end(), "W:3 of 5 Downloading d.wav"), 0);
  EXPECT_EQ(rig.internet.sessionEvents.back(), "closed");
}

TEST_F(DownloadTest, EmptyListStillEndsIdle) {
  Download({});
  EXPECT_EQ(rig.journal.entries, (std::vector<std::string>{"S:Starting Download Process", "S:Tarnwick - Idle"}));
}

TEST_F(DownloadTest, SessionThatCannotBeCreatedEndsThePass) {
  rig.internet.failSession = true;
  Download({"a.wav"});
  const std::string text = "Internet session could not be opened, will attempt later.";
  EXPECT_EQ(rig.journal.entries, (std::vector<std::string>{"S:" + text, "F:" + text}));
}

TEST_F(DownloadTest, ExitBetweenFilesStopsThePass) {
  rig.host.stopOnOutput = "T:a.wav";
  Download({"a.wav", "c.rtf"});
  EXPECT_EQ(rig.internet.ftp.logins, 1);
  EXPECT_EQ(Local("c.rtf"), "<none>");
  EXPECT_NE(rig.journal.entries.back(), "S:Tarnwick - Idle");
}

}  // namespace
}  // namespace tarnwick
