#include <windows.h>
#include <wininet.h>

#include "windows/internet_win.h"

#include <initializer_list>
#include <string>
#include <utility>

#include "app/my_app.h"
#include "transfer/internet_cancellation.h"
#include "windows/ftp_connection_win.h"
#include "windows/wininet_error_text.h"
#include "windows/wininet_handle.h"

namespace tarnwick {

namespace {

constexpr DWORD_PTR kSessionContext = 1;

class WinInetUrlReader : public IUrlReader {
 public:
  explicit WinInetUrlReader(std::unique_ptr<InternetHandle> url) : m_url(std::move(url)) {}

  bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) override {
    NetworkCall call;
    if (!call.Allowed()) return false;
    DWORD read = 0;
    const bool succeeded = InternetReadFile(m_url->Get(), buffer, static_cast<DWORD>(capacity), &read) != FALSE;
    bytesRead = succeeded ? read : 0;
    return succeeded;
  }

  // Only reports what WinInet knows; what counts as the service's own answer is
  // decided by the caller.
  UrlResponse Response() override {
    UrlResponse response;
    NetworkCall call;  // after Exit the handle may be closed already
    if (!call.Allowed()) return response;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (HttpQueryInfoA(m_url->Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
      response.status = status;
    // The request's URL after the redirects WinInet followed; a longer one says so
    // with the length it needs.
    std::string url(INTERNET_MAX_URL_LENGTH + 1, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
      DWORD length = static_cast<DWORD>(url.size());
      if (InternetQueryOptionA(m_url->Get(), INTERNET_OPTION_URL, url.data(), &length)) {
        response.finalUrl = url.c_str();
        break;
      }
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || length <= url.size()) break;
      url.assign(length + 1, '\0');
    }
    return response;
  }

 private:
  std::unique_ptr<InternetHandle> m_url;
};

void SetTimeout(HINTERNET session, DWORD option, std::uint32_t milliseconds) {
  DWORD value = milliseconds;
  InternetSetOptionA(session, option, &value, sizeof value);
}

class WinInetHandle : public IInternetHandle {
 public:
  explicit WinInetHandle(std::shared_ptr<InternetHandle> internet) : m_internet(std::move(internet)) {}

  void SetTimeouts(std::uint32_t milliseconds) override { m_timeout = milliseconds; }

  // What InternetOpenUrlA does for an HTTP URL, step by step: Wine's InternetOpenUrlA
  // gives its connection no receive time-out at all, so a host that accepts and never
  // answers would hold the request for ever. The time-outs go on the connection,
  // which the request takes them from.
  std::unique_ptr<IUrlReader> OpenUrl(const std::string& url, std::uint32_t flags) override {
    NetworkCall call;
    if (!call.Allowed()) return nullptr;
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;  // point into `url`
    if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts) || parts.nScheme != INTERNET_SCHEME_HTTP) return nullptr;
    auto part = [](const char* text, DWORD length) { return text ? std::string(text, length) : std::string(); };
    const std::string host = part(parts.lpszHostName, parts.dwHostNameLength);
    std::string object = part(parts.lpszUrlPath, parts.dwUrlPathLength) +
                         part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (object.empty()) object = "/";

    HINTERNET connection = InternetConnectA(m_internet->Get(), host.c_str(), parts.nPort, nullptr, nullptr,
                                            INTERNET_SERVICE_HTTP, 0, 0);
    if (connection == nullptr) return nullptr;
    auto connected = std::make_shared<InternetHandle>(connection, m_internet);
    if (m_timeout != 0) {
      for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        SetTimeout(connection, option, m_timeout);
    }
    HINTERNET request = HttpOpenRequestA(connection, "GET", object.c_str(), nullptr, nullptr, nullptr, flags, 0);
    if (request == nullptr) return nullptr;
    auto opened = std::make_unique<InternetHandle>(request, connected);
    if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) return nullptr;
    return std::make_unique<WinInetUrlReader>(std::move(opened));
  }

 private:
  std::shared_ptr<InternetHandle> m_internet;
  std::uint32_t m_timeout = 0;
};

class WinInetTransferSession : public ITransferSession {
 public:
  explicit WinInetTransferSession(HINTERNET session) : m_session(std::make_shared<InternetHandle>(session, nullptr)) {}

  void SetConnectTimeout(std::uint32_t milliseconds) override {
    SetTimeout(m_session->Get(), INTERNET_OPTION_CONNECT_TIMEOUT, milliseconds);
  }
  void SetReceiveTimeout(std::uint32_t milliseconds) override {
    SetTimeout(m_session->Get(), INTERNET_OPTION_RECEIVE_TIMEOUT, milliseconds);
  }
  void SetSendTimeout(std::uint32_t milliseconds) override {
    SetTimeout(m_session->Get(), INTERNET_OPTION_SEND_TIMEOUT, milliseconds);
  }

  std::unique_ptr<IFtpConnection> ConnectFtp(const std::string& host, unsigned port, const std::string& user,
                                             const std::string& password, FtpLoginFailure& failure) override {
    failure = FtpLoginFailure{};
    if (port > 0xFFFF) {
      // Would wrap to another port, or to 0, which WinInet reads as "the default".
      failure.code = ERROR_INVALID_PARAMETER;
      failure.text = WinInetErrorDescription(failure.code);
      return nullptr;
    }
    NetworkCall call;
    if (!call.Allowed()) {
      failure.code = ERROR_INTERNET_OPERATION_CANCELLED;
      failure.text = WinInetErrorDescription(failure.code);
      return nullptr;
    }
    HINTERNET connection =
        InternetConnectA(m_session->Get(), host.c_str(), static_cast<INTERNET_PORT>(port), user.c_str(),
                         password.c_str(), INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, kSessionContext);
    if (connection == nullptr) {
      failure.kind = FtpLoginFailure::Kind::Internet;
      failure.code = GetLastError();
      failure.text = WinInetErrorDescription(failure.code);
      return nullptr;
    }
    return MakeWinInetFtpConnection(std::make_shared<InternetHandle>(connection, m_session));
  }

 private:
  std::shared_ptr<InternetHandle> m_session;
};

// After Exit the cycle opens nothing new.
bool IsCancelled() {
  const std::shared_ptr<InternetCancellation> cancellation = CurrentCancellation();
  return cancellation && cancellation->Cancelled();
}

class WinInetInternet : public IInternet {
 public:
  std::unique_ptr<IInternetHandle> Open(const std::string& agent) override {
    if (IsCancelled()) return nullptr;
    HINTERNET internet = InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (internet == nullptr) return nullptr;
    auto handle = std::make_shared<InternetHandle>(internet, nullptr);
    if (handle->Get() == nullptr) return nullptr;
    return std::make_unique<WinInetHandle>(std::move(handle));
  }

  std::unique_ptr<ITransferSession> CreateTransferSession() override {
    if (IsCancelled()) return nullptr;
    HINTERNET session = InternetOpenA(kApplicationTitle, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (session == nullptr) return nullptr;
    return std::make_unique<WinInetTransferSession>(session);
  }
};

}  // namespace

std::unique_ptr<IInternet> MakeWinInetInternet() { return std::make_unique<WinInetInternet>(); }

}  // namespace tarnwick
