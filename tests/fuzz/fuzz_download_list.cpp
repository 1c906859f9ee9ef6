// A whole poll cycle whose download-list answer is the fuzzer's: the entries that the
// cycle reads must be exactly those the C-string reading of list_reference.h gives,
// the cycle must end once, and no download may land outside the download directory.
#include <fuzzer/FuzzedDataProvider.h>

#include <set>

#include "fuzz_check.h"
#include "list_reference.h"
#include "transfer/download_names.h"
#include "transfer/web_request.h"
#include "transfer_rig.h"

using namespace tarnwick;
using namespace tarnwick::fuzzing;
using namespace tarnwick::testing;

namespace {

struct ExpectedLists {
  bool reachesEntries = false;
  int announced = 0;
  std::string sourceDir;
  std::vector<std::string> names, ids;
};

// Steps 10 to 13 of the cycle, read with the reference rules.
ExpectedLists Expect(const std::string& answer) {
  ExpectedLists expected;
  const char* text = answer.c_str();
  const ListValue count = ReferenceKeyed(text, "countoffiles", kListValueLimit);
  if (answer.empty() || count.result != ListRead::Found) return expected;
  const int announced = ReferenceCount(count.value);
  const ListValue sourceDir = ReferenceKeyed(text, "SourceDir", kSourceDirLimit);
  if (announced < 0 || sourceDir.result != ListRead::Found) return expected;
  expected.reachesEntries = true;
  expected.announced = announced;
  expected.sourceDir = sourceDir.value;
  for (long long entry = 1; entry <= announced; ++entry) {
    const ListValue name = ReferenceQuoted(text, ("file_" + std::to_string(entry)).c_str(), kListValueLimit);
    if (name.result != ListRead::Found) break;
    expected.names.push_back(name.value);
    const ListValue id = ReferenceKeyed(text, ("fileid_" + std::to_string(entry)).c_str(), kListValueLimit);
    if (id.result != ListRead::Found) break;
    expected.ids.push_back(id.value);
  }
  return expected;
}

// What the reading loop makes of the body: each chunk up to its first zero byte.
std::string Joined(const std::string& body, std::size_t chunk) {
  std::string joined;
  for (std::size_t at = 0; at < body.size(); at += chunk) {
    const std::string piece = body.substr(at, chunk);
    joined += piece.substr(0, piece.find('\0'));
  }
  return joined;
}

bool InsideDownloadDirectory(const std::string& key) {
  const std::string directory = "C:\\DRAVOS\\DOWNLOAD";
  if (key == "C:\\DRAVOS" || key == directory) return true;
  return key.rfind(directory + "\\", 0) == 0 && key.find('\\', directory.size() + 1) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::size_t chunk = input.ConsumeIntegralInRange<std::size_t>(1, kAnswerChunk);
  const bool filesOnServer = input.ConsumeBool();
  const std::string body = input.ConsumeRemainingBytesAsString();
  const std::string answer = Joined(body, chunk);
  const ExpectedLists expected = Expect(answer);

  TransferRig rig;
  rig.config.autoDownload = 1;
  rig.ServiceAccepts();
  rig.internet.Answer(DownloadListUrl(rig.service, rig.config.author, rig.config.password), body, chunk);
  if (filesOnServer && expected.reachesEntries) {
    const std::string directory = rig.internet.ftp.Resolve("/", expected.sourceDir);
    rig.internet.ftp.AddDirectory(directory);
    for (const std::string& name : expected.names) rig.internet.ftp.AddFile(rig.internet.ftp.Resolve(directory, name), name);
  }
  rig.Cycle().Run();

  FUZZ_CHECK(rig.host.cyclesEnded == 1);
  FUZZ_CHECK(rig.internet.openHandles == 0);
  if (expected.reachesEntries) {
    // The entries the cycle reads are whole pairs; a name read without its id says
    // the id failed.
    const DownloadEntries read = ReadDownloadEntries(answer, expected.announced);
    FUZZ_CHECK(read.entries.size() == expected.ids.size());
    for (std::size_t i = 0; i < read.entries.size(); ++i) {
      FUZZ_CHECK(read.entries[i].name == expected.names[i]);
      FUZZ_CHECK(read.entries[i].id == expected.ids[i]);
    }
    FUZZ_CHECK(expected.names.size() - expected.ids.size() <= 1);
    FUZZ_CHECK(read.idFailed == (expected.names.size() > expected.ids.size()));
    FUZZ_CHECK((read.result == ListRead::Found) ==
               (!read.idFailed && read.entries.size() == static_cast<std::size_t>(expected.announced)));
  }
  // Files arrive only under a listed plain name, directly in the download directory;
  // no temporary file is left behind.
  std::set<std::string> targets;
  std::size_t plainNames = 0;
  for (const std::string& name : expected.names) {
    if (!IsPlainFileName(name)) continue;
    ++plainNames;
    std::string target = std::string(kDownloadDirectory) + "\\" + name;
    for (char& c : target)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    targets.insert(target);
  }
  for (const auto& [key, entry] : rig.files.entries) {
    FUZZ_CHECK(InsideDownloadDirectory(key));
    if ((entry.attributes & kAttrDirectory) == 0) FUZZ_CHECK(targets.count(key) == 1);
  }
  std::size_t confirmations = 0;
  for (const std::string& url : rig.internet.RequestedUrls()) confirmations += url.find("/drdlsuccess.php?") != std::string::npos;
  FUZZ_CHECK(confirmations <= plainNames);
  return 0;
}
