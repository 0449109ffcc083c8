#!/usr/bin/python3
"""The help window beside the main window: a second top-level window titled
"HELP" with nine lines, that closes and comes back, and that goes when the
main window closes and the program ends."""

import sys
import unittest

from harness.main_window import MainWindowTest, settled
from harness.picture import BUTTONS, center

HELP_SIZE = (526, 146)
TEXT_AREA = (0, 8, 521, 121)  # left, top, width, height


def text_lines(picture):
    """The bands of pixel rows that hold text, as (top, bottom, leftmost ink)."""
    px = picture.load()
    ground = sum(px[HELP_SIZE[0] - 1, HELP_SIZE[1] - 1])
    left, top, width, height = TEXT_AREA
    bands = []
    for y in range(top, top + height):
        ink = [x for x in range(left, left + width) if ground - sum(px[x, y]) > 120]
        if not ink:
            continue
        if bands and bands[-1][1] == y:
            start, _, first = bands[-1]
            bands[-1] = (start, y + 1, min(first, ink[0]))
        else:
            bands.append((y, y + 1, ink[0]))
    return bands


def line_slices(picture, top, pitch):
    """The leftmost ink of each of the nine lines, None for a line without ink."""
    px = picture.load()
    ground = sum(px[HELP_SIZE[0] - 1, HELP_SIZE[1] - 1])
    left, _, width, _ = TEXT_AREA
    lines = []
    for k in range(9):
        # The upper part of each slice: what hangs below a line's baseline
        # (underscores) reaches into the top of the next one.
        rows = range(round(top + k * pitch), round(top + k * pitch + 0.75 * pitch))
        ink = [x for y in rows for x in range(left, left + width) if ground - sum(px[x, y]) > 120]
        lines.append(min(ink) if ink else None)
    return lines


class HelpWindow(MainWindowTest):

    def help_windows(self):
        return self.app.windows("HELP")

    def open_help(self):
        # The help window opens at the screen's corner and may cover the main
        # window: bring that to the front before clicking it.
        self.main.raise_()
        self.main.click(*center(BUTTONS["help_pb"]))
        window = self.app.window("HELP")
        return window, settled(window, lambda picture: text_lines(picture))

    def test_nine_lines_closed_and_opened_again(self):
        window, first = self.open_help()
        self.assertEqual(window.geometry()[2:], HELP_SIZE)
        self.assertNotEqual(window.id, self.main.id)
        bands = text_lines(first)
        # Nine lines at one pitch, the eighth empty: the home-page line stands
        # eight pitches below the first. Underscores may join neighbouring
        # bands, so each line is judged in its own slice of rows.
        top, last = bands[0][0], bands[-1][0]
        pitch = (last - top) / 8
        self.assertGreaterEqual(pitch, 10, bands)
        lines = line_slices(first, top, pitch)
        self.assertEqual([leftmost is None for leftmost in lines],
                         [False] * 7 + [True, False], bands)
        # The home-page line is whole: its ink ends inside the label.
        self.assertLess(bands[-1][1], TEXT_AREA[1] + TEXT_AREA[3], bands)
        self.assertGreaterEqual(bands[-1][1] - bands[-1][0], 8, bands)
        # Lines 2 to 5 begin with three spaces, the others with none.
        margin = lines[0]
        for i, leftmost in enumerate(lines):
            if leftmost is not None:
                self.assertEqual(leftmost > margin + 5, 1 <= i <= 4, f"line {i + 1}: {lines}")

        # Moved and resized by the user, then closed, ...
        where_first = window.geometry()
        first_id = window.id
        window.xwindow.configure(x=200, y=300, width=600, height=200)
        self.x.wait_for(lambda: window.geometry() == (200, 300, 600, 200), "the help window to move")
        window.close()
        self.x.wait_for(lambda: not self.help_windows(), "the help window to close")
        self.assertIsNone(self.app.process.poll(), "closing the help window ended the program")
        self.press("up_1")
        self.expect("Up under Converted_1 with the help window closed")

        # ... it comes back as a new window where and as large as the first.
        window, again = self.open_help()
        self.assertNotEqual(window.id, first_id)
        self.assertEqual(window.geometry(), where_first)
        self.assertEqual(again.tobytes(), first.tobytes(), "a different text the second time")
        # Pressing the help button while the window is open opens no second one.
        self.main.raise_()
        self.main.click(*center(BUTTONS["help_pb"]))
        self.press("up_2")
        self.expect("the help button and Up under Converted_2")
        self.assertEqual(len(self.help_windows()), 1)
        self.assertEqual(settled(window, lambda picture: True).tobytes(), first.tobytes())

    def test_closing_main_with_help_open_ends_the_program(self):
        self.open_help()
        self.main.close()
        self.assertEqual(self.app.wait_exit(), 0)
        self.assertEqual([w.title for w in self.x.top_levels()], [])


if __name__ == "__main__":
    result = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
