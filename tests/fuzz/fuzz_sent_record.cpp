// The record of files sent that could not be marked read-only, as it lies in the
// data folder: whatever a crash, an editor or a full disk left there. Reading it
// must never fail; what it reads must write and read back the same; loading it
// drops exactly the entries of files gone from a folder that can be reached, and
// still lets a new one in.
#include <map>
#include <set>

#include "doubles/fake_file_system.h"
#include "fuzz_check.h"
#include "transfer/sent_record.h"

using namespace tarnwick;
using namespace tarnwick::testing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::vector<SentEntry> entries = ParseSentRecord(text);
  for (const SentEntry& entry : entries) {
    FUZZ_CHECK(!entry.path.empty());
    for (char c : entry.path + entry.remoteName) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20);
    FUZZ_CHECK(ParseFileTime(FormatFileTime(entry.stamp.lastWrite)) == entry.stamp.lastWrite);
  }
  FUZZ_CHECK(ParseSentRecord(SerializeSentRecord(entries)) == entries);

  // Of every three entries, one's file exists, one's folder exists without it (gone),
  // one's folder cannot be reached (it may be there); later lines of a path win, as
  // in the record. Paths of the record's own files or of the one added below are
  // left out.
  const SentEntry added{"C:\\fuzz\\added.wav", FileStamp{1, 2}, "fuzz_added.wav"};
  const auto upper = [](std::string path) {
    for (char& c : path)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return path;
  };
  const std::set<std::string> reserved = {upper(kSentRecordName), upper(kSentRecordTemporaryName), upper(added.path)};
  FakeFileSystem files;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string& path = entries[i].path;
    const std::size_t slash = path.rfind('\\');
    if (reserved.count(upper(path)) != 0) continue;
    if (i % 3 == 0) files.AddFile(path, "");
    if (i % 3 == 1 && slash != std::string::npos && !files.Exists(path.substr(0, slash)))
      files.AddDirectory(path.substr(0, slash));
  }
  const auto gone = [&files](const std::string& path) {
    const std::size_t slash = path.rfind('\\');
    return slash != std::string::npos && files.DirectoryExists(path.substr(0, slash)) && !files.FileExists(path);
  };
  std::map<std::string, SentEntry> kept;
  for (const SentEntry& entry : entries)
    if (!gone(entry.path)) kept[upper(entry.path)] = entry;
  files.AddFile(kSentRecordName, text);
  SentRecord record(files);
  record.Load();
  for (const auto& [key, entry] : kept) FUZZ_CHECK(record.Holds(entry.path, entry.stamp));
  for (const SentEntry& entry : entries)
    if (gone(entry.path)) FUZZ_CHECK(!record.Holds(entry.path, entry.stamp));
  files.AddFile(added.path, "x");
  FUZZ_CHECK(record.Add(added));
  SentRecord reread(files);
  reread.Load();
  FUZZ_CHECK(reread.Holds(added.path, added.stamp));
  for (const auto& [key, entry] : kept) FUZZ_CHECK(reread.Holds(entry.path, entry.stamp));
  FUZZ_CHECK(!files.Exists(kSentRecordTemporaryName));
  return 0;
}
