#include <gtest/gtest.h>

#include "transfer/proxy_lists.h"
#include "transfer/proxy_memory.h"

namespace tarnwick {
namespace {

TEST(ProxyLists, HostsOnTheBypassList) {
  const struct {
    const char* host;
    const char* list;
    bool bypasses;
  } cases[] = {
      {"intranet", "<local>", true},
      {"www.tessaro.example", "<local>", false},
      {"www.tessaro.example", "*.tessaro.example", true},
      {"WWW.Tessaro.Example", "*.tessaro.example", true},
      {"tessaro.example", "*.tessaro.example", false},
      {"10.1.2.3", "192.168.*; 10.*", true},
      {"110.1.2.3", "10.*", false},
      {"www.tessaro.example", "other.example;;www.tessaro.example", true},
      {"www.tessaro.example", "", false},
      {"a", "*", true},
  };
  for (const auto& c : cases) EXPECT_EQ(HostBypassesProxy(c.host, c.list), c.bypasses) << c.host << " / " << c.list;
}

TEST(ProxyLists, EntryServingAScheme) {
  const struct {
    const char* list;
    const char* scheme;
    const char* proxy;
  } cases[] = {
      {"proxy:8080", "http", "proxy:8080"},
      {"http=web:80;https=secure:443", "http", "web:80"},
      {"http=web:80;https=secure:443", "https", "secure:443"},
      {"ftp=files:21", "http", ""},
      {"every:3128 http=web:80", "http", "web:80"},
      {"http=web:80 every:3128", "https", "every:3128"},
      {"", "http", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ProxyFromList(c.list, c.scheme), c.proxy) << c.list << " / " << c.scheme;
}

TEST(ProxyMemory, AnAnswerServesItsSchemeAndHostUntilItIsOld) {
  std::uint64_t now = 0;
  int lookups = 0;
  ProxyMemory memory([&lookups](const std::string&) { return "proxy" + std::to_string(++lookups); },
                     [&now]() { return now; }, 1000);
  struct Step {
    std::uint64_t at;
    const char* url;
    const char* proxy;  // what the memory answers: "proxyN" is the Nth lookup's answer
  };
  const Step steps[] = {
      {0, "http://Svc.example:8080/dravos/check.php?u=a", "proxy1"},
      {10, "http://svc.example/dravos/copywav.php", "proxy1"},  // path, port and case differ
      {20, "https://svc.example/dravos/copywav.php", "proxy2"},  // another scheme
      {30, "http://other.example/", "proxy3"},
      {999, "HTTP://SVC.EXAMPLE/", "proxy1"},
      {1000, "http://svc.example/", "proxy4"},  // a minute old: asked again
      {1500, "http://user@svc.example/later", "proxy4"},
      {1500, "https://svc.example/", "proxy5"},
  };
  for (const Step& step : steps) {
    now = step.at;
    EXPECT_EQ(memory.ForUrl(step.url), step.proxy) << step.url << " at " << step.at;
  }
  EXPECT_EQ(lookups, 5);
}

}  // namespace
}  // namespace tarnwick
