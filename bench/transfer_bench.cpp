// Times one upload and one download through the program's FTP transfer code: the
// libcurl adapters, the program's file adapters and the passes' own copy loops
// (SendFile, and ReceiveFile into a temporary file that is flushed and moved over
// the target, as the download pass does). Each transfer logs in first, as the
// passes do per file.
//
//   transfer_bench.exe FTP-PORT UPLOAD-DIRECTORY LOCAL-SOURCE REMOTE-NAME REMOTE-SOURCE LOCAL-TARGET [tls CA-FILE]
//
// uploads LOCAL-SOURCE into UPLOAD-DIRECTORY as REMOTE-NAME, then downloads
// REMOTE-SOURCE (a full FTP path of the download account) to LOCAL-TARGET, and
// prints one line per transfer: "upload <bytes> <seconds>", "download <bytes> <seconds>".
// A REMOTE-NAME or REMOTE-SOURCE of "-" leaves that transfer out.
// In clear to 127.0.0.1; with "tls CA-FILE", as a profile with Encryption 2 has it:
// TLS on both connections, the certificate verified against CA-FILE for the name
// "localhost" (TLS checks names only, so the host is given by name).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "transfer/ftp_transfer.h"
#include "transfer/transfer_session.h"
#include "windows/file_system_win.h"
#include "windows/curl_internet.h"

namespace tarnwick {
namespace {

// Where the transfers go and how they are protected.
struct Server {
  std::string host;
  TransportSecurity security;
};

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::unique_ptr<IFtpConnection> Connect(ITransferSession& session, const std::string& host, unsigned port,
                                        const char* user, const char* password, const std::string& directory) {
  FtpLoginFailure failure;
  auto ftp = session.ConnectFtp(host, port, user, password, failure);
  if (!ftp) {
    std::fprintf(stderr, "login of %s failed: %u %s\n", user, static_cast<unsigned>(failure.code), failure.text.c_str());
    return nullptr;
  }
  ftp->ChangeDirectory(directory);
  return ftp;
}

// Counts the bytes that pass, so the bench reports what really moved.
class CountingReader : public IFileReader {
 public:
  explicit CountingReader(IFileReader& inner) : m_inner(inner) {}
  bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) override {
    const bool ok = m_inner.Read(buffer, capacity, bytesRead);
    if (ok) bytes += bytesRead;
    return ok;
  }
  bool Stamp(FileStamp& stamp) override { return m_inner.Stamp(stamp); }
  std::size_t bytes = 0;

 private:
  IFileReader& m_inner;
};

int Run(const Server& server, unsigned port, const std::string& uploadDirectory, const std::string& localSource,
        const std::string& remoteName, const std::string& remoteSource, const std::string& localTarget) {
  auto internet = MakeCurlInternet(server.security);
  WinFileSystem files;
  // Sessions set up as each pass sets up its own: time-outs.
  LARGE_INTEGER start;
  LARGE_INTEGER end;

  if (remoteName != "-") {
    auto session = OpenTransferSession(*internet);
    auto source = files.OpenForUpload(localSource);
    if (!session || !source) {
      std::fprintf(stderr, "cannot open the session or %s\n", localSource.c_str());
      return 1;
    }
    CountingReader counted(*source);
    QueryPerformanceCounter(&start);
    auto ftp = Connect(*session, server.host, port, "dravos", "brinotaxe4", uploadDirectory);
    std::uint64_t sent = 0;
    const bool uploaded = ftp && SendFile(*ftp, counted, remoteName, sent);
    QueryPerformanceCounter(&end);
    if (!uploaded) {
      std::fprintf(stderr, "upload failed: %u\n", ftp ? static_cast<unsigned>(ftp->LastError()) : 0u);
      return 1;
    }
    std::printf("upload %zu %.3f\n", counted.bytes, Seconds(start, end));
  }

  if (remoteSource != "-") {
    auto session = OpenTransferSession(*internet);
    if (!session) {
      std::fprintf(stderr, "cannot open the session\n");
      return 1;
    }
    // The download pass's steps: into a temporary file, flushed, moved over the target.
    const std::string temporaryPath = localTarget + ".part";
    auto target = files.CreateForWriting(temporaryPath);
    if (!target) {
      std::fprintf(stderr, "cannot create %s\n", temporaryPath.c_str());
      return 1;
    }
    std::uint32_t errorCode = 0;
    QueryPerformanceCounter(&start);
    auto ftp = Connect(*session, server.host, port, "dravodn", "quendil", "/");
    const bool downloaded = ftp && ReceiveFile(*ftp, remoteSource, *target, errorCode) && target->Close() &&
                            files.MoveReplacing(temporaryPath, localTarget);
    QueryPerformanceCounter(&end);
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    if (!downloaded || !GetFileAttributesExA(localTarget.c_str(), GetFileExInfoStandard, &attributes)) {
      std::fprintf(stderr, "download failed: %u\n", static_cast<unsigned>(errorCode));
      return 1;
    }
    std::printf("download %lu %.3f\n", static_cast<unsigned long>(attributes.nFileSizeLow), Seconds(start, end));
  }
  return 0;
}

}  // namespace
}  // namespace tarnwick

int main(int argc, char** argv) {
  using tarnwick::Encryption;
  const bool tls = argc == 9 && std::strcmp(argv[7], "tls") == 0;
  if (argc != 7 && !tls) {
    std::fprintf(stderr,
                 "usage: %s FTP-PORT UPLOAD-DIRECTORY LOCAL-SOURCE REMOTE-NAME REMOTE-SOURCE LOCAL-TARGET"
                 " [tls CA-FILE]\n",
                 argv[0]);
    return 2;
  }
  const tarnwick::Server server = tls ? tarnwick::Server{"localhost", {Encryption::Required, argv[8]}}
                                      : tarnwick::Server{"127.0.0.1", {Encryption::None, {}}};
  return tarnwick::Run(server, static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10)), argv[2], argv[3], argv[4],
                       argv[5], argv[6]);
}
