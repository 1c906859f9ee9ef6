"""Fixtures of the end-to-end tests: the real program under Wine, on an X display,
against the project's stand-in service.

Every test gets its own Wine prefix (a copy of one template made per session), its
own stand-in service and its own working directory, and a time limit. Everything a
test starts is ended by PID, and each prefix through its own wineserver.
"""

import json
import os
import re
import signal
import sys

import pytest

from display import PrivateXvfb
from program import Driver, Program
from scenario import AUTHOR, DOMAIN, PASSWORD, TLS_HOST, WEB_HOST
from wine_prefix import WinePrefix

REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(REPO, "service"))

from standin_client import StandIn  # noqa: E402  (found through the path above)

# Seconds a test's call may run; @pytest.mark.time_limit(n) changes it.
DEFAULT_TIME_LIMIT = 120
# The first test's setup also makes the session's template prefix.
SETUP_TIME_LIMIT = 300
SERVICE_LIFETIME = 600


def pytest_addoption(parser):
    parser.addoption("--build-dir", required=True,
                     help="build directory holding Tarnwick.exe and the test driver")


def pytest_configure(config):
    config.addinivalue_line("markers", "time_limit(seconds): time limit of the test's call")


# --- time limits


class TimeLimitExceeded(Exception):
    pass


def _raise_time_limit(signum, frame):
    raise TimeLimitExceeded("the test ran out of time")


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_setup(item):
    signal.signal(signal.SIGALRM, _raise_time_limit)
    signal.alarm(SETUP_TIME_LIMIT)
    yield
    signal.alarm(0)


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_call(item):
    marker = item.get_closest_marker("time_limit")
    signal.signal(signal.SIGALRM, _raise_time_limit)
    signal.alarm(marker.args[0] if marker else DEFAULT_TIME_LIMIT)
    yield
    signal.alarm(0)


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    setattr(item, "report_" + report.when, report)


def _failed(request):
    return any(getattr(getattr(request.node, "report_" + when, None), "failed", False)
               for when in ("setup", "call"))


# --- session resources


@pytest.fixture(scope="session")
def build_dir(request):
    path = os.path.abspath(request.config.getoption("--build-dir"))
    for name in ("Tarnwick.exe", "tarnwick_driver.exe", "tarnwick_status_hook.dll"):
        if not os.path.isfile(os.path.join(path, name)):
            pytest.fail("%s is missing in %s; build it first" % (name, path))
    return path


@pytest.fixture(scope="session")
def display():
    if os.environ.get("DISPLAY"):
        yield os.environ["DISPLAY"]
        return
    xvfb = PrivateXvfb().start()
    try:
        yield xvfb.display
    finally:
        xvfb.stop()


@pytest.fixture(scope="session")
def wine_root(build_dir):
    return os.path.join(build_dir, "e2e-wine")


@pytest.fixture(scope="session")
def wine_template(wine_root, display):
    # A run that was killed may have left prefixes behind, their wineservers running.
    if os.path.isdir(wine_root):
        for name in os.listdir(wine_root):
            WinePrefix(os.path.join(wine_root, name), display).remove()
    template = WinePrefix(os.path.join(wine_root, "template"), display).create()
    try:
        yield template
    finally:
        template.remove()


# --- per test


@pytest.fixture
def prefix(wine_template, wine_root, request):
    name = re.sub(r"[^A-Za-z0-9_.-]+", "_", request.node.name)[:80]
    test_prefix = wine_template.clone(os.path.join(wine_root, name))
    try:
        yield test_prefix
    finally:
        test_prefix.remove()


def _running_service(tmp_path, request, domain, web_host):
    standin = StandIn(str(tmp_path / "service"), authors={AUTHOR: PASSWORD}, domain=domain,
                      web_host=web_host, lifetime=SERVICE_LIFETIME).start()
    try:
        yield standin
    finally:
        if _failed(request):
            _print_service(standin)
        standin.stop()


@pytest.fixture
def service(tmp_path, request):
    yield from _running_service(tmp_path, request, DOMAIN, WEB_HOST)


@pytest.fixture
def named_service(tmp_path, request):
    """The service under the names its certificate carries: a verified TLS connection
    needs its host given by name (see scenario.named_service_values)."""
    yield from _running_service(tmp_path, request, TLS_HOST, TLS_HOST)


@pytest.fixture
def driver(prefix, build_dir):
    return Driver(prefix, os.path.join(build_dir, "tarnwick_driver.exe"))


@pytest.fixture
def dialog_watcher(driver):
    """Presses OK on every dialog the program shows during the test; the test reads
    what they said from watcher.stop()."""
    watcher = driver.dialog_watcher()
    try:
        yield watcher
    finally:
        watcher.stop()


@pytest.fixture
def program(prefix, build_dir, driver, request):
    tarnwick = Program(prefix, os.path.join(build_dir, "Tarnwick.exe"), driver)
    try:
        yield tarnwick
    finally:
        if _failed(request):
            _print_program(tarnwick)
        tarnwick.stop()


# --- what a failing test prints


def _print_program(program):
    print("=== status bar:", repr(_safely(program.driver.status)))
    print("=== window log:\n" + str(_safely(program.driver.log)))
    print("=== dialogs:", _safely(program.driver.dialogs))
    print("=== status history:", _safely(program.status_history))
    print("=== Tarnwick.log:\n" + str(program.read_log_file()))


def _print_service(service):
    state = _safely(service.state)
    if isinstance(state, dict):
        for request in state.get("requests", []):
            print("request", request["host"], request["path"], request["query"],
                  "dropped" if request["dropped"] else "")
        for table in ("reports", "uploads", "downloads", "confirmations"):
            print("===", table, json.dumps(state.get(table), indent=None))
    else:
        print("=== service state unavailable:", state)


def _safely(read):
    try:
        return read()
    except Exception as error:  # diagnostics must never hide the test's own failure
        return "<%s>" % error
