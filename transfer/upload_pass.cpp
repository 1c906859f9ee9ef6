// The upload pass: each due file put over a fresh FTP login, reported, archived and marked.
#include <vector>

#include "transfer/poll_cycle.h"
#include "transfer/recording_length.h"
#include "transfer/service_urls.h"

namespace tarnwick {

namespace {

const char kUploadFailed[] = ".. Upload Fail, will attempt later.";

// A listed file that cannot be opened is either held by another program or gone;
// only the first may wait, a missing one fails like any other put.
bool FileIsPresent(IFileSystem& files, const std::string& path) {
  std::vector<FoundFile> found;
  if (!files.FindFiles(path, found)) return false;
  for (const FoundFile& entry : found)
    if ((entry.attributes & kAttrDirectory) == 0) return true;
  return false;
}

}  // namespace

void PollCycle::UploadFiles() {
  CMyInternetSession statusSink(m_statusThreadId);
  std::unique_ptr<ITransferSession> session = OpenPassSession(statusSink);
  if (!session) return;
  m_nFileIndex = 0;
  if (m_nFileCount > 0) m_host.LogToFile("UPLOADing " + std::to_string(m_nFileCount) + " files");
  while (m_nFileIndex < m_nFileCount && m_nFileIndex < static_cast<int>(m_arrFiles.size())) {
    if (m_host.StopRequested()) break;
    if (UploadOneFile(*session) == FileOutcome::EndPass) break;
  }
  m_pFtp.reset();
}

PollCycle::FileOutcome PollCycle::UploadOneFile(ITransferSession& session) {
  m_strFtpError.clear();
  if (!ConnectWithRetries(session, 'u')) return FileOutcome::EndPass;

  std::string currentDirectory;
  m_pFtp->CurrentDirectory(currentDirectory);
  const std::string uploadDirectory = "/" + m_service.domain + "/dravouploads/";
  m_pFtp->ChangeDirectory(uploadDirectory);

  const std::string fullPath = m_arrFiles[m_nFileIndex];
  const std::size_t slash = fullPath.rfind('\\');
  if (slash != std::string::npos && slash != 0) {
    const std::string fileName = fullPath.substr(slash + 1);
    const std::string sourcePart = fullPath.substr(0, slash);
    const std::string remoteName = m_config.m_strAuthor + "_" + fileName;
    m_host.LogToWindow(std::to_string(m_nFileIndex + 1) + " of " + std::to_string(m_nFileCount) + " Uploading " +
                       fileName);

    // Held open, denying writers, until the put is over: a recording still being
    // written is never sent half-done and marked as sent.
    std::unique_ptr<IFileReader> source = m_platform.files.OpenForUpload(fullPath);
    if (!source && FileIsPresent(m_platform.files, fullPath)) {
      const std::string text = fileName + " is in use, will attempt later.";
      m_host.LogToWindow(text);
      m_host.LogToFile(text);
    } else {
      m_pFtp->ChangeDirectory(uploadDirectory);
      const bool sent = source && SendFile(*m_pFtp, *source, remoteName);
      source.reset();
      if (!sent) {
        m_strFtpError = std::string(kUploadFailed) + "\r\n";
        m_host.LogToWindow(m_strFtpError);
        m_host.LogToFile(m_strFtpError);
        m_host.SetStatusText(kUploadFailed);
        m_pFtp.reset();
        m_host.ChangeIcon();
        return FileOutcome::EndPass;
      }
      m_host.LogTransferred(fileName);
      m_strFtpError = ".. Done.\r\n";
      m_host.LogToWindow(m_strFtpError);
      const std::string lengthText = LengthText(GetRecordingLength(fullPath));
      if (ReportUpload(CopyReportUrl(m_service, m_config.m_strAuthor, remoteName, lengthText)) == 1) {
        // The read-only mark is what keeps the file from being sent again, so it is
        // set even when the archive copy could not be made.
        const std::string archiveDirectory = sourcePart + "\\tessaro";
        if (!m_platform.files.DirectoryExists(archiveDirectory)) m_platform.files.MakeDirectory(archiveDirectory);
        m_platform.files.CopyReplacing(fullPath, archiveDirectory + "\\" + fileName);
        m_platform.files.SetAttributes(fullPath, kAttrReadOnly);
      }
    }
  }
  m_host.ChangeIcon();
  m_pFtp.reset();
  ++m_nFileIndex;
  return FileOutcome::Next;
}

}  // namespace tarnwick
