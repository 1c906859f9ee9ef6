// Test driver: reads and operates the running program's windows for the end-to-end
// tests, which run on the Linux side and cannot reach Win32 windows themselves.
//
//   tarnwick_driver [--exe NAME] [--wait SECONDS] COMMAND [ARGUMENT...]
//
// Queries (retried every 100 ms until they succeed or --wait runs out; the output
// is that of the last try):
//   log                 the window log's text
//   status              the status bar's text (pane 0)
//   visible | hidden    succeeds when the frame exists and is visible | hidden
//   gone                succeeds when no frame exists
//   window TITLE        succeeds when any top-level window has exactly TITLE
//   log-contains TEXT   succeeds when the window log contains TEXT
//   status-is TEXT      succeeds when the status text is TEXT
//   dialog CAPTION      prints the program's dialogs with CAPTION ("*": any caption)
//   tray-icons COUNT    prints the number of icons in the notification area;
//                       succeeds when it is COUNT
// Actions (after waiting for the frame or the dialog as above):
//   tick                posts the poll timer's WM_TIMER (id 1)
//   open | exit | configuration | about | close-window     the frame's menu commands
//   close               WM_CLOSE, as the close box sends it
//   tray-double-click   double-clicks the (only) icon in the notification area
//   tray-lose           removes the program's icon from the notification area, as a
//                       taskbar that ends takes it along
//   taskbar-created     broadcasts the shell's "TaskbarCreated", as a new taskbar does
//   press-ok CAPTION    prints the dialog like "dialog", then presses its OK button
//   timed-exit HOW      ends the program by the Exit command (HOW "menu") or as a
//                       logoff does ("session"); prints how long it took to go
// Controls of the program's dialog with CAPTION, by control id (after waiting for it;
// a control in a page dialog inside it counts too):
//   text CAPTION ID             prints the control's text
//   set-text CAPTION ID TEXT    replaces the text of an edit control
//   checked CAPTION ID          prints "checked" or "clear" for a check box
//   click CAPTION ID            clicks the button (posted, so a dialog it opens does
//                               not hold the driver)
//   key CAPTION ID VK           presses the key with virtual-key code VK on the control
//   focus CAPTION [ID]          prints the id of the control with the keyboard focus;
//                               with ID, succeeds when the focus is there
// Menus, picked with the keys a user would press (after waiting for the frame); each
// prints the command id of the item, and fails when the item is not in the menu as the
// executable holds it or no pop-up opens (see menu_commands.h):
//   main-menu POPUP ITEM        Alt with POPUP's mnemonic on the frame's menu bar, then
//                               ITEM's mnemonic
//   tray-menu ITEM              opens the tray menu through the icon's callback (right
//                               button released), then ITEM's mnemonic
//   show-tray-menu              opens the tray menu the same way and leaves it open
// Beside the program, until a line or the end arrives on standard input (see
// watch_commands.h):
//   dismiss-dialogs     presses OK on every dialog of the program
//   record-status       has every status text of the program recorded
// Files (paths as the program sees them):
//   hold-open PATH      keeps PATH open for writing until a line arrives on standard
//                       input, then appends that line
//   attributes PATH     prints the attributes and "readonly" or "writable"
//   lock PATH           keeps PATH open with no sharing until a line arrives on
//                       standard input
// Process:
//   resources           prints the program's memory, handle and GDI/USER object counts
//   windows-version     prints the Windows version the program runs under: major.minor.build
//   supported-os EXE    prints the GUIDs of the Windows versions EXE's manifest declares
//                       supported, as Windows reads them
// Installer:
//   deaf-copy           shows a window like the program's frame that ignores Exit,
//                       until a line arrives on standard input
//
// Dialogs print as dialog_report.h says. Exit code 0: found or done; 1: not found or
// not true within the wait; 2: wrong usage.
#include <windows.h>
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "control_commands.h"
#include "deaf_copy.h"
#include "dialog_report.h"
#include "exit_commands.h"
#include "file_commands.h"
#include "manifest_commands.h"
#include "menu_commands.h"
#include "process_resources.h"
#include "program_windows.h"
#include "retrying.h"
#include "watch_commands.h"
#include "res/resource.h"

