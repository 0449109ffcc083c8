#!/usr/bin/python3
"""MARELO.exe under Wine on the desktops Windows users set up: the high-contrast
colours of the accessibility settings and larger text densities, set in the
prefix's registry for the run and put back afterwards. The windows are judged
from the screen's pixels as on Linux (tests/gui/legibility.py): every text
legible against its own background, button captions clear of their frames,
note names and the help text whole, the main window a white sheet. A set-up
that changes while the program runs (a move to a monitor of another density)
is compared with a fresh start in the final setting, pixel for pixel.

  desktop_window.py WINE_ENV STATE MARELO.exe window_probe.exe SETUP high_contrast_hook.dll
  desktop_window.py list      the set-ups' names, one a line
  desktop_window.py screenshot WINE_ENV STATE MARELO.exe window_probe.exe \
                    high_contrast_hook.dll OUT.png
                              the chart with C, E and G marked and the columns
                              shifted by 2, 9 and 7, in High Contrast Black

Wine keeps no high-contrast setting: the high-contrast set-ups start the
program with the scheme's colours, where the sheet must stay as it is, then
turn high contrast on while it runs (window_probe highcontrast), where the
chart must take the scheme: text, frames and lines in the window-text colour
on the window colour, marked rows in the highlight pair.

Prints each check and the lowest contrast and narrowest caption margin
measured; exits nonzero on any failure. Needs Debian's python3 with
python3-pil, xdotool and ImageMagick's import.
"""
import io
import os
import re
import subprocess
import sys
import time
from dataclasses import dataclass

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gui"))
from legibility import Ink, Judge, Report, Scale  # noqa: E402
from picture import BUTTONS, cell_rect, center  # noqa: E402

COLOURS = r"HKCU\Control Panel\Colors"
THEMES = r"HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager"
DESKTOP = r"HKCU\Control Panel\Desktop"

# Windows' "High Contrast Black" scheme. High contrast turns the visual
# styles off, so that native controls draw themselves in these colours.
HIGH_CONTRAST_BLACK = {
    "Window": "0 0 0", "WindowText": "255 255 255", "WindowFrame": "255 255 255",
    "ButtonFace": "0 0 0", "ButtonText": "255 255 255", "ButtonHilight": "255 255 255",
    "ButtonLight": "192 192 192", "ButtonShadow": "128 128 128", "ButtonDkShadow": "255 255 255",
    "GrayText": "0 255 0", "Hilight": "128 0 128", "HilightText": "255 255 255",
    "ActiveTitle": "128 0 128", "TitleText": "255 255 255", "InactiveTitle": "0 128 0",
    "InactiveTitleText": "255 255 255", "ActiveBorder": "255 255 0",
    "InactiveBorder": "255 255 255", "Menu": "0 0 0", "MenuText": "255 255 255",
    "InfoWindow": "0 0 0", "InfoText": "255 255 255", "Background": "0 0 0",
    "AppWorkSpace": "0 0 0",
}


@dataclass
class Setup:
    name: str
    what: str
    dpi: int = 96
    colours: dict = None
    # The dialog colour the help window takes from the scheme.
    button_face: tuple = None
    # The density of the monitor the window is moved to while it runs.
    moved_to: int = None
    # High contrast turned on while the program runs.
    high_contrast: bool = False

    def settings(self):
        """The registry values of the set-up: key, name, type, data."""
        values = []
        if self.colours:
            values += [(COLOURS, name, "REG_SZ", value) for name, value in self.colours.items()]
            values.append((THEMES, "ThemeActive", "REG_SZ", "0"))
        if self.dpi != 96:
            values.append((DESKTOP, "LogPixels", "REG_DWORD", str(self.dpi)))
        return values


SETUPS = [
    Setup("standard", "Wine's own colours, 96 dpi", button_face=(245, 245, 245)),
    Setup("high_contrast", "High Contrast Black, 96 dpi", colours=HIGH_CONTRAST_BLACK,
          button_face=(0, 0, 0), high_contrast=True),
    Setup("high_contrast_144", "High Contrast Black, 144 dpi", dpi=144,
          colours=HIGH_CONTRAST_BLACK, button_face=(0, 0, 0), high_contrast=True),
    Setup("dpi_120", "120 dpi (125 %)", dpi=120),
    Setup("dpi_144", "144 dpi (150 %)", dpi=144),
    Setup("dpi_96_to_144", "moved from a 96-dpi monitor to one of 144 dpi while running",
          moved_to=144),
    Setup("dpi_144_to_96", "moved from a 144-dpi monitor to one of 96 dpi while running", dpi=144,
          moved_to=96),
]
MARKED_ROWS = (1, 4)


