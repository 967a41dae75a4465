#!/usr/bin/env python3
"""Checks that a PNG screenshot shows given colours (RRGGBB, each in at least
MIN_PIXELS pixels), so a check can tell a rendered picture from a blank page.
Decodes 8-bit RGB/RGBA non-interlaced PNGs, which is what Chromium writes.
Exit status 1 with one line naming the missing colours."""
import struct
import sys
import zlib

MIN_PIXELS = 50


def pixels(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"png_colours: {path}: not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        sys.exit(f"png_colours: {path}: unsupported PNG layout")
    step = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(idat), width * step
    previous = bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up, up_left = previous[i], previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else up_left)) & 255
        previous = line
        for x in range(0, stride, step):
            yield bytes(line[x:x + 3])


def main():
    path, wanted = sys.argv[1], [bytes.fromhex(c) for c in sys.argv[2:]]
    counts = dict.fromkeys(wanted, 0)
    for rgb in pixels(path):
        if rgb in counts:
            counts[rgb] += 1
    missing = [c.hex() for c, n in counts.items() if n < MIN_PIXELS]
    if missing:
        sys.exit(f"png_colours: {path}: colours not shown: {' '.join(missing)}")


if __name__ == "__main__":
    main()
