#include "watch_commands.h"

#include <cstdio>
#include <cstring>
#include <set>

#include "dialog_report.h"

namespace e2e {
namespace {

// Returns after a whole line or the end of standard input; signals the event if any.
DWORD WINAPI WaitForInputLine(LPVOID event) {
    char line[256];
    while (std::fgets(line, sizeof line, stdin) && !std::strchr(line, '\n')) {
    }
    if (event) SetEvent(static_cast<HANDLE>(event));
    return 0;
}

}  // namespace

int DismissDialogs(const ProgramWindows& program) {
    HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE reader = CreateThread(nullptr, 0, WaitForInputLine, stop, 0, nullptr);
    // A pressed dialog may linger a moment, and one without an OK button stays:
    // each is reported once.
    std::set<HWND> handled;
    do {
        for (const DialogInfo& dialog : program.FindDialogs(nullptr)) {
            if (!handled.insert(dialog.window).second) continue;
            std::fputs(DescribeDialog(dialog).c_str(), stdout);
            std::fflush(stdout);
            PressOk(dialog.window);
        }
    } while (WaitForSingleObject(stop, 200) == WAIT_TIMEOUT);
    CloseHandle(reader);
    CloseHandle(stop);
    return 0;
}

int RecordStatus() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = std::strrchr(path, '\\');
    std::strcpy(slash ? slash + 1 : path, "tarnwick_status_hook.dll");
    HMODULE hook = LoadLibraryA(path);
    using StartFunction = HHOOK (*)();
    auto start = hook ? reinterpret_cast<StartFunction>(GetProcAddress(hook, "StartStatusRecording")) : nullptr;
    HHOOK installed = start ? start() : nullptr;
    if (!installed) {
        std::printf("cannot install the status hook from %s (error %lu)\n", path, GetLastError());
        return 1;
    }
    std::printf("RECORDING\n");
    std::fflush(stdout);
    WaitForInputLine(nullptr);
    UnhookWindowsHookEx(installed);
    return 0;
}

}  // namespace e2e
