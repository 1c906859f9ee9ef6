// Sealing for the current user with the system's data protection.
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <string>

#include "windows/data_protection_win.h"

namespace tarnwick {
namespace {

TEST(UserDataProtection, SealedBytesOpenOnlyAsTheyWereSealed) {
  UserDataProtection protection;
  for (const std::string& plain : {std::string("p&w d"), std::string("\0\xff longer than one block of the cipher", 40)}) {
    SCOPED_TRACE(plain.size());
    const std::optional<std::string> sealed = protection.Protect(plain);
    ASSERT_TRUE(sealed.has_value());
    EXPECT_EQ(sealed->find(plain), std::string::npos);
    EXPECT_EQ(protection.Unprotect(*sealed), plain);
    // Wine does not check the seal's signature as Windows does, so only a cut seal is
    // tried here, not a changed byte.
    EXPECT_FALSE(protection.Unprotect(sealed->substr(0, sealed->size() / 2)).has_value());
  }
  // Each seal is salted anew, and every one of them must open: the allocations in
  // between are what once overwrote the seal's entropy.
  for (int round = 0; round < 50; ++round) {
    const std::string plain = "s3cret" + std::string(static_cast<std::size_t>(round), 'x');
    const std::optional<std::string> sealed = protection.Protect(plain);
    ASSERT_TRUE(sealed.has_value()) << round;
    ASSERT_EQ(protection.Unprotect(*sealed), plain) << round;
  }
  EXPECT_FALSE(protection.Unprotect(std::string()).has_value());

  // Sealed with exactly the program's own entropy, so a seal opens in any later
  // process, whatever that one's memory holds.
  const std::optional<std::string> sealed = protection.Protect("s3cret");
  ASSERT_TRUE(sealed.has_value());
  char entropyText[] = "Tarnwick author password";
  DATA_BLOB entropy = {sizeof entropyText - 1, reinterpret_cast<BYTE*>(entropyText)};
  DATA_BLOB in = {static_cast<DWORD>(sealed->size()), reinterpret_cast<BYTE*>(const_cast<char*>(sealed->data()))};
  DATA_BLOB out = {};
  ASSERT_TRUE(CryptUnprotectData(&in, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.pbData), out.cbData), "s3cret");
  LocalFree(out.pbData);
  EXPECT_FALSE(protection.Unprotect("plain text, never sealed").has_value());
}

}  // namespace
}  // namespace tarnwick
