"""Whether a person can read Marelo's two windows, judged from their pixels
alone: the contrast of every text against its own background, the room a
button leaves around its caption, note names whole, the help text whole, and
the main window's colours those of a white sheet. Toolkit-free: the Linux and
the Windows set-ups both hand their grabbed pictures to Judge."""

from collections import Counter

from .picture import BOX_LEFT, BUTTONS, COLUMN_LEFT, COLUMN_WIDTH, FIRST_ROW_TOP, ROWS
from .picture import cell_rect

# What must be read, as WCAG has it.
TEXT_CONTRAST = 4.5
RED_ON_WHITE_CONTRAST = 4.0  # pure red on white: what the layout gives a marked note
LINE_CONTRAST = 3.0
CAPTION_MARGIN = 2  # clear pixels between a button's frame and its caption's ink

BLACK, WHITE, RED = (0, 0, 0), (255, 255, 255), (255, 0, 0)
HEADINGS = ("Original", "Converted_1", "Converted_2", "Converted_3")
# The help window: its label's place in the client area, and the line that is empty.
HELP_LABEL = (0, 8, 521, 121)
HELP_LINES = 9
HELP_EMPTY_LINE = 7  # counted from 0
HELP_FONT_PIXELS = 12
# Buttons whose caption is the platform's default font.
DEFAULT_FONT_BUTTONS = ("reset", "dn_1", "up_1", "dn_2", "up_2", "dn_3", "up_3")
# The button that has the focus at the start draws a focus ring inside itself;
# dn_2 and dn_3 are the same button with the same caption and show it bare.
FOCUSED_AT_START = "dn_1"


def luminance(rgb):
    """WCAG relative luminance of an sRGB colour."""
    def channel(value):
        c = value / 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(v) for v in rgb[:3])
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def heading_area(column):
    """Where a heading stands: from its column's left edge, above the first row."""
    return COLUMN_LEFT[column], 8, COLUMN_WIDTH[column], FIRST_ROW_TOP - 1 - 8


def count_area(scale, column):
    """Inside the box of lines under a converted column, above its buttons."""
    left = BOX_LEFT[column - 1]
    t = scale.thickness
    return scale.px(left) + t, scale.px(224) + t, scale.px(left + 96), scale.px(BUTTONS["dn_1"][1])


class Ink:
    """The text in an area of one background colour: the background is the
    area's commonest colour, ink every pixel of another colour. The text's
    colour is the ink pixel that stands out most: anti-aliased edges only
    blend it with the background."""

    def __init__(self, picture, area, background=None):
        """The background may be given, for a slice of a larger area."""
        x0, y0, x1, y1 = area
        px = picture.load()
        pixels = [(x, y, px[x, y][:3]) for y in range(y0, y1) for x in range(x0, x1)]
        self.area = area
        self.background = background or Counter(p for _, _, p in pixels).most_common(1)[0][0]
        ink = [(x, y, p) for x, y, p in pixels if p != self.background]
        self.empty = not ink
        if self.empty:
            self.colour, self.contrast = self.background, 1.0
            self.left = self.right = self.top = self.bottom = 0
            return
        self.colour = max((p for _, _, p in ink), key=lambda p: contrast(p, self.background))
        self.contrast = contrast(self.colour, self.background)
        self.left = min(x for x, _, _ in ink)
        self.right = max(x for x, _, _ in ink) + 1
        self.top = min(y for _, y, _ in ink)
        self.bottom = max(y for _, y, _ in ink) + 1
        self.rows = sorted({y for _, y, _ in ink})

    @property
    def width(self):
        return self.right - self.left


