// Narrow view of the Win32 file functions used by the scan, the passes and the log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarnwick {

// Attribute bits as the platform reports them.
enum FileAttribute : std::uint32_t {
  kAttrReadOnly = 0x01,
  kAttrHidden = 0x02,
  kAttrSystem = 0x04,
  kAttrDirectory = 0x10,
  kAttrArchive = 0x20,
  kAttrNormal = 0x80,
};

// Size and last-write time of a file (the platform's 100 ns ticks since 1601, UTC),
// as its open handle or its directory entry reports them.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0;
  bool operator==(const FileStamp&) const = default;
};

struct FoundFile {
  std::string name;  // long name, without directory, in the system's ANSI code page
  std::uint32_t attributes = 0;
  // The code page cannot hold the name: `name` carries stand-ins ('?') for some of
  // its characters and names no file, or another one.
  bool lossyName = false;
  FileStamp stamp;
};

enum class CopyOutcome { Copied, TargetExists, Failed };

class IFileReader {
 public:
  virtual ~IFileReader() = default;
  virtual bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) = 0;
  // The file's stamp now; false when the platform cannot say.
  virtual bool Stamp(FileStamp& stamp) = 0;
};

class IFileWriter {
 public:
  virtual ~IFileWriter() = default;
  virtual bool Write(const char* data, std::size_t size) = 0;
  // Flushes and closes; false when the data may not all be on disk.
  virtual bool Close() = 0;
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;
  // Directory search over a pattern; false when the search yields no handle. Names
  // are looked at in full (wide) so that `lossyName` can tell which ones the code
  // page cannot hold.
  virtual bool FindFiles(const std::string& pattern, std::vector<FoundFile>& found) = 0;
  // Whether `path` names a file (not a directory); never read as a pattern.
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool DirectoryExists(const std::string& path) = 0;
  virtual bool MakeDirectory(const std::string& path) = 0;
  // Copies `from` to `to` only when nothing of that name is there yet: an existing
  // `to` is left as it is and reported, in the same step, without a window between
  // the look and the copy.
  virtual CopyOutcome CopyToNewFile(const std::string& from, const std::string& to) = 0;
  virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  // The attributes the file has now; false when the platform cannot say.
  virtual bool ReadAttributes(const std::string& path, std::uint32_t& attributes) = 0;
  // Opens for reading while denying writers, so a file still being recorded is not taken.
  virtual std::unique_ptr<IFileReader> OpenForUpload(const std::string& path) = 0;
  // Creates (or truncates) a file for writing.
  virtual std::unique_ptr<IFileWriter> CreateForWriting(const std::string& path) = 0;
  // Moves `from` over `to`, replacing it.
  virtual bool MoveReplacing(const std::string& from, const std::string& to) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  // Opens for read/write with no sharing (creating it), appends the bytes, closes.
  virtual bool AppendToFile(const std::string& path, const std::string& bytes) = 0;
  // The size of a file as its directory entry tells it, without opening the file (so
  // also while another program holds it); false when there is no such file.
  virtual bool FileSize(const std::string& path, std::uint64_t& size) = 0;
};

}  // namespace tarnwick
