#include <gtest/gtest.h>

#include "app/main_frame.h"
#include "doubles/fake_data_protection.h"
#include "doubles/fake_file_system.h"
#include "doubles/fake_profile.h"
#include "doubles/offline_internet.h"
#include "doubles/fake_ui.h"
#include "res/resource.h"
#include "transfer/internet_cancellation.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

class CountingDialog : public IConfigurationDialog {
 public:
  explicit CountingDialog(FakeProfile& profile) : m_profile(profile) {}
  void Run(const std::function<void(const std::string&)>& logToFile) override {
    ++runs;
    if (pollTimeToSave) m_profile.values[{"Author Details", "Poll Time"}] = *pollTimeToSave;
    if (!lineToLog.empty()) logToFile(lineToLog);
    if (whileOpen) whileOpen();
  }
  int runs = 0;
  std::function<void()> whileOpen;
  std::optional<std::int32_t> pollTimeToSave;
  std::string lineToLog;

 private:
  FakeProfile& m_profile;
};

// A web host that accepts the probe and never answers. The probe's call waits until
// the cancellation wakes it, as the transport's waits do, or, for a call that no
// cancellation reaches (local work, a slow system call), until the test lets it go.
class SilentWebHost : public IInternet {
 public:
  explicit SilentWebHost(bool closeEndsTheCall) : m_closeEndsTheCall(closeEndsTheCall) {}
  std::unique_ptr<IInternetHandle> Open(const std::string&) override { return std::make_unique<Handle>(*this); }
  std::unique_ptr<ITransferSession> CreateTransferSession() override { return nullptr; }

  void WaitUntilCalled() {
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [&]() { return m_called; });
  }
  void Release() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_released = true;
    m_changed.notify_all();
  }
  int closes = 0;

 private:
  class Handle : public IInternetHandle {
   public:
    explicit Handle(SilentWebHost& host) : m_host(host), m_cancellation(CurrentCancellation()) {
      m_cancellation->Register(this, [this]() { m_host.Close(); });
    }
    ~Handle() override {
      if (m_cancellation->Unregister(this)) m_host.Close();
    }
    void SetTimeouts(std::uint32_t) override {}  // silent for ever, whatever the time-out
    std::unique_ptr<IUrlReader> OpenUrl(const std::string&) override {
      if (!m_cancellation->Cancelled()) m_host.Wait();
      return nullptr;
    }

   private:
    SilentWebHost& m_host;
    std::shared_ptr<InternetCancellation> m_cancellation;
  };

  void Wait() {
    std::unique_lock<std::mutex> lock(m_lock);
    m_called = true;
    m_changed.notify_all();
    m_changed.wait(lock, [&]() { return m_released || (m_closed && m_closeEndsTheCall); });
  }
  void Close() {
    std::lock_guard<std::mutex> lock(m_lock);
    ++closes;
    m_closed = true;
    m_changed.notify_all();
  }

  const bool m_closeEndsTheCall;
  std::mutex m_lock;
  std::condition_variable m_changed;
  bool m_called = false;
  bool m_closed = false;
  bool m_released = false;
};

struct MainFrameTest : ::testing::Test {
  FakeProfile profile;
  FakeFileSystem files;
  OfflineInternet internet;
  FakeClock clock;
  FakeRecordingLength media;
  FakeMessageBox messages;
  FakeThreadStarter threads;
  FakeDataProtection protection;
  Platform platform{profile, files, internet, clock, media, messages, threads, protection};
  FakeFrameWindow frameWindow;
  FakeStatusBar statusBar;
  FakeWindowLog windowLog;
  FakeTrayShell tray;
  CountingDialog dialog{profile};
  std::unique_ptr<MainFrame> frame;

  void Create() {
    frame = std::make_unique<MainFrame>(platform, DefaultServiceSettings());
    ASSERT_TRUE(frame->OnCreate(FrameWindows{frameWindow, statusBar, windowLog, tray, 0x99}, &dialog));
  }
  void SetPollTime(std::int32_t minutes) { profile.values[{"Author Details", "Poll Time"}] = minutes; }
  TrayOperation LastTrayOperation() { return tray.calls.back().operation; }
  std::uintptr_t LastIcon() { return tray.calls.back().record.icon; }
};

