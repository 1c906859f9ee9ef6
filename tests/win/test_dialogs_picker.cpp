// The "Select Directory" picker on its real template, driven through its controls.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "windows/dialogs/directory_picker.h"
#include "tests/win/dialog_doubles.h"
#include "tests/win/dialog_driver.h"

namespace tarnwick {
namespace {

using dialog_testing::DialogScript;
using dialog_testing::FindDialog;
using Items = std::vector<std::string>;

const char kTitle[] = "Select Directory";
// The tree the tests walk through, on the prefix's drive C.
const char kTreeRoot[] = "C:\\tarnwick-picker\\";
const char kShownRoot[] = "C:\\Tarnwick-picker\\";

void WriteFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  CloseHandle(file);
}

void RemoveTree(const std::string& directory) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(directory + name + "\\");
      else
        DeleteFileA((directory + name).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(directory.c_str());
}

class PickerDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dialog_testing::UseProgramResources()) << "the program's resources must be linked into win_tests";
    RemoveTree(kTreeRoot);
    const std::string root = kTreeRoot;
    for (const char* directory : {"", "ZETA", "alpha", "alpha\\inner", ".hidden", "beta two"})
      ASSERT_TRUE(CreateDirectoryA((root + directory).c_str(), nullptr)) << directory;
    for (const char* file : {"readme.TXT", ".profile", "b.wav", "alpha\\take1.dss"}) WriteFile(root + file);
  }
  void TearDown() override { RemoveTree(kTreeRoot); }

  HWND Picker() const { return FindDialog(kTitle); }
  HWND List() const { return GetDlgItem(Picker(), IDC_ENTRY_LIST); }
  std::string CurrentDirBox() const { return dialog_testing::ControlText(Picker(), IDC_CURRENT_DIR); }
  // Double-clicks the entry with this text; false when the list has none.
  bool Enter(const std::string& entry) {
    const int index = dialog_testing::FindListItem(List(), entry);
    if (index < 0) return false;
    dialog_testing::DoubleClickListItem(List(), index);
    return true;
  }
  void RunPicker(DialogScript& script, INT_PTR expected) {
    script.Start();
    EXPECT_EQ(m_picker.PickDirectory(kTitle), expected);
    EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Pending();
  }
  std::string Result() const {
    char buffer[kPickerPathSize];
    m_picker.GetCurrentDir(buffer);
    return buffer;
  }

  dialog_testing::RecordingMessageBox m_messages;
  DirectoryPicker m_picker{m_messages};
};

