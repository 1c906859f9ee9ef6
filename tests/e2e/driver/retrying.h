// How driver commands wait: the program under test works at its own pace, so a
// query or an action is tried again until it succeeds or the caller's wait is over.
#pragma once

#include <functional>
#include <string>

namespace e2e {

// Exit codes of the driver.
inline constexpr int kFound = 0;
inline constexpr int kNotFound = 1;
inline constexpr int kUsage = 2;

struct Attempt {
    bool ok = false;
    std::string output;
};

// Retries every 100 ms until the attempt succeeds or the wait is over, then prints
// the last attempt's output; returns kFound or kNotFound.
int RunUntil(double waitSeconds, const std::function<Attempt()>& attempt);

}  // namespace e2e