TEST_F(MainFrameTest, CreationShowsTitleIdleIconAndBanner) {
  Create();
  EXPECT_EQ(statusBar.text, "Dravo Upload Ulkin");
  ASSERT_EQ(tray.calls.size(), 1u);
  EXPECT_EQ(tray.calls[0].operation, TrayOperation::Add);
  EXPECT_EQ(tray.calls[0].record.icon, 0x1000u + IDI_IDLE);
  EXPECT_EQ(tray.calls[0].record.callbackMessage, 0x400u);
  EXPECT_NE(files.Find("Tarnwick.log")->content.find("Tessaro's Tarnwick Log Initialized"), std::string::npos);
}

TEST_F(MainFrameTest, FirstPaintHidesLoadsAndArmsTheFirstTickOnce) {
  SetPollTime(5);
  Create();
  frame->OnPaint();
  EXPECT_FALSE(frameWindow.visible);
  EXPECT_EQ(frameWindow.timers, std::vector<unsigned>{1500});
  EXPECT_EQ(frame->TimerInterval(), 1500u);
  EXPECT_EQ(dialog.runs, 0);
  frame->OnPaint();  // later paints do nothing
  EXPECT_EQ(frameWindow.timers.size(), 1u);
}

TEST_F(MainFrameTest, NoPollTimeMeansNoTimerAndTicksDoNothing) {
  SetPollTime(0);
  Create();
  frame->OnPaint();
  EXPECT_TRUE(frameWindow.timers.empty());
  frame->OnTimer(kPollTimerId);
  EXPECT_TRUE(threads.pending.empty());
  SetPollTime(-3);
  frame->LoadConfiguration();
  frame->OnTimer(kPollTimerId);
  EXPECT_TRUE(threads.pending.empty());
}

TEST_F(MainFrameTest, TimerThatCannotBeSetAtStartUpSaysSo) {
  SetPollTime(5);
  frameWindow.failTimers = true;
  Create();
  frame->OnPaint();
  EXPECT_EQ(messages.shown, std::vector<std::string>{"No Automation Possible"});
}

TEST_F(MainFrameTest, TickStartsACycleAndRearmsAtPollTime) {
  SetPollTime(5);
  Create();
  frame->OnPaint();
  frame->OnTimer(kPollTimerId);
  EXPECT_EQ(statusBar.text, "Polling Started ...");
  EXPECT_TRUE(frame->Busy());
  EXPECT_EQ(LastIcon(), 0x1000u + IDI_BUSY);
  EXPECT_EQ(threads.pending.size(), 1u);
  EXPECT_EQ(frameWindow.killed, std::vector<unsigned>{1});
  EXPECT_EQ(frameWindow.timers, (std::vector<unsigned>{1500, 300000}));

  // A tick during the cycle only shows the busy icon, which is shown already, so
  // the shell is not asked again; an idle icon shown meanwhile is switched back.
  const std::size_t callsBefore = tray.calls.size();
  frame->OnTimer(kPollTimerId);
  EXPECT_EQ(threads.pending.size(), 1u);
  EXPECT_EQ(tray.calls.size(), callsBefore);
  frame->ShowIcon(IDI_IDLE);
  frame->OnTimer(kPollTimerId);
  EXPECT_EQ(threads.pending.size(), 1u);
  EXPECT_EQ(tray.calls.size(), callsBefore + 2);
  EXPECT_EQ(LastIcon(), 0x1000u + IDI_BUSY);

  threads.RunAll();  // the worker ends its cycle
  EXPECT_FALSE(frame->Busy());
  EXPECT_EQ(LastIcon(), 0x1000u + IDI_IDLE);
}

TEST_F(MainFrameTest, PollPeriodIsClampedInsteadOfWrapping) {
  EXPECT_EQ(PollPeriodMilliseconds(0), 0u);
  EXPECT_EQ(PollPeriodMilliseconds(-1), 0u);
  EXPECT_EQ(PollPeriodMilliseconds(1), 60000u);
  EXPECT_EQ(PollPeriodMilliseconds(35791), 2147460000u);
  EXPECT_EQ(PollPeriodMilliseconds(35792), 0x7FFFFFFFu);
  EXPECT_EQ(PollPeriodMilliseconds(0x7FFFFFFF), 0x7FFFFFFFu);

  SetPollTime(100000);
  Create();
  frame->OnPaint();
  frame->OnTimer(kPollTimerId);
  EXPECT_EQ(frameWindow.timers.back(), 0x7FFFFFFFu);
}

