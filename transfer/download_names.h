// Which names from the download list may become local paths, and where a
// download waits until it is complete.
#pragma once

#include <string>

namespace tarnwick {

// A bare file name: not empty, no '\', '/', ':' and no control character, so that it
// cannot lead outside the download directory; no trailing dot or blank (so not "."
// or ".."), which Windows would drop and so write another file; and no device name
// such as CON or NUL, which would swallow the file.
bool IsPlainFileName(const std::string& name);

// The name as it may be shown in a log line: control characters as \xNN.
std::string PrintableName(const std::string& name);

// The file a download is written to before it replaces `name` in `directory`;
// never the same file as `name` itself.
std::string TemporaryDownloadPath(const std::string& directory, const std::string& name);

}  // namespace tarnwick
