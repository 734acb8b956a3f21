#!/usr/bin/env python3
"""Stores a screenshot as a small PNG, losslessly.

    tools/shrink_png.py IN OUT

IN is an 8-bit RGB or opaque RGBA PNG (the tests save their pictures of the
dialogs as RGB with stored, uncompressed data). OUT holds the same pixels as
a palette image of 1, 2, 4 or 8 bits when they have at most 256 colours, as
RGB otherwise, compressed with zlib at level 9 under the row filter and
strategy that give the fewest bytes. OUT has the chunks IHDR, PLTE, IDAT and
IEND only (no time, text or colour chunk), so the same pixels always give the
same file. OUT is read back and compared with IN pixel by pixel; the script
exits 1, leaving no OUT, when they differ or IN cannot be read.
"""

import os
import struct
import sys
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"


class PngError(Exception):
    pass


def chunks(data):
    if not data.startswith(SIGNATURE):
        raise PngError("not a PNG file")
    at = len(SIGNATURE)
    while at + 8 <= len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        body = data[at + 8:at + 8 + length]
        if len(body) != length:
            raise PngError("truncated %s chunk" % kind.decode("latin-1"))
        yield kind, body
        at += 12 + length


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def unfilter(raw, height, stride, step):
    rows, prior, at = [], bytearray(stride), 0
    for _ in range(height):
        kind, row = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        at += 1 + stride
        if len(row) != stride or kind > 4:
            raise PngError("bad image data")
        for i in range(stride):
            a = row[i - step] if i >= step else 0
            b = prior[i]
            c = prior[i - step] if i >= step else 0
            row[i] = (row[i] + (0, a, b, (a + b) >> 1, paeth(a, b, c))[kind]) & 0xFF
        rows.append(bytes(row))
        prior = row
    return rows


def read_png(data):
    """(width, height, [row of (r, g, b) tuples]) of a non-interlaced PNG."""
    header, palette, idat = None, None, b""
    for kind, body in chunks(data):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"IDAT":
            idat += body
    if header is None:
        raise PngError("no IHDR chunk")
    width, height, depth, colour, _, _, interlace = header
    channels = {2: 3, 6: 4, 3: 1}.get(colour)
    if channels is None or interlace or (colour != 3 and depth != 8) or (
            colour == 3 and (depth not in (1, 2, 4, 8) or not palette)):
        raise PngError("unsupported PNG (colour type %d, depth %d)" % (colour, depth))
    bits = depth * channels
    rows = unfilter(zlib.decompress(idat), height, (width * bits + 7) // 8, max(1, bits // 8))
    pixels = []
    for row in rows:
        if colour == 3:
            per = 8 // depth
            index = [(row[x // per] >> (8 - depth * (x % per + 1))) & ((1 << depth) - 1)
                     for x in range(width)]
            pixels.append([palette[i] for i in index])
        else:
            if colour == 6 and any(row[x * 4 + 3] != 255 for x in range(width)):
                raise PngError("transparent pixels are not supported")
            pixels.append([tuple(row[x * channels:x * channels + 3]) for x in range(width)])
    return width, height, pixels


def filtered(rows, stride, step, kind):
    out, prior = bytearray(), bytes(stride)
    for row in rows:
        out.append(kind)
        for i in range(stride):
            a = row[i - step] if i >= step else 0
            b = prior[i]
            c = prior[i - step] if i >= step else 0
            out.append((row[i] - (0, a, b, (a + b) >> 1, paeth(a, b, c))[kind]) & 0xFF)
        prior = row
    return bytes(out)


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(
        ">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def write_png(width, height, pixels):
    counts = {}
    for row in pixels:
        for p in row:
            counts[p] = counts.get(p, 0) + 1
    if len(counts) <= 256:
        colours = sorted(counts, key=lambda p: (-counts[p], p))
        index = {p: i for i, p in enumerate(colours)}
        depth = next(d for d in (1, 2, 4, 8) if len(colours) <= 1 << d)
        per = 8 // depth
        rows = []
        for row in pixels:
            packed = bytearray((width + per - 1) // per)
            for x, p in enumerate(row):
                packed[x // per] |= index[p] << (8 - depth * (x % per + 1))
            rows.append(bytes(packed))
        header = struct.pack(">IIBBBBB", width, height, depth, 3, 0, 0, 0)
        extra = chunk(b"PLTE", b"".join(bytes(p) for p in colours))
        step = 1
    else:
        rows = [b"".join(bytes(p) for p in row) for row in pixels]
        header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
        extra = b""
        step = 3
    stride = len(rows[0])
    best = None
    for kind in range(5):
        raw = filtered(rows, stride, step, kind)
        for strategy in (zlib.Z_DEFAULT_STRATEGY, zlib.Z_FILTERED):
            packer = zlib.compressobj(9, zlib.DEFLATED, 15, 9, strategy)
            data = packer.compress(raw) + packer.flush()
            if best is None or len(data) < len(best):
                best = data
    return SIGNATURE + chunk(b"IHDR", header) + extra + chunk(b"IDAT", best) + chunk(b"IEND", b"")


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    source, target = argv[1], argv[2]
    try:
        with open(source, "rb") as f:
            width, height, pixels = read_png(f.read())
        data = write_png(width, height, pixels)
        if read_png(data) != (width, height, pixels):
            raise PngError("the small picture differs from the original")
    except (PngError, zlib.error, struct.error, OSError) as error:
        sys.stderr.write("shrink_png: %s: %s\n" % (source, error))
        return 1
    temporary = target + ".tmp"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, target)
    print("%s: %d x %d, %d bytes (was %d)" % (target, width, height, len(data),
                                               os.path.getsize(source)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