class World:
    """The Wine prefix and display the tests share, through wine-env.sh."""

    def __init__(self, wine_env, state, probe_exe, hook=None):
        self.wine_env, self.state, self.probe_exe, self.hook = wine_env, state, probe_exe, hook
        self.environment = dict(os.environ)
        for line in subprocess.run([wine_env, state, "env"], check=True, capture_output=True,
                                   text=True).stdout.splitlines():
            key, _, value = line.partition("=")
            self.environment[key] = value

    def run(self, *command):
        return subprocess.run(command, env=self.environment, capture_output=True, text=True,
                              timeout=120)

    def wine(self, *command):
        return self.run(self.wine_env, self.state, "run", *command)

    def probe(self, command, title):
        out = self.wine(self.probe_exe, command, title).stdout.replace("\r", "")
        info = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        return info if info.get("found") == "1" else None

    def screen(self):
        from PIL import Image  # here, so that listing the set-ups needs no PIL

        png = subprocess.run(["import", "-window", "root", "png:-"], env=self.environment,
                             capture_output=True, timeout=60, check=True).stdout
        return Image.open(io.BytesIO(png)).convert("RGB")

    def click(self, x, y):
        self.run("xdotool", "mousemove", str(x), str(y), "click", "1")

    def high_contrast(self, title):
        """Turns high contrast on in the program of that window."""
        hook = self.run("winepath", "-w", self.hook).stdout.strip()
        return "loaded=1" in self.wine(self.probe_exe, "highcontrast", title, hook).stdout

    # The registry ----------------------------------------------------------

    def query(self, key, name):
        """A value's type and data, or None where it is not set."""
        out = self.wine("reg", "query", key, "/v", name).stdout.replace("\r", "")
        for line in out.splitlines():
            found = re.match(r"\s+(\S+)\s+(REG_\w+)\s+(.*)$", line)
            if found and found.group(1).lower() == name.lower():
                kind, data = found.group(2), found.group(3)
                return kind, str(int(data, 0)) if kind == "REG_DWORD" else data
        return None

    def set(self, key, name, kind, data):
        self.wine("reg", "add", key, "/v", name, "/t", kind, "/d", data, "/f")

    def unset(self, key, name):
        self.wine("reg", "delete", key, "/v", name, "/f")


class Settings:
    """Sets a set-up's registry values for the run and puts back what was
    there before, so that the other Wine tests find the prefix as it was."""

    def __init__(self, world, values):
        self.world, self.values, self.before = world, values, []

    def __enter__(self):
        for key, name, kind, data in self.values:
            self.before.append((key, name, self.world.query(key, name)))
            self.world.set(key, name, kind, data)
        return self

    def __exit__(self, *exc):
        for key, name, was in reversed(self.before):
            if was is None:
                self.world.unset(key, name)
            else:
                self.world.set(key, name, *was)
        return False


def until(condition, seconds=60):
    end = time.monotonic() + seconds
    while True:
        value = condition()
        if value or time.monotonic() > end:
            return value
        time.sleep(0.2)


def client(world, title):
    """The window's client area from the screen, once two grabs agree."""
    last = [None]

    def same_twice():
        info = world.probe("info", title)
        if info is None:
            return None
        x, y = (int(v) for v in info["origin"].split())
        width, height = (int(v) for v in info["client"].split())
        picture = world.screen().crop((x, y, x + width, y + height))
        done = last[0] is not None and picture.tobytes() == last[0].tobytes()
        last[0] = picture
        return (picture, (x, y)) if done else None
    return until(same_twice)


def start(world, exe):
    return subprocess.Popen([world.wine_env, world.state, "run", exe], env=world.environment,
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)


def close(world, program):
    world.wine(world.probe_exe, "close", "Marelo")
    try:
        program.wait(timeout=30)
    except subprocess.TimeoutExpired:
        program.kill()
        program.wait()


def shown(world, report, what=""):
    """The main window once it is painted, the pointer away from every button
    (which would light up under it): its picture and origin, or None."""
    if not report.check(f"{what}main window appears",
                        until(lambda: world.probe("info", "Marelo"))):
        return None
    world.run("xdotool", "mousemove", "1023", "767")
    seen = client(world, "Marelo")
    return seen if report.check(f"{what}the main window is painted", seen is not None) else None


