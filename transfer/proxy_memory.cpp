#include "transfer/proxy_memory.h"

#include <utility>

#include "transfer/service_urls.h"

namespace tarnwick {

ProxyMemory::ProxyMemory(Lookup lookup, Clock clock, std::uint64_t lifetime)
    : m_lookup(std::move(lookup)), m_clock(std::move(clock)), m_lifetime(lifetime) {}

std::string ProxyMemory::ForUrl(const std::string& url) {
  const std::string key = SchemeOfUrl(url) + "://" + HostOfUrl(url);
  {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto found = m_answers.find(key);
    if (found != m_answers.end() && m_clock() - found->second.at < m_lifetime) return found->second.proxy;
  }
  // Looked up outside the lock: automatic detection may take seconds, and a request
  // to another host need not wait for it.
  std::string proxy = m_lookup(url);
  std::lock_guard<std::mutex> guard(m_lock);
  m_answers[key] = Answer{proxy, m_clock()};
  return proxy;
}

}  // namespace tarnwick
