#!/usr/bin/env python3
"""Builds a Windows .ico from XPM pictures: xpm2ico.py OUT.ico PICTURE.xpm[@FACTOR]...

Each picture becomes one 32-bit image of the icon (square, at most 256 pixels); "None" pixels
become transparent. "@FACTOR" enlarges a picture by a whole factor, each pixel a square of
FACTOR x FACTOR. The 256-pixel image is stored as PNG, as Windows expects of that size.
"""
import struct
import sys

from xpm_picture import enlarged, png_image, read_xpm


def icon_image(width, height, pixels):
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(pixels):
        for rgb in row:
            if rgb is None:
                colour += b"\0\0\0\0"
            else:
                colour += bytes((rgb & 0xFF, rgb >> 8 & 0xFF, rgb >> 16 & 0xFF, 0xFF))
    mask_stride = (width + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(mask_stride)
        for x, rgb in enumerate(row):
            if rgb is None:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + colour + mask


def main(argv):
    if len(argv) < 3:
        sys.exit("usage: xpm2ico.py OUT.ico PICTURE.xpm[@FACTOR]...")
    images = []
    for argument in argv[2:]:
        path, _, factor = argument.partition("@")
        width, height, pixels = enlarged(*read_xpm(path), int(factor or 1))
        if width != height or width > 256:
            raise ValueError(f"{argument}: an icon image must be square and at most 256 pixels")
        make = png_image if width == 256 else icon_image
        images.append((width, make(width, height, pixels)))
    offset = 6 + 16 * len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    for side, data in images:
        out += struct.pack("<BBBBHHII", side % 256, side % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv)
