#include "transfer/source_scan.h"

#include <iterator>

#include "transfer/poll_cycle.h"

namespace tarnwick {

std::string DueFile::Path() const { return folder.empty() ? name : folder + "\\" + name; }

DueFile DueFileAt(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos || slash == 0) return DueFile{"", path};
  return DueFile{path.substr(0, slash), path.substr(slash + 1)};
}

std::string FilterLabel(const std::string& extension) { return "My Files (*." + extension + ")"; }

std::string SearchPattern(const std::string& directory, const std::string& filterLabel) {
  const std::size_t open = filterLabel.rfind('(');
  std::string pattern = directory + (open == std::string::npos ? filterLabel : filterLabel.substr(open + 1));
  const std::size_t close = pattern.rfind(')');
  if (close != std::string::npos) pattern.erase(close);
  return pattern;
}

std::vector<DueFile> PollCycle::ScanSourceDirs() {
  m_unreadableNames.clear();
  m_sentRecord.Load();
  std::vector<DueFile> due;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const std::string& directory = m_config.directories[slot];
    const std::string& extension = m_config.extensions[slot];
    if (directory.empty() || extension.empty()) continue;
    std::vector<DueFile> found = ScanSlot(directory, FilterLabel(extension));
    due.insert(due.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
  }
  return due;
}

std::vector<DueFile> PollCycle::ScanSlot(const std::string& directory, const std::string& filterLabel) {
  std::vector<DueFile> due;
  const std::string pattern = SearchPattern(directory, filterLabel);
  if (pattern.size() > kLongestPath) {
    m_host.LogToFileOncePerDay("long pattern", pattern,
                               "Source search skipped, pattern longer than 259 characters: " + pattern);
    return due;
  }
  std::vector<FoundFile> found;
  if (!m_platform.files.FindFiles(pattern, found)) return due;
  for (const FoundFile& entry : found) {
    if ((entry.attributes & kAttrDirectory) != 0) continue;
    const std::string fullPath = directory + entry.name;
    if ((entry.attributes & kAttrReadOnly) != 0) continue;
    // Sent before where the mark would not hold: due again only once it changed.
    if (m_sentRecord.Holds(fullPath, entry.stamp)) continue;
    if (entry.lossyName) {
      // Its listed name opens no file or another one, so it is never sent; the
      // author can only fix it by renaming. Said once per cycle, even when two
      // slots list it, and to the log file once a day; the window's short lines
      // get the advice first.
      if (m_unreadableNames.insert(fullPath).second) {
        m_host.LogToWindow("Name not in this system's code page, rename to upload: " + entry.name);
        m_host.LogToFileOncePerDay("code page", fullPath,
                                   fullPath +
                                       " cannot be read under its name in this system's code page and must be "
                                       "renamed to be uploaded.");
      }
      continue;
    }
    if (fullPath.size() > kLongestPath) {
      m_host.LogToFileOncePerDay("long path", fullPath, "File skipped, path longer than 259 characters: " + fullPath);
      continue;
    }
    // The directory is a plain prefix, so the folder is where the joined path says.
    due.push_back(DueFileAt(fullPath));
  }
  return due;
}

}  // namespace tarnwick
