"""Encryption on the wire, against the real program and the stand-in service: in each
mode a whole cycle against the server that mode is meant for, and against the servers
it must cope with; where encryption is required and cannot be had, the login is
refused before anything of the account's or the author's crosses in clear.

Wire taps sit in front of the FTP and web ports and keep the bytes that pass; the
service's own records say which sessions, data connections and web requests were
encrypted. FTP data connections go past the tap (passive replies name the service's
own ports), so whether they were protected comes from the service alone."""

import os
import shutil
from dataclasses import dataclass

import pytest

from full_cycle import ARCHIVE, CYCLE_END, RECORDINGS, SOURCE, prepare, summary
from invariants import remote_name
from recordings import wave_bytes
from scenario import (AUTHOR, AUTO_DOWNLOAD_OFF, PASSWORD, TLS_HOST, named_service_values, requests_for,
                      service_profile, wait_for_status_count)
from standin_client import StandIn
from wire_tap import WireTap

FTP_ACCOUNT = ("dravos", "brinotaxe4")
UNVERIFIED = ("The FTP server's certificate could not be verified (Windows does not trust it, or it names another "
              "host); the files go encrypted all the same.")
NOT_SECURE = ("A secure connection to the server could not be made: the server refused encryption (TLS) or the "
              "handshake failed. Nothing was sent.")
NOT_VERIFIED = ("The server's certificate could not be verified: Windows does not trust its authority, or it does "
                "not name the server's host. Nothing was sent.")
FAILED_TO_CONNECT = "Failed to connect to server"


@dataclass
class Setup:
    encryption: int  # the profile's "Encryption"
    ftp_tls: str  # the service's FTP: off, optional or required
    certificate: str = "own"  # whose authority signed the certificate the service presents


@dataclass
class Cycle:
    setup: Setup
    ftp_encrypted: bool  # every FTP session and data transfer, or none of them
    web_encrypted: bool  # every web request, or none
    # The certificate does not verify: the checked login of each pass ends in the
    # handshake, the pass logs in again unchecked, and the log file says so once.
    unverified: bool = False


CYCLES = {
    "mode 0, plain server": Cycle(Setup(0, "off"), ftp_encrypted=False, web_encrypted=False),
    "mode 1, server offering TLS": Cycle(Setup(1, "optional"), ftp_encrypted=True, web_encrypted=False),
    "mode 1, plain server": Cycle(Setup(1, "off"), ftp_encrypted=False, web_encrypted=False),
    "mode 1, certificate of another authority": Cycle(Setup(1, "optional", "other"), ftp_encrypted=True,
                                                      web_encrypted=False, unverified=True),
    "mode 2, server requiring TLS": Cycle(Setup(2, "required"), ftp_encrypted=True, web_encrypted=True),
}


class Taps:
    """Wire taps in front of an FTP port and a web port."""

    def __init__(self, ftp_port, web_port):
        self.ftp = WireTap(ftp_port)
        self.web = WireTap(web_port)

    def stop(self):
        self.ftp.stop()
        self.web.stop()


def apply(setup, service):
    service.set(ftp_tls=setup.ftp_tls, tls_certificate=setup.certificate)


def commands_by_session(service):
    """{FTP session: the verbs of the commands the service received in it, in order}."""
    sessions = {}
    for event in service.ftp_timeline():
        if event["kind"] == "command":
            sessions.setdefault(event["session"], []).append(event["text"].split(" ")[0].upper())
    return sessions


def seen_in_clear(tap):
    """Which secrets crossed the tap in clear: the FTP account's and the author's password."""
    return {"FTP user": tap.crossed("USER " + FTP_ACCOUNT[0]), "FTP password": tap.crossed(FTP_ACCOUNT[1]),
            "author's password": tap.crossed("wp=" + PASSWORD)}


@pytest.mark.parametrize("cycle", [pytest.param(cycle, id=name) for name, cycle in CYCLES.items()])
@pytest.mark.time_limit(150)
def test_a_whole_cycle_is_encrypted_as_the_mode_and_the_server_allow(prefix, program, driver, named_service,
                                                                      dialog_watcher, cycle):
    service = named_service
    apply(cycle.setup, service)
    taps = Taps(service.ftp_port, service.https_port if cycle.setup.encryption == 2 else service.http_port)
    try:
        download_ids = prepare(service, prefix, service=named_service_values(
            service, cycle.setup.encryption, ftp_port=taps.ftp.port, web_port=taps.web.port))
        program.start_and_wait()
        wait_for_status_count(program, CYCLE_END, timeout=120)
        ftp_clear, web_clear = seen_in_clear(taps.ftp), seen_in_clear(taps.web)
    finally:
        taps.stop()

    state = service.state()
    undone = [(step, seen) for step, done, seen in summary(state, prefix, driver, download_ids) if not done]
    assert not undone
    upload_dir = os.path.join(service.root, "ftp", "upload", TLS_HOST, "dravouploads")
    for name, (data, _) in RECORDINGS.items():
        with open(os.path.join(upload_dir, remote_name(name)), "rb") as stored:
            assert stored.read() == data, name

    seen = service.encryption_summary()
    assert seen["ftp_sessions"] >= 2 and seen["data_transfers"] >= 5 and seen["web_requests"] >= 5, seen
    # Sessions that ended in the handshake sent nothing after AUTH TLS.
    ended_in_handshake = [commands for commands in commands_by_session(service).values() if commands == ["AUTH"]]
    assert bool(ended_in_handshake) == cycle.unverified
    logged_in = seen["ftp_sessions"] - len(ended_in_handshake)
    assert seen == dict(seen, ftp_sessions_encrypted=logged_in if cycle.ftp_encrypted else 0,
                        data_transfers_protected=seen["data_transfers"] if cycle.ftp_encrypted else 0,
                        web_requests_https=seen["web_requests"] if cycle.web_encrypted else 0)
    # What the taps saw agrees with the service: a secret crosses in clear exactly
    # where its connection is plain.
    assert ftp_clear == {"FTP user": not cycle.ftp_encrypted, "FTP password": not cycle.ftp_encrypted,
                         "author's password": False}
    assert web_clear == {"FTP user": False, "FTP password": False, "author's password": not cycle.web_encrypted}
    assert program.read_log_file().count(UNVERIFIED) == (1 if cycle.unverified else 0)
    assert dialog_watcher.stop() == []


