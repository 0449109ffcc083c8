#!/usr/bin/python3
"""Checks the icon files made at build time against their one source.

  check_icons.py SOURCE.xpm MAKE_ICON.py ICON_DIR APP_ID

ICON_DIR holds NxN/APP_ID.png for N = 32, 48, 64 and marelo.ico. The PNGs
must be opaque, in the 16 standard colours only, the 32 x 32 one pixel for
pixel the XPM, the larger ones its nearest-neighbour scalings; the ICO must
hold exactly one 32 x 32 image of 4 bits a pixel with the 16-colour palette and
an all-opaque mask. Every file must also be byte for byte what make_icon.py
makes from the XPM now, so that nothing else can be their source.

Reads the PNGs with PIL and the XPM and ICO by hand, independently of
make_icon.py.
"""
import os
import re
import struct
import subprocess
import sys
import tempfile

from PIL import Image

from harness.checks import Checks, main as run_checks

# The standard 16-colour palette in the order of the 4-bit ICO palette.
STANDARD_COLOURS = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
SIZES = (32, 48, 64)

def read_xpm(path):
    """The XPM's pixels as rows of (r, g, b); only #RRGGBB colours."""
    text = re.sub(r"/\*.*?\*/", "", open(path, encoding="ascii").read(), flags=re.S)
    strings = re.findall(r'"([^"]*)"', text)
    width, height, ncolours, cpp = map(int, strings[0].split()[:4])
    colours = {}
    for line in strings[1:1 + ncolours]:
        fields = line[cpp:].split()
        value = fields[fields.index("c") + 1]
        colours[line[:cpp]] = tuple(int(value[i:i + 2], 16) for i in (1, 3, 5))
    rows = strings[1 + ncolours:1 + ncolours + height]
    return [[colours[row[x * cpp:(x + 1) * cpp]] for x in range(width)] for row in rows]


def check_png(t, path, size):
    """Returns the PNG's pixels as rows of (r, g, b), or None."""
    if not t.check(os.path.isfile(path), f"{path}: missing"):
        return None
    image = Image.open(path)
    image.load()
    name = os.path.basename(os.path.dirname(path)) + "/" + os.path.basename(path)
    t.check(image.format == "PNG", f"{name}: not a PNG but {image.format}")
    if not t.check(image.size == (size, size), f"{name}: {image.size}, not {size} x {size}"):
        return None
    rgba = image.convert("RGBA")
    alphas = set(rgba.getdata(3))
    t.check(alphas == {255}, f"{name}: not fully opaque (alpha values {sorted(alphas)})")
    pixels = [[rgba.getpixel((x, y))[:3] for x in range(size)] for y in range(size)]
    strays = {px for row in pixels for px in row} - set(STANDARD_COLOURS)
    t.check(not strays, f"{name}: colours outside the 16 standard ones: {sorted(strays)[:5]}")
    return pixels


def check_ico(t, path, source):
    if not t.check(os.path.isfile(path), f"{path}: missing"):
        return
    data = open(path, "rb").read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    t.check((reserved, kind) == (0, 1), f"ICO: header {reserved}, {kind} is not an icon's")
    if not t.check(count == 1, f"ICO: {count} images, not exactly one"):
        return
    width, height, ncolours, _, planes, bpp, size, offset = struct.unpack_from(
        "<BBBBHHII", data, 6)
    t.check((width, height) == (32, 32), f"ICO: directory says {width} x {height}")
    t.check(ncolours == 16, f"ICO: directory says {ncolours} colours, not 16")
    t.check((planes, bpp) == (1, 4), f"ICO: directory says {planes} planes, {bpp} bits")
    # Header, 16-entry palette, 4-bit pixels, 1-bit mask: rows padded to 32 bits.
    expected_size = 40 + 16 * 4 + 32 * 16 + 32 * 4
    t.check(size == expected_size, f"ICO: image of {size} bytes, not {expected_size}")
    t.check(offset == 22 and offset + size == len(data),
            f"ICO: image at {offset}+{size} in a file of {len(data)} bytes")
    header = struct.unpack_from("<IiiHHIIiiII", data, offset)
    hsize, bw, bh, bplanes, bbits, compression, _, _, _, used, _ = header
    t.check((hsize, bw, bh) == (40, 32, 64),
            f"ICO: bitmap header {hsize}, {bw} x {bh} (a 32 x 32 icon has height 64)")
    t.check((bplanes, bbits, compression) == (1, 4, 0),
            f"ICO: bitmap {bplanes} planes, {bbits} bits, compression {compression}")
    t.check(used in (0, 16), f"ICO: {used} palette entries used")
    base = offset + hsize
    palette = [tuple(data[base + 4 * i:base + 4 * i + 3][::-1]) for i in range(16)]
    t.check(palette == STANDARD_COLOURS, f"ICO: palette is not the standard 16 colours: {palette}")
    xor_start = base + 16 * 4
    pixels = []
    for row in range(32):  # stored bottom-up
        line = data[xor_start + 16 * row:xor_start + 16 * (row + 1)]
        indexes = [n for byte in line for n in (byte >> 4, byte & 15)]
        pixels.insert(0, [palette[i] for i in indexes])
    t.check(pixels == source, "ICO: the image differs from the XPM")
    mask = data[xor_start + 32 * 16:xor_start + 32 * 16 + 32 * 4]
    t.check(mask == bytes(len(mask)), "ICO: the mask makes some pixels transparent")


def check_made_from(t, source, make_icon, icon_dir, app_id):
    with tempfile.TemporaryDirectory() as scratch:
        jobs = [(f"{n}x{n}/{app_id}.png", ["png", None, str(n), "px"]) for n in SIZES]
        jobs.append(("marelo.ico", ["ico", None]))
        for name, args in jobs:
            fresh = os.path.join(scratch, name.replace("/", "_"))
            args[1] = fresh
            subprocess.run([sys.executable, make_icon, source] + args, check=True)
            built = os.path.join(icon_dir, name)
            same = os.path.isfile(built) and open(built, "rb").read() == open(fresh, "rb").read()
            t.check(same, f"{name}: not what make_icon.py makes from {os.path.basename(source)}")


def main(t, source, make_icon, icon_dir, app_id):
    xpm = read_xpm(source)
    t.check(len(xpm) == 32 and all(len(row) == 32 for row in xpm), "XPM: not 32 x 32")
    pngs = {n: check_png(t, os.path.join(icon_dir, f"{n}x{n}", f"{app_id}.png"), n) for n in SIZES}
    if pngs[32] is not None:
        t.check(pngs[32] == xpm, "32x32 PNG: differs from the XPM")
        for n in SIZES[1:]:
            if pngs[n] is not None:
                nearest = [[pngs[32][y * 32 // n][x * 32 // n] for x in range(n)]
                           for y in range(n)]
                t.check(pngs[n] == nearest,
                        f"{n}x{n} PNG: not the nearest-neighbour scaling of the 32x32 one")
    check_ico(t, os.path.join(icon_dir, "marelo.ico"), xpm)
    check_made_from(t, source, make_icon, icon_dir, app_id)


class Icons(Checks):
    def test_all(self):
        main(self, *self.arguments)


if __name__ == "__main__":
    run_checks(4, __doc__)
