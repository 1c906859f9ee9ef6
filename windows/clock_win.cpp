#include "windows/clock_win.h"

#include <windows.h>

namespace tarnwick {

LocalTime LocalClock::Now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  LocalTime time;
  time.year = now.wYear;
  time.month = now.wMonth;
  time.day = now.wDay;
  time.weekday = now.wDayOfWeek;
  time.hour = now.wHour;
  time.minute = now.wMinute;
  time.second = now.wSecond;
  return time;
}

}  // namespace tarnwick
