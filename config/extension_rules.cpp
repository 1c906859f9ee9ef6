#include "config/extension_rules.h"

namespace tarnwick {

namespace {

constexpr std::size_t kShortestExtension = 3;

bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

std::string TrimLeadingWhiteSpace(const std::string& text) {
  std::size_t first = 0;
  while (first < text.size() && IsWhiteSpace(text[first])) ++first;
  return text.substr(first);
}

bool IsExtensionPermitted(const std::string& extension, const std::string& validExtensions) {
  return validExtensions.find(extension) != std::string::npos && extension.size() >= kShortestExtension;
}

int FirstRejectedSlot(const std::string (&extensions)[kSlotCount + 1], const std::string& validExtensions) {
  for (int slot = 1; slot <= kSlotCount; ++slot)
    if (!IsExtensionPermitted(extensions[slot], validExtensions)) return slot;
  return 0;
}

}  // namespace tarnwick