namespace {

using e2e::Attempt;
using e2e::DialogInfo;
using e2e::kFound;
using e2e::kNotFound;
using e2e::kUsage;
using e2e::ProgramWindows;
using e2e::RunUntil;

constexpr WPARAM kPollTimerId = 1;
constexpr UINT kSendTimeoutMs = 5000;

const char* CaptionFilter(const char* argument) { return std::strcmp(argument, "*") == 0 ? nullptr : argument; }

Attempt ReadChildText(const ProgramWindows& program, int childId) {
    Attempt attempt;
    HWND frame = program.FindFrame();
    HWND child = frame ? GetDlgItem(frame, childId) : nullptr;
    attempt.ok = child && e2e::ReadWindowText(child, attempt.output);
    return attempt;
}

// Runs the action on the frame once it exists.
int OnFrame(const ProgramWindows& program, double waitSeconds, const std::function<bool(HWND)>& action) {
    HWND frame = nullptr;
    RunUntil(waitSeconds, [&] { return Attempt{(frame = program.FindFrame()) != nullptr, ""}; });
    if (!frame) {
        std::printf("no frame window\n");
        return kNotFound;
    }
    return action(frame) ? kFound : kNotFound;
}

bool SendCommand(HWND frame, WPARAM command) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(frame, WM_COMMAND, command, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored) != 0;
}

// Commands that open a modal dialog would hold a sent message until the dialog
// closes, so those are posted.
bool PostCommand(HWND frame, WPARAM command) { return PostMessageA(frame, WM_COMMAND, command, 0) != 0; }

