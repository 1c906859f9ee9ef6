// The upload pass: each due file put over a fresh FTP login, reported, archived and marked.
#include "transfer/archive_copy.h"
#include "transfer/poll_cycle.h"
#include "transfer/recording_length.h"
#include "transfer/service_urls.h"

namespace tarnwick {

namespace {

const char kUploadFailed[] = ".. Upload Fail, will attempt later.";

}  // namespace

void PollCycle::UploadFiles(const std::vector<DueFile>& files) {
  std::unique_ptr<ITransferSession> session = OpenPassSession();
  if (!session) return;
  const int count = static_cast<int>(files.size());
  if (count > 0) m_host.LogToFile("UPLOADing " + std::to_string(count) + " files");
  for (int index = 0; index < count; ++index) {
    if (m_host.StopRequested()) break;
    if (UploadOneFile(*session, files[index], index + 1, count) == FileOutcome::EndPass) break;
  }
}

PollCycle::FileOutcome PollCycle::UploadOneFile(ITransferSession& session, const DueFile& file, int number,
                                                int count) {
  std::unique_ptr<IFtpConnection> ftp = ConnectWithRetries(session, 'u');
  if (!ftp) return FileOutcome::EndPass;

  std::string currentDirectory;
  ftp->CurrentDirectory(currentDirectory);
  const std::string uploadDirectory = "/" + m_service.domain + "/dravouploads/";
  ftp->ChangeDirectory(uploadDirectory);

  // A path without a folder cannot be archived beside itself; it is passed over.
  if (!file.folder.empty()) {
    const std::string fullPath = file.Path();
    const std::string& fileName = file.name;
    const std::string remoteName = m_config.author + "_" + fileName;
    m_host.LogToWindow(std::to_string(number) + " of " + std::to_string(count) + " Uploading " + fileName);

    // Held open, denying writers, from before the put until the mark is set: a
    // recording still being written is never sent half-done, and one that grows
    // after the put is never marked with its new part unsent.
    std::unique_ptr<IFileReader> source = m_platform.files.OpenForUpload(fullPath);
    FileStamp sentStamp;
    if (!source && m_platform.files.FileExists(fullPath)) {
      const std::string text = fileName + " is in use, will attempt later.";
      m_host.LogToWindow(text);
      m_host.LogToFileOncePerDay("in use", fullPath, text);
    } else {
      // The put names the file relative to the directory it is in: after a failed
      // change it would land in the login directory, where the service never looks.
      const bool inUploadDirectory = ftp->ChangeDirectory(uploadDirectory);
      std::uint64_t bytesSent = 0;
      const bool sent = inUploadDirectory && source && source->Stamp(sentStamp) &&
                        SendFile(*ftp, *source, remoteName, bytesSent) && bytesSent == sentStamp.size;
      if (!sent) {
        const std::string text = std::string(kUploadFailed) + "\r\n";
        m_host.LogToWindow(text);
        m_host.LogToFile(text);
        m_host.SetStatusText(kUploadFailed);
        ftp.reset();
        m_host.ChangeIcon();
        return FileOutcome::EndPass;
      }
      m_host.LogTransferred(fileName);
      m_host.LogToWindow(".. Done.\r\n");
      const std::string lengthText = LengthText(GetRecordingLength(fullPath));
      if (ReportUpload(CopyReportUrl(m_service, m_config.author, remoteName, lengthText)) == 1) {
        // The read-only mark is what keeps the file from being sent again, so it is
        // set even when the archive copy could not be made.
        const std::string archiveDirectory = file.folder + "\\tessaro";
        const std::string note =
            ArchiveNote(ArchiveCopy(m_platform.files, fullPath, archiveDirectory, fileName), fileName, archiveDirectory);
        if (!note.empty()) {
          m_host.LogToWindow(note);
          m_host.LogToFile(note);
        }
        // Where the platform cannot deny writers (a share, another system's
        // program), the stamp still tells a file that changed since it was sent.
        FileStamp stampNow;
        if (source->Stamp(stampNow) && stampNow == sentStamp) {
          if (!MarkReadOnly(fullPath)) KeepInSentRecord(fullPath, fileName, remoteName, sentStamp);
        } else {
          const std::string text = fileName + " changed after it was sent, will attempt later.";
          m_host.LogToWindow(text);
          m_host.LogToFile(text);
        }
      }
    }
  }
  m_host.ChangeIcon();
  ftp.reset();
  return FileOutcome::Next;
}

bool PollCycle::MarkReadOnly(const std::string& path) {
  // A share may take the change and keep nothing of it, so it is read back.
  std::uint32_t attributes = 0;
  return m_platform.files.SetAttributes(path, kAttrReadOnly) && m_platform.files.ReadAttributes(path, attributes) &&
         (attributes & kAttrReadOnly) != 0;
}

void PollCycle::KeepInSentRecord(const std::string& fullPath, const std::string& fileName,
                                 const std::string& remoteName, const FileStamp& sentStamp) {
  // Said when the file is recorded; the scans after it pass over it in silence.
  if (m_sentRecord.Add(SentEntry{fullPath, sentStamp, remoteName})) {
    m_host.LogToWindow(fileName + " could not be marked read-only, kept in " + std::string(kSentRecordName) + ".");
    m_host.LogToFile(fullPath + " could not be marked read-only; it is kept in " + kSentRecordName +
                     " instead and is not sent again while it is unchanged.");
  } else {
    m_host.LogToWindow(fileName + " could not be marked read-only nor recorded, will be sent again.");
    m_host.LogToFile(fullPath + " could not be marked read-only nor kept in " + kSentRecordName +
                     "; it will be sent again.");
  }
}

}  // namespace tarnwick
