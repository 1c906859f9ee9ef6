"""The program under test and the driver that reads and operates its windows."""

import os
import subprocess
import tempfile
import time
from dataclasses import dataclass

from wine_prefix import WineError

LOG_FILE = "Tarnwick.log"


@dataclass
class DriverResult:
    ok: bool
    text: str


@dataclass
class Dialog:
    caption: str
    texts: list

    @property
    def text(self):
        return "\n".join(self.texts)


def parse_dialogs(text):
    dialogs = []
    for line in text.splitlines():
        if line.startswith("DIALOG "):
            caption, *texts = line[len("DIALOG "):].split("\t")
            dialogs.append(Dialog(caption, [t.replace("\\n", "\n") for t in texts]))
    return dialogs


class Driver:
    """tarnwick_driver.exe, run in the program's prefix (see its usage text)."""

    def __init__(self, prefix, exe):
        self.prefix = prefix
        self.exe = exe

    def run(self, *args, wait=0.0):
        result = self.prefix.run([self.exe, "--wait", str(wait)] + list(args), timeout=wait + 30)
        if result.returncode not in (0, 1):
            raise WineError("driver %s failed (%d): %s" % (args, result.returncode,
                                                          result.stderr.decode("cp1252", "replace")))
        return DriverResult(result.returncode == 0, result.stdout.decode("cp1252", errors="replace"))

    # --- reading

    def log(self):
        return self.run("log").text

    def status(self):
        return self.run("status").text

    def wait_log(self, text, timeout):
        """True once the window log contains text."""
        return self.run("log-contains", text, wait=timeout).ok

    def wait_hidden(self, timeout):
        return self.run("hidden", wait=timeout).ok

    def wait_visible(self, timeout):
        return self.run("visible", wait=timeout).ok

    def tray_icon_count(self, expected, wait=0.0):
        """The number of notification-area icons, after waiting for it to be expected."""
        return int(self.run("tray-icons", str(expected), wait=wait).text.strip() or -1)

    def dialogs(self, caption="*", wait=0.0):
        return parse_dialogs(self.run("dialog", caption, wait=wait).text)

    def press_ok(self, caption, wait=0.0):
        """Presses OK on the program's dialog with caption; returns the dialogs seen."""
        return parse_dialogs(self.run("press-ok", caption, wait=wait).text)

    def windows_version(self):
        """The Windows version the running program was started under, as a tuple
        (major, minor, build); None when the driver cannot read it."""
        result = self.run("windows-version")
        return tuple(int(part) for part in result.text.split(".")) if result.ok else None

    def supported_os(self, exe):
        """The GUIDs of the Windows versions that the manifest of the executable at the
        Linux path exe declares supported, as Windows reads them; None when it cannot."""
        result = self.run("supported-os", "Z:" + exe.replace("/", "\\"))
        return result.text.split() if result.ok else None

    def attributes(self, windows_path):
        """"readonly" or "writable"; None when the file does not exist."""
        result = self.run("attributes", windows_path)
        return result.text.split()[-1] if result.ok else None

    # --- operating

    def tick(self):
        return self.run("tick", wait=10).ok

    def command(self, name):
        """open, exit, configuration, about, close-window, or close (the close box)."""
        return self.run(name, wait=10).ok

    def tray_double_click(self):
        return self.run("tray-double-click", wait=10).ok

    # --- controls of the program's dialogs, by the dialog's caption and the control's id

    def control_text(self, caption, control_id, wait=10.0):
        """The control's text; None when there is no such control."""
        result = self.run("text", caption, str(control_id), wait=wait)
        return result.text if result.ok else None

    def set_control_text(self, caption, control_id, text, wait=10.0):
        return self.run("set-text", caption, str(control_id), text, wait=wait).ok

    def checked(self, caption, control_id, wait=10.0):
        """True or False for a check box; None when there is no such control."""
        result = self.run("checked", caption, str(control_id), wait=wait)
        return result.text.strip() == "checked" if result.ok else None

    def click(self, caption, control_id, wait=10.0):
        return self.run("click", caption, str(control_id), wait=wait).ok

    def wait_focus(self, caption, control_id, timeout):
        """True once the control has the keyboard focus within its dialog."""
        return self.run("focus", caption, str(control_id), wait=timeout).ok

    # --- menus, picked by their keys as a user would

    def pick_main_menu(self, popup, item):
        """The command id of the item picked from the frame's menu bar; None when the
        item is not there or its pop-up did not open."""
        return _command_id(self.run("main-menu", popup, item, wait=10))

    def pick_tray_menu(self, item):
        """The command id of the item picked from the tray icon's menu; None when the
        item is not there or the menu did not open."""
        return _command_id(self.run("tray-menu", item, wait=10))

    def hold_open(self, windows_path):
        return FileHolder(self, windows_path)

    def lock(self, windows_path):
        """Keeps the file open with no sharing (created when missing) until .release()."""
        return FileLock(self, windows_path)

    def resources(self):
        """The program process's counters as Windows reports them: {pid, working_set,
        pagefile, private, handles, gdi, user}."""
        result = self.run("resources")
        if not result.ok:
            raise WineError("no process counters: %r" % result.text)
        return {key: int(value) for key, value in (pair.split("=") for pair in result.text.split())}

    def dialog_watcher(self):
        return DialogWatcher(self)


def _command_id(result):
    return int(result.text.split()[0]) if result.ok else None


