// The record of files that were sent but could not be marked read-only (a share
// that keeps no attributes, an access list that denies the change). The scan
// consults it beside the read-only attribute: a recorded file is not sent again
// while its size and last-write time stay as they were when it was sent.
//
// It is a plain text file in the data folder, beside the log file, that a support
// person can read: a comment line, then one line per file with its full path, its
// size in bytes, its last-write time (UTC) and its remote name, separated by tabs
// (no Windows file name holds one). Names are in the system's ANSI code page.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tarnwick {

extern const char kSentRecordName[];           // "Tarnwick.sent.txt"
extern const char kSentRecordTemporaryName[];  // "Tarnwick.sent.tmp"

// More than this of a record is not read: a record of files that lost their mark
// never grows this large, so what lies beyond is not one.
constexpr std::size_t kLongestSentRecord = 4 * 1024 * 1024;

struct SentEntry {
  std::string path;        // full local path
  FileStamp stamp;         // as it was when the file was sent
  std::string remoteName;  // only for the reader of the record
  bool operator==(const SentEntry&) const = default;
};

// "2026-12-09 01:20:53.1234567 UTC" for the platform's 100 ns ticks since 1601.
std::string FormatFileTime(std::uint64_t ticks);
// The reverse, for exactly the texts FormatFileTime writes.
std::optional<std::uint64_t> ParseFileTime(const std::string& text);

// The whole record text, comment line first, every line ended by CR LF. Line
// breaks and tabs in a remote name become '?': a line must stay one entry.
std::string SerializeSentRecord(const std::vector<SentEntry>& entries);
// The entries of every whole, well-formed line; anything else (a comment, a torn
// last line without its line end, garbage) is passed over.
std::vector<SentEntry> ParseSentRecord(const std::string& text);

class SentRecord {
 public:
  explicit SentRecord(IFileSystem& files);

  // Reads the record, dropping the entries whose file is gone from a folder that
  // can be reached (and writing it back without them). A record that cannot be
  // read counts as empty.
  void Load();
  // Whether `path` was recorded with exactly this stamp: sent and unchanged since.
  bool Holds(const std::string& path, const FileStamp& stamp) const;
  // Records a sent file, replacing an older entry of its path, and writes the
  // record; false when it could not be written.
  bool Add(const SentEntry& entry);

 private:
  void LoadOnce();
  bool IsGone(const std::string& path);
  // Written whole to a temporary file, flushed, then moved over the record, so a
  // power cut leaves either the old record or the new one.
  bool Save();

  IFileSystem& m_files;
  bool m_loaded = false;
  // False while a record exists that could not be read (another program holds
  // it): writing then would drop its entries.
  bool m_writable = true;
  // By path with ASCII letters in upper case: the platform's paths ignore letter case.
  std::map<std::string, SentEntry> m_entries;
};

}  // namespace tarnwick
