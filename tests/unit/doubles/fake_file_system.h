// An in-memory file system with Windows-style paths (case-insensitive, '\' separators).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tarnwick::testing {

class FakeFileSystem : public IFileSystem {
 public:
  struct Entry {
    std::string content;
    std::uint32_t attributes = kAttrArchive;
    std::uint64_t lastWrite = 0;  // advanced by every append
  };

  void AddFile(const std::string& path, const std::string& content, std::uint32_t attributes = kAttrArchive);
  void AddDirectory(const std::string& path);
  bool Exists(const std::string& path) const;
  const Entry* Find(const std::string& path) const;

  // A path without '\' is a file of the current directory, which always exists.
  // A name with '?' stands for one the code page cannot hold: no real name has one.
  bool FindFiles(const std::string& pattern, std::vector<FoundFile>& found) override;
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  bool MakeDirectory(const std::string& path) override;
  CopyOutcome CopyToNewFile(const std::string& from, const std::string& to) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;
  bool ReadAttributes(const std::string& path, std::uint32_t& attributes) override;
  std::unique_ptr<IFileReader> OpenForUpload(const std::string& path) override;
  std::unique_ptr<IFileWriter> CreateForWriting(const std::string& path) override;
  bool MoveReplacing(const std::string& from, const std::string& to) override;
  bool RemoveFile(const std::string& path) override;
  bool AppendToFile(const std::string& path, const std::string& bytes) override;
  bool FileSize(const std::string& path, std::uint64_t& size) override;

  // Files another program holds open for writing.
  std::set<std::string> lockedForWriting;
  // Paths whose appends fail (a locked or read-only log file).
  std::set<std::string> appendFails;
  // Paths that cannot be moved away or replaced by a move (held open by another
  // program, or in a folder that denies renaming).
  std::set<std::string> moveFails;
  int sizeQueries = 0;  // calls of FileSize
  // Directories and files whose creation fails.
  std::set<std::string> createFails;
  // Files whose attributes cannot be changed (an access list denies it) ...
  std::set<std::string> attributesDenied;
  // ... or whose change is taken but not kept (a share that keeps no attributes).
  std::set<std::string> attributesNotKept;
  // Copy targets that cannot be written (a full disk, an access list).
  std::set<std::string> copyFails;
  std::map<std::string, Entry> entries;  // keyed by upper-cased path; directories end without '\'
  std::map<std::string, std::string> originalNames;

 private:
  static std::string Key(const std::string& path);
};

// The platform's wildcard match: '*' and '?', case-insensitive.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace tarnwick::testing
