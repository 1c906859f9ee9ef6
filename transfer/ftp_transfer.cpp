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

bool ReceiveFile(IFtpConnection& ftp, const std::string& remotePath, IFileWriter& target, std::uint32_t& errorCode) {
  errorCode = 0;
  std::unique_ptr<IFtpStream> stream = ftp.OpenFile(remotePath, false);
  if (!stream) {
    errorCode = ftp.LastError();
    return false;
  }
  std::vector<char> piece(kReceivePiece);
  for (;;) {
    std::size_t bytesRead = 0;
    if (!stream->Read(piece.data(), piece.size(), bytesRead)) {
      errorCode = ftp.LastError();
      return false;
    }
    if (bytesRead == 0) break;
    if (!target.Write(piece.data(), bytesRead)) return false;
  }
  if (!stream->Finish()) {
    errorCode = ftp.LastError();
    return false;
  }
  return true;
}

}  // namespace tarnwick
