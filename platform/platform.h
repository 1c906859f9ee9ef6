// Everything the portable core needs of the machine, handed over as one bundle.
#pragma once

#include "platform/clock.h"
#include "platform/data_protection.h"
#include "platform/file_system.h"
#include "platform/internet.h"
#include "platform/media.h"
#include "platform/profile.h"
#include "platform/user_interface.h"

namespace tarnwick {

struct Platform {
  IProfile& profile;
  IFileSystem& files;
  IInternet& internet;
  IClock& clock;
  IRecordingLength& media;
  IMessageBox& messageBox;
  IThreadStarter& threads;
  IDataProtection& protection;
};

// The windows of one main frame, given to it when its window is created.
struct FrameWindows {
  IFrameWindow& frame;
  IStatusBar& statusBar;
  IWindowLog& windowLog;
  ITrayShell& tray;
  std::uintptr_t handle = 0;  // the frame's window handle, for the tray record
};

}  // namespace tarnwick
