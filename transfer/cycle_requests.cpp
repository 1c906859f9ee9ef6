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

bool PollCycle::VerifyAuthor() {
  const std::string answer = FetchUrl(AuthorVerifyUrl(m_service, m_config.m_strAuthor, m_config.m_strPassword));
  const bool valid = AnswerSaysValid(answer);
  m_host.SetStatusText(valid ? "UserName Validation =*= OK =*=" : "UserName or Password Validation Fail");
  return valid;
}

int PollCycle::ReportUpload(const std::string& url) {
  return tarnwick::ReportUpload(m_platform.internet, m_messages, IconsOf(m_host), url);
}

double PollCycle::GetRecordingLength(const std::string& path) {
  return tarnwick::GetRecordingLength(m_platform.media, path);
}

}  // namespace tarnwick
