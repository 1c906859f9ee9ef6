#include "windows/status_bar_win.h"

#include <commctrl.h>

#include "res/resource.h"

namespace tarnwick {

namespace {
// Child, visible, aligned to the bottom with a top border.
constexpr DWORD kStatusBarStyle = 0x50008200;
}  // namespace

bool StatusBarControl::Create(HWND frame, HINSTANCE instance) {
  m_window = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, kStatusBarStyle, 0, 0, 0, 0, frame,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_STANDARD_STATUS_BAR)), instance, nullptr);
  if (m_window == nullptr) return false;
  // Off the standard id, nothing but the program writes into the bar: no menu
  // prompts and no idle text replace what the program showed last.
  SetWindowLongPtrA(m_window, GWLP_ID, IDC_STATUSBAR);
  int stretchingPane = -1;
  SendMessageA(m_window, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&stretchingPane));
  return true;
}

int StatusBarControl::Layout() {
  if (m_window == nullptr) return 0;
  SendMessageA(m_window, WM_SIZE, 0, 0);
  RECT bounds;
  GetWindowRect(m_window, &bounds);
  return bounds.bottom - bounds.top;
}

void StatusBarControl::SetText(const std::string& text) {
  // Sent, not posted: a call from the worker waits until the bar shows the text.
  if (m_window != nullptr) SendMessageA(m_window, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace tarnwick
