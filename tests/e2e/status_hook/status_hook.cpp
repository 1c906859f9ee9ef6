// Records every text that the program puts into its status bar, in order, into the
// file named by the environment variable TARNWICK_E2E_STATUS_FILE of the program's
// process. Most status texts are replaced within milliseconds by the next step of a
// cycle, so reading the bar from outside cannot see them; this hook runs inside the
// program, on the thread that owns the bar, before each text reaches it.
//
// The driver's "record-status" command installs the hook for every thread of the
// desktop; Windows (and Wine) then load this library into each process that handles
// a message. Only a process that carries the variable records anything.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kStatusBarId = 103;

HINSTANCE g_module = nullptr;
char g_recordPath[MAX_PATH] = {};
bool g_recording = false;

// Texts are stored one after another, each followed by a zero byte: status texts may
// carry line breaks of their own.
void Record(const std::string& text) {
    FILE* file = std::fopen(g_recordPath, "ab");
    if (!file) return;
    std::fwrite(text.c_str(), 1, text.size() + 1, file);
    std::fclose(file);
}

std::string Narrow(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.resize(static_cast<size_t>(size - 1));
    return narrow;
}

bool IsStatusBar(HWND window) {
    return (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) && GetDlgCtrlID(window) == kStatusBarId;
}

LRESULT CALLBACK BeforeWindowProcedure(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && g_recording && message->lParam && IsStatusBar(message->hwnd)) {
        // Pane 0 is the low byte of an SB_SETTEXT's wParam; WM_SETTEXT sets pane 0 too.
        const bool paneZero = (message->wParam & 0xFF) == 0;
        if (message->message == WM_SETTEXT) {
            Record(reinterpret_cast<const char*>(message->lParam));
        } else if (message->message == SB_SETTEXTA && paneZero) {
            Record(reinterpret_cast<const char*>(message->lParam));
        } else if (message->message == SB_SETTEXTW && paneZero) {
            Record(Narrow(reinterpret_cast<const wchar_t*>(message->lParam)));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

// Installs the hook for every thread of the desktop; the hook lasts as long as the
// calling thread. Returns null on failure.
extern "C" HHOOK StartStatusRecording() {
    return SetWindowsHookExA(WH_CALLWNDPROC, BeforeWindowProcedure, g_module, 0);
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = module;
        const DWORD length = GetEnvironmentVariableA("TARNWICK_E2E_STATUS_FILE", g_recordPath, MAX_PATH);
        g_recording = length > 0 && length < MAX_PATH;
    }
    return TRUE;
}
