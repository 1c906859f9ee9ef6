// The platform's own description of a WinInet failure, as a login failure reports it.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwick {

// The message text of `code` from wininet.dll (the system's table when wininet.dll has
// none), without its closing line break. The server's last reply follows it for
// ERROR_INTERNET_EXTENDED_ERROR and takes its place when a failure that the reply
// caused has no text of its own; a code that nothing describes reads
// "Internet error <code>". At most 1023 characters.
std::string WinInetErrorDescription(std::uint32_t code);

// The server's last response as WinInet kept it for this thread (at most 1024
// characters); empty when WinInet has none to give.
std::string WinInetLastResponse();

}  // namespace tarnwick
