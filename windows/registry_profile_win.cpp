#include "windows/registry_profile_win.h"

#include <windows.h>

#include <vector>

namespace tarnwick {

namespace {

// One section key, open for one read or write. Opening creates the key path, so a
// fresh profile reads as missing values rather than failing.
class SectionKey {
 public:
  explicit SectionKey(const std::string& path) {
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, &m_key, nullptr) != ERROR_SUCCESS) {
      m_key = nullptr;
    }
  }
  ~SectionKey() {
    if (m_key != nullptr) RegCloseKey(m_key);
  }
  SectionKey(const SectionKey&) = delete;
  SectionKey& operator=(const SectionKey&) = delete;

  HKEY Get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
};

}  // namespace

RegistryProfile::RegistryProfile(const std::string& registryKey, const std::string& applicationName)
    : m_applicationPath("Software\\" + registryKey + "\\" + applicationName) {}

std::optional<std::string> RegistryProfile::ReadString(const std::string& section, const std::string& name) {
  SectionKey key(m_applicationPath + "\\" + section);
  if (key.Get() == nullptr) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
    return std::nullopt;
  }
  // One spare byte: the stored text need not carry its terminator.
  std::vector<char> buffer(size + 1, '\0');
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::string(buffer.data());
}

std::optional<std::int32_t> RegistryProfile::ReadInt(const std::string& section, const std::string& name) {
  SectionKey key(m_applicationPath + "\\" + section);
  if (key.Get() == nullptr) return std::nullopt;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

bool RegistryProfile::WriteString(const std::string& section, const std::string& name, const std::string& value) {
  SectionKey key(m_applicationPath + "\\" + section);
  if (key.Get() == nullptr) return false;
  return RegSetValueExA(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryProfile::WriteInt(const std::string& section, const std::string& name, std::int32_t value) {
  SectionKey key(m_applicationPath + "\\" + section);
  if (key.Get() == nullptr) return false;
  const DWORD stored = static_cast<DWORD>(value);
  return RegSetValueExA(key.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored),
                        sizeof stored) == ERROR_SUCCESS;
}

}  // namespace tarnwick
