#!/usr/bin/env python3
"""Draws the program's icon (a card with a morning star) into mornstave.ico.

Run it again only to change the icon; the result is committed so that the
build needs nothing beyond the compilers.  Standard library only.
"""
import math
import struct
import sys


def draw(size):
    """Returns size*size BGRA pixels, top row first."""
    s = size / 32.0
    pixels = []
    for y in range(size):
        for x in range(size):
            px, py = (x + 0.5) / s, (y + 0.5) / s  # in 32-unit space
            colour = (0, 0, 0, 0)
            # Card body: a rounded rectangle with a light edge.
            left, top, right, bottom, r = 5, 2, 27, 30, 3
            dx = max(left + r - px, 0, px - (right - r))
            dy = max(top + r - py, 0, py - (bottom - r))
            d = math.hypot(dx, dy)
            if d <= r:
                w = max(1.3, 1.0 / s)  # at least one pixel wide
                edge = d > r - w or min(px - left, right - px, py - top, bottom - py) < w
                colour = (236, 228, 214, 255) if edge else (120, 52, 28, 255)
                # A four-pointed star in the middle of the card.
                cx, cy = 16, 16
                ax, ay = abs(px - cx), abs(py - cy)
                if ax ** 0.5 + ay ** 0.5 <= 9 ** 0.5:
                    colour = (60, 200, 250, 255)
                # The level pips along the bottom.
                if 25.5 <= py <= 27.5 and any(abs(px - c) <= 1.1 for c in (11, 16, 21)):
                    colour = (236, 228, 214, 255)
            pixels.append(colour)
    return pixels


def image(size):
    pixels = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = [pixels[y * size:(y + 1) * size] for y in range(size)]
    xor = b''.join(bytes(p) for row in reversed(rows) for p in row)
    stride = ((size + 31) // 32) * 4
    mask = b''
    for row in reversed(rows):
        line = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return header + xor + mask


def main(path):
    sizes = [16, 32]
    images = [image(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'mornstave.ico')