TEST_F(PickerDialog, FirstShowingIsAtTheRootOfDriveC) {
  DialogScript script;
  script.WaitFor("picker shown", [&] { return Picker() != nullptr; })
      .Do("check the first showing", [&] {
        EXPECT_EQ(dialog_testing::SelectedComboText(GetDlgItem(Picker(), IDC_DRIVE_LIST)), "(C:)");
        EXPECT_EQ(CurrentDirBox(), "C:\\");
        Items items = dialog_testing::ListItems(List());
        ASSERT_FALSE(items.empty());
        EXPECT_EQ(items[0], "[. Root]");
        EXPECT_NE(dialog_testing::FindListItem(List(), "Tarnwick-picker"), -1);
        EXPECT_FALSE(dialog_testing::IsChecked(Picker(), IDC_DIRS_ONLY));
        EXPECT_TRUE(dialog_testing::IsShown(Picker(), IDC_FILE_TYPES));
        EXPECT_EQ(dialog_testing::SelectedComboText(GetDlgItem(Picker(), IDC_FILE_TYPES)), "All files (*.*)");
        EXPECT_TRUE(dialog_testing::SaveScreenshot(Picker(), "select_directory"));
      })
      .Do("double-click the root entry", [&] {
        ASSERT_TRUE(Enter("[. Root]"));
        EXPECT_EQ(CurrentDirBox(), "C:\\");
        EXPECT_EQ(dialog_testing::ListItems(List())[0], "[. Root]");
      })
      .Do("OK", [&] { dialog_testing::PressButton(Picker(), IDOK); });
  RunPicker(script, IDOK);
  EXPECT_EQ(Result(), "C:\\");
  EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(PickerDialog, DoubleClicksEnterADirectoryAndGoBackToItsParent) {
  DialogScript script;
  script.WaitFor("picker shown", [&] { return Picker() != nullptr; })
      .Do("enter the test tree", [&] {
        ASSERT_TRUE(Enter("Tarnwick-picker"));
        EXPECT_EQ(CurrentDirBox(), kShownRoot);
        // Directories first, each group in byte order; dot-directories are left out, dot-files are not.
        EXPECT_EQ(dialog_testing::ListItems(List()),
                  (Items{"[.. Parent Directory]", "Alpha", "Beta Two", "Zeta", ".profile", "B.wav", "Readme.txt"}));
        EXPECT_TRUE(dialog_testing::SaveScreenshot(Picker(), "select_directory_listing"));
      })
      .Do("enter Alpha", [&] {
        ASSERT_TRUE(Enter("Alpha"));
        EXPECT_EQ(CurrentDirBox(), std::string(kShownRoot) + "Alpha\\");
        EXPECT_EQ(dialog_testing::ListItems(List()), (Items{"[.. Parent Directory]", "Inner", "Take1.dss"}));
      })
      .Do("a file does not move the picker", [&] {
        ASSERT_TRUE(Enter("Take1.dss"));
        EXPECT_EQ(CurrentDirBox(), std::string(kShownRoot) + "Alpha\\");
      })
      .Do("back to the parent", [&] {
        ASSERT_TRUE(Enter("[.. Parent Directory]"));
        EXPECT_EQ(CurrentDirBox(), kShownRoot);
      })
      .Do("OK with nothing selected", [&] { dialog_testing::PressButton(Picker(), IDOK); });
  RunPicker(script, IDOK);
  EXPECT_EQ(Result(), kShownRoot);
  EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(PickerDialog, DirectoriesOnlyCarriesOverToTheNextRunWithItsQuirks) {
  const std::string alpha = std::string(kShownRoot) + "Alpha\\";
  DialogScript first;
  first.WaitFor("picker shown", [&] { return Picker() != nullptr; })
      .Do("enter the tree and tick directories only", [&] {
        ASSERT_TRUE(Enter("Tarnwick-picker"));
        dialog_testing::ClickCheckBox(Picker(), IDC_DIRS_ONLY);
        EXPECT_TRUE(dialog_testing::IsChecked(Picker(), IDC_DIRS_ONLY));
        EXPECT_FALSE(dialog_testing::IsShown(Picker(), IDC_FILE_TYPES));
        EXPECT_FALSE(dialog_testing::IsShown(Picker(), IDC_FILE_TYPES_LABEL));
        EXPECT_EQ(dialog_testing::ListItems(List()), (Items{"[.. Parent Directory]", "Alpha", "Beta Two", "Zeta"}));
      })
      .Do("select Alpha without entering it and press OK", [&] {
        dialog_testing::SelectListItem(List(), dialog_testing::FindListItem(List(), "Alpha"));
        dialog_testing::PressButton(Picker(), IDOK);
      });
  RunPicker(first, IDOK);
  EXPECT_EQ(Result(), alpha);

  DialogScript second;
  second.WaitFor("picker shown again", [&] { return Picker() != nullptr; })
      .Do("still directories only, with the box clear", [&] {
        EXPECT_EQ(CurrentDirBox(), alpha);
        EXPECT_FALSE(dialog_testing::IsChecked(Picker(), IDC_DIRS_ONLY));
        EXPECT_FALSE(dialog_testing::IsShown(Picker(), IDC_FILE_TYPES));
        EXPECT_EQ(dialog_testing::ListItems(List()), (Items{"[.. Parent Directory]", "Inner"}));
        EXPECT_TRUE(dialog_testing::SaveScreenshot(Picker(), "select_directory_dirs_only"));
      })
      .Do("the first click ticks the box and keeps the mode", [&] {
        dialog_testing::ClickCheckBox(Picker(), IDC_DIRS_ONLY);
        EXPECT_TRUE(dialog_testing::IsChecked(Picker(), IDC_DIRS_ONLY));
        EXPECT_EQ(dialog_testing::ListItems(List()), (Items{"[.. Parent Directory]", "Inner"}));
      })
      .Do("the second click lists files again, file types still hidden", [&] {
        dialog_testing::ClickCheckBox(Picker(), IDC_DIRS_ONLY);
        EXPECT_FALSE(dialog_testing::IsChecked(Picker(), IDC_DIRS_ONLY));
        EXPECT_EQ(dialog_testing::ListItems(List()), (Items{"[.. Parent Directory]", "Inner", "Take1.dss"}));
        EXPECT_FALSE(dialog_testing::IsShown(Picker(), IDC_FILE_TYPES));
      })
      .Do("while files are listed OK keeps the shown directory", [&] {
        dialog_testing::SelectListItem(List(), dialog_testing::FindListItem(List(), "Inner"));
        dialog_testing::PressButton(Picker(), IDOK);
      });
  RunPicker(second, IDOK);
  EXPECT_EQ(Result(), alpha);
  EXPECT_TRUE(m_messages.shown.empty());
}

TEST_F(PickerDialog, CancelRestoresTheDirectoryOfTheStart) {
  DialogScript first;
  first.WaitFor("picker shown", [&] { return Picker() != nullptr; })
      .Do("move into the tree and down", [&] {
        ASSERT_TRUE(Enter("Tarnwick-picker"));
        ASSERT_TRUE(Enter("Zeta"));
        EXPECT_EQ(CurrentDirBox(), std::string(kShownRoot) + "Zeta\\");
      })
      .Do("Cancel", [&] { dialog_testing::PressButton(Picker(), IDCANCEL); });
  RunPicker(first, IDCANCEL);
  EXPECT_EQ(Result(), "C:\\");

  DialogScript second;
  second.WaitFor("picker shown again", [&] { return Picker() != nullptr; })
      .Do("opens where the last run began", [&] {
        EXPECT_EQ(CurrentDirBox(), "C:\\");
        ASSERT_TRUE(Enter("Tarnwick-picker"));
      })
      .Do("OK", [&] { dialog_testing::PressButton(Picker(), IDOK); });
  RunPicker(second, IDOK);
  EXPECT_EQ(Result(), kShownRoot);
}

TEST_F(PickerDialog, ChoosingAnotherDriveMovesToItsRoot) {
  DialogScript script;
  script.WaitFor("picker shown", [&] { return Picker() != nullptr; })
      .Do("pick the last drive of the list", [&] {
        HWND drives = GetDlgItem(Picker(), IDC_DRIVE_LIST);
        const int count = static_cast<int>(SendMessageA(drives, CB_GETCOUNT, 0, 0));
        ASSERT_GE(count, 1);
        SendMessageA(drives, CB_SETCURSEL, count - 1, 0);
        const std::string label = dialog_testing::SelectedComboText(drives);
        ASSERT_EQ(label.size(), 4u);
        SendMessageA(Picker(), WM_COMMAND, MAKEWPARAM(IDC_DRIVE_LIST, CBN_SELCHANGE), reinterpret_cast<LPARAM>(drives));
        EXPECT_EQ(CurrentDirBox(), std::string(1, label[1]) + ":\\");
        EXPECT_EQ(dialog_testing::ListItems(List())[0], "[. Root]");
      })
      .Do("OK", [&] { dialog_testing::PressButton(Picker(), IDOK); });
  RunPicker(script, IDOK);
  EXPECT_EQ(Result().size(), 3u);
}

}  // namespace
}  // namespace tarnwick
