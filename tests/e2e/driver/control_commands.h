// Driver commands on the controls of the program's dialogs, each control named by its
// dialog's caption and its control id. Each waits up to waitSeconds for the control.
#pragma once

#include "program_windows.h"

namespace e2e {

// Prints the control's text.
int PrintControlText(const ProgramWindows& program, double waitSeconds, const char* caption, int controlId);

// Replaces the whole text of an edit control.
int SetControlText(const ProgramWindows& program, double waitSeconds, const char* caption, int controlId,
                   const char* text);

// Prints "checked" or "clear" for a check box.
int PrintCheckState(const ProgramWindows& program, double waitSeconds, const char* caption, int controlId);

// Clicks a button. Posted, not sent: a click may open a modal dialog, which would
// hold a sent message until it closes.
int ClickButton(const ProgramWindows& program, double waitSeconds, const char* caption, int controlId);

// Presses and releases a key, given by its virtual-key code, on the control (posted).
int PressKey(const ProgramWindows& program, double waitSeconds, const char* caption, int controlId, int virtualKey);

// Prints the id of the dialog's control that has the keyboard focus; with an
// expected id, succeeds only once the focus is there.
int PrintFocus(const ProgramWindows& program, double waitSeconds, const char* caption, const char* expectedId);

}  // namespace e2e
