// The poll time typed into the configuration dialog: a 32-bit decimal integer with
// optional blanks and sign, read against the C library's strtoll, and the timer
// period it becomes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cstdlib>
#include <limits>

#include "app/main_frame.h"
#include "config/decimal_integer.h"
#include "fuzz_check.h"

using namespace tarnwick;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::optional<std::int32_t> Reference(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  const std::string number = text.substr(begin, end - begin);
  // strtoll would also take other white space and a second run of blanks after the sign.
  if (number.empty() || number.find('\0') != std::string::npos) return std::nullopt;
  const std::size_t digits = number[0] == '+' || number[0] == '-' ? 1 : 0;
  if (number.size() == digits) return std::nullopt;
  for (std::size_t i = digits; i < number.size(); ++i)
    if (number[i] < '0' || number[i] > '9') return std::nullopt;
  errno = 0;
  const long long value = std::strtoll(number.c_str(), nullptr, 10);
  if (errno == ERANGE || value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::optional<std::int32_t> read = ParseDecimalInteger(text);
  FUZZ_CHECK(read == Reference(text));
  if (read) {
    FUZZ_CHECK(ParseDecimalInteger(std::to_string(*read)) == read);
    const unsigned period = PollPeriodMilliseconds(*read);
    FUZZ_CHECK(*read > 0 ? period >= 60000u && period <= kLongestTimerPeriod : period == 0);
    if (*read > 0 && static_cast<unsigned long long>(*read) * 60000ULL <= kLongestTimerPeriod)
      FUZZ_CHECK(period == static_cast<unsigned>(*read) * 60000u);
  }
  return 0;
}
