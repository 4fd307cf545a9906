#!/usr/bin/env python3
"""Writes test.ico: one 16 x 16 image in 16 colours, a green square with a red frame and a
transparent corner pixel, so that a test can tell the test library's icon from the program's
(which has a 32 x 32 image too)."""
import struct
import sys

GREEN, RED = 10, 9  # indexes in the standard 16-colour palette
PALETTE = [(0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
           (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
           (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255)]


def main(path):
    size = 16
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (b, g, r) in PALETTE)
    xor = b''
    mask = b''
    for y in reversed(range(size)):  # bitmaps are stored bottom-up
        line = bytearray(8)
        bits = bytearray(4)
        for x in range(size):
            frame = x in (0, size - 1) or y in (0, size - 1)
            colour = RED if frame else GREEN
            if x == 0 and y == 0:
                bits[0] |= 0x80  # the top-left pixel is transparent
                colour = 0
            line[x // 2] |= colour << (4 if x % 2 == 0 else 0)
        xor += bytes(line)
        mask += bytes(bits)
    data = header + palette + xor + mask
    out = struct.pack('<HHH', 0, 1, 1)
    out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), 6 + 16)
    with open(path, 'wb') as f:
        f.write(out + data)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'test.ico')