class CaptionInk:
    """A push button's caption. Native buttons shade their face, so each pixel
    row has its own face colour: the commonest at the row's two ends, where
    no caption stands (a large caption may fill most of a row). Columns that differ
    from it over most of the height are the button's bevels and rings; of the
    rest, the caption's ink is what differs at least a third as much as its
    most distinct pixel, which leaves out faint shading."""

    SHADE = 8

    def __init__(self, picture, box, thickness):
        x0, y0, x1, y1 = box
        t = thickness
        px = picture.load()
        xs = range(x0 + t, x1 - t)
        ys = range(y0 + 2 * t, y1 - 2 * t)
        ends = list(xs[:4]) + list(xs[-4:])
        faces = {y: Counter(px[x, y][:3] for x in ends).most_common(1)[0][0] for y in ys}

        def difference(x, y):
            return max(abs(a - b) for a, b in zip(px[x, y][:3], faces[y]))
        bevels = {x for x in xs
                  if sum(difference(x, y) > self.SHADE for y in ys) > 0.75 * len(ys)}
        marks = [(x, y, difference(x, y)) for y in ys for x in xs if x not in bevels]
        marks = [(x, y, d) for x, y, d in marks if d > self.SHADE]
        self.frame_left, self.frame_right = x0 + t, x1 - t
        self.empty = not marks
        if self.empty:
            self.contrast, self.margins = 1.0, (0, 0)
            return
        strongest = max(d for _, _, d in marks)
        ink = [(x, y) for x, y, d in marks if 3 * d >= strongest]
        pairs = [(px[x, y][:3], faces[y]) for x, y in ink]
        self.colour, self.face = max(pairs, key=lambda pair: contrast(*pair))
        self.contrast = contrast(self.colour, self.face)
        left = min(x for x, _ in ink)
        right = max(x for x, _ in ink) + 1
        self.margins = (left - self.frame_left, self.frame_right - right)


