#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "config/configuration_form.h"
#include "config/decimal_integer.h"
#include "doubles/fake_data_protection.h"
#include "doubles/fake_profile.h"

namespace tarnwick {
namespace {

using testing::FakeDataProtection;
using testing::FakeProfile;

TEST(ConfigurationForm, OpensFromTheStoredValues) {
  FakeProfile profile;
  profile.values[{"Source Directories", "Dir2"}] = std::string("C:\\Rec\\");
  profile.values[{"Source Directories", "Ext2"}] = std::string("dss");
  profile.values[{"Source Directories", "Ext3"}] = std::string("rtf");  // no Dir3: shown as "wav"
  profile.values[{"Author Details", "Author"}] = std::string("author7");
  profile.values[{"Author Details", "Password Protected"}] = FakeProfile::Bytes{FakeDataProtection::Seal("me", "secret")};
  profile.values[{"Author Details", "Poll Time"}] = std::int32_t{15};
  profile.values[{"Author Details", "Show Config"}] = std::int32_t{5};
  profile.values[{"Author Details", "AutoDownLoad"}] = std::int32_t{2};
  Configuration stored;
  FakeDataProtection protection;
  protection.user = "me";
  LoadConfiguration(profile, protection, stored);
  ConfigurationForm form;
  form.validExtensions = "dss, wav";
  FillFormFromConfiguration(stored, form);

  EXPECT_EQ(form.directories[2], "C:\\Rec\\");
  EXPECT_EQ(form.extensions[2], "dss");
  EXPECT_EQ(form.extensions[3], "wav");
  EXPECT_EQ(form.author, "author7");
  EXPECT_EQ(form.password, "secret");
  EXPECT_EQ(form.pollTime, 15);
  EXPECT_EQ(form.showConfig, 1);    // any non-zero value ticks the box
  EXPECT_EQ(form.autoDownload, 2);  // kept as stored
  EXPECT_FALSE(EnabledBoxTicked(form.autoDownload));
  EXPECT_EQ(form.validExtensions, "dss, wav");  // the fetched list is not the profile's
}

TEST(ConfigurationForm, SaveWritesEveryFieldInTheStoredOrder) {
  ConfigurationForm form;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    form.directories[slot] = slot == 6 ? "" : "D:\\Slot" + std::to_string(slot) + "\\";
    form.extensions[slot] = slot % 2 == 0 ? "dss" : "wav ";
  }
  form.author = "author7";
  form.password = "p&w d";
  form.pollTime = -4;
  form.showConfig = 1;
  form.autoDownload = 3;
  FakeProfile profile;
  FakeDataProtection protection;
  SaveConfiguration(profile, protection, ConfigurationFromForm(form));

  ASSERT_EQ(profile.writes.size(), 26u);
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    const FakeProfile::Write& dir = profile.writes[slot - 1];
    const FakeProfile::Write& ext = profile.writes[kSlotCount + slot - 1];
    EXPECT_EQ(dir.section, "Source Directories");
    EXPECT_EQ(dir.name, "Dir" + std::to_string(slot));
    EXPECT_EQ(std::get<std::string>(dir.value), form.directories[slot]);
    EXPECT_EQ(ext.name, "Ext" + std::to_string(slot));
    EXPECT_EQ(std::get<std::string>(ext.value), form.extensions[slot]);
  }
  const char* names[] = {"Author", "Password Protected", "Password", "Poll Time", "Show Config", "AutoDownLoad"};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(profile.writes[20 + i].section, "Author Details");
    EXPECT_EQ(profile.writes[20 + i].name, names[i]);
  }
  EXPECT_EQ(std::get<std::string>(profile.writes[20].value), "author7");
  EXPECT_EQ(protection.Unprotect(std::get<FakeProfile::Bytes>(profile.writes[21].value).data), "p&w d");
  EXPECT_TRUE(std::holds_alternative<FakeProfile::Deleted>(profile.writes[22].value));
  EXPECT_EQ(std::get<std::int32_t>(profile.writes[23].value), -4);
  EXPECT_EQ(std::get<std::int32_t>(profile.writes[24].value), 1);
  EXPECT_EQ(std::get<std::int32_t>(profile.writes[25].value), 3);
}

TEST(ConfigurationForm, EnabledClicksCycleTwoToZeroToOne) {
  std::int32_t value = 2;
  EXPECT_FALSE(EnabledBoxTicked(value));
  value = AutoDownloadAfterEnabledClick(value);
  EXPECT_EQ(value, 0);
  EXPECT_FALSE(EnabledBoxTicked(value));
  value = AutoDownloadAfterEnabledClick(value);
  EXPECT_EQ(value, 1);
  EXPECT_TRUE(EnabledBoxTicked(value));
  EXPECT_EQ(AutoDownloadAfterEnabledClick(value), 0);
  EXPECT_EQ(AutoDownloadAfterEnabledClick(3), 0);
  EXPECT_FALSE(EnabledBoxTicked(3));
}

TEST(ConfigurationForm, TrimmingTouchesOnlyTheFrontOfEveryExtension) {
  ConfigurationForm form;
  for (int slot = 1; slot <= kSlotCount; ++slot) form.extensions[slot] = "\t wav ";
  form.directories[1] = "  C:\\Rec\\";
  TrimExtensionFields(form);
  for (int slot = 1; slot <= kSlotCount; ++slot) EXPECT_EQ(form.extensions[slot], "wav ") << slot;
  EXPECT_EQ(form.directories[1], "  C:\\Rec\\");
}

TEST(DecimalInteger, AcceptsSignedDigitsBetweenBlanks) {
  EXPECT_EQ(ParseDecimalInteger("5"), 5);
  EXPECT_EQ(ParseDecimalInteger(" \t42 "), 42);
  EXPECT_EQ(ParseDecimalInteger("-3"), -3);
  EXPECT_EQ(ParseDecimalInteger("+7"), 7);
  EXPECT_EQ(ParseDecimalInteger("007"), 7);
  EXPECT_EQ(ParseDecimalInteger("2147483647"), 2147483647);
  EXPECT_EQ(ParseDecimalInteger("-2147483648"), INT32_MIN);
}

TEST(DecimalInteger, RefusesAnythingElse) {
  for (const char* text : {"", "  ", "-", "5a", "a5", "1.5", "1 2", "0x10", "2147483648", "-2147483649",
                           "99999999999999999999", "--1", "5\n"})
    EXPECT_FALSE(ParseDecimalInteger(text).has_value()) << '"' << text << '"';
}

}  // namespace
}  // namespace tarnwick
