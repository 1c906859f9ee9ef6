#include <gtest/gtest.h>

#include <algorithm>

#include "app/activity_log.h"
#include "doubles/fake_file_system.h"
#include "doubles/fake_ui.h"

namespace tarnwick {
namespace {

using testing::FakeClock;
using testing::FakeFileSystem;
using testing::FakeWindowLog;

struct ActivityLogTest : ::testing::Test {
  FakeWindowLog window;
  FakeFileSystem files;
  FakeClock clock;
  ActivityLog log{window, files, clock};

  std::string FileText() {
    const auto* entry = files.Find("Tarnwick.log");
    return entry ? entry->content : std::string();
  }
};

TEST_F(ActivityLogTest, BannerBlockStartsWithTwoEmptyLinesAndFramesTheTime) {
  clock.now = LocalTime{2026, 12, 8, 2, 5, 8, 53};
  log.LogStartBanner();
  const std::string rule(80, '=');
  EXPECT_EQ(FileText(), "\r\n\r\n" + rule + "\r\n[Tue Dec  8 05:08:53 2026] - Tessaro's Tarnwick Log Initialized\r\n" +
                            rule + "\r\n");
  // A restart appends a second block and keeps the first.
  log.LogStartBanner();
  EXPECT_EQ(FileText().size(), 2 * (4 + 82 + 63 + 2 + 82));
}

TEST_F(ActivityLogTest, AscTimeLayoutPadsTheDayWithABlankAndTheClockWithZeros) {
  EXPECT_EQ(FormatAscTime(LocalTime{1999, 1, 31, 0, 23, 59, 0}), "Sun Jan 31 23:59:00 1999");
  EXPECT_EQ(FormatAscTime(LocalTime{2024, 2, 9, 5, 7, 3, 9}), "Fri Feb  9 07:03:09 2024");
}

TEST_F(ActivityLogTest, TransferredLinePadsFieldsWithSpaces) {
  clock.now = LocalTime{2026, 3, 1, 0, 9, 5, 7};
  log.LogTransferred("a.wav");
  EXPECT_EQ(FileText(), "[ 9: 5: 7] - a.wav Transferred\r\n");
  EXPECT_EQ(FormatTransferredLine(LocalTime{2026, 3, 1, 0, 23, 45, 10}, "x"), "[23:45:10] - x Transferred");
}

TEST_F(ActivityLogTest, LongTextsAreCutAtTheirBuffersAndKeepTheLineEnd) {
  const std::string longName(300, 'n');
  log.LogToWindow(longName);
  EXPECT_EQ(window.text, std::string(97, 'n') + "\r\n");

  log.LogToFile(std::string(600, 'f'));
  EXPECT_EQ(FileText(), std::string(509, 'f') + "\r\n");

  files.RemoveFile("Tarnwick.log");
  log.LogTransferred(longName);
  const std::string line = FileText();
  EXPECT_EQ(line.size(), 99u + 2u);
  EXPECT_EQ(line.substr(0, 14), "[ 0: 0: 0] - n");
}

TEST_F(ActivityLogTest, WindowLinesAccumulateAndFileFailuresAreSilent) {
  log.LogToWindow("one");
  log.LogToWindow("");
  log.LogToWindow("two");
  EXPECT_EQ(window.text, "one\r\n\r\ntwo\r\n");

  files.appendFails.insert("TARNWICK.LOG");
  log.LogToFile("lost");
  EXPECT_EQ(FileText(), "");
}

TEST_F(ActivityLogTest, LeadingLinesToDropEndsAtALineStart) {
  struct Case {
    const char* text;
    std::size_t kept;
    std::size_t dropped;
  } const cases[] = {
      {"ab\r\ncd\r\n", 8, 0}, {"ab\r\ncd\r\n", 7, 4}, {"ab\r\ncd\r\n", 4, 4},
      {"ab\r\ncd\r\n", 3, 8}, {"ab\r\n\r\ncd\r\n", 5, 6}, {"", 0, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(LeadingLinesToDrop(c.text, c.kept), c.dropped) << c.text << " keeping " << c.kept;
}

TEST_F(ActivityLogTest, WindowLogStaysBoundedKeepsWholeLinesAndAlwaysTheNewestOne) {
  auto line = [](int n) { return "line " + std::to_string(n) + std::string(80, '.'); };
  int n = 0;
  while (window.text.size() < kWindowLogBound - 200) log.LogToWindow(line(n++));
  // The user clicked into the oldest line; lines go in there until it is dropped.
  window.caret = 3;
  for (int more = 0; more < 3000; ++more) {
    log.LogToWindow(line(n));
    ASSERT_LE(window.text.size(), kWindowLogBound);
    ASSERT_NE(window.text.find(line(n) + "\r\n"), std::string::npos) << "newest line missing";
    ++n;
  }
  EXPECT_EQ(window.text.compare(0, 5, "line "), 0);  // whole lines only
  EXPECT_GE(std::count(window.text.begin(), window.text.end(), '\n'), 1000);
  // Once the clicked-into text was dropped, lines go to the end again.
  EXPECT_EQ(window.text.substr(window.text.size() - line(n - 1).size() - 2), line(n - 1) + "\r\n");
}

}  // namespace
}  // namespace tarnwick
