#include "windows/wininet_handle.h"

#include <utility>

namespace tarnwick {

InternetHandle::InternetHandle(HINTERNET handle, std::shared_ptr<InternetHandle> parent,
                               std::shared_ptr<StatusRelay> relay)
    : m_handle(handle), m_parent(std::move(parent)), m_relay(std::move(relay)) {}

InternetHandle::~InternetHandle() { Close(); }

bool InternetHandle::Close() {
  if (m_handle == nullptr) return true;
  StatusScope scope(m_relay);
  const bool closed = InternetCloseHandle(m_handle) != FALSE;
  m_handle = nullptr;
  return closed;
}

}  // namespace tarnwick
