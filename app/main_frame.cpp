#include "app/main_frame.h"

#include "res/resource.h"
#include "transfer/poll_cycle.h"

namespace tarnwick {

namespace {
const char kTitleStatus[] = "Dravo Upload Ulkin";
}

unsigned PollPeriodMilliseconds(std::int32_t pollMinutes) {
  if (pollMinutes <= 0) return 0;
  const unsigned long long period = static_cast<unsigned long long>(pollMinutes) * 60000ULL;
  return period > kLongestTimerPeriod ? kLongestTimerPeriod : static_cast<unsigned>(period);
}

MainFrame::MainFrame(Platform& platform, ServiceSettings service)
    : m_platform(platform), m_service(std::move(service)) {}

MainFrame::~MainFrame() = default;

bool MainFrame::OnCreate(const FrameWindows& windows, IConfigurationDialog* configurationDialog) {
  m_busy = 0;
  m_frame = &windows.frame;
  m_statusBar = &windows.statusBar;
  m_windowLog = &windows.windowLog;
  m_configurationDialog = configurationDialog;
  m_log = std::make_unique<ActivityLog>(windows.windowLog, m_platform.files, m_platform.clock);
  m_statusBar->SetText(kTitleStatus);
  m_trayIcon = std::make_unique<TrayIcon>(windows.tray, TRAY_ICON_ID);
  m_trayIcon->AttachWindow(windows.handle, kTrayCallbackMessage);
  m_idleIcon = 1;
  AfterTrayAdd(m_trayIcon->ShowIcon(IDI_IDLE));
  m_log->LogStartBanner();
  return true;
}

void MainFrame::OnPaint() {
  if (m_startupBegun || m_timerInterval != 0) return;
  m_startupBegun = true;
  m_frame->Hide();
  LoadConfiguration();
  if (m_config.showConfig != 0) OnConfiguration();
  // Exit may have been chosen from the tray while the dialog was open: the window
  // is gone, and a timer could only fail.
  if (m_exitRequested != 0) return;
  LoadConfiguration();
  m_timerInterval = kFirstTickMilliseconds;
  if (m_pollMinutes > 0) {
    m_timerId = m_frame->SetTimer(kPollTimerId, kFirstTickMilliseconds);
    if (m_timerId == 0) m_platform.messageBox.Show("No Automation Possible");
  }
}

void MainFrame::OnTimer(unsigned eventId) {
  if (eventId == kExitTimerId && m_exitRequested != 0) {
    OnExitTick();
    return;
  }
  if (eventId == kTrayRetryTimerId) {
    ++m_trayRetries;
    AfterTrayAdd(m_trayIcon->Restore());
    return;
  }
  if (m_busy != 0) {
    ShowIcon(IDI_BUSY);
    return;
  }
  const std::int32_t pollMinutes = m_pollMinutes;
  if (pollMinutes <= 0) return;
  SetStatusText("Polling Started ...");
  m_timerInterval = PollPeriodMilliseconds(pollMinutes);
  if (eventId == m_timerId) {
    m_frame->KillTimer(m_timerId);
    StartPollCycle();
    m_timerId = 0;
    m_timerId = m_frame->SetTimer(kPollTimerId, m_timerInterval);
  }
}

void MainFrame::StartPollCycle() {
  // After Exit (chosen while a configuration dialog was open) the frame is about to
  // be deleted; a worker started now would outlive it.
  if (m_exitRequested != 0) return;
  if (m_busy != 0) {
    SetStatusText(kTitleStatus);
    ShowIcon(IDI_BUSY);
    return;
  }
  // The cycle works on a copy of the settings, so a reload while it runs cannot
  // change what it sends.
  auto cycle = std::make_shared<PollCycle>(m_platform, *this, m_config, m_service);
  m_cycleCredentialsVersion = m_credentialsVersion.load();
  {
    std::lock_guard<std::mutex> guard(m_exitLock);
    m_busy = 3;
    m_workerRunning = true;
    m_cycleCancellation = cycle->Cancellation();
  }
  ShowIcon(IDI_BUSY);
  const bool started = m_platform.threads.Start([this, cycle]() {
    PollCycleThread(cycle.get());
    WorkerFinished();
  });
  if (!started) {
    WorkerFinished();
    LogToFile("Poll cycle could not be started; will retry at the next tick.");
    EndCycle();
  }
}

void MainFrame::OnConfiguration() {
  if (m_configurationDialog != nullptr)
    m_configurationDialog->Run([this](const std::string& text) { LogToFile(text); });
  LoadConfiguration();
  StartPollCycle();
  ArmPollingIfUnarmed();
}

// A Poll Time set above 0 after start-up (a new installation is configured with
// the program already running) would otherwise bring no scheduled cycle until the
// next start. A timer already armed keeps its period, so a changed Poll Time still
// counts from its next tick.
void MainFrame::ArmPollingIfUnarmed() {
  if (m_timerInterval == 0 || m_exitRequested != 0) return;  // start-up arms it
  if (m_timerId != 0 || m_pollMinutes <= 0) return;
  m_timerInterval = PollPeriodMilliseconds(m_pollMinutes);
  m_timerId = m_frame->SetTimer(kPollTimerId, m_timerInterval);
}

void MainFrame::LoadConfiguration() {
  const std::string author = m_config.author;
  const std::string password = m_config.password;
  const PasswordNote note = tarnwick::LoadConfiguration(m_platform.profile, m_platform.protection, m_config);
  // Every load finds the same trouble again; the log file hears of it once.
  if (note != PasswordNote::None && m_passwordNotesLogged.insert(note).second) LogToFile(PasswordNoteText(note));
  if (m_config.author != author || m_config.password != password) ++m_credentialsVersion;
  m_pollMinutes = m_config.pollMinutes;
}

bool MainFrame::OnClose() {
  if (m_exitRequested == 0) {
    m_frame->Hide();
    return false;
  }
  return true;
}

int MainFrame::OnTrayNotify(std::uint32_t id, std::uint32_t event) {
  return m_trayIcon ? m_trayIcon->HandleCallback(id, event) : 0;
}

void MainFrame::OnTaskbarCreated() {
  if (!m_trayIcon) return;
  m_trayRetries = 0;
  AfterTrayAdd(m_trayIcon->Restore());
}

void MainFrame::AfterTrayAdd(bool added) {
  if (added) {
    m_trayRetries = 0;
    StopTrayRetries();
    return;
  }
  if (m_trayRetries >= kTrayRetriesAllowed) {
    StopTrayRetries();
    // Polling goes on without the icon; a taskbar that starts later still gets it.
    LogToFile("The notification area did not take the tray icon.");
    return;
  }
  if (!m_trayRetryArmed) m_trayRetryArmed = m_frame->SetTimer(kTrayRetryTimerId, kTrayRetryMilliseconds) != 0;
}

void MainFrame::StopTrayRetries() {
  if (!m_trayRetryArmed) return;
  m_frame->KillTimer(kTrayRetryTimerId);
  m_trayRetryArmed = false;
}

void MainFrame::OnOpen() { m_frame->ShowAndActivate(); }

void MainFrame::OnExit() {
  if (m_exitRequested != 0) return;  // Exit, then the end of the session
  m_exitRequested = 1;
  StopTrayRetries();
  // A box still open would keep the frame's window, and with it the process.
  m_frame->CloseCycleMessageBoxes();
  const WorkerState worker = ReadWorkerState();
  if (!worker.running) {
    FinishExit();
    return;
  }
  // The worker still uses this frame: vanish from the user's view now, end what it
  // waits on, and close once it has left the cycle. Every network wait ends at the
  // cancellation, so that is a moment; whatever the worker was doing stays undone:
  // a file stays due, a download's temporary file goes, nothing is confirmed.
  m_stopRequested = true;
  if (m_trayIcon) m_trayIcon->ShowIcon(0);
  m_frame->Hide();
  LogToFile("Exit during a poll cycle; what it had begun is left for the next start.");
  if (worker.cancellation) worker.cancellation->Cancel();
  if (m_frame->SetTimer(kExitTimerId, kExitTickMilliseconds) == 0) LookForTheWorkersEndSoon();
}

MainFrame::WorkerState MainFrame::ReadWorkerState() {
  std::lock_guard<std::mutex> guard(m_exitLock);
  return WorkerState{m_workerRunning, m_cycleCancellation};
}

void MainFrame::OnExitTick() {
  if (ReadWorkerState().running) return;
  m_frame->KillTimer(kExitTimerId);
  FinishExit();
}

// Without a timer (the system refused one) Exit looks again through the window's
// own queue, which costs a few turns of the message loop until the cancelled
// worker has left.
void MainFrame::LookForTheWorkersEndSoon() {
  m_frame->PostToUiThread([this]() {
    if (ReadWorkerState().running) {
      LookForTheWorkersEndSoon();
    } else {
      FinishExit();
    }
  });
}

void MainFrame::WorkerFinished() {
  // Nothing of this frame is touched after the lock: Exit may delete it as soon as
  // it sees the worker gone.
  std::lock_guard<std::mutex> guard(m_exitLock);
  m_busy = 0;
  m_workerRunning = false;
  m_cycleCancellation.reset();
}

void MainFrame::FinishExit() {
  if (m_trayIcon) m_trayIcon->ShowIcon(0);
  m_frame->Destroy();
}

bool MainFrame::StopRequested() const { return m_stopRequested.load(); }

void MainFrame::OnChangeIcon() {
  const int idle = m_idleIcon.load() != 0 ? 0 : 1;
  m_idleIcon = idle;
  ShowIcon(idle != 0 ? IDI_IDLE : IDI_BUSY);
}

void MainFrame::OnEraseLog() {
  if (m_windowLog != nullptr) m_windowLog->Clear();
}

bool MainFrame::CanEraseLog() { return m_windowLog != nullptr && m_windowLog->HasContent(); }

void MainFrame::OnToggleNotes() { m_showNotes = m_showNotes != 0 ? 0 : 1; }

void MainFrame::SetStatusText(const std::string& text) {
  if (m_statusBar != nullptr) m_statusBar->SetText(text);
}

void MainFrame::LogToWindow(const std::string& text) {
  if (m_log) m_log->LogToWindow(text);
}

void MainFrame::LogToFile(const std::string& text) {
  if (m_log) m_log->LogToFile(text);
}

void MainFrame::LogToFileOncePerDay(const std::string& kind, const std::string& path, const std::string& text) {
  if (m_log) m_log->LogToFileOncePerDay(kind, path, text);
}

void MainFrame::LogTransferred(const std::string& text) {
  if (m_log) m_log->LogTransferred(text);
}

bool MainFrame::ShowIcon(unsigned resourceId) {
  // Once Exit has removed the icon, a late cycle step must not bring it back.
  if (m_stopRequested.load() && resourceId != 0) return false;
  return m_trayIcon ? m_trayIcon->ShowIcon(resourceId) : false;
}

void MainFrame::ShowMessage(const std::string& text) {
  LogToFile(text);
  {
    std::lock_guard<std::mutex> guard(m_boxLock);
    if (!m_openBoxes.insert(text).second) return;  // its box is still open
  }
  // The worker goes on at once: a box that waited for someone to press OK would
  // hold every later tick of an unattended machine.
  const bool posted = m_frame->PostToUiThread([this, text]() {
    if (m_exitRequested == 0) m_frame->ShowMessageBox(text);
    std::lock_guard<std::mutex> guard(m_boxLock);
    m_openBoxes.erase(text);
  });
  if (!posted) {
    std::lock_guard<std::mutex> guard(m_boxLock);
    m_openBoxes.erase(text);
  }
}

void MainFrame::StopScheduledPolling() {
  if (m_cycleCredentialsVersion.load() == m_credentialsVersion.load()) m_pollMinutes = 0;
}

void MainFrame::EndCycle() { ShowIcon(IDI_IDLE); }

}  // namespace tarnwick
