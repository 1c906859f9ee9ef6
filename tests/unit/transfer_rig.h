// A poll cycle wired to in-memory doubles of the whole machine and the service.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config/configuration.h"
#include "doubles/fake_cycle_host.h"
#include "doubles/fake_data_protection.h"
#include "doubles/fake_file_system.h"
#include "doubles/fake_internet.h"
#include "doubles/fake_profile.h"
#include "doubles/fake_ui.h"
#include "transfer/poll_cycle.h"
#include "transfer/service_urls.h"

namespace tarnwick::testing {

struct TransferRig {
  OutputJournal journal;
  FakeProfile profile;
  FakeFileSystem files;
  FakeInternet internet;
  FakeClock clock;
  FakeRecordingLength media;
  FakeMessageBox messages{&journal};
  FakeThreadStarter threads;
  FakeDataProtection protection;
  Platform platform{profile, files, internet, clock, media, messages, threads, protection};
  FakeCycleHost host{journal};
  Configuration config;
  ServiceSettings service = DefaultServiceSettings();
  std::unique_ptr<PollCycle> cycle;

  TransferRig() {
    config.author = "author7";
    config.password = "secret";
    internet.ftp.AddDirectory("/tessaro.example/dravouploads");
  }

  PollCycle& Cycle() {
    if (!cycle) cycle = std::make_unique<PollCycle>(platform, host, config, service);
    return *cycle;
  }

  // The probe answers and the author is accepted.
  void ServiceAccepts() {
    internet.Answer(ProbeUrl(service), "");
    internet.Answer(AuthorVerifyUrl(service, config.author, config.password), "<b>Username Valid!</b>");
  }
  void ReportAccepted(const std::string& remoteName, const std::string& lengthText) {
    internet.Answer(CopyReportUrl(service, config.author, remoteName, lengthText), "Username Valid!");
  }
  void DownloadList(const std::string& answer) {
    internet.Answer(DownloadListUrl(service, config.author, config.password), answer);
  }
  std::string ConfirmUrl(const std::string& fileId) {
    return DownloadConfirmUrl(service, config.author, config.password, fileId);
  }

  // The journal from the first entry equal to `from` on (everything when absent).
  std::vector<std::string> JournalFrom(const std::string& from) const {
    auto& entries = journal.entries;
    for (std::size_t i = 0; i < entries.size(); ++i)
      if (entries[i] == from) return std::vector<std::string>(entries.begin() + i, entries.end());
    return entries;
  }
  // The status texts of connect with retries that end in a connection at the first attempt.
  static std::vector<std::string> Connected() {
    return {"S:Connecting to ftp.tessaro.example (Attempt 1 of 5)", "S:Connected to Tessaro Server"};
  }
};

// The scan's due files for these paths, and their paths.
inline std::vector<DueFile> DueFiles(const std::vector<std::string>& paths) {
  std::vector<DueFile> files;
  for (const std::string& path : paths) files.push_back(DueFileAt(path));
  return files;
}
inline std::vector<std::string> Paths(const std::vector<DueFile>& files) {
  std::vector<std::string> paths;
  for (const DueFile& file : files) paths.push_back(file.Path());
  return paths;
}

// `a` followed by `b`.
inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace tarnwick::testing
