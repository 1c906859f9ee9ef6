"""The Windows versions the program supports: its manifest declares them, and one whole
cycle does all of its work with Wine set to each, the oldest supported one included."""

import os

import pytest

import full_cycle
from scenario import wait_for_status_count

# Windows 7 SP1, the oldest Windows the program supports (see the README).
OLDEST_SUPPORTED = (6, 1, 7601)

# The ids of a manifest's supportedOS entries.
WINDOWS_OF_SUPPORTED_OS_ID = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "10 and 11",
}

WINDOWS_VERSIONS = [
    # (winecfg's name for it, the version the running program must find itself under).
    # The other tests run under Wine's default, which is one of these today.
    ("win7", OLDEST_SUPPORTED),
    ("win10", (10, 0)),
]


@pytest.mark.time_limit(200)
@pytest.mark.parametrize("version_name, expected", WINDOWS_VERSIONS,
                         ids=["windows 7 sp1", "windows 10"])
def test_one_full_cycle_does_all_of_its_work_on_each_supported_windows(
        prefix, program, driver, service, dialog_watcher, version_name, expected):
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


def test_the_manifest_declares_windows_7_to_11_supported_and_not_vista(driver, build_dir):
    declared = driver.supported_os(os.path.join(build_dir, "Tarnwick.exe"))
    assert declared is not None, "Windows could not read the program's manifest"
    assert [WINDOWS_OF_SUPPORTED_OS_ID.get(guid, guid) for guid in declared] == ["7", "8", "8.1", "10 and 11"]
