// "Tarnwick - Configuration" on its real template, with an in-memory profile and a
// service that answers its extension list.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "res/resource.h"
#include "windows/dialogs/configuration_dialog.h"
#include "tests/unit/doubles/fake_data_protection.h"
#include "tests/win/dialog_doubles.h"
#include "tests/win/dialog_driver.h"

namespace tarnwick {
namespace {

using dialog_testing::ControlText;
using dialog_testing::DialogScript;
using dialog_testing::FindDialog;
using dialog_testing::IsChecked;
using dialog_testing::PressButton;
using dialog_testing::SetControlText;

const int kExtIds[] = {0, IDC_EXT1, IDC_EXT2, IDC_EXT3, IDC_EXT4, IDC_EXT5,
                       IDC_EXT6, IDC_EXT7, IDC_EXT8, IDC_EXT9, IDC_EXT10};
const int kDirIds[] = {0, IDC_DIR1, IDC_DIR2, IDC_DIR3, IDC_DIR4, IDC_DIR5,
                       IDC_DIR6, IDC_DIR7, IDC_DIR8, IDC_DIR9, IDC_DIR10};
const char kSources[] = "Source Directories";
const char kAuthor[] = "Author Details";

class ConfigurationDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog_testing::UseProgramResources()) << "the program's resources must be linked into win_tests";
    m_service.webHost = "www.test.example";
    m_service.httpPort = 8080;
  }

  void Store(const char* section, const char* name, const std::string& value) {
    m_profile.values[{section, name}] = value;
  }
  void Store(const char* section, const char* name, std::int32_t value) { m_profile.values[{section, name}] = value; }
  void StoreSealedPassword(const std::string& password) {
    m_profile.values[{kAuthor, "Password Protected"}] = testing::FakeProfile::Bytes{*m_protection.Protect(password)};
  }

  static HWND Config() { return FindDialog("Tarnwick - Configuration"); }
  static HWND Warning() { return FindDialog("Warning"); }
  static HWND Picker() { return FindDialog("Select Directory"); }
  static bool HasFocus(int controlId) { return GetFocus() == GetDlgItem(Config(), controlId); }

  INT_PTR Run(DialogScript& script) {
    ConfigurationDialog dialog(m_profile, m_protection, m_internet, m_messages, m_service,
                               [this](const std::string& text) { m_logged.push_back(text); });
    script.Start();
    INT_PTR result = dialog.RunModal();
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Pending();
    return result;
  }

  // A sealed value as the text it opens to.
  std::string Written(const std::string& name) {
    for (const auto& write : m_profile.writes) {
      if (write.name != name) continue;
      if (auto* text = std::get_if<std::string>(&write.value)) return *text;
      if (auto* number = std::get_if<std::int32_t>(&write.value)) return std::to_string(*number);
      if (auto* bytes = std::get_if<testing::FakeProfile::Bytes>(&write.value))
        return m_protection.Unprotect(bytes->data).value_or("(not to be opened)");
      return "(deleted)";
    }
    return "(not written)";
  }

  dialog_testing::MemoryProfile m_profile;
  testing::FakeDataProtection m_protection;
  std::vector<std::string> m_logged;
  dialog_testing::ListInternet m_internet{"dss, wav, rtf"};
  dialog_testing::RecordingMessageBox m_messages;
  ServiceSettings m_service;
};

