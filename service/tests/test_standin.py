import ftplib
import hashlib
import http.client
import os
import socket
import ssl
import sys

import pytest

from standin_client import StandIn, StandInError

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from wire_tap import WireTap  # noqa: E402

MARKER = "Username Valid!"
UPLOAD_DIR = "/tessaro.example/dravouploads"


def verify(service, query):
    return service.get("/dravos/authorverify.php?" + query)[1]


def ftp_login(service, user, password):
    ftp = ftplib.FTP(timeout=10)
    ftp.connect("127.0.0.1", service.ftp_port)
    ftp.set_pasv(True)
    ftp.login(user, password)
    return ftp


def upload(service, name, data):
    ftp = ftp_login(service, "dravos", "brinotaxe4")
    try:
        ftp.cwd(UPLOAD_DIR)
        ftp.storbinary("STOR " + name, _Reader(data))
    finally:
        ftp.close()


def download(service, name, chunks=None):
    """Fetches a file; chunks, when given, keeps what arrived even if the transfer breaks."""
    chunks = [] if chunks is None else chunks
    ftp = ftp_login(service, "dravodn", "quendil")
    try:
        ftp.cwd("/pending")
        ftp.retrbinary("RETR " + name, chunks.append)
        return b"".join(chunks)
    finally:
        ftp.close()


class _Reader:
    def __init__(self, data):
        self._data, self._pos = data, 0

    def read(self, size):
        block = self._data[self._pos:self._pos + size]
        self._pos += len(block)
        return block


def listing(service, author="author7", password="secret"):
    return service.get("/dravos/tarnwickdload.php?author=%s&drupw=%s" % (author, password))[1]


def rule_a(text, key):
    """Reads a value the way the uploader does: after the first '=' following the key."""
    rest = text[text.index(key):]
    rest = rest[rest.index("=") + 1:].lstrip(" ")
    end = min([i for i in (rest.find(c) for c in " \r\n<") if i >= 0] + [len(rest)])
    return rest[:end]


def rule_b(text, key):
    rest = text[text.index(key):]
    return rest.split('"')[1]


class TestAuthorVerify:
    def test_only_exact_known_pairs_are_valid(self, service):
        assert MARKER in verify(service, "username=author7&wp=secret")
        for query in ("username=author7&wp=Secret", "username=author8&wp=secret",
                      "username=author7&wp=", "username=&wp=", ""):
            assert MARKER not in verify(service, query), query

    def test_percent_decoded_ampersand_and_space(self, service):
        service.add_author("amp user", "p&w d")
        assert MARKER in verify(service, "username=amp%20user&wp=p%26w%20d")
        assert MARKER not in verify(service, "username=amp%20user&wp=p%26w")


class TestUploadReport:
    def report(self, service, author, file, length="12"):
        return service.get("/dravos/copywav.php?username=%s&file=%s&length=%s"
                           % (author, file, length))[1]

    def test_accepted_only_for_known_author_with_uploaded_file(self, service):
        assert MARKER not in self.report(service, "author7", "author7_a.wav")
        upload(service, "author7_a.wav", b"RIFF" * 10)
        assert MARKER in self.report(service, "author7", "author7_a.wav", "12")
        assert MARKER not in self.report(service, "stranger", "author7_a.wav")
        assert MARKER not in self.report(service, "author7", "../dravouploads/author7_a.wav")
        reports = service.state()["reports"]
        assert [(r["author"], r["accepted"]) for r in reports] == [
            ("author7", False), ("author7", True), ("stranger", False), ("author7", False)]
        assert reports[1]["file"] == "author7_a.wav" and reports[1]["length"] == "12"

    def test_reject_reports_switch(self, service):
        upload(service, "author7_b.wav", b"data")
        service.set(reject_reports=1)
        assert MARKER not in self.report(service, "author7", "author7_b.wav")
        assert service.state()["reports"][-1]["accepted"] is False


