// An in-memory profile that records every write and deletion in order.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/profile.h"

namespace tarnwick::testing {

class FakeProfile : public IProfile {
 public:
  // REG_BINARY bytes, kept apart from texts as the registry keeps them.
  struct Bytes {
    std::string data;
    bool operator==(const Bytes&) const = default;
  };
  // Stands in `writes` for a value deleted.
  struct Deleted {
    bool operator==(const Deleted&) const = default;
  };
  using Value = std::variant<std::string, std::int32_t, Bytes, Deleted>;
  struct Write {
    std::string section, name;
    Value value;
  };

  std::optional<std::string> ReadString(const std::string& section, const std::string& name) override {
    auto it = values.find({section, name});
    if (it == values.end() || !std::holds_alternative<std::string>(it->second)) return std::nullopt;
    return std::get<std::string>(it->second);
  }
  std::optional<std::int32_t> ReadInt(const std::string& section, const std::string& name) override {
    auto it = values.find({section, name});
    if (it == values.end() || !std::holds_alternative<std::int32_t>(it->second)) return std::nullopt;
    return std::get<std::int32_t>(it->second);
  }
  bool WriteString(const std::string& section, const std::string& name, const std::string& value) override {
    values[{section, name}] = value;
    writes.push_back({section, name, value});
    return true;
  }
  bool WriteInt(const std::string& section, const std::string& name, std::int32_t value) override {
    values[{section, name}] = value;
    writes.push_back({section, name, value});
    return true;
  }

  std::optional<std::string> ReadBinary(const std::string& section, const std::string& name) override {
    auto it = values.find({section, name});
    if (it == values.end() || !std::holds_alternative<Bytes>(it->second)) return std::nullopt;
    return std::get<Bytes>(it->second).data;
  }
  bool WriteBinary(const std::string& section, const std::string& name, const std::string& bytes) override {
    if (refuseBinaryWrites) return false;
    values[{section, name}] = Bytes{bytes};
    writes.push_back({section, name, Bytes{bytes}});
    return true;
  }
  bool DeleteValue(const std::string& section, const std::string& name) override {
    values.erase({section, name});
    writes.push_back({section, name, Deleted{}});
    return true;
  }

  std::map<std::pair<std::string, std::string>, Value> values;
  // A registry that takes no binary value (a full disk, a locked key).
  bool refuseBinaryWrites = false;
  std::vector<Write> writes;
};

}  // namespace tarnwick::testing
