#include "doubles/fake_internet.h"

#include <algorithm>
#include <cstring>

namespace tarnwick::testing {

namespace {

class FakeUrlReader : public IUrlReader {
 public:
  FakeUrlReader(FakeInternet& internet, const std::string& url, UrlAnswer answer)
      : m_internet(internet), m_answer(std::move(answer)) {
    if (m_answer.finalUrl.empty()) m_answer.finalUrl = url;
    ++m_internet.openHandles;
  }
  ~FakeUrlReader() override { --m_internet.openHandles; }
  bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) override {
    bytesRead = 0;
    m_internet.readCapacities.push_back(capacity);
    if (m_offset >= m_answer.failReadAt) return false;
    const std::size_t limit = std::min(m_answer.body.size(), m_answer.failReadAt);
    bytesRead = std::min({capacity, m_answer.chunk, limit - m_offset});
    std::memcpy(buffer, m_answer.body.data() + m_offset, bytesRead);
    m_offset += bytesRead;
    return true;
  }
  UrlResponse Response() override { return {m_answer.status, m_answer.finalUrl}; }

 private:
  FakeInternet& m_internet;
  UrlAnswer m_answer;
  std::size_t m_offset = 0;
};

class FakeInternetHandle : public IInternetHandle {
 public:
  FakeInternetHandle(FakeInternet& internet, std::string agent) : m_internet(internet), m_agent(std::move(agent)) {
    ++m_internet.openHandles;
  }
  ~FakeInternetHandle() override { --m_internet.openHandles; }
  void SetTimeouts(std::uint32_t milliseconds) override { m_timeout = milliseconds; }
  std::unique_ptr<IUrlReader> OpenUrl(const std::string& url) override {
    m_internet.requests.push_back({m_agent, url, m_timeout});
    auto answer = m_internet.answers.find(url);
    if (m_internet.failingUrls.count(url) != 0 || answer == m_internet.answers.end()) return nullptr;
    return std::make_unique<FakeUrlReader>(m_internet, url, answer->second);
  }

 private:
  FakeInternet& m_internet;
  std::string m_agent;
  std::uint32_t m_timeout = 0;
};

class FakeFtpStream : public IFtpStream {
 public:
  FakeFtpStream(FakeFtpServer& server, std::string path, bool forWriting, std::uint32_t& lastError)
      : m_server(server), m_path(std::move(path)), m_forWriting(forWriting), m_lastError(lastError) {
    auto cut = server.cutAfter.find(m_path);
    if (cut != server.cutAfter.end()) m_cut = cut->second;
    if (!forWriting) m_data = server.files[m_path];
    auto shortened = server.quietlyShortAfter.find(m_path);
    if (!forWriting && shortened != server.quietlyShortAfter.end()) m_data.resize(shortened->second);
  }
  bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) override {
    bytesRead = 0;
    if (m_forWriting) return false;
    m_server.readSizes.push_back(capacity);
    if (m_offset >= m_cut && m_offset < m_data.size()) {
      m_lastError = m_server.cutCode;
      return false;
    }
    bytesRead = std::min({capacity, m_data.size() - m_offset, m_cut - m_offset});
    std::memcpy(buffer, m_data.data() + m_offset, bytesRead);
    m_offset += bytesRead;
    return true;
  }
  bool Write(const char* data, std::size_t size) override {
    if (!m_forWriting || m_broken) return false;
    m_server.writeSizes.push_back(size);
    if (m_data.size() + size > m_cut) {
      // What arrived before the break stays on the server, as a real one keeps it.
      m_data.append(data, m_cut - m_data.size());
      m_server.files[m_path] = m_data;
      m_lastError = m_server.cutCode;
      m_broken = true;
      return false;
    }
    m_data.append(data, size);
    return true;
  }
  bool Finish() override {
    if (m_broken) return false;
    if (!m_forWriting) return true;
    auto shortened = m_server.quietlyShortAfter.find(m_path);
    if (shortened != m_server.quietlyShortAfter.end()) m_data.resize(shortened->second);
    m_server.files[m_path] = m_data;
    if (m_server.refuseAfterData.count(m_path) == 0) return true;
    m_lastError = 12003;
    return false;
  }

 private:
  FakeFtpServer& m_server;
  std::string m_path;
  bool m_forWriting;
  std::uint32_t& m_lastError;
  std::string m_data;
  std::size_t m_offset = 0;
  std::size_t m_cut = std::string::npos;
  bool m_broken = false;
};

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
}

