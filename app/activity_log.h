// The window log and the log file "Tarnwick.log" in the current directory.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "app/once_per_day.h"

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

// The log file is rotated before a line would take it past 10 MiB: it becomes
// "Tarnwick.1.log", the older ones move on to ".2" and ".3", the oldest is dropped,
// and a new file starts with the banner block. A rotation that fails (a file held by
// another program, a folder that denies renaming) leaves every line in the current
// file and is tried again with the next line.
constexpr std::uint64_t kLogFileBound = 10 * 1024 * 1024;
constexpr int kRotatedLogsKept = 3;

class ActivityLog {
 public:
  ActivityLog(IWindowLog& window, IFileSystem& files, IClock& clock, std::uint64_t fileBound = kLogFileBound);

  void LogToWindow(const std::string& text);
  void LogToFile(const std::string& text);
  // For a message that would come again every cycle for the same file (a file in
  // use, a path too long): the log file takes it once per `kind` and `path` a day.
  void LogToFileOncePerDay(const std::string& kind, const std::string& path, const std::string& text);
  void LogTransferred(const std::string& text);
  void LogStartBanner();

 private:
  // Both threads write the file; each of these runs under m_fileLock.
  void AppendLines(const std::string& lines, bool isBanner);
  bool RotateBefore(std::size_t incoming);
  bool MakeRoomFor(int generation);
  void Append(const std::string& lines);

  IWindowLog& m_window;
  IFileSystem& m_files;
  IClock& m_clock;
  const std::uint64_t m_fileBound;
  std::mutex m_fileLock;
  // The file's size as this log last knew it; asked of the file system at the first
  // line and whenever the count says the bound is reached (someone may have removed
  // or emptied the file meanwhile).
  std::uint64_t m_fileSize = 0;
  bool m_fileSizeKnown = false;
  OncePerDay m_oncePerDay;
};

// "Tarnwick.1.log" for generation 1.
std::string RotatedLogName(int generation);
// The start banner: two empty lines, the banner line between rows of equal signs.
std::string BannerBlock(const LocalTime& time);

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
