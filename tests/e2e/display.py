"""The X display the program runs on: the run's own one, or a private Xvfb."""

import os
import select
import subprocess


class PrivateXvfb:
    """An Xvfb on a free display number, ended by its own PID; black_screen leaves the
    screen black where no window is, so that pictures can be cut to the windows."""

    def __init__(self, black_screen=False):
        self._process = None
        self.display = None
        self._background = ["-br"] if black_screen else []

    def start(self, timeout=20):
        read_end, write_end = os.pipe()
        try:
            # -displayfd lets the server pick a free display and tell us which one.
            self._process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"]
                + self._background,
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            os.close(write_end)
            write_end = None
            number = _read_line(read_end, timeout)
        finally:
            if write_end is not None:
                os.close(write_end)
            os.close(read_end)
        if not number.isdigit():
            self.stop()
            raise RuntimeError("Xvfb did not report a display")
        self.display = ":" + number
        return self

    def stop(self):
        if self._process and self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(10)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait(10)
        self._process = None


def _read_line(fd, timeout):
    text = b""
    while not text.endswith(b"\n"):
        ready, _, _ = select.select([fd], [], [], timeout)
        if not ready:
            break
        chunk = os.read(fd, 64)
        if not chunk:
            break
        text += chunk
    return text.decode("ascii", errors="replace").strip()
