"""Reads our XPM pictures and writes them as PNG, for the icon builders (xpm2ico.py, xpm2png.py).

Only the XPM subset our pictures use is read: "c" colours as #RRGGBB or None; "None" pixels
become transparent.
"""
import re
import struct
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
