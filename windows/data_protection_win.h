// Sealing for the current Windows user with the system's data protection
// (CryptProtectData): only the same user on the same computer, or wherever the
// user's roaming profile goes, opens it again.
#pragma once

#include "platform/data_protection.h"

namespace tarnwick {

class UserDataProtection : public IDataProtection {
 public:
  std::optional<std::string> Protect(const std::string& plain) override;
  std::optional<std::string> Unprotect(const std::string& sealed) override;
};

}  // namespace tarnwick
