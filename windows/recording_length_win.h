// The media control window (MCIWnd) that measures how long a recording plays.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/media.h"

namespace tarnwick {

// `instance` is the module whose instance handle the media window is created with.
std::unique_ptr<IRecordingLength> MakeMciRecordingLength(HINSTANCE instance);

}  // namespace tarnwick
