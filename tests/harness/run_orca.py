#!/usr/bin/python3
"""Starts Orca as its own launcher (/usr/bin/orca --debug-file) does, with its
debug output on standard output, but beside any other Orca of the same user:
each test runs its Orca on a display and a session bus of its own, and the
launcher would refuse to start a second one."""

import sys

from orca import debug, orca_platform

debug.debugLevel = debug.LEVEL_ALL
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = sys.stdout

from orca import orca, settings, settings_manager  # noqa: E402  after the debug settings

ORCA_VERSION = tuple(int(part) for part in orca_platform.version.split(".")[:2])

if ORCA_VERSION < (44, 0):
    # Orca 43: the manager through orca, camelCase; Orca takes a start that
    # lasts over 10 seconds for a hang and kills itself, and a test machine
    # under load may be that slow.
    manager = orca.getSettingsManager()
    manager.activate(None, {})
    sys.path.insert(0, manager.getPrefsDir())
    settings.timeoutTime = 60
else:
    manager = settings_manager.get_manager()
    manager.activate(None, {})
    sys.path.insert(0, manager.get_prefs_dir())
sys.exit(orca.main())
