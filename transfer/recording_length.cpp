#include "transfer/recording_length.h"

#include <cmath>
#include <cstdio>

namespace tarnwick {

namespace {

bool IsWaveExtension(const std::string& extension) {
  if (extension.size() != 3) return false;
  const char* wav = "wav";
  for (std::size_t i = 0; i < 3; ++i) {
    char c = extension[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != wav[i]) return false;
  }
  return true;
}

}  // namespace

double GetRecordingLength(IRecordingLength& media, const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot == 0) return 0.0;
  if (!IsWaveExtension(path.substr(dot + 1))) return 0.0;
  return static_cast<double>(media.MeasureMilliseconds(path)) / 1000.0;
}

std::string LengthText(double seconds) {
  // The C library's "%.0f" rounds halves to even under the default rounding mode;
  // the service has always been told 2.5 s as 3, so round explicitly first.
  char text[64];
  std::snprintf(text, sizeof text, "%.0f", std::round(seconds));
  return text;
}

}  // namespace tarnwick
