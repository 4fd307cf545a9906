#!/usr/bin/env python3
"""Converts the screen dump Xvfb keeps with -fbdir (XWD, 24 or 32 bits per pixel) to a PNG,
cut to the part of the screen that is not the background (the colour of its top left
corner). Standard library only."""
import struct
import sys
import zlib


def read_xwd(path):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    bits_per_pixel, bytes_per_line, ncolors = fields[11], fields[12], fields[19]
    byte_order = fields[7]
    offset = header_size + ncolors * 12
    step = bits_per_pixel // 8
    rows = []
    for y in range(height):
        line = data[offset + y * bytes_per_line: offset + y * bytes_per_line + width * step]
        row = bytearray()
        for x in range(width):
            pixel = line[x * step: x * step + step]
            if byte_order == 0:  # least significant byte first: B G R (X)
                row += bytes((pixel[2], pixel[1], pixel[0]))
            else:
                row += bytes((pixel[-3], pixel[-2], pixel[-1]))
        rows.append(bytes(row))
    return width, height, rows


def crop(width, height, rows):
    background = rows[0][0:3]
    blank = background * width
    used = [y for y in range(height) if rows[y] != blank]
    if not used:
        sys.exit(3)  # an empty screen: no picture
    top, bottom = used[0], used[-1] + 1
    left, right = width, 0
    for y in range(top, bottom):
        row = rows[y]
        for x in range(width):
            if row[3 * x: 3 * x + 3] != background:
                left = min(left, x)
                break
        for x in range(width - 1, -1, -1):
            if row[3 * x: 3 * x + 3] != background:
                right = max(right, x + 1)
                break
    return right - left, bottom - top, [rows[y][3 * left: 3 * right] for y in range(top, bottom)]


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    write_png(sys.argv[2], *crop(*read_xwd(sys.argv[1])))
