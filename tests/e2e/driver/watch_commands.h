// Driver commands that run beside the program for a whole test, until the test writes
// a line to their standard input (or closes it).
#pragma once

#include "program_windows.h"

namespace e2e {

// Presses OK on every dialog of the program as it appears, printing each one first
// (see dialog_report.h). Returns the process exit code.
int DismissDialogs(const ProgramWindows& program);

// Installs tarnwick_status_hook.dll (beside the driver), which records every status
// text of a program started with TARNWICK_E2E_STATUS_FILE; prints "RECORDING" once it
// is in place. Returns the process exit code.
int RecordStatus();

}  // namespace e2e
