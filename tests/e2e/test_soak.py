"""The soak: eighty cycles in a row of the real program, each forced by a timer message,
each with a fault drawn at random from the stand-in's switches, new recordings and new
downloads appearing between cycles. After every cycle the invariants of invariants.py
hold; at the end the program's memory, handles and window-system objects, as Windows
reports them for its process and as Linux sees the Wine process, are within 10% of
their values after the fifth cycle. The seed is printed; TARNWICK_SOAK_SEED repeats a run."""

import os
import random
import subprocess

import pytest

from invariants import download_violations, is_read_only, upload_violations
from recordings import dss_bytes, wave_bytes
from scenario import AUTHOR, service_profile
from waiting import wait_until

CYCLES = 80
BASELINE_CYCLE = 5
SLOTS = [("C:\\soak\\wav\\", "wav"), ("C:\\soak\\dss\\", "dss")]
# One fault per cycle; None is a cycle without one.
FAULTS = [
    None,
    {"reject_reports": True},
    {"script_error": "copywav"},
    {"script_error": "tarnwickdload"},
    {"ftp_refuse_logins": True},
    {"ftp_cut_after": 1500},
    {"ftp_drop_after_login": True},
    {"ftp_drop_put_after": 1500},
    {"web_host_down": True},
    {"delay_ms": 300},
]
ALL_OFF = {"reject_reports": 0, "script_error": "", "ftp_refuse_logins": 0, "ftp_cut_after": 0,
           "ftp_drop_after_login": 0, "ftp_drop_put_after": 0, "web_host_down": 0, "delay_ms": 0}
CYCLE_START = "Polling Started ..."
# Status texts after which a cycle with automatic download on does nothing more.
FINAL_TEXTS = ("Tarnwick - Idle", "No Internet Access", "DL-ERROR: CFiles", "No Files to Download")
DOWNLOAD_PASS = "Starting Download Process"
NO_CONNECTION = "Failed to connect to server"


def cycle_ended(texts):
    """Whether the status texts of one cycle (from its start on) show its end."""
    if not texts:
        return False
    last = texts[-1]
    return last in FINAL_TEXTS or (last == NO_CONNECTION and DOWNLOAD_PASS in texts)


def run_one_cycle(program, driver):
    """Forces one cycle by the poll timer's message and waits for its end."""
    started = program.status_history().count(CYCLE_START)
    for _ in range(20):
        assert driver.tick()
        try:
            wait_until(lambda: program.status_history().count(CYCLE_START) > started, 3, "a new cycle")
            break
        except AssertionError:
            continue  # the last cycle was still ending: that tick only showed the busy icon
    else:
        raise AssertionError("no tick started cycle %d" % (started + 1))

    def ended():
        # Should a second tick have started another cycle after all, its end is awaited too.
        texts = program.status_history()
        last_start = max(i for i, text in enumerate(texts) if text == CYCLE_START)
        return cycle_ended(texts[last_start + 1:])

    wait_until(ended, 120, "the end of cycle %d" % (started + 1))


def linux_process(prefix):
    """The Linux PID of the Wine process that runs Tarnwick.exe in this prefix."""
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as cmdline, open("/proc/%s/environ" % pid, "rb") as environ:
                if b"Tarnwick.exe" in cmdline.read() and \
                        ("WINEPREFIX=%s" % prefix.path).encode() in environ.read().split(b"\0"):
                    return int(pid)
        except OSError:
            continue
    raise AssertionError("no Linux process runs Tarnwick.exe in %s" % prefix.path)


def resources(driver, prefix, display):
    """What the program holds, from both sides."""
    windows = driver.resources()
    pid = linux_process(prefix)
    with open("/proc/%d/status" % pid) as status:
        rss_kb = next(int(line.split()[1]) for line in status if line.startswith("VmRSS:"))
    tree = subprocess.run(["xwininfo", "-root", "-tree", "-display", display], capture_output=True, text=True,
                          timeout=30, check=True).stdout
    return {"windows working set": windows["working_set"], "windows pagefile bytes": windows["pagefile"],
            "windows private bytes": windows["private"], "windows handles": windows["handles"],
            "windows GDI objects": windows["gdi"], "windows USER objects": windows["user"],
            "linux RSS kB": rss_kb, "linux open fds": len(os.listdir("/proc/%d/fd" % pid)),
            "X windows": sum(1 for line in tree.splitlines() if line.strip().startswith("0x"))}


@pytest.mark.time_limit(300)
def test_soak(prefix, program, driver, service, display):
    seed = int(os.environ.get("TARNWICK_SOAK_SEED") or random.randrange(1 << 32))
    print("soak seed:", seed)
    chooser = random.Random(seed)
    sources, listed = {}, {}
    service_profile(service, sources=SLOTS, auto_download=1).write(prefix)
    service.set(**ALL_OFF)
    program.start_and_wait()
    # The first cycle comes by itself, 1.5 s after the start; it is cycle 0.
    wait_until(lambda: cycle_ended(program.status_history()), 60, "the first cycle")

    faults = []
    for cycle in range(1, CYCLES + 1):
        # New work between cycles: a recording in one slot, a download at the service.
        name = "r%02d.%s" % (cycle, "wav" if cycle % 2 else "dss")
        path = SLOTS[cycle % 2 == 0][0] + name
        sources[path] = wave_bytes(0.2 + cycle % 3 * 0.1) if cycle % 2 else dss_bytes(1000 + 37 * cycle)
        prefix.write_file(path, sources[path])
        download = "d%02d.txt" % cycle
        listed[download] = ("download %d\r\n" % cycle).encode() * (40 + 5 * cycle)
        service.add_download(AUTHOR, download, listed[download])

        fault = chooser.choice(FAULTS)
        faults.append(fault)
        service.set(**dict(ALL_OFF, **(fault or {})))
        run_one_cycle(program, driver)
        service.set(**ALL_OFF)

        state = service.state()
        problems = upload_violations(prefix, service, state, sources) + download_violations(prefix, state, listed, {})
        assert not problems, "after cycle %d (fault %r, seed %d): %s" % (cycle, fault, seed, problems)
        if cycle == BASELINE_CYCLE:
            baseline = resources(driver, prefix, display)

    final = resources(driver, prefix, display)
    # With the faults gone, two cycles finish everything that is still due or listed.
    for cycle in range(2):
        run_one_cycle(program, driver)
    state = service.state()
    assert upload_violations(prefix, service, state, sources) + download_violations(prefix, state, listed, {}) == []
    assert all(is_read_only(prefix, path) for path in sources), "files still due after two clean cycles"
    assert all(download["confirmed"] for download in state["downloads"]), "downloads still pending"

    print("faults:", ", ".join(",".join("%s=%s" % item for item in fault.items()) if fault else "none"
                               for fault in faults))
    print("resources after cycle %d: %s" % (BASELINE_CYCLE, baseline))
    print("resources after cycle %d: %s" % (CYCLES, final))
    grown = {key: (baseline[key], final[key]) for key in baseline
             if abs(final[key] - baseline[key]) > 0.10 * baseline[key]}
    assert not grown, "beyond 10%% of the values after cycle %d: %s" % (BASELINE_CYCLE, grown)
