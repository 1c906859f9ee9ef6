// The "Select Directory" dialog behind the configuration dialog's Browse buttons: a
// small browser of drives and directories that hands back the chosen directory.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "config/picker_rules.h"
#include "platform/user_interface.h"
#include "windows/dialogs/modal_dialog.h"

namespace tarnwick {

// Size of the picker's path buffers and of the caller's buffer for GetCurrentDir.
constexpr std::size_t kPickerPathSize = 1024;

class DirectoryPicker : public ModalDialog {
 public:
  // `messages` reports entries the list refused.
  explicit DirectoryPicker(IMessageBox& messages);

  // Runs the picker with the given window title; IDOK or IDCANCEL.
  INT_PTR PickDirectory(const char* title);
  // Copies the current directory, which ends with a backslash, into a buffer of
  // kPickerPathSize characters.
  void GetCurrentDir(char* buffer) const;

  // Rebuilds the entry list for the current directory.
  void FillList();

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  bool OnNotify(const NMHDR& header) override;
  void OnOK() override;
  void OnCancel() override;
  void OnDestroy() override;

 private:
  void OnDriveChange();
  void OnDirsOnlyClick();
  void OnListDoubleClick(const NMITEMACTIVATE& activation);
  void FillDriveList();
  void HideFileTypes();
  // Sizes a combo box's drop-down to show all of its items.
  void FitDropDown(HWND combo);
  bool InsertEntry(const char* label, int icon, std::int32_t value);
  // Inserts a whole group; the first refusal ends the group.
  void InsertEntries(const std::vector<PickerEntry>& entries);
  void ListDirectories(int folderIcon);
  void ListFiles();
  std::string SelectedFileTypeLabel() const;
  // Moves to `directory` unless it does not fit the path buffer.
  void SetCurrentDir(const std::string& directory);
  // The text and item value of list item `index`.
  std::string ItemText(int index) const;
  std::int32_t ItemValue(int index) const;

  IMessageBox& m_messages;
  HWND m_dirsOnlyBox = nullptr;
  HWND m_driveList = nullptr;
  HWND m_curDirBox = nullptr;
  HWND m_fileTypes = nullptr;
  HWND m_entryList = nullptr;
  int m_dirsOnly = 0;
  char m_title[kPickerPathSize] = {};
  char m_currentDirectory[kPickerPathSize] = "C:\\";
  char m_startDirectory[kPickerPathSize] = {};
  std::vector<char> m_driveStrings;  // "C:\", "D:\" ... each with its terminator
  DWORD m_driveMask = 0;
  int m_currentDrive = -1;
  int m_widestLabel = 0;
  int m_itemCount = 0;
};

}  // namespace tarnwick
