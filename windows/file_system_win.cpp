#include "windows/file_system_win.h"

namespace tarnwick {

namespace {

// Handles of one file, closed when the object goes.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : m_handle(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return m_handle; }
  bool Close() {
    if (!Valid()) return true;
    const bool closed = CloseHandle(m_handle) != FALSE;
    m_handle = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE m_handle;
};

class HandleReader : public IFileReader {
 public:
  explicit HandleReader(HANDLE handle) : m_file(handle) {}
  bool Read(char* buffer, std::size_t capacity, std::size_t& bytesRead) override {
    DWORD read = 0;
    const bool succeeded =
        ReadFile(m_file.Get(), buffer, static_cast<DWORD>(capacity), &read, nullptr) != FALSE;
    bytesRead = read;
    return succeeded;
  }
  bool Stamp(FileStamp& stamp) override {
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(m_file.Get(), &info) == FALSE) return false;
    stamp.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.lastWrite =
        (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    return true;
  }

 private:
  FileHandle m_file;
};

class HandleWriter : public IFileWriter {
 public:
  explicit HandleWriter(HANDLE handle) : m_file(handle) {}
  bool Write(const char* data, std::size_t size) override {
    while (size > 0) {
      DWORD written = 0;
      if (WriteFile(m_file.Get(), data, static_cast<DWORD>(size), &written, nullptr) == FALSE || written == 0) {
        return false;
      }
      data += written;
      size -= written;
    }
    return true;
  }
  bool Close() override {
    if (!m_file.Valid()) return false;
    const bool flushed = FlushFileBuffers(m_file.Get()) != FALSE;
    return m_file.Close() && flushed;
  }

 private:
  FileHandle m_file;
};

std::wstring Wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// The name in the code page; `lossy` when some character had no place there. A
// best-fit look-alike (an L for an Ł) counts as lost too: it names another file.
std::string Narrow(const wchar_t* name, bool& lossy) {
  const int wideLength = lstrlenW(name);
  BOOL usedDefault = FALSE;
  const int length =
      WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, wideLength, nullptr, 0, nullptr, &usedDefault);
  std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, wideLength, narrow.data(), length, nullptr,
                        &usedDefault);
  }
  lossy = usedDefault != FALSE || Wide(narrow) != std::wstring(name, static_cast<std::size_t>(wideLength));
  return narrow;
}

}  // namespace

bool WinFileSystem::FindFiles(const std::string& pattern, std::vector<FoundFile>& found) {
  // The narrow search would hand out unholdable names with stand-ins, which can no
  // longer be told from real names; the wide one keeps them whole.
  found.clear();
  WIN32_FIND_DATAW data;
  HANDLE search = FindFirstFileW(Wide(pattern).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    FoundFile entry;
    entry.name = Narrow(data.cFileName, entry.lossyName);
    entry.attributes = data.dwFileAttributes;
    entry.stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry.stamp.lastWrite =
        (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
    found.push_back(entry);
  } while (FindNextFileW(search, &data) != FALSE);
  FindClose(search);
  return true;
}

bool WinFileSystem::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool WinFileSystem::DirectoryExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool WinFileSystem::MakeDirectory(const std::string& path) {
  return ::CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

CopyOutcome WinFileSystem::CopyToNewFile(const std::string& from, const std::string& to) {
  if (::CopyFileA(from.c_str(), to.c_str(), TRUE) != FALSE) return CopyOutcome::Copied;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? CopyOutcome::TargetExists
                                                                      : CopyOutcome::Failed;
}

bool WinFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  return SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool WinFileSystem::ReadAttributes(const std::string& path, std::uint32_t& attributes) {
  const DWORD found = GetFileAttributesA(path.c_str());
  if (found == INVALID_FILE_ATTRIBUTES) return false;
  attributes = found;
  return true;
}

std::unique_ptr<IFileReader> WinFileSystem::OpenForUpload(const std::string& path) {
  // Sharing reads only: the open fails while a recorder still has the file open
  // for writing, so an unfinished recording is left for a later cycle.
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<HandleReader>(handle);
}

std::unique_ptr<IFileWriter> WinFileSystem::CreateForWriting(const std::string& path) {
  HANDLE handle =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<HandleWriter>(handle);
}

bool WinFileSystem::MoveReplacing(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool WinFileSystem::RemoveFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != FALSE; }

bool WinFileSystem::AppendToFile(const std::string& path, const std::string& bytes) {
  // No sharing while the line is written; another program holding the file open
  // makes the open fail, and the line is lost.
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  LARGE_INTEGER noDistance;
  noDistance.QuadPart = 0;
  if (SetFilePointerEx(file.Get(), noDistance, nullptr, FILE_END) == FALSE) return false;
  DWORD written = 0;
  const bool succeeded =
      WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != FALSE &&
      written == bytes.size();
  return file.Close() && succeeded;
}

bool WinFileSystem::FileSize(const std::string& path, std::uint64_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) == FALSE) return false;
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
  size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

}  // namespace tarnwick
