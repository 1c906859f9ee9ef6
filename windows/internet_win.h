// The Windows Internet functions (WinInet) behind the program's Internet seam.
#pragma once

#include <memory>

#include "platform/internet.h"

namespace tarnwick {

// Every object it hands out owns exactly one WinInet handle and closes it when destroyed.
std::unique_ptr<IInternet> MakeWinInetInternet();

}  // namespace tarnwick
