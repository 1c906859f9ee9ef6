"""The whole upload pass of small files through the real program, against a shell
loop of curl doing the same work: per file one login, the directory query and two
changes, the put, the upload report, the archive copy and the read-only mark."""

import os
import subprocess
import time

from scenario import AUTHOR
from server_timeline import client_gaps, between_sessions, sessions

FILES = 40
FILE_BYTES = 64 * 1024
PROGRAM_SOURCE = "C:\\bench\\pass-%s\\"  # one per transport: a pass leaves its files done
REPORT_PATH = "/dravos/copywav.php"

# Per file what the program does, in its order (PWD, CWD, CWD before the put). With a
# CA file, the put goes under TLS (--ssl-reqd: no command in clear after AUTH TLS)
# and the report over HTTPS, both verified against it.
CURL_LOOP = r"""
set -eu
cd "$1"; shift
ftp=$1; http=$2; dir=$3; author=$4; ca=$5; shift 5
ftp_tls=(); web_tls=()
if [ -n "$ca" ]; then ftp_tls=(--ssl-reqd --cacert "$ca"); web_tls=(--cacert "$ca"); fi
for name in "$@"; do
  curl -sS --fail "${ftp_tls[@]}" --disable-epsv --ftp-method singlecwd -Q "CWD /$dir/" \
    -T "$name" "$ftp/%2F$dir/${author}_$name"
  answer=$(curl -sS "${web_tls[@]}" "$http/dravos/copywav.php?username=$author&file=${author}_$name&length=0")
  case $answer in
    *"Username Valid!"*) mkdir -p tessaro; cp "$name" "tessaro/$name"; chmod a-w "$name" ;;
  esac
done
"""


def _write_files(directory, prefix_text, number):
    os.makedirs(directory, exist_ok=True)
    names = ["%s%d_%02d.dss" % (prefix_text, number, index) for index in range(FILES)]
    for name in names:
        with open(os.path.join(directory, name), "wb") as out:
            out.write(os.urandom(FILE_BYTES))
    return names


def _marked_done(path):
    # Wine shows the read-only attribute as a file without write permission.
    return not os.stat(path).st_mode & 0o222


def _pass_span(service, since, remote_names):
    """Server seconds from the first FTP event after `since` to the last upload report,
    and the FTP events in between; checks that every file arrived and was reported."""
    state = service.state()
    uploads = {u["name"] for u in state["uploads"] if u["complete"] and u["size"] == FILE_BYTES}
    reports = [r for r in state["requests"] if r["path"] == REPORT_PATH and r["time"] >= since]
    reported = {r["params"].get("file") for r in reports}
    missing = set(remote_names) - (uploads & reported)
    if missing:
        raise RuntimeError("not uploaded and reported: %s" % sorted(missing)[:5])
    end = max(r["time"] for r in reports)
    events = [e for e in service.ftp_timeline() if since <= e["time"] <= end + 1]
    return end - events[0]["time"], {"events": events, "reports": sorted(r["time"] for r in reports)}


def run(transport, service, prefix, program, rounds, work):
    """{"program"/"curl": [pass seconds per round]}, {"program"/"curl": [the FTP events
    and report times of each pass]}, and the curl loop's own wall-clock seconds per round,
    both sides in clear or under TLS as the transport says."""
    spans = {"program": [], "curl": []}
    all_events = {"program": [], "curl": []}
    curl_wall = []
    source = PROGRAM_SOURCE % transport.name
    program_dir = prefix.unix_path(source)
    curl_dir = os.path.join(work, "curl-pass-" + transport.name)
    transport.profile(service, sources=[(source, "dss")]).write(prefix)
    for number in range(1, rounds + 1):
        names = _write_files(program_dir, "p", number)
        since = time.time()
        if number == 1:
            program.start()  # its first cycle follows by itself
        else:
            program.tick()
        program.wait_until(lambda: all(_marked_done(os.path.join(program_dir, n)) for n in names), 300,
                           "the upload pass")
        span, events = _pass_span(service, since, ["%s_%s" % (AUTHOR, n) for n in names])
        spans["program"].append(span)
        all_events["program"].append(events)

        names = _write_files(curl_dir, "c", number)
        since = time.time()
        start = time.monotonic()
        subprocess.run(["bash", "-c", CURL_LOOP, "curl-loop", curl_dir, transport.ftp_url(service, "dravos:brinotaxe4"),
                        transport.web_url(service), service.domain + "/dravouploads", AUTHOR,
                        transport.ca_file(service)] + names, check=True)
        curl_wall.append(time.monotonic() - start)
        span, events = _pass_span(service, since, ["%s_%s" % (AUTHOR, n) for n in names])
        spans["curl"].append(span)
        all_events["curl"].append(events)
    return spans, all_events, curl_wall


def _between_files(passes):
    """Seconds from each put's connection's last event to the file's upload report, and
    from the report to the next file's connection, over all passes."""
    to_report, to_next = [], []
    for one in passes:
        ordered = sorted(sessions(one["events"]).values(), key=lambda s: s[0]["time"])
        for session, following in zip(ordered, ordered[1:]):
            done = session[-1]["time"]
            report = next((t for t in one["reports"] if t >= done), None)
            if report is not None and report <= following[0]["time"]:
                to_report.append(report - done)
                to_next.append(following[0]["time"] - report)
    return to_report, to_next


def gap_rows(all_events):
    """Rows of (what, program ms, curl ms): the mean time before each command, measured
    from the reply before it, and between one file's connection and the next."""
    gaps = {who: client_gaps([e for one in passes for e in one["events"]]) for who, passes in all_events.items()}
    between = {who: _between_files(passes) for who, passes in all_events.items()}
    order = ["AUTH", "PBSZ", "PROT", "USER", "PASS", "PWD", "CWD", "TYPE", "PASV", "STOR", "QUIT"]
    seen = set(gaps["program"]) | set(gaps["curl"])
    verbs = [verb for verb in order if verb in seen] + sorted(seen - set(order))
    rows = []
    for verb in verbs:
        rows.append(("before " + verb,) + tuple(_mean_ms([gap for gap, _ in gaps[who].get(verb, [])])
                                                for who in ("program", "curl"))
                    + (_mean_bytes(gaps["program"].get(verb, [])),))
    rows.append(("between files",) + tuple(_mean_ms([gap for one in all_events[who]
                                                      for gap in between_sessions(one["events"])])
                                          for who in ("program", "curl")) + ("",))
    rows.append(("  last reply to upload report",) + tuple(_mean_ms(between[who][0]) for who in ("program", "curl"))
                + ("",))
    rows.append(("  upload report to next login",) + tuple(_mean_ms(between[who][1]) for who in ("program", "curl"))
                + ("",))
    rows.append(("connections per pass",) + tuple(
        "%.0f" % (sum(len(sessions(one["events"])) for one in all_events[who]) / len(all_events[who]))
        for who in ("program", "curl")) + ("",))
    return rows


def _mean_bytes(gaps):
    if not gaps:
        return "-"
    return "%.0f" % (sum(length for _, length in gaps) / len(gaps))


def _mean_ms(values):
    if not values:
        return "-"
    return "%.1f" % (1000 * sum(values) / len(values))
