// Finds and reads the windows of the program under test from another process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The frame's caption, and the ids of the frame's children that the tests read.
inline constexpr const char* kFrameTitle = "Dravos Upload Ulkin";
inline constexpr int kWindowLogId = 59648;
inline constexpr int kStatusBarId = 103;

struct DialogInfo {
    HWND window = nullptr;
    std::string caption;
    std::vector<std::string> texts;  // the static texts, in child order
};

class ProgramWindows {
public:
    // Windows of processes whose executable has this base name (case-insensitive).
    explicit ProgramWindows(std::string exeName);

    // The frame: a top-level window of the program with the frame's caption that holds
    // the window log. Message boxes share the caption, hence the child check.
    HWND FindFrame() const;

    // The program's dialogs (class #32770), optionally only those with this caption.
    std::vector<DialogInfo> FindDialogs(const char* caption) const;

private:
    std::vector<DWORD> ProgramProcessIds() const;

    std::string m_exeName;
};

// Any top-level window of any process with exactly this title.
bool TopLevelWindowExists(const char* title);

// WM_GETTEXT across processes, bounded in time so that a hung program cannot hang the
// driver. Returns false when the window did not answer.
bool ReadWindowText(HWND window, std::string& text);

// The icons of the notification area as Wine's stand-alone tray (used when no desktop
// tray exists, as on Xvfb) shows them: one window per icon, of every process.
std::vector<HWND> TrayIconWindows();

// Presses the dialog's OK button; returns false when it has none.
bool PressOk(HWND dialog);

}  // namespace e2e
