"""The deployment the end-to-end tests give the program, and readings of the service's records."""

from registry_profile import Profile
from waiting import wait_until

# Two names for the one loopback address, so that the service's request log tells
# the domain's scripts from the web host's probe; Wine resolves "localhost" itself.
DOMAIN = "127.0.0.1"
WEB_HOST = "localhost"
FTP_HOST = "127.0.0.1"
SUPPORT_EMAIL = "desk@tarnwick.test"
# The name the service's certificates carry. Windows' TLS here checks a certificate
# against host names only, so with encryption required every host is given by name.
TLS_HOST = "localhost"

AUTHOR = "author7"
PASSWORD = "s3cret"

# The status texts with which a cycle ends while automatic download is off.
NO_INTERNET = "No Internet Access"
INVALID_AUTHOR = "Invalid Author Name or Password."
AUTO_DOWNLOAD_OFF = "Auto Download is off"
CYCLE_ENDINGS = (NO_INTERNET, INVALID_AUTHOR, AUTO_DOWNLOAD_OFF)

# Long enough that no scheduled cycle comes during a test after the first one, which
# the program starts by itself 1.5 s after start-up; tests start later ones by a tick.
POLL_MINUTES = 60


def service_values(service):
    """The profile's "Service" section that points the program at the stand-in."""
    return {"Domain": DOMAIN, "Web Host": WEB_HOST, "HTTP Port": service.http_port,
            "FTP Host": FTP_HOST, "FTP Port": service.ftp_port, "Support Email": SUPPORT_EMAIL}


def windows_path(path):
    """A Linux path as the program under Wine names it, on drive Z:."""
    return "Z:" + path.replace("/", "\\")


def named_service_values(service, encryption, ftp_port=None, web_port=None):
    """The "Service" section for a service started under TLS_HOST (see the
    named_service fixture) with the encryption mode given, trusting the service's own
    authority; the web port is the HTTPS one where encryption is required. The ports
    may name a wire tap in front of the service instead."""
    if web_port is None:
        web_port = service.https_port if encryption == 2 else service.http_port
    return {"Domain": TLS_HOST, "Web Host": TLS_HOST, "HTTP Port": web_port, "FTP Host": TLS_HOST,
            "FTP Port": ftp_port or service.ftp_port, "Support Email": SUPPORT_EMAIL,
            "Encryption": encryption, "CA File": windows_path(service.ca_file)}


def service_profile(standin, **fields):
    """A profile of the test author against the stand-in; keyword fields override,
    its "Service" section too (service=...)."""
    values = dict(author=AUTHOR, password=PASSWORD, poll_time=POLL_MINUTES, auto_download=0,
                  service=service_values(standin))
    values.update(fields)
    return Profile(**values)


def host_of(request):
    """The host name a logged request was sent to, without port."""
    host = request["host"].lower()
    return host.rsplit(":", 1)[0] if ":" in host else host


def requests_for(state, path):
    """The logged requests for a path, oldest first (the probe's path is "//")."""
    return [request for request in state["requests"] if request["path"] == path]


def wait_for_requests(service, path, count=1, timeout=30):
    """The service's state once it has logged at least count requests for path."""

    def state_if_enough():
        state = service.state()
        return state if len(requests_for(state, path)) >= count else None

    return wait_until(state_if_enough, timeout, "%d request(s) for %s" % (count, path))


def wait_for_status_count(program, text, count=1, timeout=60):
    """Waits until the status bar has been given text count times in all."""
    return wait_until(lambda: program.status_history().count(text) >= count, timeout,
                      "status text %r %d time(s)" % (text, count))


def wait_for_cycles(program, count=1, timeout=60):
    """Waits until count cycles have ended while automatic download is off; returns
    the status texts that ended them."""

    def endings():
        found = [text for text in program.status_history() if text in CYCLE_ENDINGS]
        return found if len(found) >= count else None

    return wait_until(endings, timeout, "the end of %d cycle(s)" % count)
