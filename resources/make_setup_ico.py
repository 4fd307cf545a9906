#!/usr/bin/env python3
"""Draws the application icon (setup.ico beside this script): a setup box with a disk in front of it,
at 32 x 32 and 16 x 16 pixels in the 16 standard colours. Run it again after changing the
drawing; the .ico it writes is kept in the repository."""
import struct
import sys

PALETTE = [  # the 16 standard colours, as (blue, green, red)
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
    (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
    (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255)]
BLACK, DARK_RED, GREY, DARK_GREY, BLUE, WHITE, YELLOW, DARK_BLUE = 0, 1, 7, 8, 12, 15, 11, 4


def draw(size):
    """Returns rows (top first) of palette indexes, None for transparent pixels."""
    s = size / 32.0
    pixels = [[None] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), max(int(y1 * s), int(y0 * s) + 1)):
            for x in range(int(x0 * s), max(int(x1 * s), int(x0 * s) + 1)):
                if 0 <= x < size and 0 <= y < size:
                    pixels[y][x] = colour

    # The box: yellow with a dark outline and a band across the lid.
    rect(2, 4, 24, 26, BLACK)
    rect(3, 5, 23, 25, YELLOW)
    rect(3, 11, 23, 13, DARK_RED)
    # The disk in front: blue with a metal shutter and a white label.
    rect(12, 12, 31, 31, BLACK)
    rect(13, 13, 30, 30, BLUE)
    rect(16, 13, 26, 19, GREY)
    rect(22, 14, 24, 18, DARK_GREY)
    rect(15, 22, 28, 30, WHITE)
    rect(16, 24, 27, 25, DARK_BLUE)
    rect(16, 27, 25, 28, DARK_BLUE)
    return pixels


def image(size):
    pixels = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (b, g, r) in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = b''
    mask = b''
    for row in reversed(pixels):  # bottom-up, as bitmaps are stored
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, colour in enumerate(row):
            if colour is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                colour = 0
            line[x // 2] |= colour << (4 if x % 2 == 0 else 0)
        xor += bytes(line)
        mask += bytes(bits)
    return header + palette + xor + mask


def main(path):
    images = [(32, image(32)), (16, image(16))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'setup.ico')
