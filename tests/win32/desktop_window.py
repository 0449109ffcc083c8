#!/usr/bin/python3
"""MARELO.exe under Wine on the desktops Windows users set up: the high-contrast
colours of the accessibility settings and larger text densities, set in the
prefix's registry for the run and put back afterwards. The windows are judged
from the screen's pixels as on Linux (tests/harness/legibility.py): every text
legible against its own background, button captions clear of their frames,
note names and the help text whole, the main window a white sheet. A set-up
that changes while the program runs (a move to a monitor of another density)
is compared with a fresh start in the final setting, pixel for pixel.

  desktop_window.py WINE_ENV STATE MARELO.exe window_probe.exe SETUP high_contrast_hook.dll \
                    [unittest options]
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

Prints the lowest contrast and narrowest caption margin measured; each check
is a subtest. Needs Debian's python3 with python3-xlib and python3-pil, and
tests/ on PYTHONPATH.
"""
import sys
import time
import unittest
from dataclasses import dataclass

from harness.checks import Checks
from harness.legibility import Ink, tests_for
from harness.picture import BUTTONS, HEIGHT, WIDTH, Scale, cell_rect, center
from harness.poll import until
from harness.wine import COLOURS, DEADLINE, DESKTOP, THEMES, Wine

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
        # Set at 96 too: a start at 96 must not depend on an earlier test's
        # density having been put back.
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
    Setup("dpi_96_to_120", "moved from a 96-dpi monitor to one of 120 dpi while running",
          moved_to=120),
    Setup("dpi_144_to_96", "moved from a 144-dpi monitor to one of 96 dpi while running", dpi=144,
          moved_to=96),
]
MARKED_ROWS = (1, 4)


def shown(wine):
    """The main window once it is painted, the pointer away from every button
    (which would light up under it): its picture and origin."""
    wine.info("Marelo")
    wine.pointer_away()
    return wine.settled("Marelo")


def click(wine, origin, scale, point):
    """A click at a 96-dpi position of the layout."""
    wine.click(origin[0] + scale.px(point[0]), origin[1] + scale.px(point[1]))


def mark(wine, scale, start_picture, origin, what=""):
    """Marks the rows MARKED_ROWS by clicks: the picture once they show."""
    for row in MARKED_ROWS:
        click(wine, origin, scale, center(cell_rect(0, row)))
    wine.pointer_away()
    org = [scale.inside(*cell_rect(0, row)) for row in MARKED_ROWS]

    def marked():
        seen = wine.settled("Marelo")
        return seen if all(seen[0].crop(area).tobytes() != start_picture.crop(area).tobytes()
                           for area in org) else None
    return until(marked, f"{what}the marks to show", DEADLINE, 0.2)[0]


def marked_chart(wine, scale, what):
    return mark(wine, scale, *shown(wine), what)


def differing(a, b):
    """How many pixels of two pictures differ; -1 for pictures of two sizes."""
    if a.size != b.size:
        return -1
    from PIL import ImageChops
    difference = ImageChops.difference(a, b).convert("L")
    return sum(1 for value in difference.getdata() if value)


def client_size(scale):
    return scale.px(WIDTH), scale.px(HEIGHT)


def moved(wine, exe, chosen, judge):
    """Started at one density, told it is on a monitor of another, and
    compared with a fresh start at that one."""
    before, after = Scale(chosen.dpi), Scale(chosen.moved_to)
    program = wine.start(exe)
    try:
        picture = marked_chart(wine, before, f"at {chosen.dpi} dpi: ")
        judge.check(f"client area {picture.width} x {picture.height} at {chosen.dpi} dpi",
                    picture.size == client_size(before))
        out = wine.wine(wine.probe_exe, "dpi", "Marelo", str(chosen.moved_to)).stdout
        judge.test.assertIn("sent=1", out, "WM_DPICHANGED reaches the window")
        wanted = client_size(after)

        def refitted():
            seen = wine.settled("Marelo")
            return seen if seen[0].size == wanted else None
        # How a fresh start there reads is the fresh set-ups' to judge.
        running = until(refitted, f"client area {wanted[0]} x {wanted[1]} at once after the move",
                        DEADLINE, 0.2)[0]
    finally:
        wine.close()
        wine.ended(program)
    with wine.density(chosen.moved_to):
        program = wine.start(exe)
        try:
            fresh = marked_chart(wine, after, f"a fresh start at {chosen.moved_to} dpi: ")
        finally:
            wine.close()
            wine.ended(program)
    judge.check("the same pixels as a fresh start at the new density",
                differing(running, fresh) == 0, f"{differing(running, fresh)} pixels differ")


