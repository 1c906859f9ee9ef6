// Driver command that ends the program the way the user or Windows does and says
// how long the program took to go.
#pragma once

#include "program_windows.h"

namespace e2e {

// HOW is "menu" (the Exit command) or "session" (WM_QUERYENDSESSION, then
// WM_ENDSESSION, as at logoff). Prints "ENDED <milliseconds>" from the moment the
// request was made until the process was gone, or "RUNNING" after 60 seconds.
int TimedExit(const ProgramWindows& program, double waitSeconds, const char* how);

}  // namespace e2e
