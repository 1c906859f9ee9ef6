#!/usr/bin/python3
"""Runs every benchmark of the program side by side with curl against the stand-in
service, in clear and then with TLS on both sides, and prints the tables (see
bench/README.md). It is not a test: nothing here asserts a time.

    bench/run-bench [BUILD-DIR]

BENCH_MB (default 200), BENCH_ROUNDS (default 3) and BENCH_IDLE_SECONDS (default 60)
change the sizes.
"""

import argparse
import os
import platform
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
sys.path[:0] = [os.path.join(REPO, "tests", "e2e"), os.path.join(REPO, "service")]

from display import PrivateXvfb  # noqa: E402  (found through the path above)
from program import Driver  # noqa: E402
from scenario import AUTHOR, DOMAIN, PASSWORD, WEB_HOST  # noqa: E402
from standin_client import StandIn  # noqa: E402
from wine_prefix import WinePrefix  # noqa: E402

import scan_idle  # noqa: E402
import transfers  # noqa: E402
import upload_pass  # noqa: E402
from real_program import RealProgram  # noqa: E402
from transport import PLAIN, TLS  # noqa: E402


def median_and_spread(values):
    return statistics.median(values), min(values), max(values)


def print_table(title, header, rows):
    print("\n" + title)
    widths = [max(len(str(row[i])) for row in [header] + rows) for i in range(len(header))]
    for row in [header] + rows:
        print("  " + "  ".join(str(cell).ljust(w) if i == 0 else str(cell).rjust(w)
                               for i, (cell, w) in enumerate(zip(row, widths))))


def transfer_rows(times, megabytes):
    rows = []
    for direction in ("upload", "download"):
        for clock in ("server", "client"):
            rates = {}
            for who in ("curl", "program"):
                rates[who] = [megabytes / s for s in times[(direction, who, clock)] if s]
            cells = []
            for who in ("curl", "program"):
                if not rates[who]:
                    cells.append("failed")
                    continue
                middle, low, high = median_and_spread(rates[who])
                cells.append("%.0f (%.0f-%.0f)" % (middle, low, high))
            share = ("%.2f" % (statistics.median(rates["program"]) / statistics.median(rates["curl"]))
                     if rates["program"] else "-")
            rows.append(["%s, timed at the %s" % (direction, clock)] + cells + [share])
    return rows


def pass_rows(spans, curl_wall):
    rows = []
    for who in ("program", "curl"):
        middle, low, high = median_and_spread([1000 * s / upload_pass.FILES for s in spans[who]])
        rows.append(["%s, per file" % who, "%.0f (%.0f-%.0f)" % (middle, low, high)])
    share = statistics.median(spans["program"]) / statistics.median(spans["curl"])
    rows.append(["program / curl", "%.2f" % share])
    middle, low, high = median_and_spread([1000 * s / upload_pass.FILES for s in curl_wall])
    rows.append(["curl loop's own clock, per file", "%.0f (%.0f-%.0f)" % (middle, low, high)])
    return rows


def measure(transport, service, prefix, driver, build, work, megabytes, rounds, programs):
    """The transfers and the upload pass, both sides as the transport says; under TLS
    each part is checked to have gone under TLS throughout."""
    print("%s: %d MB each way, %d rounds ..." % (transport.name, megabytes, rounds), flush=True)
    since = time.time()
    times, failures = transfers.run(transport, service, prefix, os.path.join(build, "transfer_bench.exe"), work, megabytes,
                          rounds)
    transport.check_encrypted(service, since, "the %d MB transfers" % megabytes)

    print("%s: upload pass of %d files, %d rounds ..." % (transport.name, upload_pass.FILES, rounds), flush=True)
    since = time.time()
    programs.append(RealProgram(prefix, os.path.join(build, "Tarnwick.exe"), driver,
                                r"C:\work\pass-" + transport.name))
    spans, events, curl_wall = upload_pass.run(transport, service, prefix, programs[-1], rounds, work)
    programs[-1].stop()
    transport.check_encrypted(service, since, "the upload passes")
    return times, failures, spans, events, curl_wall


