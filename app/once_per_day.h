// Lets a message through once per key per local day: a line that a poll cycle would
// write for the same file every minute reaches the log file once a day.
#pragma once

#include <cstddef>
#include <set>
#include <string>

#include "platform/clock.h"

namespace tarnwick {

// More keys than this in one day make the filter forget them all and start over:
// each of those messages is then said once more, and memory stays bounded.
constexpr std::size_t kOncePerDayKeys = 4096;

class OncePerDay {
 public:
  // True the first time `key` is seen on the local date of `now`. Keys of earlier
  // days are forgotten as soon as a later (or an earlier: the clock was set back)
  // date comes.
  bool First(const std::string& key, const LocalTime& now);

 private:
  int m_date = 0;  // yyyymmdd of m_seen
  std::set<std::string> m_seen;
};

}  // namespace tarnwick
