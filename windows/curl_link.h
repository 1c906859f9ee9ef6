// One libcurl easy handle with a multi handle of its own that drives it: the
// connections it makes stay in that multi handle's cache, so that every operation
// run on the link reuses the same connection (one FTP login serves all of a file's
// commands). Every wait happens in Drive(), where the poll cycle's cancellation
// reaches it: Exit wakes the wait, shuts the link's sockets down and fails the
// operation at once.
#pragma once

#include <curl/curl.h>
#include <winsock2.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "transfer/internet_cancellation.h"

namespace tarnwick {

// The time-outs of every network wait, in milliseconds; 0 leaves libcurl's own.
struct LinkTimeouts {
  std::uint32_t connect = 0;
  std::uint32_t receive = 0;
  std::uint32_t send = 0;
};

class CurlLink {
 public:
  explicit CurlLink(const LinkTimeouts& timeouts);
  ~CurlLink();
  CurlLink(const CurlLink&) = delete;
  CurlLink& operator=(const CurlLink&) = delete;

  // Null when libcurl could not make its handles.
  CURL* Easy() const { return m_easy; }

  // Adds the easy handle, set up for one operation, to the multi handle; false when
  // the cycle is cancelled (Result() then says so).
  bool Start();
  // Drives the operation until it is done or `enough()` holds; true while it runs.
  bool Drive(const std::function<bool()>& enough);
  // Drives the operation to its end and returns its result.
  CURLcode Finish();
  // Takes the operation off the multi handle, done or not; a connection in the
  // middle of a transfer is closed by libcurl.
  void Stop();

  bool Done() const { return m_done; }
  CURLcode Result() const { return m_result; }
  // The last complete FTP reply that this operation received, all its lines, and its code.
  const std::string& LastReply() const { return m_reply; }
  int LastReplyCode() const { return m_replyCode; }
  // Whether the server accepted a change to TLS (234) on the link's connection.
  bool TlsAccepted() const { return m_tlsAccepted; }
  // The Internet error code of the operation's end (0 for a success that no reply refused).
  std::uint32_t ErrorCode() const;
  // From now on the link keeps to the connection it has: libcurl's attempts to
  // connect anew to the same port (after the server closed the connection) fail,
  // as a cut connection.
  void KeepToItsConnection();

 private:
  bool Cancelled() const;
  // Whether the operation's byte counts moved since the last call.
  bool MovedData();
  // Waits until a socket of the operation is ready or `milliseconds` pass; false
  // when libcurl should be called again at once.
  bool WaitForSockets(int milliseconds, bool& idleBefore);
  void CancelFromAnotherThread();
  static curl_socket_t OpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address);
  static int CloseSocket(void* self, curl_socket_t socket);
  static int Progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
  static std::size_t ReplyLine(char* data, std::size_t size, std::size_t count, void* self);

  CURLM* m_multi = nullptr;
  CURL* m_easy = nullptr;
  std::shared_ptr<InternetCancellation> m_cancellation;
  bool m_registered = false;
  bool m_added = false;
  bool m_done = false;
  CURLcode m_result = CURLE_OK;
  std::string m_reply;       // the reply received last
  std::string m_replyLines;  // lines of the reply being received
  int m_replyCode = 0;
  bool m_tlsAccepted = false;
  curl_off_t m_bytesSent = 0;      // the operation's counts when last looked at
  curl_off_t m_bytesReceived = 0;
  std::mutex m_socketLock;
  std::vector<curl_socket_t> m_sockets;
  bool m_socketsShut = false;
  int m_firstPort = -1;  // the port of the first connection made
  bool m_keepToConnection = false;
  bool m_reconnectRefused = false;
};

// Received bytes kept in memory up to a limit; a longer answer is no answer at all.
struct BoundedText {
  explicit BoundedText(std::size_t most) : limit(most) {}
  std::string text;
  std::size_t limit;
};

// A write callback that appends to the BoundedText it is given; past the limit it
// ends the transfer with a write error.
std::size_t AppendBounded(char* data, std::size_t size, std::size_t count, void* target);

// Once per process, before any link: libcurl's global set-up.
void InitialiseCurl();

// The certificate checks of TLS on the handle: with `verify`, the server's
// certificate must chain to a trusted root (the system's, and those of `caFile`
// when named) and name the host asked for; without, any certificate is taken.
void ApplyCertificateChecks(CURL* easy, const std::string& caFile, bool verify);

}  // namespace tarnwick
