// The download pass: each listed file fetched over a fresh FTP login and confirmed.
#include <initializer_list>

#include "transfer/download_names.h"
#include "transfer/internet_errors.h"
#include "transfer/poll_cycle.h"
#include "transfer/service_urls.h"

namespace tarnwick {

const char kDownloadRoot[] = "C:\\dravos";
const char kDownloadDirectory[] = "C:\\dravos\\download";

void PollCycle::DownloadFiles(const std::string& remoteDirectory) {
  CMyInternetSession statusSink(m_statusThreadId);
  std::unique_ptr<ITransferSession> session = OpenPassSession(statusSink);
  if (!session) return;
  m_host.SetStatusText("Starting Download Process");
  for (const char* directory : {kDownloadRoot, kDownloadDirectory})
    if (!m_platform.files.DirectoryExists(directory)) m_platform.files.MakeDirectory(directory);

  m_nFileIndex = 0;
  if (m_nFileCount > 0) m_host.LogToFile("DOWNLOADing " + std::to_string(m_nFileCount) + " files");
  while (m_nFileIndex < m_nFileCount && m_nFileIndex < static_cast<int>(m_arrFiles.size()) &&
         m_nFileIndex < static_cast<int>(m_arrFileIds.size())) {
    if (m_host.StopRequested()) return;
    if (DownloadOneFile(*session, remoteDirectory) == FileOutcome::EndPass) return;
  }
  session.reset();
  m_host.SetStatusText("Tarnwick - Idle");
}

PollCycle::FileOutcome PollCycle::DownloadOneFile(ITransferSession& session, const std::string& remoteDirectory) {
  const std::string name = m_arrFiles[m_nFileIndex];
  if (!IsPlainFileName(name)) {
    // The service's list must never steer a write outside the download directory.
    const std::string text = "\"" + PrintableName(name) + "\" is not a plain file name, not downloaded.";
    m_host.LogToWindow(text);
    m_host.LogToFile(text);
    ++m_nFileIndex;
    return FileOutcome::Next;
  }
  if (!ConnectWithRetries(session, 'd')) return FileOutcome::EndPass;
  m_pFtp->ChangeDirectory(remoteDirectory);
  const std::string remotePath = remoteDirectory + "/" + name;
  m_host.LogToWindow(std::to_string(m_nFileIndex + 1) + " of " + std::to_string(m_nFileCount) + " Downloading " +
                     name);

  if (!m_pFtp->FileExists(name)) {
    const std::string text = name + " not found on Server. Please inform " + m_service.supportEmail;
    m_host.LogToWindow(text);
    m_host.LogToFile(text);
  } else {
    std::uint32_t errorCode = 0;
    if (!GetFile(remotePath, name, errorCode)) {
      const std::string text = "Download Fail - " + GetInternetErrorText(errorCode) + ", Please inform " +
                               m_service.supportEmail + ".\r\n";
      m_host.LogToWindow(text);
      m_host.LogToFile(text);
      m_host.SetStatusText(text);
    } else {
      m_host.LogTransferred(name);
      const std::string fileId = m_arrFileIds[m_nFileIndex];
      m_host.LogToWindow(".. Done.\r\n");
      FetchUrl(DownloadConfirmUrl(m_service, m_config.m_strAuthor, m_config.m_strPassword, fileId));
    }
  }
  m_pFtp.reset();
  ++m_nFileIndex;
  return FileOutcome::Next;
}

bool PollCycle::GetFile(const std::string& remotePath, const std::string& name, std::uint32_t& errorCode) {
  // The file lands beside its target and replaces it only when complete, so a cut
  // transfer never destroys a file that was already there. Local failures carry no
  // Internet error code and so report an empty error text.
  errorCode = 0;
  const std::string localPath = std::string(kDownloadDirectory) + "\\" + name;
  const std::string temporaryPath = TemporaryDownloadPath(kDownloadDirectory, name);
  std::unique_ptr<IFileWriter> target = m_platform.files.CreateForWriting(temporaryPath);
  if (!target) return false;
  const bool complete = ReceiveFile(*m_pFtp, remotePath, *target, errorCode) && target->Close() &&
                        m_platform.files.MoveReplacing(temporaryPath, localPath);
  if (!complete) {
    target.reset();
    m_platform.files.RemoveFile(temporaryPath);
  }
  return complete;
}

}  // namespace tarnwick
