"""Starts, drives and stops the stand-in service from tests and the demo.

    with StandIn(tmp_dir, authors={"author7": "secret"}) as service:
        service.set(web_host_down=1)
        status, text = service.get("/dravos/authorverify.php?username=author7&wp=secret",
                                   host=service.domain)
        service.state()["requests"]
"""

import base64
import http.client
import json
import os
import queue
import ssl
import subprocess
import threading
from urllib.parse import urlencode

PYTHON = "/usr/bin/python3"
SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "standin.py")
DEFAULT_DOMAIN = "tessaro.example"
DEFAULT_WEB_HOST = "www.tessaro.example"


class StandInError(RuntimeError):
    """The service did not start, or a control call was refused."""


class StandIn:
    def __init__(self, root, authors=None, *, domain=DEFAULT_DOMAIN,
                 web_host=DEFAULT_WEB_HOST, source_dir="/pending", lifetime=600.0,
                 http_port=0, ftp_port=0, https_port=0):
        self.root = os.path.abspath(root)
        self.domain = domain
        self.web_host = web_host
        self.source_dir = source_dir
        self.http_port = None
        self.ftp_port = None
        self.https_port = None
        # The service's own authority, and an unrelated one (tls_certificate=other).
        self.ca_file = os.path.join(self.root, "tls", "ca.pem")
        self.other_ca_file = os.path.join(self.root, "tls", "other-ca.pem")
        self._args = [PYTHON, SCRIPT, "--root", self.root, "--domain", domain,
                      "--web-host", web_host, "--source-dir", source_dir,
                      "--lifetime", str(lifetime),
                      "--http-port", str(http_port), "--ftp-port", str(ftp_port),
                      "--https-port", str(https_port)]
        for name, password in (authors or {}).items():
            self._args += ["--author", name, "--password", password]
        self._process = None

    # --- life cycle

    @property
    def pid(self):
        return self._process.pid if self._process else None

    @property
    def log_path(self):
        """The service's diagnostics (stderr) go here."""
        return os.path.join(self.root, "standin.log")

    def start(self, timeout=15.0):
        """Starts the service and waits for its READY line; returns self."""
        os.makedirs(self.root, exist_ok=True)
        with open(self.log_path, "ab") as log:
            self._process = subprocess.Popen(self._args, stdin=subprocess.DEVNULL,
                                             stdout=subprocess.PIPE, stderr=log)
        lines = queue.Queue()
        # A reader thread keeps the wait bounded on every platform and keeps the
        # pipe drained for the service's whole life.
        threading.Thread(target=_pump, args=(self._process.stdout, lines), daemon=True).start()
        try:
            line = lines.get(timeout=timeout)
        except queue.Empty:
            line = None
        fields = dict(part.split("=", 1) for part in (line or "").split()[1:] if "=" in part)
        if not line or not line.startswith("READY ") or not {"http", "ftp", "https"} <= fields.keys():
            self.stop()
            raise StandInError("stand-in did not become ready (got %r); see %s"
                               % (line, self.log_path))
        self.http_port = int(fields["http"])
        self.ftp_port = int(fields["ftp"])
        self.https_port = int(fields["https"])
        return self

    def stop(self, timeout=10.0):
        """Stops the service by its own PID; returns its exit code."""
        if self._process is None:
            return None
        process, self._process = self._process, None
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait(timeout)
        return process.returncode

    def wait(self, timeout):
        """Waits for the service to end by itself; returns its exit code."""
        return self._process.wait(timeout)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc_info):
        self.stop()

    # --- plain web requests

    def get(self, target, host=None, timeout=10.0, tls=None):
        """GETs a raw path-and-query with the given Host header; returns (status, text).

        With an ssl.SSLContext as tls, over HTTPS to "localhost" instead.
        """
        if tls is None:
            connection = http.client.HTTPConnection("127.0.0.1", self.http_port, timeout=timeout)
        else:
            connection = http.client.HTTPSConnection("localhost", self.https_port,
                                                     timeout=timeout, context=tls)
        try:
            connection.request("GET", target, headers={"Host": host or self.domain})
            response = connection.getresponse()
            return response.status, response.read().decode("utf-8", errors="replace")
        finally:
            connection.close()

    # --- control API

    def control(self, action, **params):
        """Calls /__control/<action> with the parameters; returns the JSON answer."""
        # A form body, not a query: file contents would overflow a request line.
        body = urlencode(params).encode("ascii")
        connection = http.client.HTTPConnection("127.0.0.1", self.http_port, timeout=10.0)
        try:
            connection.request("POST", "/__control/" + action, body=body, headers={
                "Content-Type": "application/x-www-form-urlencoded"})
            response = connection.getresponse()
            answer = json.loads(response.read().decode("utf-8"))
        finally:
            connection.close()
        if response.status != 200:
            raise StandInError("control %s refused: %s" % (action, answer.get("error")))
        return answer

    def set(self, **switches):
        return self.control("set", **{key: _form(value) for key, value in switches.items()})

    def override_script(self, script, text):
        """Replaces a script's answer; an empty text restores the real answer."""
        return self.control("set", script_override=script, text=text)

    def state(self):
        return self.control("state")

    def reset(self):
        return self.control("reset")

    def ftp_timeline(self):
        """Every FTP command and reply so far with its server time, oldest first."""
        return self.control("ftp_timeline")["events"]

    def ftp_transfers(self):
        """Every data connection that carried a transfer or listing: {time, session,
        command, tls}, oldest first."""
        return self.control("ftp_timeline")["transfers"]

    def encryption_summary(self, since=0.0):
        """How much of what the service saw since a time.time() value was encrypted:
        {ftp_sessions, ftp_sessions_encrypted, data_transfers, data_transfers_protected,
        web_requests, web_requests_https}."""
        return self.control("encryption_summary", since=repr(float(since)))

    def client_tls_context(self, other=False):
        """A client's TLS context that trusts the service's authority only (or the
        other one's) and checks host names."""
        return ssl.create_default_context(cafile=self.other_ca_file if other else self.ca_file)

    def add_author(self, name, password):
        return self.control("add_author", name=name, password=password)

    def add_download(self, author, name, content=b"", fileid=None, missing=False):
        """Adds a pending download for the author; returns its file id."""
        params = {"author": author, "name": name,
                  "content_b64": base64.b64encode(content).decode("ascii")}
        if fileid is not None:
            params["fileid"] = str(fileid)
        if missing:
            params["missing"] = "1"
        return self.control("add_download", **params)["fileid"]


def _form(value):
    if isinstance(value, bool):
        return "1" if value else "0"
    return str(value)


def _pump(stream, lines):
    for raw in stream:
        lines.put(raw.decode("utf-8", errors="replace").strip())
    lines.put(None)


def start_standin(root, **options):
    """Starts a stand-in service; the caller stops it with .stop()."""
    return StandIn(root, **options).start()
