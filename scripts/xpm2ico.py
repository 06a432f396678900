#!/usr/bin/env python3
"""Builds a Windows .ico from XPM pictures: xpm2ico.py OUT.ico PICTURE.xpm[@FACTOR]...

Each picture becomes one 32-bit image of the icon (square, at most 256 pixels); "None" pixels
become transparent. "@FACTOR" enlarges a picture by a whole factor, each pixel a square of
FACTOR x FACTOR. The 256-pixel image is stored as PNG, as Windows expects of that size. Only
the XPM subset our pictures use is read: "c" colours as #RRGGBB or None.
"""
import re
import struct
import sys
import zlib


def read_xpm(path):
    with open(path, encoding="ascii") as f:
        text = f.read()
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    lines = re.findall(r'"([^"\\]*)"', text)
    if not lines:
        raise ValueError(f"{path}: no XPM strings")
    values = lines[0].split()
    width, height, ncolors, cpp = (int(v) for v in values[:4])
    if len(lines) != 1 + ncolors + height:
        raise ValueError(f"{path}: expected {1 + ncolors + height} strings, got {len(lines)}")
    table = {}
    for line in lines[1:1 + ncolors]:
        key, words = line[:cpp], line[cpp:].split()
        pairs = dict(zip(words[0::2], words[1::2]))
        colour = pairs.get("c")
        if colour is None:
            raise ValueError(f"{path}: colour '{key}' has no 'c' value")
        if colour.lower() == "none":
            table[key] = None
        elif re.fullmatch(r"#[0-9A-Fa-f]{6}", colour):
            table[key] = int(colour[1:], 16)
        else:
            raise ValueError(f"{path}: colour '{colour}' is not #RRGGBB or None")
    pixels = []
    for row in lines[1 + ncolors:]:
        if len(row) != width * cpp:
            raise ValueError(f"{path}: row of {len(row)} characters, expected {width * cpp}")
        pixels.append([table[row[i:i + cpp]] for i in range(0, len(row), cpp)])
    return width, height, pixels


def enlarged(width, height, pixels, factor):
    rows = [[rgb for rgb in row for _ in range(factor)] for row in pixels]
    return width * factor, height * factor, [row for row in rows for _ in range(factor)]


def png_image(width, height, pixels):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for rgb in row:
            raw += b"\0\0\0\0" if rgb is None else bytes((rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF, 0xFF))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


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
