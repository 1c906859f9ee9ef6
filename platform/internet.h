// Narrow view of the Windows Internet functions that the transfer engine and the
// configuration dialogs use. Every handle lives for one operation: the objects
// returned here close their handle when destroyed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tarnwick {

// How FTP sessions and web requests protect what they carry.
enum class Encryption {
  None = 0,         // plain FTP and HTTP
  WhenOffered = 1,  // FTP asks for TLS and goes on in plain only when the server refuses it
  Required = 2,     // TLS with a verified certificate for every FTP session and web request
};

struct TransportSecurity {
  Encryption encryption = Encryption::WhenOffered;
  std::string caFile;  // a PEM file of further trusted roots; empty: the system's own decide
};

// What protected an FTP session.
enum class SessionSecurity {
  Plain,
  Encrypted,
  EncryptedUnverified,  // encrypted, with a certificate that could not be verified
};

// Who answered an opened URL, as the platform reports it: the HTTP status of the
// final answer (0 when it cannot say) and the URL that gave it, after any redirects
// the platform followed on its own (empty when it cannot say).
struct UrlResponse {
  unsigned status = 0;
  std::string finalUrl;
};

// An opened URL whose answer is read in pieces (InternetReadFile).
class IUrlReader {
 public:
  virtual ~IUrlReader() = default;
  // Reads at most `capacity` bytes; false when the read call fails.
  virtual bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) = 0;
  virtual UrlResponse Response() = 0;
};

// One InternetOpenA handle with the preconfigured access settings.
class IInternetHandle {
 public:
  virtual ~IInternetHandle() = default;
  // Connect, send and receive time-outs of the URLs opened on this handle from now on;
  // without them the platform's own apply, which may never end.
  virtual void SetTimeouts(std::uint32_t milliseconds) = 0;
  // An HTTP GET of the URL with no headers, its answer never cached; null on failure.
  virtual std::unique_ptr<IUrlReader> OpenUrl(const std::string& url) = 0;
};

// A data connection of an FTP file opened for reading or writing.
class IFtpStream {
 public:
  virtual ~IFtpStream() = default;
  virtual bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) = 0;
  virtual bool Write(const char* data, std::size_t size) = 0;
  // Ends the transfer; false when a platform call failed or the server's final
  // reply refused it. Whether the server holds the file whole is asked apart (SizeOf).
  virtual bool Finish() = 0;
};

// What the server says of a remote file's size.
struct RemoteSize {
  enum class Answer {
    Known,        // the size is in `bytes`
    Unsupported,  // the server does not know the question
    Failed,       // no such file, a refusal, or no answer at all
  } answer = Answer::Failed;
  std::uint64_t bytes = 0;
};

constexpr std::uint32_t kNameNotListed = 18;  // ERROR_NO_MORE_FILES

// A logged-in FTP connection. Failures leave their code in LastError().
class IFtpConnection {
 public:
  virtual ~IFtpConnection() = default;
  virtual bool CurrentDirectory(std::string& directory) = 0;
  virtual bool ChangeDirectory(const std::string& directory) = 0;
  // Whether the current directory lists the bare name. False with LastError()
  // kNameNotListed when the listing came and lacks it; any other code when there
  // was no listing to tell.
  virtual bool FileExists(const std::string& name) = 0;
  // Binary transfer of one file, for writing (put) or reading (get).
  virtual std::unique_ptr<IFtpStream> OpenFile(const std::string& remotePath, bool forWriting) = 0;
  // SIZE of a remote file in binary mode; a failure leaves its code in LastError().
  virtual RemoteSize SizeOf(const std::string& remotePath) = 0;
  virtual std::uint32_t LastError() const = 0;
  virtual SessionSecurity Security() const = 0;
};

// How a login failed: the framework-style exception kinds.
struct FtpLoginFailure {
  enum class Kind { Internet, File, Text } kind = Kind::Internet;
  std::uint32_t code = 0;   // Internet error code, or file failure cause
  std::string text;         // platform description, file name, or plain text
};

// The session object that a pass creates for itself (time-outs).
class ITransferSession {
 public:
  virtual ~ITransferSession() = default;
  virtual void SetConnectTimeout(std::uint32_t milliseconds) = 0;
  virtual void SetReceiveTimeout(std::uint32_t milliseconds) = 0;
  virtual void SetSendTimeout(std::uint32_t milliseconds) = 0;
  // InternetConnectA in passive mode; null with `failure` filled when the login fails.
  virtual std::unique_ptr<IFtpConnection> ConnectFtp(const std::string& host, unsigned port, const std::string& user,
                                                     const std::string& password, FtpLoginFailure& failure) = 0;
};

class IInternet {
 public:
  virtual ~IInternet() = default;
  // InternetOpenA with the given agent, preconfigured access, no proxy, no flags; null on failure.
  virtual std::unique_ptr<IInternetHandle> Open(const std::string& agent) = 0;
  // A synchronous session whose agent is the application title; null when it cannot be created.
  virtual std::unique_ptr<ITransferSession> CreateTransferSession() = 0;
};

}  // namespace tarnwick
