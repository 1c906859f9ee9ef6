"""The download half of a poll cycle: the files the service lists for the author land
in C:\\dravos\\download and each one that arrived is confirmed; nothing else is written."""

import os

from recordings import dss_bytes, wave_bytes
from scenario import (AUTHOR, AUTO_DOWNLOAD_OFF, DOMAIN, PASSWORD, SUPPORT_EMAIL, host_of, requests_for,
                      service_profile, wait_for_cycles, wait_for_status_count)

DOWNLOADS = "C:\\dravos\\download\\"
PASS_END = "Tarnwick - Idle"
LIST_PATH = "/dravos/tarnwickdload.php"
CONFIRM_PATH = "/dravos/drdlsuccess.php"


def confirmed_ids(state):
    return sorted(r["fileid"] for r in state["confirmations"] if r["matched"])


def test_listed_files_land_in_the_download_directory_and_only_those_found_are_confirmed(
        prefix, program, driver, service, dialog_watcher):
    first, third = wave_bytes(2.5), dss_bytes()
    first_id = service.add_download(AUTHOR, "first.wav", first)
    missing_id = service.add_download(AUTHOR, "second.wav", missing=True)
    third_id = service.add_download(AUTHOR, "third note.dss", third)
    # A local file of a listed name is replaced.
    prefix.write_file(DOWNLOADS + "first.wav", b"an older first.wav")
    service_profile(service, auto_download=1).write(prefix)
    program.start_and_wait()
    wait_for_status_count(program, PASS_END, 1)

    assert prefix.read_file(DOWNLOADS + "first.wav") == first
    assert prefix.read_file(DOWNLOADS + "third note.dss") == third
    assert prefix.read_file(DOWNLOADS + "second.wav") is None
    assert sorted(os.listdir(prefix.unix_path(DOWNLOADS))) == ["first.wav", "third note.dss"]

    state = service.state()
    assert confirmed_ids(state) == sorted([first_id, third_id])
    assert missing_id not in [r["fileid"] for r in state["confirmations"]]
    assert [(d["fileid"], d["confirmed"]) for d in state["downloads"]] == [
        (first_id, True), (missing_id, False), (third_id, True)]
    listing, confirmations = requests_for(state, LIST_PATH), requests_for(state, CONFIRM_PATH)
    assert [(host_of(r), r["query"]) for r in listing] == [
        (DOMAIN, "author=%s&drupw=%s" % (AUTHOR, PASSWORD))]
    assert sorted((host_of(r), r["query"]) for r in confirmations) == sorted(
        (DOMAIN, "username=%s&drupw=%s&fileid=%s" % (AUTHOR, PASSWORD, fileid)) for fileid in (first_id, third_id))

    window_log = driver.log().splitlines()
    for number, name in enumerate(["first.wav", "second.wav", "third note.dss"], 1):
        assert "%d of 3 Downloading %s" % (number, name) in window_log
    not_found = "second.wav not found on Server. Please inform " + SUPPORT_EMAIL
    assert not_found in window_log
    log_file = program.read_log_file()
    assert "DOWNLOADing 3 files\r\n" in log_file
    assert not_found + "\r\n" in log_file
    assert "] - first.wav Transferred\r\n" in log_file and "] - third note.dss Transferred\r\n" in log_file
    assert driver.status() == PASS_END
    assert dialog_watcher.stop() == []


