"""The FTP host of the stand-in service: the upload and the download account.

Passive mode only matters to the uploader; pyftpdlib binds passive ports on the
control connection's address, which is 127.0.0.1 here.
"""

import hashlib
import os
import socket
import struct

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
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
    try:
        channel.socket.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    except OSError:
        pass
    channel.close()


class CuttingDTPHandler(DTPHandler):
    """Data channel that, when ftp_cut_after is set, lets that many bytes of a file
    through and then drops both connections without a final reply."""

    def __init__(self, sock, cmd_channel):
        self._cut_after = cmd_channel.switches.get("ftp_cut_after")
        self._cut_pending = False
        super().__init__(sock, cmd_channel)

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

    def handle_read(self):
        super().handle_read()
        if self._cut_pending and not self._closed:
            self._cut()

    handle_read_event = handle_read

    def close(self):
        # The library replies "226" before it reports the received file; holding the
        # reply back until then lets a client rely on the upload being recorded
        # as soon as its put has returned.
        reply, self._resp = self._resp, ()
        super().close()
        refusal = self.cmd_channel.switches.get("ftp_put_refusal")
        if reply and refusal and self.receive and self.transfer_finished:
            reply = (refusal, reply[1])
        if reply and not self.cmd_channel._closed:
            self.cmd_channel.respond(reply[0], logfun=reply[1])

    def send(self, data):
        if self._cutting():
            allowed = self._cut_after - self.tot_bytes_sent
            if allowed <= 0:
                self._cut()
                return 0
            data = data[:allowed]
        return super().send(data)


class StandInFTPHandler(FTPHandler):
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

    _timeline_session = None

    def _session(self):
        if self._timeline_session is None:
            self._timeline_session = self.timeline.new_session()
        return self._timeline_session

    def pre_process_command(self, line, cmd, arg):
        self.timeline.command(self._session(), line)
        super().pre_process_command(line, cmd, arg)

    def respond(self, resp, *args, **kwargs):
        self.timeline.reply(self._session(), resp)
        super().respond(resp, *args, **kwargs)

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


def make_ftp_server(port, layout, store, switches, timeline):
    authorizer = SwitchedAuthorizer(switches)
    authorizer.add_user(UPLOAD_USER, UPLOAD_PASSWORD, layout.upload_home, perm="elradfmw")
    authorizer.add_user(DOWNLOAD_USER, DOWNLOAD_PASSWORD, layout.download_home, perm="elr")
    handler = type("BoundFTPHandler", (StandInFTPHandler,),
                   {"authorizer": authorizer, "switches": switches, "store": store,
                    "timeline": timeline, "upload_dir": layout.upload_dir})
    return FTPServer(("127.0.0.1", port), handler)
