#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>
#include <utility>

#include "transfer/service_urls.h"

namespace tarnwick {
namespace {

TEST(ServiceUrls, EveryScriptOnItsHostWithItsKeysInOrder) {
  const ServiceSettings service = DefaultServiceSettings();
  EXPECT_EQ(ProbeUrl(service), "http://www.tessaro.example//");
  EXPECT_EQ(AuthorVerifyUrl(service, "author7", "secret"),
            "http://tessaro.example/dravos/authorverify.php?username=author7&wp=secret");
  EXPECT_EQ(CopyReportUrl(service, "author7", "author7_a.wav", "12"),
            "http://tessaro.example/dravos/copywav.php?username=author7&file=author7_a.wav&length=12");
  EXPECT_EQ(DownloadListUrl(service, "author7", "secret"),
            "http://tessaro.example/dravos/tarnwickdload.php?author=author7&drupw=secret");
  EXPECT_EQ(DownloadConfirmUrl(service, "author7", "secret", "F-17"),
            "http://tessaro.example/dravos/drdlsuccess.php?username=author7&drupw=secret&fileid=F-17");
  EXPECT_EQ(ExtensionListUrl(service), "http://www.tessaro.example/dravos/extverify.php?ext=");
}

// The scheme follows the encryption mode; the port is written unless it is the scheme's own.
TEST(ServiceUrls, SchemeAndPortFollowTheEncryptionMode) {
  struct Case {
    Encryption mode;
    unsigned port;
    const char* probe;
    const char* verify;
  } const cases[] = {
      {Encryption::None, 80, "http://localhost//", "http://127.0.0.1/dravos/authorverify.php?username=a&wp=b"},
      {Encryption::WhenOffered, 8080, "http://localhost:8080//",
       "http://127.0.0.1:8080/dravos/authorverify.php?username=a&wp=b"},
      {Encryption::WhenOffered, 443, "http://localhost:443//",
       "http://127.0.0.1:443/dravos/authorverify.php?username=a&wp=b"},
      {Encryption::Required, 443, "https://localhost//", "https://127.0.0.1/dravos/authorverify.php?username=a&wp=b"},
      {Encryption::Required, 80, "https://localhost:80//",
       "https://127.0.0.1:80/dravos/authorverify.php?username=a&wp=b"},
      {Encryption::Required, 8443, "https://localhost:8443//",
       "https://127.0.0.1:8443/dravos/authorverify.php?username=a&wp=b"},
  };
  for (const Case& c : cases) {
    ServiceSettings service;
    service.domain = "127.0.0.1";
    service.webHost = "localhost";
    service.httpPort = c.port;
    service.security.encryption = c.mode;
    EXPECT_EQ(ProbeUrl(service), c.probe);
    EXPECT_EQ(AuthorVerifyUrl(service, "a", "b"), c.verify);
    EXPECT_EQ(ExtensionListUrl(service), std::string(c.probe, std::strlen(c.probe) - 1) + "dravos/extverify.php?ext=");
  }
}

TEST(ServiceUrls, HostOfAUrlIsItsLowerCaseNameWithoutUserAndPort) {
  const std::pair<std::string, std::string> cases[] = {
      {"http://tessaro.example/dravos/authorverify.php?username=a", "tessaro.example"},
      {"http://127.0.0.1:8080//", "127.0.0.1"},
      {"https://Portal.Hotel.EXAMPLE?next=http://tessaro.example/", "portal.hotel.example"},
      {"http://user:pw@tessaro.example:81/x", "tessaro.example"},
      {"http://[::1]:8080/x", "[::1]"},
      {"http://localhost#frag", "localhost"},
      {"tessaro.example/x", ""},
      {"", ""},
  };
  for (const auto& [url, host] : cases) EXPECT_EQ(HostOfUrl(url), host) << url;
}

TEST(ServiceUrls, QueryValuesArePercentEncodedExceptUnreservedCharacters) {
  EXPECT_EQ(EncodeQueryValue("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(EncodeQueryValue("p&w d"), "p%26w%20d");
  EXPECT_EQ(EncodeQueryValue("#+%=/?"), "%23%2B%25%3D%2F%3F");
  EXPECT_EQ(EncodeQueryValue(std::string("\x01\x7F\xE9\xFF", 4)), "%01%7F%E9%FF");
  EXPECT_EQ(EncodeQueryValue(std::string("a\0b", 3)), "a%00b");
  EXPECT_EQ(EncodeQueryValue(""), "");
  const ServiceSettings service = DefaultServiceSettings();
  EXPECT_EQ(CopyReportUrl(service, "a&b", "a&b_my file.wav", "3"),
            "http://tessaro.example/dravos/copywav.php?username=a%26b&file=a%26b_my%20file.wav&length=3");
  EXPECT_EQ(DownloadConfirmUrl(service, "a", "p=1#", "id 2"),
            "http://tessaro.example/dravos/drdlsuccess.php?username=a&drupw=p%3D1%23&fileid=id%202");
}

TEST(ServiceUrls, EveryByteSurvivesTheServicesDecoding) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all += static_cast<char>(byte);
  const std::string encoded = EncodeQueryValue(all);
  std::string decoded;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    const char c = encoded[i];
    ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || std::string("-._~%").find(c) != std::string::npos);
    if (c == '%') {
      ASSERT_LE(i + 2, encoded.size() - 1);
      const std::string hex = encoded.substr(i + 1, 2);
      ASSERT_EQ(hex.find_first_not_of("0123456789ABCDEF"), std::string::npos) << hex;
      decoded += static_cast<char>(std::stoi(hex, nullptr, 16));
      i += 2;
    } else {
      decoded += c;
    }
  }
  EXPECT_EQ(decoded, all);
}

}  // namespace
}  // namespace tarnwick
