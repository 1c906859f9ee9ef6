"""The configuration UI as a user meets it in the real program: the configuration dialog
at start-up and from the Configuration command, its save, its extension check with the
warning, and the About box from both menus.

Every dialog seen is saved as a screenshot under <build dir>/screenshots/ so that a
person can look at it."""

import os
import time

import pytest

from program import save_screenshot
from registry_profile import AUTHOR_KEY, SOURCES_KEY
from scenario import (AUTHOR, AUTO_DOWNLOAD_OFF, PASSWORD, WEB_HOST, host_of, requests_for, service_profile,
                      wait_for_cycles, wait_for_requests)
from waiting import wait_until

CONFIGURATION = "Tarnwick - Configuration"
WARNING = "Warning"
ABOUT = "About Tarnwick"

# Controls of the configuration dialog.
DIR1, EXT1, DIR2, EXT2 = 1012, 1013, 1025, 1029
AUTHOR_FIELD, PASSWORD_FIELD, POLL_TIME = 1021, 1034, 1024
SHOW_CONFIG, ENABLED = 1033, 1046
SAVE, CANCEL = 1, 2
# The warning's line with the service's list.
VALID_EXTENSIONS = 1038

ABOUT_COMMAND = 57664
EXTENSIONS_PATH = "/dravos/extverify.php"
VERIFY_PATH = "/dravos/authorverify.php"
SOURCE = "C:\\dictation\\"
# Long enough for a dialog to be drawn after it appeared.
PAINT_DELAY = 1.0

pytestmark = pytest.mark.time_limit(60)


@pytest.fixture
def screenshot(build_dir, prefix):
    def take(name):
        time.sleep(PAINT_DELAY)
        save_screenshot(prefix.display, os.path.join(build_dir, "screenshots", "e2e-%s.png" % name))

    return take


def wait_closed(driver, caption, timeout=15):
    wait_until(lambda: not driver.dialogs(caption), timeout, "the dialog %r to close" % caption)


def profile_value(prefix, name):
    key = SOURCES_KEY if name[:3] in ("Dir", "Ext") else AUTHOR_KEY
    return prefix.reg_query(key, name)


def cycle_requests(state):
    """What a poll cycle asks first: the probe of the web host and the author check."""
    return requests_for(state, "//") + requests_for(state, VERIFY_PATH)


def test_show_config_opens_the_dialog_at_start_up_with_the_stored_values(prefix, program, driver, service,
                                                                         screenshot):
    service.set(ext_list="wav, dss, ogg")
    service_profile(service, show_config=1, poll_time=25, auto_download=1, sources=[(SOURCE, "dss")]).write(prefix)
    program.start()

    assert driver.dialogs(CONFIGURATION, wait=30), "no configuration dialog at start-up"
    fields = {control: driver.control_text(CONFIGURATION, control)
              for control in (DIR1, EXT1, DIR2, EXT2, AUTHOR_FIELD, PASSWORD_FIELD, POLL_TIME)}
    # A slot without a directory shows the extension "wav".
    assert fields == {DIR1: SOURCE, EXT1: "dss", DIR2: "", EXT2: "wav", AUTHOR_FIELD: AUTHOR,
                      PASSWORD_FIELD: PASSWORD, POLL_TIME: "25"}
    assert driver.checked(CONFIGURATION, SHOW_CONFIG) is True
    assert driver.checked(CONFIGURATION, ENABLED) is True
    screenshot("configuration")

    # The list of permitted extensions comes from the web host, asked once on opening;
    # no cycle starts while the dialog is open.
    state = service.state()
    asked = requests_for(state, EXTENSIONS_PATH)
    assert [(host_of(r), r["query"]) for r in asked] == [(WEB_HOST, "ext=")]
    assert cycle_requests(state) == []


