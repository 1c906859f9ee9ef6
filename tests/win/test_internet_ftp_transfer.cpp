// File transfers on an FTP connection of the libcurl adapter, sent and received in
// the 1 MiB pieces that the passes use, whole and cut.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "test_internet_standin.h"
#include "windows/curl_internet.h"

namespace tarnwick {
namespace {

using test::Standin;

constexpr std::size_t kPiece = 1024 * 1024;

struct Outcome {
  bool everyCallSucceeded = true;
  bool finished = false;
  bool serverHoldsAll = false;  // the server's own size agrees with what moved
  std::string received;
};

bool SizeIs(IFtpConnection& ftp, const std::string& remotePath, std::size_t bytes) {
  const RemoteSize size = ftp.SizeOf(remotePath);
  return size.answer == RemoteSize::Answer::Known && size.bytes == bytes;
}

Outcome Put(IFtpConnection& ftp, const std::string& remotePath, const std::string& content) {
  Outcome outcome;
  auto stream = ftp.OpenFile(remotePath, true);
  if (!stream) {
    outcome.everyCallSucceeded = false;
    return outcome;
  }
  for (std::size_t offset = 0; offset < content.size(); offset += kPiece) {
    const std::size_t size = std::min(kPiece, content.size() - offset);
    if (!stream->Write(content.data() + offset, size)) {
      outcome.everyCallSucceeded = false;
      break;
    }
  }
  outcome.finished = stream->Finish();
  stream.reset();
  outcome.serverHoldsAll = SizeIs(ftp, remotePath, content.size());
  return outcome;
}

Outcome Get(IFtpConnection& ftp, const std::string& remotePath) {
  Outcome outcome;
  auto stream = ftp.OpenFile(remotePath, false);
  if (!stream) {
    outcome.everyCallSucceeded = false;
    return outcome;
  }
  std::string piece(kPiece, '\0');
  for (;;) {
    std::size_t read = 0;
    if (!stream->Read(piece.data(), piece.size(), read)) {
      outcome.everyCallSucceeded = false;
      break;
    }
    if (read == 0) break;
    outcome.received.append(piece.data(), read);
  }
  outcome.finished = stream->Finish();
  stream.reset();
  outcome.serverHoldsAll = SizeIs(ftp, remotePath, outcome.received.size());
  return outcome;
}

// Compares without printing megabytes on a mismatch.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return ::testing::AssertionFailure() << actual.size() << " bytes instead of " << expected.size()
                                       << ", first difference at offset " << at;
}

// Files under `directory`, at any depth, whose names start with `prefix`.
int CountFilesStartingWith(const std::string& directory, const std::string& prefix) {
  int count = 0;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      count += CountFilesStartingWith(directory + "\\" + name, prefix);
    } else if (name.compare(0, prefix.size(), prefix) == 0) {
      ++count;
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

bool IsInternetCode(std::uint32_t code) { return code > 12000 && code <= 12175; }

class FtpTransferWithStandin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(standin.Control("reset"), "");
    session = test::TransferSession(*internet);
    ASSERT_TRUE(session);
  }
  std::unique_ptr<IFtpConnection> UploadAccount() {
    auto ftp = test::Login(*session, standin, test::kUploadUser, test::kUploadPassword);
    if (ftp) {
      EXPECT_TRUE(ftp->ChangeDirectory(test::kUploadDirectory));
    }
    return ftp;
  }
  std::unique_ptr<IFtpConnection> DownloadAccount() {
    auto ftp = test::Login(*session, standin, test::kDownloadUser, test::kDownloadPassword);
    if (ftp) {
      EXPECT_TRUE(ftp->ChangeDirectory(test::kDownloadDirectory));
    }
    return ftp;
  }
  Standin standin = Standin::FromEnvironment();
  std::unique_ptr<IInternet> internet = MakeCurlInternet(TransportSecurity{Encryption::None, {}});
  std::unique_ptr<ITransferSession> session;
};

TEST_F(FtpTransferWithStandin, PutArrivesByteIdenticalUnderItsRemoteName) {
  const std::string content = test::PatternBytes(3 * kPiece + 12345, 1);
  auto ftp = UploadAccount();
  ASSERT_TRUE(ftp);

  const Outcome outcome = Put(*ftp, "author7_a b.wav", content);
  EXPECT_TRUE(outcome.everyCallSucceeded);
  EXPECT_TRUE(outcome.finished);
  EXPECT_TRUE(outcome.serverHoldsAll);
  EXPECT_TRUE(SameBytes(test::ReadWholeFile(standin.UploadedFile("author7_a b.wav")), content));

  // The connection serves the next file.
  const Outcome empty = Put(*ftp, "author7_empty.dss", "");
  EXPECT_TRUE(empty.everyCallSucceeded);
  EXPECT_TRUE(empty.finished);
  EXPECT_TRUE(SameBytes(test::ReadWholeFile(standin.UploadedFile("author7_empty.dss")), ""));
}

