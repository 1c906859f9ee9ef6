// The values that the configuration dialog edits, and what it does with them apart
// from moving them to and from its controls.
#pragma once

#include <cstdint>
#include <string>

#include "config/configuration.h"

namespace tarnwick {

struct ConfigurationForm {
  // "AutoDownLoad" as stored: 0 off, 1 the "Enabled" box, 2 and 3 only from the profile.
  std::int32_t autoDownload = 0;
  // The service's extension list as answered when the dialog opened.
  std::string validExtensions;
  std::string directories[kSlotCount + 1];  // slots 1 to 10
  std::string extensions[kSlotCount + 1];
  std::string author;
  std::int32_t pollTime = 0;
  int showConfig = 0;  // 0 or 1
  std::string password;
};

// Fills every field but the extension list from a freshly loaded configuration.
void FillFormFromConfiguration(const Configuration& stored, ConfigurationForm& form);

// The configuration that a save writes.
Configuration ConfigurationFromForm(const ConfigurationForm& form);

// The "Enabled" box shows only the plain "on" value; 2 and 3 show as cleared.
bool EnabledBoxTicked(std::int32_t autoDownload);

// A click on "Enabled" turns any "on" value (1, 2 or 3) off and "off" into 1.
std::int32_t AutoDownloadAfterEnabledClick(std::int32_t autoDownload);

// The user sees and saves the extensions without the blanks typed in front of them.
void TrimExtensionFields(ConfigurationForm& form);

}  // namespace tarnwick
