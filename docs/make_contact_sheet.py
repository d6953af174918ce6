#!/usr/bin/env python3
"""Draws the contact sheet of the control's pictures, docs/pictures.png.

  make_contact_sheet.py --pictures resources/pictures --out docs/pictures.png

Reads the same picture sources as the DLL's bitmaps (resources/make_bitmaps.py) and shows
each picture four times enlarged under the number a page uses for it: pictures 0 to 54
(bitmaps 202 to 256, for CPIC, OPIC, PIC and TABPIC) and overlays 1 to 8 (bitmaps 301 to
308, for OVERLAY), the overlays once alone and once over picture 2, as the tree draws
them. Transparent pixels are drawn white, the tree's background. The output depends only
on the sources (no fonts, no time stamps), so the checked-in sheet can be compared with a
fresh one byte for byte.
"""

import argparse
import glob
import os
import sys

sys.dont_write_bytecode = True  # nothing left behind in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources"))
import make_bitmaps  # noqa: E402  (the picture reader and PNG writer of the DLL's build)

FIRST_PICTURE, LAST_PICTURE = 202, 256  # picture n is bitmap 202 + n
FIRST_OVERLAY, LAST_OVERLAY = 301, 308  # overlay n is bitmap 300 + n
BACKDROP_PICTURE = 2  # the plain document, under the overlays of the last row

SCALE = 4
PICTURE = make_bitmaps.SIZE * SCALE
TEXT_SCALE = 2
GLYPH_W, GLYPH_H = 5, 7
CELL_W, CELL_H = PICTURE + 16, PICTURE + GLYPH_H * TEXT_SCALE + 14
COLUMNS = 11
MARGIN = 16
HEADING_H = GLYPH_H * TEXT_SCALE + 16
GAP = 10  # above the headings of the overlay rows

WHITE, FRAME, INK = (255, 255, 255), (192, 192, 192), (0, 0, 0)

# A 5 x 7 pixel font for the labels: only the characters the sheet writes.
FONT = {
    " ": ["     "] * 7,
    "0": [" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "],
    "1": ["  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "2": [" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"],
    "3": ["#####", "   # ", "  #  ", "   # ", "    #", "#   #", " ### "],
    "4": ["   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "],
    "5": ["#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "],
    "6": ["  ## ", " #   ", "#    ", "#### ", "#   #", "#   #", " ### "],
    "7": ["#####", "    #", "   # ", "  #  ", " #   ", " #   ", " #   "],
    "8": [" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "],
    "9": [" ### ", "#   #", "#   #", " ####", "    #", "   # ", " ##  "],
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "B": ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    "C": [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "I": [" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "P": ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "U": ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "Y": ["#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "],
    "-": ["     ", "     ", "     ", "#####", "     ", "     ", "     "],
    ":": ["     ", " ##  ", " ##  ", "     ", " ##  ", " ##  ", "     "],
    ",": ["     ", "     ", "     ", "     ", " ##  ", "  #  ", " #   "],
}


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.rows = [bytearray(WHITE * width) for _ in range(height)]

    def dot(self, x, y, rgb):
        self.rows[y][x * 3:x * 3 + 3] = bytes(rgb)

    def box(self, x, y, w, h, rgb):
        for yy in range(y, y + h):
            self.rows[yy][x * 3:(x + w) * 3] = bytes(rgb) * w

    def frame(self, x, y, w, h, rgb):
        self.box(x, y, w, 1, rgb)
        self.box(x, y + h - 1, w, 1, rgb)
        self.box(x, y, 1, h, rgb)
        self.box(x + w - 1, y, 1, h, rgb)

    def text(self, x, y, words):
        for ch in words:
            for gy, line in enumerate(FONT[ch]):
                for gx, bit in enumerate(line):
                    if bit == "#":
                        self.box(x + gx * TEXT_SCALE, y + gy * TEXT_SCALE, TEXT_SCALE, TEXT_SCALE,
                                 INK)
            x += (GLYPH_W + 1) * TEXT_SCALE

    def picture(self, x, y, layers, palette):
        """Draws pictures (pixels, clear index) over each other, enlarged."""
        for py in range(make_bitmaps.SIZE):
            for px in range(make_bitmaps.SIZE):
                rgb = WHITE
                for pixels, clear in layers:
                    index = pixels[py * make_bitmaps.SIZE + px]
                    if index != clear:
                        v = palette[index][1]
                        rgb = (v >> 16, (v >> 8) & 0xFF, v & 0xFF)
                self.box(x + px * SCALE, y + py * SCALE, SCALE, SCALE, rgb)

    def png(self):
        return make_bitmaps.png_bytes(self.width, self.height, self.rows)


def text_width(words):
    return len(words) * (GLYPH_W + 1) * TEXT_SCALE


def cell(canvas, x, y, number, layers, palette):
    canvas.frame(x + 7, y + 3, PICTURE + 2, PICTURE + 2, FRAME)
    canvas.picture(x + 8, y + 4, layers, palette)
    label = str(number)
    canvas.text(x + (CELL_W - text_width(label)) // 2, y + PICTURE + 10, label)


def draw(pictures, palette):
    picture_count = LAST_PICTURE - FIRST_PICTURE + 1
    overlay_count = LAST_OVERLAY - FIRST_OVERLAY + 1
    picture_rows = (picture_count + COLUMNS - 1) // COLUMNS
    width = MARGIN * 2 + COLUMNS * CELL_W
    height = MARGIN * 2 + 3 * HEADING_H + 2 * GAP + (picture_rows + 2) * CELL_H
    canvas = Canvas(width, height)
    y = MARGIN
    canvas.text(MARGIN, y + 4, f"PICTURES 0-{picture_count - 1}: CPIC, OPIC, PIC, TABPIC")
    y += HEADING_H
    for n in range(picture_count):
        cell(canvas, MARGIN + (n % COLUMNS) * CELL_W, y + (n // COLUMNS) * CELL_H, n,
             [pictures[FIRST_PICTURE + n]], palette)
    y += picture_rows * CELL_H
    backdrop = pictures[FIRST_PICTURE + BACKDROP_PICTURE]
    for heading, under in ((f"OVERLAYS 1-{overlay_count}: OVERLAY", []),
                           (f"OVERLAYS 1-{overlay_count} OVER PICTURE {BACKDROP_PICTURE}",
                            [backdrop])):
        y += GAP
        canvas.text(MARGIN, y + 4, heading)
        y += HEADING_H
        for n in range(overlay_count):
            cell(canvas, MARGIN + n * CELL_W, y, n + 1, under + [pictures[FIRST_OVERLAY + n]],
                 palette)
        y += CELL_H
    return canvas


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pictures", required=True, help="folder of the picture sources")
    parser.add_argument("--out", required=True, help="the PNG to write")
    args = parser.parse_args()
    try:
        palette = make_bitmaps.read_palette(os.path.join(args.pictures, "palette.txt"))
        pictures = {}
        for path in sorted(glob.glob(os.path.join(args.pictures, "[0-9]*_*.txt"))):
            pid, pixels, clear = make_bitmaps.read_picture(path, palette)
            pictures[pid] = (pixels, clear)
        wanted = set(range(FIRST_PICTURE, LAST_PICTURE + 1)) | set(
            range(FIRST_OVERLAY, LAST_OVERLAY + 1))
        missing = sorted(wanted - set(pictures))
        if missing:
            raise make_bitmaps.PictureError(f"pictures missing: {missing}")
        data = draw(pictures, palette).png()
        with open(args.out, "wb") as f:
            f.write(data)
    except (make_bitmaps.PictureError, OSError) as e:
        print(f"make_contact_sheet: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
