#include <gtest/gtest.h>

#include "transfer/proxy_lists.h"

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

}  // namespace
}  // namespace tarnwick