@dataclass
class Refusal:
    setup: Setup
    says: str  # the status text of each failed login


REFUSALS = {
    "mode 2, server without TLS": Refusal(Setup(2, "off"), NOT_SECURE),
    "mode 2, certificate of another authority": Refusal(Setup(2, "required", "other"), NOT_VERIFIED),
}


def ftp_service_beside(web_service, tmp_path):
    """A second service whose FTP host stands in for the first's, with the same two
    authorities, so that its FTP host can present the other authority's certificate
    while the first one's web requests still verify."""
    root = str(tmp_path / "ftp-service")
    shutil.copytree(os.path.join(web_service.root, "tls"), os.path.join(root, "tls"))
    return StandIn(root, authors={AUTHOR: PASSWORD}, domain=TLS_HOST, web_host=TLS_HOST, lifetime=600).start()


@pytest.mark.parametrize("refusal", [pytest.param(refusal, id=name) for name, refusal in REFUSALS.items()])
@pytest.mark.time_limit(150)
def test_required_encryption_that_cannot_be_had_sends_nothing_and_leaves_the_file_due(
        prefix, program, driver, named_service, tmp_path, dialog_watcher, refusal):
    web_service = named_service
    ftp_service = ftp_service_beside(web_service, tmp_path) if refusal.setup.certificate != "own" else web_service
    try:
        apply(refusal.setup, ftp_service)
        data = wave_bytes(2.5)
        prefix.write_file(SOURCE + "waiting.wav", data)
        taps = Taps(ftp_service.ftp_port, web_service.https_port)
        try:
            service_profile(web_service, sources=[(SOURCE, "wav")], service=named_service_values(
                web_service, 2, ftp_port=taps.ftp.port, web_port=taps.web.port)).write(prefix)
            program.start_and_wait()
            wait_for_status_count(program, AUTO_DOWNLOAD_OFF, timeout=120)
            ftp_clear, web_clear = seen_in_clear(taps.ftp), seen_in_clear(taps.web)
            ftp_connections = taps.ftp.connections()
        finally:
            taps.stop()

        history = program.status_history()
        attempts = ["Connecting to %s (Attempt %d of 5)" % (TLS_HOST, n) for n in range(1, 6)]
        assert [text for text in history if text.startswith("Connecting to ")] == attempts
        assert history.count(refusal.says) == 5
        assert history.index(attempts[-1]) < history.index(FAILED_TO_CONNECT)
        assert program.read_log_file().count("FTP login to %s failed: %s" % (TLS_HOST, refusal.says)) == 1

        # The file stays due and nothing of it reached either service.
        assert driver.attributes(SOURCE + "waiting.wav") == "writable"
        assert prefix.read_file(SOURCE + "waiting.wav") == data
        assert prefix.read_file(ARCHIVE + "waiting.wav") is None
        for service in [web_service] if ftp_service is web_service else [web_service, ftp_service]:
            state = service.state()
            assert state["uploads"] == [] and requests_for(state, "/dravos/copywav.php") == []

        # Each login asked for TLS first and went no further in clear.
        assert len(ftp_connections) == 5
        assert all(sent.startswith(b"AUTH TLS\r\n") for sent, _ in ftp_connections)
        # (refused, libcurl asks once more with AUTH SSL)
        sessions = list(commands_by_session(ftp_service).values())
        assert len(sessions) == 5 and all(set(commands) == {"AUTH"} for commands in sessions), sessions
        assert ftp_service.ftp_transfers() == []
        assert not any(ftp_clear.values()) and not any(web_clear.values())
        # The author check went over HTTPS, verified, before the logins were tried.
        assert web_service.encryption_summary()["web_requests_https"] >= 2
    finally:
        if ftp_service is not web_service:
            ftp_service.stop()
    assert dialog_watcher.stop() == []
