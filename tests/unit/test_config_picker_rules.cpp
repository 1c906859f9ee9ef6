#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/picker_rules.h"

namespace tarnwick {
namespace {

TEST(PickerNames, CapitalisationLowersThenCapitalisesEachWord) {
  EXPECT_EQ(CapitaliseName("MY DOCUMENTS"), "My Documents");
  EXPECT_EQ(CapitaliseName("readme.TXT"), "Readme.txt");
  EXPECT_EQ(CapitaliseName("two  blanks x"), "Two  Blanks X");
  // Only a blank starts a word; digits and other characters are left as they are.
  EXPECT_EQ(CapitaliseName("a-b c_d 1st"), "A-b C_d 1st");
  EXPECT_EQ(CapitaliseName(".profile"), ".profile");
  // Letters outside A to Z keep their bytes.
  EXPECT_EQ(CapitaliseName("\xC4NDER \xE9t\xE9"), "\xC4nder \xE9t\xE9");
  EXPECT_EQ(CapitaliseName(""), "");
}

TEST(PickerNavigation, ParentCutKeepsTheTrailingBackslash) {
  EXPECT_EQ(ParentDirectory("C:\\A\\B\\"), "C:\\A\\");
  EXPECT_EQ(ParentDirectory("C:\\A\\"), "C:\\");
  EXPECT_EQ(ParentDirectory("D:\\Long Name\\Sub Dir\\Deeper\\"), "D:\\Long Name\\Sub Dir\\");
  // Nothing above a root: the text stays as it is.
  EXPECT_EQ(ParentDirectory("C:\\"), "C:\\");
}

TEST(PickerNavigation, FirstEntryIsRootOnlyForThreeCharacterDirectories) {
  NavigationEntry atRoot = FirstEntryFor("C:\\");
  EXPECT_STREQ(atRoot.label, "[. Root]");
  EXPECT_EQ(atRoot.value, -2);
  NavigationEntry below = FirstEntryFor("C:\\A\\");
  EXPECT_STREQ(below.label, "[.. Parent Directory]");
  EXPECT_EQ(below.value, -1);
}

TEST(PickerNavigation, ActivationMovesOnlyForDirectoryItems) {
  const std::string here = "C:\\A\\B\\";
  EXPECT_EQ(DirectoryAfterActivation(here, kParentEntryValue, "[.. Parent Directory]"), "C:\\A\\");
  EXPECT_EQ(DirectoryAfterActivation("C:\\", kRootEntryValue, "[. Root]"), "C:\\");
  EXPECT_EQ(DirectoryAfterActivation(here, 0x10, "Zeta"), "C:\\A\\B\\Zeta\\");
  EXPECT_EQ(DirectoryAfterActivation(here, 0x10 | 0x02, "Hidden Dir"), "C:\\A\\B\\Hidden Dir\\");
  EXPECT_FALSE(DirectoryAfterActivation(here, 0x20, "Readme.txt").has_value());
  EXPECT_FALSE(DirectoryAfterActivation(here, 0x80, "Plain").has_value());
  EXPECT_TRUE(IsDirectoryItem(kParentEntryValue));
  EXPECT_TRUE(IsDirectoryItem(kRootEntryValue));
}

TEST(PickerFileTypes, PatternIsBetweenTheLastParentheses) {
  EXPECT_EQ(PatternOfFileTypeLabel("All files (*.*)"), "*.*");
  EXPECT_EQ(PatternOfFileTypeLabel("Recordings (new) (*.dss)"), "*.dss");
  EXPECT_EQ(PatternOfFileTypeLabel("Odd (*.a) tail)"), "*.a) tail");
  EXPECT_EQ(PatternOfFileTypeLabel("No pattern"), "");
  EXPECT_EQ(PatternOfFileTypeLabel("Reversed )x("), "");
}

std::vector<std::string> NamesOf(const std::vector<PickerEntry>& entries) {
  std::vector<std::string> names;
  for (const PickerEntry& entry : entries) names.push_back(entry.name);
  return names;
}

TEST(PickerOrdering, EntriesSortByPlainBytesOfTheirShownNames) {
  std::vector<PickerEntry> entries;
  for (const char* found : {"ZETA", "alpha", "_under", "\xC4nder", "Beta 2", "beta", "Alpha"})
    entries.push_back({0, 0x10, CapitaliseName(found)});
  SortEntries(entries);
  // Capitals sort before '_' (0x5F) and bytes above 0x7F come last, as unsigned bytes.
  EXPECT_EQ(NamesOf(entries),
            (std::vector<std::string>{"Alpha", "Alpha", "Beta", "Beta 2", "Zeta", "_under", "\xC4nder"}));
}

TEST(PickerOrdering, EqualNamesKeepTheOrderOfTheSearch) {
  std::vector<PickerEntry> entries = {{1, 0x20, "Same"}, {2, 0x20, "Other"}, {3, 0x21, "Same"}};
  SortEntries(entries);
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].icon, 2);
  EXPECT_EQ(entries[1].icon, 1);
  EXPECT_EQ(entries[2].icon, 3);
}

TEST(PickerDrives, LabelIsTheLetterInParentheses) {
  EXPECT_EQ(DriveLabel('C'), "(C:)");
  EXPECT_EQ(DriveLabel('Z'), "(Z:)");
}

}  // namespace
}  // namespace tarnwick