def colour(value):
    return tuple(int(v) for v in value.split())


def to_high_contrast(wine, before):
    """Turns high contrast on while the program runs: the chart once it has
    changed and settled."""
    if not wine.high_contrast("Marelo"):
        raise AssertionError("high contrast not turned on in the running program")

    def changed():
        seen = wine.settled("Marelo")
        return seen if seen[0].tobytes() != before.tobytes() else None
    return until(changed, "the chart to change at once", DEADLINE, 0.2)[0]


def scheme_sheet(judge, picture, scale, scheme, marked):
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
    judge.check("the chart in the scheme: window-text on window, marks in the highlight pair",
                not wrong, "; ".join(wrong[:6]))


def look(wine, exe, chosen, judge):
    scale = Scale(chosen.dpi)
    program = wine.start(exe)
    try:
        start_picture, origin = shown(wine)
        judge.check(f"client area {start_picture.width} x {start_picture.height} at "
                    f"{chosen.dpi} dpi", start_picture.size == client_size(scale))
        judge.main_window(start_picture, scale)
        judge.buttons(start_picture, scale)
        marked = mark(wine, scale, start_picture, origin)
        judge.names(marked, scale, MARKED_ROWS)
        judge.sheet(marked, scale, MARKED_ROWS)
        if chosen.high_contrast:
            switched = to_high_contrast(wine, marked)
            judge.names(switched, scale, ())
            judge.labels(switched, scale)
            judge.frames_and_lines(switched, scale)
            scheme_sheet(judge, switched, scale, chosen.colours, MARKED_ROWS)
        click(wine, origin, scale, center(BUTTONS["help_pb"]))
        wine.info("HELP")
        help_picture, _ = wine.settled("HELP")
        judge.help_window(help_picture, scale)
        if chosen.button_face:
            ground = help_picture.getpixel((help_picture.width - 1, help_picture.height - 1))
            judge.check(f"the help window's ground is the scheme's dialog colour "
                        f"{chosen.button_face}", ground == chosen.button_face, f"it is {ground}")
    finally:
        wine.close()
        wine.ended(program)


def screenshot(wine_env, state, exe, probe_exe, hook, out):
    """The README's picture: marks on C, E and G, the columns shifted by 2, 9
    and 7 (instruments in B flat, E flat and F), in High Contrast Black."""
    wine = Wine(wine_env, state, probe_exe, hook)
    scale = Scale(96)
    with wine.settings(Setup("hc", "", colours=HIGH_CONTRAST_BLACK).settings()):
        program = wine.start(exe)
        try:
            _, origin = shown(wine)
            for row in (0, 4, 7):
                click(wine, origin, scale, center(cell_rect(0, row)))
            for name, times in (("up_1", 2), ("up_2", 7), ("dn_3", 2)):
                for _ in range(times):
                    click(wine, origin, scale, center(BUTTONS[name]))
            wine.pointer_away()
            before, _ = wine.settled("Marelo")
            to_high_contrast(wine, before)
            time.sleep(1)
            picture, _ = wine.settled("Marelo")
            picture.save(out)
            print(out)
        finally:
            wine.close()
            wine.ended(program)


class Desktop(Checks):
    """One test for each set-up; the command line names the one to run."""


def judge_set_up(judge, chosen):
    wine = Wine(*ARGUMENTS[:2], ARGUMENTS[3], ARGUMENTS[5])
    with wine.settings(chosen.settings()):
        (moved if chosen.moved_to else look)(wine, ARGUMENTS[2], chosen, judge)


tests_for(Desktop, SETUPS, judge_set_up)


if __name__ == "__main__":
    if sys.argv[1:] == ["list"]:
        print("\n".join(s.name for s in SETUPS))
    elif sys.argv[1] == "screenshot":
        screenshot(*sys.argv[2:8])
    else:
        # WINE_ENV STATE MARELO.exe window_probe.exe SETUP high_contrast_hook.dll
        ARGUMENTS = sys.argv[1:7]
        unittest.main(argv=sys.argv[:1] + [f"Desktop.test_{ARGUMENTS[4]}"] + sys.argv[7:],
                      verbosity=2)
