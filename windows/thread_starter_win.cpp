#include "windows/thread_starter_win.h"

#include <process.h>

#include <memory>

namespace tarnwick {

namespace {

void __cdecl RunBody(void* argument) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
  (*body)();
}

}  // namespace

bool CrtThreadStarter::Start(std::function<void()> body) {
  // The new thread owns the body; if no thread comes, it is freed here.
  auto owned = std::make_unique<std::function<void()>>(std::move(body));
  const std::uintptr_t thread = _beginthread(RunBody, 0, owned.get());
  if (thread == static_cast<std::uintptr_t>(-1)) return false;
  owned.release();
  return true;
}

}  // namespace tarnwick
