"""The installer as an author or an IT department uses it: a silent installation for the
current user alone, the program started at logon from its Startup shortcut, an update
over the running program, a silent removal that ends the program and leaves the
author's profile, log and files alone, and the interactive installation's choices."""

import os
import subprocess

import pytest

from installed_program import UNINSTALL_KEY, Places, file_version, has_ended, project_version, running_copies
from program import BackgroundCommand
from recordings import dss_bytes, wave_bytes
from registry_profile import AUTHOR_KEY
from scenario import AUTHOR, service_profile
from shell_link import read_shell_link
from waiting import wait_until

SOURCE = "C:\\dictation\\"
DOWNLOADS = "C:\\dravos\\download\\"
LOG_FILE = "Tarnwick.log"
BANNER = "] - Tessaro's Tarnwick Log Initialized"

pytestmark = pytest.mark.time_limit(300)

# The installer's wizard: its caption once past the first page, and its controls.
WIZARD = "Tarnwick Setup "
NEXT, COMPONENT_TREE, START_NOW = 1, 1032, 1203
VK_DOWN, VK_SPACE = 0x28, 0x20


@pytest.fixture
def setup_exe(build_dir):
    path = os.path.join(build_dir, "Tarnwick-%s-setup.exe" % project_version())
    assert os.path.isfile(path), "no installer %s; build it first" % path
    return path


@pytest.fixture
def places(prefix):
    return Places.of(prefix)


def install(prefix, setup_exe):
    assert prefix.run([setup_exe, "/S"], timeout=180).returncode == 0


def start_from(prefix, shortcut, places):
    """Starts the program as the shell does from the shortcut; returns its PID."""
    assert prefix.run(["start", shortcut]).returncode == 0
    return wait_until(lambda: running_copies(prefix, places.program), 30, "the installed program to run")


def data_log(prefix, places):
    return (prefix.read_file(places.data_dir + "\\" + LOG_FILE) or b"").decode("cp1252")


def on_wizard(driver, setup_exe, *args, wait=20):
    """A driver command on the installer's windows."""
    return driver.run("--exe", os.path.basename(setup_exe), *args, wait=wait)


