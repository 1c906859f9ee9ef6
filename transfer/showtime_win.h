// The dialog of the recording length probe (template 137).
#pragma once

#include <windows.h>

#include "res/resource.h"

namespace tarnwick {

// The probe holds one for each measurement and gives the window handle of its
// animation control to the media window as parent. The dialog window is never
// created, so that handle is null and the media window is a top-level window
// without owner.
class CShowtime {
 public:
  static constexpr int IDD = IDD_SHOWTIME;

  CShowtime();
  CShowtime(const CShowtime&) = delete;
  CShowtime& operator=(const CShowtime&) = delete;

  HWND GetAnimationControl() const { return m_animation; }

 private:
  // Control 1025 of the dialog window, bound only when that window exists.
  HWND m_animation;
};

}  // namespace tarnwick
