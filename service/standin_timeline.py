"""When each FTP command arrived and each reply left, as the server saw them.

Benchmarks read it to time transfers from the server's side (a RETR or STOR to its
final reply) and to find where the time between one command's reply and the next
command goes. Kept in memory and cheap, so that it does not slow what it measures.
"""

import itertools
import threading
import time

# Never kept in the record.
_SECRET_COMMANDS = ("PASS",)


class Timeline:
    def __init__(self):
        self._lock = threading.Lock()
        self._events = []
        self._sessions = itertools.count(1)

    def new_session(self):
        return next(self._sessions)

    def command(self, session, line):
        verb = line.split(" ", 1)[0].upper()
        self._add(session, "command", verb if verb in _SECRET_COMMANDS else line)

    def reply(self, session, line):
        self._add(session, "reply", line)

    def _add(self, session, kind, text):
        event = {"time": time.time(), "session": session, "kind": kind, "text": text}
        with self._lock:
            self._events.append(event)

    def snapshot(self):
        with self._lock:
            return list(self._events)

    def clear(self):
        with self._lock:
            self._events.clear()
