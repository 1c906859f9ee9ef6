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
from full_cycle import CYCLE_END, prepare, summary as cycle_summary  # noqa: E402
from program import Driver, Program  # noqa: E402
from scenario import AUTHOR, PASSWORD, wait_for_status_count  # noqa: E402
from standin_client import StandIn  # noqa: E402
from wine_prefix import WinePrefix  # noqa: E402


def say(text):
    print("\n== " + text, flush=True)


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

        say("Making a fresh Wine prefix and writing the profile")
        prefix.create().start()
        download_ids = prepare(service, prefix, poll_time=1)

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
