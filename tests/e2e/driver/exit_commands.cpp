#include "exit_commands.h"

#include <cstdio>
#include <cstring>

#include "res/resource.h"
#include "retrying.h"

namespace e2e {

namespace {
constexpr DWORD kLongestWaitMs = 60000;
}  // namespace

int TimedExit(const ProgramWindows& program, double waitSeconds, const char* how) {
    if (!how) return kUsage;
    const bool session = std::strcmp(how, "session") == 0;
    if (!session && std::strcmp(how, "menu") != 0) return kUsage;
    HWND frame = nullptr;
    RunUntil(waitSeconds, [&] { return Attempt{(frame = program.FindFrame()) != nullptr, ""}; });
    DWORD processId = 0;
    if (frame) GetWindowThreadProcessId(frame, &processId);
    HANDLE process = processId ? OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId) : nullptr;
    if (!process) {
        std::printf("no frame window\n");
        return kNotFound;
    }
    const DWORD start = GetTickCount();
    if (session) {
        DWORD_PTR agreed = 0;
        SendMessageTimeoutA(frame, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &agreed);
        // Windows waits for the answer to WM_ENDSESSION and may end the process after it.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(frame, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, kLongestWaitMs, &ignored);
    } else {
        PostMessageA(frame, WM_COMMAND, ID_EXIT, 0);
    }
    const bool ended = WaitForSingleObject(process, kLongestWaitMs) == WAIT_OBJECT_0;
    const DWORD elapsed = GetTickCount() - start;
    // The code tells a normal end (the message loop's 0) from one forced on the process.
    DWORD exitCode = 0;
    const bool knownCode = ended && GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    if (!ended) {
        std::printf("RUNNING\n");
        return kNotFound;
    }
    if (knownCode) {
        std::printf("ENDED %lu CODE %lu\n", static_cast<unsigned long>(elapsed), static_cast<unsigned long>(exitCode));
    } else {
        std::printf("ENDED %lu CODE unknown\n", static_cast<unsigned long>(elapsed));
    }
    return kFound;
}

}  // namespace e2e