class FakeFtpConnection : public IFtpConnection {
 public:
  explicit FakeFtpConnection(FakeFtpServer& server) : m_server(server) { ++m_server.openConnections; }
  ~FakeFtpConnection() override {
    m_server.operations.push_back("close");
    --m_server.openConnections;
  }
  bool CurrentDirectory(std::string& directory) override {
    m_server.operations.push_back("pwd");
    directory = m_current;
    return true;
  }
  bool ChangeDirectory(const std::string& directory) override {
    m_server.operations.push_back("cwd " + directory);
    const std::string resolved = m_server.Resolve(m_current, directory);
    if (m_server.directories.count(resolved) == 0 || m_server.deniedDirectories.count(resolved) != 0) {
      m_lastError = 12003;
      return false;
    }
    m_current = resolved;
    return true;
  }
  bool FileExists(const std::string& name) override {
    m_server.operations.push_back("find " + name);
    if (m_server.listingFailure != 0) {
      m_lastError = m_server.listingFailure;
      return false;
    }
    if (m_server.HasFile(m_server.Resolve(m_current, name))) return true;
    m_lastError = kNameNotListed;
    return false;
  }
  std::unique_ptr<IFtpStream> OpenFile(const std::string& remotePath, bool forWriting) override {
    const std::string resolved = m_server.Resolve(m_current, remotePath);
    m_server.operations.push_back((forWriting ? "put " : "get ") + resolved);
    const bool possible = forWriting ? m_server.directories.count(ParentOf(resolved)) != 0 : m_server.HasFile(resolved);
    if (!possible) {
      m_lastError = 12003;
      return nullptr;
    }
    return std::make_unique<FakeFtpStream>(m_server, resolved, forWriting, m_lastError);
  }
  RemoteSize SizeOf(const std::string& remotePath) override {
    const std::string resolved = m_server.Resolve(m_current, remotePath);
    m_server.operations.push_back("size " + resolved);
    RemoteSize size;
    if (m_server.sizeUnsupported) {
      size.answer = RemoteSize::Answer::Unsupported;
    } else if (m_server.HasFile(resolved)) {
      size.answer = RemoteSize::Answer::Known;
      size.bytes = m_server.files[resolved].size();
    } else {
      m_lastError = 12003;
    }
    return size;
  }
  std::uint32_t LastError() const override { return m_lastError; }
  SessionSecurity Security() const override { return m_server.security; }

 private:
  FakeFtpServer& m_server;
  std::string m_current = "/";
  std::uint32_t m_lastError = 0;
};

class FakeTransferSession : public ITransferSession {
 public:
  explicit FakeTransferSession(FakeInternet& internet) : m_internet(internet) {}
  ~FakeTransferSession() override { m_internet.sessionEvents.push_back("closed"); }
  void SetConnectTimeout(std::uint32_t milliseconds) override {
    m_internet.sessionEvents.push_back("connect-timeout " + std::to_string(milliseconds));
  }
  void SetReceiveTimeout(std::uint32_t milliseconds) override {
    m_internet.sessionEvents.push_back("receive-timeout " + std::to_string(milliseconds));
  }
  void SetSendTimeout(std::uint32_t milliseconds) override {
    m_internet.sessionEvents.push_back("send-timeout " + std::to_string(milliseconds));
  }
  std::unique_ptr<IFtpConnection> ConnectFtp(const std::string& host, unsigned port, const std::string& user,
                                             const std::string& password, FtpLoginFailure& failure) override {
    FakeFtpServer& server = m_internet.ftp;
    server.operations.push_back("login " + user + "@" + host + ":" + std::to_string(port));
    ++server.logins;
    const bool refusedFromHere = server.refuseFromLogin > 0 && server.logins >= server.refuseFromLogin;
    if (server.refuseLogins > 0 || refusedFromHere) {
      if (server.refuseLogins > 0) --server.refuseLogins;
      failure = server.refusal;
      return nullptr;
    }
    auto account = server.accounts.find(user);
    if (account == server.accounts.end() || account->second != password) {
      failure = FtpLoginFailure{FtpLoginFailure::Kind::Internet, 12014, "530 Login incorrect."};
      return nullptr;
    }
    return std::make_unique<FakeFtpConnection>(server);
  }

 private:
  FakeInternet& m_internet;
};

}  // namespace

FakeFtpServer::FakeFtpServer() : accounts{{"dravos", "brinotaxe4"}, {"dravodn", "quendil"}}, directories{"/"} {}

std::string FakeFtpServer::Resolve(const std::string& current, const std::string& path) const {
  std::string resolved = !path.empty() && path[0] == '/' ? path : (current == "/" ? "/" : current + "/") + path;
  while (resolved.size() > 1 && resolved.back() == '/') resolved.pop_back();
  return resolved;
}

void FakeFtpServer::AddFile(const std::string& path, const std::string& content) {
  AddDirectory(ParentOf(path));
  files[path] = content;
}

void FakeFtpServer::AddDirectory(const std::string& path) {
  for (std::string directory = path; directories.insert(directory).second && directory != "/";)
    directory = ParentOf(directory);
}

std::unique_ptr<IInternetHandle> FakeInternet::Open(const std::string& agent) {
  agents.push_back(agent);
  if (failOpen) return nullptr;
  return std::make_unique<FakeInternetHandle>(*this, agent);
}

std::unique_ptr<ITransferSession> FakeInternet::CreateTransferSession() {
  if (failSession) return nullptr;
  ++sessionsCreated;
  return std::make_unique<FakeTransferSession>(*this);
}

void FakeInternet::Answer(const std::string& url, const std::string& body, std::size_t chunk) {
  UrlAnswer answer;
  answer.body = body;
  answer.chunk = chunk;
  answers[url] = answer;
}

std::vector<std::string> FakeInternet::RequestedUrls() const {
  std::vector<std::string> urls;
  for (const UrlRequest& request : requests) urls.push_back(request.url);
  return urls;
}

}  // namespace tarnwick::testing
