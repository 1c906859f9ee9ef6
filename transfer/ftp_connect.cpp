// FTP login with the service's two accounts, the retries before each file, and the
// transfer session each pass opens.
#include <cstdio>

#include "res/resource.h"
#include "transfer/poll_cycle.h"

namespace tarnwick {

FtpAccount FtpAccountFor(char code) {
  if (code == 'u') return FtpAccount{"dravos", "brinotaxe4"};
  return FtpAccount{"dravodn", "quendil"};
}

int PollCycle::ConnectFtp(ITransferSession& session, char accountCode) {
  const FtpAccount account = FtpAccountFor(accountCode);
  ShowIcon(IDI_BUSY);
  FtpLoginFailure failure;
  m_pFtp.reset();  // one connection at a time, even for a caller that did not close its last
  m_pFtp = session.ConnectFtp(m_strFtpHost, m_service.ftpPort, account.user, account.password, failure);
  int result = 0;
  if (!m_pFtp) {
    result = 1;
    switch (failure.kind) {
      case FtpLoginFailure::Kind::Internet:
        std::snprintf(m_szStatus, sizeof m_szStatus, "%s", failure.text.c_str());
        m_host.SetStatusText(m_szStatus);
        break;
      case FtpLoginFailure::Kind::File:
        m_strFtpError = "File Error " + std::to_string(failure.code) + " " + failure.text;
        break;
      case FtpLoginFailure::Kind::Text:
        m_strFtpError = failure.text;
        break;
    }
  }
  ShowIcon(IDI_IDLE);
  return result;
}

bool PollCycle::ConnectWithRetries(ITransferSession& session, char accountCode) {
  bool connected = false;
  for (int attempt = 1; attempt <= kConnectAttempts && !connected; ++attempt) {
    m_pFtp.reset();
    // Exit was chosen: further attempts could hold the ending process for minutes.
    if (m_host.StopRequested()) return false;
    std::snprintf(m_szStatus, sizeof m_szStatus, "Connecting to %s (Attempt %d of %d)", m_strFtpHost.c_str(),
                  attempt, kConnectAttempts);
    m_host.SetStatusText(m_szStatus);
    connected = ConnectFtp(session, accountCode) == 0;
  }
  if (!connected) {
    m_host.SetStatusText("Failed to connect to server");
    m_pFtp.reset();
    return false;
  }
  m_host.SetStatusText("Connected to Tessaro Server");
  ShowIcon(IDI_BUSY);
  return true;
}

std::unique_ptr<ITransferSession> PollCycle::OpenPassSession(CMyInternetSession& statusSink) {
  std::unique_ptr<ITransferSession> session = OpenTransferSession(m_platform.internet, statusSink);
  if (!session) {
    // Without a session nothing can be sent or fetched; the files stay due.
    const char text[] = "Internet session could not be opened, will attempt later.";
    m_host.SetStatusText(text);
    m_host.LogToFile(text);
  }
  return session;
}

}  // namespace tarnwick
