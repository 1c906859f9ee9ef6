#include "windows/frame_window_win.h"

#include <string>

#include "app/application.h"
#include "res/resource.h"
#include "windows/dialogs/shell_dialogs.h"

namespace tarnwick {

namespace {

const char kFrameClassName[] = "TarnwickFrame";
// Carries a task from PostToUiThread; the message's lParam owns it.
constexpr UINT kRunPostedTask = WM_APP + 1;

using PostedTask = std::function<void()>;

bool RegisterFrameClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXA frameClass = {};
  frameClass.cbSize = sizeof frameClass;
  frameClass.lpfnWndProc = procedure;
  frameClass.hInstance = instance;
  frameClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  frameClass.lpszClassName = kFrameClassName;
  return RegisterClassExA(&frameClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The window title is the resource string up to its first line feed.
std::string LoadTitle(HINSTANCE instance, unsigned id) {
  char text[256];
  const int length = LoadStringA(instance, id, text, sizeof text);
  std::string title(text, length > 0 ? static_cast<std::size_t>(length) : 0);
  return title.substr(0, title.find('\n'));
}

// 8 points at the screen's resolution.
HFONT CreateFallbackFont() {
  HDC screen = GetDC(nullptr);
  const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
}

BOOL CALLBACK CloseOwnedMessageBox(HWND window, LPARAM frame) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  // The frame owns nothing but the cycles' boxes, each with an OK button and
  // nothing else to decide; the configuration dialogs have no owner.
  if (GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(frame) && std::string(className) == "#32770")
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return TRUE;
}

// A program run as administrator hears nothing from the shell of a lower integrity
// level unless it lets the message in (Vista and later; nothing to do before).
void AllowFromTheShell(UINT message) {
  using MessageFilter = BOOL(WINAPI*)(UINT, DWORD);
  HMODULE user = GetModuleHandleA("user32.dll");
  FARPROC procedure = user != nullptr ? GetProcAddress(user, "ChangeWindowMessageFilter") : nullptr;
  if (procedure != nullptr && message != 0)
    reinterpret_cast<MessageFilter>(reinterpret_cast<void*>(procedure))(message, 1 /* MSGFLT_ADD */);
}

}  // namespace

FrameWindow::FrameWindow(HINSTANCE instance, Platform& platform, ServiceSettings service,
                         IConfigurationDialog* configurationDialog)
    : m_instance(instance),
      m_taskbarCreated(RegisterWindowMessageA("TaskbarCreated")),
      m_configurationDialog(configurationDialog),
      m_tray(instance),
      m_mainFrame(std::make_unique<MainFrame>(platform, std::move(service))) {}

FrameWindow::~FrameWindow() {
  if (HWND window = m_window.load()) DestroyWindow(window);
  ReleaseWindowState();
}

bool FrameWindow::LoadFrame(unsigned resourceId, DWORD style) {
  HMENU menu = LoadMenuA(m_instance, MAKEINTRESOURCEA(resourceId));
  HICON icon = LoadIconA(m_instance, MAKEINTRESOURCEA(resourceId));
  HANDLE smallIcon = LoadImageA(m_instance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                GetSystemMetrics(SM_CYSMICON), LR_SHARED);
  if (menu == nullptr || icon == nullptr) {
    if (menu != nullptr) DestroyMenu(menu);
    return false;
  }
  if (!Create(LoadTitle(m_instance, resourceId).c_str(), menu, style)) return false;
  SendMessageA(m_window.load(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(m_window.load(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
  return true;
}

bool FrameWindow::Create(const char* title, HMENU menu, DWORD style) {
  if (!RegisterFrameClass(m_instance, WindowProcedure)) {
    if (menu != nullptr) DestroyMenu(menu);
    return false;
  }
  HWND window = CreateWindowExA(0, kFrameClassName, title, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, nullptr, menu, m_instance, this);
  // A window that failed in WM_CREATE took its menu along; one never made did not.
  if (window == nullptr && menu != nullptr && IsMenu(menu)) DestroyMenu(menu);
  return window != nullptr;
}

void FrameWindow::ShowAndUpdate() {
  HWND window = m_window.load();
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
}

void FrameWindow::Hide() { ShowWindow(m_window.load(), SW_HIDE); }

void FrameWindow::ShowAndActivate() {
  HWND window = m_window.load();
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
}

unsigned FrameWindow::SetTimer(unsigned id, unsigned milliseconds) {
  // Without a window the system would make a thread timer that nobody handles.
  HWND window = m_window.load();
  if (window == nullptr) return 0;
  return static_cast<unsigned>(::SetTimer(window, id, milliseconds, nullptr));
}

void FrameWindow::KillTimer(unsigned id) { ::KillTimer(m_window.load(), id); }

void FrameWindow::Destroy() { DestroyWindow(m_window.load()); }

bool FrameWindow::PostToUiThread(std::function<void()> task) {
  auto owned = std::make_unique<PostedTask>(std::move(task));
  HWND window = m_window.load();
  // Once the window is gone there is nobody left to run the task; it is dropped.
  if (window == nullptr || !PostMessageA(window, kRunPostedTask, 0, reinterpret_cast<LPARAM>(owned.get())))
    return false;
  owned.release();
  return true;
}

void FrameWindow::ShowMessageBox(const std::string& text) {
  // Owned by the frame, so that it goes with the frame at Exit and has no taskbar
  // button of its own; topmost, because the frame is hidden and the box must not
  // open behind whatever the user works in. The foreground is asked for too; where
  // the system refuses it to a program in the background, topmost still shows it.
  MessageBoxA(m_window.load(), text.c_str(), kApplicationTitle,
              MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST | MB_SETFOREGROUND);
}

void FrameWindow::CloseCycleMessageBoxes() {
  HWND window = m_window.load();
  if (window != nullptr)
    EnumThreadWindows(GetCurrentThreadId(), CloseOwnedMessageBox, reinterpret_cast<LPARAM>(window));
}

void FrameWindow::OnEndSession() {
  m_mainFrame->OnExit();
  // Windows may end the process as soon as this message has been answered, so the
  // exit runs to its end here; the window's destruction leaves the quit message for
  // the main loop.
  MSG message;
  while (m_window.load() != nullptr && GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

LRESULT CALLBACK FrameWindow::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<FrameWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->m_window = window;
  }
  auto* self = reinterpret_cast<FrameWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  ++self->m_dispatchDepth;
  const LRESULT result = self->HandleMessage(window, message, wParam, lParam);
  if (--self->m_dispatchDepth == 0 && self->m_releasePending) self->ReleaseWindowState();
  return result;
}

LRESULT FrameWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == m_taskbarCreated && m_taskbarCreated != 0) {
    m_mainFrame->OnTaskbarCreated();
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      return OnCreateWindow(window);
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) OnSize(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(window, &paint);
      EndPaint(window, &paint);
      m_mainFrame->OnPaint();
      return 0;
    }
    case WM_TIMER:
      m_mainFrame->OnTimer(static_cast<unsigned>(wParam));
      return 0;
    case WM_CLOSE:
      if (m_mainFrame->OnClose()) DestroyWindow(window);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam != FALSE) OnEndSession();
      return 0;
    case kTrayCallbackMessage:
      return m_mainFrame->OnTrayNotify(static_cast<std::uint32_t>(wParam), static_cast<std::uint32_t>(lParam));
    case WM_COMMAND:
      if (OnCommand(window, LOWORD(wParam))) return 0;
      break;
    case WM_INITMENUPOPUP:
      if (HIWORD(lParam) == 0) OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
      return 0;
    case kRunPostedTask: {
      std::unique_ptr<PostedTask> task(reinterpret_cast<PostedTask*>(lParam));
      (*task)();
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      OnNcDestroy(window);
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT FrameWindow::OnCreateWindow(HWND window) {
  m_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (m_font == nullptr) {
    m_font = CreateFallbackFont();
    m_ownsFont = m_font != nullptr;
  }
  if (m_font == nullptr) return -1;
  if (!m_statusBar.Create(window, m_instance)) return -1;
  if (!m_windowLog.Create(window, m_instance, m_font)) return -1;
  AllowFromTheShell(m_taskbarCreated);
  const FrameWindows windows{*this, m_statusBar, m_windowLog, m_tray, reinterpret_cast<std::uintptr_t>(window)};
  return m_mainFrame->OnCreate(windows, m_configurationDialog) ? 0 : -1;
}

void FrameWindow::OnSize(int width, int height) {
  // The bar sits on the bottom edge; the log takes everything above it.
  const int barHeight = m_statusBar.Layout();
  const int logHeight = height > barHeight ? height - barHeight : 0;
  MoveWindow(m_windowLog.Handle(), 0, 0, width, logHeight, TRUE);
}

bool FrameWindow::OnCommand(HWND window, unsigned id) {
  switch (id) {
    case ID_OPEN:
      m_mainFrame->OnOpen();
      return true;
    case ID_EXIT:
      m_mainFrame->OnExit();
      return true;
    case ID_CONFIGURATION:
      m_mainFrame->OnConfiguration();
      return true;
    case ID_CHANGE_ICON:
      m_mainFrame->OnChangeIcon();
      return true;
    case ID_ERASE_LOG:
      // A disabled command does nothing, however it arrives.
      if (m_mainFrame->CanEraseLog()) m_mainFrame->OnEraseLog();
      return true;
    case ID_TRAY_NOTES:
      m_mainFrame->OnToggleNotes();
      return true;
    case ID_APP_EXIT:
      SendMessageA(window, WM_CLOSE, 0, 0);
      return true;
    case ID_APP_ABOUT:
      RunAboutBox();
      return true;
    default:
      return false;
  }
}

void FrameWindow::OnInitMenuPopup(HMENU menu) {
  EnableMenuItem(menu, ID_ERASE_LOG, MF_BYCOMMAND | (m_mainFrame->CanEraseLog() ? MF_ENABLED : MF_GRAYED));
  CheckMenuItem(menu, ID_TRAY_NOTES, MF_BYCOMMAND | (m_mainFrame->NotesChecked() ? MF_CHECKED : MF_UNCHECKED));
}

void FrameWindow::OnNcDestroy(HWND window) {
  m_window = nullptr;
  SetWindowLongPtrA(window, GWLP_USERDATA, 0);
  // Tasks still queued for the window would never run; free them. The quit
  // message that WM_DESTROY posted passes every filter, so it is put back.
  MSG message;
  bool quitTaken = false;
  int exitCode = 0;
  while (PeekMessageA(&message, window, kRunPostedTask, kRunPostedTask, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quitTaken = true;
      exitCode = static_cast<int>(message.wParam);
    } else {
      delete reinterpret_cast<PostedTask*>(message.lParam);
    }
  }
  if (quitTaken) PostQuitMessage(exitCode);
  m_releasePending = true;
}

void FrameWindow::ReleaseWindowState() {
  m_releasePending = false;
  m_mainFrame.reset();
  if (m_ownsFont) DeleteObject(m_font);
  m_font = nullptr;
  m_ownsFont = false;
}

}  // namespace tarnwick