def save_screenshot(display, path):
    """Saves the whole screen of the X display as a PNG file at path."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(["import", "-display", display, "-window", "root", path], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=30, check=True)


class BackgroundCommand:
    """A driver command that runs beside the program until it is sent a line.

    Its output goes to a file, for the reason given at WinePrefix.run.
    """

    def __init__(self, driver, args):
        self._output = tempfile.TemporaryFile()
        self._process = driver.prefix.popen([driver.exe] + list(args), stdin=subprocess.PIPE,
                                            stdout=self._output, stderr=subprocess.DEVNULL)

    def output(self):
        self._output.seek(0)
        return self._output.read().decode("cp1252", errors="replace")

    def wait_for_line(self, line, timeout=30):
        """Waits until the command has printed line; fails when it ends or times out first."""
        deadline = time.monotonic() + timeout
        while line not in self.output().splitlines():
            if self._process.poll() is not None or time.monotonic() > deadline:
                self.kill()
                raise WineError("driver printed %r instead of %r" % (self.output(), line))
            time.sleep(0.05)

    def finish(self, line=b"", timeout=30):
        """Sends the line that ends the command, waits for its end; returns its output."""
        if self._process.poll() is None:
            try:
                self._process.communicate(line + b"\n", timeout=timeout)
            except (subprocess.TimeoutExpired, BrokenPipeError):
                self.kill()
        return self.output()

    def kill(self):
        if self._process.poll() is None:
            self._process.kill()
            self._process.wait(10)


class FileHolder:
    """Keeps a file open for writing from a Windows process, as a recorder would."""

    def __init__(self, driver, windows_path):
        self._command = BackgroundCommand(driver, ["hold-open", windows_path])
        self._command.wait_for_line("HELD")

    def release(self, appended=b""):
        """Appends the bytes (one line's worth, no line break) and closes the file."""
        output = self._command.finish(appended)
        if "RELEASED" not in output.splitlines():
            raise WineError("file holder did not release: %r" % output)

    def close(self):
        self._command.kill()


class FileLock:
    """Keeps a file locked against every other opener, as another program may."""

    def __init__(self, driver, windows_path):
        self._command = BackgroundCommand(driver, ["lock", windows_path])
        self._command.wait_for_line("LOCKED")

    def release(self):
        if "RELEASED" not in self._command.finish().splitlines():
            raise WineError("file lock did not release")

    def close(self):
        self._command.kill()


class DialogWatcher:
    """Presses OK on every dialog the program shows while it runs; remembers them."""

    def __init__(self, driver):
        self._command = BackgroundCommand(driver, ["dismiss-dialogs"])
        self.dialogs = None

    def stop(self):
        """Ends the watcher; returns the dialogs it dismissed."""
        if self.dialogs is None:
            self.dialogs = parse_dialogs(self._command.finish())
        return self.dialogs


class StatusRecorder:
    """Has every status text of the program recorded while it runs (driver's record-status)."""

    def __init__(self, driver, record_path):
        self.record_path = record_path
        self._command = BackgroundCommand(driver, ["record-status"])
        self._command.wait_for_line("RECORDING")

    def texts(self):
        """Every status text so far, oldest first."""
        try:
            with open(self.record_path, "rb") as record:
                raw = record.read()
        except FileNotFoundError:
            return []
        return [text.decode("cp1252", errors="replace") for text in raw.split(b"\0")[:-1]]

    def stop(self):
        self._command.finish()


class Program:
    """Tarnwick.exe in one prefix, started in a working directory on drive C."""

    STATUS_RECORD = "status-history.bin"

    def __init__(self, prefix, exe, driver, workdir=r"C:\work"):
        self.prefix = prefix
        self.exe = exe
        self.driver = driver
        self.workdir = workdir
        self.processes = []
        self._recorder = None

    def read_log_file(self, workdir=None):
        path = os.path.join(self.prefix.unix_path(workdir or self.workdir), LOG_FILE)
        try:
            with open(path, "rb") as log:
                return log.read().decode("cp1252", errors="replace")
        except FileNotFoundError:
            return None

    def status_history(self):
        """Every text the status bar was given since the first start, oldest first."""
        return self._recorder.texts() if self._recorder else []

    def start(self, workdir=None):
        """Starts one more process of the program in workdir (a path on drive C)."""
        workdir = workdir or self.workdir
        unix_workdir = self.prefix.unix_path(workdir)
        os.makedirs(unix_workdir, exist_ok=True)
        # Every process records into the one file in the main working directory.
        record = self.workdir.rstrip("\\") + "\\" + self.STATUS_RECORD
        if self._recorder is None:
            # Before the program exists, so that no early text is missed.
            os.makedirs(self.prefix.unix_path(self.workdir), exist_ok=True)
            self._recorder = StatusRecorder(self.driver, self.prefix.unix_path(record))
        env = dict(self.prefix.env, TARNWICK_E2E_STATUS_FILE=record)
        with open(os.path.join(unix_workdir, "wine-output.txt"), "ab") as output:
            process = subprocess.Popen(["wine", self.exe], cwd=unix_workdir, env=env,
                                       stdin=subprocess.DEVNULL, stdout=output, stderr=output)
        self.processes.append(process)
        return process

    def start_and_wait(self, timeout=30):
        """Starts the program and waits until its frame has hidden itself."""
        process = self.start()
        if not self.driver.wait_hidden(timeout):
            raise AssertionError("the program's frame did not appear hidden within %s s (exit code %s)"
                                 % (timeout, process.poll()))
        return process

    def stop(self):
        """Ends every process this object started, by PID."""
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait(10)
        if self._recorder:
            self._recorder.stop()
