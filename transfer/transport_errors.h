// The Internet error codes that the program reports, for what the transport and the
// FTP server say: one table for every FTP and web failure.
#pragma once

#include <cstdint>

namespace tarnwick {

// The transport's result numbers that the table knows (libcurl's CURLcode values).
namespace transport {
constexpr int kOk = 0;
constexpr int kUnsupportedProtocol = 1;
constexpr int kFailedInit = 2;
constexpr int kUrlMalformat = 3;
constexpr int kCouldNotResolveProxy = 5;
constexpr int kCouldNotResolveHost = 6;
constexpr int kCouldNotConnect = 7;
constexpr int kWeirdServerReply = 8;
constexpr int kRemoteAccessDenied = 9;
constexpr int kWeirdPassiveReply = 13;
constexpr int kCannotGetHost = 15;
constexpr int kCouldNotSetType = 17;
constexpr int kPartialFile = 18;
constexpr int kCouldNotRetrieveFile = 19;
constexpr int kQuoteError = 21;
constexpr int kWriteError = 23;
constexpr int kUploadFailed = 25;
constexpr int kReadError = 26;
constexpr int kOutOfMemory = 27;
constexpr int kTimedOut = 28;
constexpr int kAbortedByCallback = 42;
constexpr int kGotNothing = 52;
constexpr int kSendError = 55;
constexpr int kReceiveError = 56;
constexpr int kSslConnectError = 35;
constexpr int kPeerFailedVerification = 60;
constexpr int kUseTlsFailed = 64;
constexpr int kLoginDenied = 67;
constexpr int kRemoteFileNotFound = 78;
}  // namespace transport

// The codes of a secure connection that could not be made (the server refused TLS,
// or the handshake failed) and of a certificate that did not verify.
constexpr std::uint32_t kSecureChannelFailed = 12157;
constexpr std::uint32_t kCertificateNotVerified = 12175;

// The Internet error code of an operation that ended with the transport's `result`
// after the server's last reply `lastReply` (0 when none came). A result of 0 with a
// refusing reply (400 and up) is a failure too; 0 when neither says one.
std::uint32_t InternetErrorFor(int result, int lastReply);

}  // namespace tarnwick
