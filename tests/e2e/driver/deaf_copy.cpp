#include "deaf_copy.h"

#include <windows.h>

#include <cstdio>

namespace e2e {

namespace {

const char kFrameClass[] = "TarnwickFrame";
const char kFrameTitle[] = "Dravos Upload Ulkin";

// Standard input is a pipe, which a message wait cannot watch: a thread of its own
// reads it and ends the message loop.
DWORD WINAPI AwaitLine(LPVOID uiThreadId) {
    char line[256];
    (void)std::fgets(line, sizeof line, stdin);
    PostThreadMessageA(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(uiThreadId)), WM_QUIT, 0, 0);
    return 0;
}

}  // namespace

int RunDeafCopy() {
    WNDCLASSA frameClass = {};
    frameClass.lpfnWndProc = DefWindowProcA;  // WM_COMMAND, Exit included, does nothing
    frameClass.hInstance = GetModuleHandleA(nullptr);
    frameClass.lpszClassName = kFrameClass;
    if (!RegisterClassA(&frameClass)) return 1;
    HWND frame = CreateWindowExA(0, kFrameClass, kFrameTitle, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 frameClass.hInstance, nullptr);
    if (!frame) return 1;

    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before the thread posts
    const UINT_PTR uiThreadId = GetCurrentThreadId();
    HANDLE reader = CreateThread(nullptr, 0, AwaitLine, reinterpret_cast<LPVOID>(uiThreadId), 0, nullptr);
    if (!reader) return 1;
    std::printf("DEAF\n");
    std::fflush(stdout);
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    WaitForSingleObject(reader, INFINITE);
    CloseHandle(reader);
    DestroyWindow(frame);
    return 0;
}

}  // namespace e2e
