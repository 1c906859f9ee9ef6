#include "windows/wininet_status_relay.h"

#include <string>

namespace tarnwick {

namespace {

thread_local ISessionStatusSink* t_sink = nullptr;

// Only these notifications carry text; the others carry numbers, structures or
// handles, which must never be read as characters.
std::string InformationText(DWORD status, LPVOID information, DWORD length) {
  switch (status) {
    case INTERNET_STATUS_RESOLVING_NAME:
    case INTERNET_STATUS_NAME_RESOLVED:
    case INTERNET_STATUS_REDIRECT:
      break;
    default:
      return {};
  }
  if (information == nullptr || length == 0) return {};
  const char* text = static_cast<const char*>(information);
  // The length counts the terminator when there is one; never read past it.
  std::size_t size = 0;
  while (size < length && text[size] != '\0') ++size;
  return std::string(text, size);
}

}  // namespace

StatusScope::StatusScope(const std::shared_ptr<StatusRelay>& relay) : m_previous(t_sink) {
  t_sink = relay ? relay->sink : nullptr;
}

StatusScope::~StatusScope() { t_sink = m_previous; }

void CALLBACK RelayStatusCallback(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information,
                                  DWORD informationLength) {
  if (t_sink == nullptr) return;
  t_sink->OnStatusCallback(static_cast<std::uint32_t>(context), status,
                           InformationText(status, information, informationLength));
}

}  // namespace tarnwick
