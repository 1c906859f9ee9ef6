// The transfer session's status notifications, and the set-up each pass gives its session.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/internet.h"

namespace tarnwick {

// One text per platform notification; "[%d]" carries the thread id the session was given.
std::string FormatSessionStatus(long threadId, std::uint32_t status, const std::string& info);

class CMyInternetSession : public ISessionStatusSink {
 public:
  // Receives each formed text while it is valid; the program attaches none, so
  // the texts are formed and dropped.
  using NotifyWindow = std::function<void(const std::string&)>;

  explicit CMyInternetSession(long threadId, NotifyWindow notifyWindow = NotifyWindow());
  ~CMyInternetSession() override;

  void OnStatusCallback(std::uint32_t context, std::uint32_t status, const std::string& info) override;

  NotifyWindow m_hNotifyWnd;

 private:
  long m_threadId;
};

constexpr std::uint32_t kTransferTimeoutMilliseconds = 40000;

// Creates a transfer session with the status callback on and the three time-outs
// set, in that order; null when the platform cannot open one.
std::unique_ptr<ITransferSession> OpenTransferSession(IInternet& internet, CMyInternetSession& statusSink);

}  // namespace tarnwick
