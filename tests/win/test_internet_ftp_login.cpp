// Transfer sessions of the libcurl adapter: FTP logins with both accounts and the
// failures they report.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_internet_standin.h"
#include "transfer/internet_errors.h"
#include "windows/curl_internet.h"

namespace tarnwick {
namespace {

using test::kStandinHost;
using test::Standin;

class FtpLoginWithStandin : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(standin.Control("reset"), ""); }
  Standin standin = Standin::FromEnvironment();
  std::unique_ptr<IInternet> internet = MakeCurlInternet(TransportSecurity{Encryption::None, {}});
};

TEST_F(FtpLoginWithStandin, BothAccountsLogInAndSeeTheirOwnTrees) {
  auto session = test::TransferSession(*internet);
  ASSERT_TRUE(session);

  auto upload = test::Login(*session, standin, test::kUploadUser, test::kUploadPassword);
  ASSERT_TRUE(upload);
  EXPECT_TRUE(upload->ChangeDirectory(test::kUploadDirectory));
  EXPECT_FALSE(upload->ChangeDirectory(test::kDownloadDirectory));

  auto download = test::Login(*session, standin, test::kDownloadUser, test::kDownloadPassword);
  ASSERT_TRUE(download);
  EXPECT_TRUE(download->ChangeDirectory(test::kDownloadDirectory));
  EXPECT_FALSE(download->ChangeDirectory(test::kUploadDirectory));
}

TEST_F(FtpLoginWithStandin, WrongPasswordsFailWithTheWrongPasswordText) {
  auto session = test::TransferSession(*internet);
  ASSERT_TRUE(session);
  for (const char* user : {test::kUploadUser, test::kDownloadUser}) {
    FtpLoginFailure failure;
    failure.text = "left over";
    auto connection = session->ConnectFtp(kStandinHost, standin.FtpPort(), user, "wrong", failure);
    EXPECT_FALSE(connection) << user;
    EXPECT_EQ(failure.kind, FtpLoginFailure::Kind::Internet) << user;
    EXPECT_EQ(failure.code, 12014u) << user;
    EXPECT_EQ(failure.text, GetInternetErrorText(12014)) << user;
  }
  // The same session still logs in afterwards.
  EXPECT_TRUE(test::Login(*session, standin, test::kDownloadUser, test::kDownloadPassword));
}

TEST_F(FtpLoginWithStandin, RefusedLoginsFail) {
  ASSERT_NE(standin.Control("set?ftp_refuse_logins=1"), "");
  auto session = test::TransferSession(*internet);
  ASSERT_TRUE(session);
  FtpLoginFailure failure;
  EXPECT_FALSE(session->ConnectFtp(kStandinHost, standin.FtpPort(), test::kUploadUser, test::kUploadPassword,
                                   failure));
  EXPECT_NE(failure.code, 0u);
  EXPECT_FALSE(failure.text.empty());
}

// The server accepts the login and closes the connection: the connection's commands
// fail as cut, and nothing logs in again behind the caller's back.
TEST_F(FtpLoginWithStandin, ConnectionClosedAfterTheLoginIsNotReplaced) {
  ASSERT_NE(standin.Control("set?ftp_drop_after_login=1"), "");
  auto session = test::TransferSession(*internet);
  ASSERT_TRUE(session);
  auto connection = test::Login(*session, standin, test::kUploadUser, test::kUploadPassword);
  ASSERT_TRUE(connection);
  EXPECT_FALSE(connection->ChangeDirectory(test::kUploadDirectory));
  EXPECT_EQ(connection->LastError(), 12030u);
  EXPECT_FALSE(connection->OpenFile("author7_after.wav", true));
  EXPECT_EQ(connection->LastError(), 12030u);
  const auto commands = standin.FtpCommands();
  EXPECT_EQ(std::count(commands.begin(), commands.end(), std::string("USER ") + test::kUploadUser), 1);
}

TEST_F(FtpLoginWithStandin, PortBeyondTheRangeIsNotWrappedOntoAnother) {
  auto session = test::TransferSession(*internet);
  ASSERT_TRUE(session);
  FtpLoginFailure failure;
  EXPECT_FALSE(session->ConnectFtp(kStandinHost, 65536 + standin.FtpPort(), test::kUploadUser,
                                   test::kUploadPassword, failure));
  EXPECT_NE(failure.code, 0u);
}

TEST(FtpLogin, ClosedPortFailsToConnect) {
  const unsigned port = test::ClosedLoopbackPort();
  ASSERT_NE(port, 0u);
  auto internet = MakeCurlInternet(TransportSecurity{Encryption::None, {}});
  auto session = test::TransferSession(*internet);
  ASSERT_TRUE(session);
  FtpLoginFailure failure;
  EXPECT_FALSE(session->ConnectFtp(kStandinHost, port, test::kUploadUser, test::kUploadPassword, failure));
  EXPECT_EQ(failure.kind, FtpLoginFailure::Kind::Internet);
  EXPECT_EQ(failure.code, 12029u);
  EXPECT_FALSE(failure.text.empty());
}

}  // namespace
}  // namespace tarnwick
