#include "windows/dialogs/configuration_dialog.h"

#include "res/resource.h"
#include "config/extension_rules.h"
#include "windows/dialogs/extension_warning.h"
#include "transfer/web_request.h"

namespace tarnwick {

namespace {

// Controls of slots 1 to 10; index 0 is unused.
const int kDirectoryIds[kSlotCount + 1] = {0,        IDC_DIR1, IDC_DIR2, IDC_DIR3, IDC_DIR4, IDC_DIR5,
                                           IDC_DIR6, IDC_DIR7, IDC_DIR8, IDC_DIR9, IDC_DIR10};
const int kExtensionIds[kSlotCount + 1] = {0,        IDC_EXT1, IDC_EXT2, IDC_EXT3, IDC_EXT4, IDC_EXT5,
                                           IDC_EXT6, IDC_EXT7, IDC_EXT8, IDC_EXT9, IDC_EXT10};
const int kBrowseIds[kSlotCount + 1] = {0,           IDC_BROWSE1, IDC_BROWSE2, IDC_BROWSE3, IDC_BROWSE4, IDC_BROWSE5,
                                        IDC_BROWSE6, IDC_BROWSE7, IDC_BROWSE8, IDC_BROWSE9, IDC_BROWSE10};

// The download choices and the value each stands for.
struct AutoDownloadChoice {
  int controlId;
  std::int32_t value;
};
const AutoDownloadChoice kAutoDownloadChoices[] = {
    {IDC_AUTO_ASSIGNED, 1}, {IDC_AUTO_CLIENTS, 2}, {IDC_AUTO_BOTH, 3}};

constexpr int kLeftColumn = 5;

}  // namespace

ConfigurationDialog::ConfigurationDialog(IProfile& profile, IDataProtection& protection, IInternet& internet,
                                         IMessageBox& messages, const ServiceSettings& service,
                                         std::function<void(const std::string&)> logToFile)
    : ModalDialog(IDD_CONFIGURATION, &messages),
      m_profile(profile),
      m_protection(protection),
      m_internet(internet),
      m_messages(messages),
      m_service(service),
      m_logToFile(std::move(logToFile)),
      m_picker(messages) {}

BOOL ConfigurationDialog::OnInitDialog() {
  m_enabledBox = Control(IDC_AUTO_ENABLED);

  // A configuration of its own: the main window's working copy is neither read nor changed.
  // What the load finds wrong with the password the main window's load has logged.
  Configuration stored;
  LoadConfiguration(m_profile, m_protection, stored);
  FetchValidExtensions();
  FillFormFromConfiguration(stored, m_form);
  ShowEnabledBox();
  ShowFields();
  return TRUE;
}

void ConfigurationDialog::FetchValidExtensions() {
  WebAnswer answer = FetchExtensionList(m_internet, m_service, &m_messages);
  m_form.validExtensions += answer.text;
}

void ConfigurationDialog::ExchangeFields(DataExchange& exchange) {
  for (int slot = 1; slot <= kLeftColumn; ++slot) exchange.Text(kDirectoryIds[slot], m_form.directories[slot]);
  for (int slot = 1; slot <= kLeftColumn; ++slot) exchange.Text(kExtensionIds[slot], m_form.extensions[slot]);
  exchange.Text(IDC_AUTHOR, m_form.author);
  exchange.DecimalInteger(IDC_POLL_TIME, m_form.pollTime);
  exchange.CheckBox(IDC_SHOW_CONFIG, m_form.showConfig);
  exchange.Text(IDC_PASSWORD, m_form.password);
  for (int slot = kLeftColumn + 1; slot <= kSlotCount; ++slot)
    exchange.Text(kExtensionIds[slot], m_form.extensions[slot]);
  for (int slot = kLeftColumn + 1; slot <= kSlotCount; ++slot)
    exchange.Text(kDirectoryIds[slot], m_form.directories[slot]);
}

bool ConfigurationDialog::OnCommand(int controlId, int notifyCode, HWND) {
  if (notifyCode != BN_CLICKED) return false;
  for (int slot = 1; slot <= kSlotCount; ++slot) {
    if (controlId == kBrowseIds[slot]) {
      OnBrowse(slot);
      return true;
    }
  }
  if (controlId == IDC_AUTO_ENABLED) {
    OnEnabledClick();
    return true;
  }
  for (const AutoDownloadChoice& choice : kAutoDownloadChoices) {
    if (controlId == choice.controlId) {
      OnAutoDownloadChoice(choice.value);
      return true;
    }
  }
  return false;
}

void ConfigurationDialog::OnBrowse(int slot) {
  if (m_picker.PickDirectory("Select Directory") != IDOK) return;
  char chosen[kPickerPathSize];
  m_picker.GetCurrentDir(chosen);
  m_form.directories[slot] = chosen;
  // Shown from the members without taking the controls first: text typed since the
  // fields were last shown goes back to the members' values.
  ShowFields();
}

void ConfigurationDialog::OnEnabledClick() {
  m_form.autoDownload = AutoDownloadAfterEnabledClick(m_form.autoDownload);
  ShowEnabledBox();
}

void ConfigurationDialog::ShowEnabledBox() {
  SendMessageA(m_enabledBox, BM_SETCHECK, EnabledBoxTicked(m_form.autoDownload) ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ConfigurationDialog::OnAutoDownloadChoice(std::int32_t value) {
  m_form.autoDownload = value;
  SendMessageA(m_enabledBox, BM_SETCHECK, BST_UNCHECKED, 0);
  for (const AutoDownloadChoice& choice : kAutoDownloadChoices)
    SendMessageA(Control(choice.controlId), BM_SETCHECK, choice.value == value ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool ConfigurationDialog::ValidateExtensions() {
  // A poll time that is not a number stops here: the user has been told, the field has
  // the focus, and nothing is shown again over what was typed.
  if (!TakeFields()) return false;
  TrimExtensionFields(m_form);
  ShowFields();
  const int rejected = FirstRejectedSlot(m_form.extensions, m_form.validExtensions);
  if (rejected == 0) return true;
  ExtensionWarning warning(m_internet, m_service);
  warning.RunModal();
  MoveFocusTo(kExtensionIds[rejected]);
  return false;
}

void ConfigurationDialog::OnOK() {
  if (!ValidateExtensions()) return;
  if (!TakeFields()) return;
  const PasswordNote note = SaveConfiguration(m_profile, m_protection, ConfigurationFromForm(m_form));
  if (note != PasswordNote::None) {
    // The user who typed the password is here to hear it; the log file keeps it for later.
    const std::string text = PasswordNoteText(note);
    if (m_logToFile) m_logToFile(text);
    m_messages.Show(text);
  }
  EndDialog(IDOK);
}

}  // namespace tarnwick
