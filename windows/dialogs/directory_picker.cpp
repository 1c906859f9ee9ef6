#include "windows/dialogs/directory_picker.h"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "res/resource.h"

namespace tarnwick {

namespace {

constexpr int kDriveLetters = 26;
constexpr int kColumnMargin = 35;
constexpr std::size_t kItemTextSize = MAX_PATH;

// The shell decides a file's icon from its name alone, so nothing is opened.
int ShellIconOf(const char* path, DWORD attributes, UINT extraFlags) {
  SHFILEINFOA info = {};
  SHGetFileInfoA(path, attributes, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extraFlags);
  return info.iIcon;
}

int FolderIcon() {
  char windowsDir[MAX_PATH] = {};
  GetWindowsDirectoryA(windowsDir, MAX_PATH);
  return ShellIconOf(windowsDir, FILE_ATTRIBUTE_DIRECTORY, SHGFI_USEFILEATTRIBUTES);
}

HIMAGELIST SystemSmallImages() {
  SHFILEINFOA info = {};
  return reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
      "C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES | SHGFI_SMALLICON));
}

template <typename Visit>
void SearchDirectory(const std::string& pattern, Visit visit) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    visit(found);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

DirectoryPicker::DirectoryPicker(IMessageBox& messages) : ModalDialog(IDD_SELECT_DIRECTORY), m_messages(messages) {}

INT_PTR DirectoryPicker::PickDirectory(const char* title) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_USEREX_CLASSES};
  InitCommonControlsEx(&controls);
  lstrcpynA(m_title, title, static_cast<int>(kPickerPathSize));
  return RunModal();
}

void DirectoryPicker::GetCurrentDir(char* buffer) const { lstrcpynA(buffer, m_currentDirectory, static_cast<int>(kPickerPathSize)); }

BOOL DirectoryPicker::OnInitDialog() {
  m_dirsOnlyBox = Control(IDC_DIRS_ONLY);
  m_driveList = Control(IDC_DRIVE_LIST);
  m_curDirBox = Control(IDC_CURRENT_DIR);
  m_fileTypes = Control(IDC_FILE_TYPES);
  m_entryList = Control(IDC_ENTRY_LIST);

  m_driveMask = GetLogicalDrives();
  SetWindowTextA(Handle(), m_title);
  ShowWindow(Control(IDC_CURRENT_DIR_LABEL), SW_SHOW);
  ShowWindow(m_curDirBox, SW_SHOW);
  if (m_dirsOnly)
    HideFileTypes();
  else
    SendMessageA(m_fileTypes, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kAllFilesLabel));
  FitDropDown(m_fileTypes);
  SendMessageA(m_fileTypes, CB_SETCURSEL, 0, 0);

  FillDriveList();

  // The system's image list is shared: the list view must not destroy it.
  HIMAGELIST images = SystemSmallImages();
  SendMessageA(m_driveList, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
  ListView_SetImageList(m_entryList, images, LVSIL_SMALL);
  LONG_PTR style = GetWindowLongPtrA(m_entryList, GWL_STYLE);
  style = (style & ~static_cast<LONG_PTR>(LVS_TYPEMASK | WS_VSCROLL)) | LVS_SMALLICON;
  SetWindowLongPtrA(m_entryList, GWL_STYLE, style);

  FitDropDown(m_driveList);
  SendMessageA(m_driveList, CB_SETCURSEL, static_cast<WPARAM>(m_currentDrive), 0);

  lstrcpynA(m_startDirectory, m_currentDirectory, static_cast<int>(kPickerPathSize));
  FillList();
  return TRUE;
}

