"""When each FTP command arrived and each reply left, as the server saw them.

Benchmarks read it to time transfers from the server's side (a RETR or STOR to its
final reply) and to find where the time between one command's reply and the next
command goes. Kept in memory and cheap, so that it does not slow what it measures.

Each event also says whether the control connection was under TLS at that moment,
and every data connection that carried a transfer or a listing is noted with
whether it was under TLS, so that tests can tell what crossed the wire in clear.
"""

import itertools
import threading
import time

# Never kept in the record.
_SECRET_COMMANDS = ("PASS",)
# What a client may send in clear on its way to TLS without anything leaking.
_NEGOTIATION_COMMANDS = ("AUTH",)


class Timeline:
    def __init__(self):
        self._lock = threading.Lock()
        self._events = []
        self._transfers = []
        self._sessions = itertools.count(1)

    def new_session(self):
        return next(self._sessions)

    def command(self, session, line, tls):
        verb = line.split(" ", 1)[0].upper()
        self._add(session, "command", verb if verb in _SECRET_COMMANDS else line, tls)

    def reply(self, session, line, tls):
        self._add(session, "reply", line, tls)

    def _add(self, session, kind, text, tls):
        event = {"time": time.time(), "session": session, "kind": kind, "text": text, "tls": tls}
        with self._lock:
            self._events.append(event)

    def transfer(self, session, command, tls):
        """A data connection began to carry what `command` asked for."""
        with self._lock:
            self._transfers.append({"time": time.time(), "session": session,
                                    "command": command, "tls": tls})

    def snapshot(self):
        with self._lock:
            return list(self._events)

    def transfers(self):
        with self._lock:
            return list(self._transfers)

    def summary(self, since=0.0):
        """Counts of the sessions and data transfers begun at `since` or later.

        A session counts as encrypted when its control connection went under TLS
        and no command but the request for TLS itself came in clear.
        """
        with self._lock:
            events = list(self._events)
            transfers = [t for t in self._transfers if t["time"] >= since]
        first_time, clear, protected = {}, set(), set()
        for event in events:
            session = event["session"]
            first_time.setdefault(session, event["time"])
            if event["tls"]:
                protected.add(session)
            elif event["kind"] == "command" and event["text"].split(" ", 1)[0].upper() not in _NEGOTIATION_COMMANDS:
                clear.add(session)
        sessions = {s for s, t in first_time.items() if t >= since}
        return {"ftp_sessions": len(sessions),
                "ftp_sessions_encrypted": len((sessions & protected) - clear),
                "data_transfers": len(transfers),
                "data_transfers_protected": sum(1 for t in transfers if t["tls"])}

    def clear(self):
        with self._lock:
            self._events.clear()
            self._transfers.clear()
