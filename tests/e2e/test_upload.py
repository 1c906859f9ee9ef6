"""The upload half of a poll cycle: due files of the source slots reach the service's
upload directory, are reported with their recording length and, once a report is
accepted, are archived and marked read-only; every failure leaves them due."""

import os
import re
import subprocess

import pytest

from recordings import dss_bytes, wave_bytes
from scenario import (AUTHOR, AUTO_DOWNLOAD_OFF, DOMAIN, FTP_HOST, INVALID_AUTHOR, NO_INTERNET, host_of,
                      requests_for, service_profile, wait_for_cycles)

SOURCE = "C:\\dictation\\"
UPLOAD_FAIL = ".. Upload Fail, will attempt later."
REPORT_PATH = "/dravos/copywav.php"


def remote_name(name):
    return "%s_%s" % (AUTHOR, name)


def uploaded(service, state):
    """{remote name: bytes} of the complete puts the service recorded, read from its
    upload tree; a name put twice appears once, with its last content."""
    files = {}
    for upload in state["uploads"]:
        if upload["complete"]:
            assert upload["path"] == "/%s/dravouploads/%s" % (DOMAIN, upload["name"])
            with open(os.path.join(service.root, "ftp", "upload", upload["path"].lstrip("/")), "rb") as source:
                files[upload["name"]] = source.read()
    return files


def put_names(state):
    """Remote names of all puts, complete or not, in arrival order."""
    return [upload["name"] for upload in state["uploads"]]


def uploading_lines(window_log):
    return re.findall(r"^(\d+) of (\d+) Uploading (.*)\r$", window_log, re.MULTILINE)


def assert_done(prefix, driver, directory, name, data):
    assert driver.attributes(directory + name) == "readonly", name
    assert prefix.read_file(directory + "tessaro\\" + name) == data, name
    assert prefix.read_file(directory + name) == data, name


def assert_due(prefix, driver, directory, name):
    assert driver.attributes(directory + name) == "writable", name
    assert prefix.read_file(directory + "tessaro\\" + name) is None, name


def test_due_files_arrive_are_reported_with_their_length_archived_and_marked(
        prefix, program, driver, service, dialog_watcher):
    files = {"short.wav": wave_bytes(2.5), "long.wav": wave_bytes(12.4), "memo.dss": dss_bytes()}
    for name, data in files.items():
        prefix.write_file(SOURCE + name, data)
    service_profile(service, sources=[(SOURCE, "wav"), (SOURCE, "dss")]).write(prefix)
    program.start_and_wait()
    assert wait_for_cycles(program, 1) == [AUTO_DOWNLOAD_OFF]

    state = service.state()
    assert uploaded(service, state) == {remote_name(name): data for name, data in files.items()}
    reports = requests_for(state, REPORT_PATH)
    assert {host_of(r) for r in reports} == {DOMAIN}
    assert sorted(r["query"] for r in reports) == sorted(
        "username=%s&file=%s&length=%s" % (AUTHOR, remote_name(name), length)
        for name, length in (("short.wav", 3), ("long.wav", 12), ("memo.dss", 0)))
    assert all(report["accepted"] for report in state["reports"])
    for name, data in files.items():
        assert_done(prefix, driver, SOURCE, name, data)

    window_log = driver.log()
    assert "Starting Upload Process" in window_log.splitlines()
    lines = uploading_lines(window_log)
    assert [(number, total) for number, total, _ in lines] == [("1", "3"), ("2", "3"), ("3", "3")]
    # The wav slot comes before the dss slot.
    assert {name for _, _, name in lines[:2]} == {"short.wav", "long.wav"} and lines[2][2] == "memo.dss"
    assert window_log.count(".. Done.\r\n\r\n") == 3
    log_file = program.read_log_file()
    assert "UPLOADing 3 files\r\n" in log_file
    for name in files:
        assert re.search(r"^\[[ \d]\d:[ \d]\d:[ \d]\d\] - %s Transferred\r$" % re.escape(name), log_file, re.MULTILINE)

    # Done files are never sent again.
    assert driver.tick()
    assert wait_for_cycles(program, 2) == [AUTO_DOWNLOAD_OFF] * 2
    assert len(service.state()["uploads"]) == len(state["uploads"])
    assert driver.log().endswith("No File to Upload\r\n%s\r\n" % AUTO_DOWNLOAD_OFF)
    assert dialog_watcher.stop() == []


