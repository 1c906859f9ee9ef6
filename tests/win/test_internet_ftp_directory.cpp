// Directory work on an FTP connection of the libcurl adapter: the current
// directory and the search for a file by its bare name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "test_internet_standin.h"
#include "windows/curl_internet.h"

namespace tarnwick {
namespace {

using test::Standin;

class FtpDirectoryWithStandin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(standin.Control("reset"), "");
    session = test::TransferSession(*internet);
    ASSERT_TRUE(session);
  }
  Standin standin = Standin::FromEnvironment();
  std::unique_ptr<IInternet> internet = MakeCurlInternet(TransportSecurity{Encryption::None, {}});
  std::unique_ptr<ITransferSession> session;
};

TEST_F(FtpDirectoryWithStandin, CurrentDirectoryFollowsChangesAndSurvivesAFailedOne) {
  auto ftp = test::Login(*session, standin, test::kUploadUser, test::kUploadPassword);
  ASSERT_TRUE(ftp);
  std::string directory;
  ASSERT_TRUE(ftp->CurrentDirectory(directory));
  EXPECT_EQ(directory, "/");

  ASSERT_TRUE(ftp->ChangeDirectory(test::kUploadDirectory));
  ASSERT_TRUE(ftp->CurrentDirectory(directory));
  EXPECT_EQ(directory, "/tessaro.example/dravouploads");

  EXPECT_FALSE(ftp->ChangeDirectory("/no/such/directory"));
  EXPECT_NE(ftp->LastError(), 0u);
  ASSERT_TRUE(ftp->CurrentDirectory(directory));
  EXPECT_EQ(directory, "/tessaro.example/dravouploads");
}

TEST_F(FtpDirectoryWithStandin, FileExistsFindsPlainNamesAndNamesWithBlanksOnly) {
  test::WriteWholeFile(standin.PendingFile("plain.wav"), "p");
  test::WriteWholeFile(standin.PendingFile("with blanks.wav"), "b");
  test::WriteWholeFile(standin.PendingFile("two  blanks and more.dss"), "m");
  auto ftp = test::Login(*session, standin, test::kDownloadUser, test::kDownloadPassword);
  ASSERT_TRUE(ftp);
  ASSERT_TRUE(ftp->ChangeDirectory(test::kDownloadDirectory));

  EXPECT_TRUE(ftp->FileExists("plain.wav"));
  EXPECT_TRUE(ftp->FileExists("with blanks.wav"));
  EXPECT_TRUE(ftp->FileExists("two  blanks and more.dss"));

  EXPECT_FALSE(ftp->FileExists("missing.wav"));
  EXPECT_NE(ftp->LastError(), 0u);
  // Shares its first word with a listed name.
  EXPECT_FALSE(ftp->FileExists("with others.wav"));
  EXPECT_FALSE(ftp->FileExists("plain.wav.bak"));

  // The searches leave the connection usable.
  std::string directory;
  ASSERT_TRUE(ftp->CurrentDirectory(directory));
  EXPECT_EQ(directory, test::kDownloadDirectory);
  auto stream = ftp->OpenFile("plain.wav", false);
  ASSERT_TRUE(stream);
  char byte = 0;
  std::size_t read = 0;
  EXPECT_TRUE(stream->Read(&byte, 1, read));
  EXPECT_EQ(read, 1u);
  EXPECT_EQ(byte, 'p');
  EXPECT_TRUE(stream->Finish());
}

TEST_F(FtpDirectoryWithStandin, NameCannotCarryASecondCommand) {
  test::WriteWholeFile(standin.UploadedFile("victim.wav"), "v");
  auto ftp = test::Login(*session, standin, test::kUploadUser, test::kUploadPassword);
  ASSERT_TRUE(ftp);
  ASSERT_TRUE(ftp->ChangeDirectory(test::kUploadDirectory));

  EXPECT_FALSE(ftp->FileExists("nothing here\r\nDELE victim.wav"));
  EXPECT_TRUE(ftp->FileExists("victim.wav"));
  EXPECT_EQ(test::ReadWholeFile(standin.UploadedFile("victim.wav")), "v");
}

}  // namespace
}  // namespace tarnwick
