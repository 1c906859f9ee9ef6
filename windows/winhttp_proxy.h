// The proxy that Windows' Internet settings name for a URL, from WinHTTP's reading
// of the user's settings: a fixed proxy with its bypass list, or automatic
// configuration (detection or a script's address).
#pragma once

#include <string>

namespace tarnwick {

// "host:port" of the proxy for `url`, or empty for a direct connection.
std::string ProxyForUrl(const std::string& url, const std::string& agent);

}  // namespace tarnwick
