#!/usr/bin/python3
"""Marelo on the desktops its users run, each set-up made in a private home
and on an X server of its own, judged from the pixels of the real windows:
every text legible against its own background, button captions clear of
their frames, note names and the help text whole, the main window a white
sheet whatever the desktop's colours, the same faces under every locale, and
the window's corner on a small screen. A desktop changed under the running
program (a density, a font, a monitor, the screen's size, the window's)
must leave both windows whole on a screen and as a fresh start in the
changed setting shows them, with the same rows marked and counts shifted.

  test_desktops.py [SETUP...]   all set-ups when none is named
  test_desktops.py --starts N [--close] SETUP   N starts under load: where each
      is placed (and whether both windows close at once)

Prints for each set-up the lowest contrast and the narrowest caption margin
measured; each check a subtest. With
MARELO_DESKTOP_PICTURES=FOLDER it also keeps the pictures it judged there."""

import dataclasses
import multiprocessing
import os
import shutil
import sys
import tempfile
import time
import unittest

from PIL import ImageChops, ImageDraw

from desktops import SETUPS, environment, setup
from harness.checks import Checks
from harness.legibility import DEFAULT_FONT_BUTTONS, HELP_LABEL, tests_for
from harness.main_window import settled
from harness.picture import (BUTTONS, HEIGHT, HELP_HEIGHT, HELP_WIDTH, WIDTH, Scale, cell_rect,
                             center)
from harness.xsession import App, XServer

# Rows marked before the second look: a sharp name, the widest kind, and a
# natural one.
MARKED_ROWS = (1, 4)
# Pressed too where a changed desktop is compared with a fresh start: state
# the change must keep.
SHIFTED = ("up_2",)


def varied(picture):
    """Painted: more than a ground and a frame."""
    return len(picture.getcolors(1 << 16) or ()) > 4


class Misplaced(AssertionError):
    """The main window did not come to its size where it was asked to be."""


