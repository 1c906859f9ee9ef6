// The cycle's web requests and measurements, bound to its platform and host.
#include "transfer/poll_cycle.h"
#include "transfer/recording_length.h"
#include "transfer/service_urls.h"
#include "transfer/web_request.h"

namespace tarnwick {

namespace {

IconSwitch IconsOf(CycleHost& host) {
  return [&host](unsigned resourceId) { host.ShowIcon(resourceId); };
}

}  // namespace

bool PollCycle::CheckConnection() {
  return tarnwick::CheckConnection(m_platform.internet, m_messages, IconsOf(m_host), m_service);
}

std::string PollCycle::FetchUrl(const std::string& url) {
  return tarnwick::FetchUrl(m_platform.internet, m_messages, url);
}

AuthorVerdict PollCycle::VerifyAuthor() {
  const AuthorVerdict verdict = CheckAuthor(m_platform.internet, m_messages,
                                            AuthorVerifyUrl(m_service, m_config.author, m_config.password));
  // Without an answer nothing was said of the password; the cycle says what happened.
  if (verdict == AuthorVerdict::Accepted) m_host.SetStatusText("UserName Validation =*= OK =*=");
  if (verdict == AuthorVerdict::Refused) m_host.SetStatusText("UserName or Password Validation Fail");
  return verdict;
}

int PollCycle::ReportUpload(const std::string& url) {
  return tarnwick::ReportUpload(m_platform.internet, m_messages, IconsOf(m_host), url);
}

double PollCycle::GetRecordingLength(const std::string& path) {
  return tarnwick::GetRecordingLength(m_platform.media, path);
}

}  // namespace tarnwick