void DirectoryPicker::FillDriveList() {
  int drives = 0;
  for (int letter = 0; letter < kDriveLetters; ++letter)
    if (m_driveMask & (1u << letter)) ++drives;
  m_driveStrings.assign(static_cast<std::size_t>(drives) * 4 + 1, '\0');
  DWORD needed = GetLogicalDriveStringsA(static_cast<DWORD>(m_driveStrings.size()), m_driveStrings.data());
  // A drive that appeared since the mask was read needs a larger buffer.
  if (needed > m_driveStrings.size()) {
    m_driveStrings.assign(needed + 1, '\0');
    needed = GetLogicalDriveStringsA(static_cast<DWORD>(m_driveStrings.size()), m_driveStrings.data());
  }
  if (needed == 0 || needed > m_driveStrings.size()) m_driveStrings.assign(1, '\0');

  int index = 0;
  for (char* root = m_driveStrings.data(); *root != '\0'; root += std::strlen(root) + 1) {
    if (root[0] >= 'a' && root[0] <= 'z') root[0] = static_cast<char>(root[0] - 'a' + 'A');
    if (root[0] == m_currentDirectory[0]) m_currentDrive = index;
    std::string label = DriveLabel(root[0]);
    COMBOBOXEXITEMA item = {};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_LPARAM;
    item.iItem = -1;
    item.pszText = label.data();
    item.iImage = item.iSelectedImage = ShellIconOf(root, FILE_ATTRIBUTE_DIRECTORY, 0);
    // The item keeps its drive's root string for the selection handler.
    item.lParam = reinterpret_cast<LPARAM>(root);
    if (SendMessageA(m_driveList, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) == -1)
      MessageBoxA(Handle(), "Error adding driveCtrl item", "", MB_OK);
    else
      ++index;
  }
}

void DirectoryPicker::HideFileTypes() {
  ShowWindow(Control(IDC_FILE_TYPES_LABEL), SW_HIDE);
  ShowWindow(m_fileTypes, SW_HIDE);
}

void DirectoryPicker::FitDropDown(HWND combo) {
  const LRESULT field = SendMessageA(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
  const LRESULT item = SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0);
  const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  RECT client;
  GetClientRect(combo, &client);
  const int height = static_cast<int>(field + count * item) + 4 * GetSystemMetrics(SM_CYEDGE);
  SetWindowPos(combo, nullptr, 0, 0, client.right - client.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DirectoryPicker::FillList() {
  m_itemCount = 0;
  m_widestLabel = 0;
  ListView_DeleteAllItems(m_entryList);
  SetWindowTextA(m_curDirBox, m_currentDirectory);

  const int folderIcon = FolderIcon();
  const NavigationEntry first = FirstEntryFor(m_currentDirectory);
  if (!InsertEntry(first.label, folderIcon, first.value)) m_messages.Show("Error adding item!");

  ListDirectories(folderIcon);
  if (!m_dirsOnly) ListFiles();
  ListView_SetColumnWidth(m_entryList, 0, m_widestLabel + kColumnMargin);
}

void DirectoryPicker::ListDirectories(int folderIcon) {
  std::vector<PickerEntry> directories;
  SearchDirectory(std::string(m_currentDirectory) + "*", [&](const WIN32_FIND_DATAA& found) {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || found.cFileName[0] == '.') return;
    directories.push_back({folderIcon, found.dwFileAttributes, CapitaliseName(found.cFileName)});
  });
  SortEntries(directories);
  InsertEntries(directories);
}

void DirectoryPicker::ListFiles() {
  std::vector<PickerEntry> files;
  const std::string pattern = PatternOfFileTypeLabel(SelectedFileTypeLabel());
  SearchDirectory(std::string(m_currentDirectory) + pattern, [&](const WIN32_FIND_DATAA& found) {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
    const std::string path = std::string(m_currentDirectory) + found.cFileName;
    files.push_back({ShellIconOf(path.c_str(), FILE_ATTRIBUTE_NORMAL, SHGFI_USEFILEATTRIBUTES),
                     found.dwFileAttributes, CapitaliseName(found.cFileName)});
  });
  SortEntries(files);
  InsertEntries(files);
}

std::string DirectoryPicker::SelectedFileTypeLabel() const {
  const LRESULT selected = SendMessageA(m_fileTypes, CB_GETCURSEL, 0, 0);
  const LRESULT length = selected == CB_ERR ? CB_ERR : SendMessageA(m_fileTypes, CB_GETLBTEXTLEN, selected, 0);
  // A showing that began in directories-only mode has no labels; files listed after
  // the mode is left again are all files, the only type the picker offers.
  if (length == CB_ERR) return kAllFilesLabel;
  std::string label(static_cast<std::size_t>(length) + 1, '\0');
  SendMessageA(m_fileTypes, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(label.data()));
  label.resize(static_cast<std::size_t>(length));
  return label;
}

bool DirectoryPicker::InsertEntry(const char* label, int icon, std::int32_t value) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = m_itemCount;
  item.pszText = const_cast<char*>(label);
  item.iImage = icon;
  item.lParam = value;
  if (SendMessageA(m_entryList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) == -1) return false;
  ++m_itemCount;
  const int width = static_cast<int>(SendMessageA(m_entryList, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(label)));
  if (width > m_widestLabel) m_widestLabel = width;
  return true;
}

