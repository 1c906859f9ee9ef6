// "Warning": tells the user that an extension is not permitted by the service and shows
// the service's list of permitted extensions, fetched afresh.
#pragma once

#include <string>

#include "config/configuration.h"
#include "platform/internet.h"
#include "windows/dialogs/modal_dialog.h"

namespace tarnwick {

class ExtensionWarning : public ModalDialog {
 public:
  ExtensionWarning(IInternet& internet, const ServiceSettings& service);

 protected:
  BOOL OnInitDialog() override;
  void ExchangeFields(DataExchange& exchange) override;

 private:
  IInternet& m_internet;
  ServiceSettings m_service;
  std::string m_message;  // the line with the permitted extensions
};

}  // namespace tarnwick
