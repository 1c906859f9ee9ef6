#include <gtest/gtest.h>

#include <string>

#include "config/extension_rules.h"

namespace tarnwick {
namespace {

const std::string kServiceList = "dss, wav, rtf";

TEST(ExtensionRules, LeadingWhiteSpaceGoesTrailingStays) {
  EXPECT_EQ(TrimLeadingWhiteSpace(" \t\r\n wav "), "wav ");
  EXPECT_EQ(TrimLeadingWhiteSpace("dss"), "dss");
  EXPECT_EQ(TrimLeadingWhiteSpace("   "), "");
  EXPECT_EQ(TrimLeadingWhiteSpace("r t f"), "r t f");
}

TEST(ExtensionRules, SubstringOfTheAnswerAndAtLeastThreeCharacters) {
  EXPECT_TRUE(IsExtensionPermitted("wav", kServiceList));
  EXPECT_TRUE(IsExtensionPermitted("dss", kServiceList));
  // Inside the answer, but too short.
  EXPECT_FALSE(IsExtensionPermitted("wa", kServiceList));
  EXPECT_FALSE(IsExtensionPermitted("", kServiceList));
  // Long enough, and matched anywhere in the text, separators included.
  EXPECT_TRUE(IsExtensionPermitted("s, w", kServiceList));
  EXPECT_FALSE(IsExtensionPermitted("mp3", kServiceList));
}

TEST(ExtensionRules, CaseAndTrailingBlanksCount) {
  EXPECT_FALSE(IsExtensionPermitted("WAV", kServiceList));
  EXPECT_FALSE(IsExtensionPermitted("Wav", kServiceList));
  EXPECT_TRUE(IsExtensionPermitted("WAV", "DSS, WAV"));
  // A trailing blank is part of the extension: it needs a blank after it in the answer.
  EXPECT_FALSE(IsExtensionPermitted("wav ", kServiceList));
  EXPECT_FALSE(IsExtensionPermitted("rtf ", kServiceList));
  EXPECT_TRUE(IsExtensionPermitted("wav ", "dss wav rtf"));
}

TEST(ExtensionRules, OnlyTheFirstRejectedSlotIsReported) {
  std::string extensions[kSlotCount + 1];
  for (int slot = 1; slot <= kSlotCount; ++slot) extensions[slot] = "wav";
  extensions[0] = "not a slot";
  EXPECT_EQ(FirstRejectedSlot(extensions, kServiceList), 0);
  extensions[4] = "doc";
  extensions[7] = "wa";
  EXPECT_EQ(FirstRejectedSlot(extensions, kServiceList), 4);
  extensions[4] = "rtf";
  EXPECT_EQ(FirstRejectedSlot(extensions, kServiceList), 7);
  extensions[7] = "dss";
  extensions[10] = "DSS";
  EXPECT_EQ(FirstRejectedSlot(extensions, kServiceList), 10);
  // Without a list from the service nothing passes.
  extensions[10] = "dss";
  EXPECT_EQ(FirstRejectedSlot(extensions, ""), 1);
}

}  // namespace
}  // namespace tarnwick
