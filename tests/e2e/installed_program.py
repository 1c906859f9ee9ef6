"""The installed program in a test's prefix: where the installer puts things, and the
processes of the installed copy."""

import os
import re
import struct
from dataclasses import dataclass

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick"
# The signature of the fixed part of a version block.
FIXED_FILE_INFO = struct.pack("<I", 0xFEEF04BD)


def project_version():
    """The version written in the top CMakeLists.txt, the one place it is kept."""
    with open(os.path.join(REPO, "CMakeLists.txt")) as cmake:
        return re.search(r"project\(Tarnwick VERSION ([0-9.]+)", cmake.read()).group(1)


def file_version(exe_bytes):
    """The file version of a program's version block, as "a.b.c.d"."""
    at = exe_bytes.index(FIXED_FILE_INFO)
    most, least = struct.unpack_from("<II", exe_bytes, at + 8)
    return "%d.%d.%d.%d" % (most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF)


@dataclass
class Places:
    """Windows paths of what the installer makes for the prefix's user."""

    local_app_data: str
    app_data: str

    @classmethod
    def of(cls, prefix):
        echoed = prefix.run(["cmd", "/c", "echo", "%LOCALAPPDATA%;%APPDATA%"]).stdout.decode("cp1252")
        local, roaming = echoed.strip().split(";")
        return cls(local, roaming)

    @property
    def install_dir(self):
        return self.local_app_data + "\\Programs\\Tarnwick"

    @property
    def program(self):
        return self.install_dir + "\\Tarnwick.exe"

    @property
    def uninstaller(self):
        return self.install_dir + "\\Uninstall.exe"

    @property
    def data_dir(self):
        return self.local_app_data + "\\Tarnwick"

    @property
    def menu_shortcut(self):
        return self.app_data + "\\Microsoft\\Windows\\Start Menu\\Programs\\Tarnwick.lnk"

    @property
    def startup_shortcut(self):
        # Wine's spelling of the Startup folder.
        return self.app_data + "\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\Tarnwick.lnk"


def running_copies(prefix, windows_path):
    """Linux PIDs of the processes in the prefix that run the program at windows_path."""
    pids = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as cmdline:
                program = cmdline.read().split(b"\0")[0].decode("cp1252", errors="replace")
            with open("/proc/%s/environ" % entry, "rb") as environ:
                in_prefix = b"WINEPREFIX=" + prefix.path.encode() in environ.read().split(b"\0")
        except OSError:  # ended meanwhile, or not ours to read
            continue
        if in_prefix and program.lower() == windows_path.lower():
            pids.append(int(entry))
    return pids


def has_ended(pid):
    """True when the process is gone or only waits to be reaped (a zombie)."""
    try:
        with open("/proc/%d/stat" % pid) as stat:
            return stat.read().rpartition(")")[2].split()[0] == "Z"
    except OSError:
        return True
