// The media control window that measures recordings, on real wave files.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "windows/recording_length_win.h"

namespace tarnwick {
namespace {

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A mono 16-bit PCM recording of silence at 8000 samples a second.
std::string WaveBytes(unsigned milliseconds) {
  const std::uint32_t rate = 8000;
  const std::uint32_t dataSize = rate * milliseconds / 1000 * 2;
  std::string wave = "RIFF";
  PutLittleEndian(wave, 36 + dataSize, 4);
  wave += "WAVEfmt ";
  PutLittleEndian(wave, 16, 4);
  PutLittleEndian(wave, 1, 2);  // PCM
  PutLittleEndian(wave, 1, 2);  // mono
  PutLittleEndian(wave, rate, 4);
  PutLittleEndian(wave, rate * 2, 4);
  PutLittleEndian(wave, 2, 2);
  PutLittleEndian(wave, 16, 2);
  wave += "data";
  PutLittleEndian(wave, dataSize, 4);
  wave.append(dataSize, '\0');
  return wave;
}

// Presses OK on every dialog box that this process shows while it lives: the media
// window reports a file it cannot open in a message box of its own.
class DialogDismisser {
 public:
  DialogDismisser() : m_thread([this] { Run(); }) {}
  ~DialogDismisser() {
    m_stop = true;
    m_thread.join();
  }
  int Dismissed() const { return m_dismissed; }

 private:
  static BOOL CALLBACK Visit(HWND window, LPARAM self) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::string(className) == "#32770") {
      // Counted first: the measurement returns as soon as the box is gone.
      ++reinterpret_cast<DialogDismisser*>(self)->m_dismissed;
      PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    return TRUE;
  }
  void Run() {
    while (!m_stop) {
      EnumWindows(&Visit, reinterpret_cast<LPARAM>(this));
      Sleep(50);
    }
  }
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_dismissed{0};
  std::thread m_thread;
};

class RecordingLength : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    m_directory = std::string(temp) + "tarnwick recordings " + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(m_directory.c_str(), nullptr);
  }
  void TearDown() override {
    for (const auto& path : m_files) DeleteFileA(path.c_str());
    RemoveDirectoryA(m_directory.c_str());
  }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = m_directory + "\\" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    m_files.push_back(path);
    return path;
  }

  std::unique_ptr<IRecordingLength> media = MakeMciRecordingLength(GetModuleHandleA(nullptr));
  std::string m_directory;
  std::vector<std::string> m_files;
};

TEST_F(RecordingLength, WaveRecordingsAreMeasuredInMilliseconds) {
  DialogDismisser dismisser;
  EXPECT_EQ(media->MeasureMilliseconds(Write("a.wav", WaveBytes(2500))), 2500);
  EXPECT_EQ(media->MeasureMilliseconds(Write("short one.WAV", WaveBytes(400))), 400);
  EXPECT_EQ(media->MeasureMilliseconds(Write("long.Wav", WaveBytes(12400))), 12400);
  EXPECT_EQ(dismisser.Dismissed(), 0);
}

// The media window tells the user itself when it cannot open a file, and the
// program leaves it so.
TEST_F(RecordingLength, WhatCannotBeOpenedMeasuresZeroAfterTheMediaWindowsOwnMessage) {
  DialogDismisser dismisser;
  EXPECT_EQ(media->MeasureMilliseconds(Write("text.wav", std::string(4000, 'x'))), 0);
  EXPECT_EQ(dismisser.Dismissed(), 1);
  EXPECT_EQ(media->MeasureMilliseconds(m_directory + "\\missing.wav"), 0);
  EXPECT_EQ(dismisser.Dismissed(), 2);
  // Each measurement leaves nothing open behind it: the file can be replaced at once.
  const std::string path = Write("again.wav", WaveBytes(1000));
  EXPECT_EQ(media->MeasureMilliseconds(path), 1000);
  EXPECT_NE(DeleteFileA(path.c_str()), FALSE);
}

}  // namespace
}  // namespace tarnwick
