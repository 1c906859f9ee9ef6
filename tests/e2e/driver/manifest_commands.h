// What a program's embedded manifest declares, as Windows itself reads it.
#pragma once

namespace e2e {

// Builds an activation context from the manifest embedded in the executable at path
// (resource 1) and prints the operating systems it declares supported, one GUID per
// line in registry form ("{35138b9a-...}"), in the manifest's order. A compatibility
// section that Windows does not recognise (a wrong namespace, say) prints nothing.
// Returns the process exit code (1 when the manifest cannot be read).
int PrintSupportedOs(const char* path);

}  // namespace e2e
