// The program's one icon in the notification area.
#pragma once

#include <cstdint>
#include <mutex>

#include "platform/user_interface.h"

namespace tarnwick {

class CTrayIcon {
 public:
  CTrayIcon(ITrayShell& shell, unsigned id);
  ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  void AttachWindow(std::uintptr_t window, std::uint32_t callbackMessage);
  // Shows image and tip `resourceId`; 0 removes the icon. Safe from either thread.
  bool ShowIcon(unsigned resourceId);
  bool ApplyIcon(std::uintptr_t icon, const char* tip = nullptr);
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
};

}  // namespace tarnwick
