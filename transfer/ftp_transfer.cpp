#include "transfer/ftp_transfer.h"

#include <memory>
#include <vector>

namespace tarnwick {

namespace {

// The Internet error code of a transfer that ended short of the whole file.
constexpr std::uint32_t kConnectionAborted = 12030;

}  // namespace

bool ServerHoldsAll(IFtpConnection& ftp, const std::string& remotePath, std::uint64_t bytes,
                    std::uint32_t& errorCode) {
  const RemoteSize size = ftp.SizeOf(remotePath);
  switch (size.answer) {
    case RemoteSize::Answer::Known:
      if (size.bytes == bytes) return true;
      errorCode = kConnectionAborted;
      return false;
    case RemoteSize::Answer::Unsupported:
      return true;
    case RemoteSize::Answer::Failed:
      break;
  }
  errorCode = ftp.LastError() != 0 ? ftp.LastError() : kConnectionAborted;
  return false;
}

bool SendFile(IFtpConnection& ftp, IFileReader& source, const std::string& remoteName, std::uint64_t& bytesSent) {
  bytesSent = 0;
  std::unique_ptr<IFtpStream> stream = ftp.OpenFile(remoteName, true);
  if (!stream) return false;
  std::vector<char> piece(kTransferPiece);
  for (;;) {
    std::size_t bytesRead = 0;
    if (!source.Read(piece.data(), piece.size(), bytesRead)) return false;
    if (bytesRead == 0) break;
    if (!stream->Write(piece.data(), bytesRead)) return false;
    bytesSent += bytesRead;
  }
  if (!stream->Finish()) return false;
  stream.reset();
  std::uint32_t errorCode = 0;
  return ServerHoldsAll(ftp, remoteName, bytesSent, errorCode);
}

bool ReceiveFile(IFtpConnection& ftp, const std::string& remotePath, IFileWriter& target, std::uint32_t& errorCode) {
  errorCode = 0;
  std::unique_ptr<IFtpStream> stream = ftp.OpenFile(remotePath, false);
  if (!stream) {
    errorCode = ftp.LastError();
    return false;
  }
  std::vector<char> piece(kReceivePiece);
  std::uint64_t received = 0;
  for (;;) {
    std::size_t bytesRead = 0;
    if (!stream->Read(piece.data(), piece.size(), bytesRead)) {
      errorCode = ftp.LastError();
      return false;
    }
    if (bytesRead == 0) break;
    if (!target.Write(piece.data(), bytesRead)) return false;
    received += bytesRead;
  }
  if (!stream->Finish()) {
    errorCode = ftp.LastError();
    return false;
  }
  stream.reset();
  return ServerHoldsAll(ftp, remotePath, received, errorCode);
}

}  // namespace tarnwick
