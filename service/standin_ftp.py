"""The FTP host of the stand-in service: the upload and the download account.

Passive mode only matters to the uploader; pyftpdlib binds passive ports on the
control connection's address, which is 127.0.0.1 here.

Explicit TLS (AUTH TLS, PBSZ, PROT) is offered, required or refused as the ftp_tls
switch says when a connection arrives. A protected data connection never has to
resume the control connection's TLS session: some clients cannot.
"""

import hashlib
import os
import socket
import struct

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from OpenSSL import SSL
from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.ioloop import RetryError
from pyftpdlib.servers import FTPServer

UPLOAD_USER, UPLOAD_PASSWORD = "dravos", "brinotaxe4"
DOWNLOAD_USER, DOWNLOAD_PASSWORD = "dravodn", "quendil"


class SwitchedAuthorizer(DummyAuthorizer):
    def __init__(self, switches):
        super().__init__()
        self._switches = switches

    def validate_authentication(self, username, password, handler):
        if self._switches.get("ftp_refuse_logins"):
            raise AuthenticationFailed("Login refused.")
        super().validate_authentication(username, password, handler)


def _drop(channel):
    """Closes with a reset, the way a broken network path looks to the peer."""
    # Marked as failed, the channel skips the orderly TLS shutdown.
    channel._error = True
    try:
        channel.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    except OSError:
        pass
    channel.close()


class CuttingDTPHandler(TLS_DTPHandler):
    """Data channel that, when ftp_cut_after is set, lets that many bytes of a file
    through and then drops both connections without a final reply. It is under TLS
    when the control connection asked for PROT P before it was opened."""

    def __init__(self, sock, cmd_channel):
        self._cut_after = cmd_channel.switches.get("ftp_cut_after")
        self._cut_pending = False
        self._transfer_noted = False
        super().__init__(sock, cmd_channel)

    def _note_transfer(self):
        if not self._transfer_noted:
            self._transfer_noted = True
            self.cmd_channel.note_transfer(self._ssl_requested)

    # A transfer begins with one of these: receiving a put, or sending a file or a listing.
    def enable_receiving(self, type, cmd):
        self._note_transfer()
        super().enable_receiving(type, cmd)

    def push(self, data):
        self._note_transfer()
        super().push(data)

    def push_with_producer(self, producer):
        self._note_transfer()
        super().push_with_producer(producer)

    def _cutting(self):
        # Listings are left alone: the uploader searches before it fetches, and a
        # cut listing would test "not found" instead of a broken transfer.
        return self._cut_after > 0 and self.file_obj is not None

    def _cut(self):
        self._resp = ()
        cmd_channel = self.cmd_channel
        _drop(self)
        _drop(cmd_channel)

    def recv(self, buffer_size):
        data = super().recv(buffer_size)
        drop_after = self.cmd_channel.switches.get("ftp_drop_put_after")
        if data and drop_after and self.file_obj is not None and self.tot_bytes_received + len(data) > drop_after:
            # The control connection goes away in an orderly way in the middle of the
            # put; closing it ends the data connection too, without a final reply.
            self._resp = ()
            self.cmd_channel.close()
            raise RetryError
        if data and self._cutting():
            allowed = self._cut_after - self.tot_bytes_received
            if len(data) > allowed:
                self._cut_pending = True
                if allowed <= 0:
                    # An empty chunk would read as a finished upload; RetryError
                    # makes the caller skip this read instead.
                    raise RetryError
                data = data[:allowed]
        return data

    def readable(self):
        # A client may begin the TLS handshake of a data connection as soon as it has
        # connected, before it sends the command the connection serves (libcurl does).
        # The library would take that early ClientHello for a client that went away
        # and close the connection, so a handshake under way keeps it readable.
        return self._ssl_accepting or super().readable()

    def handle_read_event(self):
        # The TLS layer's handler first: it may be in the middle of a handshake.
        super().handle_read_event()
        if self._cut_pending and not self._closed:
            self._cut()

    def close(self):
        # The library replies "226" before it reports the received file; holding the
        # reply back until the channel is gone (under TLS that is after its orderly
        # shutdown, which may take another turn of the loop) lets a client rely on
        # the upload being recorded as soon as its put has returned.
        if self._resp:
            reply, self._resp = self._resp, ()
            refusal = self.cmd_channel.switches.get("ftp_put_refusal")
            if refusal and self.receive and self.transfer_finished:
                reply = (refusal, reply[1])
            self.cmd_channel.held_reply = reply
        super().close()

    def send(self, data):
        if self._cutting():
            allowed = self._cut_after - self.tot_bytes_sent
            if allowed <= 0:
                self._cut()
                return 0
            data = data[:allowed]
        return super().send(data)


