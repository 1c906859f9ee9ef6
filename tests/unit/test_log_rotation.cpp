#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>
#include <thread>

#include "app/activity_log.h"
#include "doubles/fake_file_system.h"
#include "doubles/fake_ui.h"

namespace tarnwick {
namespace {

using testing::FakeClock;
using testing::FakeFileSystem;
using testing::FakeWindowLog;

constexpr std::uint64_t kBound = 300;  // small enough for one line of the file to pass it

struct LogRotationTest : ::testing::Test {
  FakeWindowLog window;
  FakeFileSystem files;
  FakeClock clock;
  ActivityLog log{window, files, clock, kBound};

  LogRotationTest() { clock.now = LocalTime{2026, 12, 8, 2, 5, 8, 53}; }

  // The content of a file, "-" when there is none.
  std::string Text(const std::string& name) {
    const auto* entry = files.Find(name);
    return entry ? entry->content : "-";
  }
  std::string Generation(int n) { return Text(RotatedLogName(n)); }
};

TEST_F(LogRotationTest, RotatesBeforeTheLineThatWouldPassTheBoundAndStartsWithTheBanner) {
  struct Case {
    const char* name;
    std::size_t before;  // bytes already in the file; 0: no file
    std::size_t text;    // the line is two bytes longer
    bool rotates;
  } const cases[] = {
      {"reaches the bound exactly", kBound - 12, 10, false},
      {"one byte past it", kBound - 11, 10, true},
      {"an empty line on a file at the bound", kBound, 0, true},
      {"a line longer than the bound, no file", 0, 400, false},
      {"a line longer than the bound after a short one", 10, 400, true},
  };
  for (const Case& c : cases) {
    FakeFileSystem caseFiles;
    ActivityLog caseLog(window, caseFiles, clock, kBound);
    const std::string old = std::string(c.before, 'o');
    if (c.before > 0) caseFiles.AddFile(kLogFileName, old);
    caseLog.LogToFile(std::string(c.text, 'n'));
    const std::string line = std::string(c.text, 'n') + "\r\n";
    const auto* log = caseFiles.Find(kLogFileName);
    const auto* first = caseFiles.Find(RotatedLogName(1));
    ASSERT_NE(log, nullptr) << c.name;
    if (c.rotates) {
      ASSERT_NE(first, nullptr) << c.name;
      EXPECT_EQ(first->content, old) << c.name;
      EXPECT_EQ(log->content, BannerBlock(clock.now) + line) << c.name;
    } else {
      EXPECT_EQ(first, nullptr) << c.name;
      EXPECT_EQ(log->content, old + line) << c.name;
    }
  }
}

TEST_F(LogRotationTest, OlderFilesMoveOnAndTheOldestIsDropped) {
  struct Case {
    const char* existing;  // generations there before, by number
    const char* after[3];  // Tarnwick.1.log to .3 afterwards, "-" for none
  } const cases[] = {
      {"", {"full", "-", "-"}},
      {"1", {"full", "g1", "-"}},
      {"12", {"full", "g1", "g2"}},
      {"123", {"full", "g1", "g2"}},
      // Gaps, as a rotation that stopped half way leaves them, are filled first.
      {"2", {"full", "g2", "-"}},
      {"13", {"full", "g1", "g3"}},
      {"23", {"full", "g2", "g3"}},
  };
  for (const Case& c : cases) {
    FakeFileSystem caseFiles;
    ActivityLog caseLog(window, caseFiles, clock, kBound);
    for (const char* n = c.existing; *n != '\0'; ++n)
      caseFiles.AddFile(RotatedLogName(*n - '0'), std::string("g") + *n);
    caseFiles.AddFile(kLogFileName, "full" + std::string(kBound - 4, '.'));
    caseLog.LogToFile("next");
    for (int n = 1; n <= kRotatedLogsKept; ++n) {
      const auto* entry = caseFiles.Find(RotatedLogName(n));
      EXPECT_EQ(entry ? entry->content.substr(0, 4) : "-", c.after[n - 1]) << c.existing << " generation " << n;
    }
    EXPECT_FALSE(caseFiles.Exists(RotatedLogName(kRotatedLogsKept + 1))) << c.existing;
    EXPECT_EQ(caseFiles.Find(kLogFileName)->content, BannerBlock(clock.now) + "next\r\n") << c.existing;
  }
}

TEST_F(LogRotationTest, FailedRenameLosesNoLineAndIsTriedAgainWithTheNext) {
  // Held by another program or in a folder that denies renaming: the file itself,
  // one of the older ones, or the oldest that a move would replace.
  const char* const blocked[] = {"Tarnwick.log", "Tarnwick.1.log", "Tarnwick.2.log", "Tarnwick.3.log"};
  for (const char* name : blocked) {
    FakeFileSystem caseFiles;
    ActivityLog caseLog(window, caseFiles, clock, kBound);
    for (int n = 1; n <= 3; ++n) caseFiles.AddFile(RotatedLogName(n), "g" + std::to_string(n));
    const std::string full = std::string(kBound - 2, 'f') + "\r\n";
    caseFiles.AddFile(kLogFileName, full);
    std::string key = name;
    for (char& ch : key) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    caseFiles.moveFails.insert(key);
    for (const char* text : {"a", "b", "c"}) caseLog.LogToFile(text);
    const std::string log = caseFiles.Find(kLogFileName)->content;
    // Every line is there, after a note that is written once a day.
    ASSERT_EQ(log.compare(0, full.size(), full), 0) << name;
    EXPECT_NE(log.find("could not be renamed"), std::string::npos) << name;
    EXPECT_EQ(log.substr(log.size() - 9), "a\r\nb\r\nc\r\n") << name;
    EXPECT_EQ(log.find("could not be renamed"), log.rfind("could not be renamed")) << name;

    // Once the rename works, the whole file moves on and the rotation ends as any
    // other does: no older file was pushed on twice.
    caseFiles.moveFails.clear();
    caseLog.LogToFile("d");
    EXPECT_EQ(caseFiles.Find(RotatedLogName(1))->content, log) << name;
    EXPECT_EQ(caseFiles.Find(RotatedLogName(2))->content, "g1") << name;
    EXPECT_EQ(caseFiles.Find(RotatedLogName(3))->content, "g2") << name;
    EXPECT_EQ(caseFiles.Find(kLogFileName)->content, BannerBlock(clock.now) + "d\r\n") << name;
  }
}

TEST_F(LogRotationTest, StartOnAFullFileWritesOneBannerInTheNewFile) {
  files.AddFile(kLogFileName, std::string(kBound - 100, 'f'));
  log.LogStartBanner();
  EXPECT_EQ(Generation(1), std::string(kBound - 100, 'f'));
  EXPECT_EQ(Text(kLogFileName), BannerBlock(clock.now));
}

TEST_F(LogRotationTest, SizeIsAskedOnceAndAgainOnlyWhenTheBoundSeemsReached) {
  for (int n = 0; n < 20; ++n) log.LogToFile("1234567");  // 180 bytes
  EXPECT_EQ(files.sizeQueries, 1);
  // The user removed the file meanwhile: the count says full, the file says empty.
  files.RemoveFile(kLogFileName);
  for (int n = 0; n < 20; ++n) log.LogToFile("1234567");
  EXPECT_EQ(Generation(1), "-");
  EXPECT_EQ(Text(kLogFileName).size(), 180u);
  EXPECT_EQ(files.sizeQueries, 2);
}

TEST_F(LogRotationTest, TwoThreadsWriteWholeLinesAndLoseNone) {
  // The user-interface thread and the worker both write; each line lands whole, in
  // one file, once. The 2 x 1000 lines of 12 bytes take at least two rotations and
  // fit the file and its three older ones.
  constexpr std::uint64_t bound = 8000;
  ActivityLog shared(window, files, clock, bound);
  std::atomic<bool> go{false};
  auto writer = [&shared, &go](char thread) {
    while (!go.load()) std::this_thread::yield();
    for (int n = 0; n < 1000; ++n) shared.LogToFile(std::string(1, thread) + std::to_string(1000 + n) + "-----");
  };
  std::thread ui(writer, 'u');
  std::thread worker(writer, 'w');
  go = true;
  ui.join();
  worker.join();
  std::map<std::string, int> seen;
  for (const std::string& name : {RotatedLogName(3), RotatedLogName(2), RotatedLogName(1), std::string(kLogFileName)}) {
    const std::string text = Text(name);
    if (text == "-") continue;
    EXPECT_LE(text.size(), bound) << name;
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
      const std::string line = text.substr(at, end - at);
      if (line.size() == 10) ++seen[line];
    }
  }
  EXPECT_NE(Generation(2), "-");
  EXPECT_EQ(seen.size(), 2000u);
  for (const auto& [line, count] : seen) EXPECT_EQ(count, 1) << line;
}

TEST_F(LogRotationTest, RepeatingMessagesReachTheFileOncePerFilePerDay) {
  struct Step {
    const char* kind;
    const char* path;
    int day;
    bool written;
  } const steps[] = {
      {"in use", "C:\\D\\a.wav", 8, true},
      {"in use", "C:\\D\\a.wav", 8, false},    // same day again
      {"in use", "C:\\D\\b.wav", 8, true},     // another file
      {"long path", "C:\\D\\a.wav", 8, true},  // another message for the first file
      {"in use", "C:\\D\\a.wav", 9, true},     // the next day
      {"in use", "C:\\D\\a.wav", 9, false},
      {"in use", "C:\\D\\b.wav", 9, true},
      {"in use", "C:\\D\\a.wav", 8, true},     // the clock was set back
  };
  std::size_t lines = 0;
  for (const Step& step : steps) {
    clock.now.day = step.day;
    log.LogToFileOncePerDay(step.kind, step.path, std::string(step.path) + " " + step.kind);
    const std::string text = Text(kLogFileName);
    const std::size_t now = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(now - lines, step.written ? 1u : 0u) << step.kind << " " << step.path << " day " << step.day;
    lines = now;
  }
}

TEST(OncePerDayTest, ForgetsAllKeysPastItsBoundRatherThanGrow) {
  OncePerDay filter;
  const LocalTime day{2026, 12, 8, 2, 0, 0, 0};
  for (std::size_t n = 0; n < kOncePerDayKeys; ++n) ASSERT_TRUE(filter.First("k" + std::to_string(n), day));
  EXPECT_FALSE(filter.First("k0", day));
  EXPECT_TRUE(filter.First("one more", day));
  EXPECT_TRUE(filter.First("k0", day));  // said once more, memory stays bounded
}

}  // namespace
}  // namespace tarnwick