TEST_F(MainFrameTest, ShowConfigRunsTheDialogAndItsCycleBeforeTheTimer) {
  profile.values[{"Author Details", "Show Config"}] = std::int32_t{1};
  SetPollTime(0);
  dialog.pollTimeToSave = 2;
  Create();
  frame->OnPaint();
  EXPECT_EQ(dialog.runs, 1);
  EXPECT_EQ(threads.pending.size(), 1u);  // the cycle after the dialog
  EXPECT_EQ(frameWindow.timers, std::vector<unsigned>{1500});  // the Poll Time saved in the dialog counts
}

TEST_F(MainFrameTest, PollTimeSetAfterStartUpArmsTheTimerOnceAndAnArmedTimerKeepsItsPeriod) {
  SetPollTime(0);
  Create();
  frame->OnPaint();
  EXPECT_TRUE(frameWindow.timers.empty());
  dialog.pollTimeToSave = 2;
  frame->OnConfiguration();
  EXPECT_EQ(frameWindow.timers, std::vector<unsigned>{120000});
  threads.RunAll();
  frame->OnTimer(frame->TimerId());
  EXPECT_EQ(threads.pending.size(), 1u);  // scheduled polling without a restart
  threads.RunAll();
  dialog.pollTimeToSave = 7;
  frame->OnConfiguration();  // armed already: the new Poll Time counts from the next tick
  EXPECT_EQ(frameWindow.timers, (std::vector<unsigned>{120000, 120000}));
}

TEST_F(MainFrameTest, ConfigurationWhileACycleRunsStartsNoSecondOne) {
  Create();
  frame->OnPaint();
  frame->OnConfiguration();
  EXPECT_EQ(threads.pending.size(), 1u);
  frame->OnConfiguration();
  EXPECT_EQ(dialog.runs, 2);
  EXPECT_EQ(threads.pending.size(), 1u);
  EXPECT_EQ(statusBar.text, "Dravo Upload Ulkin");
}

TEST_F(MainFrameTest, WorkerThatCannotStartLeavesTheFrameIdleForTheNextTick) {
  SetPollTime(1);
  Create();
  frame->OnPaint();
  threads.refuse = true;
  frame->OnTimer(kPollTimerId);
  EXPECT_FALSE(frame->Busy());
  EXPECT_EQ(LastIcon(), 0x1000u + IDI_IDLE);
  EXPECT_NE(files.Find("Tarnwick.log")->content.find("could not be started"), std::string::npos);
  threads.refuse = false;
  frame->OnTimer(kPollTimerId);
  EXPECT_EQ(threads.pending.size(), 1u);
}

TEST_F(MainFrameTest, FailedAuthorCheckStopsTicksUntilTheNextLoad) {
  SetPollTime(1);
  Create();
  frame->OnPaint();
  frame->StopScheduledPolling();
  frame->OnTimer(kPollTimerId);
  EXPECT_TRUE(threads.pending.empty());
  frame->OnConfiguration();  // reloads the stored Poll Time and starts a cycle
  threads.RunAll();
  frame->OnTimer(frame->TimerId());
  EXPECT_EQ(threads.pending.size(), 1u);
}

TEST_F(MainFrameTest, CloseHidesUnlessExitWasChosen) {
  Create();
  frameWindow.visible = true;
  EXPECT_FALSE(frame->OnClose());
  EXPECT_FALSE(frameWindow.visible);
  frame->OnOpen();
  EXPECT_TRUE(frameWindow.visible);
  frame->OnExit();
  EXPECT_TRUE(frameWindow.destroyed);
  EXPECT_EQ(LastTrayOperation(), TrayOperation::Delete);
  EXPECT_TRUE(frame->OnClose());
}

TEST_F(MainFrameTest, WithoutATimerExitLooksForTheWorkersEndThroughTheWindowsQueue) {
  Create();
  frame->OnPaint();
  frame->OnConfiguration();
  ASSERT_TRUE(frame->Busy());
  frameWindow.failTimers = true;
  frame->OnExit();
  frameWindow.RunPosted();  // the worker has not left yet: another look is queued
  EXPECT_FALSE(frameWindow.destroyed);
  EXPECT_EQ(frameWindow.posted.size(), 1u);
  threads.RunAll();
  frameWindow.RunPosted();
  EXPECT_TRUE(frameWindow.destroyed);
}