def test_a_report_not_accepted_leaves_the_file_due_and_the_next_cycle_sends_it_again(
        prefix, program, driver, service, dialog_watcher):
    data = wave_bytes(2.5)
    prefix.write_file(SOURCE + "note.wav", data)
    service_profile(service, sources=[(SOURCE, "wav")]).write(prefix)
    service.set(reject_reports=True)
    program.start_and_wait()
    assert wait_for_cycles(program, 1) == [AUTO_DOWNLOAD_OFF]

    state = service.state()
    assert uploaded(service, state) == {remote_name("note.wav"): data}
    assert [(r["file"], r["accepted"]) for r in state["reports"]] == [(remote_name("note.wav"), False)]
    assert_due(prefix, driver, SOURCE, "note.wav")

    service.set(reject_reports=False)
    assert driver.tick()
    assert wait_for_cycles(program, 2) == [AUTO_DOWNLOAD_OFF] * 2
    state = service.state()
    assert put_names(state) == [remote_name("note.wav")] * 2
    assert [(r["file"], r["accepted"]) for r in state["reports"]] == [(remote_name("note.wav"), False),
                                                                      (remote_name("note.wav"), True)]
    assert_done(prefix, driver, SOURCE, "note.wav", data)
    # Each put is logged as transferred, the refused one included.
    assert len(re.findall(r"\] - note\.wav Transferred\r\n", program.read_log_file())) == 2
    assert dialog_watcher.stop() == []


