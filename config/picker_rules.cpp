#include "config/picker_rules.h"

#include <algorithm>

#include "platform/file_system.h"

namespace tarnwick {

const char kParentEntryLabel[] = "[.. Parent Directory]";
const char kRootEntryLabel[] = "[. Root]";
const char kAllFilesLabel[] = "All files (*.*)";

std::string CapitaliseName(const std::string& name) {
  std::string shown = name;
  // Only the plain Latin letters change: names in other code-page letters keep their case.
  for (char& c : shown)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (std::size_t i = 0; i < shown.size(); ++i) {
    bool startsWord = i == 0 || shown[i - 1] == ' ';
    if (startsWord && shown[i] >= 'a' && shown[i] <= 'z') shown[i] = static_cast<char>(shown[i] - 'a' + 'A');
  }
  return shown;
}

std::string ParentDirectory(const std::string& directory) {
  std::size_t last = directory.rfind('\\');
  if (last == std::string::npos || last == 0) return directory;
  std::size_t previous = directory.rfind('\\', last - 1);
  if (previous == std::string::npos) return directory;
  return directory.substr(0, previous + 1);
}

std::string PatternOfFileTypeLabel(const std::string& label) {
  std::size_t open = label.rfind('(');
  std::size_t close = label.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return std::string();
  return label.substr(open + 1, close - open - 1);
}

bool IsDriveRoot(const std::string& directory) { return directory.size() == 3; }

NavigationEntry FirstEntryFor(const std::string& directory) {
  if (IsDriveRoot(directory)) return {kRootEntryLabel, kRootEntryValue};
  return {kParentEntryLabel, kParentEntryValue};
}

bool IsDirectoryItem(std::int32_t itemValue) {
  return (static_cast<std::uint32_t>(itemValue) & kAttrDirectory) != 0;
}

std::optional<std::string> DirectoryAfterActivation(const std::string& directory, std::int32_t itemValue,
                                                    const std::string& itemText) {
  if (!IsDirectoryItem(itemValue)) return std::nullopt;
  if (itemValue == kParentEntryValue) return ParentDirectory(directory);
  if (itemValue == kRootEntryValue) return directory;
  return directory + itemText + "\\";
}

void SortEntries(std::vector<PickerEntry>& entries) {
  // std::string compares its characters as unsigned bytes, as strcmp does.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const PickerEntry& a, const PickerEntry& b) { return a.name < b.name; });
}

std::string DriveLabel(char letter) { return std::string("(") + letter + ":)"; }

}  // namespace tarnwick