def mark(world, report, scale, start_picture, origin, what=""):
    """Marks the rows MARKED_ROWS by clicks: the picture once they show, or None."""
    for row in MARKED_ROWS:
        x, y = center(cell_rect(0, row))
        world.click(origin[0] + scale.px(x), origin[1] + scale.px(y))
    world.run("xdotool", "mousemove", "1023", "767")
    org = [scale.inside(*cell_rect(0, row)) for row in MARKED_ROWS]

    def marked():
        seen = client(world, "Marelo")
        return seen if seen and all(
            seen[0].crop(area).tobytes() != start_picture.crop(area).tobytes()
            for area in org) else None
    seen = until(marked)
    return seen[0] if report.check(f"{what}the marks show", seen is not None) else None


def marked_chart(world, report, scale, what):
    seen = shown(world, report, what)
    return mark(world, report, scale, *seen, what) if seen else None


def differing(a, b):
    """How many pixels of two pictures differ; -1 for pictures of two sizes."""
    if a.size != b.size:
        return -1
    from PIL import ImageChops
    difference = ImageChops.difference(a, b).convert("L")
    return sum(1 for value in difference.getdata() if value)


def moved(world, exe, chosen, report, judge):
    """Started at one density, told it is on a monitor of another, and
    compared with a fresh start at that one."""
    before, after = Scale(chosen.dpi), Scale(chosen.moved_to)
    program = start(world, exe)
    try:
        picture = marked_chart(world, report, before, f"at {chosen.dpi} dpi: ")
        if picture is None:
            return
        report.check(f"client area {picture.width} x {picture.height} at {chosen.dpi} dpi",
                     picture.size == (before.px(401), before.px(287)))
        out = world.wine(world.probe_exe, "dpi", "Marelo", str(chosen.moved_to)).stdout
        if not report.check("WM_DPICHANGED reaches the window", "sent=1" in out, out):
            return
        wanted = (after.px(401), after.px(287))

        def refitted():
            seen = client(world, "Marelo")
            return seen if seen and seen[0].size == wanted else None
        seen = until(refitted)
        size = seen[0].size if seen else None
        report.check(f"client area {wanted[0]} x {wanted[1]} at once after the move", seen, size)
        if not seen:
            return
        # How a fresh start there reads is the fresh set-ups' to judge.
        running = seen[0]
    finally:
        close(world, program)
    with Settings(world, [(DESKTOP, "LogPixels", "REG_DWORD", str(chosen.moved_to))]):
        program = start(world, exe)
        try:
            fresh = marked_chart(world, report, after,
                                 f"a fresh start at {chosen.moved_to} dpi: ")
        finally:
            close(world, program)
    if fresh is not None:
        report.check("the same pixels as a fresh start at the new density",
                     differing(running, fresh) == 0,
                     f"{differing(running, fresh)} pixels differ")


def colour(value):
    return tuple(int(v) for v in value.split())


def to_high_contrast(world, report, before):
    """Turns high contrast on while the program runs: the chart once it has
    changed and settled, or None."""
    if not report.check("high contrast turned on in the running program",
                        world.high_contrast("Marelo")):
        return None

    def changed():
        seen = client(world, "Marelo")
        return seen if seen and seen[0].tobytes() != before.tobytes() else None
    seen = until(changed)
    report.check("the chart changes at once", seen is not None)
    return seen[0] if seen else None


def scheme_sheet(report, picture, scale, scheme, marked):
    """The chart in the scheme: the window colour for ground, the window-text
    colour for names, headings, counts, frames and lines, and the marked rows
    in the highlight pair."""
    window, text = colour(scheme["Window"]), colour(scheme["WindowText"])
    highlight, highlight_text = colour(scheme["Hilight"]), colour(scheme["HilightText"])
    px = picture.load()
    wrong = []
    for x, y in ((2, 2), (398, 20), (85, 150), (398, 284), (190, 230)):
        if px[scale.px(x), scale.px(y)][:3] != window:
            wrong.append(f"ground at ({x}, {y}) is {px[scale.px(x), scale.px(y)][:3]}")
    for row in range(12):
        for column in range(4):
            ink = Ink(picture, scale.inside(*cell_rect(column, row)))
            wanted = (highlight_text, highlight) if row in marked else (text, window)
            if (ink.colour, ink.background) != wanted:
                wrong.append(f"column {column} row {row}: {ink.colour} on {ink.background}")
    x0, y0, _, _ = scale.box(*cell_rect(0, 0))
    for what, at in (("cell frame", (x0, y0 + scale.px(8))),
                     ("box line", (scale.px(88 + 48), scale.px(224)))):
        if px[at][:3] != text:
            wrong.append(f"{what} is {px[at][:3]}")
    report.check("the chart in the scheme: window-text on window, marks in the highlight pair",
                 not wrong, "; ".join(wrong[:6]))


