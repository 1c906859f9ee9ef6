#include "windows/wininet_error_text.h"

#include <windows.h>
#include <wininet.h>

namespace tarnwick {

namespace {

constexpr std::size_t kMaxDescription = 1023;

// Message tables end their texts with a line break, which a status bar pane
// would show as stray characters.
std::string WithoutTrailingBreaks(std::string text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

std::string FormatFrom(DWORD source, HMODULE module, DWORD code) {
  char buffer[kMaxDescription + 1] = {};
  const DWORD length = FormatMessageA(source | FORMAT_MESSAGE_IGNORE_INSERTS, module, code, 0, buffer,
                                      sizeof buffer, nullptr);
  return WithoutTrailingBreaks(std::string(buffer, length));
}

// Codes that WinInet derives from the server's reply, which it then keeps for the
// thread; after other failures the kept reply belongs to some earlier exchange.
bool ComesFromServerReply(DWORD code) {
  return code == ERROR_INTERNET_EXTENDED_ERROR || code == ERROR_INTERNET_LOGIN_FAILURE ||
         code == ERROR_INTERNET_INCORRECT_USER_NAME || code == ERROR_INTERNET_INCORRECT_PASSWORD;
}

}  // namespace

std::string WinInetLastResponse() {
  // Wine copies the whole given length and then measures the copy, so the buffer
  // keeps one terminator beyond the length it announces.
  char buffer[kMaxDescription + 2] = {};
  DWORD error = 0;
  DWORD length = kMaxDescription + 1;
  if (!InternetGetLastResponseInfoA(&error, buffer, &length)) return {};
  return std::string(buffer, length < kMaxDescription + 1 ? length : kMaxDescription + 1);
}

std::string WinInetErrorDescription(std::uint32_t code) {
  std::string text = FormatFrom(FORMAT_MESSAGE_FROM_HMODULE, GetModuleHandleA("wininet.dll"), code);
  if (text.empty()) text = FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code);
  // The server's own words explain an extended error, and stand in for a
  // description that the platform's tables lack (Wine's lack many).
  if (ComesFromServerReply(code) && (code == ERROR_INTERNET_EXTENDED_ERROR || text.empty())) {
    const std::string reply = WithoutTrailingBreaks(WinInetLastResponse());
    text += (text.empty() || reply.empty() ? "" : " ") + reply;
  }
  if (text.empty()) text = "Internet error " + std::to_string(code);
  if (text.size() > kMaxDescription) text.resize(kMaxDescription);
  return text;
}

}  // namespace tarnwick
