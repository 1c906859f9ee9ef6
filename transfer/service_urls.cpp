#include "transfer/service_urls.h"

namespace tarnwick {

namespace {

bool KeptInQuery(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

std::string LowerCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string ScriptUrl(const ServiceSettings& service, const std::string& pathAndQuery) {
  return WebUrl(service, service.domain, pathAndQuery);
}

}  // namespace

std::string EncodeQueryValue(const std::string& value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(value.size());
  for (char c : value) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (KeptInQuery(byte)) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0x0F];
    }
  }
  return encoded;
}

std::string WebUrl(const ServiceSettings& service, const std::string& host, const std::string& pathAndQuery) {
  const bool secure = service.security.encryption == Encryption::Required;
  std::string url = (secure ? "https://" : "http://") + host;
  if (service.httpPort != (secure ? kHttpsPort : kHttpPort)) url += ":" + std::to_string(service.httpPort);
  return url + pathAndQuery;
}

std::string HostOfUrl(const std::string& url) {
  const std::size_t scheme = url.find("://");
  if (scheme == std::string::npos) return std::string();
  const std::size_t start = scheme + 3;
  std::string host = url.substr(start, url.find_first_of("/?#", start) - start);
  const std::size_t user = host.rfind('@');
  if (user != std::string::npos) host.erase(0, user + 1);
  // An IPv6 literal keeps its colons inside the brackets.
  const std::size_t port = host.find(':', host.empty() || host[0] != '[' ? 0 : host.find(']'));
  if (port != std::string::npos) host.erase(port);
  return LowerCase(host);
}

std::string SchemeOfUrl(const std::string& url) {
  const std::size_t scheme = url.find("://");
  return scheme == std::string::npos ? std::string() : LowerCase(url.substr(0, scheme));
}

std::string ProbeUrl(const ServiceSettings& service) { return WebUrl(service, service.webHost, "//"); }

std::string AuthorVerifyUrl(const ServiceSettings& service, const std::string& author, const std::string& password) {
  return ScriptUrl(service, "/dravos/authorverify.php?username=" + EncodeQueryValue(author) +
                                "&wp=" + EncodeQueryValue(password));
}

std::string CopyReportUrl(const ServiceSettings& service, const std::string& author, const std::string& remoteName,
                          const std::string& lengthText) {
  return ScriptUrl(service, "/dravos/copywav.php?username=" + EncodeQueryValue(author) +
                                "&file=" + EncodeQueryValue(remoteName) + "&length=" + EncodeQueryValue(lengthText));
}

std::string DownloadListUrl(const ServiceSettings& service, const std::string& author, const std::string& password) {
  return ScriptUrl(service, "/dravos/tarnwickdload.php?author=" + EncodeQueryValue(author) +
                                "&drupw=" + EncodeQueryValue(password));
}

std::string DownloadConfirmUrl(const ServiceSettings& service, const std::string& author, const std::string& password,
                               const std::string& fileId) {
  return ScriptUrl(service, "/dravos/drdlsuccess.php?username=" + EncodeQueryValue(author) +
                                "&drupw=" + EncodeQueryValue(password) + "&fileid=" + EncodeQueryValue(fileId));
}

std::string ExtensionListUrl(const ServiceSettings& service) {
  return WebUrl(service, service.webHost, "/dravos/extverify.php?ext=");
}

}  // namespace tarnwick
