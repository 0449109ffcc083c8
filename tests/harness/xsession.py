"""A private X server, the program under test as a separate process, and the
means to look at its windows and to send them input from outside."""

import atexit
import os
import pty
import re
import select
import shlex
import shutil
import subprocess
import tempfile
import threading

from PIL import Image
from Xlib import X, XK, Xatom, display as xdisplay, error as xerror
from Xlib.ext import xtest
from Xlib.protocol import event

from .poll import DEADLINE, until

SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768



def private_accessibility_bus():
    """Makes the accessibility bus that this process's session bus starts a
    bus of its own. at-spi-bus-launcher puts its socket in the user's runtime
    folder, which every session of the user shares (~/.cache without
    XDG_RUNTIME_DIR): two runs at once would take each other's bus. Call it
    before anything asks for the accessibility bus."""
    if "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
        raise RuntimeError("needs a session bus of its own: run it with dbus-run-session")
    folder = tempfile.mkdtemp(prefix="marelo-a11y-")
    atexit.register(shutil.rmtree, folder, True)
    subprocess.run(["dbus-update-activation-environment", f"XDG_RUNTIME_DIR={folder}"],
                   check=True)
    return folder


def registered_events():
    """The events some assistive technology listens for, by the accessibility
    registry's word (the bus this process's session bus starts)."""
    from gi.repository import Gio, GLib
    session = Gio.bus_get_sync(Gio.BusType.SESSION)
    address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                None, GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, -1,
                                None).unpack()[0]
    bus = Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
        Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    try:
        reply = bus.call_sync("org.a11y.atspi.Registry", "/org/a11y/atspi/registry",
                              "org.a11y.atspi.Registry", "GetRegisteredEvents", None, None,
                              Gio.DBusCallFlags.NONE, -1, None).unpack()[0]
    finally:
        bus.close_sync(None)
    return [entry[1] for entry in reply]


def _event_key(name):
    """An event's name as the registry and Orca both may spell it."""
    return name.strip().rstrip(":").lower().replace("-", "").replace("_", "")


def program_path():
    path = os.environ.get("MARELO")
    if not path:
        raise RuntimeError("MARELO must name the program to test")
    return path


