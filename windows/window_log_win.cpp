#include "windows/window_log_win.h"

#include <vector>

#include "app/activity_log.h"
#include "res/resource.h"

namespace tarnwick {

namespace {
// Child, visible, vertical scroll bar, multi-line, read-only.
constexpr DWORD kLogStyle = 0x50200804;
// Sent to the control itself: the steps of one insertion, run where the control lives.
constexpr UINT kInsertLine = WM_APP + 0x100;

WNDPROC g_editProcedure = nullptr;  // the same for every edit control

void InsertAtCaret(HWND window, const char* text) {
  // A start of -1 drops the selection and leaves the caret where the user put it;
  // the line goes in at the caret, which is the end unless the user clicked elsewhere.
  SendMessageA(window, EM_SETSEL, static_cast<WPARAM>(-1), 0);
  SendMessageA(window, EM_SCROLLCARET, 0, 0);
  SendMessageA(window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
  SendMessageA(window, EM_SCROLLCARET, 0, 0);
}

LRESULT CALLBACK LogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kInsertLine) {
    InsertAtCaret(window, reinterpret_cast<const char*>(lParam));
    return 0;
  }
  return CallWindowProcA(g_editProcedure, window, message, wParam, lParam);
}

}  // namespace

bool WindowLogEdit::Create(HWND frame, HINSTANCE instance, HFONT font) {
  m_window = CreateWindowExA(0, "EDIT", nullptr, kLogStyle, 0, 0, 0, 0, frame,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(ID_FIRST_PANE)), instance, nullptr);
  if (m_window == nullptr) return false;
  g_editProcedure =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LogProcedure)));
  SendMessageA(m_window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // The default limit of 30,000 characters would silently stop the log; the log
  // keeps itself well below this one.
  SendMessageA(m_window, EM_SETLIMITTEXT, kWindowLogControlLimit, 0);
  return true;
}

void WindowLogEdit::Insert(const std::string& text) {
  // Sent, so a call from the worker waits until the line is in. One message instead
  // of the four steps: each message between threads costs the worker round trips
  // to the Wine server, several per file of a pass.
  if (g_editProcedure == nullptr) {
    InsertAtCaret(m_window, text.c_str());  // the control could not be subclassed
    return;
  }
  SendMessageA(m_window, kInsertLine, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void WindowLogEdit::Clear() { SetWindowTextA(m_window, ""); }

std::size_t WindowLogEdit::Length() { return static_cast<std::size_t>(GetWindowTextLengthA(m_window)); }

std::string WindowLogEdit::Text() {
  std::vector<char> text(Length() + 1);
  const int copied = GetWindowTextA(m_window, text.data(), static_cast<int>(text.size()));
  return std::string(text.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

void WindowLogEdit::RemoveLeading(std::size_t count) {
  if (count == 0) return;
  DWORD start = 0;
  DWORD end = 0;
  SendMessageA(m_window, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  SendMessageA(m_window, EM_SETSEL, 0, static_cast<LPARAM>(count));
  SendMessageA(m_window, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
  const std::size_t caret = end >= count ? end - count : Length();
  SendMessageA(m_window, EM_SETSEL, static_cast<WPARAM>(caret), static_cast<LPARAM>(caret));
}

bool WindowLogEdit::HasContent() {
  if (SendMessageA(m_window, EM_GETLINECOUNT, 0, 0) > 1) return true;
  const LRESULT caretLineStart = SendMessageA(m_window, EM_LINEINDEX, static_cast<WPARAM>(-1), 0);
  return SendMessageA(m_window, EM_LINELENGTH, static_cast<WPARAM>(caretLineStart), 0) > 0;
}

}  // namespace tarnwick