void DirectoryPicker::InsertEntries(const std::vector<PickerEntry>& entries) {
  for (const PickerEntry& entry : entries) {
    if (!InsertEntry(entry.name.c_str(), entry.icon, static_cast<std::int32_t>(entry.attributes))) {
      m_messages.Show("Error adding item!");
      return;
    }
  }
}

bool DirectoryPicker::OnCommand(int controlId, int notifyCode, HWND) {
  if (controlId == IDC_DRIVE_LIST && notifyCode == CBN_SELCHANGE) {
    OnDriveChange();
    return true;
  }
  if (controlId == IDC_FILE_TYPES && notifyCode == CBN_SELCHANGE) {
    FillList();
    return true;
  }
  if (controlId == IDC_DIRS_ONLY && notifyCode == BN_CLICKED) {
    OnDirsOnlyClick();
    return true;
  }
  return false;
}

bool DirectoryPicker::OnNotify(const NMHDR& header) {
  if (header.idFrom != IDC_ENTRY_LIST || header.code != static_cast<UINT>(NM_DBLCLK)) return false;
  OnListDoubleClick(reinterpret_cast<const NMITEMACTIVATE&>(header));
  return true;
}

void DirectoryPicker::OnDriveChange() {
  m_currentDrive = static_cast<int>(SendMessageA(m_driveList, CB_GETCURSEL, 0, 0));
  if (m_currentDrive < 0) return;
  const char* root = reinterpret_cast<const char*>(SendMessageA(m_driveList, CB_GETITEMDATA, m_currentDrive, 0));
  if (root == nullptr || root == reinterpret_cast<const char*>(CB_ERR)) return;
  SetCurrentDir(root);
  FillList();
}

void DirectoryPicker::OnDirsOnlyClick() {
  m_dirsOnly = IsDlgButtonChecked(Handle(), IDC_DIRS_ONLY) == BST_CHECKED ? 1 : 0;
  // Hidden whichever way the box went: the file types stay away for this showing.
  HideFileTypes();
  FillList();
}

void DirectoryPicker::OnListDoubleClick(const NMITEMACTIVATE& activation) {
  LVHITTESTINFO hit = {};
  hit.pt = activation.ptAction;
  const int index = ListView_HitTest(m_entryList, &hit);
  if (index < 0) return;
  std::optional<std::string> next = DirectoryAfterActivation(m_currentDirectory, ItemValue(index), ItemText(index));
  if (!next) return;
  SetCurrentDir(*next);
  FillList();
}

void DirectoryPicker::OnOK() {
  if (m_dirsOnly) {
    const int selected = ListView_GetNextItem(m_entryList, -1, LVNI_SELECTED);
    if (selected >= 0) {
      if (std::optional<std::string> chosen = DirectoryAfterActivation(m_currentDirectory, ItemValue(selected), ItemText(selected)))
        SetCurrentDir(*chosen);
    }
  }
  EndDialog(IDOK);
}

void DirectoryPicker::OnCancel() {
  lstrcpynA(m_currentDirectory, m_startDirectory, static_cast<int>(kPickerPathSize));
  EndDialog(IDCANCEL);
}

void DirectoryPicker::OnDestroy() { std::vector<char>().swap(m_driveStrings); }

void DirectoryPicker::SetCurrentDir(const std::string& directory) {
  if (directory.size() >= kPickerPathSize) return;
  std::memcpy(m_currentDirectory, directory.c_str(), directory.size() + 1);
}

std::string DirectoryPicker::ItemText(int index) const {
  char text[kItemTextSize] = {};
  LVITEMA item = {};
  item.iSubItem = 0;
  item.pszText = text;
  item.cchTextMax = static_cast<int>(kItemTextSize);
  SendMessageA(m_entryList, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return text;
}

std::int32_t DirectoryPicker::ItemValue(int index) const {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  SendMessageA(m_entryList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  return static_cast<std::int32_t>(item.lParam);
}

}  // namespace tarnwick
