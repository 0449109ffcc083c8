#!/usr/bin/env python3
"""Splits a one-image ICO file into the two Windows resources that carry it.

  icon_resources.py ICON.ico IMAGE_ID IMAGE.bin GROUP.bin

IMAGE.bin is the RT_ICON resource (the image exactly as the ICO holds it),
GROUP.bin the RT_GROUP_ICON directory that names it by IMAGE_ID. Only the
standard library is used.
"""
import struct
import sys


def main(argv):
    if len(argv) != 5:
        raise SystemExit(__doc__)
    data = open(argv[1], "rb").read()
    image_id = int(argv[2])
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count != 1:
        raise SystemExit(f"{argv[1]}: not an icon file with exactly one image")
    width, height, colours, zero, planes, bits, size, offset = struct.unpack_from(
        "<BBBBHHII", data, 6)
    image = data[offset:offset + size]
    if len(image) != size:
        raise SystemExit(f"{argv[1]}: the image is cut short")
    group = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHIH", width, height, colours, zero, planes, bits, size, image_id)
    with open(argv[3], "wb") as out:
        out.write(image)
    with open(argv[4], "wb") as out:
        out.write(group)


if __name__ == "__main__":
    main(sys.argv)
