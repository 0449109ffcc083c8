#!/usr/bin/python3
"""What a screen reader user hears: Orca itself, running before the program
starts, on a private display and session bus (run it with dbus-run-session --
/usr/bin/python3 test_orca.py). Each step's utterances are compared in full,
Orca's echo of the keys pressed left aside."""

import os
import sys
import unittest

from harness.main_window import MainWindowTest
from harness.xsession import ScreenReader, private_accessibility_bus

# The Qt the program is built on: 6.8 tells results as announcements.
QT_VERSION = tuple(int(part) for part in os.environ["MARELO_QT_VERSION"].split(".")[:2])
HELP_LINES = (
    "Thank you for download this free ware made by ",
    "   Down と Up のボタンを押すだけです",
    "   ボタンの上の数字はシフト数です",
    "   Original 列上をクリックすると、マークできます",
    "   Converted_1 _2 _3 列がシフト数に応じて変化します",
    "Converted_1 > _2 > _3 と従属関係になります",
    "アンサンブルでそれぞれ異なるキーを使用する時などに役立つでしょう",
    "My HomePageURL\u3000",
)


class HeardWithOrca(MainWindowTest):
    extra_env = {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}

    @classmethod
    def setUpClass(cls):
        private_accessibility_bus()
        super().setUpClass()

    @staticmethod
    def before_program(target, cleanup):
        target.orca = ScreenReader(target.x).__enter__()
        cleanup(target.orca.__exit__, None, None, None)
        target.mark = len(target.orca.utterances())
        target.heard = []  # what a user heard, step by step

    def step(self, what, keys, expected, orca_key=False):
        """Presses the keys, with Orca's key (Insert) held if asked; Orca then
        says `expected` (key echo aside), and nothing else."""
        start = self.mark
        if orca_key:
            self.x.key_down("KP_Insert")
        try:
            for name, shift in keys:
                self.x.key(name, shift=shift)
            self.orca.wait_said(lambda said: len(self.orca.spoken(start)) >= len(expected),
                                f"Orca to speak after {what}")
        finally:
            if orca_key:
                self.x.key_down("KP_Insert", down=False)
        said = self.orca.spoken(start)
        self.mark = len(self.orca.utterances())
        self.heard.append((what, self.orca.utterances(start)))
        self.assertEqual(said, expected, f"{what}: Orca said {self.orca.utterances()}; "
                         "its last events:\n" + self.orca.events())

    def test_every_action_is_heard(self):
        step, says = self.step, self.orca.says
        step("start", [], [says("Marelo", "frame"), says("Down, Converted_1", "button"),
                           "Lowers Converted_1, Converted_2 and Converted_3 by a semitone."])
        step("Tab", [("Tab", False)],
             [says("Up, Converted_1", "button"),
              "Raises Converted_1, Converted_2 and Converted_3 by a semitone."])
        step("Space on Up under Converted_1", [("space", False)],
             ["All three shift 1"])
        self.model.press("up_1")
        if QT_VERSION >= (6, 8):
            # Told as an announcement: the button still says what it does.
            step("where am I", [("KP_Enter", False)],
                 [says("Up, Converted_1", "button"),
                  "Raises Converted_1, Converted_2 and Converted_3 by a semitone."])
        # A mark says what the note reads in each converted column.
        step("E", [("e", False)], ["E, marked: F in all three"])
        self.model.toggle(4)
        step("Space again", [("space", False)],
             ["All three shift 2. E: F sharp or G flat"])
        self.model.press("up_1")
        step("Shift+C", [("c", True)], ["C sharp or D flat, marked: D sharp or E flat in all three"])
        self.model.toggle(1)
        self.expect("the keys' presses and marks")
        # Flat review reads the chart row by row, as it shows now.
        step("flat review from the top", [("KP_Home", False)],
             ["Original Converted_1, shift 2 Converted_2, shift 2 Converted_3, shift 2"], True)
        step("flat review: the first row", [("KP_Page_Up", False)], ["C D D D"])
        marked = "D sharp or E flat, marked"
        step("flat review: the second row", [("KP_Page_Up", False)],
             [f"C sharp or D flat, marked {marked} {marked} {marked}"])
        # The focus moves: each button says what it does, not what a press said.
        step("Shift+Tab", [("Tab", True)],
             [says("Down, Converted_1", "button"),
              "Lowers Converted_1, Converted_2 and Converted_3 by a semitone."])
        step("Shift+Tab to RESET", [("Tab", True)],
             [says("Reset", "button"), "Sets every count to 0 and clears every mark."])
        reset = "All three shift 0. Nothing marked"
        step("RESET", [("space", False)], [reset])
        # The same words again are heard again.
        step("RESET again", [("space", False)], [reset])
        self.model.press("reset")
        self.expect("RESET")
        # Back on RESET, which last told a result: it says what it does.
        step("Shift+Tab away from RESET", [("Tab", True)],
             [says("Up, Converted_3", "button"), "Raises Converted_3 by a semitone."])
        step("Tab back to RESET", [("Tab", False)],
             [says("Reset", "button"), "Sets every count to 0 and clears every mark."])
        for button, does in (("Up, Converted_3", "Raises Converted_3"),
                             ("Down, Converted_3", "Lowers Converted_3"),
                             ("Down, Converted_2", "Lowers Converted_2 and Converted_3"),
                             ("Up, Converted_2", "Raises Converted_2 and Converted_3")):
            step(f"Shift+Tab to {button}", [("Tab", True)],
                 [says(button, "button"), f"{does} by a semitone."])
        # What E is in the key of Converted_2: presses with E marked, then E.
        step("E", [("e", False)], ["E, marked: E in all three"])
        step("Space on Up under Converted_2", [("space", False)],
             ["Converted_2 to 3 shift 1. E: F"])
        step("Space again", [("space", False)],
             ["Converted_2 to 3 shift 2. E: F sharp or G flat"])
        step("E unmarks", [("e", False)], ["E, unmarked"])
        step("E after two presses", [("e", False)],
             ["E, marked: E in Converted_1, F sharp or G flat in Converted_2 and Converted_3"])
        for _ in range(2):
            self.model.press("up_2")
        self.model.toggle(4)
        self.expect("Up under Converted_2 twice, E marked")
        # The cell of row E in Converted_2, reviewed whole: its column and row.
        step("flat review from the top again", [("KP_Home", False)],
             ["Original Converted_1, shift 0 Converted_2, shift 2 Converted_3, shift 2"], True)
        # One key at a time, each heard before the next, as a user goes: a key
        # Orca takes too long over reaches the program instead.
        for line in ("C C D D",
                     "C sharp or D flat C sharp or D flat D sharp or E flat D sharp or E flat",
                     "D D E E", "D sharp or E flat D sharp or E flat F F",
                     "E, marked E, marked F sharp or G flat, marked F sharp or G flat, marked"):
            step("down a row", [("KP_Page_Up", False)], [line])
        for word in ("marked", "E, ", "marked", "F "):
            step("across a word", [("KP_Right", False)], [word])
        # Orca reads a cell's whole row, Orca 48 with what the Original
        # cell says it does.
        row = ["E, marked.", "E, marked.", "F sharp or G flat, marked.",
               "F sharp or G flat, marked."]
        if self.orca.VERSION >= (48, 0):
            row.insert(1, "Key E.")
        step("the cell reviewed", [("KP_Begin", False)], row, True)
        step("Shift+Tab to Help", [("Tab", True)],
             [says("Help", "button"), "Opens a short usage text."])
        # The help text is read when its window comes up, without a further key.
        before = self.mark
        self.x.key("space")
        self.orca.wait_said(lambda said: any(u.startswith("HELP dialog") for u in said[before:]),
                            "the help window to be read")
        text = next(u for u in self.orca.utterances(before) if u.startswith("HELP dialog"))
        self.heard.append(("opening help", self.orca.utterances(before)))
        lines = text[len("HELP dialog "):].split("\n")
        self.assertEqual(len(lines), 10, lines)  # nine, each ended by a line break
        for line, start in zip([lines[i] for i in (0, 1, 2, 3, 4, 5, 6, 8)], HELP_LINES):
            self.assertTrue(line.startswith(start), (line, start))
        self.assertEqual(lines[7], "")
        # Flat review goes through the help line by line.
        self.mark = len(self.orca.utterances())
        step("flat review of the help from the top", [("KP_Home", False)], [lines[0] + "\n"],
             True)
        step("the help's second line", [("KP_Page_Up", False)], [lines[1] + "\n"])
        # What a user heard, step by step.
        for what, utterances in self.heard:
            print(f"{what}: {utterances}", file=sys.stderr)


if __name__ == "__main__":
    result = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
