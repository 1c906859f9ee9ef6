// Reading the download-list answer. The answer is HTML-like text read by position:
// each key is found by a case-sensitive search from the start of the whole text,
// and its first occurrence counts.
#pragma once

#include <string>
#include <vector>

namespace tarnwick {

// Values longer than these are refused rather than shortened into another name.
constexpr std::size_t kListValueLimit = 255;
constexpr std::size_t kSourceDirLimit = 99;

enum class ListRead {
  Found,
  KeyMissing,
  NoSeparator,  // no '=' (keyed values) or no pair of double quotes (file names) after the key
  TooLong,
};

struct ListValue {
  ListRead result = ListRead::KeyMissing;
  std::string value;
};

// A keyed value: after the key the first '=', then blanks skipped; the value runs to
// the first blank, CR, LF or '<', or to the end of the text.
ListValue ReadKeyedValue(const std::string& answer, const std::string& key, std::size_t limit);

// A file name: everything between the first two double quotes after the key.
ListValue ReadQuotedValue(const std::string& answer, const std::string& key, std::size_t limit);

// The C library's atoi, without its undefined overflow: out-of-range values are clamped.
int ToCount(const std::string& text);

// The keys of entry `number`: "file_%d" and "fileid_%d".
std::string FileNameKey(int number);
std::string FileIdKey(int number);

// One file the service holds for the author: its name and the id that confirms it.
struct DownloadEntry {
  std::string name;
  std::string id;
  bool operator==(const DownloadEntry&) const = default;
};

// The announced entries, read in order until one fails. `entries` holds those read
// whole; on a failure `result` says how the name, or with `idFailed` the id, of the
// entry after them could not be read.
struct DownloadEntries {
  std::vector<DownloadEntry> entries;
  ListRead result = ListRead::Found;
  bool idFailed = false;
};
DownloadEntries ReadDownloadEntries(const std::string& answer, int announced);

}  // namespace tarnwick
