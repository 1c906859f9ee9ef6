#include "app/activity_log.h"

#include <cstdio>

namespace tarnwick {

const char kLogFileName[] = "Tarnwick.log";

namespace {
const char kRotationFailed[] =
    "The log file could not be renamed to start a new one (another program holds a log file, or the folder "
    "denies renaming); lines go on into this file, and the next line tries again.";
}  // namespace

ActivityLog::ActivityLog(IWindowLog& window, IFileSystem& files, IClock& clock, std::uint64_t fileBound)
    : m_window(window), m_files(files), m_clock(clock), m_fileBound(fileBound) {}

std::string RotatedLogName(int generation) { return "Tarnwick." + std::to_string(generation) + ".log"; }

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
  std::lock_guard<std::mutex> guard(m_fileLock);
  AppendLines(LineForBuffer(text, kFileLineBuffer), false);
}

void ActivityLog::LogToFileOncePerDay(const std::string& kind, const std::string& path, const std::string& text) {
  std::lock_guard<std::mutex> guard(m_fileLock);
  // '|' cannot occur in a Windows path, so no two pairs make the same key.
  if (m_oncePerDay.First(kind + "|" + path, m_clock.Now())) AppendLines(LineForBuffer(text, kFileLineBuffer), false);
}

void ActivityLog::AppendLines(const std::string& lines, bool isBanner) {
  // A new file already starts with a banner of its own.
  if (RotateBefore(lines.size()) && isBanner) return;
  Append(lines);
}

bool ActivityLog::RotateBefore(std::size_t incoming) {
  if (!m_fileSizeKnown || m_fileSize + incoming > m_fileBound) {
    std::uint64_t size = 0;
    m_fileSize = m_files.FileSize(kLogFileName, size) ? size : 0;
    m_fileSizeKnown = true;
  }
  // An empty file takes even a line longer than the bound: a new file could not hold it either.
  if (m_fileSize == 0 || m_fileSize + incoming <= m_fileBound) return false;
  if (!MakeRoomFor(1) || !m_files.MoveReplacing(kLogFileName, RotatedLogName(1))) {
    // Nothing is lost: the lines go on into the current file.
    if (m_oncePerDay.First("log rotation|", m_clock.Now())) Append(LineForBuffer(kRotationFailed, kFileLineBuffer));
    return false;
  }
  m_fileSize = 0;
  Append(BannerBlock(m_clock.Now()));
  return true;
}

// Frees the name of `generation` by moving its file on to the next one, the last
// kept generation being replaced. Moves run from the oldest down, so a rotation
// that stops half way leaves a gap, not a lost file; the next one fills that gap
// first instead of pushing the older files on a second time.
bool ActivityLog::MakeRoomFor(int generation) {
  const std::string name = RotatedLogName(generation);
  if (generation >= kRotatedLogsKept || !m_files.FileExists(name)) return true;
  return MakeRoomFor(generation + 1) && m_files.MoveReplacing(name, RotatedLogName(generation + 1));
}

void ActivityLog::Append(const std::string& lines) {
  // The file is held open only for these lines, so other programs may read or
  // remove it between lines; lines that cannot be written are dropped.
  if (m_files.AppendToFile(kLogFileName, lines)) m_fileSize += lines.size();
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

std::string BannerBlock(const LocalTime& time) {
  const std::string rule(80, '=');
  std::string banner(1, '[');
  banner += FormatAscTime(time);
  banner += "] - Tessaro's Tarnwick Log Initialized";
  // The text CR LF and the line end LineForBuffer adds make two empty lines.
  return LineForBuffer("\r\n", kFileLineBuffer) + LineForBuffer(rule, kFileLineBuffer) +
         LineForBuffer(banner, kFileLineBuffer) + LineForBuffer(rule, kFileLineBuffer);
}

void ActivityLog::LogStartBanner() {
  std::lock_guard<std::mutex> guard(m_fileLock);
  AppendLines(BannerBlock(m_clock.Now()), true);
}

}  // namespace tarnwick
