// The program's Internet seam over libcurl: FTP(S) for the passes and HTTP(S) for
// the web requests, every wait bounded by its time-out and ended by the poll cycle's
// cancellation.
#pragma once

#include <memory>

#include "platform/internet.h"

namespace tarnwick {

// Every FTP session and web request protected as `security` says.
std::unique_ptr<IInternet> MakeCurlInternet(const TransportSecurity& security);

}  // namespace tarnwick
