"""One unattended cycle of Tarnwick.exe against the stand-in service, told step by step.

The program starts hidden in the notification area, uploads two recordings and a
document from its source folder, reports them, archives them and marks them done,
then downloads what the service holds for the author and confirms each download.
Everything goes encrypted: the program runs with encryption required and trusts
the stand-in's own certificate authority, and the stand-in requires TLS on FTP and
answers the web requests over HTTPS. The window is opened at the end and a
screenshot of it is saved beside the build. The demo ends with a summary of what the
cycle did and how much of it the stand-in saw encrypted, and exits with 1 unless it
did all of it and nothing went in clear.
"""

import os
import shutil
import subprocess
import sys
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path[:0] = [os.path.join(TOP, "tests", "e2e"), os.path.join(TOP, "service")]

from display import PrivateXvfb  # noqa: E402
from full_cycle import CYCLE_END, prepare, summary as cycle_summary  # noqa: E402
from program import Driver, Program  # noqa: E402
from scenario import AUTHOR, PASSWORD, TLS_HOST, named_service_values, wait_for_status_count  # noqa: E402
from standin_client import StandIn  # noqa: E402
from wine_prefix import WinePrefix  # noqa: E402


def say(text):
    print("\n== " + text, flush=True)


def encryption_line(seen):
    """(everything encrypted, the summary's line) from the stand-in's encryption summary."""
    counts = [(seen["ftp_sessions_encrypted"], seen["ftp_sessions"], "FTP sessions"),
              (seen["data_transfers_protected"], seen["data_transfers"], "data transfers"),
              (seen["web_requests_https"], seen["web_requests"], "web requests")]
    line = "Encrypted: %s (as the service saw them)." % ", ".join("%d of %d %s" % count for count in counts)
    return all(0 < total == encrypted for encrypted, total, _ in counts), line


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
        # Under the name its certificate carries: a verified connection needs a host name.
        service = StandIn(os.path.join(work, "service"), authors={AUTHOR: PASSWORD},
                          domain=TLS_HOST, web_host=TLS_HOST, lifetime=600).start()
        service.set(ftp_tls="required")
        print("HTTPS port %d, FTP port %d (TLS required), certificate authority %s"
              % (service.https_port, service.ftp_port, service.ca_file))

        say("Making a fresh Wine prefix and writing the profile: encryption required")
        prefix.create().start()
        download_ids = prepare(service, prefix, poll_time=1, service=named_service_values(service, 2))
        cycle_start = time.time()

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
        encrypted, encryption = encryption_line(service.encryption_summary(since=cycle_start))

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
    print(encryption)
    missing = [step for step, done, _ in summary if not done] + ([] if encrypted else ["everything encrypted"])
    print("\nThe cycle did all of it." if not missing else "\nThe cycle did not do all of it: " + ", ".join(missing))
    return 1 if missing else 0


if __name__ == "__main__":
    sys.exit(main(os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(TOP, "build", "win32"))))
