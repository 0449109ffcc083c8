#!/usr/bin/python3
"""The real MARELO.exe under Wine, on the test's own X display, driven like a
user would: real clicks and keys through X, the screen read back pixel by
pixel, and the windows' frames seen from inside Windows by window_probe.exe.

  real_window.py WINE_ENV STATE MARELO.exe window_probe.exe DPI [unittest options]

At a DPI other than 96 the system's density is set to it for the run, and
every pixel position is that of the layout scaled to it. One run of the
program: the tests go in the order of their names. Needs Debian's python3
with python3-xlib and python3-pil, and tests/ on PYTHONPATH.
"""
import sys
import unittest

from PIL import Image, ImageChops

from harness.picture import (BOX_LEFT, BOX_SIZE, BOX_TOP, BUTTONS, HEIGHT, HELP_HEIGHT,
                             HELP_WIDTH, ROWS, WIDTH, Scale, cell_rect, center, frame_faults)
from harness.poll import until
from harness.wine import DEADLINE, Wine, numbers

WINE_ENV, STATE, EXE, PROBE = sys.argv[1:5]
DPI = int(sys.argv[5])
MSAA_PROBE = sys.argv[6]
scale = Scale(DPI)
T = scale.thickness

WHITE, BLACK, RED, CYAN = (255, 255, 255), (0, 0, 0), (255, 0, 0), (0, 255, 255)
WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x00080000, 0x00040000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x00020000, 0x00010000
WS_EX_APPWINDOW, WS_EX_TOPMOST, WS_EX_TOOLWINDOW = 0x00040000, 0x8, 0x80
def ink(shot, rect):
    """The inked part of a cell (inside its frame), cut to the ink's own box."""
    inner = shot.crop(scale.inside(*rect))
    box = ImageChops.difference(inner, Image.new("RGB", inner.size, WHITE)).getbbox()
    return (inner.crop(box), box) if box else (None, None)


def same_ink(shot, a, b):
    ia, _ = ink(shot, a)
    ib, _ = ink(shot, b)
    return ia is not None and ib is not None and ia.size == ib.size and \
        list(ia.getdata()) == list(ib.getdata())


def colours(image):
    return set(image.getdata()) if image else set()


def inner_width(column):
    x0, _, x1, _ = scale.box(*cell_rect(column, 1))
    return x1 - x0 - 2 * T


