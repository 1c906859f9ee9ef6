#include "transfer/archive_copy.h"

#include <cstring>
#include <memory>
#include <vector>

namespace tarnwick {

namespace {

constexpr std::size_t kComparePiece = 64 * 1024;

// Fills `buffer` as far as the file goes; false when a read fails.
bool ReadPiece(IFileReader& reader, std::vector<char>& buffer, std::size_t& filled) {
  filled = 0;
  while (filled < buffer.size()) {
    std::size_t read = 0;
    if (!reader.Read(buffer.data() + filled, buffer.size() - filled, read)) return false;
    if (read == 0) break;
    filled += read;
  }
  return true;
}

// Whether both files can be read and hold the same bytes. A file that cannot be read
// counts as different, so that nothing is taken for a copy without being one.
bool SameContent(IFileSystem& files, const std::string& a, const std::string& b) {
  std::unique_ptr<IFileReader> first = files.OpenForUpload(a);
  std::unique_ptr<IFileReader> second = files.OpenForUpload(b);
  if (!first || !second) return false;
  FileStamp firstStamp;
  FileStamp secondStamp;
  if (first->Stamp(firstStamp) && second->Stamp(secondStamp) && firstStamp.size != secondStamp.size) return false;
  std::vector<char> firstPiece(kComparePiece);
  std::vector<char> secondPiece(kComparePiece);
  for (;;) {
    std::size_t firstFilled = 0;
    std::size_t secondFilled = 0;
    if (!ReadPiece(*first, firstPiece, firstFilled) || !ReadPiece(*second, secondPiece, secondFilled)) return false;
    if (firstFilled != secondFilled || std::memcmp(firstPiece.data(), secondPiece.data(), firstFilled) != 0)
      return false;
    if (firstFilled < kComparePiece) return true;
  }
}

}  // namespace

std::string NumberedName(const std::string& fileName, int number) {
  const std::size_t dot = fileName.rfind('.');
  const std::size_t stemEnd = dot == std::string::npos || dot == 0 ? fileName.size() : dot;
  return fileName.substr(0, stemEnd) + " (" + std::to_string(number) + ")" + fileName.substr(stemEnd);
}

ArchiveResult ArchiveCopy(IFileSystem& files, const std::string& fullPath, const std::string& archiveDirectory,
                          const std::string& fileName) {
  if (!files.DirectoryExists(archiveDirectory)) files.MakeDirectory(archiveDirectory);
  ArchiveResult result;
  for (int number = 1; number <= kArchiveNumbers; ++number) {
    result.path = archiveDirectory + "\\" + (number == 1 ? fileName : NumberedName(fileName, number));
    switch (files.CopyToNewFile(fullPath, result.path)) {
      case CopyOutcome::Copied:
        result.outcome = ArchiveResult::Outcome::Copied;
        return result;
      case CopyOutcome::TargetExists:
        if (SameContent(files, fullPath, result.path)) {
          result.outcome = ArchiveResult::Outcome::AlreadyThere;
          return result;
        }
        break;
      case CopyOutcome::Failed:
        result.outcome = ArchiveResult::Outcome::Failed;
        return result;
    }
  }
  result.outcome = ArchiveResult::Outcome::Failed;
  return result;
}

std::string ArchiveNote(const ArchiveResult& result, const std::string& fileName,
                        const std::string& archiveDirectory) {
  if (result.outcome == ArchiveResult::Outcome::Failed)
    return fileName + " could not be copied to " + archiveDirectory + "; the service has it.";
  const std::string copyName = result.path.substr(result.path.rfind('\\') + 1);
  if (result.outcome == ArchiveResult::Outcome::Copied && copyName != fileName)
    return fileName + " archived as " + copyName + ": " + archiveDirectory + " holds an older " + fileName + ".";
  return std::string();
}

}  // namespace tarnwick