class Judge:
    """Checks for a test case (checks.Checks); keeps the lowest contrast and
    narrowest margin seen."""

    KINDS = {TEXT_CONTRAST: "text", RED_ON_WHITE_CONTRAST: "red marks", LINE_CONTRAST: "lines"}

    def __init__(self, test):
        self.test = test
        self.lowest = {}  # needed ratio -> (lowest ratio, where)
        self.narrowest = None  # (pixels, where)

    def check(self, name, condition, detail=""):
        return self.test.check(condition, name, detail)

    def contrast(self, what, value, needed):
        """Ratios count to two places, as they are quoted: pure red on white
        is 4.00:1."""
        if needed not in self.lowest or value < self.lowest[needed][0]:
            self.lowest[needed] = (value, what)
        return round(value, 2) >= needed

    def margin(self, what, value):
        if self.narrowest is None or value < self.narrowest[0]:
            self.narrowest = (value, what)
        return value >= CAPTION_MARGIN

    def summary(self):
        """The lowest contrast of each kind and the narrowest caption margin."""
        lowest = [f"{self.KINDS[needed]} {value:.2f}:1 ({where})"
                  for needed, (value, where) in sorted(self.lowest.items(), reverse=True)]
        margin = (f"{self.narrowest[0]} px ({self.narrowest[1]})" if self.narrowest
                  else "not measured")
        return (f"lowest contrast: {'; '.join(lowest) if lowest else 'not measured'}; "
                f"narrowest caption margin {margin}")

    # The main window ------------------------------------------------------

    def main_window(self, picture, scale):
        """Everything the start picture shows but the buttons."""
        self.names(picture, scale, ())
        self.labels(picture, scale)
        self.frames_and_lines(picture, scale)
        self.sheet(picture, scale, ())

    def names(self, picture, scale, marked):
        failures, cut = [], []
        for row in range(ROWS):
            inks = [Ink(picture, scale.inside(*cell_rect(column, row))) for column in range(4)]
            needed = RED_ON_WHITE_CONTRAST if row in marked else TEXT_CONTRAST
            for column, ink in enumerate(inks):
                where = f"{'marked ' if row in marked else ''}note in column {column} row {row}"
                if not self.contrast(where, ink.contrast, needed):
                    failures.append(f"{where} {ink.contrast:.2f}:1 ({ink.colour} on "
                                    f"{ink.background})")
            # The same name in the narrow Original cell and in a converted
            # one, which has room to spare: a cut or wrapped name differs.
            org, wide = inks[0], inks[1]
            if org.empty or wide.empty or abs(org.width - wide.width) > 1:
                cut.append(f"row {row}: ink {org.width} px wide in Original, {wide.width} px "
                           "in Converted_1")
        kind = "marked notes" if marked else "every note"
        self.check(f"{kind}: contrast of each name with its cell", not failures,
                          "; ".join(failures[:6]))
        self.check(f"{kind}: each Original name as wide as where it has room", not cut,
                          "; ".join(cut[:6]))

    def labels(self, picture, scale):
        failures = []
        items = [(f"heading {HEADINGS[c]!r}", scale.box(*heading_area(c))) for c in range(4)]
        items += [(f"shift count {k}", count_area(scale, k)) for k in (1, 2, 3)]
        for what, area in items:
            ink = Ink(picture, area)
            if ink.empty or not self.contrast(what, ink.contrast, TEXT_CONTRAST):
                failures.append(f"{what} {ink.contrast:.2f}:1 ({ink.colour} on "
                                f"{ink.background})")
        self.check("headings and shift counts: contrast", not failures,
                          "; ".join(failures))

    def frames_and_lines(self, picture, scale):
        px = picture.load()
        t = scale.thickness
        failures = []
        ground = px[scale.px(85), scale.px(150)][:3]  # between Original and Converted_1
        for column in range(4):
            for row in (0, ROWS - 1):
                x0, y0, x1, y1 = scale.box(*cell_rect(column, row))
                frame = px[x0, (y0 + y1) // 2][:3]
                inside = Ink(picture, scale.inside(*cell_rect(column, row))).background
                what = f"frame of column {column} row {row}"
                value = min(contrast(frame, ground), contrast(frame, inside))
                if not self.contrast(what, value, LINE_CONTRAST):
                    failures.append(f"{what} {value:.2f}:1 ({frame} between {ground} and "
                                    f"{inside})")
        for box, left in enumerate(BOX_LEFT, 1):
            x0, y0 = scale.px(left), scale.px(224)
            line = px[x0 + scale.px(48), y0][:3]
            outside = px[x0 + scale.px(48), y0 - t - 1][:3]
            what = f"line of box {box}"
            value = contrast(line, outside)
            if not self.contrast(what, value, LINE_CONTRAST):
                failures.append(f"{what} {value:.2f}:1 ({line} on {outside})")
        self.check("cell frames and box lines: contrast", not failures,
                          "; ".join(failures[:6]))

    def sheet(self, picture, scale, marked):
        """The main window keeps the layout's colours whatever the desktop's
        scheme: black names, frames, lines, headings and counts on white,
        marked notes in pure red."""
        px = picture.load()
        wrong = []
        for x, y in ((2, 2), (398, 20), (85, 150), (398, 284), (190, 230)):
            colour = px[scale.px(x), scale.px(y)][:3]
            if colour != WHITE:
                wrong.append(f"ground at ({x}, {y}) is {colour}")

        def near(colour, wanted):
            return max(abs(a - b) for a, b in zip(colour, wanted)) <= 40
        for row in range(ROWS):
            for column in range(4):
                ink = Ink(picture, scale.inside(*cell_rect(column, row)))
                wanted = RED if row in marked else BLACK
                if ink.background != WHITE or not near(ink.colour, wanted):
                    wrong.append(f"column {column} row {row}: {ink.colour} on {ink.background}")
        for column in range(4):
            ink = Ink(picture, scale.box(*heading_area(column)))
            if ink.background != WHITE or not near(ink.colour, BLACK):
                wrong.append(f"heading {HEADINGS[column]!r}: {ink.colour} on {ink.background}")
        for k in (1, 2, 3):
            ink = Ink(picture, count_area(scale, k))
            if ink.background != WHITE or not near(ink.colour, BLACK):
                wrong.append(f"shift count {k}: {ink.colour} on {ink.background}")
        x0, y0, _, _ = scale.box(*cell_rect(0, 0))
        frame = px[x0, y0 + scale.px(8)][:3]
        if frame != BLACK and 0 not in marked:
            wrong.append(f"cell frame is {frame}")
        line = px[scale.px(BOX_LEFT[0] + 48), scale.px(224)][:3]
        if line != BLACK:
            wrong.append(f"box line is {line}")
        self.check("the window is a white sheet with black text and lines"
                          + (" and red marks" if marked else ""), not wrong,
                          "; ".join(wrong[:6]))

    def buttons(self, picture, scale):
        """Each caption readable on its button's face, with room on both sides."""
        failures, narrow = [], []
        for name, rect in BUTTONS.items():
            if name == FOCUSED_AT_START:
                continue
            caption = CaptionInk(picture, scale.box(*rect), scale.thickness)
            if caption.empty:
                failures.append(f"{name}: no caption")
                self.contrast(f"{name} caption", 1.0, TEXT_CONTRAST)
                continue
            if not self.contrast(f"{name} caption", caption.contrast, TEXT_CONTRAST):
                failures.append(f"{name} {caption.contrast:.2f}:1 ({caption.colour} on "
                                f"{caption.face})")
            for side, value in zip(("left", "right"), caption.margins):
                if not self.margin(f"{name} {side}", value):
                    narrow.append(f"{name} {side} {value} px")
        self.check("button captions: contrast with the face", not failures,
                          "; ".join(failures))
        self.check(f"button captions: at least {CAPTION_MARGIN} px clear of the frame "
                          "on each side", not narrow, "; ".join(narrow))

    # The help window ------------------------------------------------------

    def help_window(self, picture, scale):
        """Nine lines, the eighth empty, each legible and the last one whole."""
        x0, y0, x1, y1 = scale.box(*HELP_LABEL)
        label = Ink(picture, (x0, y0, x1, y1))
        if label.empty:
            self.contrast("help text", 1.0, TEXT_CONTRAST)
            self.check("help: nine lines", False, "no text")
            return
        ground = label.background
        # The lines stand one em apart from the first one's top. The edges of
        # a line's glyphs may reach a pixel into its neighbours' rows, so a
        # line is looked for in the middle half of its own rows.
        pitch = scale.px(HELP_FONT_PIXELS)
        starts = [label.top + k * pitch for k in range(HELP_LINES)]
        lines = [Ink(picture, (x0, s, x1, min(s + pitch, y1)), ground) if s < y1 else None
                 for s in starts]
        shown = [s + pitch // 4 < y1 and
                 not Ink(picture, (x0, s + pitch // 4, x1, min(s + 3 * pitch // 4, y1)),
                         ground).empty for s in starts]
        wanted = [k != HELP_EMPTY_LINE for k in range(HELP_LINES)]
        self.check("help: nine lines, the eighth empty", shown == wanted,
                          f"lines with ink: {[k + 1 for k, s in enumerate(shown) if s]}")
        failures = []
        for k, ink in enumerate(lines):
            if not shown[k]:
                continue
            if not self.contrast(f"help line {k + 1}", ink.contrast, TEXT_CONTRAST):
                failures.append(f"line {k + 1} {ink.contrast:.2f}:1 ({ink.colour} on {ground})")
        self.check("help: contrast of each line", not failures, "; ".join(failures))
        # Whole: the last line's ink stops short of the label's bottom edge,
        # where the label would cut it.
        last = Ink(picture, (x0, starts[-1], x1, y1), ground) if starts[-1] < y1 else None
        self.check("help: the last line whole inside the label",
                          last is not None and not last.empty and last.bottom < y1,
                          f"last line's ink rows {last.top}..{last.bottom - 1}, label's last row "
                          f"{y1 - 1}" if last is not None and not last.empty else "no last line")


def tests_for(case, setups, judge):
    """Gives the test case (checks.Checks) a test for each set-up,
    test_NAME: judge(a Judge, the set-up), then the lowest contrast and the
    narrowest margin it measured."""
    def add(chosen):
        def test(self):
            print(f"\n{chosen.name}: {chosen.what}", flush=True)
            judged = Judge(self)
            judge(judged, chosen)
            print(f"{chosen.name}: {judged.summary()}", flush=True)
        setattr(case, f"test_{chosen.name}", test)
    for each in setups:
        add(each)
