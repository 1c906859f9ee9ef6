// The directory picker's rules on names and paths that come from the disk: shown
// names, moving up and into directories, the pattern inside a file-type label and
// the order of a listing.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>

#include "config/picker_rules.h"
#include "fuzz_check.h"

using namespace tarnwick;

namespace {

char LowerLetter(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [](char x, char y) { return LowerLetter(x) == LowerLetter(y); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string directory = input.ConsumeRandomLengthString(80);
  const std::string name = input.ConsumeRandomLengthString(80);
  const std::int32_t itemValue = input.ConsumeIntegral<std::int32_t>();

  const std::string shown = CapitaliseName(name);
  FUZZ_CHECK(SameIgnoringCase(shown, name));
  FUZZ_CHECK(CapitaliseName(shown) == shown);
  for (std::size_t i = 0; i < shown.size(); ++i)
    if (i == 0 || shown[i - 1] == ' ') FUZZ_CHECK(!(shown[i] >= 'a' && shown[i] <= 'z'));

  const std::string parent = ParentDirectory(directory);
  FUZZ_CHECK(directory.rfind(parent, 0) == 0);
  if (parent != directory) {
    FUZZ_CHECK(parent.back() == '\\');
    FUZZ_CHECK(parent.size() < directory.size());
    // One name and one backslash are cut, no more.
    const std::string cut = directory.substr(parent.size());
    FUZZ_CHECK(std::count(cut.begin(), cut.end(), '\\') == 1);
  }

  const std::string pattern = PatternOfFileTypeLabel(name);
  FUZZ_CHECK(pattern.empty() || name.find(pattern) != std::string::npos);

  const NavigationEntry first = FirstEntryFor(directory);
  FUZZ_CHECK(IsDirectoryItem(first.value));
  const std::optional<std::string> next = DirectoryAfterActivation(directory, itemValue, name);
  FUZZ_CHECK(next.has_value() == IsDirectoryItem(itemValue));
  if (next && itemValue == kParentEntryValue) FUZZ_CHECK(*next == parent);
  if (next && itemValue == kRootEntryValue) FUZZ_CHECK(*next == directory);
  if (next && itemValue != kParentEntryValue && itemValue != kRootEntryValue) FUZZ_CHECK(*next == directory + name + "\\");

  std::vector<PickerEntry> entries;
  for (int i = 0; input.remaining_bytes() > 0 && i < 32; ++i) {
    PickerEntry entry;
    entry.icon = i;
    entry.name = input.ConsumeRandomLengthString(12);
    entries.push_back(entry);
  }
  std::vector<PickerEntry> sorted = entries;
  SortEntries(sorted);
  FUZZ_CHECK(sorted.size() == entries.size());
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    FUZZ_CHECK(sorted[i - 1].name <= sorted[i].name);
    if (sorted[i - 1].name == sorted[i].name) FUZZ_CHECK(sorted[i - 1].icon < sorted[i].icon);
  }
  return 0;
}
