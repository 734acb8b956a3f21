#!/usr/bin/env python3
"""Draws the program icon, res/linkto.ico: a folder with a link arrow, as a
32 x 32 and a 16 x 16 image in 16 colours (4 bits per pixel).

    tools/make_icon.py                 writes res/linkto.ico
    tools/make_icon.py --check FILE    exit 1 unless FILE is what this draws
    tools/make_icon.py --preview PNG   also writes an 8x enlarged preview

The drawing is plain text below, one character per pixel, so the output is
the same byte for byte on every run. Standard library only.
"""
import struct
import sys
import zlib
from pathlib import Path

# The 16 colours of the classic system palette, as (R, G, B).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# Pixel letters: palette index, or None for transparent.
INKS = {
    ".": None, "K": 0, "o": 3, "n": 4, "s": 7, "g": 8, "y": 11, "b": 12, "w": 15,
}

LARGE = """
................................
................................
................................
..KKKKKKKKK.....................
.KyyyyyyyyyK....................
.KywwwwwwwwyKKKKKKKKKKKKKKKKK...
.KywyyyyyyyyyyyyyyyyyyyyyyyyoK..
.KywyyKKKKKKKKKKKKKKKKKKKKyyoK..
.KywyKwwwwwwwwwwwwwwwwwwwwKyoK..
.KywyKwggggggggggggggggwwwKyoK..
.KywyKwwwwwwwwwwwwwwwwwwwwKyoK..
.KywKKKKKKKKKKKKKKKKKKKKKKKKKKK.
.KyKwwwwwwwwwwwwwwwwwwwwwwwwwyoK
.KyKwyyyyyyyyyyyyyyyyyyyyyyyyyoK
.KyKwyyyyyyyyyyyyyyyyyyyyyyyyyoK
.KyKwyyyyyyyyyyyyyyyyyyyyyyyyyoK
.KyKwyyyyyyyyyyyyyyyyyyyyyyyyyoK
KKKKKKKKKKKKKKKyyyyyyyyyyyyyyoK.
KwwwwwwwwwwwwwKyyyyyyyyyyyyyyoK.
KwwwwwwnnnnnnwKyyyyyyyyyyyyyyoK.
KwwwwwwwnbbbnwKyyyyyyyyyyyyyoK..
KwwwwwwnbbbbnwKyyyyyyyyyyyyyoK..
KwwwwwnbbbnbnwKyyyyyyyyyyyyyoK..
KwwwwnbbbnwnnwKyyyyyyyyyyyyyoK..
KwwwnbbbnwwwwwKyyyyyyyyyyyyoK...
KwwnbbbnwwwwwwKyyyyyyyyyyyyoK...
KwwnbbnwwwwwwwKoooooooooooooK...
KwnbbnwwwwwwwwKKKKKKKKKKKKKK....
KwnbbnwwwwwwwwK.................
KwnbbnwwwwwwwwK.................
KwwwwwwwwwwwwwK.................
KKKKKKKKKKKKKKK.................
"""

SMALL = """
................
.KKKKK..........
KyyyyyKKKKKKKK..
KywwwwwwwwwwwoK.
KywKKKKKKKKKKKKK
KyKyyyyyyyyyyyoK
KyKyyyyyyyyyyyoK
KKKKKKKKyyyyyoK.
KwwwwwwKyyyyyoK.
KwwwnnnKyyyyoK..
KwwwwbnKyyyyoK..
KwwnbnnKoooooK..
KwnbnwwKKKKKKK..
KwnbnwwK........
KwwwwwwK........
KKKKKKKK........
"""


def parse(art, size):
    rows = [line for line in art.strip("\n").split("\n")]
    if len(rows) != size or any(len(row) != size for row in rows):
        raise ValueError(f"the {size} x {size} drawing is not {size} rows of {size}")
    return [[INKS[c] for c in row] for row in rows]


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def icon_image(pixels):
    """One icon image: BITMAPINFOHEADER, palette, colour bits, mask bits."""
    size = len(pixels)
    colour = b""
    mask = b""
    for row in reversed(pixels):  # bottom-up, as bitmaps are stored
        nibbles = [0 if p is None else p for p in row]
        colour += padded(bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, size, 2)))
        bits = [1 if p is None else 0 for p in row]
        mask += padded(bytes(
            sum(bits[i + j] << (7 - j) for j in range(8)) for i in range(0, size, 8)))
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + colour + mask


def icon_file():
    images = [(32, icon_image(parse(LARGE, 32))), (16, icon_image(parse(SMALL, 16)))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def preview_png(path, scale=8):
    """Both drawings side by side on a grey ground, enlarged."""
    drawings = [parse(LARGE, 32), parse(SMALL, 16)]
    width = (32 + 16 + 3) * scale
    height = (32 + 2) * scale
    ground = (0xB0, 0xB8, 0xC0)
    canvas = [[ground] * width for _ in range(height)]
    left = scale
    for pixels in drawings:
        for y, row in enumerate(pixels):
            for x, p in enumerate(row):
                if p is None:
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        canvas[scale + y * scale + dy][left + x * scale + dx] = PALETTE[p]
        left += (len(pixels) + 1) * scale
    raw = b"".join(b"\0" + b"".join(bytes(c) for c in row) for row in canvas)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    Path(path).write_bytes(png)


def main(argv):
    data = icon_file()
    target = Path(__file__).resolve().parent.parent / "res" / "linkto.ico"
    if len(argv) == 3 and argv[1] == "--check":
        if Path(argv[2]).read_bytes() != data:
            print(f"{argv[2]} differs from the drawing in {argv[0]}; run {argv[0]}")
            return 1
        return 0
    if len(argv) == 3 and argv[1] == "--preview":
        preview_png(argv[2])
    elif len(argv) != 1:
        print(__doc__)
        return 2
    target.write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
