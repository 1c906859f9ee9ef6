// The download-list rules written the way the service's answers were first read:
// with the C library's string functions on a terminated text. The product's readers
// must agree with these on every answer.
#pragma once

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "transfer/download_list.h"

namespace tarnwick::fuzzing {

inline ListValue Limited(const char* from, std::size_t length, std::size_t limit) {
  ListValue value;
  if (length > limit) {
    value.result = ListRead::TooLong;
  } else {
    value.result = ListRead::Found;
    value.value.assign(from, length);
  }
  return value;
}

// Rule A: after the key the first '=', blanks skipped, up to a blank, CR, LF or '<'.
inline ListValue ReferenceKeyed(const char* answer, const char* key, std::size_t limit) {
  ListValue value;
  const char* at = std::strstr(answer, key);
  if (at == nullptr) return value;
  const char* equal = std::strchr(at, '=');
  if (equal == nullptr) {
    value.result = ListRead::NoSeparator;
    return value;
  }
  const char* start = equal + 1;
  while (*start == ' ') ++start;
  return Limited(start, std::strcspn(start, " \r\n<"), limit);
}

// Rule B: everything between the first two double quotes after the key.
inline ListValue ReferenceQuoted(const char* answer, const char* key, std::size_t limit) {
  ListValue value;
  const char* at = std::strstr(answer, key);
  if (at == nullptr) return value;
  const char* open = std::strchr(at, '"');
  const char* close = open == nullptr ? nullptr : std::strchr(open + 1, '"');
  if (close == nullptr) {
    value.result = ListRead::NoSeparator;
    return value;
  }
  return Limited(open + 1, static_cast<std::size_t>(close - open - 1), limit);
}

// atoi with the out-of-range values clamped instead of undefined.
inline int ReferenceCount(const std::string& text) {
  const long long wide = std::strtoll(text.c_str(), nullptr, 10);
  if (wide > INT_MAX) return INT_MAX;
  if (wide < INT_MIN) return INT_MIN;
  return static_cast<int>(wide);
}

inline bool Same(const ListValue& a, const ListValue& b) {
  return a.result == b.result && (a.result != ListRead::Found || a.value == b.value);
}

}  // namespace tarnwick::fuzzing
