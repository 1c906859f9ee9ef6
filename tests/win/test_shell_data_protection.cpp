// Sealing for the current user with the system's data protection.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "windows/data_protection_win.h"

namespace tarnwick {
namespace {

TEST(UserDataProtection, SealedBytesOpenOnlyAsTheyWereSealed) {
  UserDataProtection protection;
  for (const std::string plain : {std::string("p&w d"), std::string("\0\xff longer than one block of the cipher", 40)}) {
    SCOPED_TRACE(plain.size());
    const std::optional<std::string> sealed = protection.Protect(plain);
    ASSERT_TRUE(sealed.has_value());
    EXPECT_EQ(sealed->find(plain), std::string::npos);
    EXPECT_EQ(protection.Unprotect(*sealed), plain);

    std::string damaged = *sealed;
    damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x01);
    EXPECT_FALSE(protection.Unprotect(damaged).has_value());
    EXPECT_FALSE(protection.Unprotect(sealed->substr(0, sealed->size() / 2)).has_value());
  }
  EXPECT_FALSE(protection.Unprotect(std::string()).has_value());
  EXPECT_FALSE(protection.Unprotect("plain text, never sealed").has_value());
}

}  // namespace
}  // namespace tarnwick
