#include "windows/message_box_win.h"

#include <windows.h>

#include "app/program_names.h"

namespace tarnwick {

void TitledMessageBox::Show(const std::string& text) {
  // No owner window: start-up raises it before there is a frame, and the
  // configuration dialogs raise it from their own modal loop. The poll cycles'
  // boxes are the frame's own (FrameWindow::ShowMessageBox).
  MessageBoxA(nullptr, text.c_str(), kApplicationTitle, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace tarnwick