class TestDownloadList:
    def test_layout(self, service):
        service.add_download("author7", "a b.wav", b"x", fileid=17)
        service.add_download("author7", "c.wav", b"y")
        assert listing(service) == ('countoffiles=2<br>\nSourceDir=/pending<br>\n'
                                    'file_1="a b.wav"<br>\nfileid_1=17<br>\n'
                                    'file_2="c.wav"<br>\nfileid_2=18<br>\n')

    def test_twelve_entries_read_back_in_order(self, service):
        ids = [service.add_download("author7", "f%d.wav" % n, b"") for n in range(1, 13)]
        text = listing(service)
        assert rule_a(text, "countoffiles") == "12"
        assert rule_a(text, "SourceDir") == "/pending"
        for n in range(1, 13):
            assert rule_b(text, "file_%d" % n) == "f%d.wav" % n
            assert rule_a(text, "fileid_%d" % n) == ids[n - 1]

    def test_only_own_files_for_valid_password(self, service):
        service.add_download("author7", "mine.wav", b"")
        service.add_download("other", "theirs.wav", b"")
        assert "countoffiles" not in listing(service, password="wrong")
        assert "theirs.wav" not in listing(service)
        service.add_author("empty", "pw")
        assert rule_a(listing(service, "empty", "pw"), "countoffiles") == "0"

    def test_confirmation_removes_entry(self, service):
        ids = [service.add_download("author7", name, b"") for name in ("a.wav", "b.wav", "c.wav")]
        confirm = "/dravos/drdlsuccess.php?username=author7&drupw=%s&fileid=" + ids[1]
        service.get(confirm % "wrong")
        assert "b.wav" in listing(service)
        service.get(confirm % "secret")
        text = listing(service)
        assert "b.wav" not in text
        assert (rule_b(text, "file_1"), rule_b(text, "file_2")) == ("a.wav", "c.wav")
        assert [c["matched"] for c in service.state()["confirmations"]] == [False, True]


class TestWebHost:
    def raw_request(self, service, host, path="//"):
        """The answer's bytes, or None when the connection was reset without one."""
        with socket.create_connection(("127.0.0.1", service.http_port), timeout=5) as sock:
            sock.sendall(b"GET " + path.encode() + b" HTTP/1.1\r\nHost: " + host.encode() + b"\r\n\r\n")
            received = b""
            while True:
                try:
                    chunk = sock.recv(4096)
                except ConnectionResetError:
                    return None if not received else received
                if not chunk:
                    return received
                received += chunk

    def test_web_host_down_drops_only_web_host(self, service):
        service.set(web_host_down=1)
        assert self.raw_request(service, "www.tessaro.example") is None
        assert self.raw_request(service, "WWW.tessaro.example:80") is None
        assert self.raw_request(service, "tessaro.example").startswith(b"HTTP/1.0 200")
        service.set(web_host_down=0)
        assert self.raw_request(service, "www.tessaro.example").startswith(b"HTTP/1.0 200")
        assert [r["dropped"] for r in service.state()["requests"]] == [True, True, False, False]

    def test_request_log_keeps_host_raw_query_and_order(self, service):
        service.get("//", host="www.tessaro.example")
        service.get("/dravos/authorverify.php?username=a%20b&wp=x%26y&wp=z")
        requests = service.state()["requests"]
        assert [(r["host"], r["path"]) for r in requests] == [
            ("www.tessaro.example", "//"), ("tessaro.example", "/dravos/authorverify.php")]
        assert requests[1]["query"] == "username=a%20b&wp=x%26y&wp=z"
        assert requests[1]["params"] == {"username": "a b", "wp": "z"}

    def test_extension_list_override_and_bad_switch(self, service):
        assert service.get("/dravos/extverify.php?ext=", host="www.tessaro.example") == (
            200, "dss, wav, rtf")
        service.set(ext_list="wav only")
        assert service.get("/dravos/extverify.php?ext=")[1] == "wav only"
        service.override_script("authorverify", "Username Valid! forced")
        assert MARKER in verify(service, "username=nobody&wp=")
        service.override_script("authorverify.php", "")
        assert MARKER not in verify(service, "username=nobody&wp=")
        with pytest.raises(StandInError):
            service.set(web_host_dwn=1)
        assert service.get("/dravos/nothing.php")[0] == 404

    def test_script_redirect_sends_the_script_to_a_sign_in_page_on_the_web_host(self, service):
        service.set(script_redirect="authorverify")
        connection = http.client.HTTPConnection("127.0.0.1", service.http_port, timeout=10)
        try:
            connection.request("GET", "/dravos/authorverify.php?username=author7&wp=secret",
                               headers={"Host": "tessaro.example"})
            response = connection.getresponse()
            response.read()
        finally:
            connection.close()
        assert response.status == 302
        location = response.getheader("Location")
        assert location == "http://www.tessaro.example:%d/hotspot/login" % service.http_port
        status, page = service.get("/hotspot/login", host="www.tessaro.example")
        assert status == 200 and MARKER not in page
        assert [r["path"] for r in service.state()["requests"]][-2:] == [
            "/dravos/authorverify.php", "/hotspot/login"]
        service.set(script_redirect="")
        assert verify(service, "username=author7&wp=secret") == MARKER
        with pytest.raises(StandInError):
            service.set(script_redirect="nothing")

    def test_delay_holds_script_answers(self, service):
        service.set(delay_ms=3000)
        with pytest.raises(socket.timeout):
            service.get("/dravos/extverify.php?ext=", timeout=0.5)

    def test_hang_holds_the_chosen_request_and_drop_script_closes_one(self, service):
        service.set(hang="authorverify", drop_script="copywav")
        with pytest.raises(socket.timeout):
            service.get("/dravos/authorverify.php?username=author7&wp=secret", timeout=1)
        assert service.get("//", host="www.tessaro.example")[0] == 200
        assert self.raw_request(service, "tessaro.example", "/dravos/copywav.php?file=x") is None
        assert service.state()["switches"]["hung"] == ["authorverify"]
        with pytest.raises(StandInError):
            service.set(hang="nowhere")


