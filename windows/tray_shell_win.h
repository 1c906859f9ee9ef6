// The notification area, the tray icons and tips, and the tray menu.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <map>
#include <mutex>
#include <utility>

#include "platform/user_interface.h"

namespace tarnwick {

// The shell record for `record`, sized as the original 88-byte ANSI layout so that
// every shell version reads exactly the fields the program fills.
NOTIFYICONDATAA ToNotifyIconData(const TrayRecord& record);

// Icon resource `id` drawn from its image nearest `size` pixels square; the caller
// destroys it. Null when there is no such resource.
HICON LoadIconOfSize(HINSTANCE instance, unsigned id, int size);

class ShellTray : public ITrayShell {
 public:
  explicit ShellTray(HINSTANCE instance) : m_instance(instance) {}
  ~ShellTray() override;
  ShellTray(const ShellTray&) = delete;
  ShellTray& operator=(const ShellTray&) = delete;

  bool Notify(TrayOperation operation, const TrayRecord& record) override;
  std::string LoadText(unsigned id) override;
  std::uintptr_t LoadIconImage(unsigned id) override;
  bool TrackMenu(unsigned menuId, std::uintptr_t window) override;
  bool SendDefaultCommand(unsigned menuId, std::uintptr_t window) override;

 private:
  HINSTANCE m_instance;
  // Each image at each size it was asked for, loaded once: the passes switch the
  // icon several times per file, for as long as the program runs.
  std::mutex m_iconsLock;
  std::map<std::pair<unsigned, int>, HICON> m_icons;
};

}  // namespace tarnwick
