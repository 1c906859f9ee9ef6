// An Internet that can never be opened: for tests whose cycles must not reach a network.
#pragma once

#include <memory>
#include <string>

#include "platform/internet.h"

namespace tarnwick::testing {

class OfflineInternet : public IInternet {
 public:
  std::unique_ptr<IInternetHandle> Open(const std::string&) override { return nullptr; }
  std::unique_ptr<ITransferSession> CreateTransferSession() override { return nullptr; }
};

}  // namespace tarnwick::testing
