// The extension warning and the About box on their real templates.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "windows/dialogs/about_box.h"
#include "res/resource.h"
#include "windows/dialogs/extension_warning.h"
#include "tests/win/dialog_doubles.h"
#include "tests/win/dialog_driver.h"

namespace tarnwick {
namespace {

using dialog_testing::DialogScript;
using dialog_testing::FindDialog;

class SmallDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog_testing::UseProgramResources()) << "the program's resources must be linked into win_tests";
    m_service.webHost = "www.test.example";
  }

  // Opens the warning on `internet` and returns the text of its list line.
  std::string WarningLine(dialog_testing::ListInternet& internet) {
    std::string line = "(not shown)";
    DialogScript script;
    script.WaitFor("the warning", [] { return FindDialog("Warning") != nullptr; })
        .Do("read and close it", [&] {
          line = dialog_testing::ControlText(FindDialog("Warning"), IDC_VALID_EXTENSIONS);
          dialog_testing::PressButton(FindDialog("Warning"), IDOK);
        });
    ExtensionWarning warning(internet, m_service);
    script.Start();
    warning.RunModal();
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Pending();
    return line;
  }

  ServiceSettings m_service;
};

BOOL CALLBACK FindText(HWND child, LPARAM context) {
  auto* wanted = reinterpret_cast<std::pair<std::string, bool>*>(context);
  char text[256] = {};
  GetWindowTextA(child, text, sizeof text);
  if (wanted->first == text) wanted->second = true;
  return TRUE;
}

bool ShowsText(HWND dialog, const std::string& text) {
  std::pair<std::string, bool> wanted(text, false);
  EnumChildWindows(dialog, FindText, reinterpret_cast<LPARAM>(&wanted));
  return wanted.second;
}

POINT CentreOf(const RECT& area) { return {(area.left + area.right) / 2, (area.top + area.bottom) / 2}; }

TEST_F(SmallDialogs, WarningShowsTheAnswerWholeAfterItsPrefix) {
  std::string answer;
  for (int i = 0; answer.size() < 1500; ++i) answer += "ex" + std::to_string(100 + i) + ", ";
  dialog_testing::ListInternet internet(answer);
  EXPECT_EQ(WarningLine(internet), "Valid File Extensions are: " + answer);
  EXPECT_EQ(internet.urls, (std::vector<std::string>{"http://www.test.example/dravos/extverify.php?ext="}));
  EXPECT_EQ(internet.agents, (std::vector<std::string>{"InetURL/1.0"}));
}

TEST_F(SmallDialogs, WarningWordsEachFailureOfTheFetch) {
  dialog_testing::ListInternet unreachable("dss");
  unreachable.failUrl = true;
  EXPECT_EQ(WarningLine(unreachable), "Valid File Extensions are: ");
  dialog_testing::ListInternet offline("dss");
  offline.failOpen = true;
  EXPECT_EQ(WarningLine(offline), "Internet Not availabe to get valid file extensions.");
}

TEST_F(SmallDialogs, AboutBoxIsCentredOnTheScreenWithoutAVisibleOwner) {
  DialogScript script;
  script.WaitFor("the About box", [] { return FindDialog("About Tarnwick") != nullptr; })
      .Do("check and close it", [] {
        HWND about = FindDialog("About Tarnwick");
        EXPECT_TRUE(ShowsText(about, "Tessaro Safe Uploader Ulkin"));
        EXPECT_TRUE(ShowsText(about, "&OK"));
        RECT own, work;
        GetWindowRect(about, &own);
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_NEAR(CentreOf(own).x, CentreOf(work).x, 1);
        EXPECT_NEAR(CentreOf(own).y, CentreOf(work).y, 1);
        EXPECT_TRUE(dialog_testing::SaveScreenshot(about, "about"));
        dialog_testing::PressButton(about, IDOK);
      });
  AboutBox about;
  script.Start();
  EXPECT_EQ(about.RunModal(), IDOK);
  EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Pending();
}

TEST_F(SmallDialogs, AboutBoxIsCentredOverTheVisibleActiveWindow) {
  HWND mainWindow = CreateWindowExA(0, "STATIC", "main window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 60, 600, 400,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(mainWindow, nullptr);
  SetActiveWindow(mainWindow);
  DialogScript script;
  script.WaitFor("the About box", [] { return FindDialog("About Tarnwick") != nullptr; })
      .Do("check and close it", [&] {
        HWND about = FindDialog("About Tarnwick");
        RECT own, owner;
        GetWindowRect(about, &own);
        GetWindowRect(mainWindow, &owner);
        EXPECT_NEAR(CentreOf(own).x, CentreOf(owner).x, 1);
        EXPECT_NEAR(CentreOf(own).y, CentreOf(owner).y, 1);
        EXPECT_FALSE(IsWindowEnabled(mainWindow));
        dialog_testing::PressButton(about, IDOK);
      });
  AboutBox about;
  script.Start();
  EXPECT_EQ(about.RunModal(), IDOK);
  EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Pending();
  EXPECT_TRUE(IsWindowEnabled(mainWindow));
  DestroyWindow(mainWindow);
}

}  // namespace
}  // namespace tarnwick
