#!/usr/bin/env python3
"""Draws the program's icons and writes them as icon files.

    draw_icons.py OUTPUT_DIR

writes caseswitch.ico (the program icon resource: 256, 48, 32, 24, 20 and 16 pixels, the
sizes Explorer, the taskbar and the title bar ask for at 100 % to 200 % scaling) and tray.ico
(one 48x48 image, the notification-area icon kept in the program's constant data). Both show a
grey capital and small letter A on white panels over a blue tile. The program icon's images are
PNG files (8-bit RGBA), which Windows Vista and later read at every size: about a quarter of the bytes of
the same pixels uncompressed, and the icon resource is the largest part of the program. The tray
icon's one image is 32 bits per pixel, uncompressed, bottom row first, with an AND mask, as its
byte block's fixed layout needs. The output is byte-for-byte deterministic, so the committed files
can be checked by running this again.
"""

import math
import struct
import sys
import zlib
from pathlib import Path

SUBSAMPLES = 8  # per axis, for the edge smoothing
LARGE_SUBSAMPLES = 4  # enough at 256 pixels, where an edge pixel is a small part of a stroke
PROGRAM_ICON_SIZES = [256, 48, 32, 24, 20, 16]  # 16 last: readers that take the last image get the small one

TILE_TOP = (64, 138, 232)
TILE_BOTTOM = (26, 84, 186)
PANEL = (255, 255, 255)
LETTER = (104, 104, 104)


def rounded_rect(x, y, left, top, right, bottom, radius):
    """True when (x, y) lies in the rectangle with rounded corners."""
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def ellipse_distance(x, y, cx, cy, rx, ry):
    """Approximate distance from (x, y) to the outline of an axis-aligned ellipse."""
    nx, ny = (x - cx) / rx, (y - cy) / ry
    rho = math.hypot(nx, ny)
    if rho == 0.0:
        return min(rx, ry)
    gx, gy = nx / (rx * rho), ny / (ry * rho)
    return abs(rho - 1.0) / math.hypot(gx, gy)


class Layout:
    """Shape positions in unit coordinates (0..1, y downwards); strokes thicken at small sizes
    so that the letters stay a pixel or more wide."""

    def __init__(self, size):
        self.half_stroke = {256: 0.042, 48: 0.046, 32: 0.052, 24: 0.055, 20: 0.056}[size]
        self.baseline = 0.78
        # Capital A in the left panel.
        self.apex = (0.28, 0.21)
        self.left_foot = (0.125, self.baseline)
        self.right_foot = (0.435, self.baseline)
        self.bar_y = 0.60
        # Small a in the right panel: an arch over the bowl, joined by the stem on the right.
        self.arch_centre = (0.715, 0.535)
        self.arch_radius = 0.10
        self.bowl_centre = (0.715, self.baseline - self.half_stroke - 0.075)
        self.bowl_radii = (0.10, 0.075)
        self.stem_x = self.arch_centre[0] + self.arch_radius

    def capital_a(self, x, y):
        w = self.half_stroke
        if y > self.baseline:
            return False
        ax, ay = self.apex
        if segment_distance(x, y, ax, ay, *self.left_foot) <= w:
            return True
        if segment_distance(x, y, ax, ay, *self.right_foot) <= w:
            return True
        if abs(y - self.bar_y) <= w * 0.85:
            # The bar runs between the legs' centre lines at its height.
            t = (self.bar_y - ay) / (self.baseline - ay)
            left = ax + t * (self.left_foot[0] - ax)
            right = ax + t * (self.right_foot[0] - ax)
            return left <= x <= right
        return False

    def small_a(self, x, y):
        w = self.half_stroke
        cx, cy = self.arch_centre
        r = self.arch_radius
        if y > self.baseline:
            return False
        # Stem: from the arch's right end down to the baseline.
        if abs(x - self.stem_x) <= w and cy <= y:
            return True
        # Arch: the upper half of a circle, ending a little past its left side.
        if y <= cy + 0.01 and abs(math.hypot(x - cx, y - cy) - r) <= w:
            angle = math.degrees(math.atan2(cy - y, x - cx))
            if -5.0 <= angle <= 165.0:
                return True
        bx, by = self.bowl_centre
        return ellipse_distance(x, y, bx, by, *self.bowl_radii) <= w


