// Reading an FTP server's replies as the platform keeps them.
#pragma once

#include <string>
#include <vector>

#include "platform/internet.h"

namespace tarnwick {

// The lines of a server's text (a reply, a name listing), without their CR LF or LF.
std::vector<std::string> ServerLines(const std::string& text);

// The reply code of the last line of `reply` that starts with one; 0 when none does.
int LastReplyCode(const std::string& reply);

// The answer to SIZE: "213 <bytes>" gives the size; 500, 502 and 504 say the server
// does not know the command; anything else, or no reply, is a failure.
RemoteSize SizeFromReply(const std::string& reply);

// The directory that a reply to PWD names: 257 and the name in double quotes, a
// doubled quote standing for one; false for any other reply.
bool DirectoryFromReply(const std::string& reply, std::string& directory);

}  // namespace tarnwick
