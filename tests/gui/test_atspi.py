#!/usr/bin/python3
"""The main window as a screen reader finds it over AT-SPI: every cell, count
and button with what it says, names that follow the state and are announced,
and buttons pressed through their accessible action. Runs on a session bus of
its own: dbus-run-session -- /usr/bin/python3 test_atspi.py"""

import subprocess
import sys
import unittest

from harness.poll import until
from harness.xsession import private_accessibility_bus

# Before pyatspi asks the session bus for the accessibility bus.
private_accessibility_bus()

import pyatspi  # noqa: E402
from gi.repository import Atspi, GLib  # noqa: E402

from harness.main_window import MainWindowTest  # noqa: E402
from harness.picture import BUTTONS, CHART, CHILDREN, Scale, cell_rect  # noqa: E402
from harness.xsession import App, XServer  # noqa: E402

WORDS = ("C", "C sharp or D flat", "D", "D sharp or E flat", "E", "F", "F sharp or G flat", "G",
         "G sharp or A flat", "A", "A sharp or B flat", "B")
COLUMNS = ("Converted_1", "Converted_2", "Converted_3")
NAME_CHANGED = "object:property-change:accessible-name"


def cell(column, row):
    """The layout name of a note cell: column 0 is Original."""
    return f"org({row})" if column == 0 else f"conv({20 * (column - 1) + row})"


def by_name(frame):
    """Each accessible of the main window by its layout name: readers never hear those."""
    found = dict(zip(CHILDREN, frame))
    found.update(zip(CHART, found["chart"]))
    return found


