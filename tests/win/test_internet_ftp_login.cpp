// Transfer sessions of the libcurl adapter: FTP logins with both accounts, the
// failures they report, and the status notifications that reach the session's sink.
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

// The notification numbers of the session's sink.
constexpr std::uint32_t kResolvingName = 10;
constexpr std::uint32_t kSendingRequest = 30;

struct Notification {
  std::uint32_t context;
  std::uint32_t status;
  std::string info;
};

class RecordingSink : public ISessionStatusSink {
 public:
  void OnStatusCallback(std::uint32_t context, std::uint32_t status, const std::string& info) override {
    notifications.push_back({context, status, info});
  }
  bool Saw(std::uint32_t status) const {
    for (const auto& notification : notifications) {
      if (notification.status == status) return true;
    }
    return false;
  }
  std::vector<Notification> notifications;
};

class FtpLoginWithStandin : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(standin.Control("reset"), ""); }
  Standin standin = Standin::FromEnvironment();
  std::unique_ptr<IInternet> internet = MakeCurlInternet();
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

TEST_F(FtpLoginWithStandin, NotificationsReachOnlyTheSinkOfTheirOwnSession) {
  auto watched = test::TransferSession(*internet);
  auto other = test::TransferSession(*internet);
  ASSERT_TRUE(watched);
  ASSERT_TRUE(other);
  RecordingSink sink;
  RecordingSink otherSink;
  watched->EnableStatusCallback(sink);
  other->EnableStatusCallback(otherSink);

  auto connection = test::Login(*watched, standin, test::kUploadUser, test::kUploadPassword);
  ASSERT_TRUE(connection);
  ASSERT_FALSE(sink.notifications.empty());
  EXPECT_TRUE(otherSink.notifications.empty());

  bool sawHostName = false;
  for (const auto& notification : sink.notifications) {
    EXPECT_EQ(notification.context, 1u) << "status " << notification.status;
    if (notification.status == kResolvingName) {
      EXPECT_EQ(notification.info, kStandinHost);
      sawHostName = true;
    }
  }
  EXPECT_TRUE(sawHostName);

  // Commands on the connection are reported to the session that made it.
  sink.notifications.clear();
  EXPECT_TRUE(connection->ChangeDirectory(test::kUploadDirectory));
  EXPECT_TRUE(sink.Saw(kSendingRequest));
  EXPECT_TRUE(otherSink.notifications.empty());
}

TEST_F(FtpLoginWithStandin, SessionWithoutCallbackReportsNothingAndLogsIn) {
  RecordingSink sink;
  auto watched = test::TransferSession(*internet);
  ASSERT_TRUE(watched);
  watched->EnableStatusCallback(sink);
  auto quiet = test::TransferSession(*internet);
  ASSERT_TRUE(quiet);
  EXPECT_TRUE(test::Login(*quiet, standin, test::kDownloadUser, test::kDownloadPassword));
  EXPECT_TRUE(sink.notifications.empty());
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
  auto internet = MakeCurlInternet();
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
