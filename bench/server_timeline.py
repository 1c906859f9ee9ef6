"""Readings of the stand-in FTP host's timeline (service/standin_timeline.py): how long
a transfer took between its command and its final reply, and where the time between
one reply and the next command went."""

from collections import defaultdict


def sessions(events):
    """{session number: its events, oldest first}."""
    by_session = defaultdict(list)
    for event in events:
        by_session[event["session"]].append(event)
    return dict(by_session)


def verb(event):
    return event["text"].split(" ", 1)[0].upper()


def transfer_seconds(events, command):
    """Seconds from the last `command` (such as "RETR /pending/a.bin") to its final
    reply, in the server's clock; None when there is no such command or no final reply."""
    found = [e for e in events if e["kind"] == "command" and e["text"] == command]
    if not found:
        return None
    sent = found[-1]
    for event in events:
        if (event["session"] == sent["session"] and event["kind"] == "reply" and event["time"] > sent["time"]
                and not event["text"].startswith("1")):
            return event["time"] - sent["time"] if event["text"].startswith("2") else None
    return None


def client_gaps(events):
    """{command verb: [(seconds from the reply before it to the command, length of that
    reply line)]}: the time the client spent before each command. A session's first
    command counts from the server's greeting."""
    gaps = defaultdict(list)
    for session in sessions(events).values():
        last_reply = None
        for event in session:
            if event["kind"] == "reply":
                last_reply = event
            elif last_reply is not None:
                gaps[verb(event)].append((event["time"] - last_reply["time"], len(last_reply["text"]) + 2))
    return dict(gaps)


def server_gaps(events):
    """Seconds the server took from each command to its first reply, all sessions."""
    taken = []
    for session in sessions(events).values():
        for event, following in zip(session, session[1:]):
            if event["kind"] == "command" and following["kind"] == "reply" and verb(event) not in ("STOR", "RETR"):
                taken.append(following["time"] - event["time"])
    return taken


def between_sessions(events):
    """Seconds from the last event of each session to the first of the next one."""
    ordered = sorted(sessions(events).values(), key=lambda s: s[0]["time"])
    return [b[0]["time"] - a[-1]["time"] for a, b in zip(ordered, ordered[1:])]
