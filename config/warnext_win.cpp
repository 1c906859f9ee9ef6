#include "config/warnext_win.h"

#include "config/config_dialog_ids.h"
#include "res/resource.h"
#include "transfer/web_request.h"

namespace tarnwick {

WarnExt::WarnExt(IInternet& internet, const ServiceSettings& service)
    : ModalDialog(IDD_WARNING), m_internet(internet), m_service(service) {}

BOOL WarnExt::OnInitDialog() {
  m_strMessage = "Valid File Extensions are: ";
  // The list is asked for again: the user sees what the service permits now.
  WebAnswer answer = FetchExtensionList(m_internet, m_service, nullptr);
  if (answer.outcome == WebOutcome::InternetUnavailable)
    m_strMessage = "Internet Not availabe to get valid file extensions.";
  else
    m_strMessage += answer.text;
  ShowFields();
  return TRUE;
}

void WarnExt::ExchangeFields(DataExchange& exchange) { exchange.Text(IDC_VALID_EXTENSIONS, m_strMessage); }

}  // namespace tarnwick
