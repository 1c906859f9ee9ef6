// The HTTP side of the libcurl adapter: whole answers read in pieces, and what
// counts as a URL that cannot be opened.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "test_internet_standin.h"
#include "transfer/web_request.h"
#include "windows/curl_internet.h"

namespace tarnwick {
namespace {

using test::Standin;

constexpr char kAgent[] = "InetURL/1.0";

// Reads the way the program reads its answers: at most 1023 bytes a call.
std::string ReadInChunks(IUrlReader& reader, std::vector<std::size_t>& chunkSizes) {
  std::string answer;
  char buffer[1024];
  std::size_t read = 0;
  while (reader.Read(buffer, 1023, read) && read > 0) {
    chunkSizes.push_back(read);
    answer.append(buffer, read);
  }
  return answer;
}

std::string AnswerText(std::size_t size) {
  std::string text;
  for (int line = 0; text.size() < size; ++line) text += "line" + std::to_string(line) + "-";
  text.resize(size);
  return text;
}

class WebRequestsWithStandin : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(standin.Control("reset"), ""); }
  Standin standin = Standin::FromEnvironment();
  std::unique_ptr<IInternet> internet = MakeCurlInternet(TransportSecurity{Encryption::None, {}});
};

TEST_F(WebRequestsWithStandin, LongAnswerArrivesWholeAndInOrderInPiecesOfAtMost1023Bytes) {
  const std::string expected = AnswerText(2500);
  ASSERT_NE(standin.Control("set?script_override=authorverify&text=" + expected), "");

  auto handle = internet->Open(kAgent);
  ASSERT_TRUE(handle);
  auto reader = handle->OpenUrl(standin.HttpUrl("/dravos/authorverify.php?username=a&wp=b"));
  ASSERT_TRUE(reader);
  std::vector<std::size_t> chunkSizes;
  const std::string answer = ReadInChunks(*reader, chunkSizes);

  EXPECT_EQ(answer, expected);
  EXPECT_GE(chunkSizes.size(), 3u);
  for (std::size_t size : chunkSizes) EXPECT_LE(size, 1023u);
}

TEST_F(WebRequestsWithStandin, ErrorPagesStillOpen) {
  auto handle = internet->Open(kAgent);
  ASSERT_TRUE(handle);

  // The probe counts any answer as a reachable host, errors included.
  auto missing = handle->OpenUrl(standin.HttpUrl("/no/such/page"));
  ASSERT_TRUE(missing);
  std::vector<std::size_t> chunkSizes;
  EXPECT_EQ(ReadInChunks(*missing, chunkSizes), "Not Found\n");

  // The root is asked for with two slashes.
  EXPECT_TRUE(handle->OpenUrl(standin.HttpUrl("//")));
}

TEST_F(WebRequestsWithStandin, ResponseTellsTheStatusAndTheUrlThatAnswered) {
  ASSERT_NE(standin.Control("set?script_error=authorverify"), "");
  const std::pair<std::string, unsigned> cases[] = {
      {"/dravos/extverify.php?ext=", 200},
      {"/no/such/page", 404},
      {"/dravos/authorverify.php?username=a&wp=b", 500},
  };
  auto handle = internet->Open(kAgent);
  ASSERT_TRUE(handle);
  for (const auto& [path, status] : cases) {
    auto reader = handle->OpenUrl(standin.HttpUrl(path));
    ASSERT_TRUE(reader) << path;
    const UrlResponse response = reader->Response();
    EXPECT_EQ(response.status, status) << path;
    EXPECT_EQ(response.finalUrl, standin.HttpUrl(path));
  }
}

TEST(WebRequests, UrlOnAClosedPortCannotBeOpened) {
  const unsigned port = test::ClosedLoopbackPort();
  ASSERT_NE(port, 0u);
  auto internet = MakeCurlInternet(TransportSecurity{Encryption::None, {}});
  auto handle = internet->Open(kAgent);
  ASSERT_TRUE(handle);
  EXPECT_FALSE(handle->OpenUrl("http://127.0.0.1:" + std::to_string(port) + "//"));
  EXPECT_FALSE(handle->OpenUrl("http://127.0.0.1:" + std::to_string(port) + "/dravos/authorverify.php"));
}

}  // namespace
}  // namespace tarnwick
