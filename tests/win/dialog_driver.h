// Drives real modal dialogs from inside the test thread: a script of steps run from a
// thread timer while the dialogs' own message loops run, helpers that read and press
// controls, and screenshots for a person to look at.
#pragma once

#include <windows.h>

#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tarnwick::dialog_testing {

// Whether the program's dialog templates are linked into the test program.
bool UseProgramResources();

// Steps run one per timer tick, inside whatever modal loop is current, so a step that
// opens another dialog must press its button with PressButton (posted) and let a
// WaitFor step find the new dialog. A script that is not done in time closes every
// dialog of the thread, so that a failing test ends instead of hanging.
class DialogScript {
 public:
  explicit DialogScript(std::chrono::milliseconds limit = std::chrono::seconds(30));
  ~DialogScript();
  DialogScript(const DialogScript&) = delete;
  DialogScript& operator=(const DialogScript&) = delete;

  DialogScript& Do(std::string what, std::function<void()> step);
  DialogScript& WaitFor(std::string what, std::function<bool()> condition);
  // Arms the timer; call just before running the first dialog.
  void Start();

  bool Finished() const { return m_steps.empty() && m_stuckAt.empty(); }
  // The step that was pending when time ran out, or the first step never reached.
  std::string Pending() const;

 private:
  struct Step {
    std::string what;
    std::function<void()> action;
    std::function<bool()> condition;
  };
  static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD);
  void Tick();

  std::deque<Step> m_steps;
  std::chrono::milliseconds m_limit;
  std::chrono::steady_clock::time_point m_started;
  UINT_PTR m_timer = 0;
  bool m_inStep = false;
  std::string m_stuckAt;
};

// A visible dialog of this thread with this title, or null.
HWND FindDialog(const std::string& title);
std::string ControlText(HWND dialog, int controlId);
void SetControlText(HWND dialog, int controlId, const std::string& text);
bool IsChecked(HWND dialog, int controlId);
bool IsShown(HWND dialog, int controlId);
// Clicks a button later, from the message loop, as a user would.
void PressButton(HWND dialog, int controlId);
// Clicks a check box now; it opens nothing.
void ClickCheckBox(HWND dialog, int controlId);

std::vector<std::string> ListItems(HWND list);
// -1 when no item has exactly this text.
int FindListItem(HWND list, const std::string& text);
void DoubleClickListItem(HWND list, int index);
void SelectListItem(HWND list, int index);
std::string SelectedComboText(HWND combo);

// Writes the window as it is on the screen to screenshots\<name>.bmp in the working
// directory; false when it could not.
bool SaveScreenshot(HWND window, const std::string& name);

}  // namespace tarnwick::dialog_testing