TEST_F(FtpTransferWithStandin, GetArrivesByteIdenticalFromAFullRemotePath) {
  const std::string content = test::PatternBytes(2 * kPiece + 777, 2);
  test::WriteWholeFile(standin.PendingFile("c d.wav"), content);
  auto ftp = DownloadAccount();
  ASSERT_TRUE(ftp);

  const Outcome outcome = Get(*ftp, std::string(test::kDownloadDirectory) + "/c d.wav");
  EXPECT_TRUE(outcome.everyCallSucceeded);
  EXPECT_TRUE(outcome.finished);
  EXPECT_TRUE(outcome.serverHoldsAll);
  EXPECT_TRUE(SameBytes(outcome.received, content));

  const Outcome again = Get(*ftp, "c d.wav");
  EXPECT_TRUE(again.finished);
  EXPECT_TRUE(SameBytes(again.received, content));
}

TEST_F(FtpTransferWithStandin, ReceivedFilesLeaveNoCopyInTheInternetCache) {
  char cache[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_INTERNET_CACHE, nullptr, 0, cache), S_OK);
  test::WriteWholeFile(standin.PendingFile("cache probe.wav"), test::PatternBytes(300000, 5));
  auto ftp = DownloadAccount();
  ASSERT_TRUE(ftp);

  EXPECT_TRUE(Get(*ftp, "cache probe.wav").finished);
  {
    // Given up half way, as a pass does when the local disk fails.
    auto abandoned = ftp->OpenFile("cache probe.wav", false);
    ASSERT_TRUE(abandoned);
    char piece[1000];
    std::size_t read = 0;
    EXPECT_TRUE(abandoned->Read(piece, sizeof piece, read));
  }
  EXPECT_EQ(CountFilesStartingWith(cache, "cache probe"), 0) << cache;
}

TEST_F(FtpTransferWithStandin, TransfersTheServerRefusesDoNotOpen) {
  auto download = DownloadAccount();
  ASSERT_TRUE(download);
  EXPECT_FALSE(download->OpenFile("missing.wav", false));
  EXPECT_NE(download->LastError(), 0u);
  // The download account may not write.
  EXPECT_FALSE(download->OpenFile("new.wav", true));
  EXPECT_NE(download->LastError(), 0u);

  auto upload = UploadAccount();
  ASSERT_TRUE(upload);
  EXPECT_FALSE(upload->OpenFile("/no/such/directory/a.wav", true));
  EXPECT_NE(upload->LastError(), 0u);
}

// A cut leaves the data and control connections reset without a final reply. A
// large file meets the reset while it is still being written; a small one has
// left the program before the server reads it, so only the end can tell.
TEST_F(FtpTransferWithStandin, CutPutsReportFailure) {
  ASSERT_NE(standin.Control("set?ftp_cut_after=100000"), "");
  for (const std::size_t size : {std::size_t{3 * kPiece}, std::size_t{150000}}) {
    auto ftp = UploadAccount();
    ASSERT_TRUE(ftp);
    const Outcome outcome = Put(*ftp, "author7_cut.wav", test::PatternBytes(size, 3));
    EXPECT_FALSE(outcome.everyCallSucceeded && outcome.finished && outcome.serverHoldsAll) << size << " bytes";
    EXPECT_TRUE(IsInternetCode(ftp->LastError())) << ftp->LastError();
  }
}

TEST_F(FtpTransferWithStandin, CutGetsReportFailure) {
  ASSERT_NE(standin.Control("set?ftp_cut_after=100000"), "");
  for (const std::size_t size : {std::size_t{3 * kPiece}, std::size_t{150000}}) {
    const std::string content = test::PatternBytes(size, 4);
    test::WriteWholeFile(standin.PendingFile("cut.wav"), content);
    auto ftp = DownloadAccount();
    ASSERT_TRUE(ftp);
    const Outcome outcome = Get(*ftp, "cut.wav");
    EXPECT_FALSE(outcome.everyCallSucceeded && outcome.finished && outcome.serverHoldsAll) << size << " bytes";
    EXPECT_LT(outcome.received.size(), content.size());
    // The download pass turns this code into the text of its failure message.
    EXPECT_TRUE(IsInternetCode(ftp->LastError())) << ftp->LastError();
  }
}

