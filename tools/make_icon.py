#!/usr/bin/env python3
"""Makes the program's icon files from its one source, src/app/icon/marelo.xpm.

  make_icon.py SOURCE.xpm png OUT.png [SCALE]   RGB PNG, each pixel SCALE x SCALE
  make_icon.py SOURCE.xpm png OUT.png SIZE px   RGB PNG of SIZE x SIZE, nearest pixel
  make_icon.py SOURCE.xpm ico OUT.ico           one 32 x 32, 16-colour image

Only the standard library is used, so any Python 3 will do.
"""
import re
import struct
import sys
import zlib

# The standard 16-colour palette, in the order the ICO format's 4-bit images use.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def read_xpm(path):
    text = re.sub(r"/\*.*?\*/", "", open(path, encoding="ascii").read(), flags=re.S)
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', text)
    width, height, ncolors, cpp = (int(v) for v in strings[0].split()[:4])
    colours = {}
    for line in strings[1:1 + ncolors]:
        key, rest = line[:cpp], line[cpp:].split()
        value = rest[rest.index("c") + 1]
        if not value.startswith("#") or len(value) != 7:
            raise SystemExit(f"{path}: colour {value!r} is not #RRGGBB")
        rgb = tuple(int(value[i:i + 2], 16) for i in (1, 3, 5))
        if rgb not in PALETTE:
            raise SystemExit(f"{path}: colour {value} is not in the 16-colour palette")
        colours[key] = rgb
    rows = strings[1 + ncolors:1 + ncolors + height]
    pixels = [[colours[row[x * cpp:(x + 1) * cpp]] for x in range(width)] for row in rows]
    if len(pixels) != height or any(len(r) != width for r in pixels):
        raise SystemExit(f"{path}: not {width} x {height}")
    return pixels


def scaled(pixels, size):
    h, w = len(pixels), len(pixels[0])
    return [[pixels[y * h // size][x * w // size] for x in range(size)] for y in range(size)]


def png(pixels):
    h, w = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(pixels):
    h, w = len(pixels), len(pixels[0])
    if (w, h) != (32, 32):
        raise SystemExit("the icon must be 32 x 32")
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    xor = b""
    for row in reversed(pixels):  # bottom-up
        indexes = [PALETTE.index(px) for px in row]
        xor += bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, w, 2))
    mask = bytes(4 * h)  # every pixel opaque; rows of 32 bits
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", w, h, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + image


def main(argv):
    if len(argv) < 4 or argv[2] not in ("png", "ico"):
        raise SystemExit(__doc__)
    pixels = read_xpm(argv[1])
    if argv[2] == "ico":
        data = ico(pixels)
    else:
        if len(argv) > 5 and argv[5] == "px":
            pixels = scaled(pixels, int(argv[4]))
        elif len(argv) > 4:
            pixels = scaled(pixels, len(pixels) * int(argv[4]))
        data = png(pixels)
    with open(argv[3], "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main(sys.argv)
