#include "transfer/web_request.h"

#include <cstring>

#include "res/resource.h"
#include "transfer/service_urls.h"

namespace tarnwick {

const char kInternetAgent[] = "InetURL/1.0";

namespace {

const char kMarkerAccepted[] = "Username Valid!";

void Show(IMessageBox* messages, const char* text) {
  if (text != nullptr && messages != nullptr) messages->Show(text);
}

}  // namespace

std::string ReadAnswer(IUrlReader& reader, bool& whole) {
  std::string answer;
  char buffer[kAnswerChunk + 1];
  for (;;) {
    std::size_t bytesRead = 0;
    whole = reader.Read(buffer, kAnswerChunk, bytesRead);
    if (!whole || bytesRead == 0) break;
    if (bytesRead > kAnswerChunk) bytesRead = kAnswerChunk;  // a reader that overstates must not run us past the buffer
    buffer[bytesRead] = '\0';
    answer.append(buffer, std::strlen(buffer));
  }
  return answer;
}

WebAnswer RunWebRequest(IInternet& internet, const std::string& url, const WebRequestKind& kind,
                        IMessageBox* messages, const IconSwitch& showIcon) {
  auto icon = [&](unsigned resourceId) {
    if (kind.icon != RequestIcon::Untouched && showIcon) showIcon(resourceId);
  };
  WebAnswer result;
  std::unique_ptr<IInternetHandle> handle = internet.Open(kInternetAgent);
  if (kind.icon == RequestIcon::BusyFromStart) icon(IDI_BUSY);
  if (!handle) {
    Show(messages, kind.internetFailureMessage);
    if (kind.icon == RequestIcon::BusyFromStart) icon(IDI_IDLE);
    result.outcome = WebOutcome::InternetUnavailable;
    return result;
  }
  if (kind.icon == RequestIcon::BusyOnceOpened) icon(IDI_BUSY);
  handle->SetTimeouts(kWebRequestTimeoutMilliseconds);

  std::unique_ptr<IUrlReader> reader = handle->OpenUrl(url);
  if (!reader) {
    Show(messages, kind.urlFailureMessage);
    icon(IDI_IDLE);
    result.outcome = WebOutcome::UrlNotOpened;
    return result;
  }
  result.response = reader->Response();
  if (kind.readAnswer) result.text = ReadAnswer(*reader, result.whole);
  result.outcome = WebOutcome::Answered;
  reader.reset();
  icon(IDI_IDLE);
  return result;
}

bool AnswerSaysValid(const std::string& answer) { return answer.find(kMarkerAccepted) != std::string::npos; }

namespace {

WebAnswer GenericRequest(IInternet& internet, IMessageBox& messages, const std::string& url) {
  WebRequestKind kind;
  kind.internetFailureMessage = "Internet not avaiable !!!";
  return RunWebRequest(internet, url, kind, &messages, IconSwitch());
}

}  // namespace

std::string FetchUrl(IInternet& internet, IMessageBox& messages, const std::string& url) {
  return GenericRequest(internet, messages, url).text;
}

bool IsOwnAnswer(const std::string& url, const WebAnswer& answer) {
  const unsigned status = answer.response.status;
  const std::string asked = HostOfUrl(url);
  return answer.outcome == WebOutcome::Answered && answer.whole && status >= 200 && status <= 299 &&
         !asked.empty() && HostOfUrl(answer.response.finalUrl) == asked;
}

AuthorVerdict CheckAuthor(IInternet& internet, IMessageBox& messages, const std::string& url) {
  const WebAnswer answer = GenericRequest(internet, messages, url);
  if (AnswerSaysValid(answer.text)) return AuthorVerdict::Accepted;
  return IsOwnAnswer(url, answer) ? AuthorVerdict::Refused : AuthorVerdict::NoAnswer;
}

bool CheckConnection(IInternet& internet, IMessageBox& messages, const IconSwitch& showIcon,
                     const ServiceSettings& service) {
  WebRequestKind kind;
  kind.icon = RequestIcon::BusyOnceOpened;
  kind.internetFailureMessage = "InternetOpen Failed";
  kind.readAnswer = false;
  return RunWebRequest(internet, ProbeUrl(service), kind, &messages, showIcon).outcome == WebOutcome::Answered;
}

int ReportUpload(IInternet& internet, IMessageBox& messages, const IconSwitch& showIcon, const std::string& url) {
  if (url.empty()) return 0;
  WebRequestKind kind;
  kind.icon = RequestIcon::BusyFromStart;
  kind.internetFailureMessage = "InternetOpen Failed";
  kind.urlFailureMessage = "No Network Access.";
  const WebAnswer answer = RunWebRequest(internet, url, kind, &messages, showIcon);
  return AnswerSaysValid(answer.text) ? 1 : 0;
}

WebAnswer FetchExtensionList(IInternet& internet, const ServiceSettings& service, IMessageBox* messages) {
  WebRequestKind kind;
  kind.internetFailureMessage = "Internet not avaiable !!!";
  return RunWebRequest(internet, ExtensionListUrl(service), kind, messages, IconSwitch());
}

}  // namespace tarnwick
