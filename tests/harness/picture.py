"""What the main window should look like, in pixels at 96 dpi and scaled to
any density, and the means to read a grabbed picture: the ink in a cell,
where it lies, its colour."""

WIDTH, HEIGHT = 401, 287
HELP_WIDTH, HELP_HEIGHT = 526, 146  # the help window's client area

# The key table: four columns of twelve framed cells, each 17 px high, one row
# every 16 px, so neighbouring rows share a frame line.
COLUMN_LEFT = (8, 88, 192, 296)
COLUMN_WIDTH = (73, 97, 97, 97)
ROWS = 12
ROW_PITCH = 16
FIRST_ROW_TOP = 24
CELL_HEIGHT = 17
TABLE_BOTTOM = FIRST_ROW_TOP + ROW_PITCH * (ROWS - 1) + CELL_HEIGHT  # 217, exclusive

# Under each converted column a box of four lines, corners inclusive.
BOX_TOP, BOX_BOTTOM = 224, 280
BOX_LEFT = (88, 192, 296)
BOX_SIZE = 96

# Buttons: left, top, width, height.
BUTTONS = {
    "reset": (8, 224, 73, 25),
    "help_pb": (8, 256, 25, 25),
    "dn_1": (96, 248, 41, 25),
    "up_1": (136, 248, 41, 25),
    "dn_2": (200, 248, 41, 25),
    "up_2": (240, 248, 41, 25),
    "dn_3": (304, 248, 41, 25),
    "up_3": (344, 248, 41, 25),
}

# The window's controls by their layout names, in the order a screen reader
# finds them: the layout's declaration order, lines left out.
# What a reader finds in the main window, by layout name: the window's
# children, the chart standing where its first control is declared; the
# chart's children, its headings first, then row by row.
CHART = (("Label100",) + tuple(f"Label101({k})" for k in range(3)) +
         tuple(f"{name}" for r in range(ROWS)
               for name in (f"org({r})", f"conv({r})", f"conv({20 + r})", f"conv({40 + r})")))
CHILDREN = ("help_pb", "up_1", "dn_1", "chart", "ud_1", "up_2", "dn_2", "dn_3", "up_3", "ud_2",
            "ud_3", "reset")


WHITE = (255, 255, 255)
RED = (255, 0, 0)


