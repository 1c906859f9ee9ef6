#include <winsock2.h>
#include <windows.h>

#include "windows/curl_ftp_connection.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "transfer/ftp_replies.h"
#include "transfer/internet_errors.h"
#include "transfer/transport_errors.h"

namespace tarnwick {

namespace {

constexpr std::uint32_t kInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
constexpr std::uint32_t kLoginFailure = 12015;
constexpr int kLoggedIn = 230;
constexpr std::uint32_t kConnectionAborted = 12030;

// libcurl reads bigger pieces than its defaults: a transfer of large files keeps pace
// with the link with fewer calls.
constexpr long kReceiveBuffer = 512 * 1024;
constexpr long kSendBuffer = 1024 * 1024;
// A listing longer than this is no directory the service keeps.
constexpr std::size_t kLongestListing = 16 * 1024 * 1024;

// A name that could smuggle a second command into the control connection.
bool HasLineBreak(const std::string& name) { return name.find_first_of("\r\n") != std::string::npos; }

// The path as it goes into the URL: every byte but the unreserved ones and '/'
// percent-encoded, so that blanks, '#', '?' and '%' reach the server as they are.
std::string EncodedPath(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : path) {
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            (c != 0 && std::strchr("-._~/", c) != nullptr);
    if (unreserved) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

bool ListingHolds(const std::string& listing, const std::string& name) {
  const std::vector<std::string> lines = ServerLines(listing);
  return std::find(lines.begin(), lines.end(), name) != lines.end();
}

// What a connection shares with the transfers opened on it.
struct FtpState {
  std::unique_ptr<CurlLink> link;
  std::string baseUrl;  // "ftp://host:port/"
  std::uint32_t lastError = 0;
  SessionSecurity security = SessionSecurity::Plain;

  // Sets the easy handle up for an operation on `path` (relative to the current
  // directory, or absolute), with no body unless `transfer`.
  void Prepare(const std::string& path, bool transfer) {
    CURL* easy = link->Easy();
    curl_easy_setopt(easy, CURLOPT_URL, (baseUrl + EncodedPath(path)).c_str());
    curl_easy_setopt(easy, CURLOPT_NOBODY, transfer ? 0L : 1L);
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 0L);
    curl_easy_setopt(easy, CURLOPT_DIRLISTONLY, 0L);
    curl_easy_setopt(easy, CURLOPT_QUOTE, nullptr);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Discard);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, nullptr);
    curl_easy_setopt(easy, CURLOPT_READDATA, nullptr);
  }

  // Sends the commands on the control connection, each allowed to fail so that a
  // refusal leaves the connection in use; false when the exchange itself failed.
  // The last command's reply is the link's LastReply().
  bool Commands(const std::vector<std::string>& commands) {
    Prepare("", false);
    curl_slist* list = nullptr;
    for (const std::string& command : commands) list = curl_slist_append(list, ("*" + command).c_str());
    curl_easy_setopt(link->Easy(), CURLOPT_QUOTE, list);
    link->Start();
    const CURLcode result = link->Finish();
    curl_easy_setopt(link->Easy(), CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(list);
    if (result != CURLE_OK) {
      lastError = link->ErrorCode();
      return false;
    }
    return true;
  }

  // Records the failure of the operation that just ended; always false.
  bool Fail(std::uint32_t code) {
    lastError = code != 0 ? code : kConnectionAborted;
    return false;
  }
};

// One file's data connection. libcurl pulls what it sends and pushes what it
// receives; the callers push and pull. Each Write() lends its bytes to libcurl's read
// callback and drives the transfer until all of them are taken; the callback pauses
// the transfer whenever it has nothing to give. Each Read() lends its buffer to the
// write callback and drives until it is full or the transfer ends; a piece the
// buffer cannot take pauses the transfer until the next Read(), and only a buffer
// smaller than one piece leaves a remainder behind.
class CurlFtpStream : public IFtpStream {
 public:
  CurlFtpStream(std::shared_ptr<FtpState> state, bool forWriting)
      : m_state(std::move(state)), m_forWriting(forWriting) {
    CURL* easy = m_state->link->Easy();
    if (forWriting) {
      curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
      curl_easy_setopt(easy, CURLOPT_READFUNCTION, &CurlFtpStream::Take);
      curl_easy_setopt(easy, CURLOPT_READDATA, this);
    } else {
      curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CurlFtpStream::Give);
      curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    }
  }

