// The program's one icon in the notification area.
#pragma once

#include <cstdint>
#include <mutex>

#include "platform/user_interface.h"

namespace tarnwick {

class TrayIcon {
 public:
  TrayIcon(ITrayShell& shell, unsigned id);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void AttachWindow(std::uintptr_t window, std::uint32_t callbackMessage);
  // Shows image and tip `resourceId`; 0 removes the icon. Safe from either thread.
  bool ShowIcon(unsigned resourceId);
  bool ApplyIcon(std::uintptr_t icon, const char* tip = nullptr);
  // The shell may have lost the icon (its taskbar restarted, or was not running yet):
  // offers the image and tip shown last again, the image loaded anew at the size the
  // system now asks for. True when the shell has the icon, or none is to be shown.
  bool Restore();
  // 1 when the mouse event was handled.
  int HandleCallback(std::uint32_t id, std::uint32_t event);

  TrayRecord Record() const;

 private:
  bool ApplyIconLocked(std::uintptr_t icon, const char* tip);

  ITrayShell& m_shell;
  mutable std::mutex m_lock;  // the worker and the user-interface thread both switch the icon
  TrayRecord m_record;
  // What the shell last accepted while the icon is shown.
  TrayRecord m_shown;
  // The image ShowIcon was last asked for; 0 once the icon was removed.
  unsigned m_resourceId = 0;
};

}  // namespace tarnwick
