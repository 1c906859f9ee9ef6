// The settings kept in the profile, and the deployment values of the service.
#pragma once

#include <cstdint>
#include <string>

#include "platform/internet.h"
#include "platform/profile.h"

namespace tarnwick {

constexpr int kSlotCount = 10;

extern const char kSourceSection[];   // "Source Directories"
extern const char kAuthorSection[];   // "Author Details"
extern const char kServiceSection[];  // "Service"

// The working copy of the settings. Slots are numbered 1 to 10; index 0 is unused.
struct Configuration {
  std::string directories[kSlotCount + 1];
  std::string extensions[kSlotCount + 1];
  std::string author;
  std::string password;
  std::int32_t pollMinutes = 0;
  std::int32_t showConfig = 0;
  std::int32_t autoDownload = 0;
};

// Fills every value from the profile; missing values take their defaults, and a
// slot without a directory always carries "wav".
void LoadConfiguration(IProfile& profile, Configuration& config);

// Writes every value in the order the profile has always been written.
void SaveConfiguration(IProfile& profile, const Configuration& config);

// Where the service lives. Compiled defaults, overridden by the "Service" section.
struct ServiceSettings {
  std::string domain;
  std::string webHost;
  unsigned httpPort = 80;
  std::string ftpHost;
  unsigned ftpPort = 21;
  std::string supportEmail;
  // With Encryption::Required every web request goes over HTTPS, on the profile's
  // "HTTP Port" when it names one and on 443 otherwise (httpPort says which).
  TransportSecurity security;
};

ServiceSettings DefaultServiceSettings();
ServiceSettings LoadServiceSettings(IProfile& profile);

}  // namespace tarnwick
