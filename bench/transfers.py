"""200 MB each way, the program's transfer code against curl, on the same FTP server."""

import os
import re
import subprocess
import time

from server_timeline import transfer_seconds


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


def _same_bytes(expected, actual):
    # A fast transfer that moved the wrong bytes proves nothing.
    if subprocess.run(["cmp", "-s", expected, actual]).returncode != 0:
        raise RuntimeError("%s differs from %s" % (actual, expected))


def _fsync(path):
    descriptor = os.open(path, os.O_RDONLY)
    try:
        os.fsync(descriptor)
    finally:
        os.close(descriptor)


def run(service, prefix, bench_exe, work, megabytes, rounds):
    """{(direction, who, clock): [seconds per round]}; direction "upload" or "download",
    who "curl" or "program", clock "server" (command to final reply) or "client"."""
    source = os.path.join(work, "source.bin")
    with open(source, "wb") as out:
        for _ in range(megabytes):
            out.write(os.urandom(1 << 20))
    upload_dir = "/%s/dravouploads" % service.domain
    upload_tree = os.path.join(service.root, "ftp", "upload", service.domain, "dravouploads")
    pending = os.path.join(service.root, "ftp", "download", service.source_dir.strip("/"))
    ftp = "ftp://%%s@127.0.0.1:%d" % service.ftp_port
    times = {}

    def record(key, seconds):
        times.setdefault(key, []).append(seconds)

    for number in range(1, rounds + 1):
        curl_down, program_down = "curl-down-%d.bin" % number, "program-down-%d.bin" % number
        for name in (curl_down, program_down):
            os.link(source, os.path.join(pending, name))  # one copy, a name per transfer
        received = os.path.join(work, "received.bin")

        start = time.monotonic()
        subprocess.run(["curl", "-sS", "--fail", "-T", source,
                        "%s%s/curl-up-%d.bin" % (ftp % "dravos:brinotaxe4", upload_dir, number)], check=True)
        record(("upload", "curl", "client"), time.monotonic() - start)
        _same_bytes(source, os.path.join(upload_tree, "curl-up-%d.bin" % number))

        # The program flushes a received file before it moves it into place; curl's
        # file is flushed too, inside its time.
        start = time.monotonic()
        subprocess.run(["curl", "-sS", "--fail", "-o", received,
                        "%s%s/%s" % (ftp % "dravodn:quendil", service.source_dir, curl_down)], check=True)
        _fsync(received)
        record(("download", "curl", "client"), time.monotonic() - start)
        _same_bytes(source, received)
        os.remove(received)

        result = prefix.run([bench_exe, str(service.ftp_port), upload_dir + "/", windows_path(source),
                             "program-up-%d.bin" % number, "%s/%s" % (service.source_dir, program_down),
                             windows_path(received)], timeout=300)
        output = result.stdout.decode("ascii", "replace")
        if result.returncode != 0:
            raise RuntimeError("transfer_bench failed: %s %s" % (output, result.stderr.decode("ascii", "replace")))
        for direction in ("upload", "download"):
            seconds = re.search(r"^%s \d+ ([\d.]+)" % direction, output, re.MULTILINE).group(1)
            record((direction, "program", "client"), float(seconds))
        _same_bytes(source, os.path.join(upload_tree, "program-up-%d.bin" % number))
        _same_bytes(source, received)
        os.remove(received)

        events = service.ftp_timeline()
        for key, command in ((("upload", "curl"), "STOR curl-up-%d.bin" % number),
                             (("download", "curl"), "RETR %s" % curl_down),
                             (("upload", "program"), "STOR program-up-%d.bin" % number),
                             (("download", "program"), "RETR %s/%s" % (service.source_dir, program_down))):
            record(key + ("server",), transfer_seconds(events, command))
        for name in ("curl-up-%d.bin" % number, "program-up-%d.bin" % number):
            os.remove(os.path.join(upload_tree, name))
        for name in (curl_down, program_down):
            os.remove(os.path.join(pending, name))
    os.remove(source)
    return times
