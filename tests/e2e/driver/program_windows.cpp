#include "program_windows.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>

namespace e2e {
namespace {

constexpr UINT kAnswerTimeoutMs = 5000;

bool SameNameIgnoringCase(const char* a, const char* b) {
    return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a, -1, b, -1) == CSTR_EQUAL;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct TopLevelSearch {
    const std::vector<DWORD>* processIds = nullptr;  // null: any process
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TopLevelSearch*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (!search->processIds || std::find(search->processIds->begin(), search->processIds->end(),
                                         processId) != search->processIds->end()) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> TopLevelWindows(const std::vector<DWORD>* processIds) {
    TopLevelSearch search;
    search.processIds = processIds;
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM context) {
    auto* texts = reinterpret_cast<std::vector<std::string>*>(context);
    if (!SameNameIgnoringCase(ClassOf(child).c_str(), "Static")) return TRUE;
    // Icon and bitmap statics carry no readable text.
    const LONG kind = GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK;
    if (kind == SS_ICON || kind == SS_BITMAP) return TRUE;
    std::string text;
    if (ReadWindowText(child, text) && !text.empty()) texts->push_back(text);
    return TRUE;
}

}  // namespace

ProgramWindows::ProgramWindows(std::string exeName) : m_exeName(std::move(exeName)) {}

std::vector<DWORD> ProgramWindows::ProgramProcessIds() const {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        const char* base = std::strrchr(entry.szExeFile, '\\');
        base = base ? base + 1 : entry.szExeFile;
        if (SameNameIgnoringCase(base, m_exeName.c_str())) ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

HWND ProgramWindows::FindFrame() const {
    const std::vector<DWORD> ids = ProgramProcessIds();
    for (HWND window : TopLevelWindows(&ids)) {
        std::string title;
        if (GetDlgItem(window, kWindowLogId) && ReadWindowText(window, title) && title == kFrameTitle) {
            return window;
        }
    }
    return nullptr;
}

std::vector<DialogInfo> ProgramWindows::FindDialogs(const char* caption) const {
    std::vector<DialogInfo> dialogs;
    const std::vector<DWORD> ids = ProgramProcessIds();
    for (HWND window : TopLevelWindows(&ids)) {
        if (ClassOf(window) != "#32770" || !IsWindowVisible(window)) continue;
        DialogInfo info;
        info.window = window;
        ReadWindowText(window, info.caption);
        if (caption && info.caption != caption) continue;
        EnumChildWindows(window, CollectStaticText, reinterpret_cast<LPARAM>(&info.texts));
        dialogs.push_back(info);
    }
    return dialogs;
}

bool TopLevelWindowExists(const char* title) {
    for (HWND window : TopLevelWindows(nullptr)) {
        std::string text;
        if (ReadWindowText(window, text) && text == title) return true;
    }
    return false;
}

std::vector<HWND> TrayIconWindows() {
    std::vector<HWND> icons;
    for (HWND tray : TopLevelWindows(nullptr)) {
        if (ClassOf(tray) != "__winex11_standalone_tray") continue;
        for (HWND child = GetWindow(tray, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (ClassOf(child) == "__winex11_tray_icon") icons.push_back(child);
        }
    }
    return icons;
}

bool ReadWindowText(HWND window, std::string& text) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &length)) {
        return false;
    }
    std::vector<char> buffer(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &copied)) {
        return false;
    }
    text.assign(buffer.data(), std::min<size_t>(copied, length));
    return true;
}

bool PressOk(HWND dialog) {
    HWND button = GetDlgItem(dialog, IDOK);
    if (!button) return false;
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &ignored) != 0;
}

}  // namespace e2e