class Pictures:
    """What one run of the program shows: the main window at the start, with
    rows marked, and the help window; where the set-up changes the desktop,
    the last two after the change."""

    def __init__(self, chosen, presses=(), reference=None, closes=False):
        self.chosen = chosen
        # Placed, both windows are closed the moment they show.
        self.closes = closes
        self.presses = presses
        # A fresh start in the changed setting, which the windows must come to.
        self.reference = reference
        self.scale = Scale(chosen.dpi)
        self.start_scale = Scale(chosen.start_dpi or chosen.dpi)
        self.help_scale = self.scale
        self.geometry = self.start = self.marked = self.help = self.help_before = None
        self.before = self.frames = None

    def take(self):
        home = tempfile.mkdtemp(prefix="marelo-desktop-")
        try:
            env = environment(self.chosen, home)
            with XServer(*self.chosen.screen) as x:
                if self.chosen.serve is not None:
                    self.chosen.serve(x, home)
                if self.chosen.window_manager:
                    x.start_window_manager()
                with App(x, env) as app:
                    self._look(x, app, home)
        finally:
            shutil.rmtree(home, ignore_errors=True)
        keep = os.environ.get("MARELO_DESKTOP_PICTURES")
        if keep:
            os.makedirs(keep, exist_ok=True)
            for what in ("start", "marked", "help"):
                if getattr(self, what) is not None:
                    getattr(self, what).save(os.path.join(keep, f"{self.chosen.name}-{what}.png"))
        return self

    def _look(self, x, app, home):
        main = app.window("Marelo")
        last = [None]
        size = self.size(self.start_scale)

        def placed():
            # At its size, and where it stays. Qt asks a window manager to
            # size a window scaled by 1.5 in steps of 2 device pixels, which
            # openbox does, by taking the odd pixel off.
            now = main.geometry()
            done = self.sized(now[2:], size) and now == last[0]
            last[0] = now
            time.sleep(0.1)
            return now if done else None
        try:
            self.geometry = x.wait_for(placed, "the main window placed at its size")
        except AssertionError as error:
            raise Misplaced(f"{error}: {last[0]}, not {size}") from None
        client, wanted = self.geometry[:2], self.centred(x)
        if max(abs(client[0] - wanted[0]), abs(client[1] - wanted[1])) > 2:
            raise Misplaced(f"the main window's client area at {client}, not {wanted}")
        if self.chosen.placement_only:
            if self.closes:
                self.close_at_once(x, app, main)
            return
        x.wait_active(main)
        # The pointer away from every button, which would light up under it.
        x.move_pointer(x.width - 1, x.height - 1)
        self.start = settled(main, varied)
        # Each click has done its work before the next one, and before the
        # pointer leaves: a window manager may hand a click on only later.
        for row in MARKED_ROWS:
            self.click(x, main, cell_rect(0, row))
        for name in self.presses:
            self.click(x, main, BUTTONS[name])
        x.move_pointer(x.width - 1, x.height - 1)
        self.marked = settled(main, varied)
        main.click(*self.at(center(BUTTONS["help_pb"]), self.start_scale))
        help_window = app.window("HELP")
        x.wait_active(help_window)
        self.help = settled(help_window, varied)
        self.help_scale = self.scale_at(help_window)
        if self.chosen.live:
            self.before = (main.geometry(), help_window.geometry())
            self.help_before = self.help
            self.chosen.change(x, home, main)
            x.move_pointer(x.width - 1, x.height - 1)
            self.help = self.come_to(x, help_window, self.help_before if self.chosen.help_stays
                                     else self.reference.help)
            self.activate(x, main)
            self.marked = self.come_to(x, main, self.reference.marked)
            self.geometry = main.geometry()
            self.frames = [(w.title, w.frame()) for w in (main, help_window)]
        elif self.presses:
            self.activate(x, main)
            self.marked = settled(main, varied)

    def close_at_once(self, x, app, main):
        """The help window opened, then it and the main window closed by
        their close boxes the moment each shows: the first request closes."""
        x.wait_active(main)
        main.click(*self.at(center(BUTTONS["help_pb"]), self.start_scale))
        help_window = app.window("HELP")
        at = self.close_box(x, help_window)
        try:
            x.wait_for(lambda: not app.windows("HELP"),
                       "the help window to close at the first request")
        except AssertionError as error:
            raise AssertionError(f"{error}: clicked at {at}, its frame now "
                                 f"{help_window.frame()}") from None
        self.close_box(x, main)
        if app.wait_exit() != 0:
            raise AssertionError(f"the program ended with status {app.process.returncode}")

    @staticmethod
    def close_box(x, window):
        """A click on the window manager's close box, at the right end of the
        title bar; without one, the request the close box sends."""
        if not x.managed:
            window.close()
            return None
        left, top, right, _ = window.frame()
        title = window.geometry()[1] - top
        at = (right - title // 2 - 2, top + title // 2)
        x.click_at(*at)
        return at, (left, top, right)

    def click(self, x, main, rect):
        """Clicks the middle of a cell or button, until the window shows
        more changed than the place clicked."""
        before, box = main.grab(), self.start_scale.box(*rect)

        def beside(picture):
            picture = picture.copy()
            picture.paste((0, 0, 0), box)
            return picture.tobytes()
        main.click(*self.at(center(rect), self.start_scale))
        x.wait_for(lambda: beside(main.grab()) != beside(before), f"{rect} clicked")

    def activate(self, x, main):
        """The main window active again and on top, as the help window's
        opening left it: a click on its background, right of the last column
        (raised by hand where no window manager raises it)."""
        main.raise_()
        main.click(*self.at((WIDTH - 2, HEIGHT // 2)))
        x.move_pointer(x.width - 1, x.height - 1)
        x.wait_active(main)

    @staticmethod
    def come_to(x, window, wanted):
        """The window's picture once it shows what a fresh start shows (the
        layout's part of it, where the window was made larger), or what it
        shows when that never comes."""
        last = [None]

        def there():
            last[0] = window.grab()
            return last[0] if same_start(last[0], wanted)[0] else None
        try:
            return x.wait_for(there, f"{window.title!r} to show what a fresh start shows")
        except AssertionError:
            return last[0]

    def scale_at(self, window):
        """The scale of the monitor the window is on."""
        left, top, _, _ = window.geometry()
        for _, x0, y0, width, height, factor in self.chosen.monitors:
            if x0 <= left < x0 + width and y0 <= top < y0 + height:
                return Scale(round(96 * factor))
        return self.scale

    def centred(self, x):
        """Where the main window asks to be: centred on the primary monitor
        (with no window in use to go by), its top-left corner kept on it.
        Its frame is not known before it is shown: the client area is
        centred."""
        _, left, top, width, height, _ = (self.chosen.monitors[0] if self.chosen.monitors
                                          else ("", 0, 0, x.width, x.height, 1))
        client = self.size(self.start_scale)
        return (max(left + (width - client[0]) // 2, left),
                max(top + (height - client[1]) // 2, top))

    def sized(self, size, wanted):
        return all(w - (1 if self.chosen.window_manager else 0) <= s <= w
                   for s, w in zip(size, wanted))

    def size(self, scale=None):
        scale = scale or self.scale
        return scale.px(WIDTH), scale.px(HEIGHT)

    def at(self, point, scale=None):
        scale = scale or self.scale
        return tuple(scale.px(v) for v in point)


def same_start(picture, fresh):
    """Whether a picture shows what a fresh start shows: the same pixels over
    the fresh start's client area, and beyond it, where the window is larger,
    the window's own background (that of the fresh start's bottom-right
    corner). Returns that and what differs."""
    width, height = fresh.size
    if picture.width < width or picture.height < height:
        return False, f"{picture.width} x {picture.height}, smaller than {width} x {height}"
    differs = ImageChops.difference(picture.crop((0, 0, width, height)), fresh).getbbox()
    if differs is not None:
        return False, f"differs within {differs}"
    ground = fresh.getpixel((width - 1, height - 1))
    for area in ((width, 0, picture.width, picture.height), (0, height, width, picture.height)):
        beyond = picture.crop(area)
        count = beyond.width * beyond.height
        if count and beyond.getcolors(1) != [(count, ground)]:
            return False, f"beyond the layout, not the ground {ground} within {area}"
    return True, ""


def judge(judge_, chosen):
    missing = [path for path in chosen.needs if not os.path.exists(path)]
    if not judge_.check("the set-up's files are installed", not missing,
                        f"missing {', '.join(missing)}: tools/deps.sh installs them"):
        return
    if chosen.live:
        judge_live(judge_, chosen)
        return
    seen = Pictures(chosen).take()
    left, top, width, height = seen.geometry
    judge_.check(f"client area {width} x {height} with its top-left corner on the screen "
                 f"(at {left}, {top})", left >= 0 and top >= 0)
    if chosen.placement_only:
        return
    judge_.main_window(seen.start, seen.scale)
    judge_.buttons(seen.start, seen.scale)
    judge_.names(seen.marked, seen.scale, MARKED_ROWS)
    judge_.sheet(seen.marked, seen.scale, MARKED_ROWS)
    wanted = (seen.help_scale.px(HELP_WIDTH), seen.help_scale.px(HELP_HEIGHT))
    if judge_.check(f"help window's client area {seen.help.width} x {seen.help.height}, as "
                    f"{wanted[0]} x {wanted[1]} at the scale of its monitor",
                    seen.sized(seen.help.size, wanted)):
        judge_.help_window(seen.help, seen.help_scale)
    if chosen.desktop_window:
        # The help window follows the desktop: the set-up took.
        ground = seen.help.getpixel((seen.help.width - 1, seen.help.height - 1))[:3]
        judge_.check(f"the help window's ground is the desktop's window colour "
                     f"{chosen.desktop_window}", ground == chosen.desktop_window, f"it is {ground}")
    if chosen.same_faces_as:
        same_faces(judge_, seen, Pictures(setup(chosen.same_faces_as)).take())


def judge_live(judge_, chosen):
    """The desktop changed under the running program: both windows as a
    fresh start in the changed setting shows them, whole on a screen."""
    fresh = Pictures(setup(chosen.fresh), SHIFTED).take()
    seen = Pictures(chosen, SHIFTED, fresh).take()
    (main_before, help_before), (_, _, width, height) = seen.before, seen.geometry
    print(f"  client areas: main {main_before[2]} x {main_before[3]} before the change, "
          f"{width} x {height} after, {fresh.geometry[2]} x {fresh.geometry[3]} at a fresh "
          f"start; help {help_before[2]} x {help_before[3]}, {seen.help.width} x "
          f"{seen.help.height}, {fresh.help.width} x {fresh.help.height}", flush=True)
    wanted = tuple(chosen.resized or fresh.geometry[2:])
    judge_.check(f"main window's client area {width} x {height}, as {wanted[0]} x {wanted[1]}",
                 (width, height) == wanted)
    help_reference = seen.help_before if chosen.help_stays else fresh.help
    for what, picture, reference in (("main window", seen.marked, fresh.marked),
                                     ("help window", seen.help, help_reference)):
        same, detail = same_start(picture, reference)
        judge_.check(f"{what}: the pixels of a fresh start", same, detail)
    # The screens left after the change, as the fresh start has them.
    after = setup(chosen.fresh)
    areas = ([(x, y, x + w, y + h) for _, x, y, w, h, _ in after.monitors] if after.monitors
             else [(0, 0) + after.screen])
    for title, (left, top, right, bottom) in seen.frames:
        judge_.check(f"{title!r} whole on a screen: ({left}, {top}) to ({right}, {bottom})",
                     any(left >= a[0] and top >= a[1] and right <= a[2] and bottom <= a[3]
                         for a in areas), f"the screens: {areas}")


def same_faces(judge_, seen, reference):
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
    judge_.check(f"the main window as under {reference.chosen.name}, but for the buttons in the "
                 "default font", differs.getbbox() is None, f"differs within {differs.getbbox()}")
    area = seen.scale.box(*HELP_LABEL)
    differs = ImageChops.difference(seen.help.crop(area), reference.help.crop(area))
    judge_.check(f"the help text as under {reference.chosen.name}", differs.getbbox() is None,
                 f"differs within {differs.getbbox()}")


class Desktops(Checks):
    """One test for each set-up of desktops.py."""


tests_for(Desktops, SETUPS, judge)


def starts_under_load(name, count, close):
    """Starts the program `count` times in one set-up, a busy loop on every
    core beside it, and tells how many windows were not placed where they
    asked to be, or (`close`) did not close at once, and how."""
    chosen = dataclasses.replace(setup(name), placement_only=True)
    busy = [multiprocessing.Process(target=spin, daemon=True) for _ in range(os.cpu_count() or 1)]
    for process in busy:
        process.start()
    misplaced = 0
    try:
        for start in range(1, count + 1):
            try:
                Pictures(chosen, closes=close).take()
            except AssertionError as error:  # misplaced, never shown, or not closed
                misplaced += 1
                print(f"start {start}: {error}", flush=True)
    finally:
        for process in busy:
            process.terminate()
    print(f"{name}: {misplaced} of {count} starts under load misplaced or not closed",
          flush=True)
    return misplaced


def spin():
    while True:
        pass


if __name__ == "__main__" and sys.argv[1:2] == ["--starts"]:
    close = sys.argv[3] == "--close"
    sys.exit(1 if starts_under_load(sys.argv[-1], int(sys.argv[2]), close) else 0)
elif __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + [f"Desktops.test_{name}" for name in sys.argv[1:]],
                  verbosity=2)
