// Joining the chunks of a web answer and searching it for the service's marker. The
// fuzzer decides how the platform hands out the answer: chunk sizes, reads that
// claim more than they were allowed, zero bytes and failing reads.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "transfer/web_request.h"

using namespace tarnwick;

namespace {

struct PlatformRead {
  bool fails;
  std::size_t claimed;  // bytesRead as the platform reports it
  std::string bytes;    // what it puts into the buffer
};

class ScriptedReader : public IUrlReader {
 public:
  explicit ScriptedReader(std::vector<PlatformRead> reads) : m_reads(std::move(reads)) {}
  bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) override {
    FUZZ_CHECK(capacity <= kAnswerChunk);
    capacityAsked = capacityAsked && capacity == kAnswerChunk;
    if (m_next == m_reads.size()) {
      bytesRead = 0;
      return true;
    }
    const PlatformRead& read = m_reads[m_next++];
    std::memcpy(buffer, read.bytes.data(), std::min(read.bytes.size(), capacity));
    bytesRead = read.claimed;
    return !read.fails;
  }
  UrlResponse Response() override { return {}; }
  bool capacityAsked = true;

 private:
  std::vector<PlatformRead> m_reads;
  std::size_t m_next = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::vector<PlatformRead> reads;
  std::string expected;
  bool knowable = true;  // false once a read leaves stale buffer bytes in play
  bool ended = false;
  bool endedByFailure = false;
  while (input.remaining_bytes() > 0 && reads.size() < 64) {
    PlatformRead read;
    read.fails = input.ConsumeIntegralInRange<int>(0, 15) == 0;
    std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, kAnswerChunk);
    read.bytes = input.ConsumeBytesAsString(length);
    length = read.bytes.size();
    // Now and then the platform claims more than it may hand out.
    const bool overstates = input.ConsumeIntegralInRange<int>(0, 31) == 0;
    read.claimed = overstates ? kAnswerChunk + input.ConsumeIntegralInRange<std::size_t>(1, 4096) : length;
    if (!ended) {
      if (read.fails || read.claimed == 0) {
        ended = true;
        endedByFailure = read.fails;
      } else {
        // The buffer holds at most 1023 bytes of it; the rest of a claim is whatever
        // the buffer held before, which the reader may not count past its first zero.
        const std::string held = read.bytes.substr(0, std::min(read.claimed, kAnswerChunk));
        if (held.size() == std::min(read.claimed, kAnswerChunk) || held.find('\0') != std::string::npos)
          expected += held.substr(0, held.find('\0'));
        else
          knowable = false;  // bytes of an earlier read may follow: only safety is checked
      }
    }
    reads.push_back(std::move(read));
  }

  ScriptedReader reader(reads);
  bool whole = false;
  const std::string answer = ReadAnswer(reader, whole);
  FUZZ_CHECK(reader.capacityAsked);
  FUZZ_CHECK(whole == !endedByFailure);
  FUZZ_CHECK(answer.find('\0') == std::string::npos);
  if (knowable) {
    FUZZ_CHECK(answer == expected);
    FUZZ_CHECK(AnswerSaysValid(answer) == (std::strstr(expected.c_str(), "Username Valid!") != nullptr));
  }
  return 0;
}