def print_measurements(title, results, megabytes, rounds):
    """The tables of one transport: the transfers, the upload pass and its split."""
    times, failures, spans, events, curl_wall = results
    print_table("%d MB %s, MB/s: median (lowest-highest) of %d rounds" % (megabytes, title["transfers"], rounds),
                ["", "curl", "program", "program / curl"], transfer_rows(times, megabytes))
    for failure in failures:
        print("  the program's transfer failed in " + failure)
    print_table("Upload pass of %d files of %d KB%s, ms per file from the first login to the last upload report "
                "(server clock), median (lowest-highest) of %d rounds" % (
                    upload_pass.FILES, upload_pass.FILE_BYTES // 1024, title["pass"], rounds),
                ["", "ms"], pass_rows(spans, curl_wall))
    print_table("Where a file's time goes%s: mean ms from the server's reply to the client's next command, "
                "and the mean length of the reply before the program's command" % title["pass"],
                ["", "program", "curl", "reply bytes"], upload_pass.gap_rows(events))


TITLES = {
    PLAIN: {"transfers": "over the stand-in FTP server on 127.0.0.1", "pass": ""},
    TLS: {"transfers": "over the stand-in FTP server with TLS on both connections (localhost, certificate verified)",
          "pass": " with TLS (the program in Encryption mode 2, curl with --ssl-reqd and https)"},
}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir", nargs="?", default=os.path.join(REPO, "build", "win32"))
    args = parser.parse_args()
    build = os.path.abspath(args.build_dir)
    megabytes = int(os.environ.get("BENCH_MB", "200"))
    rounds = int(os.environ.get("BENCH_ROUNDS", "3"))
    idle_seconds = float(os.environ.get("BENCH_IDLE_SECONDS", "60"))
    for name in ("transfer_bench.exe", "Tarnwick.exe", "tarnwick_driver.exe", "tarnwick_status_hook.dll"):
        if not os.path.isfile(os.path.join(build, name)):
            sys.exit("run-bench: %s is missing in %s; build it first" % (name, build))
    if not shutil.which("curl"):
        sys.exit("run-bench: curl is missing")

    started = time.monotonic()
    work = tempfile.mkdtemp(prefix="tarnwick-bench.")
    xvfb = PrivateXvfb().start()
    services = []
    prefix = WinePrefix(os.path.join(build, "bench-wine"), xvfb.display)
    programs = []
    results = {}

    def start_service(transport):
        services.append(transport.start_service(os.path.join(work, "service-" + transport.name),
                                                {AUTHOR: PASSWORD}, DOMAIN, WEB_HOST))
        return services[-1]

    try:
        print("making the Wine prefix ...", flush=True)
        prefix.create().start()
        driver = Driver(prefix, os.path.join(build, "tarnwick_driver.exe"))

        plain = start_service(PLAIN)
        results[PLAIN] = measure(PLAIN, plain, prefix, driver, build, work, megabytes, rounds, programs)
        results[TLS] = measure(TLS, start_service(TLS), prefix, driver, build, work, megabytes, rounds, programs)

        print("scan of %d x %d files, %d rounds, then %g s idle ..." % (
            scan_idle.FOLDERS, scan_idle.FILES_PER_FOLDER, rounds, idle_seconds), flush=True)
        scan_idle.prepare(plain, prefix, PLAIN)
        programs.append(RealProgram(prefix, os.path.join(build, "Tarnwick.exe"), driver, r"C:\work\scan"))
        scans = scan_idle.scan_seconds(plain, rounds, programs[-1])
        idle = scan_idle.idle_cpu(prefix, idle_seconds)
    finally:
        for program in programs:
            program.stop()
        prefix.remove()
        for service in services:
            service.stop()
        xvfb.stop()
        shutil.rmtree(work, ignore_errors=True)

    print("\nTarnwick benchmark, %s, %s, %d cores, load average %.1f at the end, %s, %s" % (
        time.strftime("%Y-%m-%d %H:%M"), platform.node(), os.cpu_count(), os.getloadavg()[0],
        _version(["wine", "--version"]), _version(["curl", "--version"])))
    print_measurements(TITLES[PLAIN], results[PLAIN], megabytes, rounds)
    print_measurements(TITLES[TLS], results[TLS], megabytes, rounds)
    middle, low, high = median_and_spread(scans)
    print_table("The program's scan and idle", ["", ""], [
        ["scan of %d x %d done files, ms (server clock)" % (scan_idle.FOLDERS, scan_idle.FILES_PER_FOLDER),
         "%.0f (%.0f-%.0f)" % (1000 * middle, 1000 * low, 1000 * high)],
        ["CPU while idle for %g s, ms" % idle_seconds, "%.0f" % (1000 * idle)]])
    print("\nwhole run: %.0f s" % (time.monotonic() - started))


def _version(command):
    try:
        return subprocess.run(command, capture_output=True, text=True).stdout.splitlines()[0]
    except (OSError, IndexError):
        return "?"


if __name__ == "__main__":
    main()
