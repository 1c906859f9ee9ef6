// The settings kept in the profile, and the deployment values of the service.
#pragma once

#include <cstdint>
#include <string>

#include "platform/data_protection.h"
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

// The password is kept sealed for the Windows user as "Password Protected"
// (REG_BINARY). A plain "Password" (REG_SZ), as IT staff roll it out before the
// first start, is still read and is replaced by the sealed form when it is loaded.
// What a load or save could not do with the password, for the log file:
enum class PasswordNote {
  None,
  KeptPlain,   // a plain password could not be sealed and stays plain in the profile
  Unreadable,  // the sealed password is another user's or another computer's
  NotSaved,    // the password could not be sealed; the one stored before stays
};

// The log file's line for a note; empty for None.
std::string PasswordNoteText(PasswordNote note);

// Fills every value from the profile; missing values take their defaults, and a
// slot without a directory always carries "wav".
PasswordNote LoadConfiguration(IProfile& profile, IDataProtection& protection, Configuration& config);

// Writes every value in the order the profile has always been written, the password
// only sealed.
PasswordNote SaveConfiguration(IProfile& profile, IDataProtection& protection, const Configuration& config);

// The web ports that a URL of each scheme leaves unwritten.
constexpr unsigned kHttpPort = 80;
constexpr unsigned kHttpsPort = 443;

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
