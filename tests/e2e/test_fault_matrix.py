"""The fault matrix: one row per fault of the network, the service or the machine, each
against the real program and the stand-in service. Every row checks that the program
keeps running, says what happened, and that no file is lost, changed, or marked done
or confirmed wrongly; then it lifts the fault and checks that the next cycle does
what the faulty one could not. docs/fault-matrix.md is this table in words."""

import os
import shutil
import time
from dataclasses import dataclass, field
from typing import Callable

import pytest

from invariants import DOWNLOADS, download_violations, is_read_only, remote_name, upload_violations
from recordings import dss_bytes, wave_bytes
from scenario import (AUTHOR, AUTO_DOWNLOAD_OFF, INVALID_AUTHOR, NO_INTERNET, requests_for, service_profile,
                      wait_for_status_count)
from waiting import wait_until

SLOTS = [("C:\\dictation\\one\\", "wav"), ("C:\\dictation\\two\\", "dss"), ("C:\\dictation\\three\\", "wav")]
SOURCES = {"C:\\dictation\\one\\a.wav": wave_bytes(2.5), "C:\\dictation\\two\\b.dss": dss_bytes(30000),
           "C:\\dictation\\three\\c.wav": wave_bytes(1.5)}
LISTED = {"news.wav": wave_bytes(1.0), "memo.rtf": b"{\\rtf1 the service's memo}"}
OLDER_MEMO = b"{\\rtf1 the memo that was here}"
PASS_END = "Tarnwick - Idle"
UPLOAD_FAIL = ".. Upload Fail, will attempt later."
DOWNLOAD_FAIL = "Download Fail - "
CONFIGURATION = "Tarnwick - Configuration"
TITLE = "Dravos Upload Ulkin"
NO_NETWORK_ACCESS = "No Network Access."
NO_ANSWER = "The login check got no answer from the service."
# Only a refusal by the check script itself says this; without an answer nothing may.
REFUSED = (("status", INVALID_AUTHOR), ("status", "UserName or Password Validation Fail"), ("file", INVALID_AUTHOR))
OLDER_TAKE = "C:\\dictation\\one\\tessaro\\a.wav"
POLL_TIME_FIELD, DIR1_FIELD, EXT2_FIELD, CANCEL = 1024, 1012, 1029, 2


class Rig:
    """One row's program, service and files."""

    def __init__(self, prefix, program, driver, service, watcher):
        self.prefix, self.program, self.driver, self.service, self.watcher = prefix, program, driver, service, watcher
        self.sources = dict(SOURCES)
        self.before = {}
        self.process = None

    def said(self, where, text):
        if where == "status":
            return any(line.startswith(text) for line in self.program.status_history())
        found = self.driver.log() if where == "log" else self.program.read_log_file() or ""
        return text in found


@dataclass
class Fault:
    ends_with: str  # the status text that ends the faulty cycle (None: the row ends the program)
    says: tuple = ()  # (where: "status", "log" or "file", text it starts or holds)
    unsaid: tuple = ()  # the same, for what must not be there
    switches: dict = field(default_factory=dict)
    profile: dict = field(default_factory=dict)
    downloads: bool = False  # automatic download on, with LISTED waiting at the service
    older_memo: bool = True  # with downloads: an older memo.rtf is already in the download directory
    obstacle: Callable = None  # (rig) -> what lifts it; set up before the start
    during: Callable = None  # (rig) -> None; runs as soon as the program is up
    done: tuple = ()  # source names marked done by the faulty cycle; the others stay due
    arrived: tuple = ()  # downloads that arrived and were confirmed in the faulty cycle
    recovers: bool = True
    cycle_timeout: int = 60
    # Boxes nobody answers: the only ones open after the faulty cycle and still after
    # the next one, which runs all the same.
    boxes_left_open: tuple = ()


# --- what some rows do besides switches


def dravos_is_a_file(rig):
    rig.prefix.write_file("C:\\dravos", b"a file in the way")

    def lift():
        assert rig.prefix.read_file("C:\\dravos") == b"a file in the way"
        os.remove(rig.prefix.unix_path("C:\\dravos"))
    return lift


def memo_held_open(rig):
    return rig.driver.lock(DOWNLOADS + "memo.rtf").release


def log_file_locked(rig):
    os.makedirs(rig.prefix.unix_path(rig.program.workdir), exist_ok=True)
    return rig.driver.lock(rig.program.workdir + "\\Tarnwick.log").release


def million_entries(rig):
    listing = "countoffiles=1000000<br>\nSourceDir=/pending<br>\n"
    for number, (name, fileid) in enumerate(rig.fileids.items(), 1):
        listing += 'file_%d="%s"<br>\nfileid_%d=%s<br>\n' % (number, name, number, fileid)
    listing += 'file_3="third.txt"<br>\nfileid_3=999<br>\n'
    rig.service.override_script("tarnwickdload", listing)
    return lambda: rig.service.override_script("tarnwickdload", "")


def folder_vanishes(rig):
    # The scan has listed all three files; slot two's folder goes before its put.
    assert rig.driver.wait_log("1 of 3 Uploading a.wav", 30)
    shutil.rmtree(rig.prefix.unix_path("C:\\dictation\\two"))
    del rig.sources["C:\\dictation\\two\\b.dss"]


