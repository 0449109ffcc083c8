#!/usr/bin/python3
"""Real mouse clicks on the main window: marks in red across their rows with
the alignment flipped, columns that shift as the buttons say, counts that
fall back to 0, and RESET back to the start picture."""

import sys
import unittest

from harness.main_window import MainWindowTest
from harness.picture import cell_rect, center, shift_label_area


class Clicks(MainWindowTest):

    def test_marks_follow_their_rows_through_the_shifts(self):
        self.mark(4)
        self.expect("marking E")
        self.mark(1)
        self.expect("marking C sharp")
        for name in ("up_1", "up_2", "dn_3"):
            self.press(name)
            self.expect(name)
        self.mark(1)
        self.expect("unmarking C sharp")
        self.assertEqual(self.model.counts, [1, 2, 1])

    def test_clicks_elsewhere_change_nothing(self):
        # Each click that should do nothing comes before one that does
        # something; once that shows, the first has been handled too.
        quiet = [center(cell_rect(1, 5)), center(cell_rect(3, 0)), (20, 12),
                 center(shift_label_area(2)), (395, 150), (60, 270)]
        for where in quiet:
            self.main.click(*where)
            self.mark(7)
            self.expect(f"a click at {where}, then on G")

    def test_column_3_counts_to_11_and_falls_back_to_0(self):
        self.mark(11)
        for _ in range(12):
            self.press("up_3")
            self.expect(f"up_3 to {self.model.counts[2]}")
        self.assertEqual(self.model.counts, [0, 0, 0])
        # Every count from 0 to 11 showed a picture of its own.
        self.assertEqual(len(self.shift_refs), 12)
        self.press("dn_3")
        self.expect("dn_3 to -1")
        self.press("dn_1")
        self.expect("dn_1")
        self.assertEqual(self.model.counts, [-1, -1, -2])
        self.assertEqual(len(self.shift_refs), 14)

    def test_reset_brings_back_the_start_picture(self):
        for row in (0, 6, 11):
            self.mark(row)
        for name in ("dn_1", "up_2", "up_2", "up_3"):
            self.press(name)
        self.expect("marks and shifts")
        self.press("reset")
        self.expect("RESET")
        self.ends_like_start()


if __name__ == "__main__":
    result = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