def look(world, exe, chosen, report, judge):
    scale = Scale(chosen.dpi)
    program = start(world, exe)
    try:
        seen = shown(world, report)
        if not seen:
            return
        start_picture, origin = seen
        report.check(f"client area {start_picture.width} x {start_picture.height} at "
                     f"{chosen.dpi} dpi", start_picture.size == (scale.px(401), scale.px(287)))
        judge.main_window(start_picture, scale)
        judge.buttons(start_picture, scale)
        marked = mark(world, report, scale, start_picture, origin)
        if marked:
            judge.names(marked, scale, MARKED_ROWS)
            judge.sheet(marked, scale, MARKED_ROWS)
        if chosen.high_contrast and marked:
            switched = to_high_contrast(world, report, marked)
            if switched:
                judge.names(switched, scale, ())
                judge.labels(switched, scale)
                judge.frames_and_lines(switched, scale)
                scheme_sheet(report, switched, scale, chosen.colours, MARKED_ROWS)

        x, y = center(BUTTONS["help_pb"])
        world.click(origin[0] + scale.px(x), origin[1] + scale.px(y))
        if not report.check("the help window opens", until(lambda: world.probe("info", "HELP"))):
            return
        seen = client(world, "HELP")
        if not report.check("the help window is painted", seen is not None):
            return
        help_picture = seen[0]
        judge.help_window(help_picture, scale)
        if chosen.button_face:
            ground = help_picture.getpixel((help_picture.width - 1, help_picture.height - 1))
            report.check(f"the help window's ground is the scheme's dialog colour "
                         f"{chosen.button_face}", ground == chosen.button_face, f"it is {ground}")
    finally:
        close(world, program)


def screenshot(wine_env, state, exe, probe_exe, hook, out):
    """The README's picture: marks on C, E and G, the columns shifted by 2, 9
    and 7 (instruments in B flat, E flat and F), in High Contrast Black."""
    world = World(wine_env, state, probe_exe, hook)
    report = Report("screenshot in High Contrast Black")
    scale = Scale(96)
    with Settings(world, Setup("hc", "", colours=HIGH_CONTRAST_BLACK).settings()):
        program = start(world, exe)
        try:
            seen = shown(world, report)
            if not seen:
                return 1
            origin = seen[1]

            def click(point, times=1):
                for _ in range(times):
                    world.click(origin[0] + scale.px(point[0]), origin[1] + scale.px(point[1]))
            for row in (0, 4, 7):
                click(center(cell_rect(0, row)))
            click(center(BUTTONS["up_1"]), 2)
            click(center(BUTTONS["up_2"]), 7)
            click(center(BUTTONS["dn_3"]), 2)
            world.run("xdotool", "mousemove", "1023", "767")
            before, _ = client(world, "Marelo")
            picture = to_high_contrast(world, report, before)
            if picture is None:
                return 1
            time.sleep(1)
            picture, _ = client(world, "Marelo")
            picture.save(out)
            print(out)
        finally:
            close(world, program)
    return 0 if not report.failed else 1


def main():
    if sys.argv[1:] == ["list"]:
        print("\n".join(s.name for s in SETUPS))
        return 0
    if sys.argv[1] == "screenshot":
        return screenshot(*sys.argv[2:8])
    wine_env, state, exe, probe_exe, name, hook = sys.argv[1:7]
    chosen = next(s for s in SETUPS if s.name == name)
    world = World(wine_env, state, probe_exe, hook)
    report = Report(f"{chosen.name}: {chosen.what}")
    judge = Judge(report)
    with Settings(world, chosen.settings()):
        (moved if chosen.moved_to else look)(world, exe, chosen, report, judge)
    print(f"{chosen.name}: {judge.summary()}")
    print(f"{report.passed} passed, {report.failed} failed")
    return 1 if report.failed or not report.passed else 0


if __name__ == "__main__":
    sys.exit(main())
