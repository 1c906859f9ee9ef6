// Ownership of one WinInet handle.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>

#include "windows/wininet_status_relay.h"

namespace tarnwick {

// Closes its handle when it goes. A handle keeps the one it was opened on alive:
// WinInet closes the children of a closed handle and may give their numbers to new
// handles, so a child must never be closed after its parent.
class InternetHandle {
 public:
  InternetHandle(HINTERNET handle, std::shared_ptr<InternetHandle> parent, std::shared_ptr<StatusRelay> relay);
  ~InternetHandle();
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;

  HINTERNET Get() const { return m_handle; }
  const std::shared_ptr<StatusRelay>& Relay() const { return m_relay; }
  // InternetCloseHandle now; false when the platform reports a failure. Later calls do nothing.
  bool Close();

 private:
  HINTERNET m_handle;
  std::shared_ptr<InternetHandle> m_parent;
  std::shared_ptr<StatusRelay> m_relay;
};

}  // namespace tarnwick
