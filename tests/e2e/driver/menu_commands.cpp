#include "menu_commands.h"

#include <tlhelp32.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "retrying.h"

namespace e2e {
namespace {

// The menus as the program's executable holds them: the frame's menu bar is loaded with
// the frame from resource 2, the tray menu's id is the tray icon's id.
constexpr UINT kFrameMenuId = 2;
constexpr UINT kTrayMenuId = 3;
constexpr UINT kTrayCallbackMessage = WM_USER;
constexpr double kPopupWaitSeconds = 10;

struct MenuItem {
    std::string text;
    UINT id = 0;
    HMENU popup = nullptr;
};

std::vector<MenuItem> ItemsOf(HMENU menu) {
    std::vector<MenuItem> items;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        char text[256] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, position, TRUE, &info)) continue;
        items.push_back(MenuItem{text, info.wID, info.hSubMenu});
    }
    return items;
}

// The key that picks the item: the character after a single '&'; 0 when there is none.
char MnemonicOf(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] != '&') return text[i + 1];
        ++i;
    }
    return 0;
}

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// The item with exactly this text, whose mnemonic no other item of the menu shares (a
// shared one would make the key pick another item); prints why when there is none.
const MenuItem* FindUniquelyKeyedItem(const std::vector<MenuItem>& items, const char* text) {
    const MenuItem* found = nullptr;
    for (const MenuItem& item : items) {
        if (item.text == text) found = &item;
    }
    if (!found) {
        std::printf("no item \"%s\" among:", text);
        for (const MenuItem& item : items) std::printf(" \"%s\"", item.text.c_str());
        std::printf("\n");
        return nullptr;
    }
    const char key = MnemonicOf(found->text);
    for (const MenuItem& item : items) {
        if (key == 0 || (&item != found && Lower(MnemonicOf(item.text)) == Lower(key))) {
            std::printf("item \"%s\" has no key of its own\n", text);
            return nullptr;
        }
    }
    return found;
}

struct PopupSearch {
    DWORD processId = 0;
    bool found = false;
};

BOOL CALLBACK FindPopupMenu(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<PopupSearch*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    // "#32768" is the system's class of pop-up menu windows.
    if (processId == search->processId && std::strcmp(name, "#32768") == 0 && IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool PopupMenuShown(DWORD processId) {
    PopupSearch search;
    search.processId = processId;
    EnumWindows(FindPopupMenu, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForFrame(const ProgramWindows& program, double waitSeconds) {
    HWND frame = nullptr;
    RunUntil(waitSeconds, [&] { return Attempt{(frame = program.FindFrame()) != nullptr, ""}; });
    if (!frame) std::printf("no frame window\n");
    return frame;
}

std::string ExecutableOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE) return "";
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    // The first module of a process is its executable.
    std::string path = Module32First(snapshot, &module) ? module.szExePath : "";
    CloseHandle(snapshot);
    return path;
}

// The menu's own message loop runs on the frame's thread while a menu is open and takes
// the keys of that thread's queue. A key is typed only once the pop-up shows: before,
// the loop would look for the key on the menu bar, or the key would reach the frame.
bool WaitForPopup(HWND frame) {
    DWORD processId = 0;
    GetWindowThreadProcessId(frame, &processId);
    const bool shown = RunUntil(kPopupWaitSeconds, [processId] {
        return Attempt{PopupMenuShown(processId), ""};
    }) == kFound;
    if (!shown) std::printf("no pop-up menu opened\n");
    return shown;
}

bool TypeIntoOpenedPopup(HWND frame, char key) {
    return WaitForPopup(frame) && PostMessageA(frame, WM_CHAR, static_cast<unsigned char>(key), 1) != 0;
}

bool OpenTrayMenu(HWND frame) { return PostMessageA(frame, kTrayCallbackMessage, kTrayMenuId, WM_RBUTTONUP) != 0; }

// The items of a menu resource of the program's executable: Wine lets
// no other process read the menus of the program's windows, so the items are read
// where the program loads them from.
class ProgramMenu {
public:
    ProgramMenu(HWND frame, UINT menuId) : m_executable(ExecutableOf(frame)) {
        m_module = LoadLibraryExA(m_executable.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        m_menu = m_module ? LoadMenuA(m_module, MAKEINTRESOURCEA(menuId)) : nullptr;
        if (!m_menu) std::printf("no menu %u in \"%s\"\n", menuId, m_executable.c_str());
    }
    ~ProgramMenu() {
        if (m_menu) DestroyMenu(m_menu);
        if (m_module) FreeLibrary(m_module);
    }
    ProgramMenu(const ProgramMenu&) = delete;
    ProgramMenu& operator=(const ProgramMenu&) = delete;

    // The menu bar's items, or those of the pop-up behind one of them.
    std::vector<MenuItem> Items(HMENU popup = nullptr) const {
        if (!m_menu) return {};
        return ItemsOf(popup ? popup : m_menu);
    }

private:
    std::string m_executable;
    HMODULE m_module = nullptr;
    HMENU m_menu = nullptr;
};

}  // namespace

int PickFromMainMenu(const ProgramWindows& program, double waitSeconds, const char* popup, const char* item) {
    HWND frame = WaitForFrame(program, waitSeconds);
    if (!frame) return kNotFound;
    if (!GetMenu(frame)) {
        std::printf("the frame has no menu bar\n");
        return kNotFound;
    }
    const ProgramMenu menu(frame, kFrameMenuId);
    const std::vector<MenuItem> bar = menu.Items();
    const MenuItem* popupItem = FindUniquelyKeyedItem(bar, popup);
    if (!popupItem || !popupItem->popup) return kNotFound;
    const std::vector<MenuItem> items = menu.Items(popupItem->popup);
    const MenuItem* picked = FindUniquelyKeyedItem(items, item);
    if (!picked) return kNotFound;
    std::printf("%u\n", picked->id);
    // Alt with a letter arrives at a window as this system command; it opens the pop-up
    // of the frame's own menu bar that carries the letter.
    const bool sent = PostMessageA(frame, WM_SYSCOMMAND, SC_KEYMENU, Lower(MnemonicOf(popupItem->text))) &&
                      TypeIntoOpenedPopup(frame, Lower(MnemonicOf(picked->text)));
    return sent ? kFound : kNotFound;
}

int PickFromTrayMenu(const ProgramWindows& program, double waitSeconds, const char* item) {
    HWND frame = WaitForFrame(program, waitSeconds);
    if (!frame) return kNotFound;
    const ProgramMenu menu(frame, kTrayMenuId);
    const std::vector<MenuItem> bar = menu.Items();
    if (bar.empty() || !bar.front().popup) return kNotFound;
    const std::vector<MenuItem> items = menu.Items(bar.front().popup);
    const MenuItem* picked = FindUniquelyKeyedItem(items, item);
    if (!picked) return kNotFound;
    std::printf("%u\n", picked->id);
    const bool sent = OpenTrayMenu(frame) && TypeIntoOpenedPopup(frame, Lower(MnemonicOf(picked->text)));
    return sent ? kFound : kNotFound;
}

int ShowTrayMenu(const ProgramWindows& program, double waitSeconds) {
    HWND frame = WaitForFrame(program, waitSeconds);
    if (!frame) return kNotFound;
    // The menu opens at the mouse pointer, which a user's right click leaves on the icon.
    const std::vector<HWND> icons = TrayIconWindows();
    RECT icon = {};
    if (icons.size() == 1 && GetWindowRect(icons.front(), &icon)) {
        SetCursorPos((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
    }
    return OpenTrayMenu(frame) && WaitForPopup(frame) ? kFound : kNotFound;
}

}  // namespace e2e
