#include <gtest/gtest.h>

#include <optional>

#include "config/configuration.h"
#include "doubles/fake_profile.h"

namespace tarnwick {
namespace {

using testing::FakeProfile;

TEST(LoadConfiguration, FreshProfileGivesDefaultsAndWavForEverySlot) {
  FakeProfile profile;
  Configuration config;
  config.author = "left over";
  LoadConfiguration(profile, config);
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    EXPECT_EQ(config.directories[slot], "");
    EXPECT_EQ(config.extensions[slot], "wav");
  }
  EXPECT_EQ(config.author, "");
  EXPECT_EQ(config.password, "");
  EXPECT_EQ(config.pollMinutes, 0);
  EXPECT_EQ(config.showConfig, 0);
  EXPECT_EQ(config.autoDownload, 0);
}

TEST(LoadConfiguration, ExtensionIsReadOnlyForSlotsWithADirectory) {
  FakeProfile profile;
  profile.values[{"Source Directories", "Ext3"}] = std::string("dss");  // no Dir3
  profile.values[{"Source Directories", "Dir4"}] = std::string("C:\\Rec\\");  // no Ext4
  profile.values[{"Source Directories", "Dir5"}] = std::string("D:\\Docs\\");
  profile.values[{"Source Directories", "Ext5"}] = std::string(" rtf ");
  profile.values[{"Author Details", "Author"}] = std::string("author7");
  profile.values[{"Author Details", "Password"}] = std::string("p&w d");
  profile.values[{"Author Details", "Poll Time"}] = std::int32_t{5};
  profile.values[{"Author Details", "Show Config"}] = std::int32_t{1};
  profile.values[{"Author Details", "AutoDownLoad"}] = std::int32_t{2};
  Configuration config;
  LoadConfiguration(profile, config);
  EXPECT_EQ(config.extensions[3], "wav");
  EXPECT_EQ(config.directories[4], "C:\\Rec\\");
  EXPECT_EQ(config.extensions[4], "");
  EXPECT_EQ(config.extensions[5], " rtf ");  // values travel exactly as stored
  EXPECT_EQ(config.author, "author7");
  EXPECT_EQ(config.password, "p&w d");
  EXPECT_EQ(config.pollMinutes, 5);
  EXPECT_EQ(config.showConfig, 1);
  EXPECT_EQ(config.autoDownload, 2);
}

TEST(SaveConfiguration, WritesEveryValueInTheStoredOrder) {
  FakeProfile profile;
  Configuration config;
  config.directories[2] = "C:\\A\\";
  config.extensions[2] = "dss";
  config.author = "a";
  config.password = "b";
  config.pollMinutes = 7;
  config.showConfig = 1;
  config.autoDownload = 3;
  SaveConfiguration(profile, config);
  ASSERT_EQ(profile.writes.size(), 25u);
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    EXPECT_EQ(profile.writes[slot - 1].name, "Dir" + std::to_string(slot));
    EXPECT_EQ(profile.writes[slot + 9].name, "Ext" + std::to_string(slot));
  }
  EXPECT_EQ(std::get<std::string>(profile.writes[1].value), "C:\\A\\");
  EXPECT_EQ(std::get<std::string>(profile.writes[0].value), "");  // empty, not deleted
  const char* authorNames[] = {"Author", "Password", "Poll Time", "Show Config", "AutoDownLoad"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(profile.writes[20 + i].section, "Author Details");
    EXPECT_EQ(profile.writes[20 + i].name, authorNames[i]);
  }
  EXPECT_EQ(std::get<std::int32_t>(profile.writes[22].value), 7);
  EXPECT_EQ(std::get<std::int32_t>(profile.writes[24].value), 3);
}

TEST(ServiceSettings, ProfileOverridesEachValueThatIsPresent) {
  FakeProfile profile;
  ServiceSettings defaults = LoadServiceSettings(profile);
  EXPECT_EQ(defaults.domain, "tessaro.example");
  EXPECT_EQ(defaults.webHost, "www.tessaro.example");
  EXPECT_EQ(defaults.httpPort, 80u);
  EXPECT_EQ(defaults.ftpHost, "ftp.tessaro.example");
  EXPECT_EQ(defaults.ftpPort, 21u);
  EXPECT_EQ(defaults.supportEmail, "support@tessaro.example");

  profile.values[{"Service", "Web Host"}] = std::string("localhost");
  profile.values[{"Service", "FTP Port"}] = std::int32_t{2121};
  ServiceSettings changed = LoadServiceSettings(profile);
  EXPECT_EQ(changed.webHost, "localhost");
  EXPECT_EQ(changed.ftpPort, 2121u);
  EXPECT_EQ(changed.domain, "tessaro.example");
  EXPECT_EQ(changed.httpPort, 80u);

  // A port that 16 bits cannot hold would reach another port: the default stays.
  for (std::int32_t wrong : {0, -1, 65536, 65557}) {
    profile.values[{"Service", "FTP Port"}] = wrong;
    EXPECT_EQ(LoadServiceSettings(profile).ftpPort, 21u) << wrong;
  }
  profile.values[{"Service", "HTTP Port"}] = std::int32_t{65535};
  EXPECT_EQ(LoadServiceSettings(profile).httpPort, 65535u);
}

// Encryption names its mode (anything else leaves the compiled one); where it is
// required, the web port is 443 unless the profile names a port of its own.
TEST(ServiceSettings, EncryptionModeAndTheWebPortItImplies) {
  struct Case {
    std::optional<std::int32_t> encryption;
    std::optional<std::int32_t> httpPort;
    Encryption mode;
    unsigned port;
  } const cases[] = {
      {std::nullopt, std::nullopt, Encryption::WhenOffered, 80},
      {0, std::nullopt, Encryption::None, 80},
      {1, 8080, Encryption::WhenOffered, 8080},
      {2, std::nullopt, Encryption::Required, 443},
      {2, 80, Encryption::Required, 80},
      {2, 8443, Encryption::Required, 8443},
      {2, 0, Encryption::Required, 443},  // no port at all
      {3, std::nullopt, Encryption::WhenOffered, 80},
      {-1, std::nullopt, Encryption::WhenOffered, 80},
  };
  for (const Case& c : cases) {
    FakeProfile profile;
    if (c.encryption) profile.values[{"Service", "Encryption"}] = *c.encryption;
    if (c.httpPort) profile.values[{"Service", "HTTP Port"}] = *c.httpPort;
    const ServiceSettings settings = LoadServiceSettings(profile);
    const std::string label = std::to_string(c.encryption.value_or(-9)) + "/" + std::to_string(c.httpPort.value_or(-9));
    EXPECT_EQ(settings.security.encryption, c.mode) << label;
    EXPECT_EQ(settings.httpPort, c.port) << label;
    EXPECT_EQ(settings.security.caFile, "") << label;
  }
  FakeProfile profile;
  profile.values[{"Service", "CA File"}] = std::string("C:\\IT\\service-ca.pem");
  EXPECT_EQ(LoadServiceSettings(profile).security.caFile, "C:\\IT\\service-ca.pem");
}

}  // namespace
}  // namespace tarnwick
