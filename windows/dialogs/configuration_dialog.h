// "Tarnwick - Configuration": the dialog in which the user edits the ten source slots,
// the login, the poll time and the options, checked against the service's list of
// permitted extensions before anything is written to the profile.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "config/configuration.h"
#include "config/configuration_form.h"
#include "windows/dialogs/directory_picker.h"
#include "platform/data_protection.h"
#include "platform/internet.h"
#include "platform/profile.h"
#include "platform/user_interface.h"
#include "windows/dialogs/modal_dialog.h"

namespace tarnwick {

class ConfigurationDialog : public ModalDialog {
 public:
  // `logToFile` keeps a password that could not be saved in the log file.
  ConfigurationDialog(IProfile& profile, IDataProtection& protection, IInternet& internet, IMessageBox& messages,
                      const ServiceSettings& service, std::function<void(const std::string&)> logToFile);

  // Asks the service for its permitted extensions; the list stays empty when it cannot.
  void FetchValidExtensions();
  // True when all ten extensions are permitted; otherwise false after the warning for
  // the first one that is not (or after a poll time that is not a number).
  bool ValidateExtensions();

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(int controlId, int notifyCode, HWND control) override;
  void OnOK() override;
  void ExchangeFields(DataExchange& exchange) override;

 private:
  void OnBrowse(int slot);
  void OnEnabledClick();
  // Ticked for exactly 1; 2 and 3 from the profile show as cleared.
  void ShowEnabledBox();
  // The hidden download choices: 1, 2 or 3, each ticking its own box alone.
  void OnAutoDownloadChoice(std::int32_t value);

  IProfile& m_profile;
  IDataProtection& m_protection;
  IInternet& m_internet;
  IMessageBox& m_messages;
  ServiceSettings m_service;
  std::function<void(const std::string&)> m_logToFile;
  ConfigurationForm m_form;
  // One picker for all ten Browse buttons, so each opens where the last one ended.
  DirectoryPicker m_picker;
  // "Enabled" is set by its click handler, not by the data exchange.
  HWND m_enabledBox = nullptr;
};

}  // namespace tarnwick