TEST_F(MainFrameTest, ExitDuringACycleWaitsForTheWorkerAndStopsIt) {
  Create();
  frame->OnPaint();
  frame->OnConfiguration();
  ASSERT_TRUE(frame->Busy());
  frameWindow.visible = true;
  frame->OnExit();
  EXPECT_FALSE(frameWindow.destroyed);  // the worker still uses the frame
  EXPECT_FALSE(frameWindow.visible);
  EXPECT_EQ(LastTrayOperation(), TrayOperation::Delete);
  EXPECT_TRUE(frame->StopRequested());

  // What the cycle waits on is ended: its message boxes, and (by the cancellation)
  // its Internet handles; Exit then looks for the worker's end.
  EXPECT_EQ(frameWindow.messageBoxClosings, 1);
  EXPECT_EQ(frameWindow.timers.back(), kExitTickMilliseconds);

  threads.RunAll();
  // The cycle's own idle icon must not bring the icon back after Exit removed it.
  EXPECT_EQ(LastTrayOperation(), TrayOperation::Delete);
  EXPECT_FALSE(frameWindow.destroyed);
  frame->OnTimer(kExitTimerId);
  EXPECT_TRUE(frameWindow.destroyed);
}

TEST_F(MainFrameTest, StartUpWorkRunsOnceWhenThePaintComesWhileItsDialogIsOpen) {
  profile.values[{"Author Details", "Show Config"}] = std::int32_t{1};
  SetPollTime(5);
  Create();
  // Open from the tray shows the frame, whose paint arrives while the dialog runs.
  dialog.whileOpen = [&]() {
    frame->OnOpen();
    frame->OnPaint();
  };
  frame->OnPaint();
  EXPECT_EQ(dialog.runs, 1);
  EXPECT_EQ(frameWindow.timers, std::vector<unsigned>{1500});
}

TEST_F(MainFrameTest, AFailedAuthorCheckWithOlderCredentialsThanTheLoadedOnesKeepsPolling) {
  for (const bool passwordMended : {false, true}) {
    SCOPED_TRACE(passwordMended ? "password mended during the cycle" : "nothing changed");
    threads.pending.clear();
    profile.values[{"Author Details", "Password"}] = std::string("wrong");
    SetPollTime(1);
    Create();
    frame->OnPaint();
    frame->OnTimer(kPollTimerId);  // the cycle checks the author with "wrong"
    if (passwordMended) {  // as IT staff replace a password: a plain one, the sealed one removed
      profile.values[{"Author Details", "Password"}] = std::string("right");
      profile.values.erase({"Author Details", "Password Protected"});
    }
    frame->LoadConfiguration();  // the Configuration dialog closes while the cycle runs
    frame->StopScheduledPolling();  // that cycle's author check failed
    threads.RunAll();
    frame->OnTimer(frame->TimerId());
    EXPECT_EQ(threads.pending.size(), passwordMended ? 1u : 0u);
  }
}

TEST_F(MainFrameTest, AStoredPasswordThatCannotBeReadIsInTheLogFileOnceAndTheDialogsLinesToo) {
  profile.values[{"Author Details", "Password Protected"}] = FakeProfile::Bytes{FakeDataProtection::Seal("other", "x")};
  dialog.lineToLog = "what the dialog could not save";
  Create();
  frame->OnPaint();  // loads twice
  frame->OnConfiguration();
  const std::string log = files.Find("Tarnwick.log")->content;
  const std::string note = PasswordNoteText(PasswordNote::Unreadable);
  ASSERT_NE(log.find(note), std::string::npos);
  EXPECT_EQ(log.find(note, log.find(note) + 1), std::string::npos);
  EXPECT_NE(log.find("what the dialog could not save"), std::string::npos);
}

TEST_F(MainFrameTest, AStartInTheGapBetweenTheCyclesEndAndItsThreadsEndLeavesExitWaitingRight) {
  Create();
  frame->OnPaint();
  frame->OnConfiguration();
  // A tick or the Configuration command that comes when the worker shows its idle
  // icon, the cycle's last step, must still find the frame busy: the worker thread
  // has not left, and a second worker started now would be one that Exit misses.
  std::vector<bool> busyAtIdleIcon;
  tray.onNotify = [&](const TrayRecord& record) {
    if (record.icon == 0x1000u + IDI_IDLE) busyAtIdleIcon.push_back(frame->Busy());
  };
  threads.RunAll();
  tray.onNotify = nullptr;
  EXPECT_EQ(busyAtIdleIcon, std::vector<bool>{true});
  EXPECT_FALSE(frame->Busy());
  // A cycle started now is one that Exit waits for.
  frame->StartPollCycle();
  ASSERT_EQ(threads.pending.size(), 1u);
  frame->OnExit();
  EXPECT_FALSE(frameWindow.destroyed);
  threads.RunAll();
  frame->OnTimer(kExitTimerId);
  EXPECT_TRUE(frameWindow.destroyed);
}

