#include "windows/curl_link.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <utility>

#include "transfer/transport_errors.h"

namespace tarnwick {

namespace {

// How long one wait may last before the loop looks again; libcurl shortens it to
// its own next deadline, and a cancellation wakes it at once.
constexpr int kLongestWaitMilliseconds = 1000;
// How long a wait lasts while libcurl watches no socket (a step of its own in
// between, or a name being resolved on another thread).
constexpr int kWaitWithoutSockets = 10;
constexpr int kSocketBufferBytes = 2 * 1024 * 1024;
constexpr int kTlsAccepted = 234;  // the reply to AUTH TLS that starts the handshake

long Seconds(std::uint32_t milliseconds) { return static_cast<long>((milliseconds + 999) / 1000); }

// "123 text" ends a reply; "123-text" and lines without a code continue it.
bool EndsReply(const std::string& line) {
  return line.size() >= 4 && std::isdigit(static_cast<unsigned char>(line[0])) &&
         std::isdigit(static_cast<unsigned char>(line[1])) && std::isdigit(static_cast<unsigned char>(line[2])) &&
         line[3] == ' ';
}

// The port a socket connects to; -1 for an address of no known family.
int PortOf(const sockaddr& address) {
  if (address.sa_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
  if (address.sa_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
  return -1;
}

}  // namespace

std::size_t AppendBounded(char* data, std::size_t size, std::size_t count, void* target) {
  auto* bounded = static_cast<BoundedText*>(target);
  const std::size_t length = size * count;
  if (bounded->text.size() + length > bounded->limit) return 0;
  bounded->text.append(data, length);
  return length;
}

void ApplyCertificateChecks(CURL* easy, const std::string& caFile, bool verify) {
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, verify ? 1L : 0L);
  curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, verify ? 2L : 0L);
  if (!caFile.empty()) curl_easy_setopt(easy, CURLOPT_CAINFO, caFile.c_str());
  // A revocation list that cannot be reached (a private authority names none, an
  // office network may block it) does not fail the check; a certificate listed as
  // revoked does.
  curl_easy_setopt(easy, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
}

void InitialiseCurl() {
  static std::once_flag once;
  std::call_once(once, []() { curl_global_init(CURL_GLOBAL_ALL); });
}

CurlLink::CurlLink(const LinkTimeouts& timeouts) : m_cancellation(CurrentCancellation()) {
  InitialiseCurl();
  m_multi = curl_multi_init();
  m_easy = curl_easy_init();
  if (m_multi == nullptr || m_easy == nullptr) return;
  if (m_cancellation) {
    m_registered = m_cancellation->Register(this, [this]() { CancelFromAnotherThread(); });
    if (!m_registered) m_socketsShut = true;
  }
  curl_easy_setopt(m_easy, CURLOPT_OPENSOCKETFUNCTION, &CurlLink::OpenSocket);
  curl_easy_setopt(m_easy, CURLOPT_OPENSOCKETDATA, this);
  curl_easy_setopt(m_easy, CURLOPT_CLOSESOCKETFUNCTION, &CurlLink::CloseSocket);
  curl_easy_setopt(m_easy, CURLOPT_CLOSESOCKETDATA, this);
  curl_easy_setopt(m_easy, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(m_easy, CURLOPT_XFERINFOFUNCTION, &CurlLink::Progress);
  curl_easy_setopt(m_easy, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(m_easy, CURLOPT_HEADERFUNCTION, &CurlLink::ReplyLine);
  curl_easy_setopt(m_easy, CURLOPT_HEADERDATA, this);
  if (timeouts.connect != 0) curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeouts.connect));
  if (timeouts.receive != 0) curl_easy_setopt(m_easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, Seconds(timeouts.receive));
  // Data that stops flowing, either way, ends the transfer after the longer time-out.
  const std::uint32_t stall = std::max(timeouts.receive, timeouts.send);
  if (stall != 0) {
    curl_easy_setopt(m_easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(m_easy, CURLOPT_LOW_SPEED_TIME, Seconds(stall));
  }
}

CurlLink::~CurlLink() {
  Stop();
  if (m_multi != nullptr) curl_multi_cleanup(m_multi);  // closes the connection, with QUIT while it is sound
  if (m_registered) m_cancellation->Unregister(this);
  if (m_easy != nullptr) curl_easy_cleanup(m_easy);
}

bool CurlLink::Cancelled() const { return m_cancellation && m_cancellation->Cancelled(); }

void CurlLink::CancelFromAnotherThread() {
  std::lock_guard<std::mutex> guard(m_socketLock);
  m_socketsShut = true;
  // Shut down, not closed: the socket's number stays taken until libcurl closes it.
  for (curl_socket_t socket : m_sockets) shutdown(socket, SD_BOTH);
}

curl_socket_t CurlLink::OpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
  auto* link = static_cast<CurlLink*>(self);
  std::lock_guard<std::mutex> guard(link->m_socketLock);
  if (link->m_socketsShut) return CURL_SOCKET_BAD;
  const int port = PortOf(address->addr);
  if (link->m_firstPort < 0) link->m_firstPort = port;
  if (link->m_keepToConnection && port == link->m_firstPort) {
    link->m_reconnectRefused = true;
    return CURL_SOCKET_BAD;
  }
  const curl_socket_t socket = ::socket(address->family, address->socktype, address->protocol);
  if (socket != CURL_SOCKET_BAD) {
    // A send buffer that holds a whole piece of a file: each non-blocking send moves
    // as much as the link allows instead of one small buffer per wait.
    const int bytes = kSocketBufferBytes;
    setsockopt(socket, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&bytes), sizeof bytes);
    link->m_sockets.push_back(socket);
  }
  return socket;
}

int CurlLink::CloseSocket(void* self, curl_socket_t socket) {
  auto* link = static_cast<CurlLink*>(self);
  {
    std::lock_guard<std::mutex> guard(link->m_socketLock);
    auto& sockets = link->m_sockets;
    sockets.erase(std::remove(sockets.begin(), sockets.end(), socket), sockets.end());
  }
  return closesocket(socket);
}

int CurlLink::Progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<CurlLink*>(self)->Cancelled() ? 1 : 0;
}

