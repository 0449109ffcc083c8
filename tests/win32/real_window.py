#!/usr/bin/python3
"""The real MARELO.exe under Wine, on the test's own X display, driven like a
user would: real clicks and keys through X, the screen read back pixel by
pixel, and the windows' frames seen from inside Windows by window_probe.exe.

  real_window.py WINE_ENV STATE MARELO.exe window_probe.exe [DPI]

At a DPI other than 96 the system's density is set to it for the run, and
every pixel position is that of the layout scaled to it. Prints "N passed, N failed" and exits nonzero on any failure. Needs Debian's
python3 with python3-pil, xdotool and ImageMagick's import.
"""
import io
import os
import subprocess
import sys
import time

from PIL import Image, ImageChops

WINE_ENV, STATE, EXE, PROBE = sys.argv[1:5]
DPI = int(sys.argv[5]) if len(sys.argv) > 5 else 96


def S(p):
    """A 96-dpi pixel position at the run's density, rounded as MulDiv does."""
    return (2 * p * DPI + 96) // 192


T = max(1, DPI // 96)  # the width of a frame or line: whole device pixels


def scaled(left, top, width, height):
    """A layout rectangle (96-dpi pixels) as left, top, right, bottom at the density."""
    return S(left), S(top), S(left + width - 1) + T, S(top + height - 1) + T
WHITE, BLACK, RED, CYAN = (255, 255, 255), (0, 0, 0), (255, 0, 0), (0, 255, 255)
WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x00080000, 0x00040000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x00020000, 0x00010000
WS_EX_APPWINDOW, WS_EX_TOPMOST, WS_EX_TOOLWINDOW = 0x00040000, 0x8, 0x80

# The key table's columns: left edge and width in pixels; rows 16 apart from 24, 17 high.
COLUMNS = [(8, 73), (88, 97), (192, 97), (296, 97)]
BOX_LINES = [  # x1, y1, x2, y2 in pixels
    (88, 224, 88, 280), (88, 280, 184, 280), (184, 224, 184, 280), (88, 224, 184, 224),
    (296, 224, 296, 280), (192, 224, 288, 224), (288, 224, 288, 280), (296, 280, 392, 280),
    (192, 280, 288, 280), (192, 224, 192, 280), (392, 224, 392, 280), (296, 224, 392, 224),
]
BUTTONS = {"help_pb": (8, 256, 25, 25), "reset": (8, 224, 73, 25), "dn_1": (96, 248, 41, 25),
           "up_1": (136, 248, 41, 25), "up_2": (240, 248, 41, 25)}

results = {"passed": 0, "failed": 0}


def check(name, condition, detail=""):
    results["passed" if condition else "failed"] += 1
    print(("ok   " if condition else "FAIL ") + name + (f": {detail}" if detail and not condition else ""),
          flush=True)
    return condition


environment = dict(os.environ)
for line in subprocess.run([WINE_ENV, STATE, "env"], check=True, capture_output=True,
                           text=True).stdout.splitlines():
    key, _, value = line.partition("=")
    environment[key] = value


def run(*command, **options):
    return subprocess.run(command, env=environment, capture_output=True, text=True, timeout=60,
                          **options)


def probe(command, title):
    out = run(WINE_ENV, STATE, "run", PROBE, command, title).stdout.replace("\r", "")
    info = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
    return info if info.get("found") == "1" else None


def numbers(text):
    return [int(v) for v in text.split()]


def until(condition, seconds=30):
    end = time.monotonic() + seconds
    while True:
        value = condition()
        if value or time.monotonic() > end:
            return value
        time.sleep(0.2)


def screen():
    png = subprocess.run(["import", "-window", "root", "png:-"], env=environment,
                         capture_output=True, timeout=60, check=True).stdout
    return Image.open(io.BytesIO(png)).convert("RGB")


def xdotool(*args):
    run("xdotool", *args, check=True)


class Window:
    """A top-level window: its client area on the screen."""

    def __init__(self, title):
        self.title = title
        self.info = probe("info", title)
        self.x, self.y = numbers(self.info["origin"]) if self.info else (0, 0)

    def shot(self, image=None):
        image = image or screen()
        w, h = numbers(self.info["client"])
        return image.crop((self.x, self.y, self.x + w, self.y + h))

    def click(self, x, y):
        """A click at a 96-dpi position of the layout."""
        xdotool("mousemove", str(self.x + S(x)), str(self.y + S(y)), "click", "1")


def ink(shot, left, top, width, height):
    """The inked part of a cell (inside its frame), cut to the ink's own box."""
    x0, y0, x1, y1 = scaled(left, top, width, height)
    inner = shot.crop((x0 + T, y0 + T, x1 - T, y1 - T))
    background = Image.new("RGB", inner.size, WHITE)
    box = ImageChops.difference(inner, background).getbbox()
    return (inner.crop(box), box) if box else (None, None)


def cell(column, row):
    left, width = COLUMNS[column]
    return left, 24 + 16 * row, width, 17


def same_ink(shot, a, b):
    ia, _ = ink(shot, *a)
    ib, _ = ink(shot, *b)
    return ia is not None and ib is not None and ia.size == ib.size and \
        list(ia.getdata()) == list(ib.getdata())


def column_shows(main, rows):
    """Whether conv column 1, 2 and 3 show in row 0 the Original notes `rows`."""
    shot = main.shot()
    return all(same_ink(shot, cell(c + 1, 0), cell(0, rows[c])) for c in range(3))


def colours(image):
    return set(image.getdata()) if image else set()


def set_dpi(dpi):
    run(WINE_ENV, STATE, "run", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
        "/t", "REG_DWORD", "/d", str(dpi), "/f")


def main():
    if DPI != 96:
        set_dpi(DPI)
    try:
        return start()
    finally:
        if DPI != 96:
            set_dpi(96)


def start():
    program = subprocess.Popen([WINE_ENV, STATE, "run", EXE], env=environment,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, start_new_session=True)
    try:
        return drive(program)
    finally:
        if program.poll() is None:
            program.kill()


def drive(program):
    if not check("main window appears", until(lambda: probe("info", "Marelo"), 60)):
        return
    main = Window("Marelo")
    info = main.info
    frame = numbers(info["window"])
    area = numbers(info["workarea"])
    style = int(info["style"], 16)
    check(f"client area 401 x 287 at 96 dpi ({DPI} dpi)", info["client"] == f"{S(401)} {S(287)}",
          info["client"])
    check("centred on the screen",
          abs((frame[0] - area[0]) - (area[2] - frame[2])) <= 1 and
          abs((frame[1] - area[1]) - (area[3] - frame[3])) <= 1, (frame, area))
    check("caption, system menu, sizable frame",
          style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME) == WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,
          hex(style))
    check("no minimise or maximise box", style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX) == 0, hex(style))
    check("active, focus on dn_1", info.get("active") == "1" and info.get("focus") == "Down" and
          info.get("focusrect") == "%d %d %d %d" % scaled(96, 248, 41, 25), info)

    image = screen()
    shot = main.shot(image)
    check("white ground", all(shot.getpixel((S(x), S(y))) == WHITE
                              for x, y in [(2, 2), (398, 20), (85, 150), (398, 284)]))
    bad = []
    black = lambda x0, y0, x1, y1: all(shot.getpixel((x, y)) == BLACK
                                       for x in range(x0, x1) for y in range(y0, y1))
    for c, (left, width) in enumerate(COLUMNS):
        for r in range(12):
            x0, y0, x1, y1 = scaled(left, 24 + 16 * r, width, 17)
            if not (black(x0, y0, x1, y0 + T) and black(x0, y1 - T, x1, y1) and
                    black(x0, y0, x0 + T, y1) and black(x1 - T, y0, x1, y1)):
                bad.append((c, r))
            if r < 11 and scaled(left, 24 + 16 * (r + 1), width, 17)[1] != y1 - T:
                bad.append(("not shared", c, r))
        if c > 0 and shot.getpixel((S(left) - 1, S(100))) != WHITE:
            bad.append(("gap", c))
    check("cell frames at their pixels, shared between rows", not bad, bad[:5])
    bad = [line for line in BOX_LINES
           if not black(S(line[0]), S(line[1]), S(line[2]) + T, S(line[3]) + T)]
    check("the boxes' lines at their pixels", not bad, bad)
    bad = [r for r in range(12) for c in (1, 2, 3) if not same_ink(shot, cell(c, r), cell(0, r))]
    check("start state: every column shows the Original notes", not bad, bad)
    _, box = ink(shot, *cell(0, 1))
    _, conv_box = ink(shot, *cell(1, 1))
    # Aligned ink keeps at most its glyphs' own side bearings from the frame.
    inner_width = lambda c: scaled(*cell(c, 1))[2] - scaled(*cell(c, 1))[0] - 2 * T
    check("Original left-aligned, converted right-aligned",
          box and conv_box and box[0] <= S(3) and conv_box[2] >= inner_width(1) - S(5),
          (box, conv_box))
    title_bar = image.crop((frame[0], frame[1], frame[0] + 40, main.y))
    check("the program's icon in the title bar", list(title_bar.getdata()).count(CYAN) >= 20)

    # The keyboard: the focus starts on dn_1.
    desktop = run("xdotool", "search", "--name", "Wine desktop").stdout.split()
    if desktop:
        xdotool("windowfocus", "--sync", desktop[0])
    xdotool("key", "Return")
    check("Enter presses dn_1: every column one lower", until(lambda: column_shows(main, [11, 11, 11])))
    xdotool("key", "space")
    check("Space presses it again", until(lambda: column_shows(main, [10, 10, 10])))
    xdotool("key", "Tab", "Return")
    check("Tab goes on to up_1", until(lambda: column_shows(main, [11, 11, 11])))
    xdotool("key", "shift+Tab")
    check("Shift+Tab comes back to dn_1",
          until(lambda: (probe("info", "Marelo") or {}).get("focus") == "Down"))

    left, top, width, height = BUTTONS["reset"]
    main.click(left + width // 2, top + height // 2)
    check("RESET", until(lambda: column_shows(main, [0, 0, 0])))

    ud_box = (S(88) + T, S(224) + T, S(184), S(248))
    before = main.shot().crop(ud_box)
    left, top, width, height = BUTTONS["up_1"]
    main.click(left + width // 2, top + height // 2)
    check("a click on Up shifts the three columns", until(lambda: column_shows(main, [1, 1, 1])))
    check("ud_1 shows a new count", list(main.shot().crop(ud_box).getdata()) !=
          list(before.getdata()))

    main.click(8 + 36, 24 + 16 * 4 + 8)  # org(4)
    def marked():
        shot = main.shot()
        org, box = ink(shot, *cell(0, 4))
        rows = [ink(shot, *cell(c, 4))[0] for c in (1, 2, 3)]
        others = [ink(shot, *cell(c, 5))[0] for c in range(4)]
        return (org is not None and RED in colours(org) and
                all(p[0] >= 128 and p[1] == p[2] for p in colours(org)) and
                box[2] >= inner_width(0) - S(5) and
                all(RED in colours(i) and BLACK not in colours(i) for i in rows) and
                all(BLACK in colours(i) and RED not in colours(i) for i in others))
    check("a click on an Original note marks its row in pure red", until(marked))

    # The help window.
    left, top, width, height = BUTTONS["help_pb"]
    main.click(left + width // 2, top + height // 2)
    help_info = until(lambda: probe("info", "HELP"))
    if check("the help window opens", help_info):
        style, exstyle = int(help_info["style"], 16), int(help_info["exstyle"], 16)
        check("help: client area 526 x 146 at 96 dpi", help_info["client"] == f"{S(526)} {S(146)}",
              help_info["client"])
        check("help: a top-level window of its own with a task-bar entry",
              help_info["owner"] == "0" and help_info["parent"] == "0" and
              exstyle & WS_EX_APPWINDOW and not exstyle & (WS_EX_TOPMOST | WS_EX_TOOLWINDOW),
              help_info)
        check("help: frame like main's", style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX) == 0 and
              style & WS_THICKFRAME, hex(style))
        check("help: same program", help_info["pid"] == info["pid"])
        help_window = Window("HELP")
        image = screen()
        x0, y0, x1, y1 = S(0), S(8), S(521), S(129)
        text = help_window.shot(image).crop((x0, y0, x1, y1))
        ground = text.getpixel((x1 - x0 - 1, y1 - y0 - 1))
        rows = [any(p != ground for p in text.crop((0, y, x1 - x0, y + 1)).getdata())
                for y in range(y1 - y0)]
        pitch, margin = S(12), S(3)  # lines of 9 pt, of which the first rows may hold the line above's
        slot = lambda i: rows[pitch * i + margin:pitch * (i + 1)]
        check("help: nine lines of text, the eighth empty",
              all(any(slot(i)) == (i != 7) for i in range(9)) and not any(rows[pitch * 9 + margin:]),
              [i for i in range(10) if any(slot(i))])
        hf = numbers(help_info["window"])
        check("help: the program's icon", list(image.crop((hf[0], hf[1], hf[0] + 40, help_window.y))
                                               .getdata()).count(CYAN) >= 20)
        main = Window("Marelo")
        left, top, width, height = BUTTONS["up_1"]
        main.click(left + width // 2, top + height // 2)
        check("main stays usable beside help", until(lambda: column_shows(main, [2, 2, 2])))
        run(WINE_ENV, STATE, "run", PROBE, "close", "HELP")
        check("help closes", until(lambda: probe("info", "HELP") is None))
        check("main stays open", probe("info", "Marelo") is not None)
        left, top, width, height = BUTTONS["help_pb"]
        main.click(left + width // 2, top + height // 2)
        again = until(lambda: probe("info", "HELP"))
        check("help opens again, its layout size",
              again and again["client"] == f"{S(526)} {S(146)}", again)

    # Closing main ends the program, help and all.
    run(WINE_ENV, STATE, "run", PROBE, "close", "Marelo")
    try:
        status = program.wait(timeout=30)
    except subprocess.TimeoutExpired:
        status = None
    check("closing main ends the program with status 0", status == 0, status)
    check("no window is left", probe("info", "HELP") is None and probe("info", "Marelo") is None)


if __name__ == "__main__":
    main()
    print(f"{results['passed']} passed, {results['failed']} failed")
    sys.exit(1 if results["failed"] or not results["passed"] else 0)