def test_save_writes_the_typed_values_and_the_first_cycle_uses_them(prefix, program, driver, service):
    service.add_author("new.author", "new-pw")
    service_profile(service, show_config=1, poll_time=30, auto_download=0,
                    sources=[(SOURCE, "wav"), ("C:\\old\\", "dss")]).write(prefix)
    program.start()
    assert driver.dialogs(CONFIGURATION, wait=30)

    typed = {DIR1: "C:\\inbox\\", EXT1: "rtf", DIR2: "", EXT2: " dss", AUTHOR_FIELD: "new.author",
             PASSWORD_FIELD: "new-pw", POLL_TIME: "0"}
    for control, text in typed.items():
        assert driver.set_control_text(CONFIGURATION, control, text), control
    assert driver.click(CONFIGURATION, SHOW_CONFIG)
    assert driver.click(CONFIGURATION, ENABLED)
    assert driver.checked(CONFIGURATION, SHOW_CONFIG) is False
    assert driver.checked(CONFIGURATION, ENABLED) is True
    assert cycle_requests(service.state()) == [], "a cycle started before the dialog closed"

    assert driver.click(CONFIGURATION, SAVE)
    wait_closed(driver, CONFIGURATION)

    written = {name: profile_value(prefix, name) for name in (
        "Dir1", "Ext1", "Dir2", "Ext2", "Dir3", "Ext3", "Author", "Password", "Poll Time", "Show Config",
        "AutoDownLoad")}
    sealed = profile_value(prefix, "Password Protected")
    assert sealed and b"new-pw" not in bytes.fromhex(sealed)
    # The leading blank of an extension goes; an emptied directory is written empty, as
    # is every slot never filled in.
    assert written == {"Dir1": "C:\\inbox\\", "Ext1": "rtf", "Dir2": "", "Ext2": "dss", "Dir3": "", "Ext3": "wav",
                       "Author": "new.author", "Password": None, "Poll Time": 0, "Show Config": 0,
                       "AutoDownLoad": 1}

    # With the Poll Time saved as 0 no timer runs: the one cycle is the dialog's own,
    # and it runs on the configuration just saved.
    state = wait_for_requests(service, VERIFY_PATH)
    assert [r["params"] for r in requests_for(state, VERIFY_PATH)] == [{"username": "new.author", "wp": "new-pw"}]


def test_a_plain_password_rolled_out_before_the_first_start_is_replaced_by_its_protected_form(
        prefix, program, driver, service):
    service_profile(service).write(prefix)
    assert prefix.reg_query(AUTHOR_KEY, "Password") == PASSWORD
    process = program.start_and_wait()
    assert wait_for_cycles(program, 1) == [AUTO_DOWNLOAD_OFF]
    assert prefix.reg_query(AUTHOR_KEY, "Password") is None
    sealed = prefix.reg_query(AUTHOR_KEY, "Password Protected")
    assert sealed, "no protected password in the profile"
    assert PASSWORD.encode() not in bytes.fromhex(sealed)

    # The next start reads the protected form and leaves it as it is.
    assert driver.command("exit")
    assert process.wait(30) is not None
    program.start_and_wait()
    assert wait_for_cycles(program, 2) == [AUTO_DOWNLOAD_OFF] * 2
    assert prefix.reg_query(AUTHOR_KEY, "Password Protected") == sealed
    assert prefix.reg_query(AUTHOR_KEY, "Password") is None
    verified = requests_for(service.state(), VERIFY_PATH)
    assert [r["params"] for r in verified] == [{"username": AUTHOR, "wp": PASSWORD}] * 2