def test_a_hostile_download_name_writes_nothing_outside_the_download_directory(
        prefix, program, driver, service, dialog_watcher):
    good = b"a plain file\r\n"
    good_id = service.add_download(AUTHOR, "good.txt", good, fileid="904")
    hostile = ["..\\escape1.txt", "../escape2.txt", "C:\\escape3.txt"]
    # Put each hostile name where an uploader that trusted it would find it on the
    # server, so that only the uploader's own check can keep it out.
    download_home = os.path.join(service.root, "ftp", "download")
    for path in (os.path.join(download_home, "pending", "..\\escape1.txt"),
                 os.path.join(download_home, "escape2.txt"),
                 os.path.join(download_home, "pending", "C:\\escape3.txt")):
        with open(path, "wb") as out:
            out.write(b"must not arrive")
    entries = hostile + ["good.txt"]
    listing = "countoffiles=%d<br>\nSourceDir=/pending<br>\n" % len(entries)
    for number, name in enumerate(entries, 1):
        fileid = good_id if name == "good.txt" else str(900 + number)
        listing += 'file_%d="%s"<br>\nfileid_%d=%s<br>\n' % (number, name, number, fileid)
    service.override_script("tarnwickdload", listing)
    service_profile(service, auto_download=1).write(prefix)

    before = files_outside_the_download_directory(prefix)
    program.start_and_wait()
    wait_for_status_count(program, PASS_END, 1)

    assert files_outside_the_download_directory(prefix) == before
    assert os.listdir(prefix.unix_path(DOWNLOADS)) == ["good.txt"]
    assert prefix.read_file(DOWNLOADS + "good.txt") == good
    # Only the good file was confirmed; the hostile ones were never claimed as arrived.
    assert [r["params"]["fileid"] for r in requests_for(service.state(), CONFIRM_PATH)] == [good_id]
    log_file = program.read_log_file()
    for name in hostile:
        assert name in log_file, "no message names %r" % name
    assert dialog_watcher.stop() == []


def files_outside_the_download_directory(prefix):
    """Files on drive C that neither Wine itself, the program's working directory nor
    the download directory account for."""
    ignored = {os.path.join(prefix.drive_c, part) for part in ("windows", "users", "ProgramData", "work")}
    ignored.add(prefix.unix_path(DOWNLOADS))
    found = set()
    for directory, subdirectories, names in os.walk(prefix.drive_c):
        subdirectories[:] = [d for d in subdirectories if os.path.join(directory, d) not in ignored]
        found.update(os.path.join(directory, name) for name in names)
    return found


def test_with_auto_download_off_the_cycle_ends_after_the_upload_part(prefix, program, driver, service):
    service.add_download(AUTHOR, "waiting.wav", wave_bytes(1.0))
    service_profile(service, auto_download=0).write(prefix)
    program.start_and_wait()
    assert wait_for_cycles(program) == [AUTO_DOWNLOAD_OFF]

    history = program.status_history()
    assert history.index("No File to Upload") < history.index(AUTO_DOWNLOAD_OFF)
    assert driver.log() == "No File to Upload\r\n%s\r\n" % AUTO_DOWNLOAD_OFF
    state = service.state()
    assert requests_for(state, LIST_PATH) == []
    assert not os.path.exists(prefix.unix_path(DOWNLOADS + "waiting.wav"))


def test_a_cut_download_keeps_the_file_that_was_there_and_is_fetched_again_later(
        prefix, program, driver, service, dialog_watcher):
    old, new = b"the copy that was already here", wave_bytes(12.4)
    fileid = service.add_download(AUTHOR, "keep.wav", new)
    prefix.write_file(DOWNLOADS + "keep.wav", old)
    service.set(ftp_cut_after=len(new) // 4)
    service_profile(service, auto_download=1).write(prefix)
    program.start_and_wait()
    wait_for_status_count(program, PASS_END, 1)

    assert prefix.read_file(DOWNLOADS + "keep.wav") == old
    assert os.listdir(prefix.unix_path(DOWNLOADS)) == ["keep.wav"], "a partial file was left behind"
    assert service.state()["confirmations"] == []
    failures = [text for text in program.status_history() if text.startswith("Download Fail - ")]
    assert len(failures) == 1 and failures[0].endswith(", Please inform %s.\r\n" % SUPPORT_EMAIL)
    assert failures[0] + "\r\n" in program.read_log_file()
    # The window log's line buffer may shorten the text, never change it.
    shown = [line for line in driver.log().splitlines() if line.startswith("Download Fail - ")]
    assert len(shown) == 1 and failures[0].startswith(shown[0])

    service.set(ftp_cut_after=0)
    assert driver.tick()
    wait_for_status_count(program, PASS_END, 2)
    assert prefix.read_file(DOWNLOADS + "keep.wav") == new
    assert confirmed_ids(service.state()) == [fileid]
    assert dialog_watcher.stop() == []
