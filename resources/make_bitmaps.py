#!/usr/bin/env python3
"""Turns the text pictures in resources/pictures into 16 x 16, 4-bit .bmp files.

A picture file is named <resource id>_<name>.txt and holds, after optional '#'
comment lines, one line "transparent: <colour name>" and 16 rows of 16 palette
characters. '.' stands for the transparent colour; no other character may have
that colour, so that a picture gets no holes by accident. palette.txt gives the
16 colours in bitmap index order, one "<char> <RRGGBB> <name>" per line.

  make_bitmaps.py --palette palette.txt --out DIR --ids 101,202-256,301-308 FILE...
  make_bitmaps.py --palette palette.txt --preview sheet.png FILE...

Writes DIR/picture_<id>.bmp for every id; fails unless the files give exactly the
ids asked for. --preview draws all pictures, enlarged, into one PNG for review.
"""

import argparse
import os
import re
import struct
import sys
import zlib

SIZE = 16


class PictureError(Exception):
    pass


def read_palette(path):
    palette = []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            parts = line.split()
            if len(parts) < 3 or len(parts[0]) != 1 or not re.fullmatch(r"[0-9A-Fa-f]{6}", parts[1]):
                raise PictureError(f"{path}:{number}: expected '<char> <RRGGBB> <name>'")
            palette.append((parts[0], int(parts[1], 16), parts[2]))
    if len(palette) != 16:
        raise PictureError(f"{path}: {len(palette)} colours, a 4-bit bitmap needs 16")
    chars = [c for c, _, _ in palette]
    if len(set(chars)) != 16 or "." in chars:
        raise PictureError(f"{path}: characters must be distinct and '.' is reserved")
    return palette


def read_picture(path, palette):
    name = os.path.basename(path)
    match = re.match(r"(\d+)_[A-Za-z0-9_]+\.txt$", name)
    if not match:
        raise PictureError(f"{path}: name must be <id>_<name>.txt")
    transparent = None
    rows = []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if line.startswith("#") or not line.strip():
                continue
            if line.startswith("transparent:"):
                transparent = line.split(":", 1)[1].strip()
                continue
            if len(line) != SIZE:
                raise PictureError(f"{path}:{number}: row of {len(line)} characters, expected {SIZE}")
            rows.append((number, line))
    if len(rows) != SIZE:
        raise PictureError(f"{path}: {len(rows)} rows, expected {SIZE}")
    names = {colour_name: index for index, (_, _, colour_name) in enumerate(palette)}
    if transparent not in names:
        raise PictureError(f"{path}: 'transparent:' must name a palette colour")
    clear = names[transparent]
    lookup = {c: index for index, (c, _, _) in enumerate(palette)}
    lookup["."] = clear
    pixels = []
    for number, row in rows:
        for ch in row:
            if ch not in lookup:
                raise PictureError(f"{path}:{number}: '{ch}' is not in the palette")
            if ch != "." and palette[lookup[ch]][1] == palette[clear][1]:
                raise PictureError(f"{path}:{number}: '{ch}' has the transparent colour; use '.'")
            pixels.append(lookup[ch])
    return int(match.group(1)), pixels, clear


def bmp_bytes(pixels, palette):
    row_bytes = SIZE // 2  # two pixels per byte; 8 bytes is already a multiple of 4
    image = bytearray()
    for y in reversed(range(SIZE)):  # bitmaps are stored bottom-up
        row = pixels[y * SIZE:(y + 1) * SIZE]
        for x in range(0, SIZE, 2):
            image.append((row[x] << 4) | row[x + 1])
    colours = b"".join(struct.pack("<BBBB", rgb & 0xFF, (rgb >> 8) & 0xFF, rgb >> 16, 0)
                       for _, rgb, _ in palette)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 4, 0, row_bytes * SIZE, 2835, 2835,
                       16, 0)
    offset = 14 + len(info) + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    return header + info + colours + bytes(image)


def parse_ids(text):
    ids = []
    for part in text.split(","):
        if "-" in part:
            first, last = part.split("-")
            ids.extend(range(int(first), int(last) + 1))
        else:
            ids.append(int(part))
    return ids


def png_bytes(width, height, rgb_rows):
    raw = b"".join(b"\0" + bytes(row) for row in rgb_rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_preview(path, pictures, palette, scale=6, columns=8):
    # Transparent pixels are drawn as a grey checkerboard so holes are visible.
    cell = SIZE * scale + 4
    ids = sorted(pictures)
    rows_of_cells = (len(ids) + columns - 1) // columns
    width, height = columns * cell, rows_of_cells * cell
    canvas = [[0x60] * (width * 3) for _ in range(height)]
    for n, pid in enumerate(ids):
        pixels, clear = pictures[pid]
        ox, oy = (n % columns) * cell + 2, (n // columns) * cell + 2
        for y in range(SIZE * scale):
            for x in range(SIZE * scale):
                index = pixels[(y // scale) * SIZE + x // scale]
                if index == clear:
                    shade = 0xDD if ((x // 3) + (y // 3)) % 2 else 0xAA
                    rgb = (shade, shade, shade)
                else:
                    v = palette[index][1]
                    rgb = (v >> 16, (v >> 8) & 0xFF, v & 0xFF)
                canvas[oy + y][(ox + x) * 3:(ox + x) * 3 + 3] = rgb
    with open(path, "wb") as f:
        f.write(png_bytes(width, height, canvas))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--palette", required=True)
    parser.add_argument("--out")
    parser.add_argument("--ids")
    parser.add_argument("--preview")
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    try:
        palette = read_palette(args.palette)
        pictures = {}
        for path in args.files:
            pid, pixels, clear = read_picture(path, palette)
            if pid in pictures:
                raise PictureError(f"{path}: a second picture for id {pid}")
            pictures[pid] = (pixels, clear)
        if args.ids:
            wanted = set(parse_ids(args.ids))
            missing = sorted(wanted - set(pictures))
            extra = sorted(set(pictures) - wanted)
            if missing or extra:
                raise PictureError(f"pictures missing: {missing}, unexpected: {extra}")
        if args.out:
            os.makedirs(args.out, exist_ok=True)
            for pid, (pixels, _) in pictures.items():
                with open(os.path.join(args.out, f"picture_{pid}.bmp"), "wb") as f:
                    f.write(bmp_bytes(pixels, palette))
        if args.preview:
            write_preview(args.preview, pictures, palette)
    except (PictureError, OSError) as e:
        print(f"make_bitmaps: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
