#include "transfer/internet_cancellation.h"

namespace tarnwick {

namespace {
thread_local std::shared_ptr<InternetCancellation> t_cancellation;
}

bool InternetCancellation::Register(const void* key, Closer close) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_cancelled) return false;
  m_handles.emplace_back(key, std::move(close));
  return true;
}

bool InternetCancellation::Unregister(const void* key) {
  std::lock_guard<std::mutex> guard(m_lock);
  for (auto it = m_handles.begin(); it != m_handles.end(); ++it) {
    if (it->first == key) {
      m_handles.erase(it);
      return true;
    }
  }
  // Only Cancel() takes entries away behind the owner's back; a key never
  // registered (opened before the cycle began) is still the owner's to close.
  return !m_cancelled;
}

void InternetCancellation::Cancel() {
  // The lock is held while closing, so an owner that finishes with a handle just
  // now waits and then learns that it must not close it again.
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_cancelled) return;
  m_cancelled = true;
  // Children before the handle they were opened on: closing a parent closes its
  // children too, and they must not be closed a second time.
  for (auto it = m_handles.rbegin(); it != m_handles.rend(); ++it) it->second();
  m_handles.clear();
}

bool InternetCancellation::Cancelled() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_cancelled;
}

CancellationScope::CancellationScope(std::shared_ptr<InternetCancellation> cancellation) {
  t_cancellation = std::move(cancellation);
}

CancellationScope::~CancellationScope() { t_cancellation.reset(); }

std::shared_ptr<InternetCancellation> CurrentCancellation() { return t_cancellation; }

}  // namespace tarnwick
