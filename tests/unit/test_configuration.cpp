#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "config/configuration.h"
#include "doubles/fake_data_protection.h"
#include "doubles/fake_profile.h"

namespace tarnwick {
namespace {

using testing::FakeDataProtection;
using testing::FakeProfile;
using Bytes = FakeProfile::Bytes;
using Deleted = FakeProfile::Deleted;

const char kAuthor[] = "Author Details";

TEST(LoadConfiguration, FreshProfileGivesDefaultsAndWavForEverySlot) {
  FakeProfile profile;
  Configuration config;
  config.author = "left over";
  FakeDataProtection protection;
  EXPECT_EQ(LoadConfiguration(profile, protection, config), PasswordNote::None);
  EXPECT_TRUE(profile.writes.empty());
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
  profile.values[{"Author Details", "Poll Time"}] = std::int32_t{5};
  profile.values[{"Author Details", "Show Config"}] = std::int32_t{1};
  profile.values[{"Author Details", "AutoDownLoad"}] = std::int32_t{2};
  Configuration config;
  FakeDataProtection protection;
  LoadConfiguration(profile, protection, config);
  EXPECT_EQ(config.extensions[3], "wav");
  EXPECT_EQ(config.directories[4], "C:\\Rec\\");
  EXPECT_EQ(config.extensions[4], "");
  EXPECT_EQ(config.extensions[5], " rtf ");  // values travel exactly as stored
  EXPECT_EQ(config.author, "author7");
  EXPECT_EQ(config.pollMinutes, 5);
  EXPECT_EQ(config.showConfig, 1);
  EXPECT_EQ(config.autoDownload, 2);
}

// The password as stored before a load and what the load makes of it.
struct PasswordLoadCase {
  const char* name;
  std::optional<std::string> plain;   // "Password" (REG_SZ)
  std::optional<std::string> sealed;  // "Password Protected" (REG_BINARY)
  bool failProtect, refuseBinaryWrites;
  std::string loaded;
  PasswordNote note;
  std::optional<std::string> plainAfter, sealedAfter;
};

std::string Sealed(const std::string& plain) { return FakeDataProtection::Seal("author's logon", plain); }

TEST(LoadConfiguration, PasswordIsReadSealedAndAPlainOneIsSealedAtOnce) {
  const std::string other = FakeDataProtection::Seal("another user", "theirs");
  const PasswordLoadCase cases[] = {
      {"plain only", "p&w d", {}, false, false, "p&w d", PasswordNote::None, {}, Sealed("p&w d")},
      {"sealed only", {}, Sealed("s3cret"), false, false, "s3cret", PasswordNote::None, {}, Sealed("s3cret")},
      {"both: the sealed one wins, the plain one goes", "old", Sealed("new"), false, false, "new",
       PasswordNote::None, {}, Sealed("new")},
      {"both, the sealed one another user's", "rolled", other, false, false, "rolled", PasswordNote::None, {},
       Sealed("rolled")},
      {"plain, sealing fails", "p&w d", {}, true, false, "p&w d", PasswordNote::KeptPlain, "p&w d", {}},
      {"plain, the registry takes no binary value", "p&w d", {}, false, true, "p&w d", PasswordNote::KeptPlain,
       "p&w d", {}},
      {"sealed by another user", {}, other, false, false, "", PasswordNote::Unreadable, {}, other},
      {"an empty plain one", "", {}, false, false, "", PasswordNote::None, {}, {}},
  };
  for (const PasswordLoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeProfile profile;
    if (c.plain) profile.values[{kAuthor, "Password"}] = *c.plain;
    if (c.sealed) profile.values[{kAuthor, "Password Protected"}] = Bytes{*c.sealed};
    profile.refuseBinaryWrites = c.refuseBinaryWrites;
    FakeDataProtection protection;
    protection.failProtect = c.failProtect;
    Configuration config;
    EXPECT_EQ(LoadConfiguration(profile, protection, config), c.note);
    EXPECT_EQ(config.password, c.loaded);
    EXPECT_EQ(profile.ReadString(kAuthor, "Password"), c.plainAfter);
    EXPECT_EQ(profile.ReadBinary(kAuthor, "Password Protected"), c.sealedAfter);
    // The plain value goes only after its sealed form is in place.
    if (c.plain && c.sealedAfter && c.sealedAfter != c.sealed) {
      ASSERT_EQ(profile.writes.size(), 2u);
      EXPECT_EQ(profile.writes[0].name, "Password Protected");
      EXPECT_EQ(profile.writes[1].value, FakeProfile::Value(Deleted{}));
    }
  }
}

// The order of every other value is the form's test; here the author's section.
TEST(SaveConfiguration, WritesThePasswordOnlySealed) {
  using Writes = std::vector<std::pair<std::string, FakeProfile::Value>>;
  struct Case {
    const char* name;
    std::string password;
    bool failProtect;
    Writes passwordWrites;
    PasswordNote note;
    std::optional<std::string> plainAfter, sealedAfter;
  };
  const Case cases[] = {
      {"sealed, the plain one removed", "b", false, {{"Password Protected", Bytes{Sealed("b")}}, {"Password", Deleted{}}},
       PasswordNote::None, {}, Sealed("b")},
      {"sealing fails: nothing of the password written, the stored one stays", "b", true, {},
       PasswordNote::NotSaved, "plain before", Sealed("sealed before")},
      {"an empty password leaves no value", "", false, {{"Password Protected", Deleted{}}, {"Password", Deleted{}}},
       PasswordNote::None, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeProfile profile;
    profile.values[{kAuthor, "Password"}] = std::string("plain before");
    profile.values[{kAuthor, "Password Protected"}] = Bytes{Sealed("sealed before")};
    FakeDataProtection protection;
    protection.failProtect = c.failProtect;
    Configuration config;
    config.author = "a";
    config.password = c.password;
    config.pollMinutes = 7;
    EXPECT_EQ(SaveConfiguration(profile, protection, config), c.note);
    Writes written;
    for (std::size_t i = 2 * kSlotCount; i < profile.writes.size(); ++i)
      written.push_back({profile.writes[i].name, profile.writes[i].value});
    Writes expected = {{"Author", std::string("a")}};
    expected.insert(expected.end(), c.passwordWrites.begin(), c.passwordWrites.end());
    expected.insert(expected.end(), {{"Poll Time", 7}, {"Show Config", 0}, {"AutoDownLoad", 0}});
    EXPECT_EQ(written, expected);
    EXPECT_EQ(profile.ReadString(kAuthor, "Password"), c.plainAfter);
    EXPECT_EQ(profile.ReadBinary(kAuthor, "Password Protected"), c.sealedAfter);
  }
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
