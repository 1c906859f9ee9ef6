// The Win32 file functions behind the scan, the passes and the log file.
#pragma once

#include <windows.h>

#include "platform/file_system.h"

namespace tarnwick {

class WinFileSystem : public IFileSystem {
 public:
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
};

}  // namespace tarnwick
