// The per-user application profile: HKEY_CURRENT_USER\Software\<key>\<application>\<section>.
#pragma once

#include <windows.h>

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
  std::optional<std::string> ReadBinary(const std::string& section, const std::string& name) override;
  bool WriteBinary(const std::string& section, const std::string& name, const std::string& bytes) override;
  bool DeleteValue(const std::string& section, const std::string& name) override;

  // "Software\<key>\<application>", relative to HKEY_CURRENT_USER.
  const std::string& ApplicationPath() const { return m_applicationPath; }

 private:
  // The stored bytes of a value of type `type`; empty when missing or of another type.
  std::optional<std::string> ReadBytes(const std::string& section, const std::string& name, DWORD type);
  bool WriteBytes(const std::string& section, const std::string& name, DWORD type, const void* data, DWORD size);

  std::string m_applicationPath;
};

}  // namespace tarnwick