class ScreenReader(MainWindowTest):
    extra_env = {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}

    def setUp(self):
        self.heard = []
        pyatspi.Registry.registerEventListener(self.hear, NAME_CHANGED)
        self.addCleanup(pyatspi.Registry.deregisterEventListener, self.hear, NAME_CHANGED)
        super().setUp()
        pid = self.app.process.pid
        self.application = self.until(
            lambda: next((a for a in pyatspi.Registry.getDesktop(0)
                          if a is not None and a.get_process_id() == pid), None),
            "the program on the accessibility bus")
        self.frame = self.until(lambda: self.frame_named("Marelo"), "the main window's frame")
        self.controls = by_name(self.frame)
        self.names = {child: name for name, child in self.controls.items()}

    def hear(self, event):
        self.heard.append((getattr(self, "names", {}).get(event.source, "?"), event.source.name))

    @staticmethod
    def until(condition, what):
        """Handles the bus's events until condition() gives a true value."""
        context = GLib.MainContext.default()

        def handled():
            while context.pending():
                context.iteration(False)
            return condition()
        return until(handled, what)

    def frame_named(self, title, role=pyatspi.ROLE_FRAME):
        frames = [f for f in self.application if f.getRole() == role and f.name == title]
        return frames[0] if frames else None

    def says(self, expected, what):
        def all_said():
            return all(self.controls[d].name == name for d, name in expected.items())
        try:
            self.until(all_said, what)
        except AssertionError:
            wrong = {d: self.controls[d].name for d, n in expected.items()
                     if self.controls[d].name != n}
            self.fail(f"after {what} these say otherwise: {wrong}")

    def press_accessible(self, description):
        action = self.controls[description].queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        self.assertIn("Press", names, description)
        # What a reader calls it: a note's press marks or unmarks it.
        said = action.getDescription(names.index("Press"))
        if description.startswith("org("):
            row = int(description[4:-1])
            self.assertEqual(said, "Unmark" if row in self.model.marked else "Mark", description)
        else:
            self.assertEqual(said, "Press", description)
        action.doAction(names.index("Press"))
        if description.startswith("org("):
            self.model.toggle(row)
        else:
            self.model.press(description)

    def test_tree_lists_cells_counts_and_buttons(self):
        self.assertEqual([f.name for f in self.application], ["Marelo"])
        self.assertEqual((self.frame.childCount, self.controls["chart"].childCount), (12, 52))
        expected = {cell(c, r): WORDS[r] for c in range(4) for r in range(12)}
        for k, column in enumerate(COLUMNS, 1):
            expected[f"ud_{k}"] = f"{column} shift 0"
            expected[f"up_{k}"] = f"Up, {column}"
            expected[f"dn_{k}"] = f"Down, {column}"
            expected[f"Label101({k - 1})"] = f"{column}, shift 0"
        expected.update({"reset": "Reset", "help_pb": "Help", "Label100": "Original",
                         "chart": "Key chart"})
        self.assertEqual({d: c.name for d, c in self.controls.items()}, expected)
        # No layout name reaches a reader, as a name or a description.
        for control in self.controls.values():
            self.assertNotIn(control.description, CHILDREN + CHART)
        roles = {"chart": pyatspi.ROLE_TABLE, "ud_": pyatspi.ROLE_LABEL,
                 "Label": pyatspi.ROLE_TABLE_COLUMN_HEADER, "org(": pyatspi.ROLE_TABLE_CELL,
                 "conv(": pyatspi.ROLE_TABLE_CELL}
        for description, control in self.controls.items():
            button = description in ("reset", "help_pb") or description[:3] in ("up_", "dn_")
            role = next((r for p, r in roles.items() if description.startswith(p)),
                        pyatspi.ROLE_PUSH_BUTTON)
            self.assertEqual(control.getRole(), role, description)
            focusable = control.getState().contains(pyatspi.STATE_FOCUSABLE)
            self.assertEqual(focusable, button, description)
        # The focus starts on Down under Converted_1.
        focused = [d for d, c in self.controls.items()
                   if c.getState().contains(pyatspi.STATE_FOCUSED)]
        self.assertEqual(focused, ["dn_1"])

    def test_chart_is_a_table(self):
        """Rows, columns and their headers, as Orca 43 finds them through the
        table and Orca 48 through the cell; after Up under Converted_2 twice."""
        self.press("up_2")
        self.press("up_2")
        chart = self.controls["chart"]
        table = chart.queryTable()
        self.assertEqual((table.nRows, table.nColumns), (12, 4))
        headers = ["Original", "Converted_1, shift 0", "Converted_2, shift 2",
                   "Converted_3, shift 2"]
        self.until(lambda: [table.getColumnHeader(c).name for c in range(4)] == headers,
                   "the headings with their counts")
        for row, column in ((4, 2), (0, 0), (11, 3)):
            place = cell(column, row)
            target = self.controls[place]
            self.assertEqual(table.getAccessibleAt(row, column), target, place)
            index = target.getIndexInParent()
            self.assertEqual((table.getRowAtIndex(index), table.getColumnAtIndex(index)),
                             (row, column), place)
            self.assertEqual(table.getRowHeader(row).name, WORDS[row], place)
            if "TableCell" in pyatspi.listInterfaces(target):
                # AT-SPI gives whether it found the cell first.
                self.assertEqual(tuple(Atspi.TableCell.get_position(target))[-2:],
                                 (row, column), place)
                self.assertEqual([h.get_name() for h in
                                  Atspi.TableCell.get_column_header_cells(target)],
                                 [headers[column]], place)

    def test_names_follow_real_clicks(self):
        self.mark(4)
        self.says({cell(c, 4): "E, marked" for c in range(4)}, "a click on E")
        self.press("up_1")
        self.says({"ud_1": "Converted_1 shift 1", "ud_3": "Converted_3 shift 1",
                   "org(4)": "E, marked", "conv(4)": "F, marked", "conv(44)": "F, marked",
                   "conv(3)": "E", "conv(11)": "C"}, "Up under Converted_1")
        self.press("dn_3")
        self.says({"ud_3": "Converted_3 shift 0", "conv(44)": "E, marked",
                   "ud_2": "Converted_2 shift 1"}, "Down under Converted_3")
        self.expect("the same on the screen")

    def test_pressing_through_the_accessible_action(self):
        self.press_accessible("dn_2")
        self.says({"ud_1": "Converted_1 shift 0", "ud_2": "Converted_2 shift -1",
                   "ud_3": "Converted_3 shift -1", "conv(20)": "B"}, "pressing Down, Converted_2")
        self.press_accessible("org(7)")
        self.says({"org(7)": "G, marked", "conv(7)": "G, marked", "conv(27)": "F sharp or G flat, marked"},
                  "pressing G")
        self.expect("the same on the screen")
        self.press_accessible("reset")
        self.says({"ud_2": "Converted_2 shift 0", "org(7)": "G", "conv(27)": "G"},
                  "pressing Reset")
        self.expect("the same on the screen")
        self.press_accessible("help_pb")
        # A dialog, whose text a reader reads when it comes up.
        help_frame = self.until(lambda: self.frame_named("HELP", pyatspi.ROLE_DIALOG),
                                "the help window's dialog")
        texts = [child.name for child in help_frame]
        self.assertEqual(len(texts), 1)
        lines = texts[0].split("\n")
        self.assertEqual(len(lines), 10, lines)  # nine, each ended by a line break
        self.assertTrue(lines[0].startswith("Thank you for download"), lines[0])
        self.assertEqual((lines[7], lines[9]), ("", ""))
        # Line by line, each in its language.
        text = help_frame[0].queryText()
        starts = [0] + [i + 1 for i, c in enumerate(texts[0]) if c == "\n"][:8]
        for number, start in enumerate(starts):
            line, begin, _ = text.getTextAtOffset(start, pyatspi.TEXT_BOUNDARY_LINE_START)
            self.assertEqual((line.rstrip("\n"), begin), (lines[number], start), number)
            attributes, _, _ = text.getAttributeRun(start, False)
            japanese = number in range(1, 7)
            self.assertEqual(attributes, ["language:ja"] if japanese else [], number)
        # Labels, however named, can't be pressed unless a click does something.
        for description in ("conv(4)", "ud_1", "Label100"):
            action = self.controls[description].queryAction()
            self.assertEqual(action.nActions, 0, description)

    def test_changes_are_announced(self):
        self.until(lambda: True, "the events so far")  # handled, then forgotten
        self.heard.clear()
        self.press_accessible("up_3")
        changed = {f"conv({40 + r})": WORDS[(r + 1) % 12] for r in range(12)}
        changed["ud_3"] = "Converted_3 shift 1"
        changed["Label101(2)"] = "Converted_3, shift 1"  # the heading says its count
        self.until(lambda: set(changed.items()) <= set(self.heard), "the new names of column 3")
        # Then mark C: its row announces; nothing else has said a word.
        self.press_accessible("org(0)")
        marked = {"org(0)": "C, marked", "conv(0)": "C, marked", "conv(20)": "C, marked",
                  "conv(40)": "C sharp or D flat, marked"}
        self.until(lambda: set(marked.items()) <= set(self.heard), "the names of the marked row")
        self.assertEqual({d for d, _ in self.heard}, set(changed) | set(marked))


