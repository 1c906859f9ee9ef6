// The two reading rules of the download list and the count's conversion, for any
// key, limit and answer, against the C-string reading in list_reference.h.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_check.h"
#include "list_reference.h"

using namespace tarnwick;
using namespace tarnwick::fuzzing;

namespace {

// Answers reach the readers without zero bytes: each chunk ends at its first one.
std::string UpToZero(std::string text) { return text.substr(0, text.find('\0')); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string key = UpToZero(input.ConsumeRandomLengthString(24));
  const std::size_t limit = input.ConsumeIntegralInRange<std::size_t>(0, 300);
  const std::string answer = UpToZero(input.ConsumeRemainingBytesAsString());

  const ListValue keyed = ReadKeyedValue(answer, key, limit);
  FUZZ_CHECK(Same(keyed, ReferenceKeyed(answer.c_str(), key.c_str(), limit)));
  const ListValue quoted = ReadQuotedValue(answer, key, limit);
  FUZZ_CHECK(Same(quoted, ReferenceQuoted(answer.c_str(), key.c_str(), limit)));
  for (const ListValue* value : {&keyed, &quoted}) {
    if (value->result != ListRead::Found) continue;
    FUZZ_CHECK(value->value.size() <= limit);
    FUZZ_CHECK(answer.find(value->value) != std::string::npos);
  }
  if (keyed.result == ListRead::Found) {
    FUZZ_CHECK(keyed.value.find_first_of(" \r\n<") == std::string::npos);
    FUZZ_CHECK(ToCount(keyed.value) == ReferenceCount(keyed.value));
  }
  if (quoted.result == ListRead::Found) FUZZ_CHECK(quoted.value.find('"') == std::string::npos);
  FUZZ_CHECK(ToCount(answer) == ReferenceCount(answer));
  return 0;
}