// Faults no transfer call reports, which only the final reply or the server's size
// can tell; and a server that does not know SIZE at all.
TEST_F(FtpTransferWithStandin, ServerVerdictAfterThePut) {
  const std::string content = test::PatternBytes(200000, 6);
  const struct {
    const char* switches;
    bool finished;
    std::size_t stored;
  } cases[] = {
      {"set?ftp_store_truncated=0", true, 200000},
      {"set?ftp_store_truncated=1", true, 100000},
      {"set?ftp_store_truncated=0&ftp_put_refusal=451%20Local%20error.", false, 200000},
  };
  for (const auto& c : cases) {
    ASSERT_NE(standin.Control(c.switches), "");
    auto ftp = UploadAccount();
    ASSERT_TRUE(ftp);
    const Outcome outcome = Put(*ftp, "author7_v.wav", content);
    EXPECT_TRUE(outcome.everyCallSucceeded) << c.switches;
    EXPECT_EQ(outcome.finished, c.finished) << c.switches;
    if (!c.finished) {
      EXPECT_EQ(ftp->LastError(), 12003u);
    }
    EXPECT_TRUE(SizeIs(*ftp, "author7_v.wav", c.stored)) << c.switches;
  }
}

TEST_F(FtpTransferWithStandin, SizeIsKnownMissingOrUnsupported) {
  test::WriteWholeFile(standin.PendingFile("s t.wav"), "12345");
  auto ftp = DownloadAccount();
  ASSERT_TRUE(ftp);
  EXPECT_TRUE(SizeIs(*ftp, std::string(test::kDownloadDirectory) + "/s t.wav", 5));
  EXPECT_TRUE(Get(*ftp, "s t.wav").serverHoldsAll);  // the connection is left in binary mode

  EXPECT_EQ(ftp->SizeOf("missing.wav").answer, RemoteSize::Answer::Failed);
  EXPECT_TRUE(IsInternetCode(ftp->LastError())) << ftp->LastError();
  EXPECT_EQ(ftp->SizeOf("two\r\nDELE x").answer, RemoteSize::Answer::Failed);

  ASSERT_NE(standin.Control("set?ftp_no_size=1"), "");
  EXPECT_EQ(ftp->SizeOf("s t.wav").answer, RemoteSize::Answer::Unsupported);
}

// The commands of one file, as the passes make them: a put after the current
// directory and two changes of directory, a get after a search of the directory;
// each with its size check, over one login that ends with QUIT. The transport asks
// for the data connection (PASV) before it sets the type.
TEST_F(FtpTransferWithStandin, OneFileTakesTheCommandsOfItsPass) {
  const std::string upload = test::kUploadDirectory;
  const struct {
    const char* what;
    std::function<void()> pass;
    std::vector<std::string> commands;
  } cases[] = {
      {"put",
       [&]() {
         auto ftp = test::Login(*session, standin, test::kUploadUser, test::kUploadPassword);
         ASSERT_TRUE(ftp);
         std::string directory;
         EXPECT_TRUE(ftp->CurrentDirectory(directory));
         EXPECT_TRUE(ftp->ChangeDirectory(upload));
         EXPECT_TRUE(ftp->ChangeDirectory(upload));
         const Outcome outcome = Put(*ftp, "author7_q r.wav", test::PatternBytes(70000, 7));
         EXPECT_TRUE(outcome.finished && outcome.serverHoldsAll);
       },
       {"USER dravos", "PASS", "PWD", "CWD " + upload, "CWD " + upload, "PASV", "TYPE I", "STOR author7_q r.wav",
        "TYPE I", "SIZE author7_q r.wav", "QUIT"}},
      {"get",
       [&]() {
         test::WriteWholeFile(standin.PendingFile("q r.wav"), test::PatternBytes(70000, 7));
         auto ftp = test::Login(*session, standin, test::kDownloadUser, test::kDownloadPassword);
         ASSERT_TRUE(ftp);
         EXPECT_TRUE(ftp->ChangeDirectory(test::kDownloadDirectory));
         EXPECT_TRUE(ftp->FileExists("q r.wav"));
         const Outcome outcome = Get(*ftp, "/pending/q r.wav");
         EXPECT_TRUE(outcome.finished && outcome.serverHoldsAll);
       },
       {"USER dravodn", "PASS", "PWD", "CWD /pending", "PASV", "TYPE A", "NLST", "PASV", "TYPE I",
        "RETR /pending/q r.wav", "TYPE I", "SIZE /pending/q r.wav", "QUIT"}},
  };
  for (const auto& c : cases) {
    ASSERT_NE(standin.Control("reset"), "");
    c.pass();
    EXPECT_EQ(standin.FtpCommands(), c.commands) << c.what;
  }
}

}  // namespace
}  // namespace tarnwick
