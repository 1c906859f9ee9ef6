"""Wine prefixes for the end-to-end tests: one template per session, a copy per test.

Every wine command runs with the prefix's own environment, and a prefix is only
ever stopped through its own wineserver, so other prefixes on the machine (other
test runs, other developers' prefixes) are never touched.
"""

import os
import shutil
import subprocess
import tempfile

WINE_SETTINGS = {
    "WINEDEBUG": "-all",
    # Keeps Wine from offering to install its Mono and Gecko add-ons.
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
}


class WineError(RuntimeError):
    """A wine command failed or did not finish in time."""


class WinePrefix:
    def __init__(self, path, display):
        self.path = os.path.abspath(path)
        self.display = display

    @property
    def env(self):
        return dict(os.environ, WINEPREFIX=self.path, DISPLAY=self.display, **WINE_SETTINGS)

    @property
    def drive_c(self):
        return os.path.join(self.path, "drive_c")

    # --- life cycle

    def create(self, timeout=300):
        """Makes a fresh prefix with wineboot -i and waits until it is written out."""
        self.remove()
        os.makedirs(self.path)
        self._wine_tool(["wineboot", "-i"], timeout)
        # Without a window manager (Xvfb has none) Wine waits seconds for one to
        # acknowledge each hidden managed window.
        self.reg_add(r"HKCU\Software\Wine\X11 Driver", "Managed", "N")
        self._wine_tool(["wineserver", "-w"], timeout)
        if not os.path.isfile(os.path.join(self.path, "system.reg")):
            raise WineError("wineboot left no registry in %s" % self.path)
        return self

    def clone(self, path):
        """A copy of this (stopped) prefix at path, started (see start)."""
        clone = WinePrefix(path, self.display)
        clone.remove()
        subprocess.run(["cp", "-a", self.path, clone.path], check=True, timeout=120)
        return clone.start()

    def start(self, timeout=120):
        """Starts the prefix's wineserver, to run until stop, and Wine's own services.

        Otherwise the server and the services end a few seconds after the last program
        and start again, seconds later, with the next one: between every two wine
        commands of a test that are a little apart.
        """
        self._wine_tool(["wineserver", "-p"], timeout)
        self._wine_tool(["wine", "wineboot"], timeout)
        return self

    def stop(self, timeout=20):
        """Ends every process of this prefix through its own wineserver."""
        if not os.path.isdir(self.path):
            return
        for args in (["wineserver", "-k"], ["wineserver", "-w"]):
            try:
                subprocess.run(args, env=self.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=timeout)
            except subprocess.TimeoutExpired:
                pass

    def remove(self):
        self.stop()
        shutil.rmtree(self.path, ignore_errors=True)

    def set_windows_version(self, name):
        """Makes the prefix's programs run as that Windows version ("win7", "win10", ...)
        from their next start, as winecfg does: with the version the system reports and
        the registry's version values. A name this Wine does not know fails here, rather
        than leave the prefix at its default."""
        result = self.run(["winecfg", "-v", name], timeout=60)
        if result.returncode != 0:
            raise WineError("this Wine cannot be set to %r: %s" % (name, _text(result.stderr)))

    # --- running programs

    def run(self, args, timeout=30, cwd=None):
        """Runs `wine args...` to its end; returns the CompletedProcess (bytes).

        The output goes through files, not pipes: Wine may start a helper process (the
        desktop, for one) from any program, that helper inherits the program's output
        and lives on, and a pipe would then never reach its end.
        """
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            try:
                completed = subprocess.run(["wine"] + list(args), env=self.env, cwd=cwd,
                                           stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                           timeout=timeout)
            except subprocess.TimeoutExpired as error:
                raise WineError("wine %s did not finish within %s s" % (args, timeout)) from error
            out.seek(0)
            err.seek(0)
            completed.stdout, completed.stderr = out.read(), err.read()
        return completed

    def popen(self, args, cwd=None, **options):
        """Starts `wine args...`; the caller ends it by its PID. Give it no output
        pipe (see run)."""
        return subprocess.Popen(["wine"] + list(args), env=self.env, cwd=cwd, **options)

    def _wine_tool(self, args, timeout):
        try:
            subprocess.run(args, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=timeout, check=True)
        except (subprocess.TimeoutExpired, subprocess.CalledProcessError) as error:
            raise WineError("%s failed in %s: %s" % (args[0], self.path, error)) from error

    # --- paths

    def unix_path(self, windows_path):
        """The Linux path of a path on drive C (C:\\a\\b -> <prefix>/drive_c/a/b)."""
        drive, _, rest = windows_path.partition(":")
        if drive.upper() != "C":
            raise ValueError("only drive C lives in the prefix: %r" % windows_path)
        parts = [part for part in rest.split("\\") if part]
        return os.path.join(self.drive_c, *parts)

    def write_file(self, windows_path, data):
        path = self.unix_path(windows_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as out:
            out.write(data)

    def read_file(self, windows_path):
        """The file's bytes; None when it does not exist."""
        try:
            with open(self.unix_path(windows_path), "rb") as source:
                return source.read()
        except FileNotFoundError:
            return None

    # --- registry, through Wine's own reg.exe

    def reg_add(self, key, name, value):
        """Writes a REG_SZ (str) or REG_DWORD (int) value, creating the key."""
        if isinstance(value, bool) or not isinstance(value, (str, int)):
            raise TypeError("registry values are str or int, not %r" % (value,))
        kind, data = ("REG_DWORD", str(value)) if isinstance(value, int) else ("REG_SZ", value)
        result = self.run(["reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"])
        if result.returncode != 0:
            raise WineError("reg add %s\\%s failed: %s" % (key, name, _text(result.stderr)))

    def reg_query(self, key, name):
        """The value as str (REG_SZ) or int (REG_DWORD); None when it is missing."""
        values = self._reg_values(["reg", "query", key, "/v", name])
        return values.get(name) if values is not None else None

    def reg_values(self, key):
        """Every value of the key, name -> str or int; None when the key is missing."""
        return self._reg_values(["reg", "query", key])

    def _reg_values(self, query):
        result = self.run(query)
        if result.returncode != 0:
            return None
        values = {}
        for line in _text(result.stdout).splitlines():
            fields = line.strip().split("    ", 2)
            if len(fields) >= 2 and fields[1].startswith("REG_"):
                kind, data = fields[1], fields[2] if len(fields) == 3 else ""
                values[fields[0]] = int(data, 16) if kind == "REG_DWORD" else data
        return values


def _text(raw):
    return raw.decode("cp1252", errors="replace")
