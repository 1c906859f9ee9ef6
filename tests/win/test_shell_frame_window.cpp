// The real frame window with its status bar, log edit and tray record, driven
// through its messages as the user, the shell and the worker drive it.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "app/activity_log.h"
#include "res/resource.h"
#include "tests/unit/doubles/fake_data_protection.h"
#include "tests/unit/doubles/fake_profile.h"
#include "tests/unit/doubles/offline_internet.h"
#include "tests/unit/doubles/fake_ui.h"
#include "windows/file_system_win.h"
#include "windows/frame_window_win.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

// Stands for the configuration dialog: what the user does while it is open.
class ScriptedDialog : public IConfigurationDialog {
 public:
  void Run(const std::function<void(const std::string&)>&) override {
    ++runs;
    if (whileOpen) whileOpen();
  }
  std::function<void()> whileOpen;
  int runs = 0;
};

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

class FrameWindowTest : public ::testing::Test {
 protected:
  FrameWindowTest() {
    // The log file goes to the current directory: give each test its own.
    GetCurrentDirectoryA(sizeof previousDirectory, previousDirectory);
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    scratch = std::string(temp) + "tarnwick-frame-" + std::to_string(GetCurrentProcessId()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateDirectoryA(scratch.c_str(), nullptr);
    SetCurrentDirectoryA(scratch.c_str());
  }
  ~FrameWindowTest() override {
    window.reset();
    // Every destroyed frame posts the quit message; it must not reach the next test.
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    SetCurrentDirectoryA(previousDirectory);
    DeleteFileA((scratch + "\\Tarnwick.log").c_str());
    RemoveDirectoryA(scratch.c_str());
  }

  void Create() {
    window = std::make_unique<FrameWindow>(GetModuleHandleA(nullptr), platform, DefaultServiceSettings(), &dialog);
    ASSERT_TRUE(window->Create("Dravos Upload Ulkin", nullptr, kMainFrameStyle));
  }
  MainFrame& Frame() { return *window->Frame(); }
  HWND Child(int id) { return GetDlgItem(window->Handle(), id); }
  std::string StatusText() {
    char text[256] = {};
    SendMessageA(Child(IDC_STATUSBAR), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return text;
  }
  std::string LogText() {
    char text[4096] = {};
    GetWindowTextA(Child(ID_FIRST_PANE), text, sizeof text);
    return text;
  }
  void Command(unsigned id) { SendMessageA(window->Handle(), WM_COMMAND, id, 0); }
  std::string LogFile() {
    HANDLE file = CreateFileA("Tarnwick.log", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "(no log file)";
    char buffer[2048];
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
  }

  // Serves this thread's messages until `done` holds or five seconds have passed.
  static bool PumpUntil(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    bool quit = false;
    int exitCode = 0;
    while (!done() && !quit && GetTickCount() - start < 5000) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      MSG message;
      while (!quit && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
          quit = true;
          exitCode = static_cast<int>(message.wParam);
        } else {
          TranslateMessage(&message);
          DispatchMessageA(&message);
        }
      }
    }
    if (quit) PostQuitMessage(exitCode);
    return done();
  }
  static bool TakeQuitMessage() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  }

  FakeProfile profile;
  WinFileSystem files;
  OfflineInternet internet;
  FakeClock clock;
  FakeRecordingLength media;
  FakeMessageBox messages;
  FakeThreadStarter threads;
  FakeDataProtection protection;
  Platform platform{profile, files, internet, clock, media, messages, threads, protection};
  ScriptedDialog dialog;
  std::unique_ptr<FrameWindow> window;
  char previousDirectory[MAX_PATH] = {};
  std::string scratch;
};

