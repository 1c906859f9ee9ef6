#!/usr/bin/python3
"""Draws the program's icons and writes them as .ico files (16, 20, 24, 32, 40 and 48
pixels: the small and large icon sizes from 100 to 200 % display scaling; 32-bit with
alpha and a 1-bit mask), using nothing but the standard library.

    frame.ico  the main window: a blue tile with an arrow rising out of a tray
    idle.ico   the tray when idle: a green disc with an upward arrow
    busy.ico   the tray during a poll cycle: an amber disc with arrows up and down

Run it from anywhere; it writes next to itself. The .ico files are committed, so
the build does not need Python.
"""
import os
import struct

SIZES = (16, 20, 24, 32, 40, 48)
SUPERSAMPLE = 4
WHITE = (255, 255, 255)


def in_polygon(x, y, points):
    inside = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def in_disc(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_rounded_square(x, y, inset, radius):
    lo, hi = inset, 1.0 - inset
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return in_disc(x, y, cx, cy, radius)


def arrow(x, y, centre_x, top, bottom, head_width, shaft_width, head_length, pointing_up=True):
    """An arrow between `top` and `bottom` (unit coordinates, y downwards)."""
    if not pointing_up:
        y = top + bottom - y
    head = [(centre_x, top), (centre_x + head_width / 2, top + head_length),
            (centre_x - head_width / 2, top + head_length)]
    shaft = abs(x - centre_x) <= shaft_width / 2 and top + head_length * 0.9 <= y <= bottom
    return shaft or in_polygon(x, y, head)


def frame_layers(x, y):
    if not in_rounded_square(x, y, 0.03, 0.18):
        return None
    edge = not in_rounded_square(x, y, 0.09, 0.13)
    tray = (0.2 <= x <= 0.8 and 0.74 <= y <= 0.84) or \
        ((0.2 <= x <= 0.29 or 0.71 <= x <= 0.8) and 0.6 <= y <= 0.84)
    if tray or arrow(x, y, 0.5, 0.14, 0.66, 0.5, 0.18, 0.26):
        return WHITE
    return (18, 58, 128) if edge else (38, 98, 196)


def disc_layers(fill, rim, glyph):
    def layers(x, y):
        if not in_disc(x, y, 0.5, 0.5, 0.48):
            return None
        if glyph(x, y):
            return WHITE
        return fill if in_disc(x, y, 0.5, 0.5, 0.41) else rim
    return layers


def idle_glyph(x, y):
    return arrow(x, y, 0.5, 0.16, 0.82, 0.56, 0.2, 0.3)


def busy_glyph(x, y):
    return arrow(x, y, 0.33, 0.18, 0.8, 0.32, 0.13, 0.22) or \
        arrow(x, y, 0.67, 0.18, 0.8, 0.32, 0.13, 0.22, pointing_up=False)


def render(layers, size):
    """Rows of (r, g, b, a), top row first, each pixel averaged over a subgrid."""
    rows = []
    samples = SUPERSAMPLE * SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = covered = 0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    colour = layers((px + (sx + 0.5) / SUPERSAMPLE) / size, (py + (sy + 0.5) / SUPERSAMPLE) / size)
                    if colour is not None:
                        r, g, b = r + colour[0], g + colour[1], b + colour[2]
                        covered += 1
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((r // covered, g // covered, b // covered, 255 * covered // samples))
        rows.append(row)
    return rows


def icon_image(rows):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(struct.pack("BBBB", b, g, r, a) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + pixels + bytes(mask)


def write_icon(path, layers):
    images = [(size, icon_image(render(layers, size))) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(directory + entries + b"".join(data for _, data in images))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_icon(os.path.join(here, "frame.ico"), frame_layers)
    write_icon(os.path.join(here, "idle.ico"), disc_layers((46, 157, 74), (24, 104, 46), idle_glyph))
    write_icon(os.path.join(here, "busy.ico"), disc_layers((232, 140, 20), (170, 92, 6), busy_glyph))


if __name__ == "__main__":
    main()
