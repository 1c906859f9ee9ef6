"""One whole poll cycle with automatic download on: what it is given and what it must
have done. The demo and the tests that run the program under other Windows versions
share it."""

import os

from recordings import dss_bytes, wave_bytes
from scenario import AUTHOR, service_profile

SOURCE = "C:\\Dictation\\"
ARCHIVE = SOURCE + "tessaro\\"
DOWNLOADS = "C:\\dravos\\download\\"
# The recordings with the length in whole seconds the service is told about; the
# length of a document is 0.
RECORDINGS = {"visit-0412.wav": (wave_bytes(2.5), 3), "visit-0413.wav": (wave_bytes(12.4), 12),
              "dictation-77.dss": (dss_bytes(), 0)}
DOWNLOADS_HELD = {"Letter to Dr Mill.rtf": b"{\\rtf1 Dear Dr Mill}", "report-0815.doc": os.urandom(20000)}
# The status text with which a cycle ends after its download pass.
CYCLE_END = "Tarnwick - Idle"


def prepare(standin, prefix, **profile_fields):
    """Gives the service files for the author and the prefix a profile and recordings;
    returns the file ids of the downloads the service holds. The profile's fields may
    replace its "Service" section (service=...)."""
    download_ids = [standin.add_download(AUTHOR, name, data) for name, data in DOWNLOADS_HELD.items()]
    service_profile(standin, auto_download=1, sources=[(SOURCE, "wav"), (SOURCE, "dss")],
                    **profile_fields).write(prefix)
    for name, (data, _) in RECORDINGS.items():
        prefix.write_file(SOURCE + name, data)
    return download_ids


def summary(state, prefix, driver, download_ids):
    """(step, done, what was seen) for each thing the cycle has to do."""
    remote = {"%s_%s" % (AUTHOR, name): name for name in RECORDINGS}
    uploads = {remote[u["name"]]: u["size"] for u in state["uploads"] if u["complete"] and u["name"] in remote}
    reports = {remote[r["file"]]: r["length"] for r in state["reports"] if r["accepted"] and r["file"] in remote}
    archived = [name for name, (data, _) in RECORDINGS.items() if prefix.read_file(ARCHIVE + name) == data]
    read_only = [name for name in RECORDINGS if driver.attributes(SOURCE + name) == "readonly"]
    downloaded = [name for name, data in DOWNLOADS_HELD.items() if prefix.read_file(DOWNLOADS + name) == data]
    confirmed = sorted(c["fileid"] for c in state["confirmations"] if c["matched"])

    def listing(names):
        return ", ".join(sorted(names)) or "nothing"

    return [
        ("uploaded", uploads == {name: len(data) for name, (data, _) in RECORDINGS.items()},
         listing("%s (%d bytes)" % item for item in uploads.items())),
        ("reported with lengths", reports == {name: str(length) for name, (_, length) in RECORDINGS.items()},
         listing("%s %s s" % item for item in reports.items())),
        ("archived", len(archived) == len(RECORDINGS), listing(archived)),
        ("marked read-only", len(read_only) == len(RECORDINGS), listing(read_only)),
        ("downloaded", len(downloaded) == len(DOWNLOADS_HELD), listing(downloaded)),
        ("confirmed", confirmed == sorted(download_ids), listing("file id %s" % i for i in confirmed)),
    ]