TEST_F(FrameWindowTest, CreationBuildsTheBarTheLogTheTrayRecordAndTheBanner) {
  Create();
  HWND bar = Child(IDC_STATUSBAR);
  ASSERT_NE(bar, nullptr);
  EXPECT_STRCASEEQ(ClassOf(bar).c_str(), STATUSCLASSNAMEA);
  EXPECT_EQ(Child(ID_STANDARD_STATUS_BAR), nullptr);  // moved off the standard id
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(bar, GWL_STYLE)), 0x50008200u);
  EXPECT_EQ(StatusText(), "Dravo Upload Ulkin");
  EXPECT_EQ(SendMessageA(bar, SB_GETPARTS, 0, 0), 1);

  HWND log = Child(ID_FIRST_PANE);
  ASSERT_NE(log, nullptr);
  EXPECT_STRCASEEQ(ClassOf(log).c_str(), "Edit");
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(log, GWL_STYLE)), 0x50200804u);
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(log, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
  EXPECT_EQ(LogText(), "");

  const TrayRecord record = Frame().Tray()->Record();
  EXPECT_EQ(record.window, reinterpret_cast<std::uintptr_t>(window->Handle()));
  EXPECT_EQ(record.callbackMessage, static_cast<std::uint32_t>(WM_USER));
  EXPECT_EQ(record.id, 3u);

  const std::string rule(80, '=');
  EXPECT_EQ(LogFile(), "\r\n\r\n" + rule + "\r\n[Thu Jan  1 00:00:00 1970] - Tessaro's Tarnwick Log Initialized\r\n" +
                           rule + "\r\n");
}

TEST_F(FrameWindowTest, TheBarSitsOnTheBottomEdgeAndTheLogFillsTheRest) {
  Create();
  SetWindowPos(window->Handle(), nullptr, 0, 0, 500, 400, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  RECT client;
  GetClientRect(window->Handle(), &client);
  RECT bar;
  GetWindowRect(Child(IDC_STATUSBAR), &bar);
  MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&bar), 2);
  RECT log;
  GetWindowRect(Child(ID_FIRST_PANE), &log);
  MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&log), 2);

  EXPECT_EQ(bar.bottom, client.bottom);
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.right, client.right);
  EXPECT_GT(bar.bottom - bar.top, 0);
  EXPECT_EQ(log.left, 0);
  EXPECT_EQ(log.top, 0);
  EXPECT_EQ(log.right, client.right);
  EXPECT_EQ(log.bottom, bar.top);
}

TEST_F(FrameWindowTest, TheWindowLogGoesOnPastThirtyThousandCharactersAndShowsTheNewestLine) {
  Create();
  SetWindowPos(window->Handle(), nullptr, 0, 0, 500, 400, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  HWND log = Child(ID_FIRST_PANE);
  std::string newest;
  for (int n = 0; n < 1600; ++n) {
    newest = "line " + std::to_string(n) + " " + std::string(85, '.');
    Frame().LogToWindow(newest);
  }
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(log)) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(log, &text[0], static_cast<int>(text.size()))));
  EXPECT_GT(text.size(), 30000u);
  EXPECT_LE(text.size(), kWindowLogBound);
  EXPECT_EQ(text.compare(0, 5, "line "), 0);  // only whole lines were dropped
  const std::size_t newestStart = text.size() - newest.size() - 2;
  ASSERT_EQ(text.substr(newestStart), newest + "\r\n");
  // And it is in view.
  RECT client;
  GetClientRect(log, &client);
  const LRESULT position = SendMessageA(log, EM_POSFROMCHAR, newestStart, 0);
  ASSERT_NE(position, -1);
  const int y = static_cast<short>(HIWORD(position));
  EXPECT_GE(y, 0);
  EXPECT_LT(y, client.bottom);
}

