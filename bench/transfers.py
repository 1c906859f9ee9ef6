"""200 MB each way, the program's transfer code against curl, on the same FTP server,
in clear or under TLS as the transport says."""

import os
import re
import subprocess
import time

from server_timeline import transfer_seconds
from transport import windows_path


def _same_bytes(expected, actual):
    # A fast transfer that moved the wrong bytes proves nothing.
    if subprocess.run(["cmp", "-s", expected, actual]).returncode != 0:
        raise RuntimeError("%s differs from %s" % (actual, expected))


def _check_and_remove(expected, copy, finished=True):
    """Compares a finished transfer's copy with its source; removes whatever is there."""
    if finished:
        _same_bytes(expected, copy)
    if os.path.exists(copy):
        os.remove(copy)


def _fsync(path):
    descriptor = os.open(path, os.O_RDONLY)
    try:
        os.fsync(descriptor)
    finally:
        os.close(descriptor)


def run(transport, service, prefix, bench_exe, work, megabytes, rounds):
    """{(direction, who, clock): [seconds per round, None where the program's transfer
    failed]}; direction "upload" or "download", who "curl" or "program", clock "server"
    (command to final reply) or "client"; and what the program said of each failure."""
    source = os.path.join(work, "source.bin")
    with open(source, "wb") as out:
        for _ in range(megabytes):
            out.write(os.urandom(1 << 20))
    upload_dir = "/%s/dravouploads" % service.domain
    upload_tree = os.path.join(service.root, "ftp", "upload", service.domain, "dravouploads")
    pending = os.path.join(service.root, "ftp", "download", service.source_dir.strip("/"))
    curl = ["curl", "-sS", "--fail"] + transport.curl_ftp_options(service)
    times = {}
    failures = []

    def record(key, seconds):
        times.setdefault(key, []).append(seconds)

    def program(direction, arguments):
        """One transfer through transfer_bench.exe; whether it finished."""
        result = prefix.run([bench_exe, str(service.ftp_port), upload_dir + "/", windows_path(source)] + arguments +
                            transport.bench_arguments(service), timeout=300)
        output = result.stdout.decode("ascii", "replace")
        # A transfer the program could not finish is shown as failed, with what it said,
        # rather than end the run: the other figures still tell something.
        found = re.search(r"^%s \d+ ([\d.]+)" % direction, output, re.MULTILINE)
        record((direction, "program", "client"), float(found.group(1)) if found else None)
        if result.returncode != 0:
            failures.append("round %d: %s" % (number, " ".join(result.stderr.decode("ascii", "replace").split())))
        return found is not None

    # Each transfer writes its 200 MB into memory that the one before it has just
    # freed: the copy it made is checked and removed before the next one starts.
    # Memory that stays free for a while goes back to the host of a virtual machine,
    # and writing into it again costs several times as much (see README.md), so a
    # fixed order would time one side's writes into returned memory and the other's
    # into memory just freed.
    for number in range(1, rounds + 1):
        curl_down, program_down = "curl-down-%d.bin" % number, "program-down-%d.bin" % number
        for name in (curl_down, program_down):
            os.link(source, os.path.join(pending, name))  # one copy, a name per transfer
        received = os.path.join(work, "received.bin")
        done = {}

        start = time.monotonic()
        subprocess.run(curl + ["-T", source, "%s%s/curl-up-%d.bin" % (
            transport.ftp_url(service, "dravos:brinotaxe4"), upload_dir, number)], check=True)
        record(("upload", "curl", "client"), time.monotonic() - start)
        _check_and_remove(source, os.path.join(upload_tree, "curl-up-%d.bin" % number))

        done["upload"] = program("upload", ["program-up-%d.bin" % number, "-", windows_path(received)])
        _check_and_remove(source, os.path.join(upload_tree, "program-up-%d.bin" % number), done["upload"])

        # The program flushes a received file before it moves it into place; curl's
        # file is flushed too, inside its time.
        start = time.monotonic()
        subprocess.run(curl + ["-o", received, "%s%s/%s" % (
            transport.ftp_url(service, "dravodn:quendil"), service.source_dir, curl_down)], check=True)
        _fsync(received)
        record(("download", "curl", "client"), time.monotonic() - start)
        _check_and_remove(source, received)

        done["download"] = program("download", ["-", "%s/%s" % (service.source_dir, program_down),
                                                windows_path(received)])
        _check_and_remove(source, received, done["download"])

        events = service.ftp_timeline()
        for key, command in ((("upload", "curl"), "STOR curl-up-%d.bin" % number),
                             (("download", "curl"), "RETR %s" % curl_down),
                             (("upload", "program"), "STOR program-up-%d.bin" % number),
                             (("download", "program"), "RETR %s/%s" % (service.source_dir, program_down))):
            finished = key[1] == "curl" or done[key[0]]
            record(key + ("server",), transfer_seconds(events, command) if finished else None)
        for name in (curl_down, program_down):
            os.remove(os.path.join(pending, name))
    os.remove(source)
    return times, failures
