// A stand-in for a running copy of the program that does not answer the Exit
// command, for the installer's tests: the program itself always exits promptly.
#pragma once

namespace e2e {

// Shows a top-level window of the program's frame class and title that ignores every
// command, prints "DEAF", and keeps it until a line (or the end) arrives on standard
// input. Returns the process exit code.
int RunDeafCopy();

}  // namespace e2e
