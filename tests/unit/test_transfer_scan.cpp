#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer/source_scan.h"
#include "transfer_rig.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

TEST(ScanTexts, LabelAndThePatternCutFromIt) {
  EXPECT_EQ(FilterLabel("wav"), "My Files (*.wav)");
  EXPECT_EQ(SearchPattern("C:\\Dictation\\", FilterLabel("wav")), "C:\\Dictation\\*.wav");
  EXPECT_EQ(SearchPattern("C:\\Rec", FilterLabel("wav")), "C:\\Rec*.wav");  // no separator added
  // Parentheses in an extension move the cut points, as they always did.
  EXPECT_EQ(SearchPattern("D:\\", FilterLabel("a(b")), "D:\\b");
  EXPECT_EQ(SearchPattern("D:\\", FilterLabel("a)b")), "D:\\*.a)b");
}

TEST(ScanTexts, DueFileIsCutAtItsLastBackslashAndJoinedBackWhole) {
  const struct {
    const char* path;
    DueFile file;
  } cases[] = {
      {"C:\\Dictation\\a.wav", {"C:\\Dictation", "a.wav"}},
      {"C:\\RecRec1.wav", {"C:", "RecRec1.wav"}},
      {"\\\\server\\share\\b c.dss", {"\\\\server\\share", "b c.dss"}},
      {"C:\\Dictation\\", {"C:\\Dictation", ""}},
      {"C:a.wav", {"", "C:a.wav"}},  // no backslash: no folder
      {"\\a.wav", {"", "\\a.wav"}},   // only a leading one: no folder either
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DueFileAt(c.path), c.file) << c.path;
    EXPECT_EQ(DueFileAt(c.path).Path(), c.path);
  }
}

struct ScanTest : ::testing::Test {
  TransferRig rig;
  void Slot(int number, const std::string& directory, const std::string& extension) {
    rig.config.directories[number] = directory;
    rig.config.extensions[number] = extension;
  }
  std::vector<std::string> Scan() { return Paths(rig.Cycle().ScanSourceDirs()); }
};

TEST_F(ScanTest, DueFilesOfTheFilledSlotsInSlotOrder) {
  rig.files.AddDirectory("C:\\A");
  rig.files.AddDirectory("C:\\B");
  rig.files.AddFile("C:\\A\\one.wav", "1");
  rig.files.AddFile("C:\\A\\done.wav", "2", kAttrReadOnly | kAttrArchive);
  rig.files.AddFile("C:\\A\\hidden.WAV", "3", kAttrHidden);
  rig.files.AddFile("C:\\A\\note.dss", "4");
  rig.files.AddDirectory("C:\\A\\tessaro");
  rig.files.AddFile("C:\\A\\tessaro\\old.wav", "5");
  rig.files.AddDirectory("C:\\A\\folder.wav");
  rig.files.AddFile("C:\\B\\two.dss", "6");
  Slot(1, "", "wav");          // no directory
  Slot(2, "C:\\B\\", "dss");
  Slot(3, "C:\\B\\", "");      // no extension
  Slot(7, "C:\\A\\", "wav");
  EXPECT_EQ(Scan(), (std::vector<std::string>{"C:\\B\\two.dss", "C:\\A\\hidden.WAV", "C:\\A\\one.wav"}));
  EXPECT_EQ(Scan().size(), 3u);  // a second scan starts afresh
  EXPECT_TRUE(rig.journal.entries.empty());  // the scan reports nothing
}

TEST_F(ScanTest, DuplicateSlotsListTheirFilesTwice) {
  rig.files.AddFile("C:\\A\\one.wav", "1");
  Slot(4, "C:\\A\\", "wav");
  Slot(5, "C:\\A\\", "WAV");
  EXPECT_EQ(Scan(), (std::vector<std::string>{"C:\\A\\one.wav", "C:\\A\\one.wav"}));
}

TEST_F(ScanTest, DirectoryWithoutBackslashIsAPlainPrefix) {
  rig.files.AddFile("C:\\Rec1.wav", "1");
  rig.files.AddFile("C:\\other.wav", "2");
  Slot(1, "C:\\Rec", "wav");
  EXPECT_EQ(Scan(), std::vector<std::string>{"C:\\RecRec1.wav"});
}

TEST_F(ScanTest, NothingDueLeavesAnEmptyList) {
  Slot(1, "C:\\Missing\\", "wav");
  EXPECT_TRUE(Scan().empty());
}

TEST_F(ScanTest, PathsTooLongForThePlatformAreSkippedAndLogged) {
  const std::string deep = "C:\\" + std::string(251, 'd') + "\\";   // pattern of 260 characters
  const std::string fits = "C:\\" + std::string(240, 'f') + "\\";    // pattern of 249 characters
  rig.files.AddFile(fits + "short.wav", "1");
  rig.files.AddFile(fits + "a-name-that-is-too-long.wav", "2");       // full path of 271 characters
  Slot(1, deep, "wav");
  Slot(2, fits, "wav");
  EXPECT_EQ(Scan(), std::vector<std::string>{fits + "short.wav"});
  EXPECT_EQ(rig.journal.entries,
            (std::vector<std::string>{"F:Source search skipped, pattern longer than 259 characters: " + deep + "*.wav",
                                      "F:File skipped, path longer than 259 characters: " + fits +
                                          "a-name-that-is-too-long.wav"}));
  // Both come again every cycle: the log file takes them once a day.
  EXPECT_EQ(rig.host.oncePerDayKeys, (std::vector<std::string>{"long pattern|" + deep + "*.wav",
                                                                "long path|" + fits + "a-name-that-is-too-long.wav"}));
}

}  // namespace
}  // namespace tarnwick
