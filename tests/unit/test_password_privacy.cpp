// The author's password travels in the query of web requests; nothing the cycle
// gives its host to log or show may carry it, whichever way the cycle goes.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "transfer/service_urls.h"
#include "transfer_rig.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

// Characters that URL encoding changes, so that neither form hides from the search.
const char kPassword[] = "Zq7 &pw=Xk9";

struct PrivacyCase {
  const char* name;
  std::function<void(TransferRig&)> arrange;
};

// A file to upload and one to download.
void FilesBothWays(TransferRig& rig) {
  rig.ServiceAccepts();
  rig.files.AddFile("C:\\Rec\\a.wav", "AAAA");
  rig.config.directories[1] = "C:\\Rec\\";
  rig.config.extensions[1] = "wav";
  rig.media.lengths["C:\\Rec\\a.wav"] = 2000;
  rig.config.autoDownload = 1;
  rig.DownloadList("countoffiles=1<br>SourceDir=/pending/author7<br>file_1=\"b.rtf\"<br>fileid_1=55<br>");
}

TEST(PasswordPrivacy, NoOutputOfACycleCarriesThePassword) {
  auto verifyUrl = [](TransferRig& rig) { return AuthorVerifyUrl(rig.service, rig.config.author, rig.config.password); };
  const PrivacyCase cases[] = {
      {"no Internet", [](TransferRig& rig) { rig.internet.failOpen = true; }},
      {"web host unreachable", [](TransferRig&) {}},
      {"author refused",
       [&](TransferRig& rig) {
         rig.internet.Answer(ProbeUrl(rig.service), "");
         rig.internet.Answer(verifyUrl(rig), "no");
       }},
      {"author check answered by another host",
       [&](TransferRig& rig) {
         rig.internet.Answer(ProbeUrl(rig.service), "");
         UrlAnswer portal;
         portal.body = "sign in";
         portal.finalUrl = "http://portal.hotel.example/?from=" + verifyUrl(rig);
         rig.internet.answers[verifyUrl(rig)] = portal;
       }},
      {"download list unreadable",
       [](TransferRig& rig) {
         rig.ServiceAccepts();
         rig.config.autoDownload = 1;
         rig.DownloadList("countoffiles=1<br>");
       }},
      {"every FTP login refused",
       [](TransferRig& rig) {
         FilesBothWays(rig);
         rig.internet.ftp.refuseFromLogin = 1;
       }},
      {"everything goes through",
       [](TransferRig& rig) {
         FilesBothWays(rig);
         rig.ReportAccepted("author7_a.wav", "2");
         rig.internet.ftp.AddFile("/pending/author7/b.rtf", "BBBB");
       }},
  };
  for (const PrivacyCase& c : cases) {
    SCOPED_TRACE(c.name);
    TransferRig rig;
    rig.config.password = kPassword;
    c.arrange(rig);
    rig.Cycle().Run();
    ASSERT_EQ(rig.journal.entries.back(), "E:");
    for (const std::string& entry : rig.journal.entries) {
      EXPECT_EQ(entry.find(kPassword), std::string::npos) << entry;
      EXPECT_EQ(entry.find(EncodeQueryValue(kPassword)), std::string::npos) << entry;
    }
  }
}

}  // namespace
}  // namespace tarnwick
