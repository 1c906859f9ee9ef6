// Transfer sessions of the WinInet adapter: FTP logins with both accounts and the
// failures they report.
#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

#include "test_internet_standin.h"
#include "windows/internet_win.h"

namespace tarnwick {
namespace {

using test::kStandinHost;
using test::Standin;

class FtpLoginWithStandin : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(standin.Control("reset"), ""); }
  Standin standin = Standin::FromEnvironment();
  std::unique_ptr<IInternet> internet = MakeWinInetInternet();
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

TEST_F(FtpLoginWithStandin, WrongPasswordsFailWithThePlatformsDescription) {
  auto session = test::TransferSession(*internet);
  ASSERT_TRUE(session);
  for (const char* user : {test::kUploadUser, test::kDownloadUser}) {
    FtpLoginFailure failure;
    failure.text = "left over";
    auto connection = session->ConnectFtp(kStandinHost, standin.FtpPort(), user, "wrong", failure);
    EXPECT_FALSE(connection) << user;
    EXPECT_EQ(failure.kind, FtpLoginFailure::Kind::Internet) << user;
    EXPECT_GE(failure.code, 12001u) << user;
    EXPECT_LE(failure.code, 12200u) << user;
    EXPECT_NE(failure.text, "left over") << user;
    EXPECT_FALSE(failure.text.empty()) << user;
    EXPECT_LE(failure.text.size(), 1023u) << user;
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
  auto internet = MakeWinInetInternet();
  auto session = test::TransferSession(*internet);
  ASSERT_TRUE(session);
  FtpLoginFailure failure;
  EXPECT_FALSE(session->ConnectFtp(kStandinHost, port, test::kUploadUser, test::kUploadPassword, failure));
  EXPECT_EQ(failure.kind, FtpLoginFailure::Kind::Internet);
  EXPECT_EQ(failure.code, static_cast<std::uint32_t>(ERROR_INTERNET_CANNOT_CONNECT));
  EXPECT_FALSE(failure.text.empty());
}

}  // namespace
}  // namespace tarnwick
