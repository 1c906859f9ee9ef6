// What the source scan finds, and the texts it builds for one slot.
#pragma once

#include <string>
#include <vector>

namespace tarnwick {

// MAX_PATH less the terminator: the longest search pattern or full path the platform takes.
constexpr std::size_t kLongestPath = 259;

// A file the scan found due to be sent: the folder it lies in, without the closing
// backslash, and its name. A path with no backslash after its first character has no
// folder; its name is then the whole path.
struct DueFile {
  std::string folder;
  std::string name;

  // The path the scan found: folder and name joined again.
  std::string Path() const;
  bool operator==(const DueFile&) const = default;
};

// `path` cut at its last backslash.
DueFile DueFileAt(const std::string& path);

// "My Files (*.wav)" for the extension wav.
std::string FilterLabel(const std::string& extension);

// The label's part after its last "(", with the directory in front, ended at its last ")".
// The directory is a plain prefix: no separator is added.
std::string SearchPattern(const std::string& directory, const std::string& filterLabel);

}  // namespace tarnwick
