// The window log and the log file "Tarnwick.log" in the current directory.
#pragma once

#include <string>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/user_interface.h"

namespace tarnwick {

extern const char kLogFileName[];

// Line buffers of the log, terminator included; longer texts are cut to fit.
constexpr std::size_t kWindowLineBuffer = 100;
constexpr std::size_t kFileLineBuffer = 512;
constexpr std::size_t kTransferredLineBuffer = 100;

class ActivityLog {
 public:
  ActivityLog(IWindowLog& window, IFileSystem& files, IClock& clock);

  void LogToWindow(const std::string& text);
  void LogToFile(const std::string& text);
  void LogTransferred(const std::string& text);
  void LogStartBanner();

 private:
  IWindowLog& m_window;
  IFileSystem& m_files;
  IClock& m_clock;
};

// "[ 9: 5: 7] - a.wav Transferred", cut to its buffer.
std::string FormatTransferredLine(const LocalTime& time, const std::string& text);
// The C library's asctime layout without its line feed: "Tue Dec  8 05:08:53 2026".
std::string FormatAscTime(const LocalTime& time);
// A text followed by CR LF, the text cut so that both fit a buffer of `bufferSize`.
std::string LineForBuffer(const std::string& text, std::size_t bufferSize);

}  // namespace tarnwick
