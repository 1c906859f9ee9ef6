#include "windows/message_box_win.h"

#include <windows.h>

#include "app/my_app.h"

namespace tarnwick {

void TitledMessageBox::Show(const std::string& text) {
  // No owner window: the worker thread may raise the box, and the frame is
  // hidden most of the time anyway.
  MessageBoxA(nullptr, text.c_str(), kApplicationTitle, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace tarnwick