class TestFtp:
    def test_upload_account_records_puts(self, service):
        data = bytes(range(256)) * 40
        upload(service, "author7_a b.wav", data)
        (record,) = service.state()["uploads"]
        assert record["path"] == UPLOAD_DIR + "/author7_a b.wav"
        assert (record["size"], record["sha256"], record["complete"]) == (
            len(data), hashlib.sha256(data).hexdigest(), True)

    def test_download_account_serves_source_dir_read_only(self, service):
        service.add_download("author7", "a b.wav", b"payload")
        service.add_download("author7", "gone.wav", missing=True)
        assert download(service, "a b.wav") == b"payload"
        ftp = ftp_login(service, "dravodn", "quendil")
        try:
            ftp.cwd("/pending")
            assert ftp.nlst() == ["a b.wav"]
            with pytest.raises(ftplib.error_perm):
                ftp.storbinary("STOR x.wav", _Reader(b"x"))
        finally:
            ftp.close()

    @pytest.mark.parametrize("fault, reply", [("missing", "550 No such file"), ("denied", "550 Permission denied")])
    def test_upload_directory_can_be_missing_or_denied(self, service, fault, reply):
        service.set(ftp_upload_dir=fault)
        ftp = ftp_login(service, "dravos", "brinotaxe4")
        try:
            with pytest.raises(ftplib.error_perm, match=reply):
                ftp.cwd(UPLOAD_DIR + "/")
            ftp.cwd("/")  # other directories are entered as usual
        finally:
            ftp.close()
        service.set(ftp_upload_dir="")
        upload(service, "author7_a.wav", b"data")
        assert [u["path"] for u in service.state()["uploads"]] == [UPLOAD_DIR + "/author7_a.wav"]
        with pytest.raises(StandInError):
            service.set(ftp_upload_dir="flooded")

    def test_wrong_and_refused_logins(self, service):
        with pytest.raises(ftplib.error_perm, match="530"):
            ftp_login(service, "dravos", "quendil")
        service.set(ftp_refuse_logins=1)
        with pytest.raises(ftplib.error_perm, match="530"):
            ftp_login(service, "dravodn", "quendil")
        service.set(ftp_refuse_logins=0)
        ftp_login(service, "dravodn", "quendil").close()

    @pytest.mark.parametrize("point", ["login", "put", "get"])
    def test_hang_leaves_login_put_or_get_unanswered(self, service, point):
        service.add_download("author7", "a.wav", b"payload")
        service.set(hang=point)
        ftp = ftplib.FTP(timeout=1)
        with pytest.raises(socket.timeout):
            ftp.connect("127.0.0.1", service.ftp_port)
            ftp.login(*(("dravodn", "quendil") if point == "get" else ("dravos", "brinotaxe4")))
            ftp.set_pasv(True)
            if point == "get":
                ftp.cwd("/pending")
                ftp.retrbinary("RETR a.wav", lambda chunk: None)
            else:
                ftp.cwd(UPLOAD_DIR)
                ftp.storbinary("STOR x.wav", _Reader(b"x"))
        ftp.close()
        assert service.state()["switches"]["hung"] == [point]

    def test_cut_upload_leaves_no_file(self, service):
        service.set(ftp_cut_after=1000)
        with pytest.raises((OSError, EOFError, ftplib.Error)):
            upload(service, "author7_cut.wav", b"z" * 200000)
        (record,) = service.state()["uploads"]
        assert record["complete"] is False and record["size"] <= 1000
        assert MARKER not in service.get(
            "/dravos/copywav.php?username=author7&file=author7_cut.wav&length=1")[1]

    @pytest.mark.parametrize("switches, reply, stored, complete", [
        ({}, "226", 1000, True),
        ({"ftp_store_truncated": 1}, "226", 500, True),
        ({"ftp_put_refusal": "451 Local error in processing."}, "451", 1000, False),
    ])
    @pytest.mark.parametrize("client", ["plain", "tls"])
    def test_put_faults_after_the_data(self, service, switches, reply, stored, complete, client):
        # Under TLS the data channel closes in more than one step; the final reply
        # must still follow the record of the put.
        service.set(ftp_tls="optional", **switches)
        ftp = tls_ftp(service, service.ftp_port, client)
        try:
            ftp.cwd(UPLOAD_DIR)
            try:
                answer = ftp.storbinary("STOR author7_f.wav", _Reader(b"f" * 1000))
            except ftplib.Error as error:
                answer = str(error)
            assert answer.startswith(reply)
            ftp.voidcmd("TYPE I")
            assert ftp.sendcmd("SIZE author7_f.wav") == "213 %d" % stored
        finally:
            ftp.close()
        (record,) = service.state()["uploads"]
        assert (record["size"], record["complete"]) == (stored, complete)

    def test_size_can_be_unknown_to_the_server(self, service):
        upload(service, "author7_s.wav", b"s")
        service.set(ftp_no_size=1)
        ftp = ftp_login(service, "dravos", "brinotaxe4")
        try:
            ftp.cwd(UPLOAD_DIR)
            ftp.voidcmd("TYPE I")
            with pytest.raises(ftplib.error_perm, match="502"):
                ftp.sendcmd("SIZE author7_s.wav")
        finally:
            ftp.close()

    def test_cut_download_only_beyond_limit(self, service):
        service.set(ftp_cut_after=1000)
        service.add_download("author7", "small.wav", b"s" * 1000)
        service.add_download("author7", "big.wav", b"b" * 200000)
        assert download(service, "small.wav") == b"s" * 1000
        received = []
        with pytest.raises((OSError, EOFError, ftplib.Error)):
            download(service, "big.wav", received)
        assert 0 < len(b"".join(received)) <= 1000

    def test_timeline_orders_each_sessions_commands_and_replies_without_passwords(self, service):
        service.add_download("author7", "a.wav", b"payload")
        upload(service, "author7_b.wav", b"b")
        download(service, "a.wav")
        events = service.ftp_timeline()
        assert [e["time"] for e in events] == sorted(e["time"] for e in events)
        sessions = [[(e["kind"], e["text"].split(" ")[0]) for e in events if e["session"] == number]
                    for number in sorted({e["session"] for e in events})]
        assert len(sessions) == 2
        for session, transfer in zip(sessions, ("STOR", "RETR")):
            assert session[:5] == [("reply", "220"), ("command", "USER"), ("reply", "331"),
                                   ("command", "PASS"), ("reply", "230")]
            at = session.index(("command", transfer))
            # 125 or 150, as the data connection was already open or not.
            assert [(kind, code[0]) for kind, code in session[at + 1:at + 3]] == [("reply", "1"), ("reply", "2")]
            assert session[at + 2] == ("reply", "226")
        assert not any("brinotaxe4" in e["text"] or "quendil" in e["text"] for e in events)
        service.reset()
        assert service.ftp_timeline() == []