class RealWindow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.wine = Wine(WINE_ENV, STATE, PROBE)
        cls.enterClassContext(cls.wine.density(DPI))
        cls.program = cls.wine.start(EXE)
        cls.addClassCleanup(lambda: cls.program.poll() is None and cls.program.kill())
        cls.info = cls.wine.info("Marelo")

    def shot(self):
        return self.wine.client("Marelo")[0]

    def test_readers_find_each_control_where_it_is_drawn(self):
        """From another process, as a screen reader or a magnifier: each
        control's box and a hit test at its middle, at this density."""
        cases = ("the program starts*,every control says*,hit-testing*,"
                 "closing the main window*")
        result = self.wine.wine(MSAA_PROBE, EXE, f"-tc={cases}")
        self.assertEqual(result.returncode, 0, result.stdout[-4000:] + result.stderr[-1000:])
        self.assertIn("4 passed", result.stdout)

    def click(self, point, title="Marelo"):
        """A click at a 96-dpi position of the layout."""
        x, y = numbers(self.wine.info(title)["origin"])
        self.wine.click(x + scale.px(point[0]), y + scale.px(point[1]))

    def shows(self, rows, what):
        """Waits until conv column 1, 2 and 3 show in row 0 the Original notes `rows`."""
        def shown():
            shot = self.shot()
            return all(same_ink(shot, cell_rect(c + 1, 0), cell_rect(0, rows[c])) for c in range(3))
        until(shown, what, DEADLINE, 0.2)

    def test_1_frame(self):
        info = self.info
        frame, area = numbers(info["window"]), numbers(info["workarea"])
        style = int(info["style"], 16)
        self.assertEqual(info["client"], f"{scale.px(WIDTH)} {scale.px(HEIGHT)}",
                         f"client area {WIDTH} x {HEIGHT} at 96 dpi ({DPI} dpi)")
        self.assertLessEqual(abs((frame[0] - area[0]) - (area[2] - frame[2])), 1, "centred")
        self.assertLessEqual(abs((frame[1] - area[1]) - (area[3] - frame[3])), 1, "centred")
        wanted = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME
        self.assertEqual(style & wanted, wanted, "caption, system menu, sizable frame")
        self.assertEqual(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0,
                         "no minimise or maximise box")
        self.assertEqual((info.get("active"), info.get("focus"), info.get("focusrect")),
                         ("1", "Down", "%d %d %d %d" % scale.box(*BUTTONS["dn_1"])),
                         "active, focus on dn_1")

    def test_2_pixels(self):
        image = self.wine.whole_screen()
        shot, (left, top) = self.wine.client("Marelo", self.info)
        for x, y in [(2, 2), (398, 20), (85, 150), (398, 284)]:
            self.assertEqual(shot.getpixel((scale.px(x), scale.px(y))), WHITE, "white ground")
        self.assertEqual(frame_faults(shot, scale), [])
        bad = [r for r in range(ROWS) for c in (1, 2, 3)
               if not same_ink(shot, cell_rect(c, r), cell_rect(0, r))]
        self.assertFalse(bad, "start state: every column shows the Original notes")
        _, box = ink(shot, cell_rect(0, 1))
        _, conv_box = ink(shot, cell_rect(1, 1))
        # Aligned ink keeps at most its glyphs' own side bearings from the frame.
        self.assertTrue(box and conv_box and box[0] <= scale.px(3) and
                        conv_box[2] >= inner_width(1) - scale.px(5),
                        f"Original left-aligned, converted right-aligned: {box}, {conv_box}")
        frame = numbers(self.info["window"])
        title_bar = image.crop((frame[0], frame[1], frame[0] + 40, top))
        self.assertGreaterEqual(list(title_bar.getdata()).count(CYAN), 20,
                                "the program's icon in the title bar")

    def test_3_keyboard(self):
        """The focus starts on dn_1."""
        screen = self.wine.screen
        self.wine.keyboard_to_desktop()
        screen.key("Return")
        self.shows([11, 11, 11], "Enter to press dn_1: every column one lower")
        screen.key("space")
        self.shows([10, 10, 10], "Space to press it again")
        screen.key("Tab")
        screen.key("Return")
        self.shows([11, 11, 11], "Tab to go on to up_1")
        screen.key("Tab", shift=True)
        until(lambda: (self.wine.probe("info", "Marelo") or {}).get("focus") == "Down",
              "Shift+Tab to come back to dn_1", DEADLINE, 0.2)

    def test_4_mouse(self):
        self.click(center(BUTTONS["reset"]))
        self.shows([0, 0, 0], "RESET")
        ud_box = (scale.px(BOX_LEFT[0]) + T, scale.px(BOX_TOP) + T,
                  scale.px(BOX_LEFT[0] + BOX_SIZE), scale.px(BUTTONS["up_1"][1]))
        before = self.shot().crop(ud_box)
        self.click(center(BUTTONS["up_1"]))
        self.shows([1, 1, 1], "a click on Up to shift the three columns")
        self.assertNotEqual(list(self.shot().crop(ud_box).getdata()), list(before.getdata()),
                            "ud_1 shows a new count")
        self.click(center(cell_rect(0, 4)))

        def marked():
            shot = self.shot()
            org, box = ink(shot, cell_rect(0, 4))
            rows = [ink(shot, cell_rect(c, 4))[0] for c in (1, 2, 3)]
            others = [ink(shot, cell_rect(c, 5))[0] for c in range(4)]
            return (org is not None and RED in colours(org) and
                    all(p[0] >= 128 and p[1] == p[2] for p in colours(org)) and
                    box[2] >= inner_width(0) - scale.px(5) and
                    all(RED in colours(i) and BLACK not in colours(i) for i in rows) and
                    all(BLACK in colours(i) and RED not in colours(i) for i in others))
        until(marked, "a click on an Original note to mark its row in pure red", DEADLINE, 0.2)

    def test_5_help(self):
        self.click(center(BUTTONS["help_pb"]))
        info = self.wine.info("HELP")
        style, exstyle = int(info["style"], 16), int(info["exstyle"], 16)
        self.assertEqual(info["client"], f"{scale.px(HELP_WIDTH)} {scale.px(HELP_HEIGHT)}",
                         f"help: client area {HELP_WIDTH} x {HELP_HEIGHT} at 96 dpi")
        self.assertTrue(info["owner"] == "0" and info["parent"] == "0" and
                        exstyle & WS_EX_APPWINDOW and
                        not exstyle & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
                        f"help: a top-level window of its own with a task-bar entry: {info}")
        self.assertTrue(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX) == 0 and style & WS_THICKFRAME,
                        f"help: frame like main's: {hex(style)}")
        self.assertEqual(info["pid"], self.info["pid"], "help: same program")
        image = self.wine.whole_screen()
        x, y = numbers(info["origin"])
        x0, y0, x1, y1 = scale.px(0), scale.px(8), scale.px(521), scale.px(129)
        text = image.crop((x + x0, y + y0, x + x1, y + y1))
        ground = text.getpixel((x1 - x0 - 1, y1 - y0 - 1))
        rows = [any(p != ground for p in text.crop((0, row, x1 - x0, row + 1)).getdata())
                for row in range(y1 - y0)]
        # Lines of 9 pt, of which the first rows may hold the line above's.
        pitch, margin = scale.px(12), scale.px(3)

        def slot(i):
            return rows[pitch * i + margin:pitch * (i + 1)]
        self.assertTrue(all(any(slot(i)) == (i != 7) for i in range(9)) and
                        not any(rows[pitch * 9 + margin:]),
                        f"help: nine lines of text, the eighth empty: "
                        f"{[i for i in range(10) if any(slot(i))]}")
        frame = numbers(info["window"])
        self.assertGreaterEqual(list(image.crop((frame[0], frame[1], frame[0] + 40, y))
                                     .getdata()).count(CYAN), 20, "help: the program's icon")
        self.click(center(BUTTONS["up_1"]))
        self.shows([2, 2, 2], "main to stay usable beside help")
        self.wine.close("HELP")
        until(lambda: self.wine.probe("info", "HELP") is None, "help to close", DEADLINE, 0.2)
        self.assertIsNotNone(self.wine.probe("info", "Marelo"), "main stays open")
        self.click(center(BUTTONS["help_pb"]))
        self.assertEqual(self.wine.info("HELP")["client"],
                         f"{scale.px(HELP_WIDTH)} {scale.px(HELP_HEIGHT)}",
                         "help opens again, its layout size")

    def test_6_closing_main_ends_the_program(self):
        """Help and all."""
        self.wine.close("Marelo")
        self.assertEqual(self.wine.ended(self.program), 0, "status 0")
        self.assertIsNone(self.wine.probe("info", "HELP"), "no window is left")
        self.assertIsNone(self.wine.probe("info", "Marelo"), "no window is left")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[7:], verbosity=2)
