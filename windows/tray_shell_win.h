// The notification area, the tray icons and tips, and the tray menu.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "platform/user_interface.h"

namespace tarnwick {

// The shell record for `record`, sized as the original 88-byte ANSI layout so that
// every shell version reads exactly the fields the program fills.
NOTIFYICONDATAA ToNotifyIconData(const TrayRecord& record);

class ShellTray : public ITrayShell {
 public:
  explicit ShellTray(HINSTANCE instance) : m_instance(instance) {}

  bool Notify(TrayOperation operation, const TrayRecord& record) override;
  std::string LoadText(unsigned id) override;
  std::uintptr_t LoadIconImage(unsigned id) override;
  bool TrackMenu(unsigned menuId, std::uintptr_t window) override;
  bool SendDefaultCommand(unsigned menuId, std::uintptr_t window) override;

 private:
  HINSTANCE m_instance;
};

}  // namespace tarnwick
