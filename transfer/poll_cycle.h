// One poll cycle, run on the worker thread with its own copy of the settings. The
// file lists and FTP connections a cycle works on are passed from step to step; the
// cycle reaches the frame only through CycleHost.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "platform/platform.h"
#include "transfer/cycle_host.h"
#include "transfer/download_list.h"
#include "transfer/ftp_transfer.h"
#include "transfer/internet_cancellation.h"
#include "transfer/sent_record.h"
#include "transfer/source_scan.h"
#include "transfer/transfer_session.h"
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

struct FtpLogin {
  std::unique_ptr<IFtpConnection> connection;  // null when the login failed
  // The text of a failure that is not an Internet error; nothing shows it.
  std::string failure;
};

class PollCycle {
 public:
  PollCycle(Platform& platform, CycleHost& host, const Configuration& config, const ServiceSettings& service);
  ~PollCycle();

  // The whole cycle; every way out ends with host.EndCycle().
  void Run();

  // What Exit uses to close the Internet handles this cycle waits on.
  const std::shared_ptr<InternetCancellation>& Cancellation() const { return m_cancellation; }

  // The steps of a cycle, each usable on its own.
  bool CheckConnection();
  AuthorVerdict VerifyAuthor();
  std::string FetchUrl(const std::string& url);
  // The files due to be sent, in slot order.
  std::vector<DueFile> ScanSourceDirs();
  void UploadFiles(const std::vector<DueFile>& files);
  int ReportUpload(const std::string& url);
  double GetRecordingLength(const std::string& path);
  void DownloadFiles(const std::string& remoteDirectory, const std::vector<DownloadEntry>& entries);
  // The login with the account that `accountCode` selects.
  FtpLogin ConnectFtp(ITransferSession& session, char accountCode);
  // Up to five logins without pause; null when the pass has to give up.
  std::unique_ptr<IFtpConnection> ConnectWithRetries(ITransferSession& session, char accountCode);

 private:
  // Steps 1 to 16; returning from it at any point ends the cycle.
  void RunSteps();
  void DownloadStep();
  // A failure's text on the window log, the status bar and the log file, in that order.
  void Fail(const std::string& text);
  void ShowIcon(unsigned resourceId) { m_host.ShowIcon(resourceId); }
  enum class FileOutcome { Next, EndPass };
  // The pass's session, or null after telling the user it could not be created.
  std::unique_ptr<ITransferSession> OpenPassSession();
  std::vector<DueFile> ScanSlot(const std::string& directory, const std::string& filterLabel);
  // `number` of `count` in the pass's own numbering, from 1.
  FileOutcome UploadOneFile(ITransferSession& session, const DueFile& file, int number, int count);
  FileOutcome DownloadOneFile(ITransferSession& session, const std::string& remoteDirectory,
                              const DownloadEntry& entry, int number, int count);
  // Into the download directory under `name`; `errorCode` is the Internet error of a failure.
  bool GetFile(IFtpConnection& ftp, const std::string& remotePath, const std::string& name,
               std::uint32_t& errorCode);

  // Sets the read-only mark and checks that it holds; false when it does not.
  bool MarkReadOnly(const std::string& path);
  // For a file sent whose mark does not hold: into the sent record, said once.
  void KeepInSentRecord(const std::string& fullPath, const std::string& fileName, const std::string& remoteName,
                        const FileStamp& sentStamp);

  // Listed names the code page cannot hold, already told about in this cycle.
  std::set<std::string> m_unreadableNames;
  // Writes the text to the log file unless this cycle already did: what every
  // login of a cycle would repeat (how the FTP server's encryption went).
  void LogOncePerCycle(const std::string& text);
  std::set<std::string> m_saidInThisCycle;

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
  // Files sent that could not be marked read-only; read by every scan.
  SentRecord m_sentRecord;
};

// Thread entry: runs the cycle that `cycle` points to.
void PollCycleThread(PollCycle* cycle);

}  // namespace tarnwick
