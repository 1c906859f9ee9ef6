// The small dialog layer of the program's own dialogs: a modal dialog run from a
// numbered template with virtual handlers for its opening and its commands, and data
// exchange that moves the dialog's members to and from its controls in one fixed order.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>

#include "platform/user_interface.h"

namespace tarnwick {

// The module whose dialog templates and images the dialogs use: the running program's.
HINSTANCE DialogResourceModule();

enum class ExchangeDirection { ToControls, FromControls };

// One pass over a dialog's members. Once a control's text has been refused, the rest
// of the pass is skipped, so the members after it keep their values.
class DataExchange {
 public:
  DataExchange(HWND dialog, ExchangeDirection direction, IMessageBox* complaints);

  void Text(int controlId, std::string& value);
  // Shown and read as a decimal integer. Text that is not one is refused: the user is
  // told "Please enter an integer." and the field gets the focus with its text selected.
  void DecimalInteger(int controlId, std::int32_t& value);
  // 1 for a ticked box, 0 otherwise.
  void CheckBox(int controlId, int& value);

  bool Failed() const { return m_failed; }

 private:
  bool Skipped() const { return m_failed; }
  void Refuse(int controlId, const char* complaint);

  HWND m_dialog;
  ExchangeDirection m_direction;
  IMessageBox* m_complaints;
  bool m_failed = false;
};

class ModalDialog {
 public:
  // `complaints` tells the user about refused field texts; needed by dialogs with numbers.
  explicit ModalDialog(unsigned templateId, IMessageBox* complaints = nullptr);
  virtual ~ModalDialog();
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // Shows the dialog and returns when a handler ended it: IDOK, IDCANCEL, or -1 when
  // the template cannot be made into a window. The dialog has no parent; while it runs
  // it is owned by the thread's active window when that one is visible, which is kept
  // disabled meanwhile so that nothing reopens a dialog inside itself.
  INT_PTR RunModal();

  // The dialog's window while it runs, null otherwise.
  HWND Handle() const { return m_window; }

 protected:
  // Shows the members in the controls; TRUE lets the system put the focus.
  virtual BOOL OnInitDialog();
  // Commands other than IDOK and IDCANCEL; true when handled.
  virtual bool OnCommand(int controlId, int notifyCode, HWND control);
  // Notifications from common controls; true when handled.
  virtual bool OnNotify(const NMHDR& header);
  // Takes the members from the controls and ends with IDOK unless a text was refused.
  virtual void OnOK();
  virtual void OnCancel();
  // The window is going; its controls still exist.
  virtual void OnDestroy();
  // Names the members and their controls in the order they are exchanged.
  virtual void ExchangeFields(DataExchange& exchange);

  // Members from the controls; false when a control's text was refused.
  bool TakeFields();
  // Members into the controls.
  void ShowFields();
  void EndDialog(INT_PTR result);
  HWND Control(int controlId) const;
  // Moves the keyboard focus the way the Tab key would, so default buttons follow.
  void MoveFocusTo(int controlId);
  // Over the owner when it is visible and not minimised, else in the screen's work area.
  void CentreOverOwnerOrScreen();

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  unsigned m_templateId;
  IMessageBox* m_complaints;
  HWND m_window = nullptr;
};

}  // namespace tarnwick
