#include <gtest/gtest.h>

#include "transfer/internet_errors.h"
#include "transfer/transport_errors.h"

namespace tarnwick {
namespace {

struct Situation {
  const char* what;
  int result;
  int lastReply;
  std::uint32_t code;
};

const Situation kSituations[] = {
    {"all went well", transport::kOk, 226, 0},
    {"no reply at all and no failure", transport::kOk, 0, 0},
    {"wrong password", transport::kLoginDenied, 530, 12014},
    {"refused connection", transport::kCouldNotConnect, 0, 12029},
    {"data connection not made", transport::kCannotGetHost, 227, 12029},
    {"silent server", transport::kTimedOut, 0, 12002},
    {"silent server after a reply", transport::kTimedOut, 150, 12002},
    {"name not resolved", transport::kCouldNotResolveHost, 0, 12007},
    {"proxy name not resolved", transport::kCouldNotResolveProxy, 0, 12007},
    {"connection cut while sending", transport::kSendError, 150, 12030},
    {"connection cut while receiving", transport::kReceiveError, 150, 12030},
    {"empty answer", transport::kGotNothing, 0, 12030},
    {"transfer ended short without a final reply", transport::kPartialFile, 150, 12030},
    {"final reply refuses the put", transport::kPartialFile, 451, 12003},
    {"final reply: transfer aborted", transport::kPartialFile, 426, 12030},
    {"put refused at once", transport::kUploadFailed, 553, 12003},
    {"get of a missing file", transport::kRemoteFileNotFound, 550, 12003},
    {"get refused", transport::kCouldNotRetrieveFile, 550, 12003},
    {"directory refused", transport::kRemoteAccessDenied, 550, 12003},
    {"command refused, failure kept", transport::kQuoteError, 550, 12003},
    {"command refused, failure ignored", transport::kOk, 550, 12003},
    {"command unknown", transport::kOk, 502, 12003},
    {"service closing", transport::kOk, 421, 12030},
    {"service closing during the put", transport::kUploadFailed, 421, 12030},
    {"data connection refused", transport::kOk, 425, 12029},
    {"not logged in", transport::kOk, 530, 12015},
    {"reply that makes no sense", transport::kWeirdServerReply, 0, 12003},
    {"cancelled by Exit", transport::kAbortedByCallback, 0, 12017},
    {"invalid URL", transport::kUrlMalformat, 0, 12005},
    {"unknown scheme", transport::kUnsupportedProtocol, 0, 12006},
    {"no memory", transport::kOutOfMemory, 0, 12004},
    {"receiver gave up", transport::kWriteError, 150, 12030},
    {"secure channel failed", transport::kSslConnectError, 0, 12157},
    {"server refused AUTH TLS", transport::kUseTlsFailed, 500, 12157},
    {"certificate not verified", transport::kPeerFailedVerification, 0, 12175},
    {"a result the table does not know", 99, 0, 12004},
};

TEST(TransportErrors, EverySituationHasItsInternetCode) {
  for (const Situation& s : kSituations) {
    EXPECT_EQ(InternetErrorFor(s.result, s.lastReply), s.code) << s.what;
  }
}

// The status bar and the download failure message show the code's text: every
// situation users can meet has one.
TEST(TransportErrors, EveryCodeReportedHasAText) {
  for (const Situation& s : kSituations) {
    const std::uint32_t code = InternetErrorFor(s.result, s.lastReply);
    if (code == 0) continue;
    EXPECT_FALSE(GetInternetErrorText(code).empty()) << s.what;
  }
}

}  // namespace
}  // namespace tarnwick