class StandInFTPHandler(TLS_FTPHandler):
    dtp_handler = CuttingDTPHandler
    # Plain send() is needed for the byte counting of the cut switch.
    use_sendfile = False
    # The uploader retries five times without a pause; a penalty delay per failed
    # login would only slow the tests down.
    auth_failed_timeout = 0
    banner = "Tessaro FTP service ready."
    switches = None
    store = None
    timeline = None
    upload_dir = None
    # {certificate choice: TLS context}; the tls_certificate switch picks one.
    tls_contexts = None

    _timeline_session = None
    held_reply = None

    _last_command = ""

    def __init__(self, conn, server, ioloop=None):
        # The switches as they stand when the connection arrives hold for its life.
        self.tls_mode = self.switches.get("ftp_tls")
        certificate = self.switches.get("tls_certificate")
        super().__init__(conn, server, ioloop)
        self.ssl_context = self.tls_contexts[certificate]
        if self.tls_mode == "off":
            self._extra_feats = []

    def _protected(self):
        return isinstance(self.socket, SSL.Connection)

    def note_transfer(self, protected):
        # The data connection serves the last command, which opened the transfer.
        self.timeline.transfer(self._session(), self._last_command, protected)

    def _session(self):
        if self._timeline_session is None:
            self._timeline_session = self.timeline.new_session()
        return self._timeline_session

    def pre_process_command(self, line, cmd, arg):
        self.timeline.command(self._session(), line, self._protected())
        self._last_command = line
        if self.tls_mode == "off" and cmd in ("AUTH", "PBSZ", "PROT"):
            # What a server without TLS answers.
            self.respond('500 Command "%s" not understood.' % cmd)
            return
        super().pre_process_command(line, cmd, arg)

    def process_command(self, cmd, *args, **kwargs):
        if self.tls_mode == "required":
            if cmd in ("USER", "PASS") and not self._protected():
                self.respond("530 Sessions must use TLS (AUTH TLS) before logging in.")
                return
            if cmd in ("PASV", "EPSV", "PORT", "EPRT") and not self._prot:
                self.respond("522 Data connections must be protected (PBSZ 0, PROT P).")
                return
        super().process_command(cmd, *args, **kwargs)

    def respond(self, resp, *args, **kwargs):
        self.timeline.reply(self._session(), resp, self._protected())
        super().respond(resp, *args, **kwargs)

    def _on_dtp_close(self):
        # The final reply of a transfer, held back by the data channel until now.
        reply, self.held_reply = self.held_reply, None
        if reply and not self._closed:
            self.respond(reply[0], logfun=reply[1])
        super()._on_dtp_close()

    def decode(self, data):
        # The uploader sends names in the Windows ANSI code page, as the web side
        # reads them too.
        try:
            return data.decode("utf-8")
        except UnicodeDecodeError:
            return data.decode("cp1252", self.unicode_errors)

    # The hang switch: the login, or a put or get after its opening reply, is left
    # without an answer; the client waits until it gives up or goes away.
    def ftp_USER(self, line):
        if self.switches.hangs_at("login"):
            return
        super().ftp_USER(line)

    def ftp_STOR(self, file, mode="w"):
        if self.switches.hangs_at("put"):
            self.respond("150 File status okay. About to open data connection.")
            return
        return super().ftp_STOR(file, mode)

    def ftp_RETR(self, file):
        if self.switches.hangs_at("get"):
            self.respond("150 File status okay. About to open data connection.")
            return
        return super().ftp_RETR(file)

    def ftp_CWD(self, path):
        # ftp_upload_dir: the upload directory is gone, or may not be entered.
        fault = self.switches.get("ftp_upload_dir")
        if fault and os.path.normpath(path) == os.path.normpath(self.upload_dir):
            self.respond("550 No such file or directory." if fault == "missing" else "550 Permission denied.")
            return None
        return super().ftp_CWD(path)

    def on_login(self, username):
        if self.switches.get("ftp_drop_after_login"):
            # The 230 reply goes out, then the server closes the control connection.
            self.close_when_done()

    def on_file_received(self, file):
        # ftp_store_truncated keeps only the first half of what arrived and still
        # answers 226; ftp_put_refusal keeps it all and answers with its own reply.
        if self.username == UPLOAD_USER:
            if self.switches.get("ftp_store_truncated"):
                with open(file, "r+b") as stored:
                    stored.truncate(os.path.getsize(file) // 2)
            size, digest = _size_and_sha256(file)
            self.store.add_upload(os.path.basename(file), self.fs.fs2ftp(file), size, digest,
                                  complete=not self.switches.get("ftp_put_refusal"))

    def ftp_SIZE(self, path):
        if self.switches.get("ftp_no_size"):
            self.respond("502 Command not implemented.")
            return
        super().ftp_SIZE(path)

    def on_incomplete_file_received(self, file):
        # A half file must not let a later upload report pass the existence check.
        if self.username == UPLOAD_USER:
            size, digest = _size_and_sha256(file)
            self.store.add_upload(os.path.basename(file), self.fs.fs2ftp(file), size, digest,
                                  complete=False)
        try:
            os.remove(file)
        except OSError:
            pass


def _size_and_sha256(path):
    digest = hashlib.sha256()
    size = 0
    with open(path, "rb") as source:
        for block in iter(lambda: source.read(65536), b""):
            digest.update(block)
            size += len(block)
    return size, digest.hexdigest()


def make_ftp_server(port, layout, store, switches, timeline, tls_contexts):
    authorizer = SwitchedAuthorizer(switches)
    authorizer.add_user(UPLOAD_USER, UPLOAD_PASSWORD, layout.upload_home, perm="elradfmw")
    authorizer.add_user(DOWNLOAD_USER, DOWNLOAD_PASSWORD, layout.download_home, perm="elr")
    handler = type("BoundFTPHandler", (StandInFTPHandler,),
                   {"authorizer": authorizer, "switches": switches, "store": store,
                    "timeline": timeline, "upload_dir": layout.upload_dir,
                    "tls_contexts": tls_contexts,
                    # The library's own default; each connection picks its own.
                    "ssl_context": tls_contexts["own"]})
    return FTPServer(("127.0.0.1", port), handler)
