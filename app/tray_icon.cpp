#include "app/tray_icon.h"

#include <cstring>
#include <string>

namespace tarnwick {

namespace {

constexpr std::uint32_t kRightButtonUp = 0x205;
constexpr std::uint32_t kLeftButtonDoubleClick = 0x203;
constexpr std::uint32_t kFirstUserMessage = 0x400;

void CopyTip(char (&tip)[64], const std::string& text) {
  std::size_t length = text.size() < sizeof tip - 1 ? text.size() : sizeof tip - 1;
  std::memcpy(tip, text.data(), length);
  tip[length] = '\0';
}

bool SameRecord(const TrayRecord& a, const TrayRecord& b) {
  return a.window == b.window && a.id == b.id && a.flags == b.flags && a.callbackMessage == b.callbackMessage &&
         a.icon == b.icon && std::strcmp(a.tip, b.tip) == 0;
}

}  // namespace

TrayIcon::TrayIcon(ITrayShell& shell, unsigned id) : m_shell(shell) {
  m_record.size = TrayRecord::kRecordSize;
  m_record.id = id;
  CopyTip(m_record.tip, m_shell.LoadText(id));
}

TrayIcon::~TrayIcon() { ShowIcon(0); }

void TrayIcon::AttachWindow(std::uintptr_t window, std::uint32_t callbackMessage) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_record.window = window;
  // Callbacks below WM_USER would collide with the system's own messages.
  m_record.callbackMessage = (callbackMessage == 0 || callbackMessage >= kFirstUserMessage) ? callbackMessage : 0;
}

bool TrayIcon::ShowIcon(unsigned resourceId) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_resourceId = resourceId;
  if (resourceId == 0) return ApplyIconLocked(0, nullptr);
  CopyTip(m_record.tip, m_shell.LoadText(resourceId));
  return ApplyIconLocked(m_shell.LoadIconImage(resourceId), nullptr);
}

bool TrayIcon::ApplyIcon(std::uintptr_t icon, const char* tip) {
  std::lock_guard<std::mutex> guard(m_lock);
  return ApplyIconLocked(icon, tip);
}

bool TrayIcon::Restore() {
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_resourceId == 0) return true;
  const std::uintptr_t icon = m_shell.LoadIconImage(m_resourceId);
  m_record.icon = 0;  // an add, whatever the record says
  if (ApplyIconLocked(icon, nullptr)) return true;
  // A shell that kept the icon refuses to add it twice; a change then takes.
  m_record.icon = icon;
  m_shown = TrayRecord();
  return ApplyIconLocked(icon, nullptr);
}

bool TrayIcon::ApplyIconLocked(std::uintptr_t icon, const char* tip) {
  m_record.flags = 0;
  TrayOperation operation;
  if (icon != 0) {
    operation = m_record.icon != 0 ? TrayOperation::Modify : TrayOperation::Add;
    m_record.icon = icon;
    m_record.flags |= TrayRecord::kFlagIcon;
  } else {
    if (m_record.icon == 0) return true;
    operation = TrayOperation::Delete;
  }
  if (tip != nullptr) CopyTip(m_record.tip, tip);
  if (m_record.tip[0] != '\0') m_record.flags |= TrayRecord::kFlagTip;
  if (m_record.callbackMessage != 0 && m_record.window != 0) m_record.flags |= TrayRecord::kFlagMessage;
  // The passes switch the icon several times per file, often to the image already
  // shown; each call waits for the shell's process, and repeating what is shown
  // changes nothing the user can see.
  if (operation == TrayOperation::Modify && SameRecord(m_record, m_shown)) return true;
  bool succeeded = m_shell.Notify(operation, m_record);
  if (succeeded) m_shown = m_record;
  // After a failure the shell may not have the icon at all (taskbar restarted):
  // forgetting it makes the next change add it afresh.
  if (operation == TrayOperation::Delete || !succeeded) m_record.icon = 0;
  return succeeded;
}

int TrayIcon::HandleCallback(std::uint32_t id, std::uint32_t event) {
  std::uintptr_t window;
  unsigned menuId;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    if (id != m_record.id) return 0;
    window = m_record.window;
    menuId = m_record.id;
  }
  if (event == kRightButtonUp) return m_shell.TrackMenu(menuId, window) ? 1 : 0;
  if (event == kLeftButtonDoubleClick) return m_shell.SendDefaultCommand(menuId, window) ? 1 : 0;
  return 0;
}

TrayRecord TrayIcon::Record() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_record;
}

}  // namespace tarnwick
