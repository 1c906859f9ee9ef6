#include <gtest/gtest.h>

#include "app/main_frame.h"
#include "doubles/fake_file_system.h"
#include "doubles/fake_profile.h"
#include "doubles/offline_internet.h"
#include "doubles/fake_ui.h"
#include "res/resource.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

class CountingDialog : public IConfigurationDialog {
 public:
  explicit CountingDialog(FakeProfile& profile) : m_profile(profile) {}
  void Run() override {
    ++runs;
    if (pollTimeToSave) m_profile.values[{"Author Details", "Poll Time"}] = *pollTimeToSave;
  }
  int runs = 0;
  std::optional<std::int32_t> pollTimeToSave;

 private:
  FakeProfile& m_profile;
};

struct MainFrameTest : ::testing::Test {
  FakeProfile profile;
  FakeFileSystem files;
  OfflineInternet internet;
  FakeClock clock;
  FakeRecordingLength media;
  FakeMessageBox messages;
  FakeThreadStarter threads;
  Platform platform{profile, files, internet, clock, media, messages, threads};
  FakeFrameWindow frameWindow;
  FakeStatusBar statusBar;
  FakeWindowLog windowLog;
  FakeTrayShell tray;
  CountingDialog dialog{profile};
  std::unique_ptr<CMainFrame> frame;

  void Create() {
    frame = std::make_unique<CMainFrame>(platform, DefaultServiceSettings());
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

  threads.RunAll();
  // The cycle's own idle icon must not bring the icon back after Exit removed it.
  EXPECT_EQ(LastTrayOperation(), TrayOperation::Delete);
  EXPECT_FALSE(frameWindow.destroyed);
  frameWindow.RunPosted();
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

}  // namespace
}  // namespace tarnwick