def pixel_colour(size, layout, x, y):
    """Colour and alpha of one sample point, or None outside the tile."""
    if not rounded_rect(x, y, 0.02, 0.02, 0.98, 0.98, 0.17):
        return None
    if layout.capital_a(x, y) or layout.small_a(x, y):
        return LETTER
    if rounded_rect(x, y, 0.075, 0.12, 0.485, 0.88, 0.07) or rounded_rect(x, y, 0.515, 0.12, 0.925, 0.88, 0.07):
        return PANEL
    t = (y - 0.02) / 0.96
    return tuple(round(a + (b - a) * t) for a, b in zip(TILE_TOP, TILE_BOTTOM))


# At 16 by 16 a drawn letter smears into a blot, so the small icon is laid out pixel by pixel:
# B tile, b tile corner (half covered), W panel, G letter, g letter edge, . transparent.
SMALL_ICON = [
    "bBBBBBBBBBBBBBBb",
    "BWWWWWWWBWWWWWWB",
    "BWWWWWWWBWWWWWWB",
    "BWWgGgWWBWWWWWWB",
    "BWgGWGgWBWWWWWWB",
    "BWGWWWGWBWWWWWWB",
    "BWGWWWGWBWWWWWWB",
    "BWGWWWGWBWGGGWWB",
    "BWGGGGGWBWWWWGWB",
    "BWGWWWGWBWgGGGWB",
    "BWGWWWGWBWGWWGWB",
    "BWGWWWGWBWGWWGWB",
    "BWGWWWGWBWgGGGWB",
    "BWWWWWWWBWWWWWWB",
    "BWWWWWWWBWWWWWWB",
    "bBBBBBBBBBBBBBBb",
]
LETTER_EDGE = (176, 176, 176)


def render_small():
    rows = []
    for y, line in enumerate(SMALL_ICON):
        t = y / 15
        tile = tuple(round(a + (b - a) * t) for a, b in zip(TILE_TOP, TILE_BOTTOM))
        colours = {"B": tile + (255,), "b": tile + (96,), "W": PANEL + (255,), "G": LETTER + (255,),
                   "g": LETTER_EDGE + (255,), ".": (0, 0, 0, 0)}
        rows.append([colours[c] for c in line])
    return rows


def render(size):
    """Rows of (r, g, b, a), top row first."""
    if size == 16:
        return render_small()
    layout = Layout(size)
    subsamples = LARGE_SUBSAMPLES if size > 48 else SUBSAMPLES
    rows = []
    step = 1.0 / subsamples
    for py in range(size):
        row = []
        for px in range(size):
            red = green = blue = covered = 0
            for sy in range(subsamples):
                for sx in range(subsamples):
                    x = (px + (sx + 0.5) * step) / size
                    y = (py + (sy + 0.5) * step) / size
                    colour = pixel_colour(size, layout, x, y)
                    if colour is None:
                        continue
                    red += colour[0]
                    green += colour[1]
                    blue += colour[2]
                    covered += 1
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                alpha = round(255 * covered / (subsamples * subsamples))
                row.append((round(red / covered), round(green / covered), round(blue / covered), alpha))
        rows.append(row)
    return rows


def icon_image(size):
    """BITMAPINFOHEADER, BGRA colour rows and AND mask rows, both bottom row first."""
    rows = render(size)
    colour = bytearray()
    mask = bytearray()
    mask_stride = (size + 31) // 32 * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(row):
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour), 2835, 2835, 0, 0)
    return header + colour + mask


def png_image(size):
    """The image as a PNG file: 8-bit RGBA, top row first, no filtering."""
    raw = bytearray()
    for row in render(size):
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def icon_file(sizes, encode):
    images = [encode(size) for size in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        # A directory entry says 0 for 256 pixels.
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_icons.py OUTPUT_DIR")
    out_dir = Path(sys.argv[1])
    out_dir.mkdir(parents=True, exist_ok=True)
    (out_dir / "caseswitch.ico").write_bytes(icon_file(PROGRAM_ICON_SIZES, png_image))
    tray = icon_file([48], icon_image)
    assert len(tray) == 9662, len(tray)
    (out_dir / "tray.ico").write_bytes(tray)


if __name__ == "__main__":
    main()
