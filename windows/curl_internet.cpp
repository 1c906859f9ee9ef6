#include <winsock2.h>
#include <windows.h>

#include "windows/curl_internet.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "windows/curl_ftp_connection.h"
#include "windows/curl_link.h"
#include "transfer/proxy_memory.h"
#include "transfer/transport_errors.h"
#include "transfer/web_request.h"
#include "windows/winhttp_proxy.h"

namespace tarnwick {

namespace {

// The service's answers are short texts; a longer one is no answer of the service.
constexpr std::size_t kLongestAnswer = 8 * 1024 * 1024;
constexpr long kMostRedirects = 10;
// How long the proxy found for a host serves the requests to it; a change of the
// Internet settings reaches the program within this time.
constexpr std::uint64_t kProxyLifetime = 60 * 1000;

bool IsCancelled() {
  const std::shared_ptr<InternetCancellation> cancellation = CurrentCancellation();
  return cancellation && cancellation->Cancelled();
}

// An answer received whole, handed out in pieces, with the status and the URL that
// gave it once redirects were followed.
class AnswerReader : public IUrlReader {
 public:
  AnswerReader(std::string answer, UrlResponse response)
      : m_answer(std::move(answer)), m_response(std::move(response)) {}

  bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) override {
    bytesRead = std::min(capacity, m_answer.size() - m_at);
    std::memcpy(buffer, m_answer.data() + m_at, bytesRead);
    m_at += bytesRead;
    return true;
  }

  UrlResponse Response() override { return m_response; }

 private:
  std::string m_answer;
  UrlResponse m_response;
  std::size_t m_at = 0;
};

UrlResponse ResponseOf(CURL* easy) {
  UrlResponse response;
  long status = 0;
  if (curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status > 0)
    response.status = static_cast<unsigned>(status);
  char* finalUrl = nullptr;
  if (curl_easy_getinfo(easy, CURLINFO_EFFECTIVE_URL, &finalUrl) == CURLE_OK && finalUrl != nullptr)
    response.finalUrl = finalUrl;
  return response;
}

class CurlInternetHandle : public IInternetHandle {
 public:
  CurlInternetHandle(std::string agent, TransportSecurity security, std::shared_ptr<ProxyMemory> proxies)
      : m_agent(std::move(agent)), m_security(std::move(security)), m_proxies(std::move(proxies)) {}

  void SetTimeouts(std::uint32_t milliseconds) override {
    m_timeouts = LinkTimeouts{milliseconds, milliseconds, milliseconds};
  }

  // A GET of the URL, any answer of the server counting as opened, error pages
  // included. The answer stays in memory: nothing of the request or its answer is
  // written to disk.
  std::unique_ptr<IUrlReader> OpenUrl(const std::string& url) override {
    if (url.compare(0, 7, "http://") != 0 && url.compare(0, 8, "https://") != 0) return nullptr;
    CurlLink link(m_timeouts);
    CURL* easy = link.Easy();
    if (easy == nullptr) return nullptr;
    BoundedText answer(kLongestAnswer);
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_USERAGENT, m_agent.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &AppendBounded);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMostRedirects);
    // Where encryption is required, nothing goes in plain, redirects included.
    const char* protocols = m_security.encryption == Encryption::Required ? "https" : "http,https";
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, protocols);
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, protocols);
    ApplyCertificateChecks(easy, m_security.caFile, true);
    // The proxy of the user's Internet settings, and never one from the environment.
    curl_easy_setopt(easy, CURLOPT_PROXY, m_proxies->ForUrl(url).c_str());
    if (!link.Start() || link.Finish() != CURLE_OK) return nullptr;
    return std::make_unique<AnswerReader>(std::move(answer.text), ResponseOf(easy));
  }

 private:
  std::string m_agent;
  TransportSecurity m_security;
  LinkTimeouts m_timeouts;
  std::shared_ptr<ProxyMemory> m_proxies;
};

class CurlTransferSession : public ITransferSession {
 public:
  explicit CurlTransferSession(TransportSecurity security) : m_security(std::move(security)) {}

  void SetConnectTimeout(std::uint32_t milliseconds) override { m_timeouts.connect = milliseconds; }
  void SetReceiveTimeout(std::uint32_t milliseconds) override { m_timeouts.receive = milliseconds; }
  void SetSendTimeout(std::uint32_t milliseconds) override { m_timeouts.send = milliseconds; }

  std::unique_ptr<IFtpConnection> ConnectFtp(const std::string& host, unsigned port, const std::string& user,
                                             const std::string& password, FtpLoginFailure& failure) override {
    const FtpLogin login{host, port, user, password};
    // When it is only asked for, TLS with a certificate that does not verify is still
    // better than plain: the session then logs in without the check, and so do its
    // later logins, which would meet the same certificate.
    if (!m_unverified) {
      auto connection = ConnectCurlFtp(login, m_timeouts, m_security, true, failure);
      if (connection || m_security.encryption != Encryption::WhenOffered ||
          failure.code != kCertificateNotVerified)
        return connection;
      m_unverified = true;
    }
    return ConnectCurlFtp(login, m_timeouts, m_security, false, failure);
  }

 private:
  LinkTimeouts m_timeouts;
  TransportSecurity m_security;
  bool m_unverified = false;
};

class CurlInternet : public IInternet {
 public:
  // The proxies found are remembered across the handles: each web request opens one.
  explicit CurlInternet(TransportSecurity security)
      : m_security(std::move(security)),
        m_proxies(std::make_shared<ProxyMemory>(
            [](const std::string& url) { return ProxyForUrl(url, kInternetAgent); },
            []() { return static_cast<std::uint64_t>(GetTickCount64()); }, kProxyLifetime)) {
    InitialiseCurl();
  }

  // After Exit the cycle opens nothing new.
  std::unique_ptr<IInternetHandle> Open(const std::string& agent) override {
    if (IsCancelled()) return nullptr;
    return std::make_unique<CurlInternetHandle>(agent, m_security, m_proxies);
  }

  std::unique_ptr<ITransferSession> CreateTransferSession() override {
    if (IsCancelled()) return nullptr;
    return std::make_unique<CurlTransferSession>(m_security);
  }

 private:
  TransportSecurity m_security;
  std::shared_ptr<ProxyMemory> m_proxies;
};

}  // namespace

std::unique_ptr<IInternet> MakeCurlInternet(const TransportSecurity& security) {
  return std::make_unique<CurlInternet>(security);
}

}  // namespace tarnwick