int Usage() {
    std::fputs("usage: tarnwick_driver [--exe NAME] [--wait SECONDS] COMMAND [ARGUMENT...]\n", stderr);
    return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
    // The log's CR LF must reach the tests unchanged.
    _setmode(_fileno(stdout), _O_BINARY);

    std::string exeName = "Tarnwick.exe";
    double waitSeconds = 0;
    int next = 1;
    for (; next + 1 < argc && std::strncmp(argv[next], "--", 2) == 0; next += 2) {
        if (std::strcmp(argv[next], "--exe") == 0) {
            exeName = argv[next + 1];
        } else if (std::strcmp(argv[next], "--wait") == 0) {
            waitSeconds = std::atof(argv[next + 1]);
        } else {
            return Usage();
        }
    }
    if (next >= argc) return Usage();
    const std::string command = argv[next];
    const char* argument = next + 1 < argc ? argv[next + 1] : nullptr;
    const char* second = next + 2 < argc ? argv[next + 2] : nullptr;
    const char* third = next + 3 < argc ? argv[next + 3] : nullptr;
    const ProgramWindows program(exeName);

    if (command == "log") return RunUntil(waitSeconds, [&] { return ReadChildText(program, e2e::kWindowLogId); });
    if (command == "status") return RunUntil(waitSeconds, [&] { return ReadChildText(program, e2e::kStatusBarId); });
    if (command == "visible" || command == "hidden") {
        const bool wantVisible = command == "visible";
        return RunUntil(waitSeconds, [&] {
            HWND frame = program.FindFrame();
            if (!frame) return Attempt{false, "gone\n"};
            const bool visible = IsWindowVisible(frame) != FALSE;
            return Attempt{visible == wantVisible, visible ? "visible\n" : "hidden\n"};
        });
    }
    if (command == "gone") {
        return RunUntil(waitSeconds, [&] {
            const bool gone = program.FindFrame() == nullptr;
            return Attempt{gone, gone ? "gone\n" : "present\n"};
        });
    }
    if (command == "dismiss-dialogs") return e2e::DismissDialogs(program);
    if (command == "record-status") return e2e::RecordStatus();
    if (command == "deaf-copy") return e2e::RunDeafCopy();
    if (command == "show-tray-menu") return e2e::ShowTrayMenu(program, waitSeconds);
    if (command == "resources") return e2e::PrintProcessResources(program);
    if (command == "windows-version") return e2e::PrintProcessWindowsVersion(program);
    if (command == "tray-double-click") {
        std::vector<HWND> icons;
        RunUntil(waitSeconds, [&] { return Attempt{!(icons = e2e::TrayIconWindows()).empty(), ""}; });
        if (icons.size() != 1) {
            std::printf("%u tray icons\n", static_cast<unsigned>(icons.size()));
            return kNotFound;
        }
        return PostMessageA(icons.front(), WM_LBUTTONDBLCLK, MK_LBUTTON, 0) ? kFound : kNotFound;
    }

    if (command == "tick") {
        return OnFrame(program, waitSeconds,
                       [](HWND frame) { return PostMessageA(frame, WM_TIMER, kPollTimerId, 0) != 0; });
    }
    if (command == "tray-lose") {
        return OnFrame(program, waitSeconds, [](HWND frame) {
            NOTIFYICONDATAA icon = {};
            icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
            icon.hWnd = frame;
            icon.uID = TRAY_ICON_ID;
            return Shell_NotifyIconA(NIM_DELETE, &icon) != FALSE;
        });
    }
    if (command == "taskbar-created") {
        const UINT message = RegisterWindowMessageA("TaskbarCreated");
        return message != 0 && PostMessageA(HWND_BROADCAST, message, 0, 0) ? kFound : kNotFound;
    }
    if (command == "open") return OnFrame(program, waitSeconds, [](HWND f) { return SendCommand(f, ID_OPEN); });
    if (command == "exit") return OnFrame(program, waitSeconds, [](HWND f) { return SendCommand(f, ID_EXIT); });
    if (command == "timed-exit") return e2e::TimedExit(program, waitSeconds, argument);
    if (command == "configuration") {
        return OnFrame(program, waitSeconds, [](HWND f) { return PostCommand(f, ID_CONFIGURATION); });
    }
    if (command == "close-window") {
        return OnFrame(program, waitSeconds, [](HWND f) { return SendCommand(f, ID_APP_EXIT); });
    }
    if (command == "about") return OnFrame(program, waitSeconds, [](HWND f) { return PostCommand(f, ID_APP_ABOUT); });
    if (command == "close") {
        return OnFrame(program, waitSeconds, [](HWND frame) {
            DWORD_PTR ignored = 0;
            return SendMessageTimeoutA(frame, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored) != 0;
        });
    }

    if (!argument) return Usage();
    if (command == "window") {
        return RunUntil(waitSeconds, [&] { return Attempt{e2e::TopLevelWindowExists(argument), ""}; });
    }
    if (command == "log-contains" || command == "status-is") {
        const bool inLog = command == "log-contains";
        return RunUntil(waitSeconds, [&] {
            Attempt read = ReadChildText(program, inLog ? e2e::kWindowLogId : e2e::kStatusBarId);
            read.ok = read.ok && (inLog ? read.output.find(argument) != std::string::npos : read.output == argument);
            return read;
        });
    }
    if (command == "dialog" || command == "press-ok") {
        std::vector<DialogInfo> dialogs;
        const int found = RunUntil(waitSeconds, [&] {
            dialogs = program.FindDialogs(CaptionFilter(argument));
            return Attempt{!dialogs.empty(), e2e::DescribeDialogs(dialogs)};
        });
        if (found != kFound || command == "dialog") return found;
        return e2e::PressOk(dialogs.front().window) ? kFound : kNotFound;
    }
    if (command == "tray-icons") {
        const size_t expected = static_cast<size_t>(std::atoi(argument));
        return RunUntil(waitSeconds, [&] {
            const size_t count = e2e::TrayIconWindows().size();
            return Attempt{count == expected, std::to_string(count) + "\n"};
        });
    }
    if (command == "focus") return e2e::PrintFocus(program, waitSeconds, argument, second);
    if (command == "tray-menu") return e2e::PickFromTrayMenu(program, waitSeconds, argument);
    if (command == "hold-open") return e2e::HoldOpenForWriting(argument);
    if (command == "attributes") return e2e::PrintAttributes(argument);
    if (command == "supported-os") return e2e::PrintSupportedOs(argument);
    if (command == "lock") return e2e::LockExclusively(argument);

    if (!second) return Usage();
    if (command == "main-menu") return e2e::PickFromMainMenu(program, waitSeconds, argument, second);
    const int controlId = std::atoi(second);
    if (command == "text") return e2e::PrintControlText(program, waitSeconds, argument, controlId);
    if (command == "checked") return e2e::PrintCheckState(program, waitSeconds, argument, controlId);
    if (command == "click") return e2e::ClickButton(program, waitSeconds, argument, controlId);
    if (command == "key" && third) return e2e::PressKey(program, waitSeconds, argument, controlId, std::atoi(third));
    if (command == "set-text" && third) return e2e::SetControlText(program, waitSeconds, argument, controlId, third);
    return Usage();
}
