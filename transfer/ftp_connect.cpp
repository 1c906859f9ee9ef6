// FTP login with the service's two accounts, the retries before each file, and the
// transfer session each pass opens.
#include <cstdio>

#include "res/resource.h"
#include "transfer/poll_cycle.h"
#include "transfer/transport_errors.h"

namespace tarnwick {

namespace {

const char kUnverifiedSession[] =
    "The FTP server's certificate could not be verified (Windows does not trust it, or it names another host); "
    "the files go encrypted all the same.";

}  // namespace

FtpAccount FtpAccountFor(char code) {
  if (code == 'u') return FtpAccount{"dravos", "brinotaxe4"};
  return FtpAccount{"dravodn", "quendil"};
}

FtpLogin PollCycle::ConnectFtp(ITransferSession& session, char accountCode) {
  const FtpAccount account = FtpAccountFor(accountCode);
  ShowIcon(IDI_BUSY);
  FtpLoginFailure failure;
  FtpLogin login;
  login.connection = session.ConnectFtp(m_service.ftpHost, m_service.ftpPort, account.user, account.password, failure);
  if (login.connection && login.connection->Security() == SessionSecurity::EncryptedUnverified)
    LogOncePerCycle(kUnverifiedSession);
  if (!login.connection && failure.kind == FtpLoginFailure::Kind::Internet &&
      (failure.code == kSecureChannelFailed || failure.code == kCertificateNotVerified))
    LogOncePerCycle("FTP login to " + m_service.ftpHost + " failed: " + failure.text);
  if (!login.connection) {
    switch (failure.kind) {
      case FtpLoginFailure::Kind::Internet: {
        // The status bar takes the platform's text cut to its buffer.
        char status[kStatusBufferSize];
        std::snprintf(status, sizeof status, "%s", failure.text.c_str());
        m_host.SetStatusText(status);
        break;
      }
      case FtpLoginFailure::Kind::File:
        login.failure = "File Error " + std::to_string(failure.code) + " " + failure.text;
        break;
      case FtpLoginFailure::Kind::Text:
        login.failure = failure.text;
        break;
    }
  }
  ShowIcon(IDI_IDLE);
  return login;
}

std::unique_ptr<IFtpConnection> PollCycle::ConnectWithRetries(ITransferSession& session, char accountCode) {
  std::unique_ptr<IFtpConnection> connection;
  for (int attempt = 1; attempt <= kConnectAttempts && !connection; ++attempt) {
    // Exit was chosen: further attempts could hold the ending process for minutes.
    if (m_host.StopRequested()) return nullptr;
    char status[kStatusBufferSize];
    std::snprintf(status, sizeof status, "Connecting to %s (Attempt %d of %d)", m_service.ftpHost.c_str(), attempt,
                  kConnectAttempts);
    m_host.SetStatusText(status);
    connection = ConnectFtp(session, accountCode).connection;
  }
  if (!connection) {
    m_host.SetStatusText("Failed to connect to server");
    return nullptr;
  }
  m_host.SetStatusText("Connected to Tessaro Server");
  ShowIcon(IDI_BUSY);
  return connection;
}

void PollCycle::LogOncePerCycle(const std::string& text) {
  if (m_saidInThisCycle.insert(text).second) m_host.LogToFile(text);
}

std::unique_ptr<ITransferSession> PollCycle::OpenPassSession() {
  std::unique_ptr<ITransferSession> session = OpenTransferSession(m_platform.internet);
  if (!session) {
    // Without a session nothing can be sent or fetched; the files stay due.
    const char text[] = "Internet session could not be opened, will attempt later.";
    m_host.SetStatusText(text);
    m_host.LogToFile(text);
  }
  return session;
}

}  // namespace tarnwick
