#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "doubles/fake_file_system.h"
#include "transfer/sent_record.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

// A literal with its zero bytes.
template <std::size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

TEST(SentRecordTime, ReadableUtcTimeAndBack) {
  const struct {
    std::uint64_t ticks;
    const char* text;
  } cases[] = {
      {0, "1601-01-01 00:00:00.0000000 UTC"},
      {116444736000000000ULL, "1970-01-01 00:00:00.0000000 UTC"},
      {125963424000000000ULL, "2000-03-01 00:00:00.0000000 UTC"},
      {133537247990000000ULL + 9999999, "2024-02-29 23:59:59.9999999 UTC"},
      {134412528531234567ULL, "2026-12-09 01:20:53.1234567 UTC"},
      {0x7FFFFFFFFFFFFFFFULL, "30828-09-14 02:48:05.4775807 UTC"},  // the platform's own limit
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatFileTime(c.ticks), c.text);
    EXPECT_EQ(ParseFileTime(c.text), c.ticks) << c.text;
  }
  const std::uint64_t largest = std::numeric_limits<std::uint64_t>::max();
  EXPECT_EQ(ParseFileTime(FormatFileTime(largest)), largest);
}

TEST(SentRecordTime, TextsThatNameNoTimeAreTurnedAway) {
  for (const char* text :
       {"", "2026-12-09 01:20:53.1234567", "2026-12-09 01:20:53.123456 UTC", "2026-02-30 01:20:53.1234567 UTC",
        "2026-13-01 01:20:53.1234567 UTC", "2026-12-09 24:00:00.0000000 UTC", "2026-12-09 01:60:00.0000000 UTC",
        "2026-12-09T01:20:53.1234567 UTC", "+026-12-09 01:20:53.1234567 UTC", "1600-12-31 23:59:59.9999999 UTC",
        "60056-05-28 05:36:11.0000000 UTC", "99999-12-31 23:59:59.9999999 UTC", "2026-1-09 01:20:53.1234567 UTC   "}) {
    EXPECT_EQ(ParseFileTime(text), std::nullopt) << text;
  }
}

const SentEntry kA{"C:\\Dictation\\a.wav", FileStamp{4, 134412528531234567ULL}, "author7_a.wav"};
const SentEntry kB{"\\\\server\\share\\Dr M\xfcller\\b (1).dss",
                   FileStamp{std::numeric_limits<std::uint64_t>::max(), 0}, "author7_b (1).dss"};

TEST(SentRecordText, RoundTripOneLineEach) {
  const std::vector<std::vector<SentEntry>> cases = {{}, {kA}, {kA, kB}, {{"C:\\x.wav", FileStamp{}, ""}}};
  for (const auto& entries : cases) EXPECT_EQ(ParseSentRecord(SerializeSentRecord(entries)), entries);

  const std::string text = SerializeSentRecord({kA});
  EXPECT_EQ(text.substr(text.find("\r\n") + 2),
            "C:\\Dictation\\a.wav\t4\t2026-12-09 01:20:53.1234567 UTC\tauthor7_a.wav\r\n");
  EXPECT_EQ(text[0], '#');
  // A remote name never breaks its line.
  const SentEntry odd{"C:\\c.wav", FileStamp{1, 2}, "author\r\n\tc.wav"};
  EXPECT_EQ(ParseSentRecord(SerializeSentRecord({odd})),
            (std::vector<SentEntry>{{"C:\\c.wav", FileStamp{1, 2}, "author???c.wav"}}));
}

TEST(SentRecordText, TornAndGarbageLinesArePassedOver) {
  const std::string good = "C:\\Dictation\\a.wav\t4\t2026-12-09 01:20:53.1234567 UTC\tauthor7_a.wav\r\n";
  const std::string cases[] = {
      "C:\\Dictation\\b.wav\t4\t2026-12-09 01:20:53.1234567 UTC\tauthor7_b.wav",  // torn: no line end
      "C:\\Dictation\\b.wav\t4\t2026-12-09 01:2\n",                               // torn in its time
      "C:\\Dictation\\b.wav\t4\n",
      "\t4\t2026-12-09 01:20:53.1234567 UTC\tauthor7_b.wav\n",  // no path
      "C:\\b.wav\t-4\t2026-12-09 01:20:53.1234567 UTC\tauthor7_b.wav\n",
      "C:\\b.wav\t\t2026-12-09 01:20:53.1234567 UTC\tauthor7_b.wav\n",
      "C:\\b.wav\t18446744073709551616\t2026-12-09 01:20:53.1234567 UTC\tx\n",  // size beyond 64 bits
      "C:\\b.wav\t4\t2026-12-09 01:20:53.1234567 UTC\tx\textra\n",
      Bytes("C:\\b.wav\0\t4\t2026-12-09 01:20:53.1234567 UTC\tx\n"),  // a zero byte in the path
      "# C:\\b.wav\t4\t2026-12-09 01:20:53.1234567 UTC\tx\n",
      Bytes("\xff\xfe\x00\x01 garbage \x80\n\n\r\n"),
  };
  for (const std::string& garbage : cases) {
    EXPECT_EQ(ParseSentRecord(good + garbage), std::vector<SentEntry>{kA}) << garbage;
    EXPECT_EQ(ParseSentRecord(garbage + good),
              garbage.back() == '\n' ? std::vector<SentEntry>{kA} : std::vector<SentEntry>{})
        << garbage;
  }
  // Lines ended by a line feed alone, as an editor may leave them, count.
  EXPECT_EQ(ParseSentRecord("C:\\Dictation\\a.wav\t4\t2026-12-09 01:20:53.1234567 UTC\tauthor7_a.wav\n"),
            std::vector<SentEntry>{kA});
}

