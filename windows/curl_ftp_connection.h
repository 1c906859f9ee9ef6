// FTP over libcurl: one login per connection object, on which every command of the
// object runs over the same control connection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/internet.h"
#include "windows/curl_link.h"

namespace tarnwick {

// Carries a session's status notifications to its sink; shared by the session and
// the connections it made, and cleared when the session goes.
struct SessionNotifier {
  ISessionStatusSink* sink = nullptr;
  void Notify(std::uint32_t status, const std::string& info = std::string()) const;
};

struct FtpLogin {
  std::string host;
  unsigned port = 21;
  std::string user;
  std::string password;
};

// Logs in (passive mode, binary transfers); null with `failure` filled when that fails.
std::unique_ptr<IFtpConnection> ConnectCurlFtp(const FtpLogin& login, const LinkTimeouts& timeouts,
                                               std::shared_ptr<SessionNotifier> notifier, FtpLoginFailure& failure);

// The description of an Internet error code as a failed login reports it; the
// server's reply follows it where it holds the reason.
std::string InternetErrorDescription(std::uint32_t code, const std::string& reply);

}  // namespace tarnwick
