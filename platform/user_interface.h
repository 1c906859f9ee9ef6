// Narrow view of the windows that the portable core drives. The Windows front end
// implements these with a real frame, status bar, edit control and message boxes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tarnwick {

// Pane 0 of the status bar. Safe to call from the worker: the call waits until the
// user-interface thread has handled it.
class IStatusBar {
 public:
  virtual ~IStatusBar() = default;
  virtual void SetText(const std::string& text) = 0;
};

// The read-only edit control that holds the window log.
class IWindowLog {
 public:
  virtual ~IWindowLog() = default;
  // Inserts the text at the caret (after clearing any selection) and scrolls it into view.
  virtual void Insert(const std::string& text) = 0;
  virtual void Clear() = 0;
  // Whether the erase command has anything to erase.
  virtual bool HasContent() = 0;
  virtual std::size_t Length() = 0;
  virtual std::string Text() = 0;
  // Removes the first `count` characters. The caret stays on the text it was on, or
  // goes to the end when that text went.
  virtual void RemoveLeading(std::size_t count) = 0;
};

// Modal message box with OK, the exclamation icon and the application title.
class IMessageBox {
 public:
  virtual ~IMessageBox() = default;
  virtual void Show(const std::string& text) = 0;
};

// What the frame asks of its own window.
class IFrameWindow {
 public:
  virtual ~IFrameWindow() = default;
  virtual void Hide() = 0;
  virtual void ShowAndActivate() = 0;  // SW_SHOWNORMAL, then to the foreground
  // SetTimer with no callback procedure; 0 on failure.
  virtual unsigned SetTimer(unsigned id, unsigned milliseconds) = 0;
  virtual void KillTimer(unsigned id) = 0;
  // Really closes the window; the process ends when it is gone.
  virtual void Destroy() = 0;
  // Runs `task` on the user-interface thread later, without waiting; false when the
  // task was dropped (the window is gone).
  virtual bool PostToUiThread(std::function<void()> task) = 0;
  // A message box owned by this window and shown above all others; returns when the
  // user has closed it, or when Exit has. User-interface thread only.
  virtual void ShowMessageBox(const std::string& text) = 0;
  // Ends the message boxes of ShowMessageBox that are open, as if OK had been pressed.
  virtual void CloseCycleMessageBoxes() = 0;
};

// Starts the worker thread of a poll cycle (_beginthread on Windows).
class IThreadStarter {
 public:
  virtual ~IThreadStarter() = default;
  virtual bool Start(std::function<void()> body) = 0;
};

// The notification-area record in the shell's 88-byte ANSI layout.
struct TrayRecord {
  static constexpr std::uint32_t kRecordSize = 88;
  static constexpr std::uint32_t kFlagMessage = 0x1;
  static constexpr std::uint32_t kFlagIcon = 0x2;
  static constexpr std::uint32_t kFlagTip = 0x4;
  std::uint32_t size = 0;
  std::uintptr_t window = 0;
  std::uint32_t id = 0;
  std::uint32_t flags = 0;
  std::uint32_t callbackMessage = 0;
  std::uintptr_t icon = 0;
  char tip[64] = {};
};

enum class TrayOperation { Add = 0, Modify = 1, Delete = 2 };

// Shell_NotifyIconA, the resources it needs and the tray menu.
class ITrayShell {
 public:
  virtual ~ITrayShell() = default;
  virtual bool Notify(TrayOperation operation, const TrayRecord& record) = 0;
  virtual std::string LoadText(unsigned id) = 0;
  virtual std::uintptr_t LoadIconImage(unsigned id) = 0;
  // Shows menu resource `menuId`'s first pop-up at the cursor; false when it cannot be loaded.
  virtual bool TrackMenu(unsigned menuId, std::uintptr_t window) = 0;
  // Sends the command of the pop-up's first item to the window; false when the menu cannot be loaded.
  virtual bool SendDefaultCommand(unsigned menuId, std::uintptr_t window) = 0;
};

// The named kernel mutex that marks the first running instance.
class IInstanceMarker {
 public:
  virtual ~IInstanceMarker() = default;
  // Creates (and releases) the named mutex; true when another instance already made it.
  virtual bool AnotherInstanceRuns(const std::string& name) = 0;
};

}  // namespace tarnwick

namespace tarnwick {

// The configuration dialog, run modally with no parent.
class IConfigurationDialog {
 public:
  virtual ~IConfigurationDialog() = default;
  // `logToFile` keeps what the user must find in the log file later (a password
  // that could not be stored).
  virtual void Run(const std::function<void(const std::string&)>& logToFile) = 0;
};

}  // namespace tarnwick
