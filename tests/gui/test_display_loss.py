#!/usr/bin/python3
"""Losing the display: the program's X connection killed through the server,
the X server gone under the running program, with and without the help window
open, and a start without any display. Each time the program must end by
itself with its own exit status and one line on stderr, not by a signal, and
leave no core file behind."""

import os
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

from harness.main_window import painted, settled
from harness.picture import BUTTONS, center
from harness.poll import DEADLINE
from harness.xsession import XServer, program_path

# The exit status for a display that is lost or cannot be opened (README).
NO_DISPLAY_STATUS = 3


def allow_cores():
    """In the child: core files as large as the system lets them be, so that
    a crash would leave one."""
    _, hard = resource.getrlimit(resource.RLIMIT_CORE)
    resource.setrlimit(resource.RLIMIT_CORE, (hard, hard))


class Run:
    """The program started in a private working folder, where a crash would
    leave its core, with its stderr kept apart."""

    def __init__(self, env):
        self.folder = tempfile.mkdtemp(prefix="marelo-run-")
        env = dict(env)
        env.setdefault("XDG_RUNTIME_DIR", self.folder)
        self.stderr_path = os.path.join(self.folder, "stderr.txt")
        with open(self.stderr_path, "w") as stderr:
            self.process = subprocess.Popen(
                [program_path()], env=env, cwd=self.folder, stdin=subprocess.DEVNULL,
                stdout=subprocess.DEVNULL, stderr=stderr, start_new_session=True,
                preexec_fn=allow_cores)

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)

    def wait(self):
        try:
            return self.process.wait(DEADLINE)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end by itself") from None

    def stderr_lines(self):
        with open(self.stderr_path, errors="replace") as stderr:
            return stderr.read().splitlines()

    def cores(self):
        return [name for name in os.listdir(self.folder) if name.startswith("core")]


def free_display():
    """A display name that no X server answers: a number far above the ones
    servers pick for themselves, with no socket of that number in use."""
    with open("/proc/net/unix") as table:
        sockets = table.read()
    for number in range(7300, 7400):
        path = f"/tmp/.X11-unix/X{number}"
        if path not in sockets and not os.path.exists(path) and \
                not os.path.exists(f"/tmp/.X{number}-lock"):
            return f":{number}"
    raise RuntimeError("no free display number")


def bare_env(**extra):
    """The environment of a session without any display."""
    env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XDG_SESSION_TYPE",
                 "QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "QT_LOGGING_RULES",
                 "XDG_RUNTIME_DIR"):
        env.pop(name, None)
    env.update(extra)
    return env


# Ways to lose the display; each gets the X server, the program and the
# window to aim at.

def xdotool_windowkill(server, run, window):
    subprocess.run(["xdotool", "search", "--pid", str(run.process.pid), "--name",
                    f"^{window.title}$", "windowkill"],
                   env=server.env(), check=True, timeout=DEADLINE)


def xkill(server, run, window):
    subprocess.run(["xkill", "-display", server.name, "-id", str(window.id)],
                   stdout=subprocess.DEVNULL, check=True, timeout=DEADLINE)


def server_stopped(server, run, window):
    _end_server(server, signal.SIGTERM)


def server_killed(server, run, window):
    _end_server(server, signal.SIGKILL)


def _end_server(server, signal_number):
    server.display.close()
    server.display = None
    server.process.send_signal(signal_number)
    server.process.wait(DEADLINE)


LOSSES = [
    ("the program's windows killed with xdotool", xdotool_windowkill),
    ("the program's connection killed with xkill", xkill),
    ("the X server stopped", server_stopped),
    ("the X server killed", server_killed),
]


