#include <windows.h>
#include <wininet.h>

#include "windows/ftp_connection_win.h"

#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "windows/wininet_error_text.h"

namespace tarnwick {

namespace {

constexpr DWORD_PTR kFtpContext = 1;

// The reply code of the last complete line of a server response; 0 when there is none.
int LastReplyCode(const std::string& response) {
  int code = 0;
  std::size_t start = 0;
  while (start < response.size()) {
    std::size_t end = response.find('\n', start);
    if (end == std::string::npos) end = response.size();
    if (end - start >= 3 && std::isdigit(static_cast<unsigned char>(response[start])) &&
        std::isdigit(static_cast<unsigned char>(response[start + 1])) &&
        std::isdigit(static_cast<unsigned char>(response[start + 2]))) {
      code = (response[start] - '0') * 100 + (response[start + 1] - '0') * 10 + (response[start + 2] - '0');
    }
    start = end + 1;
  }
  return code;
}

bool SendCommand(HINTERNET connection, const std::string& command) {
  return FtpCommandA(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, command.c_str(), kFtpContext, nullptr) != FALSE;
}

// What a connection shares with the transfers opened on it: a failed read, write or
// end of a transfer leaves its code where the connection's LastError() finds it.
struct ConnectionState {
  explicit ConnectionState(std::shared_ptr<InternetHandle> connection) : handle(std::move(connection)) {}
  std::shared_ptr<InternetHandle> handle;
  std::uint32_t lastError = 0;
};

// Wine reports a broken data connection with a placeholder (the base of the
// Internet codes) or a socket code, neither of which names the failure in
// WinInet's terms; Windows itself reports the Internet codes.
std::uint32_t TransferErrorCode(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS:
    case INTERNET_ERROR_BASE:
    case WSAECONNABORTED:
      return ERROR_INTERNET_CONNECTION_ABORTED;
    case WSAECONNRESET:
      return ERROR_INTERNET_CONNECTION_RESET;
    case WSAETIMEDOUT:
      return ERROR_INTERNET_TIMEOUT;
    default:
      return code;
  }
}

// Wine writes every received FTP file into a file of the Internet cache, whatever
// the flags say, and neither registers nor removes it; the handle names that file.
std::string CacheCopyOf(HINTERNET file) {
  char name[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH;
  if (!InternetQueryOptionA(file, INTERNET_OPTION_DATAFILE_NAME, name, &size)) return {};
  return name;
}

// A name that could smuggle a second command into the control connection.
bool HasLineBreak(const std::string& name) { return name.find_first_of("\r\n") != std::string::npos; }

class WinInetFtpStream : public IFtpStream {
 public:
  WinInetFtpStream(std::unique_ptr<InternetHandle> file, std::shared_ptr<ConnectionState> connection,
                   std::string cacheCopy)
      : m_file(std::move(file)), m_connection(std::move(connection)), m_cacheCopy(std::move(cacheCopy)) {}

  ~WinInetFtpStream() override {
    m_file->Close();
    RemoveCacheCopy();
  }

  bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) override {
    bytesRead = 0;
    if (m_file->Get() == nullptr) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    StatusScope scope(m_file->Relay());
    DWORD read = 0;
    if (!InternetReadFile(m_file->Get(), buffer, static_cast<DWORD>(capacity), &read)) {
      return Fail(TransferErrorCode(GetLastError()));
    }
    bytesRead = read;
    return true;
  }

  bool Write(const char* data, std::size_t size) override {
    if (m_file->Get() == nullptr) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    StatusScope scope(m_file->Relay());
    // A socket may take less than it was given; the rest goes in further calls.
    while (size > 0) {
      DWORD written = 0;
      if (!InternetWriteFile(m_file->Get(), data, static_cast<DWORD>(size), &written)) {
        return Fail(TransferErrorCode(GetLastError()));
      }
      if (written == 0) return Fail(ERROR_INTERNET_CONNECTION_ABORTED);
      data += written;
      size -= written;
    }
    return true;
  }

  bool Finish() override {
    if (m_file->Get() == nullptr) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    const bool closed = m_file->Close();
    const DWORD closeError = GetLastError();
    RemoveCacheCopy();
    if (!closed) return Fail(TransferErrorCode(closeError));
    return ServerAccepted();
  }

 private:
  // Closing the handle reads the server's final reply but does not fail when the
  // reply is a refusal. WinInet keeps the reply for the thread; Wine hands it out
  // only when something failed on the way, and then it says how the transfer ended
  // (a reply that still says "opening" means the final one never came). With
  // nothing kept, the reply was read whole, and a connection that still answers
  // proves it was not cut.
  bool ServerAccepted() {
    const int code = LastReplyCode(WinInetLastResponse());
    if (code >= 200 && code < 300) return true;
    if (code >= 300) return Fail(ERROR_INTERNET_EXTENDED_ERROR);
    if (code != 0) return Fail(ERROR_INTERNET_CONNECTION_ABORTED);
    StatusScope scope(m_connection->handle->Relay());
    if (SendCommand(m_connection->handle->Get(), "NOOP")) return true;
    return Fail(TransferErrorCode(GetLastError()));
  }

  bool Fail(std::uint32_t code) {
    m_connection->lastError = code;
    return false;
  }

  // Only once the handle is closed has Wine let go of the file.
  void RemoveCacheCopy() {
    if (m_cacheCopy.empty()) return;
    DeleteFileA(m_cacheCopy.c_str());
    m_cacheCopy.clear();
  }

  std::unique_ptr<InternetHandle> m_file;
  std::shared_ptr<ConnectionState> m_connection;
  std::string m_cacheCopy;
};

class WinInetFtpConnection : public IFtpConnection {
 public:
  explicit WinInetFtpConnection(std::shared_ptr<InternetHandle> connection)
      : m_state(std::make_shared<ConnectionState>(std::move(connection))) {}

