// Reading the proxy lists of Windows' Internet settings.
#pragma once

#include <string>

namespace tarnwick {

// Whether `host` is on a bypass list such as "<local>;*.example;10.*" (';' or
// blanks between entries, '*' for any run of characters, case ignored; "<local>"
// for any name without a dot).
bool HostBypassesProxy(const std::string& host, const std::string& bypassList);

// The entry of a proxy list ("http=a:80;https=b:443", or "a:80") that serves
// `scheme` ("http"), or the one that serves every scheme; empty when none does.
std::string ProxyFromList(const std::string& list, const std::string& scheme);

}  // namespace tarnwick
