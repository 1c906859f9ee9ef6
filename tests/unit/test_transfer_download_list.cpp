#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "transfer/download_list.h"
#include "transfer/download_names.h"

namespace tarnwick {
namespace {

TEST(DownloadListReading, KeyedValues) {
  const std::string answer = "countoffiles=3<br>\r\nSourceDir = /pending/author7 rest<br>fileid_1=F 17";
  EXPECT_EQ(ReadKeyedValue(answer, "countoffiles", 255).value, "3");      // ends at the tag
  EXPECT_EQ(ReadKeyedValue(answer, "SourceDir", 99).value, "/pending/author7");  // blanks skipped, ends at a blank
  EXPECT_EQ(ReadKeyedValue(answer, "fileid_1", 255).value, "F");
  EXPECT_EQ(ReadKeyedValue("a=x\ry", "a", 255).value, "x");
  EXPECT_EQ(ReadKeyedValue("a=x\ny", "a", 255).value, "x");
  EXPECT_EQ(ReadKeyedValue("a:junk=  v", "a", 255).value, "v");  // whatever lies before the '='
  EXPECT_EQ(ReadKeyedValue("a=", "a", 255).result, ListRead::Found);
  EXPECT_EQ(ReadKeyedValue("a=", "a", 255).value, "");
  EXPECT_EQ(ReadKeyedValue("A=1", "a", 255).result, ListRead::KeyMissing);  // case-sensitive
  EXPECT_EQ(ReadKeyedValue("x a 1", "a", 255).result, ListRead::NoSeparator);
  // The first occurrence counts even when a later one would have a value.
  EXPECT_EQ(ReadKeyedValue("SourceDir<br>SourceDir=b", "SourceDir", 99).value, "b");
  EXPECT_EQ(ReadKeyedValue("x=1 a b=2", "a", 255).value, "2");
}

TEST(DownloadListReading, QuotedNames) {
  EXPECT_EQ(ReadQuotedValue("file_1=\"my file <1>=x.wav\"<br>", "file_1", 255).value, "my file <1>=x.wav");
  EXPECT_EQ(ReadQuotedValue("file_1=\"\"", "file_1", 255).value, "");
  EXPECT_EQ(ReadQuotedValue("file_1=x.wav", "file_1", 255).result, ListRead::NoSeparator);
  EXPECT_EQ(ReadQuotedValue("file_1=\"x.wav", "file_1", 255).result, ListRead::NoSeparator);
  EXPECT_EQ(ReadQuotedValue("file_2=\"x\"", "file_1", 255).result, ListRead::KeyMissing);
  // "file_1" also begins "file_12": an answer must list entry 1 first.
  EXPECT_EQ(ReadQuotedValue("file_1=\"one\" file_12=\"twelve\"", FileNameKey(1), 255).value, "one");
  EXPECT_EQ(ReadQuotedValue("file_12=\"twelve\" file_1=\"one\"", FileNameKey(1), 255).value, "twelve");
  EXPECT_EQ(FileNameKey(12), "file_12");
  EXPECT_EQ(FileIdKey(3), "fileid_3");
}

TEST(DownloadListReading, ValuesLongerThanTheirLimitAreRefusedNotShortened) {
  EXPECT_EQ(ReadQuotedValue("file_1=\"" + std::string(255, 'n') + "\"", "file_1", 255).result, ListRead::Found);
  EXPECT_EQ(ReadQuotedValue("file_1=\"" + std::string(256, 'n') + "\"", "file_1", 255).result, ListRead::TooLong);
  EXPECT_EQ(ReadKeyedValue("SourceDir=" + std::string(99, 'd'), "SourceDir", 99).result, ListRead::Found);
  EXPECT_EQ(ReadKeyedValue("SourceDir=" + std::string(100, 'd'), "SourceDir", 99).result, ListRead::TooLong);
}

TEST(DownloadListReading, CountReadsLikeAtoi) {
  EXPECT_EQ(ToCount("3"), 3);
  EXPECT_EQ(ToCount("x"), 0);
  EXPECT_EQ(ToCount(""), 0);
  EXPECT_EQ(ToCount("12abc"), 12);
  EXPECT_EQ(ToCount("\t+7"), 7);
  EXPECT_EQ(ToCount("-2"), -2);
  EXPECT_EQ(ToCount("-"), 0);
  EXPECT_EQ(ToCount("99999999999999999999"), INT_MAX);
  EXPECT_EQ(ToCount("-99999999999999999999"), INT_MIN);
}

TEST(DownloadList, EntriesAreReadAsWholePairsUpToTheFirstThatFails) {
  using Entries = std::vector<DownloadEntry>;
  const struct {
    const char* answer;
    int announced;
    Entries entries;
    ListRead result;
    bool idFailed;
  } cases[] = {
      {"file_1=\"a.wav\" fileid_1=7 file_2=\"b c.doc\"<br>fileid_2=8", 2, {{"a.wav", "7"}, {"b c.doc", "8"}},
       ListRead::Found, false},
      {"file_1=\"a.wav\" fileid_1=7 file_2=\"b.wav\" fileid_2=8", 1, {{"a.wav", "7"}}, ListRead::Found, false},
      {"file_1=\"a.wav\" fileid_1=7", 0, {}, ListRead::Found, false},
      {"file_1=\"a.wav\" fileid_1=7", 2, {{"a.wav", "7"}}, ListRead::KeyMissing, false},
      {"file_1=\"a.wav\" fileid_1=7 file_2=b.wav", 2, {{"a.wav", "7"}}, ListRead::NoSeparator, false},
      {"file_1=\"a.wav\"", 1, {}, ListRead::KeyMissing, true},
      {"file_1=\"a.wav\" fileid_1", 1, {}, ListRead::NoSeparator, true},
  };
  for (const auto& c : cases) {
    const DownloadEntries read = ReadDownloadEntries(c.answer, c.announced);
    EXPECT_EQ(read.entries, c.entries) << c.answer;
    EXPECT_EQ(read.result, c.result) << c.answer;
    EXPECT_EQ(read.idFailed, c.idFailed) << c.answer;
  }
  // A name or id too long for its buffer fails as that entry's.
  const std::string longId = "file_1=\"a\" fileid_1=" + std::string(256, 'i');
  EXPECT_EQ(ReadDownloadEntries(longId, 1).result, ListRead::TooLong);
  EXPECT_TRUE(ReadDownloadEntries(longId, 1).idFailed);
}

TEST(DownloadNames, OnlyBareNamesBecomeLocalPaths) {
  for (const char* name : {"a.wav", "my file.doc", "...x", "a..b", "~$x.rtf", "console.wav", "com0", "lpt10.txt"})
    EXPECT_TRUE(IsPlainFileName(name)) << name;
  for (const std::string& name : {std::string(""), std::string("."), std::string(".."), std::string("..\\x.wav"),
                                 std::string("a/b"), std::string("C:x.wav"), std::string("a\tb"),
                                 std::string("a\x7F"), std::string("a\0b", 3),
                                  std::string("CON"), std::string("nul.wav"), std::string("Com3.txt"),
                                  std::string("LPT9"), std::string("a.wav."), std::string("a.wav "),
                                  std::string("..."), std::string(" "), std::string("con .wav"),
                                  std::string("CONIN$"), std::string("conout$.txt"), std::string("com\xB9.wav")})
    EXPECT_FALSE(IsPlainFileName(name)) << PrintableName(name);
  EXPECT_EQ(PrintableName(std::string("a\r\n\0b", 5)), "a\\x0D\\x0A\\x00b");
}

TEST(DownloadNames, TemporaryFileNeverIsTheTarget) {
  EXPECT_EQ(TemporaryDownloadPath("C:\\d", "a.wav"), "C:\\d\\Tarnwick.download");
  EXPECT_EQ(TemporaryDownloadPath("C:\\d", "TARNWICK.DOWNLOAD"), "C:\\d\\Tarnwick.download~");
}

}  // namespace
}  // namespace tarnwick
