#!/usr/bin/python3
"""Starts Orca as its own launcher (/usr/bin/orca --debug-file) does, with its
debug output on standard output, but beside any other Orca of the same user:
each test runs its Orca on a display and a session bus of its own, and the
launcher would refuse to start a second one."""

import sys

from orca import debug

debug.debugLevel = debug.LEVEL_ALL
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = sys.stdout

from orca import orca, settings  # noqa: E402  after the debug settings, as the launcher does

manager = orca.getSettingsManager()
manager.activate(None, {})
sys.path.insert(0, manager.getPrefsDir())
# Orca takes a start that lasts over 10 seconds for a hang and kills itself;
# a test machine under load may be that slow.
settings.timeoutTime = 60
sys.exit(orca.main())
