// Percent-encoding of query values and the URLs built with them: decoding the
// encoding gives the value back byte for byte, and no value, whatever it holds, can
// add, remove or change a key of the service's queries.
#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "fuzz_check.h"
#include "transfer/service_urls.h"

using namespace tarnwick;

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// What a server makes of one query value; false for a malformed escape.
bool Decode(const std::string& encoded, std::string& decoded) {
  decoded.clear();
  for (std::size_t at = 0; at < encoded.size(); ++at) {
    if (encoded[at] != '%') {
      decoded += encoded[at] == '+' ? ' ' : encoded[at];
      continue;
    }
    if (encoded.size() - at < 3) return false;
    const int high = HexDigit(encoded[at + 1]), low = HexDigit(encoded[at + 2]);
    if (high < 0 || low < 0) return false;
    decoded += static_cast<char>(high * 16 + low);
    at += 2;
  }
  return true;
}

// The query of a URL split into its keys, in order, with decoded values.
std::vector<std::pair<std::string, std::string>> QueryOf(const std::string& url) {
  std::vector<std::pair<std::string, std::string>> pairs;
  const std::size_t question = url.find('?');
  FUZZ_CHECK(question != std::string::npos);
  FUZZ_CHECK(url.find('#') == std::string::npos);
  std::size_t at = question + 1;
  while (at <= url.size()) {
    std::size_t end = url.find('&', at);
    if (end == std::string::npos) end = url.size();
    const std::string pair = url.substr(at, end - at);
    const std::size_t equal = pair.find('=');
    FUZZ_CHECK(equal != std::string::npos);
    std::string value;
    FUZZ_CHECK(Decode(pair.substr(equal + 1), value));
    pairs.emplace_back(pair.substr(0, equal), value);
    at = end + 1;
  }
  return pairs;
}

using Query = std::vector<std::pair<std::string, std::string>>;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string author = input.ConsumeRandomLengthString(64);
  const std::string password = input.ConsumeRandomLengthString(64);
  const std::string value = input.ConsumeRemainingBytesAsString();

  const std::string encoded = EncodeQueryValue(value);
  for (char c : encoded)
    FUZZ_CHECK((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
               c == '_' || c == '~' || c == '%');
  std::string decoded;
  FUZZ_CHECK(Decode(encoded, decoded));
  FUZZ_CHECK(decoded == value);

  const ServiceSettings service = DefaultServiceSettings();
  FUZZ_CHECK((QueryOf(AuthorVerifyUrl(service, author, password)) == Query{{"username", author}, {"wp", password}}));
  FUZZ_CHECK((QueryOf(CopyReportUrl(service, author, value, password)) ==
              Query{{"username", author}, {"file", value}, {"length", password}}));
  FUZZ_CHECK((QueryOf(DownloadListUrl(service, author, password)) == Query{{"author", author}, {"drupw", password}}));
  FUZZ_CHECK((QueryOf(DownloadConfirmUrl(service, author, password, value)) ==
              Query{{"username", author}, {"drupw", password}, {"fileid", value}}));
  return 0;
}
