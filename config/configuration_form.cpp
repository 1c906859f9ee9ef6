#include "config/configuration_form.h"

#include "config/extension_rules.h"

namespace tarnwick {

void FillFormFromConfiguration(const Configuration& stored, ConfigurationForm& form) {
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    form.directories[slot] = stored.directories[slot];
    form.extensions[slot] = stored.extensions[slot];
  }
  form.author = stored.author;
  form.password = stored.password;
  form.autoDownload = stored.autoDownload;
  form.pollTime = stored.pollMinutes;
  form.showConfig = stored.showConfig != 0 ? 1 : 0;
}

Configuration ConfigurationFromForm(const ConfigurationForm& form) {
  Configuration config;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    config.directories[slot] = form.directories[slot];
    config.extensions[slot] = form.extensions[slot];
  }
  config.author = form.author;
  config.password = form.password;
  config.pollMinutes = form.pollTime;
  config.showConfig = form.showConfig;
  config.autoDownload = form.autoDownload;
  return config;
}

bool EnabledBoxTicked(std::int32_t autoDownload) { return autoDownload == 1; }

std::int32_t AutoDownloadAfterEnabledClick(std::int32_t autoDownload) { return autoDownload == 0 ? 1 : 0; }

void TrimExtensionFields(ConfigurationForm& form) {
  for (int slot = 1; slot <= kSlotCount; ++slot) form.extensions[slot] = TrimLeadingWhiteSpace(form.extensions[slot]);
}

}  // namespace tarnwick