# Desktops at each scale: (its environment, its Xft.dpi, the density the
# program then draws at).
SCALED = {
    "unscaled": ({}, None, 96),
    "factor_1_5": ({"QT_SCALE_FACTOR": "1.5"}, None, 144),
    "factor_2": ({"QT_SCALE_FACTOR": "2"}, None, 192),
    "xft_dpi_144": ({}, 144, 144),
}


class BoxesWhereDrawn(unittest.TestCase):
    """Each control's box, as a magnifier or a reader's mouse review finds it,
    on the screen where the control is drawn, in the screen's own pixels; a
    point in a control's middle finds that control."""

    def boxes_at(self, name):
        env, xft_dpi, dpi = SCALED[name]
        with XServer() as x:
            if xft_dpi is not None:
                subprocess.run(["xrdb", "-merge"], input=f"Xft.dpi: {xft_dpi}\n", text=True,
                               env=x.env(), check=True)
            with App(x, dict(env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")) as app:
                left, top, _, _ = app.window("Marelo").geometry()
                pid = app.process.pid
                frame = ScreenReader.until(
                    lambda: next((f for a in pyatspi.Registry.getDesktop(0)
                                  if a is not None and a.get_process_id() == pid
                                  for f in a if f.name == "Marelo"), None),
                    "the main window on the accessibility bus")
                children = by_name(frame)
                scale = Scale(dpi)
                rects = dict(BUTTONS)
                rects.update({cell(c, r): cell_rect(c, r) for c in range(4) for r in range(12)})
                wrong = []
                for description, rect in rects.items():
                    x0, y0, x1, y1 = scale.box(*rect)
                    box = children[description].queryComponent().getExtents(
                        pyatspi.DESKTOP_COORDS)
                    seen = (box.x - left, box.y - top, box.x + box.width - left,
                            box.y + box.height - top)
                    if max(abs(a - b) for a, b in zip(seen, (x0, y0, x1, y1))) > 1:
                        wrong.append(f"{description} at {seen}, drawn at {(x0, y0, x1, y1)}")
                    hit = frame.queryComponent().getAccessibleAtPoint(
                        left + (x0 + x1) // 2, top + (y0 + y1) // 2, pyatspi.DESKTOP_COORDS)
                    if hit == children["chart"]:
                        hit = hit.queryComponent().getAccessibleAtPoint(
                            left + (x0 + x1) // 2, top + (y0 + y1) // 2, pyatspi.DESKTOP_COORDS)
                    if hit != children[description]:
                        wrong.append(f"{description}'s middle finds {hit.name if hit else None!r}")
                self.assertEqual(wrong, [], f"at {name}")


for _name in SCALED:
    setattr(BoxesWhereDrawn, f"test_{_name}", lambda self, n=_name: self.boxes_at(n))


if __name__ == "__main__":
    result = unittest.main(argv=sys.argv[:1], exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