  bool CurrentDirectory(std::string& directory) override {
    StatusScope scope(Connection().Relay());
    std::vector<char> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 2; ++attempt) {
      DWORD size = static_cast<DWORD>(buffer.size());
      if (FtpGetCurrentDirectoryA(Connection().Get(), buffer.data(), &size)) {
        buffer.back() = '\0';
        directory = buffer.data();
        return true;
      }
      Fail();
      // Only a platform that says how much room it needs gets a second try.
      if (m_state->lastError != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) return false;
      buffer.assign(size + 1, '\0');
    }
    return false;
  }

  bool ChangeDirectory(const std::string& directory) override {
    StatusScope scope(Connection().Relay());
    return FtpSetCurrentDirectoryA(Connection().Get(), directory.c_str()) || Fail();
  }

  bool FileExists(const std::string& name) override {
    StatusScope scope(Connection().Relay());
    WIN32_FIND_DATAA found = {};
    HINTERNET search = FtpFindFirstFileA(Connection().Get(), name.c_str(), &found, INTERNET_FLAG_RELOAD, kFtpContext);
    if (search != nullptr) {
      InternetCloseHandle(search);
      return true;
    }
    // Wine leaves no code when the listing simply lacks the name; Windows says so.
    DWORD searchError = GetLastError();
    if (searchError == ERROR_SUCCESS) searchError = ERROR_NO_MORE_FILES;
    if (AskedByExactName(name)) return true;
    SetLastError(searchError);
    return Fail();
  }

  std::unique_ptr<IFtpStream> OpenFile(const std::string& remotePath, bool forWriting) override {
    StatusScope scope(Connection().Relay());
    // A received file goes straight to its own place; a copy in the Internet cache
    // would only double the writing and fill the disk.
    const DWORD flags = FTP_TRANSFER_TYPE_BINARY | (forWriting ? 0 : INTERNET_FLAG_NO_CACHE_WRITE);
    HINTERNET file = FtpOpenFileA(Connection().Get(), remotePath.c_str(), forWriting ? GENERIC_WRITE : GENERIC_READ,
                                  flags, kFtpContext);
    if (file == nullptr) {
      Fail();
      return nullptr;
    }
    return std::make_unique<WinInetFtpStream>(
        std::make_unique<InternetHandle>(file, m_state->handle, Connection().Relay()), m_state, CacheCopyOf(file));
  }

  std::uint32_t LastError() const override { return m_state->lastError; }

 private:
  InternetHandle& Connection() const { return *m_state->handle; }

  // Wine's search lists the whole directory and keeps only the first word of each
  // name, so a name with blanks is never matched there. The server itself is then
  // asked about the exact name; it refuses SIZE in ASCII mode, which the listing
  // left the connection in.
  bool AskedByExactName(const std::string& name) {
    if (name.empty() || HasLineBreak(name)) return false;
    return SendCommand(Connection().Get(), "TYPE I") && SendCommand(Connection().Get(), "SIZE " + name);
  }

  // Records the thread's error of the call that just failed; always false.
  bool Fail() {
    m_state->lastError = GetLastError();
    return false;
  }

  std::shared_ptr<ConnectionState> m_state;
};

}  // namespace

std::unique_ptr<IFtpConnection> MakeWinInetFtpConnection(std::shared_ptr<InternetHandle> connection) {
  return std::make_unique<WinInetFtpConnection>(std::move(connection));
}

}  // namespace tarnwick
