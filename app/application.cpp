#include "app/application.h"

namespace tarnwick {

const char kInstanceMutexName[] = "FD2C3621_1A18_11D8_8E2A_EA1BF69D4779";

bool Application::InitInstance(IInstanceMarker& marker, IMessageBox& messageBox, const std::function<bool()>& createFrame) {
  if (marker.AnotherInstanceRuns(kInstanceMutexName)) {
    messageBox.Show("Dravo Upload Ulkin is already loaded");
    return false;
  }
  return createFrame();
}

}  // namespace tarnwick
