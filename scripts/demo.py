"""One unattended cycle of Tarnwick.exe against the stand-in service, told step by step.

The program starts hidden in the notification area, uploads two recordings and a
document from its source folder, reports them, archives them and marks them done,
then downloads what the service holds for the author and confirms each download.
The window is opened at the end and a screenshot of it is saved beside the build.
The demo ends with a summary of what the cycle did and exits with 1 unless it did
all of it.
"""

import os
import shutil
import subprocess
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path[:0] = [os.path.join(TOP, "tests", "e2e"), os.path.join(TOP, "service")]

from display import PrivateXvfb  # noqa: E402
from program import Driver, Program  # noqa: E402
from recordings import dss_bytes, wave_bytes  # noqa: E402
from scenario import AUTHOR, PASSWORD, service_profile, wait_for_status_count  # noqa: E402
from standin_client import StandIn  # noqa: E402
from wine_prefix import WinePrefix  # noqa: E402

SOURCE = "C:\\Dictation\\"
ARCHIVE = SOURCE + "tessaro\\"
DOWNLOADS = "C:\\dravos\\download\\"
# The recordings with the length in whole seconds the service is told about; the
# length of a document is 0.
RECORDINGS = {"visit-0412.wav": (wave_bytes(2.5), 3), "visit-0413.wav": (wave_bytes(12.4), 12),
              "dictation-77.dss": (dss_bytes(), 0)}
DOWNLOADS_HELD = {"Letter to Dr Mill.rtf": b"{\\rtf1 Dear Dr Mill}", "report-0815.doc": os.urandom(20000)}
CYCLE_END = "Tarnwick - Idle"


def say(text):
    print("\n== " + text, flush=True)


def cycle_summary(state, prefix, driver, download_ids):
    """(step, done, what was seen) for each thing the cycle has to do."""
    remote = {"%s_%s" % (AUTHOR, name): name for name in RECORDINGS}
    uploads = {remote[u["name"]]: u["size"] for u in state["uploads"] if u["complete"] and u["name"] in remote}
    reports = {remote[r["file"]]: r["length"] for r in state["reports"] if r["accepted"] and r["file"] in remote}
    archived = [name for name, (data, _) in RECORDINGS.items() if prefix.read_file(ARCHIVE + name) == data]
    read_only = [name for name in RECORDINGS if driver.attributes(SOURCE + name) == "readonly"]
    downloaded = [name for name, data in DOWNLOADS_HELD.items() if prefix.read_file(DOWNLOADS + name) == data]
    confirmed = sorted(c["fileid"] for c in state["confirmations"] if c["matched"])

    def listing(names):
        return ", ".join(sorted(names)) or "nothing"

    return [
        ("uploaded", uploads == {name: len(data) for name, (data, _) in RECORDINGS.items()},
         listing("%s (%d bytes)" % item for item in uploads.items())),
        ("reported with lengths", reports == {name: str(length) for name, (_, length) in RECORDINGS.items()},
         listing("%s %s s" % item for item in reports.items())),
        ("archived", len(archived) == len(RECORDINGS), listing(archived)),
        ("marked read-only", len(read_only) == len(RECORDINGS), listing(read_only)),
        ("downloaded", len(downloaded) == len(DOWNLOADS_HELD), listing(downloaded)),
        ("confirmed", confirmed == sorted(download_ids), listing("file id %s" % i for i in confirmed)),
    ]


def main(build_dir):
    work = os.path.join(build_dir, "demo")
    shutil.rmtree(os.path.join(work, "service"), ignore_errors=True)
    os.makedirs(work, exist_ok=True)
    xvfb = None
    display = os.environ.get("DISPLAY")
    if not display:
        xvfb = PrivateXvfb().start()
        display = xvfb.display
    prefix = WinePrefix(os.path.join(work, "prefix"), display)
    service = None
    program = None
    try:
        say("Starting the stand-in service on 127.0.0.1")
        service = StandIn(os.path.join(work, "service"), authors={AUTHOR: PASSWORD},
                          domain="127.0.0.1", web_host="localhost", lifetime=600).start()
        print("HTTP port %d, FTP port %d" % (service.http_port, service.ftp_port))
        download_ids = [service.add_download(AUTHOR, name, data) for name, data in DOWNLOADS_HELD.items()]

        say("Making a fresh Wine prefix and writing the profile")
        prefix.create().start()
        service_profile(service, poll_time=1, auto_download=1,
                        sources=[(SOURCE, "wav"), (SOURCE, "dss")]).write(prefix)
        for name, (data, _) in RECORDINGS.items():
            prefix.write_file(SOURCE + name, data)

        say("Starting Tarnwick.exe: hidden, in the notification area; the first cycle starts after 1.5 s")
        driver = Driver(prefix, os.path.join(build_dir, "tarnwick_driver.exe"))
        program = Program(prefix, os.path.join(build_dir, "Tarnwick.exe"), driver)
        process = program.start_and_wait()
        watcher = driver.dialog_watcher()  # the media window's own error boxes, if any
        try:
            wait_for_status_count(program, CYCLE_END, timeout=120)
        except AssertionError as timeout:
            print(timeout)
        for dialog in watcher.stop():
            print("dialog %r: %s" % (dialog.caption, dialog.text))

        say("Window log")
        print(driver.log())
        say("Status bar: " + driver.status())
        say("Tarnwick.log")
        print(program.read_log_file())

        state = service.state()
        say("What the service received")
        for upload in state["uploads"]:
            print("upload   %-32s %8d bytes" % (upload["name"], upload["size"]))
        for report in state["reports"]:
            print("report   %-32s length %s accepted %s" % (report["file"], report["length"], report["accepted"]))
        for confirmation in state["confirmations"]:
            print("confirmed file id", confirmation["fileid"])
        summary = cycle_summary(state, prefix, driver, download_ids)

        say("Opening the window from the tray and taking a screenshot")
        driver.command("open")
        driver.wait_visible(10)
        shot = os.path.join(work, "tarnwick-window.png")
        subprocess.run(["import", "-display", display, "-window", "root", shot], check=False, timeout=30)
        print("saved", shot)

        say("Exit from the tray menu")
        driver.command("exit")
        print("Tarnwick.exe ended with exit code", process.wait(30))
    finally:
        if program is not None:
            program.stop()
        if service is not None:
            service.stop()
        prefix.remove()
        if xvfb is not None:
            xvfb.stop()

    say("What the cycle did")
    for step, done, seen in summary:
        print("%-5s %-22s %s" % ("ok" if done else "FAIL", step, seen))
    missing = [step for step, done, _ in summary if not done]
    print("\nThe cycle did all of it." if not missing else "\nThe cycle did not do all of it: " + ", ".join(missing))
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main(os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(TOP, "build", "win32"))))
