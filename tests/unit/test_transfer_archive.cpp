#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "doubles/fake_file_system.h"
#include "transfer/archive_copy.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

const std::string kSource = "C:\\Dictation\\a.wav";
const std::string kArchive = "C:\\Dictation\\tessaro";

struct ArchiveCase {
  const char* what;
  std::vector<std::pair<std::string, std::string>> before;  // archive names and contents
  std::string recording;
  ArchiveResult::Outcome outcome;
  std::string path;  // name in the archive that holds the recording afterwards
};

TEST(ArchiveCopy, NeverReplacesAnOlderCopyThatDiffers) {
  using Outcome = ArchiveResult::Outcome;
  const std::string big(100 * 1024, 'r');  // longer than one piece of the comparison
  const std::string bigButLast = big.substr(0, big.size() - 1) + 'x';
  const ArchiveCase cases[] = {
      {"empty archive", {}, "new take", Outcome::Copied, "a.wav"},
      {"older copy of that name", {{"a.wav", "old take"}}, "new take", Outcome::Copied, "a (2).wav"},
      {"numbers taken", {{"a.wav", "first"}, {"a (2).wav", "second"}}, "third", Outcome::Copied, "a (3).wav"},
      {"same copy already there", {{"a.wav", "new take"}}, "new take", Outcome::AlreadyThere, "a.wav"},
      {"same copy under a number", {{"a.wav", "first"}, {"a (2).wav", "new take"}}, "new take",
       Outcome::AlreadyThere, "a (2).wav"},
      {"older copy longer", {{"a.wav", "new take and more"}}, "new take", Outcome::Copied, "a (2).wav"},
      {"long copies that differ last", {{"a.wav", bigButLast}}, big, Outcome::Copied, "a (2).wav"},
      {"long copy the same", {{"a.wav", big}}, big, Outcome::AlreadyThere, "a.wav"},
      {"a gap in the numbers is filled", {{"a.wav", "first"}, {"a (3).wav", "third"}}, "second", Outcome::Copied,
       "a (2).wav"},
  };
  for (const ArchiveCase& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem files;
    files.AddDirectory("C:\\Dictation");
    files.AddFile(kSource, c.recording);
    if (!c.before.empty()) files.AddDirectory(kArchive);
    for (const auto& [name, content] : c.before) files.AddFile(kArchive + "\\" + name, content);

    const ArchiveResult result = ArchiveCopy(files, kSource, kArchive, "a.wav");
    EXPECT_EQ(result.outcome, c.outcome);
    EXPECT_EQ(result.path, kArchive + "\\" + c.path);
    ASSERT_TRUE(files.FileExists(result.path));
    EXPECT_EQ(files.Find(result.path)->content, c.recording);
    for (const auto& [name, content] : c.before) EXPECT_EQ(files.Find(kArchive + "\\" + name)->content, content);
  }
}

TEST(ArchiveCopy, FailuresLeaveNoCopy) {
  const std::pair<const char*, void (*)(FakeFileSystem&)> cases[] = {
      {"archive folder cannot be made", [](FakeFileSystem& files) { files.createFails.insert("C:\\DICTATION\\TESSARO"); }},
      {"copy cannot be written", [](FakeFileSystem& files) {
         files.AddDirectory(kArchive);
         files.copyFails.insert("C:\\DICTATION\\TESSARO\\A.WAV");
       }},
      {"numbered copy cannot be written", [](FakeFileSystem& files) {
         files.AddDirectory(kArchive);
         files.AddFile(kArchive + "\\a.wav", "old take");
         files.copyFails.insert("C:\\DICTATION\\TESSARO\\A (2).WAV");
       }},
      {"older copy cannot be read", [](FakeFileSystem& files) {
         // Unreadable counts as different: the next number is taken, never the old name.
         files.AddDirectory(kArchive);
         files.AddFile(kArchive + "\\a.wav", "new take");
         files.lockedForWriting.insert("C:\\DICTATION\\TESSARO\\A.WAV");
         files.copyFails.insert("C:\\DICTATION\\TESSARO\\A (2).WAV");
       }},
  };
  for (const auto& [what, fault] : cases) {
    SCOPED_TRACE(what);
    FakeFileSystem files;
    files.AddDirectory("C:\\Dictation");
    files.AddFile(kSource, "new take");
    fault(files);
    EXPECT_EQ(ArchiveCopy(files, kSource, kArchive, "a.wav").outcome, ArchiveResult::Outcome::Failed);
    EXPECT_FALSE(files.Exists(kArchive + "\\a (2).wav"));
  }
}

TEST(ArchiveCopy, NumberGoesBeforeTheExtension) {
  const std::pair<std::string, std::string> cases[] = {
      {"a.wav", "a (2).wav"}, {"take.one.dss", "take.one (2).dss"}, {"notes", "notes (2)"}, {".wav", ".wav (2)"},
  };
  for (const auto& [name, numbered] : cases) EXPECT_EQ(NumberedName(name, 2), numbered) << name;
  EXPECT_EQ(NumberedName("a.wav", 12), "a (12).wav");
}

}  // namespace
}  // namespace tarnwick
