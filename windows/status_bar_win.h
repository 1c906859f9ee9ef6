// The frame's one-pane status bar control.
#pragma once

#include <windows.h>

#include "platform/user_interface.h"

namespace tarnwick {

class StatusBarControl : public IStatusBar {
 public:
  // Creates the bar as a child of `frame`; false when the control cannot be made.
  bool Create(HWND frame, HINSTANCE instance);
  HWND Handle() const { return m_window; }
  // Lets the bar align itself to the frame's bottom edge; returns its height.
  int Layout();

  void SetText(const std::string& text) override;

 private:
  HWND m_window = nullptr;
};

}  // namespace tarnwick
