// The registry profile against the real (Wine) registry, in a section of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/program_names.h"
#include "windows/registry_profile_win.h"

namespace tarnwick {
namespace {

const char kApplicationKeyPath[] = "Software\\Tarnwick\\Dravos Upload Ulkin";

class RegistryProfileTest : public ::testing::Test {
 protected:
  RegistryProfileTest()
      : section("Shell Test " + std::to_string(GetCurrentProcessId())),
        sectionPath(std::string(kApplicationKeyPath) + "\\" + section) {
    RegDeleteKeyA(HKEY_CURRENT_USER, sectionPath.c_str());  // whatever an interrupted run left
  }
  ~RegistryProfileTest() override { RegDeleteKeyA(HKEY_CURRENT_USER, sectionPath.c_str()); }

  bool SectionKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, sectionPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
  }
  // The stored bytes of a value as the registry holds them.
  std::string QueryRaw(const char* name, DWORD& type) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, sectionPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "(no key)";
    char data[256] = {};
    DWORD size = sizeof data;
    const LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(data, size) : "(no value)";
  }
  void StoreRaw(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, sectionPath.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
  }

  RegistryProfile profile{kRegistryKey, kApplicationTitle};
  std::string section;
  std::string sectionPath;
};

TEST_F(RegistryProfileTest, LivesUnderTheApplicationKeyOfTheCurrentUser) {
  EXPECT_EQ(profile.ApplicationPath(), kApplicationKeyPath);
  ASSERT_TRUE(profile.WriteString(section, "Dir1", "C:\\dictations\\"));
  ASSERT_TRUE(profile.WriteInt(section, "Poll Time", 5));

  DWORD type = 0;
  std::string stored = QueryRaw("Dir1", type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(stored, std::string("C:\\dictations\\") + '\0');
  stored = QueryRaw("Poll Time", type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(stored, std::string("\x05\0\0\0", 4));
}

TEST_F(RegistryProfileTest, ReadingASectionCreatesItsKey) {
  ASSERT_FALSE(SectionKeyExists());
  EXPECT_FALSE(profile.ReadString(section, "Author").has_value());
  EXPECT_TRUE(SectionKeyExists());
}

TEST_F(RegistryProfileTest, ValuesTravelUnchanged) {
  ASSERT_TRUE(profile.WriteString(section, "Dir2", "  D:\\Mixed Case\\with spaces "));
  ASSERT_TRUE(profile.WriteString(section, "Ext2", ""));
  ASSERT_TRUE(profile.WriteInt(section, "Show Config", 1));
  ASSERT_TRUE(profile.WriteInt(section, "AutoDownLoad", -7));

  EXPECT_EQ(profile.ReadString(section, "Dir2"), "  D:\\Mixed Case\\with spaces ");
  // An empty text is a stored value, not a missing one.
  EXPECT_EQ(profile.ReadString(section, "Ext2"), "");
  EXPECT_EQ(profile.ReadInt(section, "Show Config"), 1);
  EXPECT_EQ(profile.ReadInt(section, "AutoDownLoad"), -7);

  ASSERT_TRUE(profile.WriteString(section, "Dir2", "E:\\"));
  EXPECT_EQ(profile.ReadString(section, "Dir2"), "E:\\");
}

TEST_F(RegistryProfileTest, AbsentOrMistypedValuesReadAsMissing) {
  EXPECT_FALSE(profile.ReadString(section, "Password").has_value());
  EXPECT_FALSE(profile.ReadInt(section, "Poll Time").has_value());

  const DWORD number = 3;
  StoreRaw("Number", REG_DWORD, &number, sizeof number);
  StoreRaw("Text", REG_SZ, "12", 3);
  StoreRaw("Expandable", REG_EXPAND_SZ, "%TEMP%", 7);
  const unsigned char bytes[2] = {1, 2};
  StoreRaw("Short", REG_BINARY, bytes, sizeof bytes);

  EXPECT_FALSE(profile.ReadString(section, "Number").has_value());
  EXPECT_FALSE(profile.ReadInt(section, "Text").has_value());
  EXPECT_FALSE(profile.ReadString(section, "Expandable").has_value());
  EXPECT_FALSE(profile.ReadInt(section, "Short").has_value());
}

TEST_F(RegistryProfileTest, BytesTravelUnchangedAndDeletedValuesAreGone) {
  const std::string cases[] = {std::string("\0\x01\xff\0", 4), "", std::string(200, '\x5a')};
  for (const std::string& bytes : cases) {
    SCOPED_TRACE(bytes.size());
    ASSERT_TRUE(profile.WriteBinary(section, "Password Protected", bytes));
    DWORD type = 0;
    EXPECT_EQ(QueryRaw("Password Protected", type), bytes);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(profile.ReadBinary(section, "Password Protected"), bytes);
    EXPECT_FALSE(profile.ReadString(section, "Password Protected").has_value());
  }
  // Bytes are read only from a binary value.
  ASSERT_TRUE(profile.WriteString(section, "Password", "plain"));
  EXPECT_FALSE(profile.ReadBinary(section, "Password").has_value());

  for (const char* name : {"Password", "Password Protected", "Never There"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(profile.DeleteValue(section, name));
    DWORD type = 0;
    EXPECT_EQ(QueryRaw(name, type), "(no value)");
  }
  EXPECT_TRUE(SectionKeyExists());  // the section stays
}

TEST_F(RegistryProfileTest, TextStoredWithoutTerminatorIsReadWhole) {
  StoreRaw("Author", REG_SZ, "jdoe", 4);
  EXPECT_EQ(profile.ReadString(section, "Author"), "jdoe");
}

}  // namespace
}  // namespace tarnwick
