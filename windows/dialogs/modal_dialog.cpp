#include "windows/dialogs/modal_dialog.h"

#include <vector>

#include "config/decimal_integer.h"

namespace tarnwick {

namespace {

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(window, buffer.data(), length + 1);
  return std::string(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

// The window that a dialog without a parent is owned by while it runs.
HWND ActiveVisibleWindow() {
  HWND active = GetActiveWindow();
  return active != nullptr && IsWindowVisible(active) ? active : nullptr;
}

}  // namespace

HINSTANCE DialogResourceModule() { return GetModuleHandleA(nullptr); }

DataExchange::DataExchange(HWND dialog, ExchangeDirection direction, IMessageBox* complaints)
    : m_dialog(dialog), m_direction(direction), m_complaints(complaints) {}

void DataExchange::Text(int controlId, std::string& value) {
  if (Skipped()) return;
  if (m_direction == ExchangeDirection::ToControls)
    SetDlgItemTextA(m_dialog, controlId, value.c_str());
  else
    value = WindowText(GetDlgItem(m_dialog, controlId));
}

void DataExchange::DecimalInteger(int controlId, std::int32_t& value) {
  if (Skipped()) return;
  if (m_direction == ExchangeDirection::ToControls) {
    SetDlgItemTextA(m_dialog, controlId, std::to_string(value).c_str());
    return;
  }
  if (std::optional<std::int32_t> typed = ParseDecimalInteger(WindowText(GetDlgItem(m_dialog, controlId))))
    value = *typed;
  else
    Refuse(controlId, "Please enter an integer.");
}

void DataExchange::CheckBox(int controlId, int& value) {
  if (Skipped()) return;
  if (m_direction == ExchangeDirection::ToControls)
    CheckDlgButton(m_dialog, controlId, value != 0 ? BST_CHECKED : BST_UNCHECKED);
  else
    value = IsDlgButtonChecked(m_dialog, controlId) == BST_CHECKED ? 1 : 0;
}

void DataExchange::Refuse(int controlId, const char* complaint) {
  m_failed = true;
  if (m_complaints != nullptr) m_complaints->Show(complaint);
  // Focus the way the dialog manager moves it, which also selects an edit's text.
  SendMessageA(m_dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(m_dialog, controlId)), TRUE);
}

ModalDialog::ModalDialog(unsigned templateId, IMessageBox* complaints)
    : m_templateId(templateId), m_complaints(complaints) {}

ModalDialog::~ModalDialog() = default;

INT_PTR ModalDialog::RunModal() {
  return DialogBoxParamA(DialogResourceModule(), MAKEINTRESOURCEA(m_templateId), ActiveVisibleWindow(),
                         &ModalDialog::DialogProcedure, reinterpret_cast<LPARAM>(this));
}

BOOL ModalDialog::OnInitDialog() {
  ShowFields();
  return TRUE;
}

bool ModalDialog::OnCommand(int, int, HWND) { return false; }

bool ModalDialog::OnNotify(const NMHDR&) { return false; }

void ModalDialog::OnOK() {
  if (TakeFields()) EndDialog(IDOK);
}

void ModalDialog::OnCancel() { EndDialog(IDCANCEL); }

void ModalDialog::OnDestroy() {}

void ModalDialog::ExchangeFields(DataExchange&) {}

bool ModalDialog::TakeFields() {
  DataExchange exchange(m_window, ExchangeDirection::FromControls, m_complaints);
  ExchangeFields(exchange);
  return !exchange.Failed();
}

void ModalDialog::ShowFields() {
  DataExchange exchange(m_window, ExchangeDirection::ToControls, m_complaints);
  ExchangeFields(exchange);
}

void ModalDialog::EndDialog(INT_PTR result) { ::EndDialog(m_window, result); }

HWND ModalDialog::Control(int controlId) const { return GetDlgItem(m_window, controlId); }

void ModalDialog::MoveFocusTo(int controlId) {
  SendMessageA(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(controlId)), TRUE);
}

void ModalDialog::CentreOverOwnerOrScreen() {
  RECT area;
  HWND owner = GetWindow(m_window, GW_OWNER);
  if (owner == nullptr || !IsWindowVisible(owner) || IsIconic(owner) || !GetWindowRect(owner, &area))
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT own;
  GetWindowRect(m_window, &own);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  int left = area.left + (area.right - area.left - width) / 2;
  int top = area.top + (area.bottom - area.top - height) / 2;
  // Over a small or off-screen owner the dialog must still be reachable.
  RECT screen;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
  if (left + width > screen.right) left = screen.right - width;
  if (top + height > screen.bottom) top = screen.bottom - height;
  if (left < screen.left) left = screen.left;
  if (top < screen.top) top = screen.top;
  SetWindowPos(m_window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK ModalDialog::DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ModalDialog* dialog;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<ModalDialog*>(lParam);
    dialog->m_window = window;
    SetWindowLongPtrA(window, DWLP_USER, lParam);
  } else {
    dialog = reinterpret_cast<ModalDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  }
  // Messages before WM_INITDIALOG (the font, the sizes) find no object yet.
  if (dialog == nullptr) return FALSE;
  return dialog->HandleMessage(message, wParam, lParam);
}

INT_PTR ModalDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      HWND control = reinterpret_cast<HWND>(lParam);
      // Enter and Escape arrive as IDOK and IDCANCEL with no notification code.
      if (id == IDOK && code == BN_CLICKED) {
        OnOK();
        return TRUE;
      }
      if (id == IDCANCEL && code == BN_CLICKED) {
        OnCancel();
        return TRUE;
      }
      return OnCommand(id, code, control) ? TRUE : FALSE;
    }
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    case WM_NCDESTROY:
      SetWindowLongPtrA(m_window, DWLP_USER, 0);
      m_window = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace tarnwick