class LostDisplay(unittest.TestCase):

    def lose(self, how, with_help, extra_env=None):
        server = XServer().__enter__()
        self.addCleanup(server.__exit__, None, None, None)
        run = Run(server.env(extra_env))
        self.addCleanup(run.close)
        main = server.window_of(run.process, "Marelo", run.stderr_lines)
        # The event loop is running: the window has been painted.
        settled(main, painted)
        target = main
        if with_help:
            main.raise_()
            main.click(*center(BUTTONS["help_pb"]))
            target = server.window_of(run.process, "HELP", run.stderr_lines)
        name = server.name
        how(server, run, target)
        status = run.wait()
        lines = run.stderr_lines()
        self.assertGreaterEqual(status, 0, f"ended by signal {-status}: {lines}, {run.cores()}")
        self.assertEqual(status, NO_DISPLAY_STATUS, lines)
        self.assertEqual(lines, [f"marelo: lost the connection to display {name}"])
        self.assertEqual(run.cores(), [])

    def test_display_lost(self):
        for what, how in LOSSES:
            for with_help in (False, True):
                with self.subTest(what, help_open=with_help):
                    try:
                        self.lose(how, with_help)
                    finally:
                        self.doCleanups()

    def test_wayland_session_runs_on_its_x_server(self):
        # A Wayland session's XWayland: the chart comes up on X, painted.
        server = XServer().__enter__()
        self.addCleanup(server.__exit__, None, None, None)
        run = Run(server.env({"WAYLAND_DISPLAY": "wayland-nowhere",
                              "XDG_SESSION_TYPE": "wayland"}))
        self.addCleanup(run.close)
        main = server.window_of(run.process, "Marelo", run.stderr_lines)
        settled(main, painted)
        self.assertIsNone(run.process.poll())
        self.assertEqual(run.stderr_lines(), [])

    def test_display_lost_with_qt_warnings_off(self):
        # Qt's own warning on a broken connection is not shown at all.
        self.lose(server_stopped, False, {"QT_LOGGING_RULES": "*.warning=false"})


class NoDisplay(unittest.TestCase):

    def start(self, env):
        run = Run(env)
        self.addCleanup(run.close)
        return run

    def test_no_display_at_start(self):
        nowhere = free_display()
        cases = [
            ("DISPLAY not set", bare_env(), None),
            ("DISPLAY names no server", bare_env(DISPLAY=nowhere), nowhere),
            ("xcb asked for, DISPLAY names no server",
             bare_env(DISPLAY=nowhere, QT_QPA_PLATFORM="xcb"), nowhere),
            ("xcb asked for, DISPLAY not set", bare_env(QT_QPA_PLATFORM="xcb"), None),
            # The program asks for X in a Wayland session: without XWayland
            # there is none, and Qt's Wayland plugin is never tried.
            ("a Wayland session without XWayland",
             bare_env(WAYLAND_DISPLAY="wayland-nowhere", XDG_SESSION_TYPE="wayland"), None),
            ("a Wayland session, DISPLAY names no server",
             bare_env(WAYLAND_DISPLAY="wayland-nowhere", DISPLAY=nowhere), nowhere),
        ]
        for what, env, display in cases:
            with self.subTest(what):
                run = self.start(env)
                status = run.wait()
                lines = run.stderr_lines()
                self.assertGreaterEqual(status, 0,
                                        f"ended by signal {-status}: {lines}, {run.cores()}")
                self.assertEqual(status, NO_DISPLAY_STATUS, lines)
                self.assertEqual(len(lines), 1, lines)
                line = lines[0]
                self.assertTrue(line.startswith("marelo: no display could be opened"), line)
                if display is not None:
                    self.assertIn(f'"{display}"', line)
                else:
                    self.assertIn("DISPLAY is not set", line)
                # How to point the program at a display.
                self.assertIn("DISPLAY=", line)
                self.assertEqual(run.cores(), [])

    def test_offscreen_needs_no_display(self):
        # The headless platform asked for by name starts without any display.
        run = self.start(bare_env(QT_QPA_PLATFORM="offscreen"))
        time.sleep(2)
        self.assertIsNone(run.process.poll(), run.stderr_lines())
        self.assertEqual(run.stderr_lines(), [])


if __name__ == "__main__":
    result = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
