// The per-user application profile: HKEY_CURRENT_USER\Software\<key>\<application>\<section>.
#pragma once

#include <string>

#include "platform/profile.h"

namespace tarnwick {

class RegistryProfile : public IProfile {
 public:
  RegistryProfile(const std::string& registryKey, const std::string& applicationName);

  std::optional<std::string> ReadString(const std::string& section, const std::string& name) override;
  std::optional<std::int32_t> ReadInt(const std::string& section, const std::string& name) override;
  bool WriteString(const std::string& section, const std::string& name, const std::string& value) override;
  bool WriteInt(const std::string& section, const std::string& name, std::int32_t value) override;

  // "Software\<key>\<application>", relative to HKEY_CURRENT_USER.
  const std::string& ApplicationPath() const { return m_applicationPath; }

 private:
  std::string m_applicationPath;
};

}  // namespace tarnwick
