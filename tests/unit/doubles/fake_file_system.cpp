#include "doubles/fake_file_system.h"

#include <algorithm>
#include <cctype>

namespace tarnwick::testing {

namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string ParentOf(const std::string& path) {
  auto slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Reads the content as it was opened; its stamp follows the file as it is now.
class StringReader : public IFileReader {
 public:
  StringReader(const FakeFileSystem& files, std::string path)
      : m_files(files), m_path(std::move(path)), m_content(files.Find(m_path)->content) {}
  bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) override {
    bytesRead = std::min(capacity, m_content.size() - m_offset);
    m_content.copy(buffer, bytesRead, m_offset);
    m_offset += bytesRead;
    return true;
  }
  bool Stamp(FileStamp& stamp) override {
    const FakeFileSystem::Entry* entry = m_files.Find(m_path);
    if (entry == nullptr) return false;
    stamp = FileStamp{entry->content.size(), entry->lastWrite};
    return true;
  }

 private:
  const FakeFileSystem& m_files;
  std::string m_path;
  std::string m_content;
  std::size_t m_offset = 0;
};

class MapWriter : public IFileWriter {
 public:
  MapWriter(FakeFileSystem& files, std::string path) : m_files(files), m_path(std::move(path)) {}
  bool Write(const char* data, std::size_t size) override {
    m_data.append(data, size);
    m_files.AddFile(m_path, m_data, kAttrArchive);
    return true;
  }
  bool Close() override { return true; }

 private:
  FakeFileSystem& m_files;
  std::string m_path;
  std::string m_data;
};

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
  std::size_t p = 0, n = 0, star = std::string::npos, mark = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || std::toupper(static_cast<unsigned char>(pattern[p])) ==
                                                        std::toupper(static_cast<unsigned char>(name[n])))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      mark = n;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::string FakeFileSystem::Key(const std::string& path) {
  std::string key = Upper(path);
  while (key.size() > 3 && key.back() == '\\') key.pop_back();
  return key;
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& content, std::uint32_t attributes) {
  std::string key = Key(path);
  entries[key] = Entry{content, attributes};
  originalNames[key] = path;
}

void FakeFileSystem::AddDirectory(const std::string& path) {
  std::string key = Key(path);
  entries[key] = Entry{std::string(), kAttrDirectory};
  std::string original = path;
  while (original.size() > 3 && original.back() == '\\') original.pop_back();
  originalNames[key] = original;
}

bool FakeFileSystem::Exists(const std::string& path) const { return entries.count(Key(path)) != 0; }

const FakeFileSystem::Entry* FakeFileSystem::Find(const std::string& path) const {
  auto it = entries.find(Key(path));
  return it == entries.end() ? nullptr : &it->second;
}

bool FakeFileSystem::FindFiles(const std::string& pattern, std::vector<FoundFile>& found) {
  found.clear();
  const std::string directory = Key(ParentOf(pattern));
  const std::string namePattern = pattern.substr(pattern.find_last_of('\\') + 1);
  for (const auto& [key, entry] : entries) {
    if (Key(ParentOf(key)) != directory) continue;
    const std::string name = originalNames[key].substr(originalNames[key].find_last_of('\\') + 1);
    if (WildcardMatch(namePattern, name))
      found.push_back({name, entry.attributes, name.find('?') != std::string::npos,
                       FileStamp{entry.content.size(), entry.lastWrite}});
  }
  return !found.empty();
}

bool FakeFileSystem::FileExists(const std::string& path) {
  const Entry* entry = Find(path);
  return entry != nullptr && (entry->attributes & kAttrDirectory) == 0;
}

bool FakeFileSystem::DirectoryExists(const std::string& path) {
  const Entry* entry = Find(path);
  return entry != nullptr && (entry->attributes & kAttrDirectory) != 0;
}

bool FakeFileSystem::MakeDirectory(const std::string& path) {
  if (createFails.count(Key(path)) != 0 || Exists(path)) return false;
  AddDirectory(path);
  return true;
}

CopyOutcome FakeFileSystem::CopyToNewFile(const std::string& from, const std::string& to) {
  const Entry* source = Find(from);
  if (source == nullptr || !DirectoryExists(ParentOf(to)) || copyFails.count(Key(to)) != 0) return CopyOutcome::Failed;
  if (FileExists(to)) return CopyOutcome::TargetExists;
  if (Exists(to)) return CopyOutcome::Failed;  // a directory of that name
  AddFile(to, source->content, source->attributes);
  return CopyOutcome::Copied;
}

bool FakeFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  auto it = entries.find(Key(path));
  if (it == entries.end() || attributesDenied.count(it->first) != 0) return false;
  if (attributesNotKept.count(it->first) == 0) it->second.attributes = attributes;
  return true;
}

bool FakeFileSystem::ReadAttributes(const std::string& path, std::uint32_t& attributes) {
  const Entry* entry = Find(path);
  if (entry == nullptr) return false;
  attributes = entry->attributes;
  return true;
}

std::unique_ptr<IFileReader> FakeFileSystem::OpenForUpload(const std::string& path) {
  const Entry* entry = Find(path);
  if (entry == nullptr || lockedForWriting.count(Key(path)) != 0) return nullptr;
  return std::make_unique<StringReader>(*this, path);
}

std::unique_ptr<IFileWriter> FakeFileSystem::CreateForWriting(const std::string& path) {
  const std::string parent = ParentOf(path);
  if ((!parent.empty() && !DirectoryExists(parent)) || createFails.count(Key(path)) != 0) return nullptr;
  AddFile(path, std::string(), kAttrArchive);
  return std::make_unique<MapWriter>(*this, path);
}

bool FakeFileSystem::MoveReplacing(const std::string& from, const std::string& to) {
  auto it = entries.find(Key(from));
  if (it == entries.end() || moveFails.count(Key(from)) != 0 || moveFails.count(Key(to)) != 0) return false;
  Entry moved = it->second;
  entries.erase(it);
  originalNames.erase(Key(from));
  AddFile(to, moved.content, moved.attributes);
  return true;
}

bool FakeFileSystem::RemoveFile(const std::string& path) {
  originalNames.erase(Key(path));
  return entries.erase(Key(path)) != 0;
}

bool FakeFileSystem::AppendToFile(const std::string& path, const std::string& bytes) {
  if (appendFails.count(Key(path)) != 0) return false;
  auto it = entries.find(Key(path));
  if (it == entries.end()) {
    AddFile(path, bytes, kAttrArchive);
  } else {
    it->second.content += bytes;
    ++it->second.lastWrite;
  }
  return true;
}

bool FakeFileSystem::FileSize(const std::string& path, std::uint64_t& size) {
  ++sizeQueries;
  if (!FileExists(path)) return false;
  size = Find(path)->content.size();
  return true;
}

}  // namespace tarnwick::testing
