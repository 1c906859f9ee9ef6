// Start-up: the single-instance guard and the creation of the main frame.
#pragma once

#include <functional>

#include "app/program_names.h"
#include "platform/user_interface.h"

namespace tarnwick {

extern const char kInstanceMutexName[];

class Application {
 public:
  // `createFrame` loads, shows and updates the main frame (its first paint does the
  // start-up work) and then records it as the main window; false when it fails.
  bool InitInstance(IInstanceMarker& marker, IMessageBox& messageBox, const std::function<bool()>& createFrame);
};

}  // namespace tarnwick
