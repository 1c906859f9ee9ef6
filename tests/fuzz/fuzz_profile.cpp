// Loading the settings from a profile that another program (or an older version,
// or a hand edit) may have filled with anything: each value missing, a text, a
// number or bytes (sealed for this user or not), whatever its name expects. A value
// of the wrong type loads as the value's default; ports outside 1 to 65535 keep the
// compiled default; the password that opens wins over a plain one, and no plain one
// is left; what the dialog saves from a loaded configuration loads back unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "config/configuration.h"
#include "config/configuration_form.h"
#include "doubles/fake_data_protection.h"
#include "doubles/fake_profile.h"
#include "fuzz_check.h"

using namespace tarnwick;
using tarnwick::testing::FakeDataProtection;
using tarnwick::testing::FakeProfile;

namespace {

struct Stored {
  const char* section;
  std::string name;
};

std::vector<Stored> AllValues() {
  std::vector<Stored> values;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    values.push_back({kSourceSection, "Dir" + std::to_string(slot)});
    values.push_back({kSourceSection, "Ext" + std::to_string(slot)});
  }
  for (const char* name : {"Author", "Password", "Password Protected", "Poll Time", "Show Config", "AutoDownLoad"})
    values.push_back({kAuthorSection, name});
  for (const char* name : {"Domain", "Web Host", "HTTP Port", "FTP Host", "FTP Port", "Support Email"})
    values.push_back({kServiceSection, name});
  return values;
}

std::string Text(FakeProfile& profile, const char* section, const std::string& name) {
  return profile.ReadString(section, name).value_or("");
}

std::int32_t Number(FakeProfile& profile, const char* section, const std::string& name) {
  return profile.ReadInt(section, name).value_or(0);
}

unsigned Port(FakeProfile& profile, const char* name, unsigned compiled) {
  const std::optional<std::int32_t> stored = profile.ReadInt(kServiceSection, name);
  return stored && *stored >= 1 && *stored <= 65535 ? static_cast<unsigned>(*stored) : compiled;
}

bool Same(const Configuration& a, const Configuration& b) {
  for (int slot = 1; slot <= kSlotCount; ++slot)
    if (a.directories[slot] != b.directories[slot] || a.extensions[slot] != b.extensions[slot]) return false;
  return a.author == b.author && a.password == b.password && a.pollMinutes == b.pollMinutes &&
         (a.showConfig != 0) == (b.showConfig != 0) && a.autoDownload == b.autoDownload;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  FakeProfile profile;
  FakeDataProtection protection;
  for (const Stored& value : AllValues()) {
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
      case 0:
        break;  // missing
      case 1: {
        // The registry hands texts out up to their first zero byte.
        std::string text = input.ConsumeRandomLengthString(40);
        profile.values[{value.section, value.name}] = text.substr(0, text.find('\0'));
        break;
      }
      case 2:
        profile.values[{value.section, value.name}] = input.ConsumeIntegral<std::int32_t>();
        break;
      case 3:
        profile.values[{value.section, value.name}] = FakeProfile::Bytes{input.ConsumeRandomLengthString(40)};
        break;
      default:
        profile.values[{value.section, value.name}] =
            FakeProfile::Bytes{protection.Protect(input.ConsumeRandomLengthString(40)).value()};
    }
  }

  const std::optional<std::string> sealed = profile.ReadBinary(kAuthorSection, "Password Protected");
  const std::optional<std::string> opened = sealed ? protection.Unprotect(*sealed) : std::nullopt;
  const std::string password = opened ? *opened : Text(profile, kAuthorSection, "Password");
  Configuration config;
  LoadConfiguration(profile, protection, config);
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const std::string n = std::to_string(slot);
    FUZZ_CHECK(config.directories[slot] == Text(profile, kSourceSection, "Dir" + n));
    FUZZ_CHECK(config.extensions[slot] ==
               (config.directories[slot].empty() ? std::string("wav") : Text(profile, kSourceSection, "Ext" + n)));
  }
  FUZZ_CHECK(config.author == Text(profile, kAuthorSection, "Author"));
  FUZZ_CHECK(config.password == password);
  FUZZ_CHECK(!profile.ReadString(kAuthorSection, "Password").has_value());
  FUZZ_CHECK(config.pollMinutes == Number(profile, kAuthorSection, "Poll Time"));
  FUZZ_CHECK(config.showConfig == Number(profile, kAuthorSection, "Show Config"));
  FUZZ_CHECK(config.autoDownload == Number(profile, kAuthorSection, "AutoDownLoad"));

  const ServiceSettings compiled = DefaultServiceSettings();
  const ServiceSettings service = LoadServiceSettings(profile);
  FUZZ_CHECK(service.domain == profile.ReadString(kServiceSection, "Domain").value_or(compiled.domain));
  FUZZ_CHECK(service.webHost == profile.ReadString(kServiceSection, "Web Host").value_or(compiled.webHost));
  FUZZ_CHECK(service.ftpHost == profile.ReadString(kServiceSection, "FTP Host").value_or(compiled.ftpHost));
  FUZZ_CHECK(service.supportEmail == profile.ReadString(kServiceSection, "Support Email").value_or(compiled.supportEmail));
  FUZZ_CHECK(service.httpPort == Port(profile, "HTTP Port", compiled.httpPort));
  FUZZ_CHECK(service.ftpPort == Port(profile, "FTP Port", compiled.ftpPort));

  // The dialog's round trip: what it saves from this configuration loads back the same.
  ConfigurationForm form;
  FillFormFromConfiguration(config, form);
  FakeProfile saved;
  SaveConfiguration(saved, protection, ConfigurationFromForm(form));
  Configuration reloaded;
  LoadConfiguration(saved, protection, reloaded);
  FUZZ_CHECK(Same(reloaded, config));
  return 0;
}
