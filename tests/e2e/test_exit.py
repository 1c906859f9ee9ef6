"""Exit and the end of a session are prompt in every state of a cycle, even when the
service has stopped answering, and whatever they interrupt stays to be done again."""

import re

import pytest

from recordings import wave_bytes
from scenario import AUTHOR, service_profile
from waiting import wait_until

SOURCE = "C:\\dictation\\"
DOWNLOADS = "C:\\dravos\\download\\"
TEMPORARY = "C:\\dravos\\Tarnwick.download"
TITLE = "Dravos Upload Ulkin"
# The longest time Exit may take, from the request until the process is gone.
EXIT_MILLISECONDS = 2000

# state: (what the cycle has to do, the switch that holds it there, how the program is ended)
STATES = {
    "probe": ("nothing", {"hang": "probe"}, "menu"),
    "author check": ("nothing", {"hang": "authorverify"}, "menu"),
    "login attempt": ("upload", {"hang": "login"}, "menu"),
    "put in progress": ("upload", {"hang": "put"}, "menu"),
    "report": ("upload", {"hang": "copywav"}, "menu"),
    "download list": ("download", {"hang": "tarnwickdload"}, "menu"),
    "get in progress": ("download", {"hang": "get"}, "menu"),
    "confirmation": ("download", {"hang": "drdlsuccess"}, "menu"),
    # The report cannot reach the service: the cycle's "No Network Access." box is open
    # on the frame, which Exit closes; the cycle went on without waiting for it.
    "message box": ("upload", {"drop_script": "copywav"}, "menu"),
    "logoff during a put": ("upload", {"hang": "put"}, "session"),
}


def reached(service, driver, switches):
    if "hang" in switches:
        return switches["hang"] in service.state()["switches"]["hung"]
    if driver.dialogs(TITLE):
        return True
    # Wine now and then takes a reset connection for an empty answer instead of a
    # failure, and the cycle ends without its box; the file is still due, so the
    # next cycle tries again (a tick while a cycle runs changes nothing).
    driver.tick()
    return False


@pytest.mark.parametrize("state", list(STATES))
def test_ends_within_two_seconds_and_leaves_the_interrupted_work_undone(prefix, program, driver, service, state):
    work, switches, how = STATES[state]
    recording, older = wave_bytes(1.0), b"the copy from an earlier download"
    if work == "upload":
        prefix.write_file(SOURCE + "memo.wav", recording)
    if work == "download":
        service.add_download(AUTHOR, "news.wav", recording)
        prefix.write_file(DOWNLOADS + "news.wav", older)
    service.set(**switches)
    service_profile(service, sources=[(SOURCE, "wav")], auto_download=int(work == "download")).write(prefix)
    process = program.start_and_wait()
    wait_until(lambda: reached(service, driver, switches), 60, "the cycle to wait at the %s" % state)

    result = driver.run("timed-exit", how, wait=40)
    assert result.ok, result.text
    ended = re.search(r"ENDED (\d+) CODE (\w+)", result.text)
    milliseconds = int(ended.group(1))
    assert milliseconds <= EXIT_MILLISECONDS, "%s: Exit took %d ms" % (state, milliseconds)
    # The process leaves through its message loop's normal end, never by force.
    assert ended.group(2) == "0", "%s: the process ended with code %s" % (state, ended.group(2))
    assert process.wait(10) is not None

    # Nothing is reported or confirmed: the service never answered, or never heard.
    assert service.state()["reports"] == []
    assert service.state()["confirmations"] == []
    if work == "upload":
        # Still due: writable, not archived; the next cycle sends it again.
        assert driver.attributes(SOURCE + "memo.wav") == "writable"
        assert prefix.read_file(SOURCE + "tessaro\\memo.wav") is None
    if work == "download":
        # A file arrives whole or not at all; only the confirmation waits for later.
        arrived = state == "confirmation"
        assert prefix.read_file(DOWNLOADS + "news.wav") == (recording if arrived else older)
    if state == "get in progress":
        # A new start is a first instance, and its download pass clears away whatever
        # the cut download left behind before it fetches the file again.
        service.set(hang="")
        program.start_and_wait()
        wait_until(lambda: service.state()["confirmations"], 60, "the download's confirmation")
        assert prefix.read_file(DOWNLOADS + "news.wav") == recording
        assert prefix.read_file(TEMPORARY) is None
        assert driver.dialogs(TITLE) == []
