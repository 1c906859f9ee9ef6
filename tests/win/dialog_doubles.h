// Small in-memory stand-ins for the profile, the Internet and the message boxes, for the
// dialog tests that run under Wine.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/internet.h"
#include "platform/profile.h"
#include "platform/user_interface.h"

namespace tarnwick::dialog_testing {

class MemoryProfile : public IProfile {
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

// Answers every URL with the same text, handed out in pieces no larger than asked for.
class ListInternet : public IInternet {
 public:
  explicit ListInternet(std::string answer) : m_answer(std::move(answer)) {}

  std::unique_ptr<IInternetHandle> Open(const std::string& agent) override {
    agents.push_back(agent);
    if (failOpen) return nullptr;
    return std::make_unique<Handle>(*this);
  }
  std::unique_ptr<ITransferSession> CreateTransferSession() override { return nullptr; }

  bool failOpen = false;
  bool failUrl = false;
  std::vector<std::string> agents;
  std::vector<std::string> urls;

 private:
  class Reader : public IUrlReader {
   public:
    explicit Reader(const std::string& text) : m_text(text) {}
    bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) override {
      bytesRead = (std::min)(capacity, m_text.size() - m_at);
      std::copy_n(m_text.data() + m_at, bytesRead, buffer);
      m_at += bytesRead;
      return true;
    }

   private:
    std::string m_text;
    std::size_t m_at = 0;
  };
  class Handle : public IInternetHandle {
   public:
    explicit Handle(ListInternet& owner) : m_owner(owner) {}
    std::unique_ptr<IUrlReader> OpenUrl(const std::string& url, std::uint32_t) override {
      m_owner.urls.push_back(url);
      if (m_owner.failUrl) return nullptr;
      return std::make_unique<Reader>(m_owner.m_answer);
    }

   private:
    ListInternet& m_owner;
  };

  std::string m_answer;
};

class RecordingMessageBox : public IMessageBox {
 public:
  void Show(const std::string& text) override { shown.push_back(text); }
  std::vector<std::string> shown;
};

}  // namespace tarnwick::dialog_testing
