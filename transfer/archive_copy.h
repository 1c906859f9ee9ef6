// The archive copy of a sent file, kept in a folder beside it ("tessaro").
#pragma once

#include <string>

#include "platform/file_system.h"

namespace tarnwick {

// Numbers tried after the plain name before the copy is given up.
constexpr int kArchiveNumbers = 9999;

struct ArchiveResult {
  enum class Outcome {
    Copied,        // a new copy is at `path`
    AlreadyThere,  // `path` already holds the same content
    Failed,        // no copy could be made
  } outcome = Outcome::Failed;
  std::string path;
};

// "a.wav" as the copy numbered `number` is to be called: "a (2).wav"; a name
// without an extension (or with only a leading dot) takes the number at its end.
std::string NumberedName(const std::string& fileName, int number);

// Copies `fullPath` into `archiveDirectory` (made when missing) as `fileName`. An
// older copy of that name is never replaced: when it differs, the new copy takes the
// first free "name (n).ext" from 2 on; a file of that name that holds the same bytes
// already is the copy.
ArchiveResult ArchiveCopy(IFileSystem& files, const std::string& fullPath, const std::string& archiveDirectory,
                          const std::string& fileName);

// What the logs say of an archive copy; empty when it went as usual.
std::string ArchiveNote(const ArchiveResult& result, const std::string& fileName,
                        const std::string& archiveDirectory);

}  // namespace tarnwick
