// Exit reaches a worker that waits on a silent server: the cycle's cancellation
// ends the wait, and the call reports the cancellation rather than its time-out.
// (A put is not among them: the stand-in's data connection that is left hanging
// still takes what is sent, so a put never waits there.)
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>

#include "test_internet_standin.h"
#include "transfer/internet_cancellation.h"
#include "windows/curl_internet.h"

namespace tarnwick {
namespace {

using test::Standin;

constexpr std::uint32_t kCancelled = 12017;
constexpr std::size_t kPiece = 1024 * 1024;

std::uint32_t LoginThenWait(ITransferSession& session, const Standin& standin) {
  FtpLoginFailure failure;
  auto ftp = session.ConnectFtp(test::kStandinHost, standin.FtpPort(), test::kUploadUser, test::kUploadPassword,
                                failure);
  return ftp ? 0 : failure.code;
}

std::uint32_t GetThenWait(ITransferSession& session, const Standin& standin) {
  auto ftp = test::Login(session, standin, test::kDownloadUser, test::kDownloadPassword);
  if (!ftp || !ftp->ChangeDirectory(test::kDownloadDirectory)) return 0;
  auto stream = ftp->OpenFile("hang.wav", false);
  if (!stream) return ftp->LastError();
  std::string piece(kPiece, '\0');
  for (;;) {
    std::size_t read = 0;
    if (!stream->Read(piece.data(), piece.size(), read)) return ftp->LastError();
    if (read == 0) return 0;
  }
}

// Whether the server received a command that starts with `verb`.
bool ServerSaw(const Standin& standin, const std::string& verb) {
  const auto commands = standin.FtpCommands();
  return std::any_of(commands.begin(), commands.end(),
                     [&verb](const std::string& command) { return command.compare(0, verb.size(), verb) == 0; });
}

class CancelWithStandin : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(standin.Control("reset"), ""); }
  Standin standin = Standin::FromEnvironment();
  std::unique_ptr<IInternet> internet = MakeCurlInternet(TransportSecurity{Encryption::None, {}});
};

TEST_F(CancelWithStandin, EveryWaitOnASilentServerEndsWithTheCancellation) {
  test::WriteWholeFile(standin.PendingFile("hang.wav"), test::PatternBytes(3 * kPiece, 8));
  const struct {
    const char* hang;
    const char* reachedWhenServerSaw;  // null: the server answers nothing at all
    std::function<std::uint32_t(ITransferSession&, const Standin&)> operation;
  } cases[] = {
      {"login", nullptr, LoginThenWait},
      {"get", "RETR", GetThenWait},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hang);
    ASSERT_NE(standin.Control("reset"), "");
    ASSERT_NE(standin.Control(std::string("set?hang=") + c.hang), "");
    auto session = test::TransferSession(*internet);
    ASSERT_TRUE(session);
    auto cancellation = std::make_shared<InternetCancellation>();
    std::uint32_t code = 0;
    std::thread worker([&]() {
      CancellationScope scope(cancellation);
      code = c.operation(*session, standin);
    });
    // Cancelled only once the worker waits on the server, so that it is the wait that ends.
    if (c.reachedWhenServerSaw == nullptr) {
      Sleep(1000);
    } else {
      for (int look = 0; look < 200 && !ServerSaw(standin, c.reachedWhenServerSaw); ++look) Sleep(50);
      EXPECT_TRUE(ServerSaw(standin, c.reachedWhenServerSaw));
      Sleep(300);
    }
    cancellation->Cancel();
    worker.join();
    EXPECT_EQ(code, kCancelled);
  }
}

TEST_F(CancelWithStandin, NothingNewStartsOnceCancelled) {
  auto cancellation = std::make_shared<InternetCancellation>();
  cancellation->Cancel();
  CancellationScope scope(cancellation);
  EXPECT_FALSE(internet->Open("InetURL/1.0"));
  EXPECT_FALSE(internet->CreateTransferSession());
}

}  // namespace
}  // namespace tarnwick
