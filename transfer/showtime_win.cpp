#include "transfer/showtime_win.h"

namespace tarnwick {

CShowtime::CShowtime() : m_wndAnimate(nullptr) {}

}  // namespace tarnwick
