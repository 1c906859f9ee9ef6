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

// Prints the Windows version the program's process was started under, as its process
// environment block holds it: "<major>.<minor>.<build>". Wine fills it from the prefix's
// configured version when the process starts, so it is the version the program runs
// under, not only a value in the registry. Returns the process exit code as above.
int PrintProcessWindowsVersion(const ProgramWindows& program);

}  // namespace e2e
