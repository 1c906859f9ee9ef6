// An in-memory profile that records every write in order.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/profile.h"

namespace tarnwick::testing {

class FakeProfile : public IProfile {
 public:
  using Value = std::variant<std::string, std::int32_t>;
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

  std::map<std::pair<std::string, std::string>, Value> values;
  std::vector<Write> writes;
};

}  // namespace tarnwick::testing
