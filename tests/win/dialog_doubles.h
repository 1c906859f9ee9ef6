// Small in-memory stand-ins for the Internet and the message boxes, and the profile, for the
// dialog tests that run under Wine.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/internet.h"
#include "doubles/fake_profile.h"
#include "platform/user_interface.h"

namespace tarnwick::dialog_testing {

// The profile double of the unit tests serves here unchanged.
using MemoryProfile = testing::FakeProfile;

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
    UrlResponse Response() override { return {200, std::string()}; }  // the dialogs read only the text

   private:
    std::string m_text;
    std::size_t m_at = 0;
  };
  class Handle : public IInternetHandle {
   public:
    explicit Handle(ListInternet& owner) : m_owner(owner) {}
    void SetTimeouts(std::uint32_t) override {}
    std::unique_ptr<IUrlReader> OpenUrl(const std::string& url) override {
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
