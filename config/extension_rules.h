// Which file extensions the configuration dialog lets the user save, judged against the
// extension list text that the service answers.
#pragma once

#include <string>

#include "config/configuration.h"

namespace tarnwick {

// Drops blanks, tabs and line breaks in front of the text; those behind it stay.
std::string TrimLeadingWhiteSpace(const std::string& text);

// Permitted when it occurs anywhere in the service's answer (exact bytes, so case
// matters) and is at least three characters long: "wa" inside "wav" is not enough.
bool IsExtensionPermitted(const std::string& extension, const std::string& validExtensions);

// The first slot (1 to 10) whose extension is not permitted, or 0 when all are.
int FirstRejectedSlot(const std::string (&extensions)[kSlotCount + 1], const std::string& validExtensions);

}  // namespace tarnwick
