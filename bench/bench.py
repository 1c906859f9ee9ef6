#!/usr/bin/python3
"""Runs every benchmark of the program side by side with curl against one stand-in
service and prints a table (see bench/README.md). It is not a test: nothing here
asserts a time.

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
                middle, low, high = median_and_spread(rates[who])
                cells.append("%.0f (%.0f-%.0f)" % (middle, low, high))
            share = statistics.median(rates["program"]) / statistics.median(rates["curl"])
            rows.append(["%s, timed at the %s" % (direction, clock)] + cells + ["%.2f" % share])
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
    service = StandIn(os.path.join(work, "service"), authors={AUTHOR: PASSWORD}, domain=DOMAIN, web_host=WEB_HOST,
                      lifetime=1200).start()
    prefix = WinePrefix(os.path.join(build, "bench-wine"), xvfb.display)
    programs = []
    try:
        print("making the Wine prefix ...", flush=True)
        prefix.create().start()
        driver = Driver(prefix, os.path.join(build, "tarnwick_driver.exe"))

        print("%d MB each way, %d rounds ..." % (megabytes, rounds), flush=True)
        times = transfers.run(service, prefix, os.path.join(build, "transfer_bench.exe"), work, megabytes, rounds)

        print("upload pass of %d files, %d rounds ..." % (upload_pass.FILES, rounds), flush=True)
        programs.append(RealProgram(prefix, os.path.join(build, "Tarnwick.exe"), driver, r"C:\work\pass"))
        spans, events, curl_wall = upload_pass.run(service, prefix, programs[-1], rounds, work)
        programs[-1].stop()

        print("scan of %d x %d files, %d rounds, then %g s idle ..." % (
            scan_idle.FOLDERS, scan_idle.FILES_PER_FOLDER, rounds, idle_seconds), flush=True)
        scan_idle.prepare(service, prefix)
        programs.append(RealProgram(prefix, os.path.join(build, "Tarnwick.exe"), driver, r"C:\work\scan"))
        scans = scan_idle.scan_seconds(service, rounds, programs[-1])
        idle = scan_idle.idle_cpu(prefix, idle_seconds)
    finally:
        for program in programs:
            program.stop()
        prefix.remove()
        service.stop()
        xvfb.stop()
        shutil.rmtree(work, ignore_errors=True)

    print("\nTarnwick benchmark, %s, %s, %d cores, load average %.1f at the end, %s, %s" % (
        time.strftime("%Y-%m-%d %H:%M"), platform.node(), os.cpu_count(), os.getloadavg()[0],
        _version(["wine", "--version"]), _version(["curl", "--version"])))
    print_table("%d MB over the stand-in FTP server on 127.0.0.1, MB/s: median (lowest-highest) of %d rounds"
                % (megabytes, rounds), ["", "curl", "program", "program / curl"], transfer_rows(times, megabytes))
    print_table("Upload pass of %d files of %d KB, ms per file from the first login to the last upload report "
                "(server clock), median (lowest-highest) of %d rounds" % (
                    upload_pass.FILES, upload_pass.FILE_BYTES // 1024, rounds),
                ["", "ms"], pass_rows(spans, curl_wall))
    print_table("Where a file's time goes: mean ms from the server's reply to the client's next command, "
                "and the mean length of the reply before the program's command",
                ["", "program", "curl", "reply bytes"], upload_pass.gap_rows(events))
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
