// The service's web scripts: one GET per request on a fresh Internet handle, the
// answer read whole as narrow text. Every request of the program goes through
// RunWebRequest; the kinds differ only in the parameters below.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "config/configuration.h"
#include "platform/internet.h"
#include "platform/user_interface.h"

namespace tarnwick {

extern const char kInternetAgent[];  // "InetURL/1.0"
// A web host that accepts and never answers is given up after this long, as the FTP
// side's transfer session gives up a silent server.
constexpr std::uint32_t kWebRequestTimeoutMilliseconds = 40000;
// Reads take at most this many bytes, leaving room for the terminator of a 1024-byte buffer.
constexpr std::size_t kAnswerChunk = 1023;

// Shows tray icon resource 101 (idle) or 102 (busy).
using IconSwitch = std::function<void(unsigned)>;

enum class RequestIcon {
  Untouched,
  BusyOnceOpened,  // busy only after the Internet handle opened (the probe)
  BusyFromStart,   // busy as soon as the handle was asked for, opened or not (the upload report)
};

struct WebRequestKind {
  RequestIcon icon = RequestIcon::Untouched;
  const char* internetFailureMessage = nullptr;  // message box when InternetOpenA fails; none when null
  const char* urlFailureMessage = nullptr;       // message box when InternetOpenUrlA fails; none when null
  bool readAnswer = true;
};

enum class WebOutcome { InternetUnavailable, UrlNotOpened, Answered };

struct WebAnswer {
  WebOutcome outcome = WebOutcome::InternetUnavailable;
  std::string text;     // empty unless answered and read
  bool whole = false;   // read to its end; false when a read failed (a host that went silent)
  UrlResponse response;  // the status and final URL of an answered request
};

// `messages` and `showIcon` may be absent when the kind never uses them.
WebAnswer RunWebRequest(IInternet& internet, const std::string& url, const WebRequestKind& kind,
                        IMessageBox* messages, const IconSwitch& showIcon);

// Reads chunks of at most 1023 bytes until a read fails or yields nothing; each
// chunk counts as text up to its first zero byte. `whole` is false when a read failed.
std::string ReadAnswer(IUrlReader& reader, bool& whole);

// The generic request: the whole answer, empty on any failure.
std::string FetchUrl(IInternet& internet, IMessageBox& messages, const std::string& url);

// True when the web host answered at all, whatever its status.
bool CheckConnection(IInternet& internet, IMessageBox& messages, const IconSwitch& showIcon,
                     const ServiceSettings& service);

// The service's verdict on a login or report: "Username Valid!" anywhere, case-sensitive.
bool AnswerSaysValid(const std::string& answer);

// Whether the script asked for gave the answer itself: read whole, with a success
// status, from the host that `url` names. Redirects within that host still count; a
// redirect elsewhere (a hotel's or a proxy's login page) does not, nor does an error
// status or an answer that broke off.
bool IsOwnAnswer(const std::string& url, const WebAnswer& answer);

enum class AuthorVerdict {
  Accepted,  // the answer says "Username Valid!"
  Refused,   // the check script itself answered without it
  NoAnswer,  // nothing that can be taken for the service's word: try again later
};

// The author check of a cycle, asked as the generic request asks.
AuthorVerdict CheckAuthor(IInternet& internet, IMessageBox& messages, const std::string& url);

// 1 when the service accepted the upload report ("Username Valid!" in the answer), else 0.
int ReportUpload(IInternet& internet, IMessageBox& messages, const IconSwitch& showIcon, const std::string& url);

// The list of permitted extensions for the configuration dialogs. With `messages`
// the failure to open the Internet shows "Internet not avaiable !!!"; without it the
// caller words that failure itself (outcome InternetUnavailable). A URL that
// cannot be opened is silent.
WebAnswer FetchExtensionList(IInternet& internet, const ServiceSettings& service, IMessageBox* messages);

}  // namespace tarnwick