class TestLifecycle:
    def test_reset_keeps_authors_only(self, service):
        service.add_download("author7", "a.wav", b"a")
        upload(service, "author7_a.wav", b"a")
        service.set(reject_reports=1)
        service.reset()
        state = service.state()
        assert not any(state[k] for k in ("requests", "reports", "uploads", "downloads"))
        assert state["switches"]["reject_reports"] is False
        assert MARKER in verify(service, "username=author7&wp=secret")
        assert MARKER not in service.get(
            "/dravos/copywav.php?username=author7&file=author7_a.wav&length=1")[1]

    def test_stops_on_sigterm_and_after_lifetime(self, tmp_path):
        service = StandIn(tmp_path / "a").start()
        port = service.http_port
        assert service.stop() == 0
        with pytest.raises(OSError):
            socket.create_connection(("127.0.0.1", port), timeout=2).close()
        short = StandIn(tmp_path / "b", lifetime=1).start()
        try:
            assert short.wait(20) == 0
        finally:
            short.stop()


class EarlyHandshakeFTP(ftplib.FTP_TLS):
    """Begins a data connection's TLS as soon as it is connected, before the command it
    serves, as libcurl does in passive mode."""

    def ntransfercmd(self, cmd, rest=None):
        host, port = self.makepasv()
        conn = self.context.wrap_socket(socket.create_connection((host, port), self.timeout),
                                        server_hostname=self.host)
        try:
            response = self.sendcmd(cmd)
            if response[0] == "2":
                response = self.getresp()
            if response[0] != "1":
                raise ftplib.error_reply(response)
        except Exception:
            conn.close()
            raise
        return conn, None


