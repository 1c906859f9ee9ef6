// Moving one file's bytes over an FTP connection, in large pieces: one piece per
// platform call keeps a transfer close to the link's own speed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "platform/internet.h"

namespace tarnwick {

constexpr std::size_t kTransferPiece = 1024 * 1024;
// A read of a received file returns what has arrived, seldom more than a megabyte or
// two, whatever the piece; a larger piece only lets the reads grow when writing
// lags, and copies that no longer fit the processor's cache make it lag further
// (bench/README.md has the measurements).
constexpr std::size_t kReceivePiece = 1024 * 1024;

// Whether the server holds `remotePath` with exactly the `bytes` a finished transfer
// moved. A server that does not know SIZE leaves the verdict to the transfer calls,
// which then stands. On false, `errorCode` says why as an Internet error code.
bool ServerHoldsAll(IFtpConnection& ftp, const std::string& remotePath, std::uint64_t bytes,
                    std::uint32_t& errorCode);

// A binary put of everything `source` holds under `remoteName`, with `bytesSent`
// what went out; true only when the server holds all of it.
bool SendFile(IFtpConnection& ftp, IFileReader& source, const std::string& remoteName, std::uint64_t& bytesSent);

// A binary get of `remotePath` into `target` (not closed here); true only when all
// the server holds arrived. On false, `errorCode` is the Internet error, or 0 when
// writing `target` failed.
bool ReceiveFile(IFtpConnection& ftp, const std::string& remotePath, IFileWriter& target, std::uint32_t& errorCode);

}  // namespace tarnwick
