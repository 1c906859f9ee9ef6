#include "app/activity_log.h"

#include <cstdio>

namespace tarnwick {

const char kLogFileName[] = "Tarnwick.log";

ActivityLog::ActivityLog(IWindowLog& window, IFileSystem& files, IClock& clock)
    : m_window(window), m_files(files), m_clock(clock) {}

std::string LineForBuffer(const std::string& text, std::size_t bufferSize) {
  // Room for CR, LF and the terminator; the line end is never the part that is lost.
  std::size_t room = bufferSize - 3;
  return text.substr(0, room) + "\r\n";
}

std::size_t LeadingLinesToDrop(const std::string& text, std::size_t kept) {
  if (text.size() <= kept) return 0;
  const std::size_t earliest = text.size() - kept;
  // The first line start at or after `earliest` follows the first line end that
  // begins two characters before it or later.
  const std::size_t lineEnd = text.find("\r\n", earliest >= 2 ? earliest - 2 : 0);
  return lineEnd == std::string::npos ? text.size() : lineEnd + 2;
}

void ActivityLog::LogToWindow(const std::string& text) {
  const std::string line = LineForBuffer(text, kWindowLineBuffer);
  // Trimmed before the insertion, so that the new line is never the one dropped.
  if (m_window.Length() + line.size() > kWindowLogBound)
    m_window.RemoveLeading(LeadingLinesToDrop(m_window.Text(), kWindowLogKept - line.size()));
  m_window.Insert(line);
}

void ActivityLog::LogToFile(const std::string& text) {
  // The file is held open only for this one line, so other programs may read or
  // remove it between lines; a line that cannot be written is dropped.
  m_files.AppendToFile(kLogFileName, LineForBuffer(text, kFileLineBuffer));
}

std::string FormatTransferredLine(const LocalTime& time, const std::string& text) {
  char line[kTransferredLineBuffer];
  std::snprintf(line, sizeof line, "[%2d:%2d:%2d] - %s Transferred", time.hour, time.minute, time.second,
                text.c_str());
  return line;
}

void ActivityLog::LogTransferred(const std::string& text) { LogToFile(FormatTransferredLine(m_clock.Now(), text)); }

std::string FormatAscTime(const LocalTime& time) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char text[64];
  std::snprintf(text, sizeof text, "%.3s %.3s %2d %.2d:%.2d:%.2d %d", kDays[(time.weekday % 7 + 7) % 7],
                kMonths[((time.month - 1) % 12 + 12) % 12], time.day, time.hour, time.minute, time.second,
                time.year);
  return text;
}

void ActivityLog::LogStartBanner() {
  const LocalTime now = m_clock.Now();
  const std::string rule(80, '=');
  LogToFile("\r\n");
  LogToFile(rule);
  LogToFile("[" + FormatAscTime(now) + "] - Tessaro's Tarnwick Log Initialized");
  LogToFile(rule);
}

}  // namespace tarnwick
