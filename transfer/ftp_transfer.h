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
// Under Wine each read of a received file waits for the whole piece, and every wait
// and every read costs round trips to the Wine server: the larger the piece, the
// fewer of them (bench/README.md has the measurements).
constexpr std::size_t kReceivePiece = 16 * 1024 * 1024;

// A binary put of everything `source` holds under `remoteName`; false on any failure.
bool SendFile(IFtpConnection& ftp, IFileReader& source, const std::string& remoteName);

// A binary get of `remotePath` into `target` (not closed here); false on any failure,
// with `errorCode` the connection's Internet error, or 0 when writing `target` failed.
bool ReceiveFile(IFtpConnection& ftp, const std::string& remotePath, IFileWriter& target, std::uint32_t& errorCode);

}  // namespace tarnwick
