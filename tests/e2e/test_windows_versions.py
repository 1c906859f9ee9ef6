"""The Windows versions the program supports: one whole cycle does all of its work
with Wine set to each, the oldest supported one included."""

import pytest

import full_cycle
from scenario import wait_for_status_count

# Windows 7 SP1, the oldest Windows the program supports (see the README).
OLDEST_SUPPORTED = (6, 1, 7601)

WINDOWS_VERSIONS = [
    # (winecfg's name for it, or None for the Wine default the other tests run under;
    #  the version the running program must find itself under, as far as it is fixed)
    (None, ()),
    ("win7", OLDEST_SUPPORTED),
    ("win10", (10, 0)),
]


@pytest.mark.time_limit(200)
@pytest.mark.parametrize("version_name, expected", WINDOWS_VERSIONS,
                         ids=["wine default", "windows 7 sp1", "windows 10"])
def test_one_full_cycle_does_all_of_its_work_on_each_supported_windows(
        prefix, program, driver, service, dialog_watcher, version_name, expected):
    if version_name is not None:
        prefix.set_windows_version(version_name)
    download_ids = full_cycle.prepare(service, prefix)
    program.start_and_wait()

    # Read from the program's own process: a version Wine ignored would show here.
    running_under = driver.windows_version()
    assert running_under is not None, "the driver could not read the program's Windows version"
    assert running_under[:len(expected)] == expected
    assert running_under >= OLDEST_SUPPORTED

    wait_for_status_count(program, full_cycle.CYCLE_END, 1, timeout=150)
    summary = full_cycle.summary(service.state(), prefix, driver, download_ids)
    assert [(step, seen) for step, done, seen in summary if not done] == []
    assert dialog_watcher.stop() == []
