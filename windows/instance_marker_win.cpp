#include "windows/instance_marker_win.h"

#include <windows.h>

namespace tarnwick {

bool MutexInstanceMarker::AnotherInstanceRuns(const std::string& name) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, name.c_str());
  const DWORD error = GetLastError();
  // Only the name matters: ownership is dropped at once, and the handle stays open
  // for the life of the process so that the name exists exactly as long as it runs.
  if (mutex != nullptr) ReleaseMutex(mutex);
  return error == ERROR_ALREADY_EXISTS;
}

}  // namespace tarnwick
