#!/usr/bin/env python3
"""Draws the program's icon and writes it as a Windows .ico file.

    make_icon.py OUT.ico

One image, 64x64 pixels, 32-bit colour with an alpha channel: a blue rounded
square with a white globe and a green arrow pointing down into a tray. Every
pixel is sampled 4x4 times for smooth edges. The output depends on nothing but
this file.
"""
import math
import os
import struct
import sys

SIZE = 64
SAMPLES = 4


def inside_rounded_square(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_polygon(x, y, points):
    inside = False
    n = len(points)
    for i in range(n):
        x1, y1 = points[i]
        x2, y2 = points[(i + 1) % n]
        if (y1 > y) != (y2 > y):
            if x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                inside = not inside
    return inside


GLOBE_CX, GLOBE_CY, GLOBE_R = 32.0, 25.0, 17.0
LINE = 1.6  # width of the globe's lines

ARROW = [(26, 30), (38, 30), (38, 40), (45, 40), (32, 53), (19, 40), (26, 40)]
TRAY = [(10, 48), (16, 48), (16, 54), (48, 54), (48, 48), (54, 48), (54, 59), (10, 59)]


def globe_line(x, y):
    dx, dy = x - GLOBE_CX, y - GLOBE_CY
    d = math.hypot(dx, dy)
    if d > GLOBE_R:
        return False
    if d > GLOBE_R - LINE:
        return True  # rim
    if abs(dx) < LINE / 2 or abs(dy) < LINE / 2:
        return True  # meridian and equator
    # the two meridians either side: ellipses of half the width
    e = math.hypot(dx / (GLOBE_R * 0.5), dy / GLOBE_R)
    if abs(e - 1.0) < LINE / (GLOBE_R * 0.5) / 2:
        return True
    # the two parallels
    for py in (-GLOBE_R * 0.5, GLOBE_R * 0.5):
        if abs(dy - py) < LINE / 2:
            return True
    return False


def colour_at(x, y):
    """RGBA of one sample point, in 0..1, or None where the icon is clear."""
    if not inside_rounded_square(x, y, 2, 2, 62, 62, 11):
        return None
    shade = y / SIZE
    r, g, b = 0.10 + 0.05 * shade, 0.42 - 0.18 * shade, 0.86 - 0.22 * shade
    if globe_line(x, y):
        r, g, b = 1.0, 1.0, 1.0
    if inside_polygon(x, y, TRAY):
        r, g, b = 0.95, 0.95, 0.95
    # the arrow with a dark outline one pixel wide
    outline = any(inside_polygon(x + ox, y + oy, ARROW)
                  for ox, oy in ((1.2, 0), (-1.2, 0), (0, 1.2), (0, -1.2)))
    if inside_polygon(x, y, ARROW):
        r, g, b = 0.20, 0.80, 0.30
    elif outline:
        r, g, b = 0.05, 0.25, 0.10
    return (r, g, b, 1.0)


def render():
    """Rows of BGRA bytes, the top row first."""
    rows = []
    for py in range(SIZE):
        row = bytearray()
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if c:
                        for i in range(3):
                            acc[i] += c[i] * c[3]
                        acc[3] += c[3]
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if alpha > 0:
                rgb = [acc[i] / acc[3] for i in range(3)]
            else:
                rgb = [0.0, 0.0, 0.0]
            to_byte = lambda v: max(0, min(255, round(v * 255)))
            row += bytes((to_byte(rgb[2]), to_byte(rgb[1]), to_byte(rgb[0]), to_byte(alpha)))
        rows.append(bytes(row))
    return rows


def ico(rows):
    # The image: a BITMAPINFOHEADER of twice the height (colour and mask),
    # the colour rows bottom-up, then the 1-bit mask (set where clear), each
    # mask row padded to 4 bytes.
    xor = b"".join(reversed(rows))
    mask_stride = ((SIZE + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x in range(SIZE):
            if row[x * 4 + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUT.ico")
    data = ico(render())
    with open(sys.argv[1] + ".tmp", "wb") as f:
        f.write(data)
    os.replace(sys.argv[1] + ".tmp", sys.argv[1])


if __name__ == "__main__":
    main()
