#include "transfer/showtime_win.h"

namespace tarnwick {

CShowtime::CShowtime() : m_animation(nullptr) {}

}  // namespace tarnwick
