// Sealing for one named user: the bytes are really changed, so a test can tell a
// sealed password from a plain one, and a seal made for another user does not open.
#pragma once

#include <string>

#include "platform/data_protection.h"

namespace tarnwick::testing {

class FakeDataProtection : public IDataProtection {
 public:
  std::optional<std::string> Protect(const std::string& plain) override {
    if (failProtect) return std::nullopt;
    return Seal(user, plain);
  }
  std::optional<std::string> Unprotect(const std::string& sealed) override {
    const std::string mark = Mark(user);
    if (failUnprotect || sealed.compare(0, mark.size(), mark) != 0) return std::nullopt;
    return Flip(sealed.substr(mark.size()));
  }

  // What Protect gives for `plain` when `owner` is the user.
  static std::string Seal(const std::string& owner, const std::string& plain) { return Mark(owner) + Flip(plain); }

  std::string user = "author's logon";
  bool failProtect = false;
  bool failUnprotect = false;

 private:
  static std::string Mark(const std::string& owner) { return "sealed for " + owner + ":"; }
  static std::string Flip(std::string bytes) {
    for (char& c : bytes) c = static_cast<char>(c ^ 0x5A);
    return bytes;
  }
};

}  // namespace tarnwick::testing
