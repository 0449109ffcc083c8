#!/usr/bin/python3
"""The keyboard from outside: the focus starts on Down under Converted_1, Space
and Return press the focused button, and Tab walks the eight buttons."""

import sys
import unittest

from marelo_gui import MainWindowTest
from picture import Ink, shift_label_area

# The order in which Tab walks the buttons, from the first focus on.
TAB_ORDER = ("dn_1", "up_1", "help_pb", "up_2", "dn_2", "dn_3", "up_3", "reset")


class Keyboard(MainWindowTest):

    def key_press(self, key, button):
        """Presses a key that should press this button."""
        self.x.key(key)
        self.model.press(button)

    def counts_picture(self, picture):
        return [Ink(picture, shift_label_area(k)) for k in (1, 2, 3)]

    def test_space_and_return_press_down_under_converted_1(self):
        self.key_press("space", "dn_1")
        at_minus_1 = self.counts_picture(self.expect("Space at the start"))
        self.key_press("Return", "dn_1")
        at_minus_2 = self.counts_picture(self.expect("Return"))
        self.assertEqual(self.model.counts, [-2, -2, -2])
        # The counts that the keys left look as those that clicks make.
        self.press("dn_1")
        self.expect("a click on Down")
        self.press("up_1")
        self.assertEqual(self.counts_picture(self.expect("a click on Up")), at_minus_2)
        self.press("up_1")
        self.assertEqual(self.counts_picture(self.expect("a click on Up")), at_minus_1)

    def test_tab_walks_the_eight_buttons(self):
        self.key_press("space", "dn_1")
        self.expect("Space on dn_1")
        for button in TAB_ORDER[1:] + TAB_ORDER[:1]:
            if button == "reset":
                # Give RESET something to undo; a click on a note takes no focus.
                self.mark(3)
                self.expect("marking D sharp")
            self.x.key("Tab")
            self.key_press("space", button)
            if button == "help_pb":
                help_window = self.app.window("HELP")
                help_window.close()
                self.x.wait_for(lambda: not self.help_windows(), "the help window to close")
                # Back to the main window, where the focus stays on the help button.
                self.main.click(395, 150)
            self.expect(f"Tab and Space on {button}")
        self.x.key("Tab", shift=True)
        self.key_press("space", "reset")
        self.expect("Shift+Tab back to RESET and Space")

    def help_windows(self):
        return self.app.windows("HELP")


if __name__ == "__main__":
    result = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
