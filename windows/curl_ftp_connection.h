// FTP over libcurl: one login per connection object, on which every command of the
// object runs over the same control connection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/internet.h"
#include "windows/curl_link.h"

namespace tarnwick {

struct FtpLogin {
  std::string host;
  unsigned port = 21;
  std::string user;
  std::string password;
};

// Logs in (passive mode, binary transfers) with the TLS that `security` asks for,
// checking the server's certificate when `verify`; null with `failure` filled when
// that fails.
std::unique_ptr<IFtpConnection> ConnectCurlFtp(const FtpLogin& login, const LinkTimeouts& timeouts,
                                               const TransportSecurity& security, bool verify,
                                               FtpLoginFailure& failure);

// The description of an Internet error code as a failed login reports it; the
// server's reply follows it where it holds the reason.
std::string InternetErrorDescription(std::uint32_t code, const std::string& reply);

}  // namespace tarnwick
