"""The scan of 10 source folders of 2,000 files each through the real program, and
the idle program's CPU time between ticks."""

import os
import time

from scenario import requests_for, wait_for_requests

FOLDERS = 10
FILES_PER_FOLDER = 2000
VERIFY_PATH = "/dravos/authorverify.php"
LIST_PATH = "/dravos/tarnwickdload.php"


def _make_done_files(prefix):
    """Ten slots full of files that are done (read-only), as a long-used machine has
    them: the scan reads them all and lists none."""
    slots = []
    for folder in range(1, FOLDERS + 1):
        windows = "C:\\bench\\scan%02d\\" % folder
        directory = prefix.unix_path(windows)
        os.makedirs(directory, exist_ok=True)
        for index in range(FILES_PER_FOLDER):
            path = os.path.join(directory, "recording%04d.dss" % index)
            with open(path, "wb") as out:
                out.write(b"x")
            os.chmod(path, 0o444)
        slots.append((windows, "dss"))
    return slots


def scan_seconds(service, rounds, program):
    """Server seconds from the author verification to the download-list request, which
    the cycle sends right after the scan (and an upload pass with nothing to do)."""
    seconds = []
    for number in range(1, rounds + 1):
        if number == 1:
            program.start()
        else:
            time.sleep(1)  # the end of the last cycle; a tick during one is not taken
            program.tick()
        state = wait_for_requests(service, LIST_PATH, number, timeout=300)
        verify = requests_for(state, VERIFY_PATH)[-1]["time"]
        listed = requests_for(state, LIST_PATH)[-1]["time"]
        seconds.append(listed - verify)
    return seconds


def program_pid(prefix):
    """The PID of Tarnwick.exe running in this prefix."""
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as cmdline:
                if b"Tarnwick.exe" not in cmdline.read():
                    continue
            with open("/proc/%s/environ" % entry, "rb") as environ:
                if ("WINEPREFIX=" + prefix.path).encode() not in environ.read().split(b"\0"):
                    continue
        except OSError:
            continue
        return int(entry)
    raise RuntimeError("Tarnwick.exe is not running in %s" % prefix.path)


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def idle_cpu(prefix, seconds):
    """CPU seconds the program used while it waited `seconds` for its next tick."""
    pid = program_pid(prefix)
    time.sleep(2)  # the end of the last cycle
    before = cpu_seconds(pid)
    time.sleep(seconds)
    return cpu_seconds(pid) - before


def prepare(service, prefix, transport):
    """The scan's profile, reached as the transport says (the upload pass before it may
    have written another transport's "Service" section)."""
    transport.profile(service, sources=_make_done_files(prefix), auto_download=1).write(prefix)
