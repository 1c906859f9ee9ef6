// An in-memory Internet: web answers by URL, and an FTP server with the service's
// two accounts. It records every URL asked for and every FTP operation in order.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/internet.h"

namespace tarnwick::testing {

struct UrlAnswer {
  std::string body;
  std::size_t chunk = 1023;                     // most bytes one read hands out
  std::size_t failReadAt = std::string::npos;  // a read fails once this many bytes were handed out
  unsigned status = 200;
  std::string finalUrl;  // where redirects ended; empty for the URL asked
};

struct UrlRequest {
  std::string agent;
  std::string url;
  std::uint32_t timeout = 0;  // set on the handle before the URL was opened; 0 for none
};

class FakeFtpServer {
 public:
  FakeFtpServer();

  // An absolute path ("/a/b.wav") of a file or directory; directories end without '/'.
  void AddFile(const std::string& path, const std::string& content);
  void AddDirectory(const std::string& path);
  bool HasFile(const std::string& path) const { return files.count(path) != 0; }

  std::map<std::string, std::string> accounts;  // user -> password
  std::set<std::string> directories;
  std::map<std::string, std::string> files;
  // The next `refuseLogins` logins fail with `refusal`, whatever their account, and so
  // does every login from number `refuseFromLogin` on (counted from 1; 0 for never).
  int refuseLogins = 0;
  int refuseFromLogin = 0;
  int logins = 0;
  FtpLoginFailure refusal{FtpLoginFailure::Kind::Internet, 12029, "The attempt to connect to the server failed."};
  // A transfer of one of these paths breaks after the given number of bytes.
  std::map<std::string, std::size_t> cutAfter;
  std::uint32_t cutCode = 12030;
  // Faults no transfer call reports: a put of one of these paths is stored cut to the
  // given length, a get of one ends quietly after it.
  std::map<std::string, std::size_t> quietlyShortAfter;
  // Puts of these paths are stored whole and then refused by the final reply.
  std::set<std::string> refuseAfterData;
  bool sizeUnsupported = false;  // SIZE is not a command this server knows
  // Directories that exist but may not be entered (CWD refused).
  std::set<std::string> deniedDirectories;
  // Every operation in order: "login user@host:port", "pwd", "cwd <dir>", "find <name>",
  // "put <path>", "get <path>", "size <path>", "close".
  std::vector<std::string> operations;
  // Sizes of the pieces written to and read from transfers, in order.
  std::vector<std::size_t> writeSizes;
  std::vector<std::size_t> readSizes;
  int openConnections = 0;
  SessionSecurity security = SessionSecurity::Plain;  // what every login reports
  std::uint32_t listingFailure = 0;  // not 0: every listing fails with this code

  std::string Resolve(const std::string& current, const std::string& path) const;
};

class FakeInternet : public IInternet {
 public:
  std::unique_ptr<IInternetHandle> Open(const std::string& agent) override;
  std::unique_ptr<ITransferSession> CreateTransferSession() override;

  void Answer(const std::string& url, const std::string& body, std::size_t chunk = 1023);
  std::vector<std::string> RequestedUrls() const;

  // Web side.
  bool failOpen = false;               // InternetOpenA fails
  std::set<std::string> failingUrls;   // InternetOpenUrlA fails for these
  std::map<std::string, UrlAnswer> answers;  // URLs without an answer cannot be opened
  std::vector<std::string> agents;     // every InternetOpenA, in order
  std::vector<UrlRequest> requests;    // every InternetOpenUrlA, in order
  std::vector<std::size_t> readCapacities;  // what each InternetReadFile asked for
  int openHandles = 0;                 // Internet and URL handles not yet closed

  // FTP side.
  bool failSession = false;
  // "connect-timeout <ms>", "receive-timeout <ms>", "send-timeout <ms>", "closed".
  std::vector<std::string> sessionEvents;
  int sessionsCreated = 0;
  FakeFtpServer ftp;
};

}  // namespace tarnwick::testing
