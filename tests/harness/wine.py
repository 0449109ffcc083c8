"""MARELO.exe under Wine, in the prefix and on the X display that
tests/win32/wine-env.sh keeps for every Windows test: programs started and
closed, the registry set for a run and put back, the windows' frames seen
from inside Windows by window_probe.exe, and the screen looked at and typed
into through X like any other (xsession.Screen)."""

import os
import re
import subprocess
import sys
import time
from contextlib import contextmanager

from .poll import steady, until
from .xsession import Screen

COLOURS = r"HKCU\Control Panel\Colors"
THEMES = r"HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager"
DESKTOP = r"HKCU\Control Panel\Desktop"
# Wine's windows start slower than a native program's, the first most of all.
DEADLINE = 60


def numbers(text):
    return [int(v) for v in text.split()]


class Wine:
    def __init__(self, wine_env, state, probe_exe, hook=None):
        self.wine_env, self.state, self.probe_exe, self.hook = wine_env, state, probe_exe, hook
        self.environment = {}
        for line in subprocess.run([wine_env, state, "env"], check=True, capture_output=True,
                                   text=True).stdout.splitlines():
            key, _, value = line.partition("=")
            self.environment[key] = value
        self.screen = Screen(self.environment["DISPLAY"])

    def run(self, *command):
        return subprocess.run(command, env={**os.environ, **self.environment},
                              capture_output=True, text=True, timeout=120)

    def wine(self, *command):
        return self.run(self.wine_env, self.state, "run", *command)

    # Programs ----------------------------------------------------------------

    def start(self, exe):
        return subprocess.Popen([self.wine_env, self.state, "run", exe], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True)

    def close(self, title="Marelo"):
        """Closes a window as its close box does."""
        self.wine(self.probe_exe, "close", title)

    @staticmethod
    def ended(program):
        """The program's exit status once it ends, None if it does not."""
        try:
            return program.wait(timeout=30)
        except subprocess.TimeoutExpired:
            program.kill()
            program.wait()
            return None

    def probe(self, command, title, *more):
        """What window_probe.exe reports of a window, or None without one."""
        out = self.wine(self.probe_exe, command, title, *more).stdout.replace("\r", "")
        info = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        return info if info.get("found") == "1" else None

    def info(self, title):
        """A window's frame as Windows has it, once it is there."""
        return until(lambda: self.probe("info", title), f"a window titled {title!r}", DEADLINE,
                     0.2)

    def high_contrast(self, title):
        """Turns high contrast on in the program of that window."""
        hook = self.run("winepath", "-w", self.hook).stdout.strip()
        return "loaded=1" in self.wine(self.probe_exe, "highcontrast", title, hook).stdout

    # The screen --------------------------------------------------------------

    def client(self, title, info=None):
        """A window's client area as the screen shows it, and its origin."""
        info = info or self.probe("info", title)
        if info is None:
            return None, None
        x, y = numbers(info["origin"])
        width, height = numbers(info["client"])
        return self.screen.grab(x, y, width, height), (x, y)

    def settled(self, title, painted=lambda picture: True):
        """A window's client area once painted(picture) holds and two grabs
        agree, and its origin."""
        return steady(lambda: self.client(title), painted, f"{title!r} to be painted", DEADLINE,
                      0.2)

    def whole_screen(self):
        root = self.screen.display.screen()
        return self.screen.grab(0, 0, root.width_in_pixels, root.height_in_pixels)

    def click(self, x, y):
        self.screen.click_at(x, y)

    def pointer_away(self):
        """The pointer in the screen's corner, off every button (which would
        light up under it)."""
        root = self.screen.display.screen()
        self.screen.move_pointer(root.width_in_pixels - 1, root.height_in_pixels - 1)

    def keyboard_to_desktop(self):
        """The keyboard to Wine's desktop window, which hands it on to the
        window in front, as a click on it would."""
        desktop = self.screen.top_levels(title="Wine desktop")
        if desktop:
            self.screen.focus(desktop[0])

    # The registry ------------------------------------------------------------

    def logged(self, what, result):
        """The registry's changes, kept beside the prefix for a run to be
        read back when a set-up was not what a test found."""
        with open(os.path.join(self.state, "registry.log"), "a") as log:
            log.write(f"{time.strftime('%H:%M:%S')} {os.path.basename(sys.argv[0])} {what}: "
                      f"status {result.returncode} {result.stdout.strip()!r} "
                      f"{result.stderr.strip()!r}\n")
        return result

    def query(self, key, name):
        """A value's type and data, or None where it is not set."""
        result = self.logged(f"query {key} {name}", self.wine("reg", "query", key, "/v", name))
        for line in result.stdout.replace("\r", "").splitlines():
            found = re.match(r"\s+(\S+)\s+(REG_\w+)\s+(.*)$", line)
            if found and found.group(1).lower() == name.lower():
                kind, data = found.group(2), found.group(3)
                return kind, str(int(data, 0)) if kind == "REG_DWORD" else data
        return None

    def set(self, key, name, kind, data):
        self.logged(f"set {key} {name} {data}",
                    self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f"))

    def unset(self, key, name):
        self.logged(f"unset {key} {name}", self.wine("reg", "delete", key, "/v", name, "/f"))

    @contextmanager
    def settings(self, values):
        """Registry values (key, name, type, data) for the run, and what was
        there before put back, so that the other tests find the prefix as it
        was."""
        before = []
        try:
            for key, name, kind, data in values:
                before.append((key, name, self.query(key, name)))
                self.set(key, name, kind, data)
            yield self
        finally:
            for key, name, was in reversed(before):
                if was is None:
                    self.unset(key, name)
                else:
                    self.set(key, name, *was)

    def density(self, dpi):
        """The system's density for the run."""
        return self.settings([(DESKTOP, "LogPixels", "REG_DWORD", str(dpi))])
