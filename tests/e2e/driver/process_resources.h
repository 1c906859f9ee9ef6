// What the program's process holds, as Windows reports it to another process.
#pragma once

#include "program_windows.h"

namespace e2e {

// Prints one line for the program's process (found through its frame window):
// "pid=<n> working_set=<bytes> pagefile=<bytes> private=<bytes> handles=<n> gdi=<n> user=<n>".
// Wine reports 0 for what it does not keep for another process (the GDI/USER objects in
// Wine 8); the handle count then comes from the system's handle list.
// Returns the process exit code (1 when there is no frame or no access).
int PrintProcessResources(const ProgramWindows& program);

}  // namespace e2e
