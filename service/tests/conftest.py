import os
import signal
import sys

import pytest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

from standin_client import StandIn  # noqa: E402

TEST_SECONDS = 30
AUTHORS = {"author7": "secret"}


@pytest.fixture(autouse=True)
def time_bound():
    """Fails a hanging test instead of letting it block the run."""
    def expire(signum, frame):
        raise TimeoutError("test ran longer than %d s" % TEST_SECONDS)

    previous = signal.signal(signal.SIGALRM, expire)
    signal.alarm(TEST_SECONDS)
    yield
    signal.alarm(0)
    signal.signal(signal.SIGALRM, previous)


@pytest.fixture(scope="session")
def running_service(tmp_path_factory):
    service = StandIn(tmp_path_factory.mktemp("standin"), authors=AUTHORS, lifetime=600).start()
    yield service
    service.stop()


@pytest.fixture
def service(running_service):
    """The shared service, with logs, switches and files cleared for each test."""
    running_service.reset()
    return running_service
