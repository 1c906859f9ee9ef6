// File operations that the tests must do from a Windows process: Linux-side opens
// take no share locks under Wine, and the read-only mark is a Windows attribute.
#pragma once

namespace e2e {

// Opens the file for writing the way a recorder does (readers and writers allowed),
// prints "HELD", waits for one line on standard input (or its end), appends that line
// to the file, closes it and prints "RELEASED". Returns the process exit code.
int HoldOpenForWriting(const char* path);

// Opens (creating it when missing) the file with no sharing at all, as a program that
// locks it does, prints "LOCKED", waits for one line on standard input (or its end),
// closes it and prints "RELEASED". Returns the process exit code.
int LockExclusively(const char* path);

// Prints the file's attributes as "0x<hex> readonly" or "0x<hex> writable".
// Returns the process exit code (1 when the file does not exist).
int PrintAttributes(const char* path);

}  // namespace e2e
