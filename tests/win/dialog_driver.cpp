#include "tests/win/dialog_driver.h"

#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "windows/dialogs/modal_dialog.h"

namespace tarnwick::dialog_testing {

namespace {

constexpr UINT kTickMilliseconds = 40;
constexpr int kProbeTemplate = 110;

DialogScript* g_script = nullptr;

struct DialogSearch {
  std::string title;
  HWND found = nullptr;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<DialogSearch*>(context);
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (!IsWindowVisible(window) || std::string(className) != "#32770") return TRUE;
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  if (search->title != title) return TRUE;
  search->found = window;
  return FALSE;
}

BOOL CALLBACK CancelDialog(HWND window, LPARAM) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::string(className) == "#32770") PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  return TRUE;
}

std::string WindowText(HWND window) {
  std::vector<char> text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
  GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

}  // namespace

bool UseProgramResources() {
  return FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kProbeTemplate), MAKEINTRESOURCEA(5)) != nullptr;
}

DialogScript::DialogScript(std::chrono::milliseconds limit) : m_limit(limit) {}

DialogScript::~DialogScript() {
  if (m_timer != 0) KillTimer(nullptr, m_timer);
  if (g_script == this) g_script = nullptr;
}

DialogScript& DialogScript::Do(std::string what, std::function<void()> step) {
  m_steps.push_back({std::move(what), std::move(step), nullptr});
  return *this;
}

DialogScript& DialogScript::WaitFor(std::string what, std::function<bool()> condition) {
  m_steps.push_back({std::move(what), nullptr, std::move(condition)});
  return *this;
}

void DialogScript::Start() {
  g_script = this;
  m_started = std::chrono::steady_clock::now();
  m_timer = SetTimer(nullptr, 0, kTickMilliseconds, &DialogScript::OnTick);
}

std::string DialogScript::Pending() const {
  if (!m_stuckAt.empty()) return m_stuckAt;
  return m_steps.empty() ? std::string() : m_steps.front().what;
}

void CALLBACK DialogScript::OnTick(HWND, UINT, UINT_PTR, DWORD) {
  if (g_script != nullptr) g_script->Tick();
}

void DialogScript::Tick() {
  // A step that sends a message may let another tick in; it waits for the step.
  if (m_inStep) return;
  if (!m_stuckAt.empty() || std::chrono::steady_clock::now() - m_started > m_limit) {
    if (m_stuckAt.empty()) m_stuckAt = m_steps.empty() ? "(none)" : m_steps.front().what;
    m_steps.clear();
    EnumThreadWindows(GetCurrentThreadId(), CancelDialog, 0);
    return;
  }
  m_inStep = true;
  while (!m_steps.empty()) {
    Step& step = m_steps.front();
    if (step.condition) {
      if (!step.condition()) break;
      m_steps.pop_front();
      continue;
    }
    std::function<void()> action = std::move(step.action);
    m_steps.pop_front();
    action();
    break;
  }
  m_inStep = false;
}

HWND FindDialog(const std::string& title) {
  DialogSearch search{title};
  EnumThreadWindows(GetCurrentThreadId(), MatchDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string ControlText(HWND dialog, int controlId) { return WindowText(GetDlgItem(dialog, controlId)); }

void SetControlText(HWND dialog, int controlId, const std::string& text) {
  SetDlgItemTextA(dialog, controlId, text.c_str());
}

bool IsChecked(HWND dialog, int controlId) { return IsDlgButtonChecked(dialog, controlId) == BST_CHECKED; }

bool IsShown(HWND dialog, int controlId) {
  return (GetWindowLongPtrA(GetDlgItem(dialog, controlId), GWL_STYLE) & WS_VISIBLE) != 0;
}

void PressButton(HWND dialog, int controlId) { PostMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0); }

void ClickCheckBox(HWND dialog, int controlId) { SendMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0); }

std::vector<std::string> ListItems(HWND list) {
  std::vector<std::string> items;
  const int count = ListView_GetItemCount(list);
  for (int index = 0; index < count; ++index) {
    char text[MAX_PATH] = {};
    ListView_GetItemText(list, index, 0, text, MAX_PATH);
    items.push_back(text);
  }
  return items;
}

int FindListItem(HWND list, const std::string& text) {
  std::vector<std::string> items = ListItems(list);
  for (std::size_t index = 0; index < items.size(); ++index)
    if (items[index] == text) return static_cast<int>(index);
  return -1;
}

void DoubleClickListItem(HWND list, int index) {
  ListView_EnsureVisible(list, index, FALSE);
  RECT bounds = {};
  ListView_GetItemRect(list, index, &bounds, LVIR_LABEL);
  const LPARAM at = MAKELPARAM((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
  SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageA(list, WM_LBUTTONUP, 0, at);
}

void SelectListItem(HWND list, int index) {
  ListView_SetItemState(list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

std::string SelectedComboText(HWND combo) {
  const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return std::string();
  char text[MAX_PATH] = {};
  COMBOBOXEXITEMA item = {};
  item.mask = CBEIF_TEXT;
  item.iItem = selected;
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  if (SendMessageA(combo, CBEM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return text;
  SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text));
  return text;
}

bool SaveScreenshot(HWND window, const std::string& name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT area;
  if (!GetWindowRect(window, &area)) return false;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  // Read through the window's own DC: what it painted, frame included, even where
  // the display has not caught up yet.
  HDC screen = GetWindowDC(window);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, previous);

  BITMAPINFOHEADER header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(stride) * static_cast<DWORD>(height));
  const int lines = GetDIBits(memory, picture, 0, static_cast<UINT>(height), pixels.data(),
                              reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(window, screen);
  if (lines != height) return false;

  CreateDirectoryA("screenshots", nullptr);
  const std::string path = "screenshots\\" + name + ".bmp";
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  BITMAPFILEHEADER fileHeader = {};
  fileHeader.bfType = 0x4D42;  // "BM"
  fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
  fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(pixels.size());
  header.biSizeImage = static_cast<DWORD>(pixels.size());
  bool written = std::fwrite(&fileHeader, sizeof fileHeader, 1, file) == 1 &&
                 std::fwrite(&header, sizeof header, 1, file) == 1 &&
                 std::fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace tarnwick::dialog_testing
