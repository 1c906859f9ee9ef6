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

    for number in range(1, rounds + 1):
        curl_down, program_down = "curl-down-%d.bin" % number, "program-down-%d.bin" % number
        for name in (curl_down, program_down):
            os.link(source, os.path.join(pending, name))  # one copy, a name per transfer
        received = os.path.join(work, "received.bin")

        start = time.monotonic()
        subprocess.run(curl + ["-T", source, "%s%s/curl-up-%d.bin" % (
            transport.ftp_url(service, "dravos:brinotaxe4"), upload_dir, number)], check=True)
        record(("upload", "curl", "client"), time.monotonic() - start)
        _same_bytes(source, os.path.join(upload_tree, "curl-up-%d.bin" % number))

        # The program flushes a received file before it moves it into place; curl's
        # file is flushed too, inside its time.
        start = time.monotonic()
        subprocess.run(curl + ["-o", received, "%s%s/%s" % (
            transport.ftp_url(service, "dravodn:quendil"), service.source_dir, curl_down)], check=True)
        _fsync(received)
        record(("download", "curl", "client"), time.monotonic() - start)
        _same_bytes(source, received)
        os.remove(received)

        result = prefix.run([bench_exe, str(service.ftp_port), upload_dir + "/", windows_path(source),
                             "program-up-%d.bin" % number, "%s/%s" % (service.source_dir, program_down),
                             windows_path(received)] + transport.bench_arguments(service), timeout=300)
        output = result.stdout.decode("ascii", "replace")
        # A transfer the program could not finish is shown as failed, with what it said,
        # rather than end the run: the other figures still tell something.
        program_done = {}
        for direction, local_path in (("upload", os.path.join(upload_tree, "program-up-%d.bin" % number)),
                                      ("download", received)):
            found = re.search(r"^%s \d+ ([\d.]+)" % direction, output, re.MULTILINE)
            program_done[direction] = found is not None
            record((direction, "program", "client"), float(found.group(1)) if found else None)
            if found:
                _same_bytes(source, local_path)
        if result.returncode != 0:
            failures.append("round %d: %s" % (number, " ".join(result.stderr.decode("ascii", "replace").split())))
        if os.path.exists(received):
            os.remove(received)

        events = service.ftp_timeline()
        for key, command in ((("upload", "curl"), "STOR curl-up-%d.bin" % number),
                             (("download", "curl"), "RETR %s" % curl_down),
                             (("upload", "program"), "STOR program-up-%d.bin" % number),
                             (("download", "program"), "RETR %s/%s" % (service.source_dir, program_down))):
            finished = key[1] == "curl" or program_done[key[0]]
            record(key + ("server",), transfer_seconds(events, command) if finished else None)
        for name in ("curl-up-%d.bin" % number, "program-up-%d.bin" % number):
            if os.path.exists(os.path.join(upload_tree, name)):
                os.remove(os.path.join(upload_tree, name))
        for name in (curl_down, program_down):
            os.remove(os.path.join(pending, name))
    os.remove(source)
    return times, failures
