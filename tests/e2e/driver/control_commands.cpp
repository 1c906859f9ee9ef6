#include "control_commands.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "retrying.h"

namespace e2e {
namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

struct ControlSearch {
    int controlId = 0;
    HWND found = nullptr;
};

BOOL CALLBACK FindDescendant(HWND child, LPARAM context) {
    auto* search = reinterpret_cast<ControlSearch*>(context);
    if (GetDlgCtrlID(child) != search->controlId) return TRUE;
    search->found = child;
    return FALSE;
}

HWND FindControl(const ProgramWindows& program, const char* caption, int controlId) {
    for (const DialogInfo& dialog : program.FindDialogs(caption)) {
        if (HWND control = GetDlgItem(dialog.window, controlId)) return control;
        // A wizard's page is a dialog of its own inside the outer one.
        ControlSearch search;
        search.controlId = controlId;
        EnumChildWindows(dialog.window, FindDescendant, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
    }
    return nullptr;
}

// Waits for the control, then runs the action on it once.
int OnControl(const ProgramWindows& program, double waitSeconds, const char* caption, int controlId,
              const std::function<Attempt(HWND)>& action) {
    HWND control = nullptr;
    RunUntil(waitSeconds, [&] { return Attempt{(control = FindControl(program, caption, controlId)) != nullptr, ""}; });
    if (!control) {
        std::printf("no control %d in a dialog \"%s\"\n", controlId, caption);
        return kNotFound;
    }
    return RunUntil(0, [&] { return action(control); });
}

}  // namespace

int PrintControlText(const ProgramWindows& program, double waitSeconds, const char* caption, int controlId) {
    return OnControl(program, waitSeconds, caption, controlId, [](HWND control) {
        Attempt read;
        read.ok = ReadWindowText(control, read.output);
        return read;
    });
}

int SetControlText(const ProgramWindows& program, double waitSeconds, const char* caption, int controlId,
                   const char* text) {
    return OnControl(program, waitSeconds, caption, controlId, [text](HWND control) {
        DWORD_PTR accepted = 0;
        const bool answered = SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text),
                                                  SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &accepted) != 0;
        return Attempt{answered && accepted != 0, ""};
    });
}

int PrintCheckState(const ProgramWindows& program, double waitSeconds, const char* caption, int controlId) {
    return OnControl(program, waitSeconds, caption, controlId, [](HWND control) {
        DWORD_PTR state = 0;
        const bool answered = SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs,
                                                  &state) != 0;
        return Attempt{answered, state == BST_CHECKED ? "checked\n" : "clear\n"};
    });
}

int ClickButton(const ProgramWindows& program, double waitSeconds, const char* caption, int controlId) {
    return OnControl(program, waitSeconds, caption, controlId,
                     [](HWND control) { return Attempt{PostMessageA(control, BM_CLICK, 0, 0) != 0, ""}; });
}

int PressKey(const ProgramWindows& program, double waitSeconds, const char* caption, int controlId, int virtualKey) {
    return OnControl(program, waitSeconds, caption, controlId, [virtualKey](HWND control) {
        const bool posted = PostMessageA(control, WM_KEYDOWN, virtualKey, 1) &&
                            PostMessageA(control, WM_KEYUP, virtualKey, 0xC0000001);
        return Attempt{posted, ""};
    });
}

int PrintFocus(const ProgramWindows& program, double waitSeconds, const char* caption, const char* expectedId) {
    return RunUntil(waitSeconds, [&] {
        const std::vector<DialogInfo> dialogs = program.FindDialogs(caption);
        if (dialogs.empty()) return Attempt{false, "no dialog\n"};
        HWND dialog = dialogs.front().window;
        GUITHREADINFO thread = {};
        thread.cbSize = sizeof thread;
        // The focus is the dialog thread's, not ours: ask that thread.
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) || !thread.hwndFocus ||
            !IsChild(dialog, thread.hwndFocus)) {
            return Attempt{false, "none\n"};
        }
        const int focused = GetDlgCtrlID(thread.hwndFocus);
        return Attempt{!expectedId || focused == std::atoi(expectedId), std::to_string(focused) + "\n"};
    });
}

}  // namespace e2e
