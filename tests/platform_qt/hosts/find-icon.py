"""Finds the program's tray icon on an X screen, as a person would by its colours.

  find-icon.py [--ppm FILE] [X Y W H]

Reads the X root window (ImageMagick's `import`), or a screenshot in binary PPM, and prints "X Y W H", the box around the
pixels in the colours the tray pictures are drawn with, within the given rectangle (the whole
screen when none is given). Exits 1 when there are none.
"""
import subprocess
import sys

# The tray pictures' colours apart from black, white and greys, which panels use too.
PALETTE = {(0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0x00, 0x80, 0x00), (0x00, 0x00, 0x80),
           (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0x00), (0x80, 0x80, 0x00)}


def screen(data):
    """The picture in a binary PPM as (width, height, rgb bytes)."""
    fields, position = [], 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        start = position
        while not data[position:position + 1].isspace():
            position += 1
        fields.append(data[start:position])
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[position + 1:position + 1 + width * height * 3]


def main():
    arguments = sys.argv[1:]
    if arguments[:1] == ["--ppm"]:
        with open(arguments[1], "rb") as file:
            data = file.read()
        arguments = arguments[2:]
    else:
        data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], capture_output=True,
                              check=True).stdout
    width, height, pixels = screen(data)
    left, top, w, h = (int(v) for v in arguments[:4]) if len(arguments) >= 4 else (0, 0, width, height)
    found = []
    for y in range(max(top, 0), min(top + h, height)):
        row = pixels[y * width * 3:(y + 1) * width * 3]
        for x in range(max(left, 0), min(left + w, width)):
            if tuple(row[x * 3:x * 3 + 3]) in PALETTE:
                found.append((x, y))
    if not found:
        return 1
    xs, ys = [x for x, _ in found], [y for _, y in found]
    print(min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
