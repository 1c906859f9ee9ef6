#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "doubles/fake_internet.h"
#include "doubles/fake_ui.h"
#include "transfer/service_urls.h"
#include "transfer/web_request.h"

namespace tarnwick {
namespace {

using namespace tarnwick::testing;

struct WebRequestTest : ::testing::Test {
  OutputJournal journal;  // "M:" message boxes and "I:" tray icons, in order
  FakeMessageBox messages{&journal};
  FakeInternet internet;
  ServiceSettings service = DefaultServiceSettings();
  IconSwitch icons = [this](unsigned id) { journal.Add('I', std::to_string(id)); };
  const std::string url = "http://tessaro.example/x";
};

TEST_F(WebRequestTest, LongAnswerIsReadInChunksOfAtMost1023BytesAndJoinedInOrder) {
  std::string body;
  for (int i = 0; i < 2500; ++i) body += static_cast<char>('a' + i % 26);
  internet.Answer(url, body, 5000);  // the server would hand out more than is asked for
  EXPECT_EQ(FetchUrl(internet, messages, url), body);
  EXPECT_EQ(internet.readCapacities, (std::vector<std::size_t>{1023, 1023, 1023, 1023}));  // 1023+1023+454, then 0

  internet.Answer(url, body, 300);  // short reads are joined just the same
  EXPECT_EQ(FetchUrl(internet, messages, url), body);
}

TEST_F(WebRequestTest, ZeroByteEndsWhatItsChunkContributes) {
  internet.Answer(url, std::string("ab\0cdEF\0gh", 10), 5);  // chunks "ab\0cd" and "EF\0gh"
  EXPECT_EQ(FetchUrl(internet, messages, url), "abEF");
}

TEST_F(WebRequestTest, FailedReadKeepsTheTextReadSoFar) {
  UrlAnswer answer;
  answer.body = std::string(3000, 'x');
  answer.failReadAt = 2046;
  internet.answers[url] = answer;
  EXPECT_EQ(FetchUrl(internet, messages, url), std::string(2046, 'x'));
}

TEST_F(WebRequestTest, FetchUrlAsksNotToCacheAndClosesEverything) {
  internet.Answer(url, "hello");
  EXPECT_EQ(FetchUrl(internet, messages, url), "hello");
  ASSERT_EQ(internet.requests.size(), 1u);
  EXPECT_EQ(internet.requests[0].agent, "InetURL/1.0");
  EXPECT_EQ(internet.openHandles, 0);
  EXPECT_TRUE(journal.entries.empty());
}

TEST_F(WebRequestTest, FetchUrlFailuresGiveEmptyTextAndOnlyTheOpenFailureSpeaks) {
  EXPECT_EQ(FetchUrl(internet, messages, url), "");  // URL cannot be opened: silent
  EXPECT_TRUE(journal.entries.empty());
  internet.failOpen = true;
  EXPECT_EQ(FetchUrl(internet, messages, url), "");
  EXPECT_EQ(journal.entries, std::vector<std::string>{"M:Internet not avaiable !!!"});
  EXPECT_EQ(internet.openHandles, 0);
}

TEST_F(WebRequestTest, ProbeOpensTheWebHostRootWithoutReadingBetweenBusyAndIdle) {
  internet.Answer("http://www.tessaro.example//", "<html>500 Internal Server Error</html>");
  EXPECT_TRUE(CheckConnection(internet, messages, icons, service));
  EXPECT_EQ(internet.RequestedUrls(), std::vector<std::string>{"http://www.tessaro.example//"});
  EXPECT_TRUE(internet.readCapacities.empty());
  EXPECT_EQ(journal.entries, (std::vector<std::string>{"I:102", "I:101"}));
  EXPECT_EQ(internet.openHandles, 0);
}

TEST_F(WebRequestTest, ProbeFailures) {
  EXPECT_FALSE(CheckConnection(internet, messages, icons, service));  // host does not answer
  EXPECT_EQ(journal.entries, (std::vector<std::string>{"I:102", "I:101"}));
  journal.entries.clear();
  internet.failOpen = true;
  EXPECT_FALSE(CheckConnection(internet, messages, icons, service));
  EXPECT_EQ(journal.entries, std::vector<std::string>{"M:InternetOpen Failed"});  // icon untouched
}

TEST_F(WebRequestTest, UploadReportIsAcceptedOnlyForTheExactMarker) {
  internet.Answer(url, "<p>Username Valid!</p>");
  EXPECT_EQ(ReportUpload(internet, messages, icons, url), 1);
  EXPECT_EQ(journal.entries, (std::vector<std::string>{"I:102", "I:101"}));
  internet.Answer(url, "username valid!");
  EXPECT_EQ(ReportUpload(internet, messages, icons, url), 0);
  internet.Answer(url, "");
  EXPECT_EQ(ReportUpload(internet, messages, icons, url), 0);
  EXPECT_EQ(ReportUpload(internet, messages, icons, ""), 0);
  EXPECT_EQ(internet.agents.size(), 3u);  // the empty URL opens nothing
  EXPECT_EQ(internet.openHandles, 0);
}

TEST_F(WebRequestTest, UploadReportFailuresShowTheirBoxesBetweenBusyAndIdle) {
  EXPECT_EQ(ReportUpload(internet, messages, icons, url), 0);
  EXPECT_EQ(journal.entries, (std::vector<std::string>{"I:102", "M:No Network Access.", "I:101"}));
  journal.entries.clear();
  internet.failOpen = true;
  EXPECT_EQ(ReportUpload(internet, messages, icons, url), 0);
  EXPECT_EQ(journal.entries, (std::vector<std::string>{"I:102", "M:InternetOpen Failed", "I:101"}));
}

TEST_F(WebRequestTest, ExtensionListForBothDialogs) {
  const std::string listUrl = "http://www.tessaro.example/dravos/extverify.php?ext=";
  internet.Answer(listUrl, "dss, wav, rtf");
  WebAnswer answer = FetchExtensionList(internet, service, &messages);
  EXPECT_EQ(answer.outcome, WebOutcome::Answered);
  EXPECT_EQ(answer.text, "dss, wav, rtf");

  internet.failingUrls.insert(listUrl);
  answer = FetchExtensionList(internet, service, &messages);
  EXPECT_EQ(answer.outcome, WebOutcome::UrlNotOpened);
  EXPECT_TRUE(journal.entries.empty());

  internet.failOpen = true;
  EXPECT_EQ(FetchExtensionList(internet, service, nullptr).outcome, WebOutcome::InternetUnavailable);
  EXPECT_TRUE(journal.entries.empty());  // the warning dialog words this itself
  EXPECT_EQ(FetchExtensionList(internet, service, &messages).outcome, WebOutcome::InternetUnavailable);
  EXPECT_EQ(journal.entries, std::vector<std::string>{"M:Internet not avaiable !!!"});
}

TEST_F(WebRequestTest, EveryKindOfRequestGivesUpASilentHost) {
  internet.Answer(url, "Username Valid!");
  internet.Answer("http://www.tessaro.example//", "");
  FetchUrl(internet, messages, url);
  CheckConnection(internet, messages, icons, service);
  ReportUpload(internet, messages, icons, url);
  FetchExtensionList(internet, service, &messages);
  ASSERT_EQ(internet.requests.size(), 4u);
  for (const UrlRequest& request : internet.requests) EXPECT_EQ(request.timeout, 40000u) << request.url;
}

struct AuthorCase {
  const char* what;
  std::string body;
  unsigned status;
  std::string finalUrl;  // empty: the URL asked for
  std::size_t failReadAt;
  AuthorVerdict verdict;
};

TEST_F(WebRequestTest, OnlyTheCheckScriptsOwnAnswerCanRefuseAnAuthor) {
  const std::size_t whole = std::string::npos;
  const AuthorCase cases[] = {
      {"accepted", "<b>Username Valid!</b>", 200, "", whole, AuthorVerdict::Accepted},
      {"refused", "Invalid User", 200, "", whole, AuthorVerdict::Refused},
      {"empty answer of the script", "", 200, "", whole, AuthorVerdict::Refused},
      {"other success status", "Invalid User", 203, "", whole, AuthorVerdict::Refused},
      {"redirect within the host", "Invalid User", 200, "http://TESSARO.example:8080/dravos/login.php", whole,
       AuthorVerdict::Refused},
      {"hotel login page", "<form>Room number</form>", 200, "http://portal.hotel.example/login?to=x", whole,
       AuthorVerdict::NoAnswer},
      {"host whose name only begins alike", "Invalid User", 200, "http://tessaro.example.evil/x", whole,
       AuthorVerdict::NoAnswer},
      {"error page", "<h1>Internal Server Error</h1>", 500, "", whole, AuthorVerdict::NoAnswer},
      {"not found", "Not Found", 404, "", whole, AuthorVerdict::NoAnswer},
      {"redirect not followed", "", 302, "", whole, AuthorVerdict::NoAnswer},
      {"status unknown", "Invalid User", 0, "", whole, AuthorVerdict::NoAnswer},
      {"answer broke off", "Invalid User", 200, "", 4, AuthorVerdict::NoAnswer},
      {"silent after the headers", "Invalid User", 200, "", 0, AuthorVerdict::NoAnswer},
      {"marker read before the break", "Username Valid! and more", 200, "", 16, AuthorVerdict::Accepted},
  };
  for (const AuthorCase& c : cases) {
    SCOPED_TRACE(c.what);
    UrlAnswer answer;
    answer.body = c.body;
    answer.status = c.status;
    answer.finalUrl = c.finalUrl;
    answer.failReadAt = c.failReadAt;
    internet.answers[url] = answer;
    EXPECT_EQ(CheckAuthor(internet, messages, url), c.verdict);
  }
  EXPECT_TRUE(journal.entries.empty());
  EXPECT_EQ(internet.openHandles, 0);
}

TEST_F(WebRequestTest, AuthorCheckWithoutAnyAnswerIsNoAnswer) {
  EXPECT_EQ(CheckAuthor(internet, messages, url), AuthorVerdict::NoAnswer);  // URL cannot be opened
  EXPECT_TRUE(journal.entries.empty());
  internet.failOpen = true;
  EXPECT_EQ(CheckAuthor(internet, messages, url), AuthorVerdict::NoAnswer);
  EXPECT_EQ(journal.entries, std::vector<std::string>{"M:Internet not avaiable !!!"});
}

TEST(IsOwnAnswer, NeedsTheFinalUrlToNameTheHostAsked) {
  WebAnswer answer;
  answer.outcome = WebOutcome::Answered;
  answer.whole = true;
  answer.response = {200, ""};  // the platform could not say where the answer came from
  EXPECT_FALSE(IsOwnAnswer("http://tessaro.example/x", answer));
  answer.response.finalUrl = "http://tessaro.example/x";
  EXPECT_TRUE(IsOwnAnswer("http://tessaro.example/x", answer));
  EXPECT_FALSE(IsOwnAnswer("not a url", answer));
  answer.outcome = WebOutcome::UrlNotOpened;
  EXPECT_FALSE(IsOwnAnswer("http://tessaro.example/x", answer));
}

TEST(AnswerSaysValid, CaseSensitiveSubstring) {
  EXPECT_TRUE(AnswerSaysValid("Username Valid!"));
  EXPECT_TRUE(AnswerSaysValid("<html>ok Username Valid! more</html>"));
  EXPECT_FALSE(AnswerSaysValid("USERNAME VALID!"));
  EXPECT_FALSE(AnswerSaysValid("Username Valid"));
  EXPECT_FALSE(AnswerSaysValid(""));
}

}  // namespace
}  // namespace tarnwick
