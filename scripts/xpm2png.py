#!/usr/bin/env python3
"""Builds a square PNG icon from an XPM picture: xpm2png.py OUT.png SIDE PICTURE.xpm[@FACTOR]

"@FACTOR" enlarges the picture by a whole factor, each pixel a square of FACTOR x FACTOR; a
picture smaller than SIDE is centred on a transparent square of that side (22 pixels from the
20-pixel drawing), never scaled by a fraction.
"""
import sys

from xpm_picture import enlarged, png_image, read_xpm


def centred(width, height, pixels, side):
    if width > side or height > side:
        raise ValueError(f"a picture of {width}x{height} does not fit into {side}x{side}")
    left, top = (side - width) // 2, (side - height) // 2
    blank = [None] * side
    rows = [list(blank) for _ in range(top)]
    rows += [[None] * left + row + [None] * (side - width - left) for row in pixels]
    rows += [list(blank) for _ in range(side - height - top)]
    return rows


def main(argv):
    if len(argv) != 4:
        sys.exit("usage: xpm2png.py OUT.png SIDE PICTURE.xpm[@FACTOR]")
    side = int(argv[2])
    path, _, factor = argv[3].partition("@")
    pixels = centred(*enlarged(*read_xpm(path), int(factor or 1)), side)
    with open(argv[1], "wb") as f:
        f.write(png_image(side, side, pixels))


if __name__ == "__main__":
    main(sys.argv)
