#!/usr/bin/env python3
"""Draws the application icon, a speech bubble holding two beamed notes, and writes
nowplaying.ico beside this script. Python 3's standard library only.

    python3 app/resources/make_icon.py

The icon holds 32x32 in 2 colours, 32x32 and 16x16 in 16 colours for old shells and
screens, then 32-bit images with alpha at the small and large icon sizes of 100 to
200 % (16, 20, 24, 28, 32, 40, 48, 56 and 64 pixels), so that no shell at those scales
resamples one. Every image is a DIB: the 95 family cannot read PNG-compressed images.
The drawing is described once, on a 32-unit canvas, as signed distance functions; every
image is rendered from that description at its own size. The low-colour images take,
per pixel, the part that covers most of it, so their edges stay crisp.
"""

import math
import os
import struct

SUPERSAMPLE = 6  # samples per pixel along each axis

# Parts of the drawing, back to front.
TRANSPARENT, OUTLINE, FILL, NOTE = range(4)

# True-colour look: dark blue outline, a blue bubble lighter at the top, white notes.
OUTLINE_RGB = (18, 59, 122)
FILL_TOP_RGB = (98, 166, 244)
FILL_BOTTOM_RGB = (36, 104, 206)
NOTE_RGB = (255, 255, 255)

# The standard 16-colour palette, in the order every 4-bit bitmap of the era used.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
VGA16_INDEX = {TRANSPARENT: 0, OUTLINE: 4, FILL: 12, NOTE: 15}  # navy, blue, white
MONO_INDEX = {TRANSPARENT: 0, OUTLINE: 0, FILL: 1, NOTE: 0}      # black on white


def sd_round_rect(x, y, left, top, right, bottom, radius):
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius
    qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def sd_convex_polygon(x, y, points):
    """Signed distance to a convex polygon given clockwise on screen (y down)."""
    distance = float("inf")
    inside = True
    for i, (ax, ay) in enumerate(points):
        bx, by = points[(i + 1) % len(points)]
        ex, ey = bx - ax, by - ay
        wx, wy = x - ax, y - ay
        t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
        distance = min(distance, math.hypot(wx - ex * t, wy - ey * t))
        if ex * wy - ey * wx < 0:
            inside = False
    return -distance if inside else distance


def sd_ellipse(x, y, cx, cy, rx, ry, angle):
    c, s = math.cos(angle), math.sin(angle)
    dx, dy = x - cx, y - cy
    u, v = dx * c + dy * s, -dx * s + dy * c
    return (math.hypot(u / rx, v / ry) - 1.0) * min(rx, ry)


class Drawing:
    """The icon at one size: strokes never get thinner than one pixel."""

    def __init__(self, size):
        pixel = 32.0 / size  # one pixel in canvas units
        self.outline = max(1.5, pixel)
        self.stem = max(1.7, pixel)
        self.beam = max(2.6, 1.5 * pixel)

    def bubble(self, x, y):
        body = sd_round_rect(x, y, 1.0, 2.0, 31.0, 23.5, 7.0)
        tail = sd_convex_polygon(x, y, [(6.0, 19.0), (14.0, 21.0), (4.0, 30.5)])
        return min(body, tail)

    def notes(self, x, y):
        tilt = math.radians(-24)
        heads = min(sd_ellipse(x, y, 11.2, 17.0, 3.3, 2.5, tilt),
                    sd_ellipse(x, y, 21.2, 15.0, 3.3, 2.5, tilt))
        stem_left = sd_round_rect(x, y, 14.0 - self.stem / 2, 6.8, 14.0 + self.stem / 2, 16.5, 0.0)
        stem_right = sd_round_rect(x, y, 24.0 - self.stem / 2, 4.8, 24.0 + self.stem / 2, 14.5, 0.0)
        x0, x1 = 14.0 - self.stem / 2, 24.0 + self.stem / 2
        beam = sd_convex_polygon(x, y, [(x0, 7.0), (x1, 5.0), (x1, 5.0 + self.beam), (x0, 7.0 + self.beam)])
        return min(heads, stem_left, stem_right, beam)

    def part(self, x, y):
        bubble = self.bubble(x, y)
        if bubble > 0:
            return TRANSPARENT
        if self.notes(x, y) <= 0:
            return NOTE
        return FILL if bubble <= -self.outline else OUTLINE


