#include "windows/tray_shell_win.h"

#include <cstring>

namespace tarnwick {

namespace {

// A loaded menu resource, destroyed when the handler is done with it.
class LoadedMenu {
 public:
  LoadedMenu(HINSTANCE instance, unsigned id) : m_menu(LoadMenuA(instance, MAKEINTRESOURCEA(id))) {}
  ~LoadedMenu() {
    if (m_menu != nullptr) DestroyMenu(m_menu);
  }
  LoadedMenu(const LoadedMenu&) = delete;
  LoadedMenu& operator=(const LoadedMenu&) = delete;

  HMENU FirstPopup() const { return m_menu != nullptr ? GetSubMenu(m_menu, 0) : nullptr; }

 private:
  HMENU m_menu;
};

}  // namespace

HICON LoadIconOfSize(HINSTANCE instance, unsigned id, int size) {
  return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

ShellTray::~ShellTray() {
  for (const auto& entry : m_icons) DestroyIcon(entry.second);
}

NOTIFYICONDATAA ToNotifyIconData(const TrayRecord& record) {
  NOTIFYICONDATAA data;
  std::memset(&data, 0, sizeof data);
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = reinterpret_cast<HWND>(record.window);
  data.uID = record.id;
  data.uFlags = record.flags;
  data.uCallbackMessage = record.callbackMessage;
  data.hIcon = reinterpret_cast<HICON>(record.icon);
  static_assert(sizeof data.szTip >= sizeof record.tip, "the tip must fit the shell record");
  std::memcpy(data.szTip, record.tip, sizeof record.tip);
  data.szTip[sizeof record.tip - 1] = '\0';
  return data;
}

bool ShellTray::Notify(TrayOperation operation, const TrayRecord& record) {
  DWORD message = NIM_ADD;
  if (operation == TrayOperation::Modify) message = NIM_MODIFY;
  if (operation == TrayOperation::Delete) message = NIM_DELETE;
  NOTIFYICONDATAA data = ToNotifyIconData(record);
  return Shell_NotifyIconA(message, &data) != FALSE;
}

std::string ShellTray::LoadText(unsigned id) {
  char text[256];
  const int length = ::LoadStringA(m_instance, id, text, sizeof text);
  return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::uintptr_t ShellTray::LoadIconImage(unsigned id) {
  // The notification area's size: 16 pixels at 100 %, 20, 24, 32... as the display
  // is scaled up. Taken anew each time, since a new taskbar may come with a new scale.
  const int size = GetSystemMetrics(SM_CXSMICON);
  std::lock_guard<std::mutex> guard(m_iconsLock);
  HICON& icon = m_icons[{id, size}];
  if (icon == nullptr) icon = LoadIconOfSize(m_instance, id, size);
  return reinterpret_cast<std::uintptr_t>(icon);
}

bool ShellTray::TrackMenu(unsigned menuId, std::uintptr_t window) {
  LoadedMenu menu(m_instance, menuId);
  HMENU popup = menu.FirstPopup();
  if (popup == nullptr) return false;
  HWND owner = reinterpret_cast<HWND>(window);
  SetMenuDefaultItem(popup, 0, TRUE);
  POINT cursor;
  GetCursorPos(&cursor);
  // The owner must be in the foreground, or the menu would not close when the
  // user clicks elsewhere; the posted null message lets it close on the first click.
  SetForegroundWindow(owner);
  TrackPopupMenu(popup, TPM_LEFTBUTTON, cursor.x, cursor.y, 0, owner, nullptr);
  PostMessageA(owner, WM_NULL, 0, 0);
  return true;
}

bool ShellTray::SendDefaultCommand(unsigned menuId, std::uintptr_t window) {
  LoadedMenu menu(m_instance, menuId);
  HMENU popup = menu.FirstPopup();
  if (popup == nullptr) return false;
  const UINT command = GetMenuItemID(popup, 0);
  SendMessageA(reinterpret_cast<HWND>(window), WM_COMMAND, MAKEWPARAM(command, 0), 0);
  return true;
}

}  // namespace tarnwick
