#!/usr/bin/python3
"""The keyboard from outside: the focus starts on Down under Converted_1, Space
and Return press the focused button, Tab walks the eight buttons, and the
notes' letters mark notes by their keys, Caps Lock or not, once per key held."""

import sys
import unittest

from harness.main_window import MainWindowTest
from harness.picture import Ink, shift_label_area

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

    def test_letters_mark_notes_with_caps_lock_on(self):
        # Caps Lock makes "e" type "E", and Shift "c": the keys are what count.
        self.x.key("Caps_Lock")
        self.addCleanup(self.x.key, "Caps_Lock")
        self.x.key("e")
        self.model.toggle(4)
        self.x.key("c", shift=True)
        self.model.toggle(1)
        self.x.key("g")
        self.model.toggle(7)
        self.expect("E, Shift+C and G with Caps Lock on")
        self.x.key("g")
        self.model.toggle(7)
        self.x.key("space")
        self.model.press("dn_1")
        self.expect("G again, then Space on Down")

    def test_a_held_key_marks_once(self):
        presses = self.x.key_presses(self.main, "a")
        self.addCleanup(presses.close)
        self.x.key_down("a")
        try:
            # The server repeats the held key: the window gets it again and again.
            self.x.wait_for(lambda: presses() >= 4, "the held key to repeat")
        finally:
            self.x.key_down("a", down=False)
        self.model.toggle(9)
        self.expect("A held down")
        self.x.key("a", shift=True)
        self.model.toggle(10)
        self.expect("then Shift+A")

    def help_windows(self):
        return self.app.windows("HELP")


if __name__ == "__main__":
    result = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
