"""Reads the parts of a Windows shortcut (.lnk) that say what it starts and where.

The layout is the Shell Link binary format: a fixed header, an optional item id list,
an optional link info block with the target's local path, then counted strings.
"""

import struct
from dataclasses import dataclass

HEADER_SIZE = 0x4C
HAS_ID_LIST, HAS_LINK_INFO, HAS_NAME, HAS_RELATIVE_PATH = 0x01, 0x02, 0x04, 0x08
HAS_WORKING_DIR, HAS_ARGUMENTS, HAS_ICON_LOCATION, IS_UNICODE = 0x10, 0x20, 0x40, 0x80
# The link info block holds a volume id and a local base path.
LOCAL_PATH = 0x01


@dataclass
class ShellLink:
    target: str = None
    working_dir: str = None
    arguments: str = None
    icon_location: str = None
    description: str = None


def read_shell_link(data):
    if len(data) < HEADER_SIZE or struct.unpack_from("<I", data)[0] != HEADER_SIZE:
        raise ValueError("not a shortcut")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    offset = HEADER_SIZE
    if flags & HAS_ID_LIST:
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    link = ShellLink()
    if flags & HAS_LINK_INFO:
        link.target = _local_path(data, offset)
        offset += struct.unpack_from("<I", data, offset)[0]
    unicode = bool(flags & IS_UNICODE)
    for flag, name in ((HAS_NAME, "description"), (HAS_RELATIVE_PATH, None), (HAS_WORKING_DIR, "working_dir"),
                       (HAS_ARGUMENTS, "arguments"), (HAS_ICON_LOCATION, "icon_location")):
        if flags & flag:
            text, offset = _counted_string(data, offset, unicode)
            if name:
                setattr(link, name, text)
    return link


def _local_path(data, start):
    header_size, info_flags = struct.unpack_from("<II", data, start + 4)
    if not info_flags & LOCAL_PATH:
        return None
    base, _, suffix = struct.unpack_from("<III", data, start + 16)
    if header_size >= 0x24:
        wide_base, wide_suffix = struct.unpack_from("<II", data, start + 28)
        if wide_base:
            return _wide_z(data, start + wide_base) + _wide_z(data, start + wide_suffix)
    return _ansi_z(data, start + base) + _ansi_z(data, start + suffix)


def _ansi_z(data, at):
    return data[at:data.index(b"\0", at)].decode("cp1252")


def _wide_z(data, at):
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")


def _counted_string(data, at, unicode):
    count = struct.unpack_from("<H", data, at)[0]
    size = count * 2 if unicode else count
    raw = data[at + 2:at + 2 + size]
    # Wine counts and writes a terminating zero; Windows does neither.
    return raw.decode("utf-16-le" if unicode else "cp1252").rstrip("\0"), at + 2 + size
