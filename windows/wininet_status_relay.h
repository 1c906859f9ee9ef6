// Carries WinInet's status notifications to the session's sink.
//
// The platform calls one plain function for every handle that descends from the
// session, with the operation's context value (1), which cannot tell sessions
// apart. In synchronous mode the notification arrives on the thread that makes the
// call, so each call into WinInet names the sink of its session for that thread.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <memory>

#include "platform/internet.h"

namespace tarnwick {

// Shared by a session and every handle opened under it; the sink is set once the
// session's callback is enabled and cleared before the session goes away.
struct StatusRelay {
  ISessionStatusSink* sink = nullptr;
};

// Names the relay's sink as the receiver of notifications on this thread for the
// lifetime of the scope; nests.
class StatusScope {
 public:
  explicit StatusScope(const std::shared_ptr<StatusRelay>& relay);
  ~StatusScope();
  StatusScope(const StatusScope&) = delete;
  StatusScope& operator=(const StatusScope&) = delete;

 private:
  ISessionStatusSink* m_previous;
};

// The function given to InternetSetStatusCallbackA.
void CALLBACK RelayStatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID information,
                                  DWORD informationLength);

}  // namespace tarnwick
