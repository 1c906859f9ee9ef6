"""The application shell as a user meets it: start-up, single instance, the window,
the tray icon, the log file and the profile that the program loads."""

import re
import time

from registry_profile import AUTHOR_KEY, SERVICE_KEY
from scenario import DOMAIN, WEB_HOST, host_of, requests_for, service_profile, wait_for_requests

TITLE = "Dravos Upload Ulkin"
IDLE_STATUS = "Dravo Upload Ulkin"
ALREADY_LOADED = "Dravo Upload Ulkin is already loaded"

ASCTIME = r"(?:Mon|Tue|Wed|Thu|Fri|Sat|Sun) [A-Z][a-z]{2} [ 123]\d \d\d:\d\d:\d\d \d{4}"
BANNER = re.compile(r"\r\n\r\n={80}\r\n\[(" + ASCTIME + r")\] - Tessaro's Tarnwick Log Initialized\r\n={80}\r\n")


def banner_times(log_text):
    """The local times of the banner blocks, in seconds since the epoch; the whole
    text must consist of banner blocks."""
    blocks = BANNER.findall(log_text)
    assert BANNER.sub("", log_text) == "", "log file holds more than banners: %r" % log_text
    return [time.mktime(time.strptime(stamp, "%a %b %d %H:%M:%S %Y")) for stamp in blocks]


def test_starts_hidden_with_its_status_text_tray_icon_and_log_banner(program, driver):
    started = time.time()
    process = program.start_and_wait()

    # The frame hides itself on its first paint and stays hidden.
    time.sleep(1.0)
    assert driver.run("hidden").ok, "the frame showed itself after start-up"
    assert driver.status() == IDLE_STATUS
    assert driver.tray_icon_count(1, wait=10) == 1

    stamps = banner_times(program.read_log_file())
    assert len(stamps) == 1
    # asctime has whole seconds; the slack only absorbs that rounding and a slow start.
    assert started - 2 <= stamps[0] <= time.time() + 2
    assert process.poll() is None


def test_second_start_reports_already_loaded_and_leaves_the_first_running(program, driver):
    first = program.start_and_wait()
    second = program.start(workdir=r"C:\second")

    boxes = driver.dialogs(TITLE, wait=30)
    assert [box.text for box in boxes] == [ALREADY_LOADED]
    # While its message is up the second process has no icon of its own.
    assert driver.tray_icon_count(1) == 1

    driver.press_ok(TITLE)
    assert second.wait(20) is not None
    assert first.poll() is None
    assert driver.run("hidden").ok, "the first instance's frame changed"
    assert driver.tray_icon_count(1, wait=5) == 1
    # The second process created no frame, so it wrote no banner in its directory.
    assert program.read_log_file(r"C:\second") is None
    assert len(banner_times(program.read_log_file())) == 1


def test_open_shows_the_window_and_the_close_box_hides_it(program, driver):
    process = program.start_and_wait()

    assert driver.command("open")
    assert driver.wait_visible(10)
    assert driver.command("close")
    assert driver.wait_hidden(10)

    # A double click on the tray icon opens the window too, "&Close Window" hides it.
    assert driver.tray_double_click()
    assert driver.wait_visible(10)
    assert driver.command("close-window")
    assert driver.wait_hidden(10)

    time.sleep(1.0)
    assert process.poll() is None, "hiding the window ended the program"
    assert driver.tray_icon_count(1) == 1


def test_exit_ends_the_program_removes_its_icon_and_allows_a_new_start(program, driver):
    first = program.start_and_wait()
    assert driver.tray_icon_count(1, wait=10) == 1

    assert driver.command("exit")
    assert first.wait(20) is not None
    assert driver.tray_icon_count(0, wait=5) == 0

    # The single-instance marker went with the process: a new start is a first instance.
    second = program.start_and_wait()
    assert driver.dialogs(TITLE) == []
    assert driver.tray_icon_count(1, wait=10) == 1
    assert second.poll() is None
    # Each run appends its own banner block; the earlier one stays.
    assert len(banner_times(program.read_log_file())) == 2


def test_a_new_taskbar_gets_the_icon_back_with_polling_off(program, driver):
    # Poll Time 0: no cycle would ever touch the icon again.
    process = program.start_and_wait()
    assert driver.tray_icon_count(1, wait=10) == 1
    for _ in range(2):  # the shell restarts more than once in a long run
        assert driver.run("tray-lose", wait=10).ok
        assert driver.tray_icon_count(0, wait=5) == 0
        assert driver.run("taskbar-created").ok
        assert driver.tray_icon_count(1, wait=10) == 1
    # The icon that came back calls the program: a double click on it opens the window.
    assert driver.tray_double_click()
    assert driver.wait_visible(10)
    assert process.poll() is None


def test_profile_values_written_before_start_are_the_ones_loaded(prefix, program, service):
    service.add_author("loaded.author", "loaded-pw")
    profile = service_profile(service, author="loaded.author", password="loaded-pw")
    profile.write(prefix)
    program.start_and_wait()

    # A Poll Time above 0 starts the first cycle by itself, shortly after start-up; its
    # requests show the loaded deployment (hosts and port) and author details.
    state = wait_for_requests(service, "/dravos/authorverify.php")
    probe = requests_for(state, "//")
    verify = requests_for(state, "/dravos/authorverify.php")
    assert [host_of(r) for r in probe] == [WEB_HOST]
    assert [host_of(r) for r in verify] == [DOMAIN]
    assert verify[0]["params"] == {"username": "loaded.author", "wp": "loaded-pw"}

    # Loading writes nothing back but the password's protected form.
    assert prefix.reg_query(AUTHOR_KEY, "Author") == "loaded.author"
    assert prefix.reg_query(AUTHOR_KEY, "Poll Time") == profile.poll_time
    assert prefix.reg_query(SERVICE_KEY, "HTTP Port") == service.http_port


def test_poll_time_zero_runs_no_cycle_by_itself(prefix, program, driver, service):
    service_profile(service, poll_time=0).write(prefix)
    program.start_and_wait()

    # The first scheduled cycle would come 1.5 s after start-up; give it ample time.
    time.sleep(6)
    assert driver.tick()
    time.sleep(2)
    assert service.state()["requests"] == []
    assert "Polling Started ..." not in program.status_history()
    assert driver.status() == IDLE_STATUS
