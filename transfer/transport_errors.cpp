#include "transfer/transport_errors.h"

namespace tarnwick {

namespace {

// Results that mean the server answered, and refused: the reply says more.
constexpr std::uint32_t kServerSaidNo = 0;

struct ResultCode {
  int result;
  std::uint32_t code;  // kServerSaidNo: the reply says which
};

// What the transport saw. A cut or reset connection reads 12030 either way: the
// transport cannot tell them apart, and both leave the file for the next cycle.
const ResultCode kResults[] = {
    {transport::kUnsupportedProtocol, 12006},     // scheme not supported
    {transport::kFailedInit, 12004},              // internal error
    {transport::kUrlMalformat, 12005},            // the URL is invalid
    {transport::kCouldNotResolveProxy, 12007},    // name not resolved
    {transport::kCouldNotResolveHost, 12007},     // name not resolved
    {transport::kCouldNotConnect, 12029},         // cannot connect
    {transport::kCannotGetHost, 12029},           // the data connection could not be made
    {transport::kWeirdServerReply, kServerSaidNo},
    {transport::kRemoteAccessDenied, kServerSaidNo},
    {transport::kWeirdPassiveReply, kServerSaidNo},
    {transport::kCouldNotSetType, kServerSaidNo},
    {transport::kPartialFile, kServerSaidNo},     // 12030 when no refusal came
    {transport::kCouldNotRetrieveFile, kServerSaidNo},
    {transport::kQuoteError, kServerSaidNo},
    {transport::kUploadFailed, kServerSaidNo},
    {transport::kRemoteFileNotFound, kServerSaidNo},
    {transport::kWriteError, 12030},              // the receiver gave up: connection aborted
    {transport::kReadError, 12030},
    {transport::kOutOfMemory, 12004},
    {transport::kTimedOut, 12002},                // the request has timed out
    {transport::kAbortedByCallback, 12017},       // operation cancelled
    {transport::kGotNothing, 12030},
    {transport::kSendError, 12030},
    {transport::kReceiveError, 12030},
    {transport::kSslConnectError, kSecureChannelFailed},
    {transport::kUseTlsFailed, kSecureChannelFailed},  // the server refused AUTH TLS
    {transport::kPeerFailedVerification, kCertificateNotVerified},
    {transport::kLoginDenied, 12014},             // the password is incorrect
};

struct ReplyCode {
  int reply;
  std::uint32_t code;
};

// What the server's refusal says, where it names more than a refusal.
const ReplyCode kReplies[] = {
    {421, 12030},  // service closing the control connection
    {425, 12029},  // cannot open the data connection
    {426, 12030},  // connection closed, transfer aborted
    {530, 12015},  // not logged in
};

constexpr std::uint32_t kExtendedError = 12003;  // the server's reply holds the reason
constexpr std::uint32_t kInternalError = 12004;
constexpr std::uint32_t kConnectionAborted = 12030;

std::uint32_t FromReply(int reply) {
  for (const ReplyCode& entry : kReplies)
    if (entry.reply == reply) return entry.code;
  return reply >= 400 ? kExtendedError : 0;
}

}  // namespace

std::uint32_t InternetErrorFor(int result, int lastReply) {
  if (result == transport::kOk) return FromReply(lastReply);
  for (const ResultCode& entry : kResults) {
    if (entry.result != result) continue;
    if (entry.code != kServerSaidNo) return entry.code;
    const std::uint32_t refusal = FromReply(lastReply);
    if (refusal != 0) return refusal;
    // No refusal came: the transfer ended short, or the reply made no sense.
    return result == transport::kPartialFile ? kConnectionAborted : kExtendedError;
  }
  return kInternalError;
}

}  // namespace tarnwick
