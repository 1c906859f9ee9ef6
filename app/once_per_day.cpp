#include "app/once_per_day.h"

namespace tarnwick {

bool OncePerDay::First(const std::string& key, const LocalTime& now) {
  const int date = (now.year * 100 + now.month) * 100 + now.day;
  if (date != m_date) {
    m_seen.clear();
    m_date = date;
  }
  if (m_seen.count(key) != 0) return false;
  if (m_seen.size() >= kOncePerDayKeys) m_seen.clear();
  m_seen.insert(key);
  return true;
}

}  // namespace tarnwick