  ~CurlFtpStream() override {
    // Given up half way: libcurl closes the connection, whose state it cannot know.
    m_state->link->Stop();
  }

  // Starts the transfer and waits for the server's word on it: the opening reply
  // (125 or 150) or a refusal.
  bool Open() {
    CurlLink& link = *m_state->link;
    if (!link.Start()) return m_state->Fail(link.ErrorCode());
    link.Drive([&link]() { return link.LastReplyCode() == 125 || link.LastReplyCode() == 150; });
    if (link.Done() && link.Result() != CURLE_OK) return m_state->Fail(link.ErrorCode());
    return true;
  }

  bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) override {
    bytesRead = 0;
    if (m_forWriting) return m_state->Fail(kInvalidParameter);
    if (m_spillAt < m_spill.size()) {
      bytesRead = std::min(capacity, m_spill.size() - m_spillAt);
      std::memcpy(buffer, m_spill.data() + m_spillAt, bytesRead);
      m_spillAt += bytesRead;
      return true;
    }
    CurlLink& link = *m_state->link;
    if (!link.Done()) {
      m_buffer = buffer;
      m_capacity = capacity;
      m_filled = 0;
      Resume();
      // A full buffer, or a piece that did not fit and paused the transfer: fewer,
      // larger reads keep the copy loop and its file writes off the transfer's pace.
      link.Drive([this]() { return m_filled == m_capacity || m_paused; });
      m_buffer = nullptr;
      bytesRead = m_filled;
      if (m_filled > 0) return true;
    }
    return link.Result() == CURLE_OK || m_state->Fail(link.ErrorCode());
  }

  bool Write(const char* data, std::size_t size) override {
    if (!m_forWriting) return m_state->Fail(kInvalidParameter);
    CurlLink& link = *m_state->link;
    m_data = data;
    m_left = size;
    Resume();
    link.Drive([this]() { return m_left == 0; });
    m_data = nullptr;
    if (m_left == 0) return true;
    // The transfer ended before it took everything.
    return m_state->Fail(link.ErrorCode());
  }

  // The transfer's end: libcurl waits for the server's final reply and fails the
  // transfer unless it is 226 (or 250).
  bool Finish() override {
    CurlLink& link = *m_state->link;
    m_ended = true;
    Resume();
    if (link.Finish() != CURLE_OK) return m_state->Fail(link.ErrorCode());
    return true;
  }

 private:
  void Resume() {
    if (!m_paused) return;
    m_paused = false;
    curl_easy_pause(m_state->link->Easy(), CURLPAUSE_CONT);
  }

  static std::size_t Take(char* target, std::size_t size, std::size_t count, void* self) {
    auto* stream = static_cast<CurlFtpStream*>(self);
    if (stream->m_left == 0) {
      if (stream->m_ended) return 0;
      stream->m_paused = true;
      return CURL_READFUNC_PAUSE;
    }
    const std::size_t length = std::min(size * count, stream->m_left);
    std::memcpy(target, stream->m_data, length);
    stream->m_data += length;
    stream->m_left -= length;
    return length;
  }

  static std::size_t Give(char* data, std::size_t size, std::size_t count, void* self) {
    auto* stream = static_cast<CurlFtpStream*>(self);
    const std::size_t length = size * count;
    const std::size_t room = stream->m_buffer == nullptr ? 0 : stream->m_capacity - stream->m_filled;
    if (length <= room) {
      std::memcpy(stream->m_buffer + stream->m_filled, data, length);
      stream->m_filled += length;
      return length;
    }
    if (stream->m_buffer == nullptr || stream->m_filled > 0) {
      stream->m_paused = true;
      return CURL_WRITEFUNC_PAUSE;
    }
    std::memcpy(stream->m_buffer, data, room);
    stream->m_filled = room;
    stream->m_spill.assign(data + room, data + length);
    stream->m_spillAt = 0;
    return length;
  }

  std::shared_ptr<FtpState> m_state;
  bool m_forWriting;
  bool m_paused = false;
  // Writing: the caller's bytes not yet taken, and whether no more will come.
  const char* m_data = nullptr;
  std::size_t m_left = 0;
  bool m_ended = false;
  // Reading: the caller's buffer while a Read() waits, and what did not fit.
  char* m_buffer = nullptr;
  std::size_t m_capacity = 0;
  std::size_t m_filled = 0;
  std::vector<char> m_spill;
  std::size_t m_spillAt = 0;
};

