// The texts the source scan builds for one slot.
#pragma once

#include <string>

namespace tarnwick {

// MAX_PATH less the terminator: the longest search pattern or full path the platform takes.
constexpr std::size_t kLongestPath = 259;

// "My Files (*.wav)" for the extension wav.
std::string FilterLabel(const std::string& extension);

// The label's part after its last "(", with the directory in front, ended at its last ")".
// The directory is a plain prefix: no separator is added.
std::string SearchPattern(const std::string& directory, const std::string& filterLabel);

}  // namespace tarnwick
