// Remembering which proxy serves a host for a while. Looking it up in the user's
// Internet settings (and running automatic detection or a configuration script)
// costs more than a request to the service itself, and a cycle makes several
// requests to the same hosts.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace tarnwick {

class ProxyMemory {
 public:
  // What the settings name for a URL ("" for none).
  using Lookup = std::function<std::string(const std::string& url)>;
  // A clock in milliseconds that only goes forward.
  using Clock = std::function<std::uint64_t()>;

  // An answer is used again for `lifetime` milliseconds: a change of the settings
  // takes effect within that time.
  ProxyMemory(Lookup lookup, Clock clock, std::uint64_t lifetime);

  // The proxy for `url`: the last answer for its scheme and host while it is young,
  // otherwise a new lookup. Safe to call from several threads.
  std::string ForUrl(const std::string& url);

 private:
  struct Answer {
    std::string proxy;
    std::uint64_t at;
  };

  Lookup m_lookup;
  Clock m_clock;
  std::uint64_t m_lifetime;
  std::mutex m_lock;
  std::map<std::string, Answer> m_answers;  // by "scheme://host"
};

}  // namespace tarnwick
