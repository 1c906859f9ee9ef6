"""A poll cycle's talk with the service: the connectivity probe of the web host and
the author verification on the domain, with what the user sees of each outcome."""

import time

import pytest

from scenario import (AUTHOR, DOMAIN, INVALID_AUTHOR, NO_INTERNET, PASSWORD, WEB_HOST, host_of,
                      requests_for, service_profile, wait_for_cycles)

VERIFIED = "UserName Validation =*= OK =*="
NOT_VERIFIED = "UserName or Password Validation Fail"
VERIFY_PATH = "/dravos/authorverify.php"


def test_cycle_probes_the_web_host_then_verifies_the_author_on_the_domain(prefix, program, service):
    service_profile(service).write(prefix)
    program.start_and_wait()

    wait_for_cycles(program)
    state = service.state()

    probe, verify = requests_for(state, "//"), requests_for(state, VERIFY_PATH)
    assert [host_of(r) for r in probe] == [WEB_HOST]
    assert [host_of(r) for r in verify] == [DOMAIN]
    assert probe[0]["id"] < verify[0]["id"], "the author was verified before the probe"
    assert verify[0]["query"] == "username=%s&wp=%s" % (AUTHOR, PASSWORD)
    history = program.status_history()
    assert VERIFIED in history
    assert INVALID_AUTHOR not in history and NOT_VERIFIED not in history


@pytest.mark.parametrize("author, password", [
    (AUTHOR, "not-" + PASSWORD),
    ("nobody", PASSWORD),
], ids=["wrong password", "unknown author"])
def test_a_refused_author_ends_the_cycle_and_stops_polling(prefix, program, driver, service,
                                                           author, password):
    service_profile(service, author=author, password=password).write(prefix)
    program.start_and_wait()

    assert wait_for_cycles(program) == [INVALID_AUTHOR]
    assert driver.status() == INVALID_AUTHOR
    history = program.status_history()
    assert history.index(NOT_VERIFIED) < history.index(INVALID_AUTHOR)
    assert INVALID_AUTHOR in driver.log().splitlines()
    assert INVALID_AUTHOR + "\r\n" in program.read_log_file()
    state = service.state()
    assert [r["params"] for r in requests_for(state, VERIFY_PATH)] == [{"username": author, "wp": password}]
    # Nothing past the verification was asked of the service.
    assert {r["path"] for r in state["requests"]} == {"//", VERIFY_PATH}

    # Polling stays off until the configuration is loaded again: ticks do nothing.
    assert driver.tick()
    time.sleep(3)
    assert len(service.state()["requests"]) == len(state["requests"])


def test_an_unreachable_web_host_gives_no_internet_access_on_the_status_bar_only(prefix, program, driver,
                                                                                 service):
    service.set(web_host_down=True)
    service_profile(service).write(prefix)
    program.start_and_wait()

    assert wait_for_cycles(program) == [NO_INTERNET]
    assert driver.status() == NO_INTERNET
    state = service.state()
    assert [(host_of(r), r["path"], r["dropped"]) for r in state["requests"]] == [(WEB_HOST, "//", True)]
    assert NO_INTERNET not in driver.log()
    assert NO_INTERNET not in program.read_log_file()

    # The next cycle tries again and gets through once the host is back.
    service.set(web_host_down=False)
    assert driver.tick()
    wait_for_cycles(program, 2)
    assert requests_for(service.state(), VERIFY_PATH)
    assert VERIFIED in program.status_history()


def test_a_password_with_an_ampersand_and_a_space_verifies(prefix, program, service):
    password = "tea & biscuits"
    service.add_author("second.author", password)
    service_profile(service, author="second.author", password=password).write(prefix)
    program.start_and_wait()

    wait_for_cycles(program)
    state = service.state()
    assert requests_for(state, VERIFY_PATH)[0]["params"] == {"username": "second.author", "wp": password}
    assert VERIFIED in program.status_history()
    assert INVALID_AUTHOR not in program.status_history()
