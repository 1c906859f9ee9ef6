// Lets the user-interface thread stop a poll cycle that waits on the network.
//
// Every connection that the cycle's thread opens registers here how to end its
// waits (the transport wakes its wait and shuts its sockets down), and checks
// Cancelled() wherever it waits; that is how Exit and the end of a session reach a
// worker that waits for a silent server. Cancel() runs the registered closers,
// newest (innermost) first, and refuses new registrations and calls from then on,
// so that nothing new is started.
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
  // Closes every registered handle and refuses everything after; safe from any thread.
  void Cancel();
  bool Cancelled() const;

 private:
  mutable std::mutex m_lock;
  bool m_cancelled = false;
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

}  // namespace tarnwick