def test_an_extension_the_service_does_not_list_is_warned_about_and_nothing_is_written(
        prefix, program, driver, service, screenshot):
    service.set(ext_list="wav, dss, mp3")
    service_profile(service, show_config=1, poll_time=0, sources=[(SOURCE, "wav")]).write(prefix)
    program.start()
    assert driver.dialogs(CONFIGURATION, wait=30)

    assert driver.set_control_text(CONFIGURATION, AUTHOR_FIELD, "typed.author")
    assert driver.set_control_text(CONFIGURATION, EXT1, "doc")
    # The warning asks the service again, so it shows the list as it is now.
    service.set(ext_list="wav, dss, mp3, ogg")
    assert driver.click(CONFIGURATION, SAVE)

    assert driver.dialogs(WARNING, wait=15), "no warning for an extension the service does not list"
    assert driver.control_text(WARNING, VALID_EXTENSIONS) == "Valid File Extensions are: wav, dss, mp3, ogg"
    screenshot("warning")
    driver.press_ok(WARNING)
    wait_closed(driver, WARNING)

    # The dialog stays open with the focus on the refused extension; nothing is written
    # and no cycle starts.
    assert driver.wait_focus(CONFIGURATION, EXT1, 10), "the refused extension did not get the focus"
    assert driver.dialogs(CONFIGURATION)
    assert profile_value(prefix, "Author") == AUTHOR
    assert profile_value(prefix, "Ext1") == "wav"
    state = service.state()
    assert len(requests_for(state, EXTENSIONS_PATH)) == 2
    assert cycle_requests(state) == []

    # Mended, the same showing saves what was typed.
    assert driver.set_control_text(CONFIGURATION, EXT1, "mp3")
    assert driver.click(CONFIGURATION, SAVE)
    wait_closed(driver, CONFIGURATION)
    assert profile_value(prefix, "Ext1") == "mp3"
    assert profile_value(prefix, "Author") == "typed.author"
    assert driver.dialogs(WARNING) == []


def test_cancel_from_the_configuration_command_writes_nothing_and_starts_a_cycle(prefix, program, driver,
                                                                                  service):
    service_profile(service, poll_time=0, auto_download=0, sources=[(SOURCE, "wav")]).write(prefix)
    program.start_and_wait()

    assert driver.command("configuration")
    assert driver.dialogs(CONFIGURATION, wait=15)
    assert driver.control_text(CONFIGURATION, AUTHOR_FIELD) == AUTHOR
    for control, text in ((AUTHOR_FIELD, "someone.else"), (EXT1, "dss"), (DIR2, "C:\\other\\"), (POLL_TIME, "7")):
        assert driver.set_control_text(CONFIGURATION, control, text), control
    assert driver.click(CONFIGURATION, ENABLED)
    # With Poll Time 0 nothing but the command starts a cycle.
    assert cycle_requests(service.state()) == [], "a cycle started before the dialog closed"
    assert driver.click(CONFIGURATION, CANCEL)
    wait_closed(driver, CONFIGURATION)

    state = wait_for_requests(service, VERIFY_PATH)
    assert [r["params"] for r in requests_for(state, VERIFY_PATH)] == [{"username": AUTHOR, "wp": PASSWORD}]
    assert {name: profile_value(prefix, name) for name in ("Author", "Ext1", "Poll Time", "AutoDownLoad")} == {
        "Author": AUTHOR, "Ext1": "wav", "Poll Time": 0, "AutoDownLoad": 0}
    # A save would have written every slot, the empty ones included.
    assert profile_value(prefix, "Dir2") is None


def test_about_box_opens_from_the_main_menu_and_from_the_tray_menu(prefix, program, driver, service, screenshot):
    service_profile(service, poll_time=0).write(prefix)
    process = program.start_and_wait()

    # From the main menu of the opened window: Alt+O, then A.
    assert driver.command("open")
    assert driver.wait_visible(10)
    assert driver.pick_main_menu("&Options", "&About Tarnwick...") == ABOUT_COMMAND
    about = driver.dialogs(ABOUT, wait=15)
    assert [box.texts[0] for box in about] == ["Tessaro Safe Uploader Ulkin"]
    screenshot("about-main-menu")
    driver.press_ok(ABOUT)
    wait_closed(driver, ABOUT)

    # From the tray icon's menu, with the window hidden again as it is after start-up.
    assert driver.command("close")
    assert driver.wait_hidden(10)
    assert driver.pick_tray_menu("&About Tarnwick...") == ABOUT_COMMAND
    about = driver.dialogs(ABOUT, wait=15)
    assert [box.texts[0] for box in about] == ["Tessaro Safe Uploader Ulkin"]
    screenshot("about-tray-menu")
    driver.press_ok(ABOUT)
    wait_closed(driver, ABOUT)

    assert process.poll() is None
    assert driver.dialogs() == []