def tls_ftp(service, port, client, user="dravos", password="brinotaxe4"):
    """A logged-in session: "plain", "tls" (control and data protected), "tls-early"
    (the same, each data connection's handshake before its command) or
    "tls-clear-data" (control protected, data in clear)."""
    if client == "plain":
        ftp = ftplib.FTP(timeout=10)
        ftp.connect("127.0.0.1", port)
        ftp.login(user, password)
        return ftp
    client_class = EarlyHandshakeFTP if client == "tls-early" else ftplib.FTP_TLS
    ftp = client_class(context=service.client_tls_context(), timeout=10)
    ftp.connect("localhost", port)
    try:
        ftp.auth()
        ftp.login(user, password)
        if client in ("tls", "tls-early"):
            ftp.prot_p()
    except Exception:
        ftp.close()
        raise
    return ftp


def handshake(service, protocol, trusted_ca, hostname="localhost"):
    """Opens TLS to the FTP host (after AUTH TLS) or the web listener, checking the
    certificate against the trusted authority's file; raises when it does not verify."""
    context = ssl.create_default_context(cafile=trusted_ca)
    port = service.ftp_port if protocol == "ftp" else service.https_port
    with socket.create_connection(("127.0.0.1", port), timeout=10) as sock:
        if protocol == "ftp":
            reader = sock.makefile("rb")
            assert reader.readline().startswith(b"220")
            sock.sendall(b"AUTH TLS\r\n")
            assert reader.readline().startswith(b"234")
        context.wrap_socket(sock, server_hostname=hostname).close()


