"""The main window as a person sees it: what the key table should show after
each press, read back from the pixels, and a test case that starts the
program on a private X server."""

import unittest

from PIL import ImageChops, ImageDraw

from .picture import (BUTTONS, ROWS, WHITE, Ink, alignment, cell_inside, cell_rect, center,
                     is_reddish, shift_label_area)
from .poll import steady
from .xsession import App, XServer


class Model:
    """What the key table holds: three chained counts that fall back to 0 at
    +-12, and marks that belong to rows."""

    def __init__(self):
        self.counts = [0, 0, 0]
        self.marked = set()

    def press(self, name):
        if name == "reset":
            self.counts = [0, 0, 0]
            self.marked = set()
        elif name[:3] in ("up_", "dn_"):
            step = 1 if name.startswith("up") else -1
            for column in range(int(name[3]) - 1, 3):
                count = self.counts[column] + step
                self.counts[column] = 0 if abs(count) > 11 else count

    def toggle(self, row):
        self.marked ^= {row}

    def note(self, column, row):
        return row if column == 0 else (row + self.counts[column - 1]) % 12

    def __repr__(self):
        return f"counts {self.counts}, marked rows {sorted(self.marked)}"


class TableReader:
    """Reads which note each cell shows by comparing its ink with the ink of
    the Original cells in the start picture, where row r holds note r.

    Text may sit on fractions of a pixel, so the comparison is by how much
    ink each pixel row holds, which does not depend on the horizontal place."""

    def __init__(self, start_picture):
        self.notes = [Ink(start_picture, cell_inside(0, r)) for r in range(ROWS)]

    @staticmethod
    def distance(a, b):
        if a.empty or b.empty or a.top != b.top or len(a.data) != len(b.data):
            return float("inf")
        return sum(abs(sum(p) - sum(q)) for p, q in zip(a.data, b.data))

    def note_of(self, ink):
        """The note whose ink this is, or None."""
        scored = sorted((self.distance(ink, note), index) for index, note in enumerate(self.notes))
        best, index = scored[0]
        return index if best < 400 and scored[1][0] > 4 * best + 400 else None

    def differences(self, picture, model, shift_refs=None):
        """What the picture shows that the model does not: a list of texts."""
        found = []
        px = picture.load()
        for column in range(4):
            for row in range(ROWS):
                rect = cell_inside(column, row)
                ink = Ink(picture, rect)
                where = f"column {column} row {row}"
                note = self.note_of(ink)
                if note != model.note(column, row):
                    found.append(f"{where} shows note {note}, not {model.note(column, row)}")
                marked = row in model.marked
                left, top, width, height = rect
                pixels = [px[x, y] for y in range(top, top + height)
                          for x in range(left, left + width)]
                red = any(p == (255, 0, 0) for p in pixels)
                black = any(max(p) < 96 for p in pixels)
                if marked and (not red or black):
                    found.append(f"{where} is not red")
                if not marked and (red or not black):
                    found.append(f"{where} is not black")
                want = "right" if marked == (column == 0) else "left"
                if alignment(ink) != want:
                    found.append(f"{where} is not {want}-aligned")
        for x, y in red_pixels(picture):
            if not any(inside(x, y, cell_rect(c, r)) for c in range(4) for r in model.marked):
                found.append(f"red at ({x}, {y}) outside the marked rows")
                break
        if shift_refs is not None:
            for column in (1, 2, 3):
                ink = Ink(picture, shift_label_area(column))
                count = model.counts[column - 1]
                if count in shift_refs and ink != shift_refs[count]:
                    found.append(f"shift label {column} does not show {count}")
                for other, ref in shift_refs.items():
                    if other != count and ink == ref:
                        found.append(f"shift label {column} shows {other}, not {count}")
        return found


def settled(window, painted):
    """The window's picture once painted(picture) holds and two grabs agree."""
    return steady(window.grab, painted, f"{window.title!r} to be painted")


def painted(picture):
    """Whether the main window shows its sheet and its first frame."""
    return picture.getpixel((0, 0)) == WHITE and max(picture.getpixel((8, 24))) < 96


def inside(x, y, rect):
    left, top, width, height = rect
    return left <= x < left + width and top <= y < top + height


def red_pixels(picture):
    width, height = picture.size
    px = picture.load()
    return [(x, y) for y in range(height) for x in range(width) if is_reddish(px[x, y])]


class MainWindowTest(unittest.TestCase):
    """Starts the program on its own X server and waits for its main window."""

    extra_env = None
    # Tests that only look can share one program.
    one_program_per_class = False

    @classmethod
    def setUpClass(cls):
        if cls.one_program_per_class:
            cls.launch(cls, cls.addClassCleanup)

    def setUp(self):
        if not self.one_program_per_class:
            self.launch(self, self.addCleanup)
        self.model = Model()
        self.shift_refs = {0: Ink(self.start, shift_label_area(1))}

    @staticmethod
    def launch(target, cleanup):
        target.x = XServer().__enter__()
        cleanup(target.x.__exit__, None, None, None)
        target.before_program(target, cleanup)
        target.app = App(target.x, target.extra_env)
        cleanup(target.app.__exit__, None, None, None)
        target.main = target.app.window("Marelo")
        target.start = MainWindowTest.painted(target)
        target.reader = TableReader(target.start)

    @staticmethod
    def before_program(target, cleanup):
        """What runs on the display before the program starts."""

    @staticmethod
    def painted(self):
        """The main window's picture once it is painted."""
        return settled(self.main, painted)

    def expect(self, what):
        """Waits until the window shows the model's state; returns the picture."""
        last = [None, []]

        def shown():
            picture = self.main.grab()
            last[1] = self.reader.differences(picture, self.model, self.shift_refs)
            return picture if not last[1] else None
        try:
            picture = self.x.wait_for(shown, what)
        except AssertionError:
            self.fail(f"after {what} ({self.model}): " + "; ".join(last[1][:8]))
        for column in (1, 2, 3):
            self.shift_refs.setdefault(self.model.counts[column - 1],
                                       Ink(picture, shift_label_area(column)))
        return picture

    def press(self, name):
        """Clicks a button of the main window with the mouse."""
        self.main.raise_()
        self.main.click(*center(BUTTONS[name]))
        self.model.press(name)

    def mark(self, row):
        self.main.raise_()
        self.main.click(*center(cell_rect(0, row)))
        self.model.toggle(row)

    def ends_like_start(self):
        """Waits for the start picture, to the pixel, but for the buttons,
        which show the focus, the pointer and a press as they come."""
        start = without_buttons(self.start)
        last = [None]

        def same():
            last[0] = without_buttons(self.main.grab())
            return last[0].tobytes() == start.tobytes()
        try:
            self.x.wait_for(same, "the start picture")
        except AssertionError:
            self.fail("the picture differs from the start within " +
                      str(ImageChops.difference(last[0], start).getbbox()))


def without_buttons(picture):
    picture = picture.copy()
    draw = ImageDraw.Draw(picture)
    for left, top, width, height in BUTTONS.values():
        draw.rectangle((left, top, left + width - 1, top + height - 1), fill=WHITE)
    return picture
