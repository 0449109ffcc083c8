#!/usr/bin/python3
"""Marelo on the desktops its users run, each set-up made in a private home
and on an X server of its own, judged from the pixels of the real windows:
every text legible against its own background, button captions clear of
their frames, note names and the help text whole, the main window a white
sheet whatever the desktop's colours, the same faces under every locale, and
the window's corner on a small screen.

  test_desktops.py [SETUP...]   all set-ups when none is named

Prints each check, then for each set-up the lowest contrast and the narrowest
caption margin measured, and exits nonzero on any failure. With
MARELO_DESKTOP_PICTURES=FOLDER it also keeps the pictures it judged there."""

import os
import shutil
import sys
import tempfile
import time

from PIL import ImageChops, ImageDraw

from desktops import SETUPS, environment, setup
from legibility import DEFAULT_FONT_BUTTONS, HELP_LABEL, Judge, Report, Scale
from marelo_gui import settled
from picture import BUTTONS, HEIGHT, WIDTH, cell_rect, center
from xsession import App, XServer

# Rows marked before the second look: a sharp name, the widest kind, and a
# natural one.
MARKED_ROWS = (1, 4)


def varied(picture):
    """Painted: more than a ground and a frame."""
    return len(picture.getcolors(1 << 16) or ()) > 4


class Pictures:
    """What one run of the program shows: the main window at the start, with
    rows marked, and the help window."""

    def __init__(self, chosen):
        self.chosen = chosen
        self.scale = Scale(chosen.dpi)
        self.geometry = self.start = self.marked = self.help = None

    def take(self):
        home = tempfile.mkdtemp(prefix="marelo-desktop-")
        try:
            env = environment(self.chosen, home)
            with XServer(*self.chosen.screen) as x, App(x, env) as app:
                self._look(x, app)
        finally:
            shutil.rmtree(home, ignore_errors=True)
        keep = os.environ.get("MARELO_DESKTOP_PICTURES")
        if keep:
            os.makedirs(keep, exist_ok=True)
            for what in ("start", "marked", "help"):
                if getattr(self, what) is not None:
                    getattr(self, what).save(os.path.join(keep, f"{self.chosen.name}-{what}.png"))
        return self

    def _look(self, x, app):
        main = app.window("Marelo")
        last = [None]

        def placed():
            # At its size, and where it stays.
            now = main.geometry()
            done = now[2:] == self.size() and now == last[0]
            last[0] = now
            time.sleep(0.1)
            return now if done else None
        self.geometry = x.wait_for(placed, "the main window placed at its size")
        if self.chosen.placement_only:
            return
        # The pointer away from every button, which would light up under it.
        x.move_pointer(x.width - 1, x.height - 1)
        self.start = settled(x, main, varied)
        for row in MARKED_ROWS:
            main.click(*self.at(center(cell_rect(0, row))))
        org = [self.scale.inside(*cell_rect(0, row)) for row in MARKED_ROWS]
        self.marked = settled(x, main, lambda p: all(
            p.crop(area).tobytes() != self.start.crop(area).tobytes() for area in org))
        main.click(*self.at(center(BUTTONS["help_pb"])))
        help_window = app.window("HELP")
        self.help = settled(x, help_window, varied)

    def size(self):
        return self.scale.px(WIDTH), self.scale.px(HEIGHT)

    def at(self, point):
        return tuple(self.scale.px(v) for v in point)


def judge(chosen):
    report = Report(f"{chosen.name}: {chosen.what}")
    judge_ = Judge(report)
    missing = [path for path in chosen.needs if not os.path.exists(path)]
    if not report.check("the set-up's files are installed", not missing,
                        f"missing {', '.join(missing)}: tools/deps.sh installs them"):
        return report, judge_
    seen = Pictures(chosen).take()
    left, top, width, height = seen.geometry
    report.check(f"client area {width} x {height} with its top-left corner on the screen "
                 f"(at {left}, {top})", left >= 0 and top >= 0)
    if chosen.placement_only:
        return report, judge_
    judge_.main_window(seen.start, seen.scale)
    judge_.buttons(seen.start, seen.scale)
    judge_.names(seen.marked, seen.scale, MARKED_ROWS)
    judge_.sheet(seen.marked, seen.scale, MARKED_ROWS)
    judge_.help_window(seen.help, seen.scale)
    if chosen.desktop_window:
        # The help window follows the desktop: the set-up took.
        ground = seen.help.getpixel((seen.help.width - 1, seen.help.height - 1))[:3]
        report.check(f"the help window's ground is the desktop's window colour "
                     f"{chosen.desktop_window}", ground == chosen.desktop_window, f"it is {ground}")
    if chosen.same_faces_as:
        same_faces(report, seen, Pictures(setup(chosen.same_faces_as)).take())
    return report, judge_


def same_faces(report, seen, reference):
    """The faces the layouts name render the same here as in the reference:
    everything but the buttons in the platform's default font, and the help
    text."""
    def named_faces(picture):
        picture = picture.copy()
        draw = ImageDraw.Draw(picture)
        for name in DEFAULT_FONT_BUTTONS:
            x0, y0, x1, y1 = seen.scale.box(*BUTTONS[name])
            draw.rectangle((x0, y0, x1 - 1, y1 - 1), fill=(0, 0, 0))
        return picture
    differs = ImageChops.difference(named_faces(seen.start), named_faces(reference.start))
    report.check(f"the main window as under {reference.chosen.name}, but for the buttons in the "
                 "default font", differs.getbbox() is None, f"differs within {differs.getbbox()}")
    area = seen.scale.box(*HELP_LABEL)
    differs = ImageChops.difference(seen.help.crop(area), reference.help.crop(area))
    report.check(f"the help text as under {reference.chosen.name}", differs.getbbox() is None,
                 f"differs within {differs.getbbox()}")


def main(names):
    chosen = [setup(name) for name in names] if names else SETUPS
    results = [(c, *judge(c)) for c in chosen]
    print()
    for c, report, judge_ in results:
        state = "pass" if not report.failed else "FAIL"
        print(f"{c.name}: {state}; {judge_.summary()}")
    passed = sum(r.passed for _, r, _ in results)
    failed = sum(r.failed for _, r, _ in results)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
