#!/usr/bin/python3
"""The main window as it first appears on the screen: size and place, the
white ground, every cell frame, box line and button where it belongs, and the
note names inside their cells."""

import sys
import unittest

from harness.main_window import MainWindowTest
from harness.picture import (BOX_BOTTOM, BOX_LEFT, BOX_SIZE, BOX_TOP, BUTTONS, COLUMN_LEFT,
                             COLUMN_WIDTH, FIRST_ROW_TOP, HEIGHT, ROWS, TABLE_BOTTOM, WHITE, WIDTH,
                             Ink, alignment, cell_inside, frame_faults, is_reddish,
                             shift_label_area)
from harness.xsession import SCREEN_HEIGHT, SCREEN_WIDTH

NATURAL_ROWS = (0, 2, 4, 5, 7, 9, 11)
SHARP_ROWS = (1, 3, 6, 8, 10)


class StartPicture(MainWindowTest):
    one_program_per_class = True

    def px(self, x, y):
        return self.start.getpixel((x, y))

    def assert_white(self, points, what):
        points = list(points)
        marks = [p for p in points if self.px(*p) != WHITE]
        self.assertFalse(marks, f"{what}: not white at {marks[:3]}")

    def test_client_area_is_401_by_287_and_centred(self):
        left, top, width, height = self.main.geometry()
        self.assertEqual((width, height), (WIDTH, HEIGHT))
        self.assertLessEqual(abs(left - (SCREEN_WIDTH - WIDTH) / 2), 1)
        self.assertLessEqual(abs(top - (SCREEN_HEIGHT - HEIGHT) / 2), 1)

    def test_ground_is_white_outside_the_controls(self):
        def taken(x, y):
            for left, width in zip(COLUMN_LEFT, COLUMN_WIDTH):
                if left <= x < left + width and (8 <= y < 22 or FIRST_ROW_TOP <= y < TABLE_BOTTOM):
                    return True
            for left in BOX_LEFT:
                if left <= x <= left + BOX_SIZE and BOX_TOP <= y <= BOX_BOTTOM:
                    return True
            for name in ("reset", "help_pb"):
                bl, bt, bw, bh = BUTTONS[name]
                if bl <= x < bl + bw and bt <= y < bt + bh:
                    return True
            return False
        self.assert_white(((x, y) for y in range(HEIGHT) for x in range(WIDTH)
                           if not taken(x, y)), "the ground")

    def test_cell_frames_and_box_lines_at_their_pixels(self):
        self.assertEqual(frame_faults(self.start), [])

    def test_buttons_where_the_layout_puts_them(self):
        seams = {(BUTTONS[f"dn_{k}"][0] + BUTTONS[f"dn_{k}"][2] - 1) for k in (1, 2, 3)}
        for name, (left, top, width, height) in BUTTONS.items():
            right, bottom = left + width - 1, top + height - 1
            middle_y, middle_x = top + height // 2, left + width // 2

            def edge(x, y, inward_x, inward_y):
                # A button's edge is darker than its face just inside.
                return sum(self.px(x, y)) + 60 < sum(self.px(x + inward_x, y + inward_y))
            self.assertTrue(edge(left, middle_y, 1, 0), f"{name}: left edge")
            self.assertTrue(edge(right, middle_y, -1, 0), f"{name}: right edge")
            self.assertTrue(edge(middle_x, top, 0, 1), f"{name}: top edge")
            self.assertTrue(edge(middle_x, bottom, 0, -1), f"{name}: bottom edge")
            self.assertEqual(self.px(middle_x, top - 1), WHITE, f"{name}: above")
            self.assertEqual(self.px(middle_x, bottom + 1), WHITE, f"{name}: below")
            # Down and Up share the column where they overlap.
            if left not in seams:
                self.assertEqual(self.px(left - 1, middle_y), WHITE, f"{name}: left of it")
            if right not in seams:
                self.assertEqual(self.px(right + 1, middle_y), WHITE, f"{name}: right of it")
            caption = Ink(self.start, (left + 2, top + 2, width - 4, height - 4), floor=80)
            self.assertFalse(caption.empty, f"{name}: no caption")
        for k in (1, 2, 3):
            down = Ink(self.start, (BUTTONS[f"dn_{k}"][0] + 2, 250, 37, 21), floor=80)
            up = Ink(self.start, (BUTTONS[f"up_{k}"][0] + 2, 250, 37, 21), floor=80)
            self.assertGreater(down.width, up.width + 8, f"Down left of Up in column {k}")

    def test_note_names_inside_their_cells(self):
        org = [Ink(self.start, cell_inside(0, r)) for r in range(ROWS)]
        for row in NATURAL_ROWS:
            # One fullwidth letter, not a layout caption such as "org(0)".
            self.assertLessEqual(org[row].width, 14, f"row {row}: {org[row]}")
        for row in SHARP_ROWS:
            self.assertGreaterEqual(org[row].width, 40, f"row {row}: {org[row]}")
            # "Ｃ＃（Ｄ♭）" starts with the letter that the row above shows alone.
            letter = org[row - 1]
            self.assertEqual(org[row].part(letter.width, len(letter.data)), letter.data,
                             f"row {row} does not start with the note of row {row - 1}")
        for a in range(ROWS):
            for b in range(a):
                self.assertNotEqual(org[a], org[b], f"rows {a} and {b} look the same")
        for row in range(ROWS):
            self.assertEqual(alignment(org[row]), "left", f"Original row {row}")
            for column in (1, 2, 3):
                ink = Ink(self.start, cell_inside(column, row))
                self.assertEqual(self.reader.note_of(ink), row, f"column {column} row {row}")
                self.assertEqual(alignment(ink), "right", f"column {column} row {row}")
                # Inside the frame: the text keeps off the frame lines.
                self.assertEqual(ink.top, 0, f"column {column} row {row} starts at the top")

    def test_start_state_has_no_marks_and_counts_of_zero(self):
        self.assertEqual(self.reader.differences(self.start, self.model), [])
        width, height = self.start.size
        self.assertFalse(any(is_reddish(self.px(x, y)) for y in range(height)
                             for x in range(width)))
        zero = [Ink(self.start, shift_label_area(k)) for k in (1, 2, 3)]
        self.assertEqual(zero[0], zero[1])
        self.assertEqual(zero[1], zero[2])
        # Columns 2 and 3 centre their count on the seam of the buttons;
        # column 1 stands one pixel further left and one higher.
        for k in (2, 3):
            seam = BUTTONS[f"dn_{k}"][0] + BUTTONS[f"dn_{k}"][2] - 1
            area_left = shift_label_area(k)[0]
            middle = area_left + (zero[k - 1].left + zero[k - 1].right) / 2
            self.assertLessEqual(abs(middle - seam - 0.5), 1.5, f"count of column {k}")
        self.assertEqual(zero[0].left - zero[1].left, -1)
        self.assertEqual(zero[0].top - zero[1].top, -1)


if __name__ == "__main__":
    result = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