TEST_F(ConfigurationDialogTest, OpensWithTheStoredValuesAndCancelWritesNothing) {
  Store(kSources, "Dir1", "C:\\Rec\\");
  Store(kSources, "Ext1", "dss");
  Store(kSources, "Ext3", "mp3");  // no directory: the slot shows "wav"
  Store(kSources, "Dir4", "D:\\Docs\\");
  Store(kSources, "Dir10", "E:\\Ten\\");
  Store(kSources, "Ext10", "rtf");
  Store(kAuthor, "Author", "author7");
  StoreSealedPassword("p&w d");
  Store(kAuthor, "Poll Time", 5);
  Store(kAuthor, "Show Config", 3);
  Store(kAuthor, "AutoDownLoad", 1);
  DialogScript script;
  script.WaitFor("dialog shown", [] { return Config() != nullptr; })
      .Do("check every field", [&] {
        HWND dialog = Config();
        EXPECT_EQ(ControlText(dialog, IDC_DIR1), "C:\\Rec\\");
        EXPECT_EQ(ControlText(dialog, IDC_EXT1), "dss");
        EXPECT_EQ(ControlText(dialog, IDC_EXT3), "wav");
        EXPECT_EQ(ControlText(dialog, IDC_DIR4), "D:\\Docs\\");
        EXPECT_EQ(ControlText(dialog, IDC_EXT4), "");
        EXPECT_EQ(ControlText(dialog, IDC_DIR10), "E:\\Ten\\");
        EXPECT_EQ(ControlText(dialog, IDC_EXT10), "rtf");
        for (int slot : {2, 5, 6, 9}) {
          EXPECT_EQ(ControlText(dialog, kDirIds[slot]), "") << slot;
          EXPECT_EQ(ControlText(dialog, kExtIds[slot]), "wav") << slot;
        }
        EXPECT_EQ(ControlText(dialog, IDC_AUTHOR), "author7");
        EXPECT_EQ(ControlText(dialog, IDC_PASSWORD), "p&w d");
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, IDC_PASSWORD), GWL_STYLE) & ES_PASSWORD);  // shown masked
        EXPECT_EQ(ControlText(dialog, IDC_POLL_TIME), "5");
        EXPECT_TRUE(IsChecked(dialog, IDC_SHOW_CONFIG));
        EXPECT_TRUE(IsChecked(dialog, IDC_AUTO_ENABLED));
        for (int hidden : {IDC_AUTO_ASSIGNED, IDC_AUTO_CLIENTS, IDC_AUTO_BOTH})
          EXPECT_FALSE(dialog_testing::IsShown(dialog, hidden)) << hidden;
        EXPECT_TRUE(dialog_testing::SaveScreenshot(dialog, "configuration"));
      })
      .Do("Cancel", [] { PressButton(Config(), IDCANCEL); });
  EXPECT_EQ(Run(script), IDCANCEL);
  EXPECT_TRUE(m_profile.writes.empty());
  EXPECT_EQ(m_internet.agents, (std::vector<std::string>{"InetURL/1.0"}));
  EXPECT_EQ(m_internet.urls, (std::vector<std::string>{"http://www.test.example:8080/dravos/extverify.php?ext="}));
  EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(ConfigurationDialogTest, RejectedExtensionsWarnOneAtATimeAndFocusTheirField) {
  Store(kSources, "Dir4", "C:\\Four\\");
  Store(kSources, "Ext4", "doc");
  Store(kSources, "Dir7", "C:\\Seven\\");
  Store(kSources, "Ext7", "WAV");
  DialogScript script;
  script.WaitFor("dialog shown", [] { return Config() != nullptr; })
      .Do("Save", [] { PressButton(Config(), IDOK); })
      .WaitFor("the warning", [] { return Warning() != nullptr; })
      .Do("the warning lists what the service permits", [&] {
        EXPECT_EQ(ControlText(Warning(), IDC_VALID_EXTENSIONS), "Valid File Extensions are: dss, wav, rtf");
        EXPECT_FALSE(IsWindowEnabled(Config()));
        EXPECT_TRUE(dialog_testing::SaveScreenshot(Warning(), "warning"));
        PressButton(Warning(), IDOK);
      })
      .WaitFor("the warning closed", [] { return Warning() == nullptr; })
      .Do("slot 4 has the focus, nothing was written", [&] {
        EXPECT_TRUE(HasFocus(IDC_EXT4));
        EXPECT_TRUE(m_profile.writes.empty());
        SetControlText(Config(), IDC_EXT4, " \trtf");
        PressButton(Config(), IDOK);
      })
      .WaitFor("the warning again", [] { return Warning() != nullptr; })
      .Do("close it", [] { PressButton(Warning(), IDOK); })
      .WaitFor("the warning closed again", [] { return Warning() == nullptr; })
      .Do("now slot 7 has the focus and slot 4 shows its trimmed text", [&] {
        EXPECT_TRUE(HasFocus(IDC_EXT7));
        EXPECT_EQ(ControlText(Config(), IDC_EXT4), "rtf");
        EXPECT_TRUE(m_profile.writes.empty());
        SetControlText(Config(), IDC_EXT7, "wav");
        PressButton(Config(), IDOK);
      });
  EXPECT_EQ(Run(script), IDOK);
  EXPECT_EQ(Written("Ext4"), "rtf");
  EXPECT_EQ(Written("Ext7"), "wav");
  // Opening and each warning asked the service afresh.
  EXPECT_EQ(m_internet.urls.size(), 3u);
}

