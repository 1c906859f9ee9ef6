#include "transfer/poll_cycle.h"

#include "transfer/download_list.h"
#include "transfer/service_urls.h"

namespace tarnwick {

namespace {

const char kEqualSignMissing[] = "Equal Sign not found. Will retry again in next poll";

std::string Numbered(const char* prefix, long long number) { return prefix + std::to_string(number); }

}  // namespace

PollCycle::PollCycle(Platform& platform, CycleHost& host, const Configuration& config,
                     const ServiceSettings& service)
    : m_platform(platform),
      m_host(host),
      m_messages(host),
      m_config(config),
      m_service(service),
      m_sentRecord(platform.files) {}

PollCycle::~PollCycle() = default;

void PollCycle::Run() {
  CancellationScope scope(m_cancellation);
  RunSteps();
  m_host.EndCycle();
}

void PollCycle::Fail(const std::string& text) {
  m_host.LogToWindow(text);
  m_host.SetStatusText(text);
  m_host.LogToFile(text);
}

void PollCycle::RunSteps() {
  if (m_host.StopRequested()) return;
  if (!CheckConnection()) {
    m_host.SetStatusText("No Internet Access");
    return;
  }
  if (m_host.StopRequested()) return;
  const AuthorVerdict verdict = VerifyAuthor();
  if (verdict == AuthorVerdict::NoAnswer) {
    // A time-out, an error page or somebody else's login page says nothing of the
    // password: polling goes on, and the next tick asks again.
    m_host.SetStatusText("No Internet Access");
    m_host.LogToFile("The login check got no answer from the service. Will retry again in next poll");
    return;
  }
  if (verdict == AuthorVerdict::Refused) {
    const char text[] = "Invalid Author Name or Password.";
    m_host.LogToWindow(text);
    m_host.LogToFile(text);
    m_host.SetStatusText(text);
    // Until the configuration is loaded again, ticks leave the service alone.
    m_host.StopScheduledPolling();
    return;
  }
  if (m_host.StopRequested()) return;
  const std::vector<DueFile> due = ScanSourceDirs();
  if (!due.empty()) {
    m_host.LogToWindow("Starting Upload Process");
    UploadFiles(due);
  } else {
    m_host.LogToWindow("No File to Upload");
    m_host.SetStatusText("No File to Upload");
  }
  if (m_host.StopRequested()) return;
  if (m_config.autoDownload <= 0) {
    m_host.LogToWindow("Auto Download is off");
    m_host.SetStatusText("Auto Download is off");
    return;
  }
  DownloadStep();
}

void PollCycle::DownloadStep() {
  m_host.LogToWindow("Starting Auto-Download Process");
  m_host.SetStatusText("Starting Auto Download");
  const std::string url = DownloadListUrl(m_service, m_config.author, m_config.password);
  m_host.LogToWindow("Getting List of Files from the Server");
  std::string answer = FetchUrl(url);
  if (answer.empty()) return;

  // A value that is missing or longer than its buffer ends the cycle with the
  // entry's error: a name cut to fit would name another file.
  const ListValue count = ReadKeyedValue(answer, "countoffiles", kListValueLimit);
  if (count.result == ListRead::NoSeparator) {
    m_host.LogToWindow(kEqualSignMissing);
    return;
  }
  if (count.result != ListRead::Found) {
    Fail("DL-ERROR: CFiles");
    return;
  }
  const int announced = ToCount(count.value);
  if (announced < 0) {
    Fail("No Files to Download");
    return;
  }
  m_host.LogToWindow(Numbered("Number of Files to Download : ", announced));

  const ListValue sourceDir = ReadKeyedValue(answer, "SourceDir", kSourceDirLimit);
  if (sourceDir.result == ListRead::NoSeparator) {
    m_host.LogToWindow(kEqualSignMissing);
    return;
  }
  if (sourceDir.result != ListRead::Found) {
    Fail("DL-ERROR: SDir001");
    return;
  }

  DownloadEntries read = ReadDownloadEntries(answer, announced);
  if (read.result != ListRead::Found) {
    const long long entry = static_cast<long long>(read.entries.size()) + 1;
    if (!read.idFailed && read.result == ListRead::NoSeparator)
      m_host.LogToWindow("Quote-sign not found. Will retry again in next poll");
    else if (!read.idFailed)
      Fail(Numbered("DL-ERROR: FName", entry));
    else if (read.result == ListRead::NoSeparator)
      m_host.LogToWindow("Equal Sign not found.");
    else
      Fail(Numbered("DL-ERROR: FId", entry));
    return;
  }
  answer.clear();

  if (m_host.StopRequested()) return;
  if (!read.entries.empty()) {
    m_host.LogToWindow("Downloading Files");
    DownloadFiles(sourceDir.value, read.entries);
  } else {
    m_host.LogToWindow("No File to Download");
    m_host.SetStatusText("No Files to Download");
    m_host.LogToFile("No File to Download");
  }
}

void PollCycleThread(PollCycle* cycle) { cycle->Run(); }

}  // namespace tarnwick