TEST_F(MainFrameTest, ChangeIconEraseAndNotesCommands) {
  Create();
  frame->OnChangeIcon();
  EXPECT_EQ(LastIcon(), 0x1000u + IDI_BUSY);
  frame->OnChangeIcon();
  EXPECT_EQ(LastIcon(), 0x1000u + IDI_IDLE);

  EXPECT_FALSE(frame->CanEraseLog());
  frame->LogToWindow("line");
  EXPECT_TRUE(frame->CanEraseLog());
  frame->OnEraseLog();
  EXPECT_EQ(windowLog.text, "");

  EXPECT_TRUE(frame->NotesChecked());
  frame->OnToggleNotes();
  EXPECT_FALSE(frame->NotesChecked());
}

TEST_F(MainFrameTest, ExitEndsACycleThatWaitsOnASilentServer) {
  for (const bool closeEndsTheCall : {true, false}) {
    SCOPED_TRACE(closeEndsTheCall ? "closing the handle ends the call" : "the call goes on after the close");
    SilentWebHost silent(closeEndsTheCall);
    Platform silentPlatform{profile, files, silent, clock, media, messages, threads, protection};
    FakeFrameWindow window;
    MainFrame silentFrame(silentPlatform, DefaultServiceSettings());
    ASSERT_TRUE(silentFrame.OnCreate(FrameWindows{window, statusBar, windowLog, tray, 0x99}, &dialog));
    silentFrame.StartPollCycle();
    ASSERT_EQ(threads.pending.size(), 1u);
    std::thread worker(std::move(threads.pending.front()));
    threads.pending.clear();
    silent.WaitUntilCalled();  // the probe waits on the server

    silentFrame.OnExit();
    EXPECT_EQ(silent.closes, 1);  // from this thread, once
    if (!closeEndsTheCall) {
      // The frame is never pulled from under a worker that is still inside a call:
      // it looks again until the worker has left.
      silentFrame.OnTimer(kExitTimerId);
      silentFrame.OnTimer(kExitTimerId);
      EXPECT_FALSE(window.destroyed);
      silent.Release();
    }
    worker.join();  // the worker left the cycle by itself
    silentFrame.OnTimer(kExitTimerId);
    EXPECT_TRUE(window.destroyed);
    EXPECT_EQ(silent.closes, 1);  // the worker never closed the handle a second time
  }
}

std::size_t LinesOf(const std::string& log, const std::string& text) {
  std::size_t count = 0;
  for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
  return count;
}

