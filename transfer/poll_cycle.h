// One poll cycle, run on the worker thread with its own copy of the settings. The
// cycle object owns everything a cycle works on: the file lists, the status buffer
// and the FTP connection; it reaches the frame only through CycleHost.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "platform/platform.h"
#include "transfer/cycle_host.h"
#include "transfer/ftp_transfer.h"
#include "transfer/internet_cancellation.h"
#include "transfer/myinternetsession.h"
#include "transfer/sent_record.h"
#include "transfer/web_request.h"

namespace tarnwick {

constexpr int kConnectAttempts = 5;
constexpr std::size_t kStatusBufferSize = 1024;

extern const char kDownloadRoot[];       // "C:\dravos"
extern const char kDownloadDirectory[];  // "C:\dravos\download"

struct FtpAccount {
  const char* user;
  const char* password;
};

// Only 'u' selects the upload account; every other code the download account.
FtpAccount FtpAccountFor(char code);

class PollCycle {
 public:
  PollCycle(Platform& platform, CycleHost& host, const Configuration& config, const ServiceSettings& service);
  ~PollCycle();

  // The whole cycle; every way out ends with host.EndCycle().
  void Run();

  // What Exit uses to close the Internet handles this cycle waits on.
  const std::shared_ptr<InternetCancellation>& Cancellation() const { return m_cancellation; }

  // The id the transfer session's status texts carry: the user-interface thread's.
  void SetStatusThreadId(long threadId) { m_statusThreadId = threadId; }

  // The steps of a cycle, each usable on its own.
  bool CheckConnection();
  AuthorVerdict VerifyAuthor();
  std::string FetchUrl(const std::string& url);
  void ScanSourceDirs();
  void ScanSlot(const std::string& directory, const std::string& filterLabel);
  void UploadFiles();
  int ReportUpload(const std::string& url);
  double GetRecordingLength(const std::string& path);
  void DownloadFiles(const std::string& remoteDirectory);
  // 0 when logged in (the connection is then in m_pFtp), 1 when the login failed.
  int ConnectFtp(ITransferSession& session, char accountCode);
  // Up to five logins without pause; false when the pass has to give up.
  bool ConnectWithRetries(ITransferSession& session, char accountCode);

  std::vector<std::string> m_arrFiles;
  std::vector<std::string> m_arrFileIds;
  int m_nFileCount = 0;
  int m_nFileIndex = 0;
  char m_szStatus[kStatusBufferSize] = {};
  std::string m_strFtpError;
  std::unique_ptr<IFtpConnection> m_pFtp;
  const std::string m_strFtpHost;

 private:
  // Steps 1 to 16; returning from it at any point ends the cycle.
  void RunSteps();
  void DownloadStep();
  // A failure's text on the window log, the status bar and the log file, in that order.
  void Fail(const std::string& text);
  void ShowIcon(unsigned resourceId) { m_host.ShowIcon(resourceId); }
  enum class FileOutcome { Next, EndPass };
  // The pass's session, or null after telling the user it could not be created.
  std::unique_ptr<ITransferSession> OpenPassSession(CMyInternetSession& statusSink);
  FileOutcome UploadOneFile(ITransferSession& session);
  FileOutcome DownloadOneFile(ITransferSession& session, const std::string& remoteDirectory);
  // Into the download directory under `name`; `errorCode` is the Internet error of a failure.
  bool GetFile(const std::string& remotePath, const std::string& name, std::uint32_t& errorCode);

  // Sets the read-only mark and checks that it holds; false when it does not.
  bool MarkReadOnly(const std::string& path);
  // For a file sent whose mark does not hold: into the sent record, said once.
  void KeepInSentRecord(const std::string& fullPath, const std::string& fileName, const std::string& remoteName,
                        const FileStamp& sentStamp);

  // Listed names the code page cannot hold, already told about in this cycle.
  std::set<std::string> m_unreadableNames;

  // The host's message box, which the cycle does not wait for; silent once Exit
  // was chosen.
  class CycleMessageBox : public IMessageBox {
   public:
    explicit CycleMessageBox(CycleHost& host) : m_host(host) {}
    void Show(const std::string& text) override {
      if (!m_host.StopRequested()) m_host.ShowMessage(text);
    }

   private:
    CycleHost& m_host;
  };

  Platform& m_platform;
  CycleHost& m_host;
  CycleMessageBox m_messages;
  const std::shared_ptr<InternetCancellation> m_cancellation = std::make_shared<InternetCancellation>();
  const Configuration m_config;
  const ServiceSettings m_service;
  long m_statusThreadId = 0;
  // Files sent that could not be marked read-only; read by every scan.
  SentRecord m_sentRecord;
};

// Thread entry: runs the cycle that `cycle` points to.
void PollCycleThread(PollCycle* cycle);

}  // namespace tarnwick
