#include "windows/data_protection_win.h"

#include <windows.h>
#include <wincrypt.h>

#include <string_view>

namespace tarnwick {

namespace {

// Mixed into every seal, so that another program of the same user that opens
// whatever the user sealed does not read this program's secrets by accident.
constexpr char kEntropy[] = "Tarnwick author password";

// The blob points into `bytes`, which must outlive it.
DATA_BLOB BlobOf(std::string_view bytes) {
  DATA_BLOB blob;
  blob.cbData = static_cast<DWORD>(bytes.size());
  blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
  return blob;
}

// The system's result as bytes; its buffer is the system's to free.
std::string TakeBlob(DATA_BLOB& blob) {
  std::string bytes(reinterpret_cast<const char*>(blob.pbData), blob.cbData);
  SecureZeroMemory(blob.pbData, blob.cbData);
  LocalFree(blob.pbData);
  return bytes;
}

}  // namespace

std::optional<std::string> UserDataProtection::Protect(const std::string& plain) {
  DATA_BLOB in = BlobOf(plain);
  DATA_BLOB entropy = BlobOf(kEntropy);
  DATA_BLOB out = {};
  // Nobody watches this program: the system must never ask the user anything.
  if (!CryptProtectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) return std::nullopt;
  return TakeBlob(out);
}

std::optional<std::string> UserDataProtection::Unprotect(const std::string& sealed) {
  DATA_BLOB in = BlobOf(sealed);
  DATA_BLOB entropy = BlobOf(kEntropy);
  DATA_BLOB out = {};
  if (!CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out))
    return std::nullopt;
  return TakeBlob(out);
}

}  // namespace tarnwick