class CurlFtpConnection : public IFtpConnection {
 public:
  // `entryDirectory` is null when the server did not name it after the login.
  CurlFtpConnection(std::shared_ptr<FtpState> state, const char* entryDirectory)
      : m_state(std::move(state)),
        m_entryDirectory(entryDirectory != nullptr ? entryDirectory : ""),
        m_moved(entryDirectory == nullptr) {}

  ~CurlFtpConnection() override {
    m_state->link.reset();
  }

  // libcurl asks PWD right after the login; until the directory changes, its answer stands.
  bool CurrentDirectory(std::string& directory) override {
    if (!m_moved) {
      directory = m_entryDirectory;
      return true;
    }
    if (!m_state->Commands({"PWD"})) return false;
    if (DirectoryFromReply(Link().LastReply(), directory)) return true;
    return m_state->Fail(InternetErrorFor(CURLE_OK, Link().LastReplyCode()));
  }

  bool ChangeDirectory(const std::string& directory) override {
    if (HasLineBreak(directory)) return m_state->Fail(kInvalidParameter);
    if (!m_state->Commands({"CWD " + directory})) return false;
    const std::uint32_t refusal = InternetErrorFor(CURLE_OK, Link().LastReplyCode());
    if (refusal != 0 || Link().LastReplyCode() == 0) return m_state->Fail(refusal);
    m_moved = true;
    return true;
  }

  // The current directory's bare listing (NLST), searched for the exact name.
  bool FileExists(const std::string& name) override {
    if (name.empty() || HasLineBreak(name)) return m_state->Fail(kNameNotListed);
    BoundedText listing(kLongestListing);
    m_state->Prepare("", true);
    curl_easy_setopt(Link().Easy(), CURLOPT_DIRLISTONLY, 1L);
    curl_easy_setopt(Link().Easy(), CURLOPT_WRITEFUNCTION, &AppendBounded);
    curl_easy_setopt(Link().Easy(), CURLOPT_WRITEDATA, &listing);
    Link().Start();
    const CURLcode result = Link().Finish();
    m_state->Prepare("", false);
    if (result != CURLE_OK) return m_state->Fail(Link().ErrorCode());
    return ListingHolds(listing.text, name) || m_state->Fail(kNameNotListed);
  }

  std::unique_ptr<IFtpStream> OpenFile(const std::string& remotePath, bool forWriting) override {
    if (remotePath.empty() || HasLineBreak(remotePath)) {
      m_state->Fail(kInvalidParameter);
      return nullptr;
    }
    m_state->Prepare(remotePath, true);
    auto stream = std::make_unique<CurlFtpStream>(m_state, forWriting);
    if (!stream->Open()) return nullptr;
    return stream;
  }

  RemoteSize SizeOf(const std::string& remotePath) override {
    if (remotePath.empty() || HasLineBreak(remotePath)) {
      m_state->Fail(kInvalidParameter);
      return {};
    }
    // Servers count a file's bytes for SIZE only in binary mode.
    if (!m_state->Commands({"TYPE I", "SIZE " + remotePath})) return {};
    const RemoteSize size = SizeFromReply(Link().LastReply());
    if (size.answer == RemoteSize::Answer::Failed) m_state->Fail(InternetErrorFor(CURLE_OK, Link().LastReplyCode()));
    return size;
  }

  std::uint32_t LastError() const override { return m_state->lastError; }
  SessionSecurity Security() const override { return m_state->security; }

 private:
  CurlLink& Link() const { return *m_state->link; }

  std::shared_ptr<FtpState> m_state;
  std::string m_entryDirectory;
  bool m_moved;  // whether the server must be asked for its current directory
};

}  // namespace

