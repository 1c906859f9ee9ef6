#include "transfer/proxy_lists.h"

#include <cctype>
#include <vector>

namespace tarnwick {

namespace {

std::vector<std::string> Entries(const std::string& list) {
  std::vector<std::string> entries;
  std::string entry;
  for (char c : list) {
    if (c == ';' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (!entry.empty()) entries.push_back(entry);
      entry.clear();
    } else {
      entry += c;
    }
  }
  if (!entry.empty()) entries.push_back(entry);
  return entries;
}

bool Matches(const char* pattern, const char* text) {
  if (*pattern == '\0') return *text == '\0';
  if (*pattern == '*') return Matches(pattern + 1, text) || (*text != '\0' && Matches(pattern, text + 1));
  return *text != '\0' &&
         std::tolower(static_cast<unsigned char>(*pattern)) == std::tolower(static_cast<unsigned char>(*text)) &&
         Matches(pattern + 1, text + 1);
}

}  // namespace

bool HostBypassesProxy(const std::string& host, const std::string& bypassList) {
  for (const std::string& entry : Entries(bypassList)) {
    if (entry == "<local>") {
      if (host.find('.') == std::string::npos && host.find(':') == std::string::npos) return true;
    } else if (Matches(entry.c_str(), host.c_str())) {
      return true;
    }
  }
  return false;
}

std::string ProxyFromList(const std::string& list, const std::string& scheme) {
  std::string everyScheme;
  for (const std::string& entry : Entries(list)) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string::npos) {
      if (everyScheme.empty()) everyScheme = entry;
    } else if (entry.compare(0, equals, scheme) == 0) {
      return entry.substr(equals + 1);
    }
  }
  return everyScheme;
}

}  // namespace tarnwick
