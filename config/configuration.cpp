#include "config/configuration.h"

#include <optional>
#include <string>

namespace tarnwick {

const char kSourceSection[] = "Source Directories";
const char kAuthorSection[] = "Author Details";
const char kServiceSection[] = "Service";

namespace {

std::string ReadText(IProfile& profile, const char* section, const std::string& name) {
  return profile.ReadString(section, name).value_or(std::string());
}

std::int32_t ReadNumber(IProfile& profile, const char* section, const std::string& name) {
  return profile.ReadInt(section, name).value_or(0);
}

const char kPlainPassword[] = "Password";
const char kSealedPassword[] = "Password Protected";

// Seals the password into the profile and only then removes a plain one, so a
// failure at any step leaves the password stored as it was. An empty password is
// stored as no value at all.
bool StorePassword(IProfile& profile, IDataProtection& protection, const std::string& password) {
  if (password.empty()) {
    profile.DeleteValue(kAuthorSection, kSealedPassword);
    profile.DeleteValue(kAuthorSection, kPlainPassword);
    return true;
  }
  const std::optional<std::string> sealed = protection.Protect(password);
  if (!sealed || !profile.WriteBinary(kAuthorSection, kSealedPassword, *sealed)) return false;
  profile.DeleteValue(kAuthorSection, kPlainPassword);
  return true;
}

PasswordNote LoadPassword(IProfile& profile, IDataProtection& protection, std::string& password) {
  const std::optional<std::string> sealed = profile.ReadBinary(kAuthorSection, kSealedPassword);
  const std::optional<std::string> opened = sealed ? protection.Unprotect(*sealed) : std::nullopt;
  if (opened) {
    password = *opened;
    // A plain copy beside the sealed one is a secret in clear that nothing reads.
    if (profile.ReadString(kAuthorSection, kPlainPassword)) profile.DeleteValue(kAuthorSection, kPlainPassword);
    return PasswordNote::None;
  }
  if (const std::optional<std::string> plain = profile.ReadString(kAuthorSection, kPlainPassword)) {
    password = *plain;
    return StorePassword(profile, protection, password) ? PasswordNote::None : PasswordNote::KeptPlain;
  }
  return sealed ? PasswordNote::Unreadable : PasswordNote::None;
}

}  // namespace

std::string PasswordNoteText(PasswordNote note) {
  switch (note) {
    case PasswordNote::KeptPlain:
      return "The password could not be stored protected for this Windows user; it stays in the profile as plain "
             "text.";
    case PasswordNote::Unreadable:
      return "The stored password could not be read (it was stored by another Windows user or on another "
             "computer). Enter it again in the Configuration.";
    case PasswordNote::NotSaved:
      return "The password could not be stored protected for this Windows user and was not saved; the one "
             "stored before stays.";
    case PasswordNote::None:
      break;
  }
  return std::string();
}

PasswordNote LoadConfiguration(IProfile& profile, IDataProtection& protection, Configuration& config) {
  config = Configuration();
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    config.directories[slot] = ReadText(profile, kSourceSection, "Dir" + std::to_string(slot));
    // A slot without a directory is never scanned; it carries the suggested extension
    // so that the dialog's extension check passes for it.
    if (config.directories[slot].empty())
      config.extensions[slot] = "wav";
    else
      config.extensions[slot] = ReadText(profile, kSourceSection, "Ext" + std::to_string(slot));
  }
  config.author = ReadText(profile, kAuthorSection, "Author");
  const PasswordNote note = LoadPassword(profile, protection, config.password);
  config.pollMinutes = ReadNumber(profile, kAuthorSection, "Poll Time");
  config.showConfig = ReadNumber(profile, kAuthorSection, "Show Config");
  config.autoDownload = ReadNumber(profile, kAuthorSection, "AutoDownLoad");
  return note;
}

PasswordNote SaveConfiguration(IProfile& profile, IDataProtection& protection, const Configuration& config) {
  for (int slot = 1; slot <= kSlotCount; ++slot)
    profile.WriteString(kSourceSection, "Dir" + std::to_string(slot), config.directories[slot]);
  for (int slot = 1; slot <= kSlotCount; ++slot)
    profile.WriteString(kSourceSection, "Ext" + std::to_string(slot), config.extensions[slot]);
  profile.WriteString(kAuthorSection, "Author", config.author);
  // Never written in clear: a password that cannot be sealed is not saved at all.
  const bool stored = StorePassword(profile, protection, config.password);
  profile.WriteInt(kAuthorSection, "Poll Time", config.pollMinutes);
  profile.WriteInt(kAuthorSection, "Show Config", config.showConfig);
  profile.WriteInt(kAuthorSection, "AutoDownLoad", config.autoDownload);
  return stored ? PasswordNote::None : PasswordNote::NotSaved;
}

ServiceSettings DefaultServiceSettings() {
  ServiceSettings settings;
  settings.domain = TARNWICK_DEFAULT_DOMAIN;
  settings.webHost = TARNWICK_DEFAULT_WEB_HOST;
  settings.httpPort = TARNWICK_DEFAULT_HTTP_PORT;
  settings.ftpHost = TARNWICK_DEFAULT_FTP_HOST;
  settings.ftpPort = TARNWICK_DEFAULT_FTP_PORT;
  settings.supportEmail = TARNWICK_DEFAULT_SUPPORT_EMAIL;
  settings.security.encryption = static_cast<Encryption>(TARNWICK_DEFAULT_ENCRYPTION);
  return settings;
}

ServiceSettings LoadServiceSettings(IProfile& profile) {
  ServiceSettings settings = DefaultServiceSettings();
  auto text = [&](const char* name, std::string& value) {
    if (auto stored = profile.ReadString(kServiceSection, name)) value = *stored;
  };
  // A port outside 1 to 65535 names no port (a transport would cut it to 16 bits,
  // that is to another port); such a value is ignored like one of the wrong type.
  auto port = [&](const char* name, unsigned& value) {
    auto stored = profile.ReadInt(kServiceSection, name);
    if (!stored || *stored < 1 || *stored > 65535) return false;
    value = static_cast<unsigned>(*stored);
    return true;
  };
  text("Domain", settings.domain);
  text("Web Host", settings.webHost);
  const bool httpPortNamed = port("HTTP Port", settings.httpPort);
  text("FTP Host", settings.ftpHost);
  port("FTP Port", settings.ftpPort);
  text("Support Email", settings.supportEmail);
  // A value that names no mode is ignored, like one of the wrong type.
  if (auto stored = profile.ReadInt(kServiceSection, "Encryption"); stored && *stored >= 0 && *stored <= 2)
    settings.security.encryption = static_cast<Encryption>(*stored);
  text("CA File", settings.security.caFile);
  if (settings.security.encryption == Encryption::Required && !httpPortNamed) settings.httpPort = kHttpsPort;
  return settings;
}

}  // namespace tarnwick
