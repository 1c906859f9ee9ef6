#include "transfer/ftp_replies.h"

#include <cctype>
#include <cstdint>
#include <limits>
#include <utility>

namespace tarnwick {

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The last line that starts with a reply code, without its line break.
std::string LastCodedLine(const std::string& reply) {
  std::string found;
  for (const std::string& line : ServerLines(reply)) {
    if (line.size() >= 3 && IsDigit(line[0]) && IsDigit(line[1]) && IsDigit(line[2])) found = line;
  }
  return found;
}

}  // namespace

std::vector<std::string> ServerLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

int LastReplyCode(const std::string& reply) {
  const std::string line = LastCodedLine(reply);
  if (line.empty()) return 0;
  return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}

RemoteSize SizeFromReply(const std::string& reply) {
  RemoteSize size;
  const int code = LastReplyCode(reply);
  if (code == 500 || code == 502 || code == 504) {
    size.answer = RemoteSize::Answer::Unsupported;
    return size;
  }
  const std::string line = LastCodedLine(reply);
  if (code != 213 || line.size() < 5 || line[3] != ' ' || !IsDigit(line[4])) return size;
  std::uint64_t bytes = 0;
  std::size_t i = 4;
  for (; i < line.size() && IsDigit(line[i]); ++i) {
    const unsigned digit = static_cast<unsigned>(line[i] - '0');
    if (bytes > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return size;
    bytes = bytes * 10 + digit;
  }
  if (i != line.size()) return size;
  size.answer = RemoteSize::Answer::Known;
  size.bytes = bytes;
  return size;
}

bool DirectoryFromReply(const std::string& reply, std::string& directory) {
  if (LastReplyCode(reply) != 257) return false;
  const std::string line = LastCodedLine(reply);
  std::size_t at = line.find('"');
  if (at == std::string::npos) return false;
  std::string name;
  for (++at; at < line.size(); ++at) {
    if (line[at] != '"') {
      name += line[at];
    } else if (at + 1 < line.size() && line[at + 1] == '"') {
      name += '"';
      ++at;
    } else {
      directory = name;
      return true;
    }
  }
  return false;  // no closing quote
}

}  // namespace tarnwick
