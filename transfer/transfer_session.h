// The set-up each transfer pass gives its session.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/internet.h"

namespace tarnwick {

constexpr std::uint32_t kTransferTimeoutMilliseconds = 40000;

// Creates a transfer session with the connect, receive and send time-outs set, in
// that order; null when the platform cannot open one.
std::unique_ptr<ITransferSession> OpenTransferSession(IInternet& internet);

}  // namespace tarnwick
