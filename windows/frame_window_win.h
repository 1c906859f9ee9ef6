// The main frame's real window. It makes the status bar and the log edit, forwards
// messages and commands to MainFrame, and runs the tasks the worker hands over.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "app/main_frame.h"
#include "windows/status_bar_win.h"
#include "windows/tray_shell_win.h"
#include "windows/window_log_win.h"

namespace tarnwick {

// WS_OVERLAPPEDWINDOW plus the add-to-title flag that the frame has always carried.
constexpr DWORD kMainFrameStyle = 0x00CF8000;

class FrameWindow : public IFrameWindow {
 public:
  FrameWindow(HINSTANCE instance, Platform& platform, ServiceSettings service,
              IConfigurationDialog* configurationDialog);
  ~FrameWindow() override;
  FrameWindow(const FrameWindow&) = delete;
  FrameWindow& operator=(const FrameWindow&) = delete;

  // Creates the window with the menu, icon and title of resource `resourceId`;
  // false when a resource is missing or the window cannot be created.
  bool LoadFrame(unsigned resourceId, DWORD style);
  // Creates the window with the given title and menu (the window takes the menu).
  bool Create(const char* title, HMENU menu, DWORD style);
  // SW_SHOW and an immediate update, whose paint does the start-up work.
  void ShowAndUpdate();

  HWND Handle() const { return m_window.load(); }
  // The frame's state object; null once the window is gone.
  MainFrame* Frame() { return m_mainFrame.get(); }

  void Hide() override;
  void ShowAndActivate() override;
  unsigned SetTimer(unsigned id, unsigned milliseconds) override;
  void KillTimer(unsigned id) override;
  void Destroy() override;
  bool PostToUiThread(std::function<void()> task) override;
  void ShowMessageBox(const std::string& text) override;
  void CloseCycleMessageBoxes() override;

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnCreateWindow(HWND window);
  void OnSize(int width, int height);
  bool OnCommand(HWND window, unsigned id);
  void OnInitMenuPopup(HMENU menu);
  void OnNcDestroy(HWND window);
  void OnEndSession();
  void ReleaseWindowState();

  HINSTANCE m_instance;
  // The shell's broadcast after a new taskbar started; 0 when it could not be registered.
  const UINT m_taskbarCreated;
  IConfigurationDialog* m_configurationDialog;
  std::atomic<HWND> m_window{nullptr};  // read by the worker when it posts a task
  HFONT m_font = nullptr;
  bool m_ownsFont = false;
  StatusBarControl m_statusBar;
  WindowLogEdit m_windowLog;
  ShellTray m_tray;
  // Handlers may destroy the window (Exit); the state object then outlives the
  // destruction until the outermost handler has returned.
  int m_dispatchDepth = 0;
  bool m_releasePending = false;
  // Declared last so it goes first: its tray icon removes itself through m_tray.
  std::unique_ptr<MainFrame> m_mainFrame;
};

}  // namespace tarnwick