def _stop(process, grace=5.0):
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(grace)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class Screen:
    """An X display looked at and typed into from outside its programs: one
    of our own (XServer) or the one Wine draws on (Screen(name))."""

    def __init__(self, name=None):
        self.name = name
        self.display = xdisplay.Display(name) if name else None
        self.managed = False  # by a window manager

    # Windows ------------------------------------------------------------

    def top_levels(self, pid=None, title=None):
        """The viewable top-level windows, of one process and with one title
        if these are given."""
        found = []
        pid_atom = self.display.intern_atom("_NET_WM_PID")
        for xwindow in self._clients():
            try:
                if xwindow.get_attributes().map_state != X.IsViewable:
                    continue
                if pid is not None:
                    prop = xwindow.get_full_property(pid_atom, Xatom.CARDINAL)
                    if prop is None or prop.value[0] != pid:
                        continue
                window = Window(self, xwindow)
                if title is None or window.title == title:
                    found.append(window)
            except xerror.BadWindow:
                continue  # gone while we looked
        return found

    def _clients(self):
        """The programs' top-level windows: the root's children, or where a
        window manager has framed them, the windows inside its frames that
        it manages (those with a WM_STATE)."""
        state = self.display.intern_atom("WM_STATE")
        for child in self.display.screen().root.query_tree().children:
            try:
                if child.get_full_property(state, X.AnyPropertyType) is not None:
                    yield child
                    continue
                inside = [child]
                for _ in range(3):  # a frame's depth, openbox's included
                    inside = [w for parent in inside for w in parent.query_tree().children]
                    managed = [w for w in inside
                               if w.get_full_property(state, X.AnyPropertyType) is not None]
                    if managed:
                        yield from managed
                        break
                else:
                    yield child
            except xerror.BadWindow:
                continue  # gone while we looked

    def window_of(self, process, title, log):
        """Waits for the process's viewable top-level window with this title;
        log() tells what the process said, should it end before."""
        def find():
            windows = self.top_levels(process.pid, title)
            if windows:
                return windows[0]
            if process.poll() is not None:
                raise AssertionError(f"the program ended with status {process.returncode}:"
                                     f"\n{log()}")
            return None
        try:
            return self.wait_for(find, f"a window titled {title!r}")
        except AssertionError as error:
            raise AssertionError(f"{error}; the program's windows: "
                                 f"{self.described(process.pid)}") from None

    def described(self, pid):
        """The process's windows, top-level or framed, shown or not: title,
        map state and geometry, for a failure to tell what there was."""
        pid_atom = self.display.intern_atom("_NET_WM_PID")
        states = {X.IsUnmapped: "unmapped", X.IsUnviewable: "unviewable",
                  X.IsViewable: "viewable"}
        found = []
        level = self.display.screen().root.query_tree().children
        for _ in range(3):
            below = []
            for xwindow in level:
                try:
                    prop = xwindow.get_full_property(pid_atom, Xatom.CARDINAL)
                    if prop is not None and prop.value[0] == pid:
                        window = Window(self, xwindow)
                        state = states.get(xwindow.get_attributes().map_state)
                        found.append(f"{window.title!r} {state} {window.geometry()}")
                    below += xwindow.query_tree().children
                except xerror.BadWindow:
                    continue
            level = below
        return "; ".join(found) or "none"

    @staticmethod
    def wait_for(condition, what):
        """Polls condition() until it returns a true value, which it returns."""
        return until(condition, what)

    # Input --------------------------------------------------------------

    def move_pointer(self, x, y):
        xtest.fake_input(self.display, X.MotionNotify, x=x, y=y)
        self.display.sync()

    def click_at(self, x, y):
        self.move_pointer(x, y)
        xtest.fake_input(self.display, X.ButtonPress, 1)
        xtest.fake_input(self.display, X.ButtonRelease, 1)
        self.display.sync()

    def key_down(self, name, down=True):
        """A key goes down (or up) and stays so: held, the server repeats it."""
        code = self.display.keysym_to_keycode(XK.string_to_keysym(name))
        xtest.fake_input(self.display, X.KeyPress if down else X.KeyRelease, code)
        self.display.sync()

    def key_presses(self, window, name):
        """Counts the presses of a key that reach a window, repeats included:
        call the result to learn how many have come so far."""
        watcher = xdisplay.Display(self.name)
        target = watcher.create_resource_object("window", window.id)
        target.change_attributes(event_mask=X.KeyPressMask)
        watcher.sync()
        code = watcher.keysym_to_keycode(XK.string_to_keysym(name))
        count = [0]

        def presses():
            while watcher.pending_events():
                happened = watcher.next_event()
                if happened.type == X.KeyPress and happened.detail == code:
                    count[0] += 1
            return count[0]
        presses.close = watcher.close
        return presses

    def key(self, name, shift=False):
        code = self.display.keysym_to_keycode(XK.string_to_keysym(name))
        shift_code = self.display.keysym_to_keycode(XK.XK_Shift_L)
        if shift:
            xtest.fake_input(self.display, X.KeyPress, shift_code)
        xtest.fake_input(self.display, X.KeyPress, code)
        xtest.fake_input(self.display, X.KeyRelease, code)
        if shift:
            xtest.fake_input(self.display, X.KeyRelease, shift_code)
        self.display.sync()


    def grab(self, left, top, width, height):
        """A part of the screen as it shows, whichever windows draw it."""
        root = self.display.screen().root
        image = root.get_image(left, top, width, height, X.ZPixmap, 0xFFFFFFFF)
        return Image.frombytes("RGB", (width, height), image.data, "raw", "BGRX")

    def focus(self, window):
        """Gives a window the keyboard, as a window manager does on a click."""
        self.display.set_input_focus(window.xwindow, X.RevertToParent, X.CurrentTime)
        self.display.sync()


