// The Win32 file system adapter on real files in a scratch directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/activity_log.h"
#include "doubles/fake_ui.h"
#include "windows/file_system_win.h"

namespace tarnwick {
namespace {

class WinFileSystemTest : public ::testing::Test {
 protected:
  WinFileSystemTest() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    directory = std::string(temp) + "tarnwick-fs-" + std::to_string(GetCurrentProcessId()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
    RemoveTree(directory);
    CreateDirectoryA(directory.c_str(), nullptr);
  }
  ~WinFileSystemTest() override { RemoveTree(directory); }

  static void RemoveTree(const std::string& root) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((root + "*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = root + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(path + "\\");
        } else {
          DeleteFileA(path.c_str());
        }
      } while (FindNextFileA(search, &data));
      FindClose(search);
    }
    RemoveDirectoryA(root.c_str());
  }

  std::string Path(const char* name) const { return directory + name; }

  void WriteRaw(const char* name, const std::string& content) {
    HANDLE file = CreateFileA(Path(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
  }

  std::string ReadRaw(const char* name) {
    HANDLE file = CreateFileA(Path(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(cannot open)";
    char buffer[4096];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
  }

  // Another program's handle on a file, closed when the scope ends.
  struct OtherHandle {
    HANDLE handle;
    OtherHandle(const std::string& path, DWORD access, DWORD sharing)
        : handle(CreateFileA(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    ~OtherHandle() {
      if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
  };

  static std::string ReadAll(IFileReader& reader) {
    std::string content;
    char buffer[3];  // small, so the test crosses several reads
    std::size_t read = 0;
    while (reader.Read(buffer, sizeof buffer, read) && read > 0) content.append(buffer, read);
    return content;
  }

  WinFileSystem files;
  std::string directory;
};

TEST_F(WinFileSystemTest, UploadOpenIsRefusedWhileAWriterHoldsTheFile) {
  WriteRaw("rec.wav", "RIFF0123");
  {
    OtherHandle recorder(Path("rec.wav"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(recorder.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(files.OpenForUpload(Path("rec.wav")), nullptr);
  }
  {
    OtherHandle viewer(Path("rec.wav"), GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(viewer.handle, INVALID_HANDLE_VALUE);
    auto reader = files.OpenForUpload(Path("rec.wav"));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(ReadAll(*reader), "RIFF0123");
    // While the upload reads, no one may start writing to the file.
    OtherHandle lateWriter(Path("rec.wav"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_EQ(lateWriter.handle, INVALID_HANDLE_VALUE);
  }
  EXPECT_EQ(files.OpenForUpload(Path("missing.wav")), nullptr);
}

TEST_F(WinFileSystemTest, AppendCreatesAndExtendsAndDropsWhatItCannotWrite) {
  EXPECT_TRUE(files.AppendToFile(Path("Tarnwick.log"), "first\r\n"));
  EXPECT_TRUE(files.AppendToFile(Path("Tarnwick.log"), "second\r\n"));
  EXPECT_EQ(ReadRaw("Tarnwick.log"), "first\r\nsecond\r\n");
  {
    // A program that holds the file without sharing locks the line out.
    OtherHandle holder(Path("Tarnwick.log"), GENERIC_READ, 0);
    ASSERT_NE(holder.handle, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(files.AppendToFile(Path("Tarnwick.log"), "lost\r\n"));
  }
  {
    // The log is open only while a line is written, so others may read it between lines.
    OtherHandle reader(Path("Tarnwick.log"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(reader.handle, INVALID_HANDLE_VALUE);
  }
  EXPECT_EQ(ReadRaw("Tarnwick.log"), "first\r\nsecond\r\n");
}

TEST_F(WinFileSystemTest, SizeIsReadWithoutOpeningTheFile) {
  WriteRaw("Tarnwick.log", "0123456789");
  std::uint64_t size = 0;
  {
    OtherHandle holder(Path("Tarnwick.log"), GENERIC_READ, 0);
    ASSERT_NE(holder.handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(files.FileSize(Path("Tarnwick.log"), size));
    EXPECT_EQ(size, 10u);
  }
  EXPECT_FALSE(files.FileSize(Path("missing.log"), size));
  EXPECT_FALSE(files.FileSize(directory, size));
}

TEST_F(WinFileSystemTest, LogRotationWaitsForAnOlderLogThatAViewerHolds) {
  // The log lives in the current directory, as the program's does.
  struct WorkingIn {
    char previous[MAX_PATH] = {};
    bool entered;
    explicit WorkingIn(const std::string& folder)
        : entered(GetCurrentDirectoryA(sizeof previous, previous) != 0 && SetCurrentDirectoryA(folder.c_str())) {}
    ~WorkingIn() { SetCurrentDirectoryA(previous); }
  } workingIn(directory);
  ASSERT_TRUE(workingIn.entered);
  WriteRaw("Tarnwick.3.log", "three");
  WriteRaw("Tarnwick.2.log", "two");
  WriteRaw("Tarnwick.1.log", "one");
  const std::string full(298, 'f');
  WriteRaw("Tarnwick.log", full + "\r\n");
  testing::FakeWindowLog window;
  testing::FakeClock clock;
  ActivityLog log(window, files, clock, 300);
  {
    // A viewer that lets others read and write yesterday's log, but not rename it.
    OtherHandle viewer(Path("Tarnwick.1.log"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_NE(viewer.handle, INVALID_HANDLE_VALUE);
    log.LogToFile("kept");
    EXPECT_EQ(ReadRaw("Tarnwick.1.log"), "one");
    const std::string current = ReadRaw("Tarnwick.log");
    EXPECT_EQ(current.compare(0, full.size(), full), 0);
    EXPECT_EQ(current.substr(current.size() - 6), "kept\r\n");
  }
  log.LogToFile("next");
  const std::string rotated = ReadRaw("Tarnwick.1.log");
  EXPECT_EQ(rotated.substr(rotated.size() - 6), "kept\r\n");
  EXPECT_EQ(ReadRaw("Tarnwick.2.log"), "one");
  EXPECT_EQ(ReadRaw("Tarnwick.3.log"), "two");
  EXPECT_EQ(ReadRaw("Tarnwick.log"), BannerBlock(clock.now) + "next\r\n");
}

TEST_F(WinFileSystemTest, FindFilesListsMatchesWithTheirAttributes) {
  WriteRaw("one.wav", "1");
  WriteRaw("Two.WAV", "2");
  WriteRaw("notes.txt", "3");
  SetFileAttributesA(Path("one.wav").c_str(), FILE_ATTRIBUTE_READONLY);

  std::vector<FoundFile> found{{"stale", 0}};
  ASSERT_TRUE(files.FindFiles(Path("*.wav"), found));
  std::sort(found.begin(), found.end(), [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].name, "Two.WAV");
  EXPECT_EQ(found[1].name, "one.wav");
  EXPECT_NE(found[1].attributes & kAttrReadOnly, 0u);
  EXPECT_EQ(found[0].attributes & kAttrReadOnly, 0u);

  EXPECT_FALSE(files.FindFiles(Path("*.dss"), found));
  EXPECT_TRUE(found.empty());
  EXPECT_FALSE(files.FindFiles(directory + "no such dir\\*.wav", found));
}

TEST_F(WinFileSystemTest, NamesTheCodePageCannotHoldAreToldApart) {
  // Created by their wide names, as a recorder of another language would name them.
  const struct {
    const wchar_t* wide;
    bool lossy;
  } cases[] = {
      {L"plain.wav", false},
      {L"M\u00fcller \u00e9t\u00e9.wav", false},  // all in code page 1252
      {L"\u0141\u00f3d\u017a.wav", true},         // \u0141 has only a best-fit L there
      {L"\u65e5\u672c.wav", true},
  };
  ASSERT_EQ(GetACP(), 1252u) << "the cases assume code page 1252";
  for (const auto& c : cases) {
    const std::wstring path = std::wstring(directory.begin(), directory.end()) + c.wide;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  std::vector<FoundFile> found;
  ASSERT_TRUE(files.FindFiles(Path("*.wav"), found));
  ASSERT_EQ(found.size(), 4u);
  for (const FoundFile& entry : found) {
    const bool inCodePage = entry.name == "plain.wav" || entry.name == "M\xfcller \xe9t\xe9.wav";
    EXPECT_EQ(entry.lossyName, !inCodePage) << entry.name;
    // A name that fits opens its file; a lossy one never names a file, nor matches as a pattern.
    EXPECT_EQ(files.FileExists(directory + entry.name), inCodePage) << entry.name;
    if (inCodePage) {
      EXPECT_NE(files.OpenForUpload(directory + entry.name), nullptr) << entry.name;
    }
  }
  EXPECT_FALSE(files.FileExists(Path("?????.wav")));
  EXPECT_FALSE(files.FileExists(Path("*.wav")));
  EXPECT_FALSE(files.FileExists(directory));
}

TEST_F(WinFileSystemTest, FileHeldForUploadKeepsItsStampAndCanStillBeArchivedAndMarked) {
  WriteRaw("rec.wav", "RIFF0123");
  auto reader = files.OpenForUpload(Path("rec.wav"));
  ASSERT_NE(reader, nullptr);
  FileStamp before;
  ASSERT_TRUE(reader->Stamp(before));
  EXPECT_EQ(before.size, 8u);
  EXPECT_NE(before.lastWrite, 0u);
  EXPECT_EQ(ReadAll(*reader), "RIFF0123");
  OtherHandle recorder(Path("rec.wav"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
  EXPECT_EQ(recorder.handle, INVALID_HANDLE_VALUE);
  // The archive copy and the read-only mark are made while the file is still held.
  ASSERT_TRUE(files.MakeDirectory(Path("tessaro")));
  EXPECT_EQ(files.CopyToNewFile(Path("rec.wav"), Path("tessaro\\rec.wav")), CopyOutcome::Copied);
  EXPECT_TRUE(files.SetAttributes(Path("rec.wav"), kAttrReadOnly));
  FileStamp after;
  ASSERT_TRUE(reader->Stamp(after));
  EXPECT_EQ(after, before);
  reader.reset();
  EXPECT_EQ(ReadRaw("tessaro\\rec.wav"), "RIFF0123");
  std::uint32_t attributes = 0;
  ASSERT_TRUE(files.ReadAttributes(Path("rec.wav"), attributes));
  EXPECT_EQ(attributes & kAttrReadOnly, static_cast<std::uint32_t>(kAttrReadOnly));
  EXPECT_FALSE(files.ReadAttributes(Path("none.wav"), attributes));
  // The scan's listing gives the stamp the upload saw: what the sent record compares.
  std::vector<FoundFile> found;
  ASSERT_TRUE(files.FindFiles(Path("*.wav"), found));
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].stamp, before);
}

TEST_F(WinFileSystemTest, ArchiveStepsCopyToNewFilesOnlyAndMarkFiles) {
  EXPECT_TRUE(files.DirectoryExists(directory));
  EXPECT_FALSE(files.DirectoryExists(Path("tessaro")));
  ASSERT_TRUE(files.MakeDirectory(Path("tessaro")));
  EXPECT_TRUE(files.DirectoryExists(Path("tessaro")));
  EXPECT_FALSE(files.MakeDirectory(Path("tessaro")));

  WriteRaw("a.wav", "new take");
  WriteRaw("tessaro\\a.wav", "old take");
  // An existing copy is never replaced, and is told apart from a copy that failed.
  EXPECT_EQ(files.CopyToNewFile(Path("a.wav"), Path("tessaro\\a.wav")), CopyOutcome::TargetExists);
  EXPECT_EQ(ReadRaw("tessaro\\a.wav"), "old take");
  EXPECT_EQ(files.CopyToNewFile(Path("a.wav"), Path("tessaro\\a (2).wav")), CopyOutcome::Copied);
  EXPECT_EQ(ReadRaw("tessaro\\a (2).wav"), "new take");
  EXPECT_EQ(files.CopyToNewFile(Path("none.wav"), Path("tessaro\\none.wav")), CopyOutcome::Failed);
  EXPECT_EQ(files.CopyToNewFile(Path("a.wav"), Path("no such folder\\a.wav")), CopyOutcome::Failed);

  ASSERT_TRUE(files.SetAttributes(Path("a.wav"), kAttrReadOnly));
  EXPECT_EQ(GetFileAttributesA(Path("a.wav").c_str()) & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(files.SetAttributes(Path("none.wav"), kAttrReadOnly));
}

TEST_F(WinFileSystemTest, DownloadStepsWriteMoveAndDelete) {
  auto writer = files.CreateForWriting(Path("part.tmp"));
  ASSERT_NE(writer, nullptr);
  EXPECT_TRUE(writer->Write("abc", 3));
  EXPECT_TRUE(writer->Write("def", 3));
  EXPECT_TRUE(writer->Close());
  writer.reset();
  EXPECT_EQ(ReadRaw("part.tmp"), "abcdef");

  WriteRaw("letter.rtf", "older");
  ASSERT_TRUE(files.MoveReplacing(Path("part.tmp"), Path("letter.rtf")));
  EXPECT_EQ(ReadRaw("letter.rtf"), "abcdef");
  EXPECT_EQ(GetFileAttributesA(Path("part.tmp").c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_EQ(files.CreateForWriting(directory + "no such dir\\x.rtf"), nullptr);
  EXPECT_TRUE(files.RemoveFile(Path("letter.rtf")));
  EXPECT_FALSE(files.RemoveFile(Path("letter.rtf")));
}

}  // namespace
}  // namespace tarnwick
