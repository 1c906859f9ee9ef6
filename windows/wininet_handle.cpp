#include "windows/wininet_handle.h"

#include <utility>

namespace tarnwick {

InternetHandle::InternetHandle(HINTERNET handle, std::shared_ptr<InternetHandle> parent)
    : m_handle(handle), m_parent(std::move(parent)), m_cancellation(CurrentCancellation()) {
  if (m_handle == nullptr || !m_cancellation) return;
  HINTERNET raw = m_handle;
  if (!m_cancellation->Register(this, [raw]() { InternetCloseHandle(raw); })) {
    m_cancellation.reset();
    Close();
  }
}

InternetHandle::~InternetHandle() { Close(); }

bool InternetHandle::Close() {
  if (m_handle == nullptr) return true;
  HINTERNET handle = m_handle;
  m_handle = nullptr;
  // Already closed by the cancellation; closing it again could hit another handle.
  if (m_cancellation && !m_cancellation->Unregister(this)) return false;
  // Closing a transfer waits for the server's final reply; counted as a call, so
  // Exit knows the worker waits on the network.
  bool closed;
  DWORD error;
  {
    NetworkCall call;
    closed = InternetCloseHandle(handle) != FALSE;
    error = GetLastError();
  }
  SetLastError(error);
  return closed;
}

}  // namespace tarnwick
