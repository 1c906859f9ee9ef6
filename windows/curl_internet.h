// The program's Internet seam over libcurl: FTP for the passes and HTTP for the web
// requests, every wait bounded by its time-out and ended by the poll cycle's
// cancellation.
#pragma once

#include <memory>

#include "platform/internet.h"

namespace tarnwick {

std::unique_ptr<IInternet> MakeCurlInternet();

}  // namespace tarnwick
