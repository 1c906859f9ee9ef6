// The per-user application profile (registry) under the application's key.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick {

class IProfile {
 public:
  virtual ~IProfile() = default;
  // Empty when the value is missing or not readable as text.
  virtual std::optional<std::string> ReadString(const std::string& section, const std::string& name) = 0;
  virtual std::optional<std::int32_t> ReadInt(const std::string& section, const std::string& name) = 0;
  virtual bool WriteString(const std::string& section, const std::string& name, const std::string& value) = 0;
  virtual bool WriteInt(const std::string& section, const std::string& name, std::int32_t value) = 0;
  // Bytes (REG_BINARY); empty when the value is missing or of another type.
  virtual std::optional<std::string> ReadBinary(const std::string& section, const std::string& name) = 0;
  virtual bool WriteBinary(const std::string& section, const std::string& name, const std::string& bytes) = 0;
  // True when the value is gone afterwards, also when there was none.
  virtual bool DeleteValue(const std::string& section, const std::string& name) = 0;
};

}  // namespace tarnwick
