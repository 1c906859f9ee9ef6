#include "windows/registry_profile_win.h"

#include <windows.h>

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

std::optional<std::string> RegistryProfile::ReadBytes(const std::string& section, const std::string& name,
                                                      DWORD type) {
  SectionKey key(m_applicationPath + "\\" + section);
  if (key.Get() == nullptr) return std::nullopt;
  DWORD stored = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &stored, nullptr, &size) != ERROR_SUCCESS || stored != type)
    return std::nullopt;
  std::string bytes(size, '\0');
  if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, &stored, reinterpret_cast<BYTE*>(bytes.data()), &size) !=
          ERROR_SUCCESS ||
      stored != type) {
    return std::nullopt;
  }
  bytes.resize(size);
  return bytes;
}

bool RegistryProfile::WriteBytes(const std::string& section, const std::string& name, DWORD type, const void* data,
                                 DWORD size) {
  SectionKey key(m_applicationPath + "\\" + section);
  if (key.Get() == nullptr) return false;
  return RegSetValueExA(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

std::optional<std::string> RegistryProfile::ReadString(const std::string& section, const std::string& name) {
  // The text ends at its first zero byte; the stored one need not carry a terminator.
  const std::optional<std::string> bytes = ReadBytes(section, name, REG_SZ);
  if (!bytes) return std::nullopt;
  return std::string(bytes->c_str());
}

std::optional<std::int32_t> RegistryProfile::ReadInt(const std::string& section, const std::string& name) {
  const std::optional<std::string> bytes = ReadBytes(section, name, REG_DWORD);
  DWORD value = 0;
  if (!bytes || bytes->size() != sizeof value) return std::nullopt;
  bytes->copy(reinterpret_cast<char*>(&value), sizeof value);
  return static_cast<std::int32_t>(value);
}

std::optional<std::string> RegistryProfile::ReadBinary(const std::string& section, const std::string& name) {
  return ReadBytes(section, name, REG_BINARY);
}

bool RegistryProfile::WriteString(const std::string& section, const std::string& name, const std::string& value) {
  return WriteBytes(section, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool RegistryProfile::WriteInt(const std::string& section, const std::string& name, std::int32_t value) {
  const DWORD stored = static_cast<DWORD>(value);
  return WriteBytes(section, name, REG_DWORD, &stored, sizeof stored);
}

bool RegistryProfile::WriteBinary(const std::string& section, const std::string& name, const std::string& bytes) {
  return WriteBytes(section, name, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
}

bool RegistryProfile::DeleteValue(const std::string& section, const std::string& name) {
  SectionKey key(m_applicationPath + "\\" + section);
  if (key.Get() == nullptr) return false;
  const LONG result = RegDeleteValueA(key.Get(), name.c_str());
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

}  // namespace tarnwick
