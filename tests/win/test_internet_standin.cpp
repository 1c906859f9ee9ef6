// Helpers of the Internet tests; the tests themselves are in the other test_internet_* files.
#include <winsock2.h>
#include <windows.h>

#include <curl/curl.h>

#include "test_internet_standin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

namespace tarnwick::test {

namespace {

unsigned PortFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') {
    ADD_FAILURE() << name << " is not set: run these tests through tests/win/with-standin";
    return 0;
  }
  return static_cast<unsigned>(std::strtoul(value, nullptr, 10));
}

// Wine shows the Unix root as drive Z:.
std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::size_t Append(char* data, std::size_t size, std::size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

}  // namespace

Standin Standin::FromEnvironment() {
  Standin standin;
  standin.m_httpPort = PortFromEnvironment("TARNWICK_STANDIN_HTTP_PORT");
  standin.m_ftpPort = PortFromEnvironment("TARNWICK_STANDIN_FTP_PORT");
  const char* root = std::getenv("TARNWICK_STANDIN_ROOT");
  if (root == nullptr || *root == '\0') {
    ADD_FAILURE() << "TARNWICK_STANDIN_ROOT is not set: run these tests through tests/win/with-standin";
  } else {
    standin.m_root = WindowsPath(root);
  }
  return standin;
}

std::string Standin::HttpUrl(const std::string& path) const {
  return "http://" + std::string(kStandinHost) + ":" + std::to_string(m_httpPort) + path;
}

std::string Standin::Control(const std::string& actionAndQuery) const {
  CURL* easy = curl_easy_init();
  if (easy == nullptr) return {};
  std::string body;
  curl_easy_setopt(easy, CURLOPT_URL, HttpUrl("/__control/" + actionAndQuery).c_str());
  curl_easy_setopt(easy, CURLOPT_PROXY, "");
  curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Append);
  curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
  long status = 0;
  const bool answered = curl_easy_perform(easy) == CURLE_OK &&
                        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK && status == 200;
  curl_easy_cleanup(easy);
  return answered ? body : std::string();
}

std::vector<std::string> Standin::FtpCommands() const {
  // {"events": [{"time": ..., "session": 1, "kind": "command", "text": "USER dravos"}, ...]}
  const std::string timeline = Control("ftp_timeline");
  const std::string marker = "\"kind\": \"command\", \"text\": \"";
  std::vector<std::string> commands;
  for (std::size_t at = timeline.find(marker); at != std::string::npos; at = timeline.find(marker, at)) {
    at += marker.size();
    const std::size_t end = timeline.find('"', at);
    if (end == std::string::npos) break;
    commands.push_back(timeline.substr(at, end - at));
  }
  return commands;
}

std::string Standin::UploadedFile(const std::string& name) const {
  return m_root + "\\ftp\\upload\\tessaro.example\\dravouploads\\" + name;
}

std::string Standin::PendingFile(const std::string& name) const {
  return m_root + "\\ftp\\download\\pending\\" + name;
}

unsigned ClosedLoopbackPort() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 0;
  unsigned port = 0;
  SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (probe != INVALID_SOCKET) {
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
      port = ntohs(address.sin_port);
    }
    closesocket(probe);
  }
  WSACleanup();
  return port;
}

std::unique_ptr<ITransferSession> TransferSession(IInternet& internet) {
  auto session = internet.CreateTransferSession();
  if (!session) {
    ADD_FAILURE() << "no transfer session";
    return nullptr;
  }
  session->SetConnectTimeout(40000);
  session->SetReceiveTimeout(40000);
  session->SetSendTimeout(40000);
  return session;
}

std::unique_ptr<IFtpConnection> Login(ITransferSession& session, const Standin& standin, const char* user,
                                      const char* password) {
  FtpLoginFailure failure;
  auto connection = session.ConnectFtp(kStandinHost, standin.FtpPort(), user, password, failure);
  if (!connection) ADD_FAILURE() << user << " cannot log in: " << failure.code << " " << failure.text;
  return connection;
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::string PatternBytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  std::uint32_t state = 2463534242u ^ seed;
  for (char& byte : bytes) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<char>(state >> 24);
  }
  return bytes;
}

}  // namespace tarnwick::test