def wrong_types_load_as_defaults(rig):
    # "Poll Time" as text loads as 0: no cycle comes by itself.
    time.sleep(5)
    assert rig.service.state()["requests"] == []
    rig.watcher.stop()
    assert rig.driver.command("configuration")
    shown = {field_id: rig.driver.control_text(CONFIGURATION, field_id)
             for field_id in (POLL_TIME_FIELD, DIR1_FIELD, EXT2_FIELD)}
    assert shown == {POLL_TIME_FIELD: "0", DIR1_FIELD: "", EXT2_FIELD: ""}
    # Cancel reloads the same profile and starts a cycle at once.
    assert rig.driver.click(CONFIGURATION, CANCEL)


def older_take_archived(rig):
    older = wave_bytes(4.0)  # an earlier recording of the same name
    rig.prefix.write_file(OLDER_TAKE, older)

    def lift():
        assert rig.prefix.read_file(OLDER_TAKE) == older
        assert rig.prefix.read_file("C:\\dictation\\one\\tessaro\\a (2).wav") == rig.sources["C:\\dictation\\one\\a.wav"]
    return lift


def sign_in_page_answered(rig):
    # The platform followed the redirect, so the answer came from the other host.
    wait_for_status_count(rig.program, NO_INTERNET, 1, timeout=60)
    assert requests_for(rig.service.state(), "/hotspot/login"), "the redirect was not followed"


def nothing_stored_anywhere(rig):
    wait_for_status_count(rig.program, UPLOAD_FAIL, 1, timeout=60)
    assert rig.service.state()["uploads"] == [], "a put landed outside the upload directory"


def exit_while_the_web_host_is_silent(rig):
    wait_until(lambda: requests_for(rig.service.state(), "//"), 30, "the probe")
    chosen = time.monotonic()
    assert rig.driver.command("exit")
    rig.process.wait(30)
    rig.exit_seconds = time.monotonic() - chosen


FAULTS = {
    "report answers HTTP 500": Fault(
        AUTO_DOWNLOAD_OFF, switches={"script_error": "copywav"},
        says=(("log", "3 of 3 Uploading c.wav"), ("file", "] - c.wav Transferred"))),
    "web host accepts and never answers": Fault(
        NO_INTERNET, switches={"web_host_silent": True}, says=(("status", NO_INTERNET),), cycle_timeout=120),
    "web host never answers, Exit meanwhile": Fault(
        None, switches={"web_host_silent": True}, during=exit_while_the_web_host_is_silent, recovers=False),
    "author check answers HTTP 500": Fault(
        NO_INTERNET, switches={"script_error": "authorverify"}, says=(("status", NO_INTERNET), ("file", NO_ANSWER)),
        unsaid=REFUSED),
    "author check redirected to another host's sign-in page": Fault(
        NO_INTERNET, switches={"script_redirect": "authorverify"}, during=sign_in_page_answered,
        says=(("status", NO_INTERNET), ("file", NO_ANSWER)), unsaid=REFUSED),
    "FTP upload directory missing": Fault(
        AUTO_DOWNLOAD_OFF, switches={"ftp_upload_dir": "missing"}, during=nothing_stored_anywhere,
        says=(("status", UPLOAD_FAIL), ("file", UPLOAD_FAIL))),
    "FTP upload directory denied": Fault(
        AUTO_DOWNLOAD_OFF, switches={"ftp_upload_dir": "denied"}, during=nothing_stored_anywhere,
        says=(("status", UPLOAD_FAIL), ("file", UPLOAD_FAIL))),
    "archive holds an older file of that name": Fault(
        AUTO_DOWNLOAD_OFF, obstacle=older_take_archived, done=("a.wav", "b.dss", "c.wav"),
        says=(("file", "a.wav archived as a (2).wav"),)),
    "FTP drops the control connection after the login": Fault(
        AUTO_DOWNLOAD_OFF, switches={"ftp_drop_after_login": True}, says=(("status", UPLOAD_FAIL),)),
    "FTP drops the control connection in a put": Fault(
        AUTO_DOWNLOAD_OFF, switches={"ftp_drop_put_after": 20000},
        says=(("status", UPLOAD_FAIL), ("file", UPLOAD_FAIL))),
    "C:\\dravos is a file": Fault(
        PASS_END, downloads=True, older_memo=False, obstacle=dravos_is_a_file, done=("a.wav", "b.dss", "c.wav"),
        says=(("log", DOWNLOAD_FAIL), ("file", DOWNLOAD_FAIL))),
    "download target held open": Fault(
        PASS_END, downloads=True, obstacle=memo_held_open, done=("a.wav", "b.dss", "c.wav"), arrived=("news.wav",),
        says=(("status", DOWNLOAD_FAIL), ("file", DOWNLOAD_FAIL))),
    "profile values of the wrong type": Fault(
        AUTO_DOWNLOAD_OFF, during=wrong_types_load_as_defaults, recovers=False, done=("c.wav",),
        profile={"poll_time": "1", "show_config": "1", "auto_download": "1",
                 "sources": [(5, "wav"), (SLOTS[1][0], 7), SLOTS[2]]}),
    "source folder vanishes between scan and put": Fault(
        AUTO_DOWNLOAD_OFF, switches={"delay_ms": 4000}, during=folder_vanishes, done=("a.wav",),
        says=(("status", UPLOAD_FAIL), ("log", UPLOAD_FAIL))),
    "download list announces 1,000,000 entries, holds three": Fault(
        "DL-ERROR: FName4", downloads=True, obstacle=million_entries, done=("a.wav", "b.dss", "c.wav"),
        says=(("status", "DL-ERROR: FName4"), ("log", "DL-ERROR: FName4"), ("file", "DL-ERROR: FName4"))),
    "upload report unreachable, its box left unanswered": Fault(
        AUTO_DOWNLOAD_OFF, switches={"drop_script": "copywav"}, boxes_left_open=(NO_NETWORK_ACCESS,),
        says=(("log", "3 of 3 Uploading c.wav"), ("file", NO_NETWORK_ACCESS))),
    "log file locked for a whole cycle": Fault(
        AUTO_DOWNLOAD_OFF, obstacle=log_file_locked, done=("a.wav", "b.dss", "c.wav"),
        says=(("log", "3 of 3 Uploading c.wav"),), unsaid=(("file", "UPLOADing 3 files"),)),
}