class XServer(Screen):
    """Xvfb at 96 dpi on a display number it picks itself."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT):
        super().__init__()
        self.width, self.height = width, height
        self.folder = tempfile.mkdtemp(prefix="marelo-x-")
        self.beside = []  # processes kept running on this display: settings daemons, a WM
        self.process = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        try:
            with open(os.path.join(self.folder, "xvfb.log"), "w") as log:
                self.process = subprocess.Popen(
                    ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                     f"{self.width}x{self.height}x24", "-dpi", "96", "-nolisten", "tcp",
                     "-noreset"],
                    pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                    stdout=subprocess.DEVNULL, stderr=log, start_new_session=True)
            os.close(write_end)
            write_end = None
            number = b""
            while not number.endswith(b"\n"):
                ready, _, _ = select.select([read_end], [], [], DEADLINE)
                chunk = os.read(read_end, 64) if ready else b""
                if not chunk:
                    raise RuntimeError("Xvfb did not start: " + self._log())
                number += chunk
        except BaseException:
            self.__exit__(None, None, None)
            raise
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)
        self.name = ":" + number.decode().strip()
        self.display = xdisplay.Display(self.name)
        return self

    def _log(self):
        with open(os.path.join(self.folder, "xvfb.log")) as log:
            return log.read()[-2000:]

    def __exit__(self, *exc):
        for process in reversed(self.beside):
            _stop(process)
        if self.display is not None:
            self.display.close()
            self.display = None
        _stop(self.process)
        shutil.rmtree(self.folder, ignore_errors=True)
        return False

    def env(self, extra=None):
        env = dict(os.environ)
        env.update({
            "DISPLAY": self.name,
            "QT_QPA_PLATFORM": "xcb",
            "QT_QPA_PLATFORMTHEME": "",
            "XDG_RUNTIME_DIR": self.folder,
            "HOME": self.folder,
        })
        for name in ("QT_ACCESSIBILITY", "QT_STYLE_OVERRIDE", "QT_SCALE_FACTOR"):
            env.pop(name, None)
        for name, value in (extra or {}).items():
            if value is None:  # unset
                env.pop(name, None)
            else:
                env[name] = value
        return env

    # The desktop around the program ----------------------------------------

    def run(self, *command):
        """Runs a client of this display (xrandr, xdotool) to its end."""
        done = subprocess.run(list(command), env=self.env(), capture_output=True, text=True,
                              timeout=DEADLINE)
        if done.returncode != 0:
            raise RuntimeError(f"{' '.join(command)}: {done.stderr.strip()}")
        return done.stdout

    def start_beside(self, command, env=None):
        """Keeps a process running on this display until the server ends."""
        with open(os.path.join(self.folder, "beside.log"), "a") as log:
            process = subprocess.Popen(list(command), env=self.env(env), stdin=subprocess.DEVNULL,
                                       stdout=log, stderr=subprocess.STDOUT,
                                       start_new_session=True)
        self.beside.append(process)
        return process

    def start_window_manager(self):
        """openbox, once it has started: it names itself the screen's window
        manager while still setting up, and a window mapped then is never
        managed, nor shown. It runs its start-up command once it is done."""
        ready = os.path.join(self.folder, "openbox-ready")
        self.start_beside(["openbox", "--sm-disable", "--startup", f"touch {shlex.quote(ready)}"])
        self.wait_for(lambda: os.path.exists(ready), "openbox to start")
        self.managed = True

    def wait_active(self, window):
        """Under a window manager, until it has made the window the active
        one: a click before that may go to its focusing instead."""
        if not self.managed:
            return
        active = self.display.intern_atom("_NET_ACTIVE_WINDOW")

        def is_active():
            prop = self.display.screen().root.get_full_property(active, Xatom.WINDOW)
            return prop is not None and prop.value[0] == window.id
        self.wait_for(is_active, f"{window.title!r} to be the active window")

    def set_monitors(self, monitors):
        """RandR monitors on the one output: (name, x, y, width, height), the
        primary first. The one at the screen's corner stands for the output,
        which then has no monitor of its own over the whole screen."""
        for index, (name, x, y, width, height) in enumerate(monitors):
            self.run("xrandr", "--setmonitor", ("*" if index == 0 else "") + name,
                     f"{width}/{width * 254 // 960}x{height}/{height * 254 // 960}+{x}+{y}",
                     "screen" if (x, y) == (0, 0) else "none")

    def remove_monitor(self, name):
        self.run("xrandr", "--delmonitor", name)

    def set_screen_size(self, width, height):
        """The output and the screen made smaller, as a projector or a smaller
        monitor does: a mode of that size added and taken."""
        name = f"{width}x{height}"
        # A mode's timings matter only to real monitors.
        self.run("xrandr", "--newmode", name, "25.175", str(width), str(width + 16),
                 str(width + 112), str(width + 160), str(height), str(height + 10),
                 str(height + 12), str(height + 45))
        self.run("xrandr", "--addmode", "screen", name)
        self.run("xrandr", "--output", "screen", "--mode", name, "--fb", name)
        self.width, self.height = width, height


class Window:
    def __init__(self, server, xwindow):
        self.server = server
        self.xwindow = xwindow
        self.title = self._title()

    @property
    def id(self):
        return self.xwindow.id

    def _title(self):
        utf8 = self.server.display.intern_atom("UTF8_STRING")
        prop = self.xwindow.get_full_property(
            self.server.display.intern_atom("_NET_WM_NAME"), utf8)
        if prop is not None:
            value = prop.value
            return value.decode() if isinstance(value, bytes) else value
        return self.xwindow.get_wm_name()

    def geometry(self):
        """Client area on the screen: x, y, width, height."""
        g = self.xwindow.get_geometry()
        origin = self.xwindow.translate_coords(self.server.display.screen().root, 0, 0)
        return -origin.x, -origin.y, g.width, g.height

    def raise_(self):
        self.xwindow.configure(stack_mode=X.Above)
        self.server.display.sync()

    def close(self):
        """Asks the window to close, as a window manager's close box does."""
        d = self.server.display
        protocols = d.intern_atom("WM_PROTOCOLS")
        message = event.ClientMessage(
            window=self.xwindow, client_type=protocols,
            data=(32, [d.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        self.xwindow.send_event(message)
        d.sync()

    def frame(self):
        """The whole window on the screen, a window manager's frame included:
        left, top, right, bottom (the last two just outside)."""
        x, y, width, height = self.geometry()
        extents = self.xwindow.get_full_property(
            self.server.display.intern_atom("_NET_FRAME_EXTENTS"), Xatom.CARDINAL)
        left, right, top, bottom = extents.value if extents is not None else (0, 0, 0, 0)
        return x - left, y - top, x + width + right, y + height + bottom

    def move_to(self, x, y):
        """Moves the window as a user drags it, without a window manager."""
        self.xwindow.configure(x=x, y=y)
        self.server.display.sync()

    def resize(self, width, height):
        """Resizes the client area, as dragging the frame's corner does."""
        self.server.run("xdotool", "windowsize", str(self.id), str(width), str(height))

    def grab(self):
        g = self.xwindow.get_geometry()
        image = self.xwindow.get_image(0, 0, g.width, g.height, X.ZPixmap, 0xFFFFFFFF)
        return Image.frombytes("RGB", (g.width, g.height), image.data, "raw", "BGRX")

    def click(self, x, y):
        left, top, _, _ = self.geometry()
        self.server.click_at(left + x, top + y)


class App:
    """The program, started as a separate process on the given X server."""

    def __init__(self, server, extra_env=None):
        self.server = server
        self.log_path = tempfile.mktemp(prefix="marelo-", suffix=".log", dir=server.folder)
        with open(self.log_path, "w") as log:
            self.process = subprocess.Popen(
                [program_path()], env=server.env(extra_env), stdin=subprocess.DEVNULL,
                stdout=log, stderr=subprocess.STDOUT, start_new_session=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        _stop(self.process)
        return False

    def log(self):
        with open(self.log_path, errors="replace") as log:
            return log.read()[-4000:]

    def window(self, title):
        return self.server.window_of(self.process, title, self.log)

    def windows(self, title=None):
        return self.server.top_levels(self.process.pid, title)

    def wait_exit(self):
        try:
            return self.process.wait(DEADLINE)
        except subprocess.TimeoutExpired:
            raise AssertionError("the program did not end") from None


def orca_version():
    """The installed Orca's version, as (major, minor)."""
    path = "/usr/lib/python3/dist-packages/orca/orca_platform.py"
    with open(path, encoding="utf-8") as source:
        found = re.search(r'^version\s*=\s*"(\d+)\.(\d+)', source.read(), re.M)
    return (int(found.group(1)), int(found.group(2)))


class ScreenReader:
    """Orca on the server's display and on the session bus this process runs
    in (dbus-run-session), with a home, settings and a speech-dispatcher of its
    own that speaks into ALSA's null device. What it says comes from its debug
    output, one "SPEECH OUTPUT" entry per utterance; that output is flushed
    line by line only to a terminal, so Orca runs on a pseudo-terminal."""

    HERE = os.path.dirname(os.path.abspath(__file__))
    VERSION = orca_version()
    # How each Orca says a role after a name: Orca 48 says "button" where
    # Orca 43 said "push button", and ends no window's name with a stop.
    ROLE_WORDS = ({"button": "push button.", "frame": "frame."} if VERSION < (48, 0)
                  else {"button": "button.", "frame": "frame"})
    SPEECH = re.compile(r"^[0-9:.]+ - SPEECH OUTPUT: '(.*)$")
    # An utterance's end: its closing quote, then the voice's settings.
    END = re.compile(r"^(.*)' ?\[?\{.*\}\]?$")

    def __init__(self, server):
        self.server = server
        self.folder = os.path.join(server.folder, "reader")
        self.speech = None
        self.orca = None
        self.lines = []
        self.said = []
        self.echoes = set()  # which of them echo a key pressed
        self._lock = threading.Lock()
        self._reader = None

    def env(self):
        env = self.server.env()
        for name, sub in (("HOME", "home"), ("XDG_CONFIG_HOME", "config"),
                          ("XDG_DATA_HOME", "data"), ("XDG_CACHE_HOME", "cache"),
                          ("XDG_RUNTIME_DIR", "run")):
            env[name] = os.path.join(self.folder, sub)
        # Orca's few desktop settings stay in its process.
        env["GSETTINGS_BACKEND"] = "memory"
        return env

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start(self):
        env = self.env()
        for name in ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                     "XDG_RUNTIME_DIR"):
            os.makedirs(env[name], mode=0o700, exist_ok=True)
        # speech-dispatcher will not start without a sound device it can open.
        config = os.path.join(env["XDG_CONFIG_HOME"], "speech-dispatcher")
        shutil.copytree("/etc/speech-dispatcher", config)
        with open(os.path.join(config, "speechd.conf"), "a") as conf:
            conf.write('\nAudioOutputMethod "alsa"\nAudioALSADevice "null"\n')
        socket = os.path.join(env["XDG_RUNTIME_DIR"], "speech-dispatcher", "speechd.sock")
        with open(os.path.join(self.folder, "speechd.log"), "w") as log:
            self.speech = subprocess.Popen(
                ["speech-dispatcher", "--run-single", "--timeout", "0",
                 "--communication-method", "unix_socket", "--socket-path", socket],
                env=env, stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                start_new_session=True)

        def speech_ready():
            if self.speech.poll() is not None:
                raise AssertionError("speech-dispatcher ended: " + self._speech_log())
            return os.path.exists(socket)
        self.server.wait_for(speech_ready, "speech-dispatcher's socket")

        master, slave = pty.openpty()
        try:
            self.orca = subprocess.Popen(
                ["/usr/bin/python3", os.path.join(self.HERE, "run_orca.py")], env=env,
                stdin=slave, stdout=slave, stderr=slave, start_new_session=True)
        finally:
            os.close(slave)
        self._reader = threading.Thread(target=self._read, args=(master,), daemon=True)
        self._reader.start()
        # Ready: it speaks, and the accessibility registry holds every
        # listener it made, so that a program started now sends it all. Orca
        # 48 speaks before it makes them: it has made them all once it logs
        # that its event loop starts (Orca 43, that its registry starts).
        self.wait_said(lambda said: "Screen reader on." in said, "Orca to start")
        started = ("ORCA: Starting Atspi main event loop" if self.VERSION >= (48, 0)
                   else "ORCA: Starting ATSPI registry.")
        self.server.wait_for(lambda: any(started in line for line in self.lines),
                             "Orca's event loop to start")
        made = {_event_key(line.split("registering listener for: ", 1)[1])
                for line in self.lines if "EVENT MANAGER: registering listener for: " in line}
        self.server.wait_for(lambda: made <= {_event_key(e) for e in registered_events()},
                             f"the registry to hold Orca's listeners {sorted(made)}")

    def _speech_log(self):
        with open(os.path.join(self.folder, "speechd.log"), errors="replace") as log:
            return log.read()[-2000:]

    def _read(self, master):
        """Takes Orca's output as it comes, so that Orca never waits on a full terminal."""
        pending = b""
        utterance = None
        keyboard = False  # Orca 48 is presenting a key
        while True:
            try:
                chunk = os.read(master, 65536)
            except OSError:
                break
            if not chunk:
                break
            pending += chunk
            *complete, pending = pending.split(b"\n")
            for raw in complete:
                line = raw.decode("utf-8", "replace").rstrip("\r")
                with self._lock:
                    self.lines.append(line)
                if "Presenting keyboard event" in line:
                    keyboard = True
                elif "SPEECH: Speak" in line:
                    keyboard = False
                if utterance is None:
                    start = self.SPEECH.match(line)
                    if not start:
                        continue
                    utterance, line = [], start.group(1)
                else:
                    line = line[18:] if line.startswith(" " * 18) else line.lstrip()
                end = self.END.match(line)
                utterance.append(end.group(1) if end else line)
                if end:
                    text = "\n".join(utterance)
                    # Orca 43 and 48 both log a key's echo as a keyboard
                    # event's; flat review's words end in a blank as echoes do.
                    with self._lock:
                        if keyboard:
                            self.echoes.add(len(self.said))
                        self.said.append(text)
                    utterance, keyboard = None, False
        os.close(master)

    def says(self, name, role):
        """What Orca says of an object with this name and role as it reaches it."""
        return f"{name} {self.ROLE_WORDS[role]}"

    def utterances(self, since=0):
        """Everything Orca said from the utterance `since` on, its key echo too."""
        with self._lock:
            return list(self.said[since:])

    def spoken(self, since=0):
        """What Orca said from the utterance `since` on, its echo of the keys left aside."""
        with self._lock:
            return [u for i, u in enumerate(self.said) if i >= since and i not in self.echoes]

    def wait_said(self, condition, what):
        """Waits until condition(utterances) holds for what Orca has said."""
        def check():
            if self.orca.poll() is not None:
                raise AssertionError(f"Orca ended ({self.orca.returncode}):\n" + self.log())
            return condition(self.utterances())
        try:
            return self.server.wait_for(check, what)
        except AssertionError as error:
            raise AssertionError(f"{error}; Orca said {self.utterances()}; the events it had "
                                 "last:\n" + self.events()) from None

    def events(self, count=30):
        """The last events Orca's log names, for a failure's report."""
        with self._lock:
            found = [line for line in self.lines if "EVENT MANAGER: " in line or
                     "ERROR" in line]
        return "\n".join(found[-count:])

    def log(self, lines=60):
        with self._lock:
            return "\n".join(self.lines[-lines:])

    def __exit__(self, *exc):
        _stop(self.orca)
        if self._reader is not None:
            self._reader.join(5)
        _stop(self.speech)
        return False
