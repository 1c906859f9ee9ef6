#include "config/configuration_form.h"

#include "config/extension_rules.h"

namespace tarnwick {

void FillFormFromConfiguration(const Configuration& stored, ConfigurationForm& form) {
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    form.m_strDir[slot] = stored.m_strDir[slot];
    form.m_strExt[slot] = stored.m_strExt[slot];
  }
  form.m_strAuthor = stored.m_strAuthor;
  form.m_strPassword = stored.m_strPassword;
  form.m_nAutoDownload = stored.m_nAutoDownload;
  form.m_nPollTime = stored.m_nPollMinutes;
  form.m_bShowConfig = stored.m_nShowConfig != 0 ? 1 : 0;
}

Configuration ConfigurationFromForm(const ConfigurationForm& form) {
  Configuration config;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    config.m_strDir[slot] = form.m_strDir[slot];
    config.m_strExt[slot] = form.m_strExt[slot];
  }
  config.m_strAuthor = form.m_strAuthor;
  config.m_strPassword = form.m_strPassword;
  config.m_nPollMinutes = form.m_nPollTime;
  config.m_nShowConfig = form.m_bShowConfig;
  config.m_nAutoDownload = form.m_nAutoDownload;
  return config;
}

bool EnabledBoxTicked(std::int32_t autoDownload) { return autoDownload == 1; }

std::int32_t AutoDownloadAfterEnabledClick(std::int32_t autoDownload) { return autoDownload == 0 ? 1 : 0; }

void TrimExtensionFields(ConfigurationForm& form) {
  for (int slot = 1; slot <= kSlotCount; ++slot) form.m_strExt[slot] = TrimLeadingWhiteSpace(form.m_strExt[slot]);
}

}  // namespace tarnwick
