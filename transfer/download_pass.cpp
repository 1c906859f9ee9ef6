// The download pass: each listed file fetched over a fresh FTP login and confirmed.
#include <initializer_list>

#include "transfer/download_names.h"
#include "transfer/internet_errors.h"
#include "transfer/poll_cycle.h"
#include "transfer/service_urls.h"

namespace tarnwick {

const char kDownloadRoot[] = "C:\\dravos";
const char kDownloadDirectory[] = "C:\\dravos\\download";

void PollCycle::DownloadFiles(const std::string& remoteDirectory, const std::vector<DownloadEntry>& entries) {
  std::unique_ptr<ITransferSession> session = OpenPassSession();
  if (!session) return;
  m_host.SetStatusText("Starting Download Process");
  for (const char* directory : {kDownloadRoot, kDownloadDirectory})
    if (!m_platform.files.DirectoryExists(directory)) m_platform.files.MakeDirectory(directory);
  // A download that a crash, a power cut or Exit cut short leaves its temporary file
  // behind; it lies outside the download directory, so it is never a listed file.
  for (const char* listedAs : {"", "Tarnwick.download"})
    if (m_platform.files.RemoveFile(TemporaryDownloadPath(kDownloadRoot, listedAs)))
      m_host.LogToFile("An unfinished download was removed.");

  const int count = static_cast<int>(entries.size());
  if (count > 0) m_host.LogToFile("DOWNLOADing " + std::to_string(count) + " files");
  for (int index = 0; index < count; ++index) {
    if (m_host.StopRequested()) return;
    if (DownloadOneFile(*session, remoteDirectory, entries[index], index + 1, count) == FileOutcome::EndPass)
      return;
  }
  session.reset();
  m_host.SetStatusText("Tarnwick - Idle");
}

PollCycle::FileOutcome PollCycle::DownloadOneFile(ITransferSession& session, const std::string& remoteDirectory,
                                                  const DownloadEntry& entry, int number, int count) {
  const std::string& name = entry.name;
  if (!IsPlainFileName(name)) {
    // The service's list must never steer a write outside the download directory.
    const std::string text = "\"" + PrintableName(name) + "\" is not a plain file name, not downloaded.";
    m_host.LogToWindow(text);
    m_host.LogToFile(text);
    return FileOutcome::Next;
  }
  std::unique_ptr<IFtpConnection> ftp = ConnectWithRetries(session, 'd');
  if (!ftp) return FileOutcome::EndPass;
  ftp->ChangeDirectory(remoteDirectory);
  const std::string remotePath = remoteDirectory + "/" + name;
  m_host.LogToWindow(std::to_string(number) + " of " + std::to_string(count) + " Downloading " + name);

  auto downloadFailed = [this](std::uint32_t errorCode) {
    const std::string text = "Download Fail - " + GetInternetErrorText(errorCode) + ", Please inform " +
                             m_service.supportEmail + ".\r\n";
    m_host.LogToWindow(text);
    m_host.LogToFile(text);
    m_host.SetStatusText(text);
  };
  if (!ftp->FileExists(name)) {
    // Only a listing that came and lacks the name says the file is not there; a
    // listing that broke off or was refused is a failed download.
    if (ftp->LastError() == kNameNotListed) {
      const std::string text = name + " not found on Server. Please inform " + m_service.supportEmail;
      m_host.LogToWindow(text);
      m_host.LogToFile(text);
    } else {
      downloadFailed(ftp->LastError());
    }
  } else {
    std::uint32_t errorCode = 0;
    if (!GetFile(*ftp, remotePath, name, errorCode)) {
      downloadFailed(errorCode);
    } else {
      m_host.LogTransferred(name);
      m_host.LogToWindow(".. Done.\r\n");
      FetchUrl(DownloadConfirmUrl(m_service, m_config.author, m_config.password, entry.id));
    }
  }
  ftp.reset();
  return FileOutcome::Next;
}

bool PollCycle::GetFile(IFtpConnection& ftp, const std::string& remotePath, const std::string& name,
                        std::uint32_t& errorCode) {
  // The file lands in the download root, on the target's drive, and replaces the
  // target only when complete, so a cut transfer never destroys a file that was
  // already there. Local failures carry no Internet error code and so report an
  // empty error text.
  errorCode = 0;
  const std::string localPath = std::string(kDownloadDirectory) + "\\" + name;
  const std::string temporaryPath = TemporaryDownloadPath(kDownloadRoot, name);
  std::unique_ptr<IFileWriter> target = m_platform.files.CreateForWriting(temporaryPath);
  if (!target) return false;
  const bool complete = ReceiveFile(ftp, remotePath, *target, errorCode) && target->Close() &&
                        m_platform.files.MoveReplacing(temporaryPath, localPath);
  if (!complete) {
    target.reset();
    m_platform.files.RemoveFile(temporaryPath);
  }
  return complete;
}

}  // namespace tarnwick
