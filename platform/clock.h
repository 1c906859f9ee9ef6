#pragma once

namespace tarnwick {

struct LocalTime {
  int year = 1970;   // four digits
  int month = 1;     // 1..12
  int day = 1;       // 1..31
  int weekday = 4;   // 0 = Sunday
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class IClock {
 public:
  virtual ~IClock() = default;
  virtual LocalTime Now() = 0;
};

}  // namespace tarnwick
