#include "transfer/ftp_transfer.h"

#include <memory>
#include <vector>

namespace tarnwick {

bool SendFile(IFtpConnection& ftp, IFileReader& source, const std::string& remoteName) {
  std::unique_ptr<IFtpStream> stream = ftp.OpenFile(remoteName, true);
  if (!stream) return false;
  std::vector<char> piece(kTransferPiece);
  for (;;) {
    std::size_t bytesRead = 0;
    if (!source.Read(piece.data(), piece.size(), bytesRead)) return false;
    if (bytesRead == 0) break;
    if (!stream->Write(piece.data(), bytesRead)) return false;
  }
  return stream->Finish();
}

bool FetchFile(IFtpConnection& ftp, IFileSystem& files, const std::string& remotePath,
               const std::string& temporaryPath, const std::string& localPath, std::uint32_t& errorCode) {
  errorCode = 0;
  bool complete = ftp.GetFile(remotePath, temporaryPath);
  if (!complete) errorCode = ftp.LastError();
  // A file moved into place before its data is on the disk could turn out empty
  // after a power cut, with the old file already gone.
  complete = complete && files.FlushFile(temporaryPath) && files.MoveReplacing(temporaryPath, localPath);
  if (!complete) files.RemoveFile(temporaryPath);
  return complete;
}

}  // namespace tarnwick
