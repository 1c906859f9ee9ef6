"""The two ways the bench reaches the stand-in, each for the program and for curl alike:
in clear (FTP and HTTP on 127.0.0.1), and with TLS on both sides (explicit FTPS with
protected data connections, and HTTPS), the program in Encryption mode 2 and curl with
--ssl-reqd, both verifying the stand-in's certificate against its own authority.

TLS checks the certificate against host names only, so under TLS every host is
"localhost", the name the stand-in's certificate carries."""

from scenario import service_profile
from standin_client import StandIn

TLS_HOST = "localhost"


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


class Transport:
    def __init__(self, tls):
        self.tls = tls
        self.name = "tls" if tls else "plain"
        self.host = TLS_HOST if tls else "127.0.0.1"

    def start_service(self, root, authors, domain, web_host):
        """A stand-in of its own; under TLS it names its domain and web host "localhost"
        and lets no FTP session go on in clear."""
        if self.tls:
            domain = web_host = TLS_HOST
        service = StandIn(root, authors=authors, domain=domain, web_host=web_host, lifetime=1800).start()
        if self.tls:
            service.set(ftp_tls="required")
        return service

    def ftp_url(self, service, account):
        return "ftp://%s@%s:%d" % (account, self.host, service.ftp_port)

    def web_url(self, service):
        if self.tls:
            return "https://%s:%d" % (TLS_HOST, service.https_port)
        return "http://%s:%d" % (service.domain, service.http_port)

    def curl_ftp_options(self, service):
        return ["--ssl-reqd", "--cacert", service.ca_file] if self.tls else []

    def ca_file(self, service):
        """The authority curl trusts, empty in clear."""
        return service.ca_file if self.tls else ""

    def bench_arguments(self, service):
        """transfer_bench.exe's trailing arguments."""
        return ["tls", windows_path(service.ca_file)] if self.tls else []

    def profile(self, service, **fields):
        """The test author's profile against this service (keyword fields as
        scenario.service_profile takes them). Its "Service" section: in clear
        Encryption 0, as curl does it; under TLS Encryption 2, every host by name and
        the web on the HTTPS port."""
        profile = service_profile(service, **fields)
        profile.service = dict(profile.service, Encryption=0)
        if self.tls:
            profile.service.update({"Domain": TLS_HOST, "Web Host": TLS_HOST, "FTP Host": TLS_HOST,
                                    "HTTP Port": service.https_port, "Encryption": 2,
                                    "CA File": windows_path(service.ca_file)})
        return profile

    def check_encrypted(self, service, since, what):
        """Under TLS, stops the bench when anything the service saw since `since` went
        in clear: a figure of a transfer in clear would pass for one under TLS."""
        if not self.tls:
            return
        summary = service.encryption_summary(since)
        pairs = (("ftp_sessions", "ftp_sessions_encrypted"), ("data_transfers", "data_transfers_protected"),
                 ("web_requests", "web_requests_https"))
        if not summary["ftp_sessions"] or any(summary[all_] != summary[secure] for all_, secure in pairs):
            raise RuntimeError("%s did not all go under TLS: %s" % (what, summary))


PLAIN = Transport(tls=False)
TLS = Transport(tls=True)
