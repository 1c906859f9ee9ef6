// Sealing a secret so that only the same Windows user can open it again: on Windows
// the data protection tied to the user's logon (CryptProtectData). Bytes travel in
// std::string, which holds any byte value.
#pragma once

#include <optional>
#include <string>

namespace tarnwick {

class IDataProtection {
 public:
  virtual ~IDataProtection() = default;
  // The sealed bytes; empty when the system cannot seal them now.
  virtual std::optional<std::string> Protect(const std::string& plain) = 0;
  // The bytes that Protect sealed; empty when they were sealed for another user or
  // on another computer, or are no sealed bytes at all.
  virtual std::optional<std::string> Unprotect(const std::string& sealed) = 0;
};

}  // namespace tarnwick