TEST_F(FrameWindowTest, WorkerUpdatesWaitUntilTheWindowsHaveThem) {
  Create();
  std::atomic<bool> done{false};
  std::string statusSeenByWorker;
  std::string logSeenByWorker;
  std::thread worker([&]() {
    Frame().SetStatusText("Polling Started ...");
    char text[256] = {};
    SendMessageA(Child(IDC_STATUSBAR), SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    statusSeenByWorker = text;
    Frame().LogToWindow("first");
    Frame().LogToWindow("second");
    logSeenByWorker = LogText();
    done = true;
  });
  const bool finished = PumpUntil([&]() { return done.load(); });
  worker.join();
  ASSERT_TRUE(finished);
  EXPECT_EQ(statusSeenByWorker, "Polling Started ...");
  EXPECT_EQ(logSeenByWorker, "first\r\nsecond\r\n");
}

TEST_F(FrameWindowTest, LinesGoInAtTheCaretWithoutReplacingASelection) {
  Create();
  Frame().LogToWindow("first");
  Frame().LogToWindow("second");
  // The user selects "first" by dragging from its start to its end.
  SendMessageA(Child(ID_FIRST_PANE), EM_SETSEL, 0, 5);
  Frame().LogToWindow("third");
  EXPECT_EQ(LogText(), "firstthird\r\n\r\nsecond\r\n");
  Frame().LogToWindow("fourth");
  EXPECT_EQ(LogText(), "firstthird\r\nfourth\r\n\r\nsecond\r\n");
}

TEST_F(FrameWindowTest, EraseAndNotesCommandsWithTheirMenuStates) {
  Create();
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, ID_ERASE_LOG, "Erase");
  AppendMenuA(menu, MF_STRING, ID_TRAY_NOTES, "Notes");
  auto menuState = [&](unsigned id) {
    SendMessageA(window->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    return GetMenuState(menu, id, MF_BYCOMMAND);
  };

  EXPECT_NE(menuState(ID_ERASE_LOG) & MF_GRAYED, 0u);
  EXPECT_NE(menuState(ID_TRAY_NOTES) & MF_CHECKED, 0u);
  Frame().LogToWindow("a line");
  EXPECT_EQ(menuState(ID_ERASE_LOG) & MF_GRAYED, 0u);
  Command(ID_ERASE_LOG);
  EXPECT_EQ(LogText(), "");
  EXPECT_NE(menuState(ID_ERASE_LOG) & MF_GRAYED, 0u);

  Command(ID_TRAY_NOTES);
  EXPECT_EQ(menuState(ID_TRAY_NOTES) & MF_CHECKED, 0u);
  Command(ID_TRAY_NOTES);
  EXPECT_NE(menuState(ID_TRAY_NOTES) & MF_CHECKED, 0u);
  DestroyMenu(menu);
}

TEST_F(FrameWindowTest, CloseHidesOpenShowsAndOnlyExitEndsTheWindow) {
  Create();
  HWND handle = window->Handle();
  ShowWindow(handle, SW_SHOW);
  SendMessageA(handle, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(handle));
  EXPECT_FALSE(IsWindowVisible(handle));
  Command(ID_OPEN);
  EXPECT_TRUE(IsWindowVisible(handle));
  Command(ID_APP_EXIT);  // "&Close Window"
  EXPECT_TRUE(IsWindow(handle));
  EXPECT_FALSE(IsWindowVisible(handle));
  EXPECT_FALSE(TakeQuitMessage());

  Command(ID_EXIT);
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_EQ(window->Handle(), nullptr);
  EXPECT_EQ(window->Frame(), nullptr);  // deleted once the window was gone
  EXPECT_TRUE(TakeQuitMessage());
}

TEST_F(FrameWindowTest, TasksPostedByAnotherThreadRunOnTheWindowsThread) {
  Create();
  std::atomic<DWORD> ranOn{0};
  std::thread poster([&]() { window->PostToUiThread([&]() { ranOn = GetCurrentThreadId(); }); });
  poster.join();
  EXPECT_EQ(ranOn.load(), 0u);  // not before the message loop serves it
  ASSERT_TRUE(PumpUntil([&]() { return ranOn.load() != 0; }));
  EXPECT_EQ(ranOn.load(), GetCurrentThreadId());

  Command(ID_EXIT);
  bool ranLate = false;
  window->PostToUiThread([&]() { ranLate = true; });
  PumpUntil([]() { return false; });
  EXPECT_FALSE(ranLate);
}

TEST_F(FrameWindowTest, TheFirstPaintHidesTheWindowAndArmsTheFirstTick) {
  profile.values[{"Author Details", "Poll Time"}] = 5;
  Create();
  window->ShowAndUpdate();
  EXPECT_TRUE(IsWindow(window->Handle()));
  EXPECT_FALSE(IsWindowVisible(window->Handle()));
  EXPECT_EQ(Frame().TimerInterval(), 1500u);
  EXPECT_EQ(Frame().TimerId(), 1u);
  EXPECT_EQ(dialog.runs, 0);
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(FrameWindowTest, ExitChosenDuringTheStartUpDialogEndsWithoutACycle) {
  profile.values[{"Author Details", "Poll Time"}] = 5;
  profile.values[{"Author Details", "Show Config"}] = 1;
  dialog.whileOpen = [&]() { SendMessageA(window->Handle(), WM_COMMAND, ID_EXIT, 0); };
  Create();
  window->ShowAndUpdate();
  EXPECT_EQ(dialog.runs, 1);
  EXPECT_EQ(window->Handle(), nullptr);
  EXPECT_EQ(window->Frame(), nullptr);
  EXPECT_TRUE(threads.pending.empty());  // no worker may outlive the frame
  EXPECT_TRUE(messages.shown.empty());   // no "No Automation Possible" for a window that is gone
  EXPECT_TRUE(TakeQuitMessage());
}

struct SeenBox {
  HWND window = nullptr;
  HWND owner = nullptr;
  DWORD thread = 0;
  std::string text;
};

BOOL CALLBACK FindOwnedBox(HWND window, LPARAM found) {
  auto* box = reinterpret_cast<SeenBox*>(found);
  // Visible: its set-up is done.
  if (ClassOf(window) != "#32770" || GetWindow(window, GW_OWNER) != box->owner || !IsWindowVisible(window))
    return TRUE;
  box->window = window;
  return FALSE;
}

// A worker's box does not wait for OK on the worker; it is the frame's own, so Exit
// ends the program while it is open. (Wine ignores MB_TOPMOST, so whether it stays in
// front cannot be seen here.)
TEST_F(FrameWindowTest, AWorkerBoxOpensOnTheWindowsThreadOwnedByTheFrameAndExitClosesIt) {
  Create();
  HWND frame = window->Handle();
  std::thread worker([&]() {
    Frame().ShowMessage("No Network Access.");
    Frame().ShowMessage("No Network Access.");
  });
  worker.join();  // back at once: nobody has pressed OK, nor could the box be open yet

  SeenBox box;
  box.owner = frame;
  const DWORD uiThread = GetCurrentThreadId();
  std::thread watcher([&]() {
    for (int look = 0; look < 500 && box.window == nullptr; ++look) {
      Sleep(20);
      EnumThreadWindows(uiThread, FindOwnedBox, reinterpret_cast<LPARAM>(&box));
    }
    if (box.window != nullptr) {
      box.thread = GetWindowThreadProcessId(box.window, nullptr);
      char text[128] = {};
      GetDlgItemTextA(box.window, 0xFFFF, text, sizeof text);  // the box's static text
      box.text = text;
    }
    PostMessageA(frame, WM_COMMAND, ID_EXIT, 0);
  });
  PumpUntil([&]() { return window->Handle() == nullptr; });
  watcher.join();

  ASSERT_NE(box.window, nullptr);
  EXPECT_EQ(box.thread, uiThread);
  EXPECT_EQ(box.text, "No Network Access.");
  EXPECT_FALSE(IsWindow(box.window));
  EXPECT_EQ(window->Handle(), nullptr);
  EXPECT_TRUE(TakeQuitMessage());
  // Both raisings are in the log file, though only one box opened.
  const std::string log = LogFile();
  const std::size_t first = log.find("No Network Access.\r\n");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(log.find("No Network Access.\r\n", first + 1), std::string::npos);
}

}  // namespace
}  // namespace tarnwick