// The worker hands its boxes to the user-interface thread and goes on; one box per
// text is open at a time, and every text is in the log file.
TEST_F(MainFrameTest, CycleBoxesAreLoggedAndShownOncePerTextByTheUiThread) {
  struct Case {
    const char* name;
    std::vector<std::string> raised;          // by the worker before the UI thread runs
    std::vector<std::string> raisedWhileOpen;  // while the first box is open
    std::vector<std::string> shown;
  };
  const Case cases[] = {
      {"one text", {"A"}, {}, {"A"}},
      {"the same text twice", {"A", "A"}, {}, {"A"}},
      {"two texts", {"A", "B"}, {}, {"A", "B"}},
      {"the same text while its box is open", {"A"}, {"A"}, {"A"}},
      {"another text while a box is open", {"A"}, {"B", "B"}, {"A", "B"}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    frameWindow = FakeFrameWindow();
    Create();
    const std::size_t logStart = files.Find("Tarnwick.log")->content.size();
    bool first = true;
    frameWindow.whileBoxOpen = [&](const std::string&) {
      if (!first) return;
      first = false;
      for (const std::string& text : test.raisedWhileOpen) frame->ShowMessage(text);
      frameWindow.RunPosted();  // the box's own message loop
    };
    for (const std::string& text : test.raised) frame->ShowMessage(text);
    EXPECT_TRUE(frameWindow.boxes.empty());  // nothing is shown on the worker's thread
    frameWindow.RunPosted();
    EXPECT_EQ(frameWindow.boxes, test.shown);
    const std::string log = files.Find("Tarnwick.log")->content.substr(logStart);
    for (const std::string& text : {std::string("A"), std::string("B")}) {
      const auto raised = std::count(test.raised.begin(), test.raised.end(), text) +
                          std::count(test.raisedWhileOpen.begin(), test.raisedWhileOpen.end(), text);
      EXPECT_EQ(LinesOf("\r\n" + log, "\r\n" + text + "\r\n"), static_cast<std::size_t>(raised)) << text;
    }
    // Every box is closed now: the same text opens a new one.
    frame->ShowMessage("A");
    frameWindow.RunPosted();
    EXPECT_EQ(frameWindow.boxes.back(), "A");
    EXPECT_EQ(frameWindow.boxes.size(), test.shown.size() + 1);
  }
}

TEST_F(MainFrameTest, ABoxThatCouldNotBeHandedOverDoesNotSilenceItsText) {
  Create();
  frameWindow.dropPosts = true;
  frame->ShowMessage("No Network Access.");
  frameWindow.dropPosts = false;
  frame->ShowMessage("No Network Access.");
  frameWindow.RunPosted();
  EXPECT_EQ(frameWindow.boxes, std::vector<std::string>{"No Network Access."});
}

TEST_F(MainFrameTest, AWorkerBoxHoldsUpNeitherItsCycleNorTheNextTick) {
  SetPollTime(1);
  Create();
  frame->OnPaint();
  frame->OnTimer(kPollTimerId);
  threads.RunAll();  // the Internet cannot be opened: "InternetOpen Failed"
  EXPECT_FALSE(frame->Busy());
  EXPECT_EQ(statusBar.text, "No Internet Access");
  EXPECT_TRUE(frameWindow.boxes.empty());
  frame->OnTimer(kPollTimerId);  // the box is still waiting for the user
  EXPECT_EQ(threads.pending.size(), 1u);
  threads.RunAll();
  frameWindow.RunPosted();
  EXPECT_EQ(frameWindow.boxes, std::vector<std::string>{"InternetOpen Failed"});
  EXPECT_TRUE(messages.shown.empty());  // not the unowned box of the platform
}

TEST_F(MainFrameTest, ExitClosesTheOpenBoxesAndShowsNoneThatWasStillWaiting) {
  for (const bool cycleRuns : {false, true}) {
    SCOPED_TRACE(cycleRuns ? "during a cycle" : "between cycles");
    frameWindow = FakeFrameWindow();
    Create();
    if (cycleRuns) frame->StartPollCycle();
    frame->ShowMessage("InternetOpen Failed");
    frame->OnExit();
    EXPECT_EQ(frameWindow.messageBoxClosings, 1);
    frameWindow.RunPosted();
    EXPECT_TRUE(frameWindow.boxes.empty());
    threads.RunAll();
  }
}

// The notification area may not take the icon: no taskbar yet at start-up, or a new
// one after the old one went. The icon is offered again until it is taken.
TEST_F(MainFrameTest, ATrayIconTheShellRefusesIsOfferedAgainForAWhile) {
  struct Case {
    const char* name;
    int refusedTicks;      // retry ticks the shell still refuses; -1: never takes it
    bool taskbarCreated;   // the new taskbar announces itself after those ticks
    bool shown;
  };
  const Case cases[] = {
      {"taken at the third retry", 2, false, true},
      {"taken when the taskbar announces itself", 5, true, true},
      {"never taken: the retries end", -1, false, false},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    frameWindow = FakeFrameWindow();
    tray = FakeTrayShell();
    tray.absent = true;
    Create();
    const std::size_t logStart = files.Find("Tarnwick.log")->content.size();
    EXPECT_EQ(frameWindow.timers, std::vector<unsigned>{kTrayRetryMilliseconds});
    const int ticks = test.refusedTicks < 0 ? kTrayRetriesAllowed : test.refusedTicks;
    for (int tick = 0; tick < ticks; ++tick) frame->OnTimer(kTrayRetryTimerId);
    tray.absent = test.refusedTicks < 0;
    if (test.taskbarCreated) {
      frame->OnTaskbarCreated();
    } else if (test.refusedTicks >= 0) {
      frame->OnTimer(kTrayRetryTimerId);
    }
    EXPECT_EQ(frameWindow.killed, std::vector<unsigned>{kTrayRetryTimerId});
    EXPECT_EQ(frameWindow.timers.size(), 1u);  // armed once, however many refusals
    if (test.shown) {
      EXPECT_EQ(tray.calls.back().operation, TrayOperation::Add);
      EXPECT_EQ(tray.calls.back().record.icon, 0x1000u + IDI_IDLE);
    }
    const bool logged =
        files.Find("Tarnwick.log")->content.find("did not take the tray icon", logStart) != std::string::npos;
    EXPECT_EQ(logged, !test.shown);
  }
}

}  // namespace
}  // namespace tarnwick
