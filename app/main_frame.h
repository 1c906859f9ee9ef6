// The main frame: owner of the settings' working copy, the poll scheduler, the
// activity log and the tray icon. The Windows front end creates its window and
// forwards messages and commands to the handlers below.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>

#include "app/activity_log.h"
#include "app/tray_icon.h"
#include "config/configuration.h"
#include "platform/platform.h"
#include "transfer/cycle_host.h"
#include "transfer/internet_cancellation.h"

namespace tarnwick {

constexpr unsigned kPollTimerId = 1;
// While Exit waits for a cancelled worker to leave its cycle: how often it looks.
constexpr unsigned kExitTimerId = 2;
constexpr unsigned kExitTickMilliseconds = 100;
constexpr unsigned kFirstTickMilliseconds = 1500;
// While the notification area refuses the icon (the taskbar is not there yet, or is
// restarting): how often the icon is offered again, and how many times.
constexpr unsigned kTrayRetryTimerId = 3;
constexpr unsigned kTrayRetryMilliseconds = 2000;
constexpr int kTrayRetriesAllowed = 90;
// The largest period the system timer accepts.
constexpr unsigned kLongestTimerPeriod = 0x7FFFFFFF;
constexpr std::uint32_t kTrayCallbackMessage = 0x400;  // WM_USER

// Poll Time in minutes as a timer period, clamped instead of wrapping.
unsigned PollPeriodMilliseconds(std::int32_t pollMinutes);

class MainFrame : public CycleHost {
 public:
  MainFrame(Platform& platform, ServiceSettings service);
  ~MainFrame() override;

  // WM_CREATE, after the Windows side has made the status bar and the log edit.
  bool OnCreate(const FrameWindows& windows, IConfigurationDialog* configurationDialog);
  void OnPaint();
  void OnTimer(unsigned eventId);
  // WM_CLOSE: true when the window should really be destroyed now.
  bool OnClose();
  int OnTrayNotify(std::uint32_t id, std::uint32_t event);
  // The shell's "TaskbarCreated": a new taskbar holds none of the old one's icons.
  void OnTaskbarCreated();
  void OnOpen();
  // Also a logoff or shutdown that goes ahead (WM_ENDSESSION).
  void OnExit();
  void OnConfiguration();
  void OnChangeIcon();
  void OnEraseLog();
  bool CanEraseLog();
  void OnToggleNotes();
  bool NotesChecked() const { return m_showNotes != 0; }

  void LoadConfiguration();
  void StartPollCycle();

  // CycleHost, also used by the user-interface thread.
  void SetStatusText(const std::string& text) override;
  void LogToWindow(const std::string& text) override;
  void LogToFile(const std::string& text) override;
  void LogToFileOncePerDay(const std::string& kind, const std::string& path, const std::string& text) override;
  void LogTransferred(const std::string& text) override;
  bool ShowIcon(unsigned resourceId) override;
  // Any thread: in the log file at once, in a box of the user-interface thread later.
  void ShowMessage(const std::string& text) override;
  void ChangeIcon() override { OnChangeIcon(); }
  void StopScheduledPolling() override;
  void EndCycle() override;
  bool StopRequested() const override;

  bool Busy() const { return m_busy.load() != 0; }
  const Configuration& Settings() const { return m_config; }
  const ServiceSettings& Service() const { return m_service; }
  unsigned TimerInterval() const { return m_timerInterval; }
  unsigned TimerId() const { return m_timerId; }
  TrayIcon* Tray() { return m_trayIcon.get(); }

 private:
  void ArmPollingIfUnarmed();
  // After the tray icon was offered to the shell: ends the retries once it is taken,
  // arms them while it is refused, and gives up after the last one.
  void AfterTrayAdd(bool added);
  void StopTrayRetries();
  void WorkerFinished();
  void OnExitTick();
  void LookForTheWorkersEndSoon();
  // Whether a worker is still in a cycle, and what cancels its network waits.
  struct WorkerState {
    bool running = false;
    std::shared_ptr<InternetCancellation> cancellation;
  };
  WorkerState ReadWorkerState();
  void FinishExit();

  Platform& m_platform;
  ServiceSettings m_service;
  std::atomic<int> m_busy{0};
  Configuration m_config;
  std::atomic<std::int32_t> m_pollMinutes{0};
  unsigned m_timerId = 0;
  unsigned m_timerInterval = 0;
  // Set before the start-up work runs: a paint while its configuration dialog is
  // open (Open, a double click on the icon) must not run it a second time.
  bool m_startupBegun = false;
  // Counts loads that changed the author or password. A cycle whose author check
  // ran with older ones does not stop polling: the author may just have mended them.
  std::atomic<int> m_credentialsVersion{0};
  std::atomic<int> m_cycleCredentialsVersion{0};
  std::set<PasswordNote> m_passwordNotesLogged;

  IFrameWindow* m_frame = nullptr;
  IStatusBar* m_statusBar = nullptr;
  IWindowLog* m_windowLog = nullptr;
  IConfigurationDialog* m_configurationDialog = nullptr;
  std::unique_ptr<ActivityLog> m_log;
  std::unique_ptr<TrayIcon> m_trayIcon;
  std::atomic<int> m_idleIcon{1};
  bool m_trayRetryArmed = false;
  int m_trayRetries = 0;
  // The texts whose message box is waiting to be shown or open: one box per text.
  std::mutex m_boxLock;
  std::set<std::string> m_openBoxes;
  int m_exitRequested = 0;
  int m_showNotes = 1;

  // Exit and the worker's end meet here. The busy flag and m_workerRunning fall
  // together under this lock, so no second worker can start while the first one
  // is still on its way out.
  std::mutex m_exitLock;
  bool m_workerRunning = false;
  std::shared_ptr<InternetCancellation> m_cycleCancellation;
  std::atomic<bool> m_stopRequested{false};
};

}  // namespace tarnwick
