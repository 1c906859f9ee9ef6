#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer/ftp_replies.h"

namespace tarnwick {
namespace {

TEST(FtpReplies, CodeOfTheLastCodedLine) {
  const struct {
    const char* reply;
    int code;
  } cases[] = {
      {"", 0},
      {"Transfer complete", 0},
      {"226 Transfer complete.", 226},
      {"150 Opening.\r\n226 Transfer complete.\r\n", 226},
      {"150 Opening.\r\n451 Aborted.", 451},
      {"451 Aborted.\r\nno code here\r\n", 451},
      {"12", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(LastReplyCode(c.reply), c.code) << c.reply;
}

TEST(FtpReplies, SizeAnswers) {
  using Answer = RemoteSize::Answer;
  const struct {
    const char* reply;
    Answer answer;
    std::uint64_t bytes;
  } cases[] = {
      {"213 1234", Answer::Known, 1234},
      {"213 0\r\n", Answer::Known, 0},
      {"213 5000000000", Answer::Known, 5000000000ull},  // beyond 32 bits
      {"200 Type set.\r\n213 7", Answer::Known, 7},
      {"500 Unknown command.", Answer::Unsupported, 0},
      {"502 Command not implemented.", Answer::Unsupported, 0},
      {"504 Not for that parameter.", Answer::Unsupported, 0},
      {"550 No such file.", Answer::Failed, 0},
      {"200 Type set to: Binary.", Answer::Failed, 0},  // the SIZE reply never came
      {"150 Opening.", Answer::Failed, 0},
      {"", Answer::Failed, 0},
      {"213 12x", Answer::Failed, 0},
      {"213 ", Answer::Failed, 0},
      {"213 99999999999999999999", Answer::Failed, 0},  // overflows
  };
  for (const auto& c : cases) {
    const RemoteSize size = SizeFromReply(c.reply);
    EXPECT_EQ(size.answer, c.answer) << c.reply;
    EXPECT_EQ(size.bytes, c.bytes) << c.reply;
  }
}

TEST(FtpReplies, DirectoryNamedByPwd) {
  const struct {
    const char* reply;
    bool named;
    const char* directory;
  } cases[] = {
      {"257 \"/\" is the current directory.\r\n", true, "/"},
      {"257 \"/tessaro.example/dravouploads\"", true, "/tessaro.example/dravouploads"},
      {"257 \"/a \"\"quoted\"\" name\" is current.", true, "/a \"quoted\" name"},
      {"257-first\r\n257 \"/b\"\r\n", true, "/b"},
      {"257 \"\"", true, ""},
      {"257 \"/unclosed", false, ""},
      {"257 no quotes", false, ""},
      {"550 \"/x\" not allowed.", false, ""},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    std::string directory = "unchanged";
    EXPECT_EQ(DirectoryFromReply(c.reply, directory), c.named) << c.reply;
    EXPECT_EQ(directory, c.named ? c.directory : "unchanged") << c.reply;
  }
}

TEST(FtpReplies, ServerTextSplitsIntoLinesWithoutTheirBreaks) {
  const struct {
    const char* text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a.wav\r\nb.wav\r\n", {"a.wav", "b.wav"}},
      {"a.wav\nb.wav", {"a.wav", "b.wav"}},
      {"\r\n\r\nc.wav", {"", "", "c.wav"}},
      {"name with\rcarriage return\r\n", {"name with\rcarriage return"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ServerLines(c.text), c.lines) << c.text;
}

}  // namespace
}  // namespace tarnwick