@pytest.mark.time_limit(200)
def test_a_cut_transfer_leaves_that_file_and_the_later_ones_due(prefix, program, driver, service,
                                                                dialog_watcher):
    # One slot each, so that the order is fixed: a small file, one too big to pass the
    # cut, and a small one that would pass if it were tried.
    small, big, last = wave_bytes(2.5), wave_bytes(12.4), dss_bytes()
    slots = [("C:\\dictation\\one\\", "wav", "small.wav", small),
             ("C:\\dictation\\two\\", "wav", "big.wav", big),
             ("C:\\dictation\\three\\", "dss", "last.dss", last)]
    for directory, _, name, data in slots:
        prefix.write_file(directory + name, data)
    service_profile(service, sources=[(directory, extension) for directory, extension, _, _ in slots]).write(prefix)
    service.set(ftp_cut_after=(len(small) + len(big)) // 2)
    program.start_and_wait()
    assert wait_for_cycles(program, 1, timeout=150) == [AUTO_DOWNLOAD_OFF]

    state = service.state()
    assert uploaded(service, state) == {remote_name("small.wav"): small}
    assert remote_name("last.dss") not in put_names(state), "the pass went on after a failed put"
    assert UPLOAD_FAIL in program.status_history()
    assert UPLOAD_FAIL + "\r\n\r\n" in driver.log()
    assert UPLOAD_FAIL + "\r\n\r\n" in program.read_log_file()
    assert_done(prefix, driver, "C:\\dictation\\one\\", "small.wav", small)
    for directory, _, name, _ in slots[1:]:
        assert_due(prefix, driver, directory, name)

    service.set(ftp_cut_after=0)
    assert driver.tick()
    assert wait_for_cycles(program, 2, timeout=150) == [AUTO_DOWNLOAD_OFF] * 2
    state = service.state()
    assert uploaded(service, state) == {remote_name(name): data for _, _, name, data in slots}
    assert put_names(state).count(remote_name("small.wav")) == 1
    for directory, _, name, data in slots:
        assert_done(prefix, driver, directory, name, data)
    assert dialog_watcher.stop() == []


def test_a_file_held_open_for_writing_is_skipped_and_sent_once_closed(prefix, program, driver, service,
                                                                      dialog_watcher):
    recording, other = dss_bytes(3000), dss_bytes(4000)
    prefix.write_file(SOURCE + "recording.dss", recording)
    prefix.write_file(SOURCE + "other.dss", other)
    service_profile(service, sources=[(SOURCE, "dss")]).write(prefix)
    recorder = driver.hold_open(SOURCE + "recording.dss")
    try:
        program.start_and_wait()
        assert wait_for_cycles(program, 1) == [AUTO_DOWNLOAD_OFF]

        in_use = "recording.dss is in use, will attempt later."
        assert in_use in driver.log().splitlines()
        assert in_use + "\r\n" in program.read_log_file()
        state = service.state()
        assert put_names(state) == [remote_name("other.dss")]
        assert_due(prefix, driver, SOURCE, "recording.dss")
        assert_done(prefix, driver, SOURCE, "other.dss", other)

        # The recorder finishes the file; only the finished file is sent.
        recorder.release(b"-final words")
    finally:
        recorder.close()
    assert driver.tick()
    assert wait_for_cycles(program, 2) == [AUTO_DOWNLOAD_OFF] * 2
    finished = recording + b"-final words"
    assert uploaded(service, service.state()) == {remote_name("other.dss"): other,
                                                  remote_name("recording.dss"): finished}
    assert_done(prefix, driver, SOURCE, "recording.dss", finished)
    assert dialog_watcher.stop() == []


@pytest.mark.parametrize("failure, switches, profile_fields, final_status", [
    pytest.param("wrong password", {}, {"password": "wrong"}, INVALID_AUTHOR, id="wrong password"),
    pytest.param("web host down", {"web_host_down": True}, {}, NO_INTERNET, id="web host down"),
    pytest.param("FTP logins refused", {"ftp_refuse_logins": True}, {}, AUTO_DOWNLOAD_OFF, id="FTP logins refused"),
])
def test_a_failure_before_the_transfer_touches_no_file(prefix, program, driver, service, dialog_watcher,
                                                       failure, switches, profile_fields, final_status):
    data = wave_bytes(2.5)
    prefix.write_file(SOURCE + "waiting.wav", data)
    service_profile(service, sources=[(SOURCE, "wav")], **profile_fields).write(prefix)
    if switches:
        service.set(**switches)
    program.start_and_wait()
    assert wait_for_cycles(program) == [final_status]

    if failure == "FTP logins refused":
        history = program.status_history()
        attempts = ["Connecting to %s (Attempt %d of 5)" % (FTP_HOST, n) for n in range(1, 6)]
        assert [text for text in history if text.startswith("Connecting to ")] == attempts
        assert "Failed to connect to server" in history
        assert history.index(attempts[-1]) < history.index("Failed to connect to server")
    assert driver.status() == final_status
    state = service.state()
    assert state["uploads"] == [] and requests_for(state, REPORT_PATH) == []
    assert_due(prefix, driver, SOURCE, "waiting.wav")
    assert prefix.read_file(SOURCE + "waiting.wav") == data
    assert dialog_watcher.stop() == []


def test_exit_during_a_cycle_removes_the_icon_at_once_and_ends_between_files(prefix, program, driver,
                                                                              service, dialog_watcher):
    for number in range(1, 4):
        prefix.write_file(SOURCE + "queued%d.dss" % number, dss_bytes(2000 + number))
    service_profile(service, sources=[(SOURCE, "dss")]).write(prefix)
    # Slow answers keep the cycle busy with its first file when Exit comes.
    service.set(delay_ms=3000)
    process = program.start_and_wait()
    assert driver.wait_log("1 of 3 Uploading ", 30)

    assert driver.command("exit")
    assert driver.tray_icon_count(0, wait=2) == 0
    assert driver.run("hidden").ok or driver.run("gone").ok
    assert process.wait(30) is not None
    # The cycle stopped after its first file at the latest.
    assert len(service.state()["uploads"]) <= 1
    dialog_watcher.stop()


class Immutable:
    """A file whose attributes nobody may change, as on a share whose access list
    denies it: Wine's SetFileAttributes then fails with access denied."""

    def __init__(self, path):
        self.path = path

    def set(self, on):
        result = subprocess.run(["chattr", "+i" if on else "-i", self.path], capture_output=True)
        return result.returncode == 0


@pytest.mark.time_limit(240)
def test_a_file_that_cannot_be_marked_read_only_is_sent_once_and_again_only_when_changed(
        prefix, program, driver, service, dialog_watcher):
    data, plain = wave_bytes(2.5), wave_bytes(1.0)
    prefix.write_file(SOURCE + "kept.wav", data)
    prefix.write_file(SOURCE + "plain.wav", plain)
    service_profile(service, sources=[(SOURCE, "wav")]).write(prefix)
    kept = Immutable(prefix.unix_path(SOURCE + "kept.wav"))
    if not kept.set(True):
        pytest.skip("chattr +i is not allowed here (needs root and a file system with the immutable flag)")
    told_window = "kept.wav could not be marked read-only, kept in Tarnwick.sent.txt."
    told_file = (SOURCE + "kept.wav could not be marked read-only; it is kept in Tarnwick.sent.txt instead and "
                 "is not sent again while it is unchanged.")
    record_path = os.path.join(prefix.unix_path(program.workdir), "Tarnwick.sent.txt")

    def record_lines():
        with open(record_path, "rb") as record:
            return [line for line in record.read().decode("cp1252").split("\r\n") if line and line[0] != "#"]

    try:
        process = program.start_and_wait()
        assert wait_for_cycles(program, 1) == [AUTO_DOWNLOAD_OFF]
        assert uploaded(service, service.state()) == {remote_name("kept.wav"): data, remote_name("plain.wav"): plain}
        assert_done(prefix, driver, SOURCE, "plain.wav", plain)
        assert driver.attributes(SOURCE + "kept.wav") == "writable"
        assert prefix.read_file(SOURCE + "tessaro\\kept.wav") == data
        assert told_window in driver.log().splitlines()
        [line] = record_lines()
        path, size, written, remote = line.split("\t")
        assert (path, size, remote) == (SOURCE + "kept.wav", str(len(data)), remote_name("kept.wav"))
        assert re.fullmatch(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{7} UTC", written)

        # Unchanged, it is not sent again, neither by the next cycle nor after a restart.
        assert driver.tick()
        assert wait_for_cycles(program, 2) == [AUTO_DOWNLOAD_OFF] * 2
        assert driver.command("exit")
        assert process.wait(30) is not None
        process = program.start_and_wait()
        assert wait_for_cycles(program, 3) == [AUTO_DOWNLOAD_OFF] * 3
        assert put_names(service.state()).count(remote_name("kept.wav")) == 1
        assert "No File to Upload" in program.status_history()
        assert program.read_log_file().count(told_file + "\r\n") == 1
        assert told_window not in driver.log()  # the window log of the new process

        # Changed, it is due again: sent whole and recorded anew.
        assert kept.set(False)
        with open(kept.path, "ab") as recording:
            recording.write(b"-more")
        assert kept.set(True)
        assert driver.tick()
        assert wait_for_cycles(program, 4) == [AUTO_DOWNLOAD_OFF] * 4
        assert put_names(service.state()).count(remote_name("kept.wav")) == 2
        assert uploaded(service, service.state())[remote_name("kept.wav")] == data + b"-more"
        assert told_window in driver.log().splitlines()
        assert program.read_log_file().count(told_file + "\r\n") == 2
        [line] = record_lines()
        assert line.split("\t")[1] == str(len(data) + 5)
    finally:
        kept.set(False)
    assert dialog_watcher.stop() == []