TEST_F(ConfigurationDialogTest, BrowseShowsTheMembersAgainAndCancelInThePickerChangesNothing) {
  Store(kSources, "Dir1", "C:\\Rec\\");
  Store(kSources, "Ext1", "dss");
  DialogScript script;
  script.WaitFor("dialog shown", [] { return Config() != nullptr; })
      .Do("type, then Browse 2", [] {
        SetControlText(Config(), IDC_EXT1, "xyz");
        SetControlText(Config(), IDC_DIR5, "typed");
        PressButton(Config(), IDC_BROWSE2);
      })
      .WaitFor("the picker", [] { return Picker() != nullptr; })
      .Do("the configuration waits while the picker runs; enter Windows and OK", [] {
        EXPECT_FALSE(IsWindowEnabled(Config()));
        HWND list = GetDlgItem(Picker(), IDC_ENTRY_LIST);
        const int windows = dialog_testing::FindListItem(list, "Windows");
        ASSERT_GE(windows, 0);
        dialog_testing::DoubleClickListItem(list, windows);
        PressButton(Picker(), IDOK);
      })
      .WaitFor("the picker closed", [] { return Picker() == nullptr; })
      .Do("slot 2 got the directory, typed text went back", [] {
        EXPECT_EQ(ControlText(Config(), IDC_DIR2), "C:\\Windows\\");
        EXPECT_EQ(ControlText(Config(), IDC_EXT1), "dss");
        EXPECT_EQ(ControlText(Config(), IDC_DIR5), "");
        PressButton(Config(), IDC_BROWSE3);
      })
      .WaitFor("the picker again", [] { return Picker() != nullptr; })
      .Do("it opens where the last Browse ended; Cancel", [] {
        EXPECT_EQ(ControlText(Picker(), IDC_CURRENT_DIR), "C:\\Windows\\");
        PressButton(Picker(), IDCANCEL);
      })
      .WaitFor("the picker closed again", [] { return Picker() == nullptr; })
      .Do("slot 3 unchanged; Cancel the dialog", [] {
        EXPECT_EQ(ControlText(Config(), IDC_DIR3), "");
        EXPECT_EQ(ControlText(Config(), IDC_DIR2), "C:\\Windows\\");
        PressButton(Config(), IDCANCEL);
      });
  EXPECT_EQ(Run(script), IDCANCEL);
  EXPECT_TRUE(m_profile.writes.empty());
  EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(ConfigurationDialogTest, SaveWritesEveryFieldInOrder) {
  Store(kSources, "Dir1", "C:\\Rec\\");
  Store(kSources, "Ext1", "dss");
  Store(kAuthor, "Author", "author7");
  Store(kAuthor, "AutoDownLoad", 2);
  DialogScript script;
  script.WaitFor("dialog shown", [] { return Config() != nullptr; })
      .Do("a stored 2 shows Enabled clear; two clicks make it 0, then 1", [] {
        EXPECT_FALSE(IsChecked(Config(), IDC_AUTO_ENABLED));
        dialog_testing::ClickCheckBox(Config(), IDC_AUTO_ENABLED);
        EXPECT_FALSE(IsChecked(Config(), IDC_AUTO_ENABLED));
        dialog_testing::ClickCheckBox(Config(), IDC_AUTO_ENABLED);
        EXPECT_TRUE(IsChecked(Config(), IDC_AUTO_ENABLED));
      })
      .Do("edit and Save", [] {
        SetControlText(Config(), IDC_DIR6, "F:\\Six\\");
        SetControlText(Config(), IDC_EXT6, "  dss");
        SetControlText(Config(), IDC_DIR9, "");
        SetControlText(Config(), IDC_AUTHOR, "author8");
        SetControlText(Config(), IDC_PASSWORD, "new pass");
        SetControlText(Config(), IDC_POLL_TIME, " 12 ");
        dialog_testing::ClickCheckBox(Config(), IDC_SHOW_CONFIG);
        PressButton(Config(), IDOK);
      });
  EXPECT_EQ(Run(script), IDOK);
  ASSERT_EQ(m_profile.writes.size(), 26u);
  std::vector<std::string> order;
  for (const auto& write : m_profile.writes) order.push_back(write.name);
  EXPECT_EQ(order, (std::vector<std::string>{"Dir1", "Dir2", "Dir3", "Dir4", "Dir5", "Dir6", "Dir7", "Dir8", "Dir9",
                                             "Dir10", "Ext1", "Ext2", "Ext3", "Ext4", "Ext5", "Ext6", "Ext7", "Ext8",
                                             "Ext9", "Ext10", "Author", "Password Protected", "Password",
                                             "Poll Time", "Show Config", "AutoDownLoad"}));
  EXPECT_EQ(Written("Dir1"), "C:\\Rec\\");
  EXPECT_EQ(Written("Ext1"), "dss");
  EXPECT_EQ(Written("Dir6"), "F:\\Six\\");
  EXPECT_EQ(Written("Ext6"), "dss");
  EXPECT_EQ(Written("Dir9"), "");
  EXPECT_EQ(Written("Ext9"), "wav");
  EXPECT_EQ(Written("Author"), "author8");
  EXPECT_EQ(Written("Password Protected"), "new pass");
  EXPECT_EQ(Written("Password"), "(deleted)");
  EXPECT_TRUE(m_logged.empty());
  EXPECT_EQ(Written("Poll Time"), "12");
  EXPECT_EQ(Written("Show Config"), "1");
  EXPECT_EQ(Written("AutoDownLoad"), "1");
}

TEST_F(ConfigurationDialogTest, APasswordThatCannotBeSealedIsNotSavedAndTheUserIsTold) {
  Store(kAuthor, "Password", "rolled out");
  m_protection.failProtect = true;
  DialogScript script;
  script.WaitFor("dialog shown", [] { return Config() != nullptr; })
      .Do("a new password, Save", [] {
        EXPECT_EQ(ControlText(Config(), IDC_PASSWORD), "rolled out");
        SetControlText(Config(), IDC_PASSWORD, "typed");
        PressButton(Config(), IDOK);
      });
  EXPECT_EQ(Run(script), IDOK);
  const std::string told = PasswordNoteText(PasswordNote::NotSaved);
  EXPECT_EQ(m_messages.shown, std::vector<std::string>{told});
  EXPECT_EQ(m_logged, std::vector<std::string>{told});
  EXPECT_EQ(Written("Password"), "(not written)");
  EXPECT_EQ(Written("Password Protected"), "(not written)");
  EXPECT_EQ(m_profile.ReadString(kAuthor, "Password"), "rolled out");
  EXPECT_EQ(Written("Poll Time"), "0");  // the rest is saved
}

TEST_F(ConfigurationDialogTest, DownloadChoicesOnlyTheProfileCanSetAreKept) {
  Store(kAuthor, "AutoDownLoad", 2);
  DialogScript script;
  script.WaitFor("dialog shown", [] { return Config() != nullptr; })
      .Do("Save untouched", [] { PressButton(Config(), IDOK); });
  EXPECT_EQ(Run(script), IDOK);
  EXPECT_EQ(Written("AutoDownLoad"), "2");

  // The hidden choices still answer their command: each ticks its own box alone.
  m_profile.writes.clear();
  DialogScript hidden;
  hidden.WaitFor("dialog shown", [] { return Config() != nullptr; })
      .Do("the third choice", [] {
        SendMessageA(Config(), WM_COMMAND, MAKEWPARAM(IDC_AUTO_BOTH, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(Config(), IDC_AUTO_BOTH)));
        EXPECT_TRUE(IsChecked(Config(), IDC_AUTO_BOTH));
        EXPECT_FALSE(IsChecked(Config(), IDC_AUTO_ASSIGNED));
        EXPECT_FALSE(IsChecked(Config(), IDC_AUTO_ENABLED));
        PressButton(Config(), IDOK);
      });
  EXPECT_EQ(Run(hidden), IDOK);
  EXPECT_EQ(Written("AutoDownLoad"), "3");
}

TEST_F(ConfigurationDialogTest, PollTimeThatIsNotANumberStopsTheSaveAndKeepsTheTyping) {
  Store(kAuthor, "Poll Time", 4);
  StoreSealedPassword("old");
  DialogScript script;
  script.WaitFor("dialog shown", [] { return Config() != nullptr; })
      .Do("type a poll time with words and more fields, then Save", [] {
        SetControlText(Config(), IDC_POLL_TIME, "5 min");
        SetControlText(Config(), IDC_PASSWORD, "changed");
        SetControlText(Config(), IDC_EXT8, "rtf");
        dialog_testing::ClickCheckBox(Config(), IDC_SHOW_CONFIG);
        PressButton(Config(), IDOK);
      })
      .WaitFor("the complaint", [&] { return !m_messages.shown.empty(); })
      .Do("nothing written, nothing reset, the poll time has the focus", [&] {
        EXPECT_EQ(m_messages.shown, (std::vector<std::string>{"Please enter an integer."}));
        EXPECT_TRUE(m_profile.writes.empty());
        EXPECT_TRUE(HasFocus(IDC_POLL_TIME));
        EXPECT_EQ(ControlText(Config(), IDC_POLL_TIME), "5 min");
        EXPECT_EQ(ControlText(Config(), IDC_PASSWORD), "changed");
        EXPECT_EQ(ControlText(Config(), IDC_EXT8), "rtf");
        EXPECT_TRUE(IsChecked(Config(), IDC_SHOW_CONFIG));
        EXPECT_EQ(Warning(), nullptr);
        SetControlText(Config(), IDC_POLL_TIME, "7");
        PressButton(Config(), IDOK);
      });
  EXPECT_EQ(Run(script), IDOK);
  EXPECT_EQ(Written("Poll Time"), "7");
  EXPECT_EQ(Written("Password Protected"), "changed");
  EXPECT_EQ(Written("Ext8"), "rtf");
  EXPECT_EQ(Written("Show Config"), "1");
}

TEST_F(ConfigurationDialogTest, WithoutInternetEverySaveWarns) {
  m_internet.failOpen = true;
  DialogScript script;
  script.WaitFor("dialog shown", [] { return Config() != nullptr; })
      .Do("told at opening; Save", [&] {
        EXPECT_EQ(m_messages.shown, (std::vector<std::string>{"Internet not avaiable !!!"}));
        PressButton(Config(), IDOK);
      })
      .WaitFor("the warning", [] { return Warning() != nullptr; })
      .Do("it has no list either", [] {
        EXPECT_EQ(ControlText(Warning(), IDC_VALID_EXTENSIONS), "Internet Not availabe to get valid file extensions.");
        PressButton(Warning(), IDOK);
      })
      .WaitFor("the warning closed", [] { return Warning() == nullptr; })
      .Do("slot 1 has the focus; Cancel", [&] {
        EXPECT_TRUE(HasFocus(IDC_EXT1));
        EXPECT_TRUE(m_profile.writes.empty());
        PressButton(Config(), IDCANCEL);
      });
  EXPECT_EQ(Run(script), IDCANCEL);
  EXPECT_TRUE(m_profile.writes.empty());
  EXPECT_EQ(m_messages.shown.size(), 1u);  // the warning words its own failure
}

}  // namespace
}  // namespace tarnwick
