#include <windows.h>
#include <winhttp.h>

#include "windows/winhttp_proxy.h"

#include "transfer/proxy_lists.h"
#include "transfer/service_urls.h"


namespace tarnwick {

namespace {

std::string Narrow(const wchar_t* text) {
  if (text == nullptr || *text == L'\0') return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string narrow(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(size - 1));
  return narrow;
}

std::wstring Widen(const std::string& text) {
  const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
  wide.resize(static_cast<std::size_t>(size - 1));
  return wide;
}

// The settings' strings belong to the caller, who frees them with GlobalFree.
struct GlobalText {
  wchar_t* text = nullptr;
  ~GlobalText() {
    if (text != nullptr) GlobalFree(text);
  }
};

// What automatic configuration names for the URL; false when it names nothing.
bool AutomaticProxy(const std::string& url, const std::string& agent, bool detect, const std::string& script,
                    std::string& proxy) {
  HINTERNET session = WinHttpOpen(Widen(agent).c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
  if (session == nullptr) return false;
  WINHTTP_AUTOPROXY_OPTIONS options = {};
  const std::wstring scriptUrl = Widen(script);
  if (!scriptUrl.empty()) {
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = scriptUrl.c_str();
  } else if (detect) {
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  options.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO info = {};
  const bool named = options.dwFlags != 0 && WinHttpGetProxyForUrl(session, Widen(url).c_str(), &options, &info) &&
                     info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY;
  if (named) proxy = Narrow(info.lpszProxy);
  if (info.lpszProxy != nullptr) GlobalFree(info.lpszProxy);
  if (info.lpszProxyBypass != nullptr) GlobalFree(info.lpszProxyBypass);
  WinHttpCloseHandle(session);
  return named;
}

}  // namespace

std::string ProxyForUrl(const std::string& url, const std::string& agent) {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG settings = {};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&settings)) return {};
  GlobalText script{settings.lpszAutoConfigUrl};
  GlobalText proxy{settings.lpszProxy};
  GlobalText bypass{settings.lpszProxyBypass};

  const std::string scheme = SchemeOfUrl(url);
  const std::string host = HostOfUrl(url);
  std::string automatic;
  if ((settings.fAutoDetect || script.text != nullptr) &&
      AutomaticProxy(url, agent, settings.fAutoDetect != FALSE, Narrow(script.text), automatic)) {
    return ProxyFromList(automatic, scheme);
  }
  if (proxy.text == nullptr || HostBypassesProxy(host, Narrow(bypass.text))) return {};
  return ProxyFromList(Narrow(proxy.text), scheme);
}

}  // namespace tarnwick
