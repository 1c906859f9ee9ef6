#include <windows.h>
#include <wininet.h>

#include "windows/ftp_connection_win.h"

#include <string>
#include <utility>
#include <vector>

#include "transfer/ftp_replies.h"
#include "transfer/internet_cancellation.h"
#include "windows/wininet_error_text.h"

namespace tarnwick {

namespace {

constexpr DWORD_PTR kFtpContext = 1;

bool SendCommand(HINTERNET connection, const std::string& command) {
  return FtpCommandA(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, command.c_str(), kFtpContext, nullptr) != FALSE;
}

// The server's reply to the last exchange on this thread. Wine hands the kept reply
// out only while a failure is recorded for the thread; a command that WinInet
// refuses before sending anything records one and leaves the reply in place.
std::string KeptReply(HINTERNET connection) {
  std::string reply = WinInetLastResponse();
  if (reply.empty()) {
    FtpCommandA(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, nullptr, kFtpContext, nullptr);
    reply = WinInetLastResponse();
  }
  return reply;
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
    NetworkCall call;
    if (!call.Allowed()) return Fail(ERROR_INTERNET_OPERATION_CANCELLED);
    DWORD read = 0;
    if (!InternetReadFile(m_file->Get(), buffer, static_cast<DWORD>(capacity), &read)) {
      return Fail(TransferErrorCode(GetLastError()));
    }
    bytesRead = read;
    return true;
  }

  bool Write(const char* data, std::size_t size) override {
    if (m_file->Get() == nullptr) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    NetworkCall call;
    if (!call.Allowed()) return Fail(ERROR_INTERNET_OPERATION_CANCELLED);
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
    // The final reply is only an extra signal: Windows may still keep the opening
    // one here. A refusal fails the transfer; whether the server holds the file
    // whole is asked of the server itself (SizeOf).
    if (LastReplyCode(KeptReply(m_connection->handle->Get())) >= 400) return Fail(ERROR_INTERNET_EXTENDED_ERROR);
    return true;
  }

 private:
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
    NetworkCall call;
    if (!call.Allowed()) return Cancelled();
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
    NetworkCall call;
    if (!call.Allowed()) return Cancelled();
    return FtpSetCurrentDirectoryA(Connection().Get(), directory.c_str()) || Fail();
  }

  bool FileExists(const std::string& name) override {
    NetworkCall call;
    if (!call.Allowed()) return Cancelled();
    WIN32_FIND_DATAA found = {};
    HINTERNET search = FtpFindFirstFileA(Connection().Get(), name.c_str(), &found, INTERNET_FLAG_RELOAD, kFtpContext);
    if (search != nullptr) {
      // Owned like every other handle, so that a cancellation closes it only once.
      InternetHandle closedAtOnce(search, m_state->handle);
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
    NetworkCall call;
    if (!call.Allowed()) {
      Cancelled();
      return nullptr;
    }
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
        std::make_unique<InternetHandle>(file, m_state->handle), m_state, CacheCopyOf(file));
  }

  RemoteSize SizeOf(const std::string& remotePath) override {
    NetworkCall call;
    if (!call.Allowed()) {
      Cancelled();
      return {};
    }
    if (remotePath.empty() || HasLineBreak(remotePath)) {
      m_state->lastError = ERROR_INVALID_PARAMETER;
      return {};
    }
    // Servers count a file's bytes for SIZE only in binary mode.
    if (!SendCommand(Connection().Get(), "TYPE I")) {
      m_state->lastError = TransferErrorCode(GetLastError());
      return {};
    }
    // Its reply, not the call's result, tells a size from a command the server lacks.
    SendCommand(Connection().Get(), "SIZE " + remotePath);
    const DWORD error = GetLastError();
    const RemoteSize size = SizeFromReply(KeptReply(Connection().Get()));
    if (size.answer == RemoteSize::Answer::Failed) m_state->lastError = TransferErrorCode(error);
    return size;
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

  bool Cancelled() {
    m_state->lastError = ERROR_INTERNET_OPERATION_CANCELLED;
    return false;
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
