"""Waiting for the program's effects, which arrive from another process at their own pace."""

import time


def wait_until(predicate, timeout, what):
    """Polls predicate until it returns a true value, which is returned; fails the
    test with a message naming what was awaited when timeout seconds pass first."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError("waited %s s in vain for %s" % (timeout, what))
        time.sleep(0.25)
