// Ownership of one WinInet handle.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>

#include "transfer/internet_cancellation.h"

namespace tarnwick {

// Closes its handle when it goes. A handle keeps the one it was opened on alive:
// WinInet closes the children of a closed handle and may give their numbers to new
// handles, so a child must never be closed after its parent. A handle opened inside
// a poll cycle belongs to the cycle's cancellation, which may close it from the
// user-interface thread; once cancelled, a new handle is closed at once and holds none.
class InternetHandle {
 public:
  InternetHandle(HINTERNET handle, std::shared_ptr<InternetHandle> parent);
  ~InternetHandle();
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;

  HINTERNET Get() const { return m_handle; }
  // InternetCloseHandle now; false when the platform reports a failure. Later calls do nothing.
  bool Close();

 private:
  HINTERNET m_handle;
  std::shared_ptr<InternetHandle> m_parent;
  std::shared_ptr<InternetCancellation> m_cancellation;
};

}  // namespace tarnwick
