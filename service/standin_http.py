"""The web host of the stand-in service: scripts, root page and control API.

One server answers for every host name; the Host header says which host the
uploader meant, which is what the request log and the web_host_down switch use.
A second server answers the same over TLS, with the certificate that the
tls_certificate switch names when a connection arrives.
"""

import json
import logging
import socket
import ssl
import sys
import struct
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qsl

from standin_control import ControlError, UnknownAction
from standin_switches import SCRIPTS

CONTROL_PREFIX = "/__control/"
SCRIPT_PREFIX = "/dravos/"
ROOT_PAGE = "<html><body>Tessaro service</body></html>\n"
# Where script_redirect sends a script's requests: a page on another host, as a
# hotel's or a proxy's login page takes over every request until one signs in.
SIGN_IN_PATH = "/hotspot/login"
SIGN_IN_PAGE = "<html><body><form>Sign in to use the Internet</form></body></html>\n"
ERROR_PAGE = ("<html><head><title>500 Internal Server Error</title></head><body>\n"
              "<h1>Internal Server Error</h1>\n<p>The script failed.</p>\n</body></html>\n")
# How long a silent web host holds a connection at most; the client gives up sooner.
SILENT_HOLD_SECONDS = 300


def _text(latin1):
    """Percent-decoded bytes as text: UTF-8 when they are, else the Windows ANSI page.

    The uploader sends narrow strings of its ANSI code page, tests may send UTF-8.
    """
    raw = latin1.encode("latin-1")
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        return raw.decode("cp1252", errors="replace")


def decode_query(query):
    """Query as a dict; a repeated key keeps its last value, as the real scripts do."""
    # The request line reaches us as latin-1 text, so latin-1 keeps every byte intact.
    pairs = parse_qsl(query, keep_blank_values=True, encoding="latin-1")
    return {_text(key): _text(value) for key, value in pairs}


def host_name(host_header):
    """The host part of a Host header, without port, in lower case."""
    host = host_header.strip().lower()
    if host.startswith("["):
        return host.split("]", 1)[0] + "]"
    name, colon, port = host.rpartition(":")
    return name if colon and port.isdigit() else host


class StandInHTTPServer(ThreadingHTTPServer):
    daemon_threads = True
    tls = False

    def __init__(self, port, web_host, store, switches, scripts, control):
        self.web_host = web_host.lower()
        self.store = store
        self.switches = switches
        self.scripts = scripts
        self.control = control
        super().__init__(("127.0.0.1", port), StandInHandler)


class StandInHTTPSServer(StandInHTTPServer):
    tls = True

    def __init__(self, port, web_host, store, switches, scripts, control, tls_contexts):
        self.tls_contexts = tls_contexts
        super().__init__(port, web_host, store, switches, scripts, control)

    def get_request(self):
        sock, address = super().get_request()
        context = self.tls_contexts[self.switches.get("tls_certificate")]
        # The handshake happens in the request's own thread, at its first read, so
        # that a slow or refusing client never holds up the accepting loop.
        return context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False), address

    def handle_error(self, request, client_address):
        error = sys.exc_info()[1]
        if isinstance(error, (ssl.SSLError, ConnectionError)):
            # A client that refuses the certificate ends the handshake: expected in tests.
            logging.info("TLS connection from %s ended: %s", client_address[0], error)
        else:
            super().handle_error(request, client_address)


class StandInHandler(BaseHTTPRequestHandler):
    server_version = "StandIn/1.0"

    def log_message(self, format, *args):
        """Silenced: every request is recorded in the database instead."""

    def do_GET(self):
        self._dispatch({})

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length).decode("latin-1")
        self._dispatch(decode_query(body))

    def _dispatch(self, body_params):
        # The library tidies a leading "//" in self.path; the raw target keeps
        # the connectivity probe's "//" visible in the log.
        target = self.requestline.split()[1]
        path, _, query = target.partition("?")
        params = decode_query(query)
        if path.startswith(CONTROL_PREFIX):
            self._control(path[len(CONTROL_PREFIX):], dict(params, **body_params))
            return

        host = self.headers.get("Host", "")
        server = self.server
        script = path[len(SCRIPT_PREFIX):] if path.startswith(SCRIPT_PREFIX) else None
        for_web_host = host_name(host) == server.web_host
        dropped = ((server.switches.get("web_host_down") and for_web_host)
                   or (script is not None and script == server.switches.get("drop_script")))
        server.store.log_request(self.command, host, path, query, params, dropped, server.tls)
        if server.switches.get("web_host_silent") and for_web_host and not dropped:
            self._hold_silently()
            return
        if dropped:
            # No status line at all, and a reset rather than an orderly close: the
            # uploader must see a dead host, not an empty answer or an error page.
            # Closed here, before the server's orderly shutdown could send a FIN first.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
            return

        point = "probe" if path.strip("/") == "" else (script or "")[:-len(".php")]
        if point and server.switches.hangs_at(point):
            self._hold_silently()
            return
        if path.strip("/") == "":
            self._answer(200, ROOT_PAGE, "text/html")
        elif path == SIGN_IN_PATH:
            self._answer(200, SIGN_IN_PAGE, "text/html")
        elif script is not None and script == server.switches.get("script_redirect"):
            # The script never runs: the redirect comes before it, and on the web
            # host's name rather than the one asked.
            location = "%s://%s:%d%s" % ("https" if server.tls else "http", server.web_host,
                                         server.server_address[1], SIGN_IN_PATH)
            self._answer(302, SIGN_IN_PAGE, "text/html", {"Location": location})
        elif script in SCRIPTS:
            time.sleep(server.switches.get("delay_ms") / 1000.0)
            answer = server.scripts.answer(script, params)
            if server.switches.get("script_error") == script:
                # The script ran (its records are made) and then failed.
                self._answer(500, ERROR_PAGE, "text/html")
            else:
                self._answer(200, answer, "text/html")
        else:
            self._answer(404, "Not Found\n", "text/plain")

    def _hold_silently(self):
        """Keeps the accepted connection open without a byte of answer until the
        client gives up (or the hold's bound passes)."""
        self.close_connection = True
        deadline = time.monotonic() + SILENT_HOLD_SECONDS
        self.connection.settimeout(1.0)
        while time.monotonic() < deadline:
            try:
                if not self.connection.recv(4096):
                    return
            except socket.timeout:
                continue
            except OSError:
                return

    def _control(self, action, params):
        try:
            self._answer_json(200, self.server.control.handle(action, params))
        except UnknownAction:
            self._answer_json(404, {"error": "unknown control action: %s" % action})
        except ControlError as error:
            self._answer_json(400, {"error": str(error)})

    def _answer_json(self, status, value):
        self._answer(status, json.dumps(value), "application/json")

    def _answer(self, status, text, content_type, headers=None):
        body = text.encode("utf-8")
        try:
            self.send_response(status)
            for name, value in (headers or {}).items():
                self.send_header(name, value)
            self.send_header("Content-Type", content_type + "; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            # A client that gave up waiting (delay_ms) is normal in tests.
            self.close_connection = True