def test_a_silent_install_puts_the_program_its_shortcuts_and_its_uninstall_entry_in_place(
        prefix, build_dir, setup_exe, places):
    install(prefix, setup_exe)

    program = prefix.read_file(places.program)
    with open(os.path.join(build_dir, "Tarnwick.exe"), "rb") as built:
        assert program == built.read()
    assert file_version(program) == project_version()
    uninstaller = prefix.read_file(places.uninstaller)
    assert uninstaller
    assert os.path.isdir(prefix.unix_path(places.data_dir))

    # Both shortcuts start the program in the data folder, where its log belongs.
    for shortcut in (places.menu_shortcut, places.startup_shortcut):
        link = read_shell_link(prefix.read_file(shortcut) or b"")
        assert (link.target, link.working_dir) == (places.program, places.data_dir), shortcut

    entry = prefix.reg_values(UNINSTALL_KEY)
    size = entry.pop("EstimatedSize")
    assert entry == {"DisplayName": "Tarnwick", "DisplayVersion": project_version(), "Publisher": "Tessaro",
                     "DisplayIcon": '"%s",0' % places.program, "InstallLocation": places.install_dir,
                     "UninstallString": '"%s"' % places.uninstaller,
                     "QuietUninstallString": '"%s" /S' % places.uninstaller, "NoModify": 1, "NoRepair": 1}
    assert abs(size - (len(program) + len(uninstaller)) // 1024) <= 2, size
    # A silent first installation leaves starting to the next logon.
    assert running_copies(prefix, places.program) == []


def test_started_from_its_startup_shortcut_it_runs_a_cycle_and_an_update_replaces_it_while_it_runs(
        prefix, setup_exe, places, service, driver, dialog_watcher):
    recording, letter = wave_bytes(2.5), dss_bytes()
    letter_id = service.add_download(AUTHOR, "letter.dss", letter)
    prefix.write_file(SOURCE + "visit.wav", recording)
    service_profile(service, auto_download=1, sources=[(SOURCE, "wav")]).write(prefix)
    install(prefix, setup_exe)

    first = start_from(prefix, places.startup_shortcut, places)

    def cycle_done():
        state = service.state()
        return state if [c["fileid"] for c in state["confirmations"] if c["matched"]] == [letter_id] else None

    state = wait_until(cycle_done, 120, "the download's confirmation")
    assert [(u["name"], u["complete"]) for u in state["uploads"]] == [(AUTHOR + "_visit.wav", True)]
    assert [(r["file"], r["length"], r["accepted"]) for r in state["reports"]] == [(AUTHOR + "_visit.wav", "3", True)]
    assert driver.attributes(SOURCE + "visit.wav") == "readonly"
    assert prefix.read_file(SOURCE + "tessaro\\visit.wav") == recording
    assert prefix.read_file(DOWNLOADS + "letter.dss") == letter
    log = wait_until(lambda: "] - letter.dss Transferred" in data_log(prefix, places) and data_log(prefix, places),
                     30, "the download in the data folder's log")
    assert log.count(BANNER) == 1 and "] - visit.wav Transferred\r\n" in log
    assert prefix.read_file(places.install_dir + "\\" + LOG_FILE) is None

    # The update asks the running copy to exit, replaces it and starts the new one,
    # again in the data folder.
    install(prefix, setup_exe)
    assert [pid for pid in first if not has_ended(pid)] == []
    second = wait_until(lambda: running_copies(prefix, places.program), 30, "the updated program to run")
    assert set(second).isdisjoint(first)
    wait_until(lambda: data_log(prefix, places).count(BANNER) == 2, 30, "the updated program's log banner")
    assert dialog_watcher.stop() == []


def test_a_silent_uninstall_ends_the_running_program_and_keeps_the_profile_the_log_and_the_authors_files(
        prefix, setup_exe, places, service):
    authors_files = {SOURCE + "notes.txt": b"not a recording", SOURCE + "tessaro\\old.wav": wave_bytes(1.0),
                     DOWNLOADS + "letter.dss": dss_bytes()}
    for path, data in authors_files.items():
        prefix.write_file(path, data)
    service_profile(service, sources=[(SOURCE, "wav")]).write(prefix)
    install(prefix, setup_exe)
    running = start_from(prefix, places.menu_shortcut, places)
    wait_until(lambda: BANNER in data_log(prefix, places), 30, "the program's log banner")

    quiet = prefix.reg_values(UNINSTALL_KEY)["QuietUninstallString"]
    uninstaller, _, switch = quiet.rpartition(" ")
    # The uninstaller runs on from a copy of itself, so its end is awaited by its effects.
    assert prefix.run([uninstaller.strip('"'), switch]).returncode == 0
    gone = (places.program, places.uninstaller, places.menu_shortcut, places.startup_shortcut)
    wait_until(lambda: prefix.reg_values(UNINSTALL_KEY) is None and all(prefix.read_file(p) is None for p in gone),
               90, "the program, its shortcuts and its uninstall entry to go")
    assert [pid for pid in running if not has_ended(pid)] == []
    assert not os.path.exists(prefix.unix_path(places.install_dir))

    assert prefix.reg_query(AUTHOR_KEY, "Author") == AUTHOR
    assert BANNER in data_log(prefix, places)
    assert {path: prefix.read_file(path) for path in authors_files} == authors_files


def test_an_interactive_install_lets_start_at_logon_be_cleared_and_offers_to_start_the_program(
        prefix, setup_exe, places, driver):
    setup = prefix.popen([setup_exe], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        assert on_wizard(driver, setup_exe, "dialog", "Tarnwick Setup").ok, "no welcome page"
        assert on_wizard(driver, setup_exe, "click", "Tarnwick Setup", str(NEXT)).ok
        # The second component is start at logon, ticked at first; the space bar clears it.
        for key in (VK_DOWN, VK_SPACE):
            assert on_wizard(driver, setup_exe, "key", WIZARD, str(COMPONENT_TREE), str(key)).ok
        assert on_wizard(driver, setup_exe, "click", WIZARD, str(NEXT)).ok
        # The last page offers to start the program, ticked.
        assert on_wizard(driver, setup_exe, "text", WIZARD, str(START_NOW), wait=60).text == "Start Tarnwick now"
        assert on_wizard(driver, setup_exe, "checked", WIZARD, str(START_NOW)).text.strip() == "checked"
        assert on_wizard(driver, setup_exe, "click", WIZARD, str(NEXT)).ok
        assert setup.wait(30) == 0
    finally:
        if setup.poll() is None:
            setup.kill()
            setup.wait(10)

    wait_until(lambda: BANNER in data_log(prefix, places), 30, "the started program's log in the data folder")
    assert running_copies(prefix, places.program)
    assert prefix.read_file(places.menu_shortcut)
    assert prefix.read_file(places.startup_shortcut) is None


@pytest.mark.time_limit(400)
def test_a_silent_uninstall_changes_nothing_while_a_running_copy_does_not_exit(prefix, setup_exe, places, driver):
    # The program always answers Exit promptly; a window of its frame's class and
    # title that ignores the command stands in for a copy that hangs.
    install(prefix, setup_exe)
    deaf = BackgroundCommand(driver, ["deaf-copy"])
    try:
        deaf.wait_for_line("DEAF")
        # Run in place (_?=), the uninstaller's exit code is its own: 2, given up.
        uninstall = prefix.run([places.uninstaller, "/S", "_?=" + places.install_dir], timeout=240)
        assert uninstall.returncode == 2
        kept = (places.program, places.uninstaller, places.menu_shortcut, places.startup_shortcut)
        assert [path for path in kept if prefix.read_file(path) is None] == []
        assert prefix.reg_values(UNINSTALL_KEY)["DisplayName"] == "Tarnwick"
    finally:
        deaf.finish()
