"""What must hold after every cycle, whatever went wrong in it: no file is lost or
changed, a file is marked done only when the server holds its identical copy, an
accepted report names it and its archive copy is identical, and a download is either
identical to the service's file, or the file that was there before, or absent.

Each check returns a list of the violations it found, so that a failing test names
every one of them at once."""

import os
import re
import stat

from scenario import AUTHOR, DOMAIN

DOWNLOADS = "C:\\dravos\\download\\"


def remote_name(name):
    return "%s_%s" % (AUTHOR, name)


def is_read_only(prefix, windows_path):
    """Wine keeps the read-only attribute as the file's missing write permission."""
    return not os.stat(prefix.unix_path(windows_path)).st_mode & (stat.S_IWUSR | stat.S_IWGRP | stat.S_IWOTH)


def server_copy(service, name):
    """The bytes the upload account holds under the remote name of name; None when none."""
    path = os.path.join(service.root, "ftp", "upload", DOMAIN, "dravouploads", remote_name(name))
    try:
        with open(path, "rb") as source:
            return source.read()
    except FileNotFoundError:
        return None


def archive_copies(prefix, directory, name):
    """The bytes of every copy of name in directory's archive: under its own name and
    under the numbered names ("a (2).wav") that keep an older copy of that name."""
    archive = prefix.unix_path(directory + "\\tessaro")
    stem, dot, extension = name.rpartition(".") if "." in name.lstrip(".") else (name, "", "")
    numbered = re.compile(r"^%s( \(\d+\))?%s$" % (re.escape(stem), re.escape(dot + extension)), re.IGNORECASE)
    names = os.listdir(archive) if os.path.isdir(archive) else []
    return [prefix.read_file(directory + "\\tessaro\\" + found) for found in names if numbered.match(found)]


def upload_violations(prefix, service, state, sources):
    """sources: {Windows path of a source file: the bytes it must still hold}."""
    accepted = {report["file"] for report in state["reports"] if report["accepted"]}
    problems = []
    for path, data in sources.items():
        directory, name = path.rsplit("\\", 1)
        if prefix.read_file(path) != data:
            problems.append("%s was lost or changed" % path)
            continue
        archived = data in archive_copies(prefix, directory, name)
        if not is_read_only(prefix, path):
            if archived:
                problems.append("%s is archived but not marked done" % path)
            continue
        if server_copy(service, name) != data:
            problems.append("%s is marked done but the server lacks its identical copy" % path)
        if remote_name(name) not in accepted:
            problems.append("%s is marked done without an accepted report" % path)
        if not archived:
            problems.append("%s is marked done without its identical archive copy" % path)
    return problems


def download_violations(prefix, state, listed, before):
    """listed: {name: the service's bytes}; before: {name: bytes there before the cycle}."""
    directory = prefix.unix_path(DOWNLOADS)
    present = sorted(os.listdir(directory)) if os.path.isdir(directory) else []
    problems = []
    for name in present:
        with open(os.path.join(directory, name), "rb") as source:
            data = source.read()
        if name not in listed and name not in before:
            problems.append("%s was written although nobody listed it" % name)
        elif data != listed.get(name) and data != before.get(name):
            problems.append("%s is neither the service's file nor the one that was there" % name)
    for name, data in before.items():
        if name not in present:
            problems.append("%s, there before the cycle, is gone" % name)
    for download in state["downloads"]:
        if download["confirmed"] and download["name"] in listed and (
                download["name"] not in present or
                prefix.read_file(DOWNLOADS + download["name"]) != listed[download["name"]]):
            problems.append("%s is confirmed without its identical copy here" % download["name"])
    return problems
