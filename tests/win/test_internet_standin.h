// What the Internet tests need of the stand-in service that tests/win/with-standin
// started for them: its ports, its files and its control switches.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/internet.h"

namespace tarnwick::test {

inline constexpr char kStandinHost[] = "127.0.0.1";
inline constexpr char kUploadUser[] = "dravos";
inline constexpr char kUploadPassword[] = "brinotaxe4";
inline constexpr char kDownloadUser[] = "dravodn";
inline constexpr char kDownloadPassword[] = "quendil";
// The service's default domain names the upload directory.
inline constexpr char kUploadDirectory[] = "/tessaro.example/dravouploads/";
inline constexpr char kDownloadDirectory[] = "/pending";

class Standin {
 public:
  // Reads the ports and root that the wrapper exported; a test that runs without
  // them fails here rather than testing nothing.
  static Standin FromEnvironment();

  unsigned HttpPort() const { return m_httpPort; }
  unsigned FtpPort() const { return m_ftpPort; }
  std::string HttpUrl(const std::string& path) const;

  // A control call such as "reset" or "set?ftp_cut_after=100"; the answer's body,
  // empty when the call fails (the HTTP status is checked).
  std::string Control(const std::string& actionAndQuery) const;
  // The FTP commands the server received since the last reset, in order (PASS without its word).
  std::vector<std::string> FtpCommands() const;

  // Windows paths of the files that each FTP account sees under its FTP path.
  std::string UploadedFile(const std::string& name) const;
  std::string PendingFile(const std::string& name) const;

 private:
  unsigned m_httpPort = 0;
  unsigned m_ftpPort = 0;
  std::string m_root;  // Windows form of the service's root directory
};

// A port on 127.0.0.1 where nothing listens (bound, then released).
unsigned ClosedLoopbackPort();

// A transfer session set up as each pass sets up its own (40000 ms time-outs).
std::unique_ptr<ITransferSession> TransferSession(IInternet& internet);

// A connection of the given account, or null after recording a test failure.
std::unique_ptr<IFtpConnection> Login(ITransferSession& session, const Standin& standin, const char* user,
                                      const char* password);

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
// Bytes that no two offsets of a transfer share by accident (not a short cycle).
std::string PatternBytes(std::size_t size, unsigned seed);

}  // namespace tarnwick::test
