"""Tarnwick.exe as a user runs it: no status recorder or other hook of the
end-to-end tests inside it, so that only the program itself is measured."""

import os
import subprocess
import time

CYCLE_END = "Auto Download is off"


class RealProgram:
    def __init__(self, prefix, exe, driver, workdir):
        self.prefix = prefix
        self.exe = exe
        self.driver = driver
        self.workdir = workdir
        self._process = None

    def start(self, timeout=60):
        """Starts the program and waits until its frame has hidden itself."""
        unix_workdir = self.prefix.unix_path(self.workdir)
        os.makedirs(unix_workdir, exist_ok=True)
        with open(os.path.join(unix_workdir, "wine-output.txt"), "ab") as output:
            self._process = self.prefix.popen([self.exe], cwd=unix_workdir, stdin=subprocess.DEVNULL,
                                              stdout=output, stderr=output)
        if not self.driver.wait_hidden(timeout):
            raise RuntimeError("the program did not start within %s s" % timeout)

    def tick(self):
        if not self.driver.tick():
            raise RuntimeError("the program did not take the tick")

    def wait_until(self, done, timeout, what):
        """Waits for done() and then for the status text that ends a cycle whose
        automatic download is off."""
        deadline = time.monotonic() + timeout
        while not (done() and self.driver.status().strip() == CYCLE_END):
            if time.monotonic() > deadline:
                raise RuntimeError("waited %s s in vain for %s" % (timeout, what))
            time.sleep(0.2)

    def stop(self):
        if self._process and self._process.poll() is None:
            self._process.kill()
            self._process.wait(10)