struct SentRecordFiles : ::testing::Test {
  FakeFileSystem files;
  SentRecordFiles() {
    files.AddDirectory("C:\\Dictation");
    files.AddFile("C:\\Dictation\\a.wav", "AAAA");
    files.AddFile("C:\\Dictation\\b.wav", "BB");
  }
  std::string Record() const {
    const FakeFileSystem::Entry* entry = files.Find(kSentRecordName);
    return entry == nullptr ? "(none)" : entry->content;
  }
};

TEST_F(SentRecordFiles, KeptAcrossRestartsUntilChangedOrGone) {
  {
    SentRecord record(files);
    record.Load();
    for (const SentEntry& entry : {SentEntry{"C:\\Dictation\\a.wav", FileStamp{4, 77}, "author7_a.wav"},
                                   SentEntry{"C:\\Dictation\\gone.wav", FileStamp{4, 1}, "author7_gone.wav"},
                                   SentEntry{"\\\\server\\offline\\c.wav", FileStamp{3, 1}, "author7_c.wav"}})
      ASSERT_TRUE(record.Add(entry));
  }
  EXPECT_FALSE(files.Exists(kSentRecordTemporaryName));
  SentRecord restarted(files);
  restarted.Load();
  const struct {
    const char* path;
    FileStamp stamp;
    bool held;
  } cases[] = {
      {"C:\\Dictation\\a.wav", FileStamp{4, 77}, true},
      {"c:\\dictation\\A.WAV", FileStamp{4, 77}, true},   // the platform's paths ignore letter case
      {"C:\\Dictation\\a.wav", FileStamp{5, 77}, false},  // grown
      {"C:\\Dictation\\a.wav", FileStamp{4, 78}, false},  // rewritten at the same size
      {"C:\\Dictation\\b.wav", FileStamp{4, 77}, false},
      {"C:\\Dictation\\gone.wav", FileStamp{4, 1}, false},    // gone: dropped
      {"\\\\server\\offline\\c.wav", FileStamp{3, 1}, true},  // its folder cannot be reached: it may be there
  };
  for (const auto& c : cases) EXPECT_EQ(restarted.Holds(c.path, c.stamp), c.held) << c.path;
  EXPECT_EQ(ParseSentRecord(Record()).size(), 2u);

  // Sent again after a change: the newer stamp replaces the older.
  ASSERT_TRUE(restarted.Add({"C:\\DICTATION\\a.wav", FileStamp{5, 80}, "author7_a.wav"}));
  EXPECT_EQ(ParseSentRecord(Record()),
            (std::vector<SentEntry>{{"C:\\DICTATION\\a.wav", FileStamp{5, 80}, "author7_a.wav"},
                                    {"\\\\server\\offline\\c.wav", FileStamp{3, 1}, "author7_c.wav"}}));

  // With every file gone, so is the record.
  files.RemoveFile("C:\\Dictation\\a.wav");
  files.AddDirectory("\\\\server\\offline");
  restarted.Load();
  EXPECT_EQ(Record(), "(none)");
}

TEST_F(SentRecordFiles, DamagedRecordNeverStopsTheRecording) {
  const struct {
    const char* damage;
    std::string content;
  } cases[] = {
      {"torn in its last line", "C:\\Dictation\\b.wav\t2\t1601-01-01 00:00:00.00"},
      {"larger than any record", std::string(kLongestSentRecord + 100, 'x')},
  };
  for (const auto& c : cases) {
    files.AddFile(kSentRecordName, c.content);
    SentRecord record(files);
    record.Load();
    EXPECT_FALSE(record.Holds("C:\\Dictation\\b.wav", FileStamp{2, 0})) << c.damage;
    ASSERT_TRUE(record.Add({"C:\\Dictation\\a.wav", FileStamp{4, 9}, "author7_a.wav"})) << c.damage;
    EXPECT_EQ(ParseSentRecord(Record()),
              (std::vector<SentEntry>{{"C:\\Dictation\\a.wav", FileStamp{4, 9}, "author7_a.wav"}}))
        << c.damage;
  }
}

TEST_F(SentRecordFiles, RecordThatCannotBeWrittenOrReadIsLeftAlone) {
  // The temporary file cannot be made: the record stays as it was.
  files.AddFile(kSentRecordName, SerializeSentRecord({{"C:\\Dictation\\b.wav", FileStamp{2, 1}, "author7_b.wav"}}));
  const std::string before = Record();
  files.createFails.insert("TARNWICK.SENT.TMP");
  SentRecord record(files);
  EXPECT_FALSE(record.Add({"C:\\Dictation\\a.wav", FileStamp{4, 9}, "author7_a.wav"}));
  EXPECT_EQ(Record(), before);
  EXPECT_TRUE(record.Holds("C:\\Dictation\\b.wav", FileStamp{2, 1}));

  // Held open by another program: not written over, lest its entries be lost.
  files.createFails.clear();
  files.lockedForWriting.insert("TARNWICK.SENT.TXT");
  record.Load();
  EXPECT_FALSE(record.Add({"C:\\Dictation\\a.wav", FileStamp{4, 9}, "author7_a.wav"}));
  EXPECT_EQ(Record(), before);
}

}  // namespace
}  // namespace tarnwick
