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

// The window log is bounded so that it never reaches the edit control's limit and
// stops taking lines: a line that would take it past kWindowLogBound first drops the
// oldest whole lines until at most kWindowLogKept characters are left, which holds
// over a thousand lines of at most kWindowLineBuffer characters.
constexpr std::size_t kWindowLogBound = 128000;
constexpr std::size_t kWindowLogKept = 110000;
// The edit control's own limit, set well above the bound.
constexpr std::size_t kWindowLogControlLimit = 1000000;

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
// How many leading characters of `text` to drop so that at most `kept` are left,
// ending the drop at the start of a line (after CR LF).
std::size_t LeadingLinesToDrop(const std::string& text, std::size_t kept);
// A text followed by CR LF, the text cut so that both fit a buffer of `bufferSize`.
std::string LineForBuffer(const std::string& text, std::size_t bufferSize);

}  // namespace tarnwick
