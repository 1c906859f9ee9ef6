#include "transfer/download_list.h"

#include <climits>

namespace tarnwick {

namespace {

ListValue Refused(ListRead result) {
  ListValue refused;
  refused.result = result;
  return refused;
}

ListValue Accepted(std::string value, std::size_t limit) {
  if (value.size() > limit) return Refused(ListRead::TooLong);
  ListValue accepted;
  accepted.result = ListRead::Found;
  accepted.value = std::move(value);
  return accepted;
}

bool EndsKeyedValue(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '<'; }

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

ListValue ReadKeyedValue(const std::string& answer, const std::string& key, std::size_t limit) {
  const std::size_t keyAt = answer.find(key);
  if (keyAt == std::string::npos) return Refused(ListRead::KeyMissing);
  std::size_t at = answer.find('=', keyAt);
  if (at == std::string::npos) return Refused(ListRead::NoSeparator);
  ++at;
  while (at < answer.size() && answer[at] == ' ') ++at;
  std::size_t end = at;
  while (end < answer.size() && !EndsKeyedValue(answer[end])) ++end;
  return Accepted(answer.substr(at, end - at), limit);
}

ListValue ReadQuotedValue(const std::string& answer, const std::string& key, std::size_t limit) {
  const std::size_t keyAt = answer.find(key);
  if (keyAt == std::string::npos) return Refused(ListRead::KeyMissing);
  const std::size_t open = answer.find('"', keyAt);
  if (open == std::string::npos) return Refused(ListRead::NoSeparator);
  const std::size_t close = answer.find('"', open + 1);
  if (close == std::string::npos) return Refused(ListRead::NoSeparator);
  return Accepted(answer.substr(open + 1, close - open - 1), limit);
}

int ToCount(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size() && IsCSpace(text[at])) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  long long value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10 + (text[at] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) break;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::string FileNameKey(int number) { return "file_" + std::to_string(number); }
std::string FileIdKey(int number) { return "fileid_" + std::to_string(number); }

DownloadEntries ReadDownloadEntries(const std::string& answer, int announced) {
  DownloadEntries read;
  for (long long entry = 1; entry <= announced; ++entry) {
    const ListValue name = ReadQuotedValue(answer, FileNameKey(static_cast<int>(entry)), kListValueLimit);
    if (name.result != ListRead::Found) {
      read.result = name.result;
      return read;
    }
    const ListValue id = ReadKeyedValue(answer, FileIdKey(static_cast<int>(entry)), kListValueLimit);
    if (id.result != ListRead::Found) {
      read.result = id.result;
      read.idFailed = true;
      return read;
    }
    read.entries.push_back(DownloadEntry{name.value, id.value});
  }
  return read;
}

}  // namespace tarnwick