class Scale:
    """The layout's 96-dpi pixels on a screen of another density, placed as the
    program places them: each box keeps its last pixel on the scaled place of
    the 96-dpi one, and frames and lines are whole device pixels wide."""

    def __init__(self, dpi=96):
        self.dpi = dpi
        self.thickness = max(1, dpi // 96)

    def px(self, pixels96):
        return (pixels96 * self.dpi + 48) // 96

    def box(self, left, top, width, height):
        """Left, top, right and bottom (the last two just outside)."""
        t = self.thickness
        return (self.px(left), self.px(top), self.px(left + width - 1) + t,
                self.px(top + height - 1) + t)

    def inside(self, left, top, width, height):
        x0, y0, x1, y1 = self.box(left, top, width, height)
        t = self.thickness
        return x0 + t, y0 + t, x1 - t, y1 - t


def cell_rect(column, row):
    """Column 0 is Original, 1 to 3 the converted ones."""
    return (COLUMN_LEFT[column], FIRST_ROW_TOP + ROW_PITCH * row, COLUMN_WIDTH[column],
            CELL_HEIGHT)


def cell_inside(column, row):
    left, top, width, height = cell_rect(column, row)
    return left + 1, top + 1, width - 2, height - 2


def shift_label_area(column):
    """Inside the column's box, above its buttons (column 1 to 3)."""
    left = BOX_LEFT[column - 1]
    return left + 1, BOX_TOP + 1, BOX_SIZE - 1, BUTTONS["dn_1"][1] - BOX_TOP - 1


def center(rect):
    left, top, width, height = rect
    return left + width // 2, top + height // 2


def coverage(pixel):
    """How much ink covers a pixel on white, whatever the ink's colour."""
    return 255 - min(pixel)


def is_dark(pixel):
    return max(pixel) < 96


def is_reddish(pixel):
    r, g, b = pixel
    return r - max(g, b) > 24


class Ink:
    """The ink inside a rectangle: its bounding box, relative to the rectangle,
    and the coverage of every pixel in that box."""

    def __init__(self, picture, rect, floor=0):
        """Coverage of floor or less counts as no ink (for text on a grey face)."""
        left, top, width, height = rect
        px = picture.load()
        rows = [[c if c > floor else 0 for c in (coverage(px[left + x, top + y])
                                                 for x in range(width))]
                for y in range(height)]
        ys = [y for y in range(height) if any(rows[y])]
        xs = [x for x in range(width) if any(rows[y][x] for y in range(height))]
        self.rect = rect
        self.empty = not ys
        if self.empty:
            self.left = self.top = self.right = self.bottom = 0
            self.data = ()
            return
        self.left, self.right = xs[0], xs[-1] + 1
        self.top, self.bottom = ys[0], ys[-1] + 1
        self.data = tuple(tuple(rows[y][self.left:self.right])
                          for y in range(self.top, self.bottom))

    @property
    def width(self):
        return self.right - self.left

    @property
    def gap_left(self):
        return self.left

    @property
    def gap_right(self):
        return self.rect[2] - self.right

    def part(self, width, height):
        """The top left part of the ink, of this size."""
        return tuple(row[:width] for row in self.data[:height])

    def __eq__(self, other):
        return isinstance(other, Ink) and self.data == other.data

    def __hash__(self):
        return hash(self.data)

    def __repr__(self):
        return f"<ink {self.width}x{self.bottom - self.top} at +{self.left}+{self.top}>"


def alignment(ink):
    """'left' or 'right' from where the ink lies in its box, None if unclear."""
    if ink.empty:
        return None
    if ink.gap_left <= 2 and ink.gap_right > ink.gap_left + 2:
        return "left"
    if ink.gap_right <= 2 and ink.gap_left > ink.gap_right + 2:
        return "right"
    return None


def pixels_in(picture, rect):
    left, top, width, height = rect
    px = picture.load()
    for y in range(top, top + height):
        for x in range(left, left + width):
            yield x, y, px[x, y]


def count_red(picture, rect):
    return sum(1 for _, _, p in pixels_in(picture, rect) if p == RED)


def frame_faults(picture, scale=Scale()):
    """Where the cell frames and the boxes' lines are not as the layout puts
    them at the scale: lines of whole device pixels, dark on white, one
    line between neighbouring rows. A list of texts, empty where all is so."""
    px = picture.load()
    t = scale.thickness
    faults = []

    def area(x0, y0, x1, y1):
        return [(x, y) for x in range(x0, x1) for y in range(y0, y1)]

    def dark(points, what):
        light = [p for p in points if not is_dark(px[p][:3])]
        if light:
            faults.append(f"{what}: not drawn at {light[:3]}")

    def white(points, what):
        marks = [p for p in points if px[p][:3] != WHITE]
        if marks:
            faults.append(f"{what}: not white at {marks[:3]}")

    def lines(x0, y0, x1, y1, what):
        """The four sides of a box (right and bottom just outside)."""
        dark(area(x0, y0, x1, y0 + t), what + " top")
        dark(area(x0, y1 - t, x1, y1), what + " bottom")
        dark(area(x0, y0, x0 + t, y1), what + " left")
        dark(area(x1 - t, y0, x1, y1), what + " right")

    for column in range(4):
        left, top, right, _ = scale.box(*cell_rect(column, 0))
        bottom = scale.box(*cell_rect(column, ROWS - 1))[3]
        white(area(left - 1, top, left, bottom), f"left of column {column}")
        white(area(right, top, right + 1, bottom), f"right of column {column}")
        white(area(left, top - 1, right, top), f"above column {column}")
        white(area(left, bottom, right, bottom + 1), f"below column {column}")
        for row in range(ROWS):
            x0, y0, x1, y1 = scale.box(*cell_rect(column, row))
            where = f"cell {column}/{row}"
            lines(x0, y0, x1, y1, where)
            if row < ROWS - 1 and scale.box(*cell_rect(column, row + 1))[1] != y1 - t:
                faults.append(f"{where}: its bottom line not the next row's top")
            # The rows just inside the frame are not lines of their own.
            for y in (y0 + t, y1 - t - 1):
                if all(is_dark(px[x, y][:3]) for x in range(x0, x1)):
                    faults.append(f"{where}: a second line at y {y}")
            for x in (x0 + t, x1 - t - 1):
                if all(is_dark(px[x, y][:3]) for y in range(y0, y1)):
                    faults.append(f"{where}: a second line at x {x}")
    for box, left in enumerate(BOX_LEFT, 1):
        x0, y0, x1, y1 = scale.box(left, BOX_TOP, BOX_SIZE + 1, BOX_BOTTOM - BOX_TOP + 1)
        what = f"box {box}"
        lines(x0, y0, x1, y1, what)
        white(area(x0, y0 - 1, x1, y0) + area(x0, y1, x1, y1 + 1), f"above and below {what}")
        white(area(x0 - 1, y0, x0, y1) + area(x1, y0, x1 + 1, y1), f"beside {what}")
        white(area(x0 + t, y0 + t, x0 + t + 1, y1 - t) + area(x1 - t - 1, y0 + t, x1 - t, y1 - t),
              f"inside the sides of {what}")
        white(area(x0 + t, y0 + t, x1 - t, y0 + t + 1) + area(x0 + t, y1 - t - 1, x1 - t, y1 - t),
              f"inside the top and bottom of {what}")
    return faults
