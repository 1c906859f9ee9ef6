"""A file is marked done only when the service holds exactly what is marked, and a
name the code page cannot hold is told to the author instead of failing every cycle."""

import os
import stat

import pytest

from recordings import dss_bytes, wave_bytes
from scenario import AUTO_DOWNLOAD_OFF, requests_for, service_profile, wait_for_cycles
from test_upload import (REPORT_PATH, SOURCE, UPLOAD_FAIL, assert_done, assert_due, put_names, remote_name,
                         uploaded)
from waiting import wait_until


def test_a_name_the_code_page_cannot_hold_is_told_once_per_cycle_and_the_pass_goes_on(
        prefix, program, driver, service, dialog_watcher):
    lossy = "\u0141\u00f3d\u017a.wav"      # Ł and ź have no place in code page 1252
    fitting = "M\u00fcller \u00e9t\u00e9.wav"  # all in code page 1252
    files = {lossy: wave_bytes(2.5), fitting: wave_bytes(2.5), "plain.wav": wave_bytes(2.5)}
    for name, data in files.items():
        prefix.write_file(SOURCE + name, data)
    service_profile(service, sources=[(SOURCE, "wav")]).write(prefix)
    program.start_and_wait()
    assert wait_for_cycles(program, 1) == [AUTO_DOWNLOAD_OFF]
    assert driver.tick()
    assert wait_for_cycles(program, 2) == [AUTO_DOWNLOAD_OFF] * 2

    shown = "?\u00f3d?.wav"  # as the code page has it
    told_window = "Name not in this system's code page, rename to upload: " + shown
    told_file = SOURCE + shown + " cannot be read under its name in this system's code page and must be " \
                                 "renamed to be uploaded."
    # The window tells it in every cycle, the log file once a day.
    assert driver.log().splitlines().count(told_window) == 2
    assert program.read_log_file().splitlines().count(told_file) == 1
    assert UPLOAD_FAIL not in driver.log()
    assert "is in use" not in driver.log()

    state = service.state()
    assert uploaded(service, state) == {remote_name(fitting): files[fitting],
                                        remote_name("plain.wav"): files["plain.wav"]}
    assert all(report["accepted"] for report in state["reports"])
    for name in (fitting, "plain.wav"):
        assert_done(prefix, driver, SOURCE, name, files[name])
    # The unreadable file is left as it was: writable, not archived.
    assert os.stat(prefix.unix_path(SOURCE + lossy)).st_mode & stat.S_IWUSR
    assert prefix.read_file(SOURCE + "tessaro\\" + lossy) is None
    assert dialog_watcher.stop() == []


def test_a_file_changed_between_put_and_mark_stays_due_and_is_sent_again_whole(
        prefix, program, driver, service, dialog_watcher):
    first = dss_bytes(3000)
    prefix.write_file(SOURCE + "growing.dss", first)
    service_profile(service, sources=[(SOURCE, "dss")]).write(prefix)
    # A slow report leaves time to change the file after its put.
    service.set(delay_ms=4000)
    program.start_and_wait()
    wait_until(lambda: put_names(service.state()) == [remote_name("growing.dss")], 60, "the put")
    # Written from outside Wine, which no Windows sharing rule holds back.
    with open(prefix.unix_path(SOURCE + "growing.dss"), "ab") as recorder:
        recorder.write(b"-more words")
    assert wait_for_cycles(program, 1) == [AUTO_DOWNLOAD_OFF]

    changed = "growing.dss changed after it was sent, will attempt later."
    assert changed in driver.log().splitlines()
    assert changed + "\r\n" in program.read_log_file()
    assert [report["accepted"] for report in service.state()["reports"]] == [True]
    assert driver.attributes(SOURCE + "growing.dss") == "writable"

    service.set(delay_ms=0)
    assert driver.tick()
    assert wait_for_cycles(program, 2) == [AUTO_DOWNLOAD_OFF] * 2
    whole = first + b"-more words"
    assert uploaded(service, service.state()) == {remote_name("growing.dss"): whole}
    assert_done(prefix, driver, SOURCE, "growing.dss", whole)
    assert dialog_watcher.stop() == []


@pytest.mark.parametrize("switches, held", [
    pytest.param({"ftp_put_refusal": "451 Local error in processing."}, False, id="refused after the data"),
    pytest.param({"ftp_store_truncated": True}, False, id="stored cut short"),
    pytest.param({"ftp_no_size": True}, True, id="no SIZE command"),
])
def test_a_put_counts_only_when_the_server_holds_it_whole(prefix, program, driver, service, dialog_watcher,
                                                         switches, held):
    data = wave_bytes(2.5)
    prefix.write_file(SOURCE + "note.wav", data)
    service_profile(service, sources=[(SOURCE, "wav")]).write(prefix)
    service.set(**switches)
    program.start_and_wait()
    assert wait_for_cycles(program, 1) == [AUTO_DOWNLOAD_OFF]

    assert put_names(service.state()) == [remote_name("note.wav")]
    if held:
        # Without SIZE the transfer calls' own results decide, and they saw it through.
        assert_done(prefix, driver, SOURCE, "note.wav", data)
        assert dialog_watcher.stop() == []
        return
    assert UPLOAD_FAIL in program.status_history()
    assert UPLOAD_FAIL + "\r\n\r\n" in driver.log()
    assert requests_for(service.state(), REPORT_PATH) == []
    assert_due(prefix, driver, SOURCE, "note.wav")

    service.set(ftp_put_refusal="", ftp_store_truncated=False)
    assert driver.tick()
    assert wait_for_cycles(program, 2) == [AUTO_DOWNLOAD_OFF] * 2
    assert uploaded(service, service.state()) == {remote_name("note.wav"): data}
    assert_done(prefix, driver, SOURCE, "note.wav", data)
    assert dialog_watcher.stop() == []
