// Every URL the program sends to the service's web host and web scripts.
#pragma once

#include <string>

#include "config/configuration.h"

namespace tarnwick {

// Query values travel percent-encoded: A-Z a-z 0-9 - . _ ~ stay, every other byte
// becomes %XX, so '&', '#', '+', '%', '=' and blanks reach the service as typed.
std::string EncodeQueryValue(const std::string& value);

// "http://" ("https://" where encryption is required), the host, ":port" unless it
// is the scheme's own, then the path.
std::string WebUrl(const ServiceSettings& service, const std::string& host, const std::string& pathAndQuery);

// The host name of a URL with an authority ("scheme://user@host:port/..."), in lower
// case, without user and port; empty when there is none.
std::string HostOfUrl(const std::string& url);

// The scheme of such a URL ("http"), in lower case; empty when there is none.
std::string SchemeOfUrl(const std::string& url);

// The connectivity probe: the web host's root, written with two slashes.
std::string ProbeUrl(const ServiceSettings& service);
std::string AuthorVerifyUrl(const ServiceSettings& service, const std::string& author, const std::string& password);
std::string CopyReportUrl(const ServiceSettings& service, const std::string& author, const std::string& remoteName,
                          const std::string& lengthText);
std::string DownloadListUrl(const ServiceSettings& service, const std::string& author, const std::string& password);
std::string DownloadConfirmUrl(const ServiceSettings& service, const std::string& author, const std::string& password,
                               const std::string& fileId);
// The permitted extensions; the script is always asked with an empty "ext".
std::string ExtensionListUrl(const ServiceSettings& service);

}  // namespace tarnwick