std::string InternetErrorDescription(std::uint32_t code, const std::string& reply) {
  std::string text = GetInternetErrorText(code);
  if (text.empty()) {
    char buffer[512] = {};
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buffer,
                       sizeof buffer, nullptr) != 0) {
      text = buffer;
      while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    } else {
      text = "Internet error " + std::to_string(code);
    }
  }
  std::string why = reply;
  while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
  if (code == 12003 && !why.empty()) text += "\r\n" + why;
  if (text.size() > 1023) text.resize(1023);
  return text;
}

std::unique_ptr<IFtpConnection> ConnectCurlFtp(const FtpLogin& login, const LinkTimeouts& timeouts,
                                               const TransportSecurity& security, bool verify,
                                               FtpLoginFailure& failure) {
  failure = FtpLoginFailure{};
  auto fail = [&failure](std::uint32_t code, const std::string& reply) {
    failure.kind = FtpLoginFailure::Kind::Internet;
    failure.code = code;
    failure.text = InternetErrorDescription(code, reply);
    return nullptr;
  };
  if (login.port == 0 || login.port > 0xFFFF) return fail(kInvalidParameter, "");
  if (HasLineBreak(login.user) || HasLineBreak(login.password)) return fail(kInvalidParameter, "");

  auto state = std::make_shared<FtpState>();
  state->link = std::make_unique<CurlLink>(timeouts);
  const bool literal6 = login.host.find(':') != std::string::npos;
  state->baseUrl = "ftp://" + (literal6 ? "[" + login.host + "]" : login.host) + ":" + std::to_string(login.port) + "/";
  CURL* easy = state->link->Easy();
  if (easy == nullptr) return fail(12004, "");
  // FTP goes direct: an empty proxy also keeps libcurl from taking one from the
  // environment.
  curl_easy_setopt(easy, CURLOPT_PROXY, "");
  curl_easy_setopt(easy, CURLOPT_USERNAME, login.user.c_str());
  curl_easy_setopt(easy, CURLOPT_PASSWORD, login.password.c_str());
  // Every path goes to the server as the caller gave it, relative to the directory
  // the caller changed to: libcurl itself changes no directory.
  curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
  curl_easy_setopt(easy, CURLOPT_FTP_USE_EPSV, 0L);  // passive mode, with PASV
  // No SIZE before RETR: the size check comes after the transfer.
  curl_easy_setopt(easy, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
  curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBuffer);
  curl_easy_setopt(easy, CURLOPT_UPLOAD_BUFFERSIZE, kSendBuffer);
  if (security.encryption != Encryption::None) {
    // AUTH TLS before USER, then PBSZ 0 and PROT P so that the files go encrypted
    // too. Required: a server that refuses AUTH gets nothing more, not even USER.
    curl_easy_setopt(easy, CURLOPT_USE_SSL, static_cast<long>(security.encryption == Encryption::Required
                                                                  ? CURLUSESSL_ALL
                                                                  : CURLUSESSL_TRY));
    curl_easy_setopt(easy, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
    ApplyCertificateChecks(easy, security.caFile, verify);
  }

  state->Prepare("", false);
  state->link->Start();
  // The login is USER and PASS; the PWD that libcurl adds may fail on its own, and
  // then the connection's first command meets the failure, as it would have met it.
  const bool loggedIn = state->link->Finish() == CURLE_OK || state->link->LastReplyCode() == kLoggedIn;
  if (!loggedIn) {
    const std::uint32_t code = state->link->ErrorCode();
    return fail(code != 0 ? code : kLoginFailure, state->link->LastReply());
  }
  // A connection that the server closes is never silently replaced by a new login.
  state->link->KeepToItsConnection();
  if (state->link->TlsAccepted())
    state->security = verify ? SessionSecurity::Encrypted : SessionSecurity::EncryptedUnverified;
  const char* entry = nullptr;
  if (state->link->Result() == CURLE_OK) curl_easy_getinfo(easy, CURLINFO_FTP_ENTRY_PATH, &entry);
  return std::make_unique<CurlFtpConnection>(std::move(state), entry);
}

}  // namespace tarnwick
