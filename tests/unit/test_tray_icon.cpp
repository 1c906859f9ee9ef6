#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/tray_icon.h"
#include "doubles/fake_ui.h"

namespace tarnwick {
namespace {

using testing::FakeTrayShell;

TEST(TrayIconTest, NewRecordHasTheShellLayoutAndNoIcon) {
  FakeTrayShell shell;
  TrayIcon tray(shell, 3);
  const TrayRecord record = tray.Record();
  EXPECT_EQ(record.size, 88u);
  EXPECT_EQ(record.id, 3u);
  EXPECT_EQ(record.icon, 0u);
  EXPECT_STREQ(record.tip, "");  // string 3 does not exist
  EXPECT_TRUE(shell.calls.empty());
}

TEST(TrayIconTest, AddThenModifyThenDeleteWithTipsAndFlags) {
  FakeTrayShell shell;
  {
    TrayIcon tray(shell, 3);
    tray.AttachWindow(0x77, 0x400);
    ASSERT_TRUE(tray.ShowIcon(101));
    ASSERT_TRUE(tray.ShowIcon(102));
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[0].operation, TrayOperation::Add);
    EXPECT_EQ(shell.calls[0].record.icon, 0x1000u + 101);
    EXPECT_STREQ(shell.calls[0].record.tip, "Dravos Upload Ulkin. Right click for menu.");
    EXPECT_EQ(shell.calls[0].record.flags,
              TrayRecord::kFlagIcon | TrayRecord::kFlagTip | TrayRecord::kFlagMessage);
    EXPECT_EQ(shell.calls[0].record.window, 0x77u);
    EXPECT_EQ(shell.calls[0].record.callbackMessage, 0x400u);
    EXPECT_EQ(shell.calls[1].operation, TrayOperation::Modify);
    EXPECT_STREQ(shell.calls[1].record.tip, "Tarnwick - Connected. Pease Wait...");
  }
  // The destructor removes the icon.
  ASSERT_EQ(shell.calls.size(), 3u);
  EXPECT_EQ(shell.calls[2].operation, TrayOperation::Delete);
}

TEST(TrayIconTest, FailedCallForgetsTheIconSoTheNextChangeAddsItAgain) {
  FakeTrayShell shell;
  TrayIcon tray(shell, 3);
  tray.ShowIcon(101);
  shell.failNext = true;
  EXPECT_FALSE(tray.ShowIcon(102));
  EXPECT_EQ(tray.Record().icon, 0u);
  EXPECT_TRUE(tray.ShowIcon(101));
  EXPECT_EQ(shell.calls.back().operation, TrayOperation::Add);
  EXPECT_EQ(shell.calls.back().record.flags & TrayRecord::kFlagMessage, 0u);  // no window attached
}

TEST(TrayIconTest, ShowingWhatIsShownAsksNothingOfTheShellButAnyChangeDoes) {
  FakeTrayShell shell;
  TrayIcon tray(shell, 3);
  EXPECT_TRUE(tray.ShowIcon(101));
  EXPECT_TRUE(tray.ShowIcon(101));
  EXPECT_EQ(shell.calls.size(), 1u);
  tray.AttachWindow(0x77, 0x400);  // the same image, now with a callback
  EXPECT_TRUE(tray.ShowIcon(101));
  EXPECT_TRUE(tray.ApplyIcon(0x1000u + 101, "another tip"));
  EXPECT_TRUE(tray.ShowIcon(102));
  EXPECT_TRUE(tray.ShowIcon(102));
  ASSERT_EQ(shell.calls.size(), 4u);
  EXPECT_EQ(shell.calls[1].record.flags & TrayRecord::kFlagMessage, TrayRecord::kFlagMessage);
  EXPECT_STREQ(shell.calls[2].record.tip, "another tip");
  EXPECT_EQ(shell.calls[3].record.icon, 0x1000u + 102);
  // A refused change leaves nothing shown, so the same image goes to the shell again.
  shell.failNext = true;
  EXPECT_FALSE(tray.ShowIcon(101));
  EXPECT_TRUE(tray.ShowIcon(101));
  EXPECT_EQ(shell.calls.back().operation, TrayOperation::Add);
}

TEST(TrayIconTest, RemovingAnIconThatIsNotShownAsksNothingOfTheShell) {
  FakeTrayShell shell;
  TrayIcon tray(shell, 3);
  EXPECT_TRUE(tray.ShowIcon(0));
  EXPECT_TRUE(shell.calls.empty());
  tray.ShowIcon(101);
  EXPECT_TRUE(tray.ShowIcon(0));
  EXPECT_EQ(shell.calls.back().operation, TrayOperation::Delete);
  EXPECT_TRUE(tray.ShowIcon(0));
  EXPECT_EQ(shell.calls.size(), 2u);
}

TEST(TrayIconTest, ExplicitTipIsCutToTheRecord) {
  FakeTrayShell shell;
  TrayIcon tray(shell, 3);
  const std::string longTip(100, 't');
  tray.ApplyIcon(0x55, longTip.c_str());
  EXPECT_EQ(std::strlen(shell.calls.back().record.tip), 63u);
}

TEST(TrayIconTest, CallbacksOpenTheMenuOrSendTheDefaultCommand) {
  FakeTrayShell shell;
  TrayIcon tray(shell, 3);
  tray.AttachWindow(0x77, 0x400);
  EXPECT_EQ(tray.HandleCallback(3, 0x205), 1);  // right button up
  EXPECT_EQ(shell.menus, std::vector<unsigned>{3});
  EXPECT_EQ(tray.HandleCallback(3, 0x203), 1);  // double click
  EXPECT_EQ(shell.defaults, std::vector<unsigned>{3});
  EXPECT_EQ(tray.HandleCallback(3, 0x201), 0);  // left button down does nothing
  EXPECT_EQ(tray.HandleCallback(4, 0x205), 0);  // another icon
  EXPECT_EQ(shell.menus.size(), 1u);
}

// A new taskbar holds no icons; a shell that only changed its scale may keep them.
TEST(TrayIconTest, RestoreOffersTheLastImageAndTipAgain) {
  struct Case {
    const char* name;
    unsigned lastShown;  // 0: removed
    bool absent;
    bool refuseAdd;
    std::vector<TrayOperation> operations;
    bool result;
  };
  const Case cases[] = {
      {"the shell lost it", 102, false, false, {TrayOperation::Add}, true},
      {"the shell kept it", 102, false, true, {TrayOperation::Add, TrayOperation::Modify}, true},
      {"no shell yet", 102, true, false, {TrayOperation::Add, TrayOperation::Modify}, false},
      {"removed at exit", 0, false, false, {}, true},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    FakeTrayShell shell;
    TrayIcon tray(shell, 3);
    tray.AttachWindow(0x77, 0x400);
    tray.ShowIcon(102);
    if (test.lastShown == 0) tray.ShowIcon(0);
    shell.calls.clear();
    shell.absent = test.absent;
    shell.refuseAdd = test.refuseAdd;
    EXPECT_EQ(tray.Restore(), test.result);
    std::vector<TrayOperation> operations;
    for (const auto& call : shell.calls) {
      operations.push_back(call.operation);
      EXPECT_EQ(call.record.icon, 0x1000u + 102);
      EXPECT_STREQ(call.record.tip, "Tarnwick - Connected. Pease Wait...");
      EXPECT_EQ(call.record.flags, TrayRecord::kFlagIcon | TrayRecord::kFlagTip | TrayRecord::kFlagMessage);
    }
    EXPECT_EQ(operations, test.operations);
    // Refused everywhere: the next change adds it afresh.
    shell.absent = false;
    shell.refuseAdd = false;
    shell.calls.clear();
    tray.ShowIcon(101);
    if (!test.result) {
      EXPECT_EQ(shell.calls.at(0).operation, TrayOperation::Add);
    }
  }
}

}  // namespace
}  // namespace tarnwick
