#include "transfer/sent_record.h"

#include <cstdio>
#include <limits>

namespace tarnwick {

const char kSentRecordName[] = "Tarnwick.sent.txt";
const char kSentRecordTemporaryName[] = "Tarnwick.sent.tmp";

namespace {

const char kComment[] =
    "# Tarnwick: files sent that could not be marked read-only. Each is sent again only when its size or "
    "last-write time changes. Path, size in bytes, last-write time, remote name; separated by tabs.";

constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::int64_t kSecondsPerDay = 86400;
// Days from 1 January 1601 to 1 January 1970.
constexpr std::int64_t kDays1601To1970 = 134774;

// Days since 1 January 1970 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
  std::int64_t year;
  unsigned month, day;
};

CivilDate CivilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  const unsigned day = static_cast<unsigned>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  const unsigned month = static_cast<unsigned>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  return {yearOfEra + era * 400 + (month <= 2), month, day};
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A run of 1 to `maxDigits` decimal digits, the whole text.
std::optional<std::uint64_t> ParseDigits(const std::string& text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool HasControlCharacter(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20) return true;
  return false;
}

std::optional<SentEntry> ParseLine(const std::string& line) {
  if (line.empty() || line[0] == '#') return std::nullopt;
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', start)) {
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  if (fields.size() != 4 || fields[0].empty() || HasControlCharacter(fields[0]) || HasControlCharacter(fields[3]))
    return std::nullopt;
  const std::optional<std::uint64_t> size = ParseDigits(fields[1], 20);
  const std::optional<std::uint64_t> lastWrite = ParseFileTime(fields[2]);
  if (!size || !lastWrite) return std::nullopt;
  return SentEntry{fields[0], FileStamp{*size, *lastWrite}, fields[3]};
}

}  // namespace

std::string FormatFileTime(std::uint64_t ticks) {
  const std::uint64_t seconds = ticks / kTicksPerSecond;
  const std::int64_t days = static_cast<std::int64_t>(seconds / kSecondsPerDay);
  const unsigned secondOfDay = static_cast<unsigned>(seconds % kSecondsPerDay);
  const CivilDate date = CivilFromDays(days - kDays1601To1970);
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u.%07u UTC", static_cast<unsigned>(date.year),
                date.month, date.day, secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60,
                static_cast<unsigned>(ticks % kTicksPerSecond));
  return text;
}

std::optional<std::uint64_t> ParseFileTime(const std::string& text) {
  // "YYYY-MM-DD HH:MM:SS.fffffff UTC", the year of 4 or 5 digits. The fields are
  // read loosely and the text must then be the one FormatFileTime writes, which
  // turns away every date or time that does not exist.
  const std::size_t dash = text.find('-');
  const std::size_t fixedPart = 27;  // from the first dash on
  if (dash < 4 || dash > 5 || text.size() != dash + fixedPart) return std::nullopt;
  const auto field = [&](std::size_t at, std::size_t length) { return ParseDigits(text.substr(at, length), length); };
  const std::optional<std::uint64_t> year = field(0, dash), month = field(dash + 1, 2), day = field(dash + 4, 2),
                                     hour = field(dash + 7, 2), minute = field(dash + 10, 2),
                                     second = field(dash + 13, 2), fraction = field(dash + 16, 7);
  if (!year || !month || !day || !hour || !minute || !second || !fraction) return std::nullopt;
  const std::int64_t days =
      DaysFromCivil(static_cast<std::int64_t>(*year), static_cast<unsigned>(*month), static_cast<unsigned>(*day)) +
      kDays1601To1970;
  if (days < 0) return std::nullopt;
  const std::uint64_t seconds =
      static_cast<std::uint64_t>(days) * kSecondsPerDay + *hour * 3600 + *minute * 60 + *second;
  if (seconds > (std::numeric_limits<std::uint64_t>::max() - *fraction) / kTicksPerSecond) return std::nullopt;
  const std::uint64_t ticks = seconds * kTicksPerSecond + *fraction;
  if (FormatFileTime(ticks) != text) return std::nullopt;
  return ticks;
}

std::string SerializeSentRecord(const std::vector<SentEntry>& entries) {
  std::string text = std::string(kComment) + "\r\n";
  for (const SentEntry& entry : entries) {
    std::string remoteName = entry.remoteName;
    for (char& c : remoteName)
      if (static_cast<unsigned char>(c) < 0x20) c = '?';
    text += entry.path + "\t" + std::to_string(entry.stamp.size) + "\t" + FormatFileTime(entry.stamp.lastWrite) + "\t" +
            remoteName + "\r\n";
  }
  return text;
}

std::vector<SentEntry> ParseSentRecord(const std::string& text) {
  std::vector<SentEntry> entries;
  std::size_t start = 0;
  // Only lines with their line end: a line cut short by a crash has none.
  for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (std::optional<SentEntry> entry = ParseLine(line)) entries.push_back(*entry);
  }
  return entries;
}

SentRecord::SentRecord(IFileSystem& files) : m_files(files) {}

void SentRecord::Load() {
  m_loaded = true;
  m_entries.clear();
  std::unique_ptr<IFileReader> reader = m_files.OpenForUpload(kSentRecordName);
  m_writable = reader != nullptr || !m_files.FileExists(kSentRecordName);
  if (!reader) return;
  std::string text;
  char buffer[16384];
  std::size_t read = 0;
  while (text.size() < kLongestSentRecord && reader->Read(buffer, sizeof buffer, read) && read > 0)
    text.append(buffer, read);
  reader.reset();
  if (text.size() > kLongestSentRecord) text.resize(kLongestSentRecord);

  bool dropped = false;
  for (const SentEntry& entry : ParseSentRecord(text)) {
    if (IsGone(entry.path)) {
      dropped = true;
    } else {
      m_entries[UpperAscii(entry.path)] = entry;
    }
  }
  if (dropped) Save();
}

bool SentRecord::IsGone(const std::string& path) {
  // Only where its folder can be reached: a share that is offline for a moment
  // must not cost its entries, or every file on it would be sent again.
  const std::size_t slash = path.rfind('\\');
  return slash != std::string::npos && m_files.DirectoryExists(path.substr(0, slash)) && !m_files.FileExists(path);
}

void SentRecord::LoadOnce() {
  if (!m_loaded) Load();
}

bool SentRecord::Holds(const std::string& path, const FileStamp& stamp) const {
  const auto it = m_entries.find(UpperAscii(path));
  return it != m_entries.end() && it->second.stamp == stamp;
}

bool SentRecord::Add(const SentEntry& entry) {
  LoadOnce();
  m_entries[UpperAscii(entry.path)] = entry;
  return Save();
}

bool SentRecord::Save() {
  if (!m_writable) return false;
  if (m_entries.empty()) return m_files.RemoveFile(kSentRecordName) || !m_files.FileExists(kSentRecordName);
  std::vector<SentEntry> entries;
  for (const auto& [key, entry] : m_entries) entries.push_back(entry);
  const std::string text = SerializeSentRecord(entries);
  std::unique_ptr<IFileWriter> writer = m_files.CreateForWriting(kSentRecordTemporaryName);
  if (!writer) return false;
  const bool written = writer->Write(text.data(), text.size());
  if (writer->Close() && written && m_files.MoveReplacing(kSentRecordTemporaryName, kSentRecordName)) return true;
  m_files.RemoveFile(kSentRecordTemporaryName);
  return false;
}

}  // namespace tarnwick
