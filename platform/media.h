#pragma once

#include <string>

namespace tarnwick {

// The media control window that measures a recording.
class IRecordingLength {
 public:
  virtual ~IRecordingLength() = default;
  // Length in milliseconds as the media window answers it; 0 when it cannot be measured.
  virtual long MeasureMilliseconds(const std::string& path) = 0;
};

}  // namespace tarnwick
