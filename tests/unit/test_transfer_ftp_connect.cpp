#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "transfer_rig.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

struct FtpConnectTest : ::testing::Test {
  TransferRig rig;
  std::unique_ptr<ITransferSession> session;
  void SetUp() override { session = OpenTransferSession(rig.internet); }
  std::string Attempt(int number) {
    return "S:Connecting to ftp.tessaro.example (Attempt " + std::to_string(number) + " of 5)";
  }
};

TEST_F(FtpConnectTest, OnlyLowerCaseUSelectsTheUploadAccount) {
  EXPECT_STREQ(FtpAccountFor('u').user, "dravos");
  EXPECT_STREQ(FtpAccountFor('u').password, "brinotaxe4");
  for (char code : {'U', 'd', 'D', '\0', 'x'}) {
    EXPECT_STREQ(FtpAccountFor(code).user, "dravodn") << code;
    EXPECT_STREQ(FtpAccountFor(code).password, "quendil");
  }
  rig.service.ftpPort = 2121;
  rig.service.ftpHost = "127.0.0.1";
  PollCycle& cycle = rig.Cycle();
  EXPECT_NE(cycle.ConnectFtp(*session, 'U').connection, nullptr);
  const FtpLogin login = cycle.ConnectFtp(*session, 'u');
  EXPECT_EQ(rig.internet.ftp.operations,
            (std::vector<std::string>{"login dravodn@127.0.0.1:2121", "close", "login dravos@127.0.0.1:2121"}));
  EXPECT_NE(login.connection, nullptr);
  EXPECT_EQ(login.failure, "");
  EXPECT_EQ(rig.host.icons, (std::vector<std::string>{"102", "101", "102", "101"}));
}

TEST_F(FtpConnectTest, EachFailureKindLandsInItsPlace) {
  PollCycle& cycle = rig.Cycle();
  rig.internet.ftp.refuseLogins = 1;
  rig.internet.ftp.refusal = {FtpLoginFailure::Kind::Internet, 12014, std::string(1500, 'p')};
  FtpLogin login = cycle.ConnectFtp(*session, 'u');
  EXPECT_EQ(login.connection, nullptr);
  EXPECT_EQ(login.failure, "");
  // The platform's text, cut to the status buffer.
  EXPECT_EQ(rig.journal.entries, std::vector<std::string>{"S:" + std::string(1023, 'p')});

  rig.journal.entries.clear();
  rig.internet.ftp.refuseLogins = 1;
  rig.internet.ftp.refusal = {FtpLoginFailure::Kind::File, 5, "C:\\pagefile"};
  login = cycle.ConnectFtp(*session, 'u');
  EXPECT_EQ(login.connection, nullptr);
  EXPECT_EQ(login.failure, "File Error 5 C:\\pagefile");
  rig.internet.ftp.refuseLogins = 1;
  rig.internet.ftp.refusal = {FtpLoginFailure::Kind::Text, 0, "out of memory"};
  login = cycle.ConnectFtp(*session, 'u');
  EXPECT_EQ(login.connection, nullptr);
  EXPECT_EQ(login.failure, "out of memory");
  EXPECT_TRUE(rig.journal.entries.empty());  // nothing shown for these kinds
  EXPECT_EQ(rig.host.icons.back(), "101");
}

// How a session's encryption went reaches the log file once per cycle, however
// many logins meet it; everything else about a login stays out of the log file.
TEST_F(FtpConnectTest, EncryptionNoticesReachTheLogFileOncePerCycle) {
  const std::string unverified = "F:The FTP server's certificate could not be verified";
  struct Case {
    const char* what;
    SessionSecurity security;
    std::uint32_t refusal;  // 0: the logins succeed
    std::string logged;     // the start of the one log line expected; empty for none
  } const cases[] = {
      {"plain", SessionSecurity::Plain, 0, ""},
      {"encrypted and verified", SessionSecurity::Encrypted, 0, ""},
      {"encrypted, certificate not verified", SessionSecurity::EncryptedUnverified, 0, unverified},
      {"encryption refused where required", SessionSecurity::Plain, 12157,
       "F:FTP login to ftp.tessaro.example failed: tls refused"},
      {"certificate refused where required", SessionSecurity::Plain, 12175,
       "F:FTP login to ftp.tessaro.example failed: tls refused"},
      {"wrong password", SessionSecurity::Plain, 12014, ""},
  };
  for (const Case& c : cases) {
    TransferRig fresh;
    std::unique_ptr<ITransferSession> pass = OpenTransferSession(fresh.internet);
    fresh.internet.ftp.security = c.security;
    if (c.refusal != 0) {
      fresh.internet.ftp.refuseLogins = 3;
      fresh.internet.ftp.refusal = {FtpLoginFailure::Kind::Internet, c.refusal, "tls refused"};
    }
    PollCycle& cycle = fresh.Cycle();
    for (int login = 0; login < 3; ++login) cycle.ConnectFtp(*pass, 'u');
    std::vector<std::string> logged;
    for (const std::string& entry : fresh.journal.entries)
      if (entry.rfind("F:", 0) == 0) logged.push_back(entry);
    if (c.logged.empty()) {
      EXPECT_TRUE(logged.empty()) << c.what;
    } else {
      ASSERT_EQ(logged.size(), 1u) << c.what;
      EXPECT_EQ(logged[0].rfind(c.logged, 0), 0u) << c.what << ": " << logged[0];
    }
  }
}

TEST_F(FtpConnectTest, FiveAttemptsWithoutPauseThenGiveUp) {
  rig.internet.ftp.accounts["dravodn"] = "changed";  // wrong password for the download account
  PollCycle& cycle = rig.Cycle();
  EXPECT_EQ(cycle.ConnectWithRetries(*session, 'd'), nullptr);
  std::vector<std::string> expected;
  for (int attempt = 1; attempt <= 5; ++attempt) expected = expected + std::vector<std::string>{Attempt(attempt), "S:530 Login incorrect."};
  expected.push_back("S:Failed to connect to server");
  EXPECT_EQ(rig.journal.entries, expected);
  EXPECT_EQ(rig.internet.ftp.logins, 5);
  EXPECT_EQ(rig.internet.ftp.openConnections, 0);
}

TEST_F(FtpConnectTest, StopsAtTheFirstSuccessAndShowsBusy) {
  rig.internet.ftp.refuseLogins = 2;
  PollCycle& cycle = rig.Cycle();
  const std::unique_ptr<IFtpConnection> connection = cycle.ConnectWithRetries(*session, 'u');
  const std::string refusal = "S:The attempt to connect to the server failed.";
  EXPECT_EQ(rig.journal.entries, (std::vector<std::string>{Attempt(1), refusal, Attempt(2), refusal, Attempt(3),
                                                           "S:Connected to Tessaro Server"}));
  EXPECT_NE(connection, nullptr);
  EXPECT_EQ(rig.internet.ftp.openConnections, 1);
  EXPECT_EQ(rig.host.icons.back(), "102");
}

TEST_F(FtpConnectTest, ExitBetweenAttemptsEndsTheRetriesAtOnce) {
  rig.internet.ftp.refuseLogins = 5;
  rig.host.stopOnOutput = "S:The attempt to connect to the server failed.";
  PollCycle& cycle = rig.Cycle();
  EXPECT_EQ(cycle.ConnectWithRetries(*session, 'u'), nullptr);
  EXPECT_EQ(rig.internet.ftp.logins, 1);  // Exit came after the first attempt failed
}

}  // namespace
}  // namespace tarnwick
