// How long a recording is, for the upload report.
#pragma once

#include <string>

#include "platform/media.h"

namespace tarnwick {

// Seconds with fractions (milliseconds / 1000.0) for a name whose text after its last
// dot is "wav" in any case; 0 for every other name and for what cannot be measured.
double GetRecordingLength(IRecordingLength& media, const std::string& path);

// Whole seconds for the report: halves round away from zero, no leading blanks
// (12.4 gives "12", 2.5 gives "3", 0 gives "0").
std::string LengthText(double seconds);

}  // namespace tarnwick
