#include "windows/dialogs/extension_warning.h"

#include "res/resource.h"
#include "transfer/web_request.h"

namespace tarnwick {

ExtensionWarning::ExtensionWarning(IInternet& internet, const ServiceSettings& service)
    : ModalDialog(IDD_WARNING), m_internet(internet), m_service(service) {}

BOOL ExtensionWarning::OnInitDialog() {
  m_message = "Valid File Extensions are: ";
  // The list is asked for again: the user sees what the service permits now.
  WebAnswer answer = FetchExtensionList(m_internet, m_service, nullptr);
  if (answer.outcome == WebOutcome::InternetUnavailable)
    m_message = "Internet Not availabe to get valid file extensions.";
  else
    m_message += answer.text;
  ShowFields();
  return TRUE;
}

void ExtensionWarning::ExchangeFields(DataExchange& exchange) { exchange.Text(IDC_VALID_EXTENSIONS, m_message); }

}  // namespace tarnwick