def coverage(size):
    """Per pixel, the share of its samples that each part covers (top row first)."""
    drawing = Drawing(size)
    scale = 32.0 / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            counts = [0, 0, 0, 0]
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    x = (px + (sx + 0.5) / SUPERSAMPLE) * scale
                    y = (py + (sy + 0.5) / SUPERSAMPLE) * scale
                    counts[drawing.part(x, y)] += 1
            total = SUPERSAMPLE * SUPERSAMPLE
            row.append([c / total for c in counts])
        rows.append(row)
    return rows


def fill_rgb(py, size):
    t = (py + 0.5) / size
    return tuple(round(a + (b - a) * t) for a, b in zip(FILL_TOP_RGB, FILL_BOTTOM_RGB))


def rgba_pixels(size):
    pixels = []
    for py, row in enumerate(coverage(size)):
        colours = {OUTLINE: OUTLINE_RGB, FILL: fill_rgb(py, size), NOTE: NOTE_RGB}
        out = []
        for shares in row:
            alpha = 1.0 - shares[TRANSPARENT]
            if alpha <= 0.0:
                out.append((0, 0, 0, 0))
                continue
            rgb = [sum(shares[p] * colours[p][i] for p in colours) / alpha for i in range(3)]
            out.append((round(rgb[0]), round(rgb[1]), round(rgb[2]), round(alpha * 255)))
        pixels.append(out)
    return pixels


def majority_parts(size):
    return [[max(range(4), key=lambda p: shares[p]) for shares in row] for row in coverage(size)]


def row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def pack_rows(rows, bits):
    """Packs rows of palette indices (top row first) bottom-up, each padded to 32 bits."""
    data = bytearray()
    for row in reversed(rows):
        packed = bytearray(row_bytes(len(row), bits))
        for i, value in enumerate(row):
            bit = i * bits
            packed[bit // 8] |= value << (8 - bits - bit % 8)
        data += packed
    return bytes(data)


def dib(size, bits, palette, xor_data, transparent_rows):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    and_mask = pack_rows(transparent_rows, 1)
    return header + colours + xor_data + and_mask


def indexed_image(size, bits, index_of, palette):
    parts = majority_parts(size)
    indices = [[index_of[p] for p in row] for row in parts]
    transparent = [[1 if p == TRANSPARENT else 0 for p in row] for row in parts]
    return dib(size, bits, palette, pack_rows(indices, bits), transparent)


def true_colour_image(size):
    pixels = rgba_pixels(size)
    xor_data = b"".join(struct.pack("<BBBB", b, g, r, a) for row in reversed(pixels) for r, g, b, a in row)
    transparent = [[1 if a == 0 else 0 for _, _, _, a in row] for row in pixels]
    return dib(size, 32, [], xor_data, transparent)


def icon_file(images):
    """images: (size, bits, colour count, DIB bytes) in directory order."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for size, bits, colours, image in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits, len(image), offset)
        data += image
        offset += len(image)
    return directory + entries + data


def main():
    images = [
        (32, 1, 2, indexed_image(32, 1, MONO_INDEX, [(0, 0, 0), (255, 255, 255)])),
        (32, 4, 16, indexed_image(32, 4, VGA16_INDEX, VGA16)),
        (16, 4, 16, indexed_image(16, 4, VGA16_INDEX, VGA16)),
    ]
    images += [(size, 32, 0, true_colour_image(size)) for size in (16, 20, 24, 28, 32, 40, 48, 56, 64)]
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "nowplaying.ico")
    with open(target, "wb") as out:
        out.write(icon_file(images))
    print("wrote", target)


if __name__ == "__main__":
    main()
