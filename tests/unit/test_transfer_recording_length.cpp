#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doubles/fake_ui.h"
#include "transfer/recording_length.h"

namespace tarnwick {
namespace {

using testing::FakeRecordingLength;

TEST(RecordingLength, OnlyWaveNamesAreMeasuredInSecondsWithFractions) {
  FakeRecordingLength media;
  for (const char* path : {"C:\\a.wav", "C:\\a.WAV", "C:\\a.Wav"}) media.lengths[path] = 1234;
  EXPECT_DOUBLE_EQ(GetRecordingLength(media, "C:\\a.wav"), 1.234);
  EXPECT_DOUBLE_EQ(GetRecordingLength(media, "C:\\a.WAV"), 1.234);
  EXPECT_DOUBLE_EQ(GetRecordingLength(media, "C:\\a.Wav"), 1.234);
  for (const char* path : {"C:\\a.wave", "C:\\a.wav.bak", "C:\\a", "C:\\my.dir\\recording", ".wav", "C:\\a.mp3"}) {
    media.lengths[path] = 5000;
    EXPECT_EQ(GetRecordingLength(media, path), 0.0) << path;
  }
  EXPECT_EQ(media.measured, (std::vector<std::string>{"C:\\a.wav", "C:\\a.WAV", "C:\\a.Wav"}));
  EXPECT_EQ(GetRecordingLength(media, "C:\\broken.wav"), 0.0);  // the media window answers 0
}

TEST(RecordingLength, LengthTextRoundsHalvesAwayFromZero) {
  const std::pair<double, const char*> cases[] = {{12.4, "12"}, {2.5, "3"},   {0.0, "0"},    {0.4, "0"},
                                                  {0.5, "1"},   {3.5, "4"},   {4.5, "5"},    {12.6, "13"},
                                                  {9999.5, "10000"}, {123456.789, "123457"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(LengthText(seconds), text) << seconds;
}

}  // namespace
}  // namespace tarnwick