std::size_t CurlLink::ReplyLine(char* data, std::size_t size, std::size_t count, void* self) {
  auto* link = static_cast<CurlLink*>(self);
  const std::size_t length = size * count;
  std::string line(data, length);
  link->m_replyLines += line;
  if (EndsReply(line)) {
    link->m_replyCode = std::stoi(line.substr(0, 3));
    if (link->m_replyCode == kTlsAccepted) link->m_tlsAccepted = true;
    link->m_reply.swap(link->m_replyLines);
    link->m_replyLines.clear();
  }
  return length;
}

bool CurlLink::Start() {
  Stop();
  m_done = false;
  m_result = CURLE_OK;
  m_reply.clear();
  m_replyLines.clear();
  m_replyCode = 0;
  m_reconnectRefused = false;
  m_bytesSent = 0;
  m_bytesReceived = 0;
  if (m_easy == nullptr || m_multi == nullptr) {
    m_done = true;
    m_result = CURLE_FAILED_INIT;
    return false;
  }
  if (Cancelled()) {
    m_done = true;
    m_result = CURLE_ABORTED_BY_CALLBACK;
    return false;
  }
  if (curl_multi_add_handle(m_multi, m_easy) != CURLM_OK) {
    m_done = true;
    m_result = CURLE_FAILED_INIT;
    return false;
  }
  m_added = true;
  return true;
}

bool CurlLink::Drive(const std::function<bool()>& enough) {
  bool idleBefore = false;  // whether the last wait found no socket to wait on
  while (!m_done) {
    if (Cancelled()) {
      Stop();
      m_done = true;
      m_result = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    int running = 0;
    if (curl_multi_perform(m_multi, &running) != CURLM_OK) {
      Stop();
      m_done = true;
      m_result = CURLE_FAILED_INIT;
      break;
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
      if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy) {
        m_result = message->data.result;
        m_done = true;
      }
    }
    if (m_done) {
      // A cancellation that shut the sockets down is why the operation failed.
      if (m_result != CURLE_OK && Cancelled()) m_result = CURLE_ABORTED_BY_CALLBACK;
      Stop();
      break;
    }
    if (enough && enough()) return true;
    // A step that moved data may have more to move at once (TLS sends one record a
    // step): the next step comes without a wait, which only a step that moved
    // nothing needs.
    if (MovedData()) continue;
    // libcurl names the moment it next has work of its own (0: at once); without
    // that the wait would sleep out its whole bound on a socket that has nothing
    // to say.
    long due = -1;
    curl_multi_timeout(m_multi, &due);
    if (due == 0) continue;
    const int wait = due < 0 || due > kLongestWaitMilliseconds ? kLongestWaitMilliseconds : static_cast<int>(due);
    if (!WaitForSockets(wait, idleBefore)) continue;
  }
  return false;
}

bool CurlLink::MovedData() {
  curl_off_t sent = 0;
  curl_off_t received = 0;
  curl_easy_getinfo(m_easy, CURLINFO_SIZE_UPLOAD_T, &sent);
  curl_easy_getinfo(m_easy, CURLINFO_SIZE_DOWNLOAD_T, &received);
  const bool moved = sent != m_bytesSent || received != m_bytesReceived;
  m_bytesSent = sent;
  m_bytesReceived = received;
  return moved;
}

bool CurlLink::WaitForSockets(int milliseconds, bool& idleBefore) {
  // select() on libcurl's own sets: it tells a socket's state as it is now. The
  // event-based wait of curl_multi_poll() relies on Winsock signalling a socket
  // that becomes writable again, which not every Winsock does after a short
  // send; an upload would then stall until the wait's bound.
  fd_set reading, writing, failing;
  FD_ZERO(&reading);
  FD_ZERO(&writing);
  FD_ZERO(&failing);
  int highest = -1;
  if (curl_multi_fdset(m_multi, &reading, &writing, &failing, &highest) != CURLM_OK) return false;
  if (highest == -1) {
    // Between two steps libcurl may hold no socket and no timer (after a passive
    // reply that came in with its command, the data connection opens at the next
    // call): the next step comes at once, and only a state that lasts (a name
    // resolved on another thread) is waited out in short steps.
    if (!idleBefore) {
      idleBefore = true;
      return false;
    }
    Sleep(static_cast<DWORD>(std::min(milliseconds, kWaitWithoutSockets)));
    return true;
  }
  idleBefore = false;
  // A cancellation shuts the sockets down, which ends the wait at once.
  timeval bound{milliseconds / 1000, (milliseconds % 1000) * 1000};
  select(0, &reading, &writing, &failing, &bound);
  return true;
}

CURLcode CurlLink::Finish() {
  Drive(nullptr);
  return m_result;
}

void CurlLink::Stop() {
  if (!m_added) return;
  curl_multi_remove_handle(m_multi, m_easy);
  m_added = false;
}

std::uint32_t CurlLink::ErrorCode() const {
  constexpr std::uint32_t kConnectionAborted = 12030;
  if (m_reconnectRefused && m_result != CURLE_OK) return kConnectionAborted;
  return InternetErrorFor(m_result, m_replyCode);
}

void CurlLink::KeepToItsConnection() {
  std::lock_guard<std::mutex> guard(m_socketLock);
  m_keepToConnection = true;
}

}  // namespace tarnwick