class TestEncryption:
    # mode, client, the reply that refuses it (None: the put goes through), whether the
    # password crossed in clear, and the summary's (encrypted sessions, protected transfers).
    @pytest.mark.parametrize("mode, client, refusal, password_in_clear, encrypted, protected", [
        ("off", "plain", None, True, 0, 0),
        ("off", "tls", "500", False, 0, 0),
        ("optional", "plain", None, True, 0, 0),
        ("optional", "tls", None, False, 1, 1),
        ("optional", "tls-clear-data", None, False, 1, 0),
        ("required", "plain", "530", False, 0, 0),
        ("required", "tls-clear-data", "522", False, 1, 0),
        ("required", "tls", None, False, 1, 1),
        ("required", "tls-early", None, False, 1, 1),
    ])
    def test_ftp_tls_modes(self, service, mode, client, refusal, password_in_clear, encrypted, protected):
        service.set(ftp_tls=mode)
        data = b"dictation " * 5000
        with WireTap(service.ftp_port) as tap:
            try:
                ftp = tls_ftp(service, tap.port, client)
                try:
                    ftp.cwd(UPLOAD_DIR)
                    ftp.storbinary("STOR author7_t.wav", _Reader(data))
                finally:
                    ftp.close()
                outcome = None
            except ftplib.error_perm as error:
                outcome = str(error)[:3]
            assert outcome == refusal
            assert tap.crossed("brinotaxe4") is password_in_clear
            # The data connection does not pass the tap; what it carried is in clear
            # on the wire only when the service's record says so.
            assert not tap.crossed(b"dictation ")
        state = service.state()
        assert [u["sha256"] for u in state["uploads"]] == (
            [hashlib.sha256(data).hexdigest()] if refusal is None else [])
        transfers = service.ftp_transfers()
        assert [t["tls"] for t in transfers] == ([protected == 1] if refusal is None else [])
        events = service.ftp_timeline()
        login = [e for e in events if e["kind"] == "command" and e["text"].startswith("USER")]
        assert [e["tls"] for e in login] == ([client != "plain"] if refusal != "500" else [])
        assert service.encryption_summary() == {
            "ftp_sessions": 1, "ftp_sessions_encrypted": encrypted,
            "data_transfers": len(transfers), "data_transfers_protected": protected,
            "web_requests": 0, "web_requests_https": 0}

    def test_switches_hold_for_connections_made_after_them(self, service):
        service.set(ftp_tls="optional")
        earlier = ftplib.FTP(timeout=10)
        earlier.connect("127.0.0.1", service.ftp_port)
        service.set(ftp_tls="required")
        try:
            earlier.login("dravos", "brinotaxe4")
        finally:
            earlier.close()
        with pytest.raises(ftplib.error_perm, match="530"):
            tls_ftp(service, service.ftp_port, "plain")
        tls_ftp(service, service.ftp_port, "tls").close()
        for bad in ({"ftp_tls": "maybe"}, {"tls_certificate": "mine"}):
            with pytest.raises(StandInError):
                service.set(**bad)
        service.reset()
        assert (service.state()["switches"]["ftp_tls"],
                service.state()["switches"]["tls_certificate"]) == ("off", "own")

    # The certificate presented, the authority a client trusts, the name it expects.
    @pytest.mark.parametrize("protocol", ["ftp", "https"])
    @pytest.mark.parametrize("presented, trusted, hostname, verifies", [
        ("own", "ca", "localhost", True),
        ("own", "ca", "127.0.0.1", True),
        ("own", "ca", "tessaro.example", False),
        ("other", "ca", "localhost", False),
        ("other", "other_ca", "localhost", True),
    ])
    def test_certificate_verification(self, service, protocol, presented, trusted, hostname, verifies):
        service.set(ftp_tls="optional", tls_certificate=presented)
        ca_file = service.ca_file if trusted == "ca" else service.other_ca_file
        if verifies:
            handshake(service, protocol, ca_file, hostname)
        else:
            with pytest.raises(ssl.SSLCertVerificationError):
                handshake(service, protocol, ca_file, hostname)

    @pytest.mark.parametrize("scheme", ["http", "https"])
    def test_web_scripts_over_either_scheme(self, service, scheme):
        port = service.https_port if scheme == "https" else service.http_port
        with WireTap(port) as tap:
            target = "/dravos/authorverify.php?username=author7&wp=secret"
            if scheme == "https":
                connection = http.client.HTTPSConnection("localhost", tap.port, timeout=10,
                                                         context=service.client_tls_context())
            else:
                connection = http.client.HTTPConnection("127.0.0.1", tap.port, timeout=10)
            try:
                connection.request("GET", target, headers={"Host": "tessaro.example"})
                response = connection.getresponse()
                assert (response.status, response.read().decode()) == (200, MARKER)
            finally:
                connection.close()
            assert tap.crossed("wp=secret") is (scheme == "http")
            assert tap.crossed(MARKER) is (scheme == "http")
        service.set(script_redirect="extverify")
        assert service.get("/dravos/extverify.php?ext=", tls=service.client_tls_context())[0] == 302
        requests = service.state()["requests"]
        assert [r["tls"] for r in requests] == [scheme == "https", True]
        assert service.encryption_summary(since=requests[1]["time"])["web_requests"] == 1
        summary = service.encryption_summary()
        assert (summary["web_requests"], summary["web_requests_https"]) == (2, 1 + (scheme == "https"))

    def test_authority_kept_across_restarts(self, tmp_path):
        first = StandIn(tmp_path).start()
        try:
            with open(first.ca_file, "rb") as ca:
                authority = ca.read()
        finally:
            first.stop()
        with StandIn(tmp_path) as again:
            with open(again.ca_file, "rb") as ca:
                assert ca.read() == authority
            handshake(again, "https", again.ca_file)
