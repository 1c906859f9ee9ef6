"""One unattended cycle of Tarnwick.exe against the stand-in service, told step by step.

The program starts hidden in the notification area, uploads two recordings and a
document from its source folder, reports them, archives them and marks them done,
then downloads what the service holds for the author. The window is opened at the
end and a screenshot of it is saved beside the build.
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


def say(text):
    print("\n== " + text, flush=True)


def main(build_dir):
    work = os.path.join(build_dir, "demo")
    shutil.rmtree(os.path.join(work, "service"), ignore_errors=True)
    os.makedirs(work, exist_ok=True)
    xvfb = None
    display = os.environ.get("DISPLAY")
    if not display:
        xvfb = PrivateXvfb()
        display = xvfb.start()
    prefix = WinePrefix(os.path.join(work, "prefix"), display)
    service = None
    program = None
    try:
        say("Starting the stand-in service on 127.0.0.1")
        service = StandIn(os.path.join(work, "service"), authors={AUTHOR: PASSWORD},
                          domain="127.0.0.1", web_host="localhost", lifetime=600).start()
        print("HTTP port %d, FTP port %d" % (service.http_port, service.ftp_port))
        service.add_download(AUTHOR, "Letter to Dr Mill.rtf", b"{\\rtf1 Dear Dr Mill}")
        service.add_download(AUTHOR, "report-0815.doc", os.urandom(20000))

        say("Making a fresh Wine prefix and writing the profile")
        prefix.create().start()
        prefix.reg_add(r"HKCU\Software\Wine\X11 Driver", "Managed", "N")
        service_profile(service, poll_time=1, auto_download=1,
                        sources=[(SOURCE, "wav"), (SOURCE, "dss")]).write(prefix)
        prefix.write_file(SOURCE + "visit-0412.wav", wave_bytes(2.5))
        prefix.write_file(SOURCE + "visit-0413.wav", wave_bytes(12.4))
        prefix.write_file(SOURCE + "dictation-77.dss", dss_bytes())

        say("Starting Tarnwick.exe: hidden, in the notification area; the first cycle starts after 1.5 s")
        driver = Driver(prefix, os.path.join(build_dir, "tarnwick_driver.exe"))
        program = Program(prefix, os.path.join(build_dir, "Tarnwick.exe"), driver)
        process = program.start_and_wait()
        watcher = driver.dialog_watcher()  # the media window's own error boxes, if any
        wait_for_status_count(program, "Tarnwick - Idle", timeout=120)
        watcher.stop()

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

        say("Local files")
        for name in ("visit-0412.wav", "visit-0413.wav", "dictation-77.dss"):
            print("%-20s %s" % (name, driver.attributes(SOURCE + name).strip()))
        download = os.path.join(prefix.drive_c, "dravos", "download")
        archive = os.path.join(prefix.drive_c, "Dictation", "tessaro")
        print("archive  :", sorted(os.listdir(archive)) if os.path.isdir(archive) else "none")
        print("downloads:", sorted(os.listdir(download)) if os.path.isdir(download) else "none")

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


if __name__ == "__main__":
    main(os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(TOP, "build", "win32")))