def rows():
    for name, fault in FAULTS.items():
        yield pytest.param(fault, id=name, marks=[pytest.mark.time_limit(120 + 2 * fault.cycle_timeout)])


@pytest.mark.parametrize("fault", rows())
def test_fault(prefix, program, driver, service, dialog_watcher, fault):
    rig = Rig(prefix, program, driver, service, dialog_watcher)
    for path, data in rig.sources.items():
        prefix.write_file(path, data)
    rig.fileids = {}
    if fault.downloads:
        rig.fileids = {name: service.add_download(AUTHOR, name, data) for name, data in LISTED.items()}
        if fault.older_memo:
            rig.before = {"memo.rtf": OLDER_MEMO}
            prefix.write_file(DOWNLOADS + "memo.rtf", OLDER_MEMO)
    profile = dict(sources=SLOTS, auto_download=1 if fault.downloads else 0)
    profile.update(fault.profile)
    service_profile(service, **profile).write(prefix)
    service.set(**fault.switches)
    lift = fault.obstacle(rig) if fault.obstacle else None
    if fault.boxes_left_open:
        dialog_watcher.stop()  # nobody is at the machine
    rig.process = program.start_and_wait()
    if fault.during:
        fault.during(rig)

    if fault.ends_with is None:
        assert rig.exit_seconds < 2.0, "Exit took %.1f s" % rig.exit_seconds
    else:
        wait_for_status_count(program, fault.ends_with, 1, timeout=fault.cycle_timeout)
        assert rig.process.poll() is None, "the program ended"
        missing = [said for said in fault.says if not rig.said(*said)]
        assert not missing, "not said: %r" % missing
        wrongly = [said for said in fault.unsaid if rig.said(*said)]
        assert not wrongly, "said although it could not be: %r" % wrongly
    check_files(rig, fault.done, fault.arrived)
    assert [box.text for box in driver.dialogs(TITLE)] == list(fault.boxes_left_open)

    if fault.recovers:
        if lift:
            lift()
        service.set(**{switch: "" if isinstance(value, str) else 0 for switch, value in fault.switches.items()})
        # A file that appears between cycles goes with the next one.
        rig.sources["C:\\dictation\\three\\d.wav"] = wave_bytes(0.5)
        prefix.write_file("C:\\dictation\\three\\d.wav", rig.sources["C:\\dictation\\three\\d.wav"])
        end = PASS_END if fault.downloads else AUTO_DOWNLOAD_OFF
        ended = program.status_history().count(end)
        assert driver.tick()
        wait_for_status_count(program, end, ended + 1, timeout=120)
        assert rig.process.poll() is None
        check_files(rig, [path.rsplit("\\", 1)[1] for path in rig.sources], LISTED if fault.downloads else ())
        assert "] - d.wav Transferred" in program.read_log_file()
        assert [box.text for box in driver.dialogs(TITLE)] == list(fault.boxes_left_open)
    assert dialog_watcher.stop() == []


def check_files(rig, done, arrived):
    state = rig.service.state()
    problems = upload_violations(rig.prefix, rig.service, state, rig.sources)
    problems += download_violations(rig.prefix, state, LISTED, rig.before)
    for path in rig.sources:
        name = path.rsplit("\\", 1)[1]
        if is_read_only(rig.prefix, path) != (name in done):
            problems.append("%s should be %s" % (name, "done" if name in done else "due"))
    confirmed = sorted(d["name"] for d in state["downloads"] if d["confirmed"])
    if confirmed != sorted(arrived):
        problems.append("confirmed %r, expected %r" % (confirmed, sorted(arrived)))
    for name in arrived:
        if rig.prefix.read_file(DOWNLOADS + name) != LISTED[name]:
            problems.append("%s did not arrive" % name)
    assert not problems, problems
