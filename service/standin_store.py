"""SQLite-backed record of everything the stand-in service knows and sees.

One connection is shared by the HTTP threads and the FTP loop thread, so every
access goes through one lock; the volumes are tiny and this keeps ordering
(request log in arrival order) trivially correct.
"""

import json
import sqlite3
import threading
import time

_SCHEMA = """
CREATE TABLE IF NOT EXISTS authors (
    name TEXT PRIMARY KEY,
    password TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS requests (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    time REAL NOT NULL,
    method TEXT NOT NULL,
    host TEXT NOT NULL,
    path TEXT NOT NULL,
    query TEXT NOT NULL,
    params TEXT NOT NULL,
    dropped INTEGER NOT NULL,
    tls INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS reports (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    time REAL NOT NULL,
    author TEXT NOT NULL,
    file TEXT NOT NULL,
    length TEXT NOT NULL,
    accepted INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS uploads (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    time REAL NOT NULL,
    name TEXT NOT NULL,
    path TEXT NOT NULL,
    size INTEGER NOT NULL,
    sha256 TEXT NOT NULL,
    complete INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS downloads (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    author TEXT NOT NULL,
    name TEXT NOT NULL,
    fileid TEXT NOT NULL,
    present INTEGER NOT NULL,
    confirmed INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS confirmations (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    time REAL NOT NULL,
    username TEXT NOT NULL,
    drupw TEXT NOT NULL,
    fileid TEXT NOT NULL,
    matched INTEGER NOT NULL
);
"""

# Tables emptied by a reset; authors survive so a test run keeps its accounts.
_LOG_TABLES = ("requests", "reports", "uploads", "downloads", "confirmations")


class Store:
    def __init__(self, path):
        self._lock = threading.Lock()
        self._db = sqlite3.connect(path, check_same_thread=False, isolation_level=None)
        self._db.row_factory = sqlite3.Row
        self._db.executescript(_SCHEMA)
        # A state directory from before requests over TLS were told apart.
        columns = [row["name"] for row in self._db.execute("PRAGMA table_info(requests)")]
        if "tls" not in columns:
            self._db.execute("ALTER TABLE requests ADD COLUMN tls INTEGER NOT NULL DEFAULT 0")

    def close(self):
        with self._lock:
            self._db.close()

    def _run(self, sql, args=()):
        with self._lock:
            return self._db.execute(sql, args).fetchall()

    # --- authors

    def add_author(self, name, password):
        self._run("INSERT OR REPLACE INTO authors (name, password) VALUES (?, ?)",
                  (name, password))

    def is_author(self, name):
        return bool(self._run("SELECT 1 FROM authors WHERE name = ?", (name,)))

    def author_valid(self, name, password):
        return bool(self._run("SELECT 1 FROM authors WHERE name = ? AND password = ?",
                              (name, password)))

    # --- request log and service records

    def log_request(self, method, host, path, query, params, dropped, tls):
        self._run("INSERT INTO requests (time, method, host, path, query, params, dropped, tls)"
                  " VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                  (time.time(), method, host, path, query, json.dumps(params), int(dropped),
                   int(tls)))

    def web_request_counts(self, since=0.0):
        """(requests, requests over HTTPS) logged at `since` or later."""
        (row,) = self._run("SELECT COUNT(*), COALESCE(SUM(tls), 0) FROM requests WHERE time >= ?",
                           (since,))
        return row[0], row[1]

    def add_report(self, author, file, length, accepted):
        self._run("INSERT INTO reports (time, author, file, length, accepted)"
                  " VALUES (?, ?, ?, ?, ?)", (time.time(), author, file, length, int(accepted)))

    def add_upload(self, name, path, size, sha256, complete):
        self._run("INSERT INTO uploads (time, name, path, size, sha256, complete)"
                  " VALUES (?, ?, ?, ?, ?, ?)",
                  (time.time(), name, path, size, sha256, int(complete)))

    # --- downloads waiting for an author

    def add_download(self, author, name, fileid, present):
        """Adds a pending entry; without a fileid the next free number is used."""
        with self._lock:
            if not fileid:
                ids = [row[0] for row in self._db.execute("SELECT fileid FROM downloads")]
                fileid = str(1 + max([int(i) for i in ids if i.isdigit()], default=0))
            self._db.execute("INSERT INTO downloads (author, name, fileid, present, confirmed)"
                             " VALUES (?, ?, ?, ?, 0)", (author, name, fileid, int(present)))
        return fileid

    def pending_downloads(self, author):
        rows = self._run("SELECT name, fileid FROM downloads WHERE author = ? AND confirmed = 0"
                         " ORDER BY id", (author,))
        return [(row["name"], row["fileid"]) for row in rows]

    def confirm_download(self, username, drupw, fileid):
        """Records the confirmation; it only takes effect for the author's own pending file."""
        with self._lock:
            valid = self._db.execute("SELECT 1 FROM authors WHERE name = ? AND password = ?",
                                     (username, drupw)).fetchall()
            matched = bool(valid) and self._db.execute(
                "UPDATE downloads SET confirmed = 1 WHERE author = ? AND fileid = ?"
                " AND confirmed = 0", (username, fileid)).rowcount > 0
            self._db.execute("INSERT INTO confirmations (time, username, drupw, fileid, matched)"
                             " VALUES (?, ?, ?, ?, ?)",
                             (time.time(), username, drupw, fileid, int(matched)))
        return matched

    # --- whole-state views for tests

    def snapshot(self):
        def rows(table, flags=()):
            result = []
            for row in self._run("SELECT * FROM %s ORDER BY id" % table):
                item = dict(row)
                for flag in flags:
                    item[flag] = bool(item[flag])
                result.append(item)
            return result

        requests = rows("requests", ("dropped", "tls"))
        for item in requests:
            item["params"] = json.loads(item["params"])
        return {
            "requests": requests,
            "reports": rows("reports", ("accepted",)),
            "uploads": rows("uploads", ("complete",)),
            "confirmations": rows("confirmations", ("matched",)),
            "downloads": rows("downloads", ("present", "confirmed")),
        }

    def clear_logs(self):
        with self._lock:
            for table in _LOG_TABLES:
                self._db.execute("DELETE FROM %s" % table)
