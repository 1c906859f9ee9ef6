#include "transfer/myinternetsession.h"

namespace tarnwick {

namespace {

struct StatusText {
  std::uint32_t status;
  const char* format;  // "%d" the thread id, then "%s" the information text where present
};

const StatusText kStatusTexts[] = {
    {10, "[%d] resolving name for %s"},
    {11, "[%d] resolved name for %s!"},
    {20, "[%d] Connecting to server..."},
    {21, "[%d] Connected to server!"},
    {30, "[%d] Sending request..."},
    {31, "[%d] Request sent"},
    {40, "[%d] Receiving response..."},
    {41, "[%d] Response received!"},
    {50, "[%d] Closing connection..."},
    {51, "[%d] Connection close!"},
    {60, "[%d] Connection created!"},
    {70, "[%d] Closing Connection..."},
    {100, "[%d] request complete"},
    {110, "[%d] Redirected to URL"},
    {200, "[%d] Busy"},
};

std::string Replace(std::string text, const std::string& placeholder, const std::string& value) {
  const std::size_t at = text.find(placeholder);
  if (at != std::string::npos) text.replace(at, placeholder.size(), value);
  return text;
}

}  // namespace

std::string FormatSessionStatus(long threadId, std::uint32_t status, const std::string& info) {
  // Filled by substitution rather than printf so that an information text of any
  // length or content is carried whole.
  for (const StatusText& entry : kStatusTexts) {
    if (entry.status == status)
      return Replace(Replace(entry.format, "%d", std::to_string(threadId)), "%s", info);
  }
  return "[" + std::to_string(threadId) + "] Unknown status: " + std::to_string(status);
}

CMyInternetSession::CMyInternetSession(long threadId, NotifyWindow notifyWindow)
    : m_hNotifyWnd(std::move(notifyWindow)), m_threadId(threadId) {}

CMyInternetSession::~CMyInternetSession() = default;

void CMyInternetSession::OnStatusCallback(std::uint32_t, std::uint32_t status, const std::string& info) {
  const std::string text = FormatSessionStatus(m_threadId, status, info);
  if (m_hNotifyWnd) m_hNotifyWnd(text);
}

std::unique_ptr<ITransferSession> OpenTransferSession(IInternet& internet, CMyInternetSession& statusSink) {
  std::unique_ptr<ITransferSession> session = internet.CreateTransferSession();
  if (!session) return session;
  session->EnableStatusCallback(statusSink);
  session->SetConnectTimeout(kTransferTimeoutMilliseconds);
  session->SetReceiveTimeout(kTransferTimeoutMilliseconds);
  session->SetSendTimeout(kTransferTimeoutMilliseconds);
  return session;
}

}  // namespace tarnwick
