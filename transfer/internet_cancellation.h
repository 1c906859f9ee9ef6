// Lets the user-interface thread stop a poll cycle that waits on the network.
//
// Every connection that the cycle's thread opens registers here how to end its
// waits (the transport wakes its wait and shuts its sockets down), and checks
// Cancelled() wherever it waits; that is how Exit and the end of a session reach a
// worker that waits for a silent server. Cancel() runs the registered closers,
// newest (innermost) first, and refuses new registrations and calls from then on,
// so that nothing new is started. Calls counted with NetworkCall are those that no
// closer can end.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace tarnwick {

class InternetCancellation {
 public:
  using Closer = std::function<void()>;

  // Keeps `close` for the handle known as `key`; false once cancelled, and then the
  // caller closes the handle itself and goes no further.
  bool Register(const void* key, Closer close);
  // The owner is done with the handle: true when it must close it now, false when
  // Cancel() has closed it already.
  bool Unregister(const void* key);
  // Around every call that may wait on the network; false once cancelled.
  bool EnterCall();
  void LeaveCall();
  // Closes every registered handle and refuses everything after; safe from any thread.
  void Cancel();
  bool Cancelled() const;
  // Whether the owner is still inside a call; after Cancel() such a call began before it.
  bool CallInProgress() const;

 private:
  mutable std::mutex m_lock;
  bool m_cancelled = false;
  int m_callsInProgress = 0;
  std::vector<std::pair<const void*, Closer>> m_handles;
};

// Names the cancellation that the Internet handles opened on this thread belong to,
// for the lifetime of the scope.
class CancellationScope {
 public:
  explicit CancellationScope(std::shared_ptr<InternetCancellation> cancellation);
  ~CancellationScope();
  CancellationScope(const CancellationScope&) = delete;
  CancellationScope& operator=(const CancellationScope&) = delete;
};

// The calling thread's cancellation; null outside a poll cycle.
std::shared_ptr<InternetCancellation> CurrentCancellation();

// One call that may block, counted while it runs; Allowed() is false after Cancel().
// Without a cancellation (outside a cycle) every call is allowed.
class NetworkCall {
 public:
  NetworkCall();
  ~NetworkCall();
  NetworkCall(const NetworkCall&) = delete;
  NetworkCall& operator=(const NetworkCall&) = delete;
  bool Allowed() const { return m_allowed; }

 private:
  std::shared_ptr<InternetCancellation> m_cancellation;
  bool m_allowed = true;
};

}  // namespace tarnwick
