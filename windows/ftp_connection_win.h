// A logged-in FTP connection of WinInet and the transfers made on it.
#pragma once

#include <memory>

#include "platform/internet.h"
#include "windows/wininet_handle.h"

namespace tarnwick {

// Takes over a handle that InternetConnectA returned for the FTP service.
std::unique_ptr<IFtpConnection> MakeWinInetFtpConnection(std::shared_ptr<InternetHandle> connection);

}  // namespace tarnwick
