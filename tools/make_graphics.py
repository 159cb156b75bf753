#!/usr/bin/env python3
"""Draws every picture of Velmora and writes it into the repository.

    python3 tools/make_graphics.py           writes Grafiken/ and app/resources/Velmora.ico
    python3 tools/make_graphics.py --check   only compares them with what it would write

The pictures are vector drawings rendered with 4x4 samples per pixel: each shape is a signed
distance function (negative inside), painted with a fill and a one-pixel darker rim, light from
the top left. Only IEEE arithmetic and square roots are used, no trigonometry and no clock, so
every machine writes the same bytes.

Menu bitmaps: the menu shows them in its check-mark column, and Wine cuts them to the check-mark
size, keeping the top-left 13x13 pixels (Windows 7 shows more). Every symbol therefore lies inside
that square; the rest of the 16x16 stays white.

Banner: 300x55, the header of the about window. Start-up draws the maker's logo at (9, 9) and the
product icon at (259, 9), both 32x32; those squares carry only the calm background. The product
name is set in a small stroke font, the tagline in a bitmap font, both defined below.
"""

import math
import os
import struct
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir))

SAMPLES = 4
OFFSETS = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
SAMPLE_COUNT = SAMPLES * SAMPLES

MENU_BITMAP_SIZE = 16
MENU_VISIBLE = 13  # the part of a menu bitmap that Wine shows, from the top-left corner

BANNER_WIDTH = 300
BANNER_HEIGHT = 55
BANNER_ICON_SPOTS = ((9, 9), (259, 9))
BANNER_ICON_SIZE = 32


# ---------------------------------------------------------------------------------------------
# Colours and paints. A paint maps a point to (r, g, b, a), channels 0..255, alpha 0..1.

def hex_colour(text, alpha=1.0):
    return (int(text[1:3], 16), int(text[3:5], 16), int(text[5:7], 16), alpha)


def length(x, y):
    # Products rather than ** 2: the C library's pow need not round alike on every machine.
    return math.sqrt(x * x + y * y)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(4))


def solid(colour):
    colour = hex_colour(colour) if isinstance(colour, str) else colour
    return lambda x, y: colour


def _stops(stops):
    return [(t, hex_colour(c) if isinstance(c, str) else c) for t, c in stops]


def _at(stops, t):
    if t <= stops[0][0]:
        return stops[0][1]
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0))
    return stops[-1][1]


def linear(x0, y0, x1, y1, stops):
    stops = _stops(stops)
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    return lambda x, y: _at(stops, ((x - x0) * dx + (y - y0) * dy) / length2)


def radial(cx, cy, r, stops):
    stops = _stops(stops)
    return lambda x, y: _at(stops, length(x - cx, y - cy) / r)


# A material: the fill runs from light (top left) over base to shade, the rim is darker still.
class Material:
    def __init__(self, light, base, shade, rim):
        self.light, self.base, self.shade, self.rim = light, base, shade, rim

    def fill(self, box):
        x0, y0, x1, y1 = box
        return linear(x0, y0, x1, y1, [(0.0, self.light), (0.45, self.base), (1.0, self.shade)])

    def line(self):
        return solid(self.rim)


BLUE = Material('#a6d4fa', '#3d8ee0', '#1d5cb0', '#173f7c')
GREEN = Material('#c4ee96', '#5cbf3c', '#2f8a1e', '#1f5e14')
RED = Material('#ffb4a6', '#e0442f', '#a8200f', '#74140a')
GOLD = Material('#fff4b0', '#f6c93a', '#d0900c', '#855a06')
STEEL = Material('#ffffff', '#c6ccd4', '#828b96', '#4a525c')
DARK = Material('#8a929c', '#4a525c', '#262b31', '#15181c')
WOOD = Material('#f0c48a', '#c08040', '#8a5420', '#5a3410')
ICE = Material('#e6f6ff', '#7cc4ee', '#3185c6', '#1f5a8e')
ORANGE = Material('#ffd9a0', '#f7961e', '#d0640a', '#8a3e04')
WHITE = Material('#ffffff', '#fafcff', '#dde6f0', '#7d8a99')


# ---------------------------------------------------------------------------------------------
# Shapes: a signed distance d(x, y), negative inside, and a bounding box (None for unbounded).

class Shape:
    def __init__(self, d, box):
        self.d = d
        self.box = box


def circle(cx, cy, r):
    return Shape(lambda x, y: length(x - cx, y - cy) - r,
                 (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    def d(x, y):
        u, v = (x - cx) / rx, (y - cy) / ry
        k = length(u, v)
        g = length(u / rx, v / ry)
        return (k - 1.0) * k / g if g > 0 else -min(rx, ry)
    return Shape(d, (cx - rx, cy - ry, cx + rx, cy + ry))


def box(x0, y0, x1, y1, radius=0.0):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def d(x, y):
        qx = abs(x - cx) - hx + radius
        qy = abs(y - cy) - hy + radius
        outside = length(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return Shape(d, (x0, y0, x1, y1))


def segment(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def d(x, y):
        t = ((x - ax) * dx + (y - ay) * dy) / length2 if length2 else 0.0
        t = min(max(t, 0.0), 1.0)
        return length(x - ax - dx * t, y - ay - dy * t) - r
    return Shape(d, (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r))


def polygon(points):
    n = len(points)

    def d(x, y):
        best = 1e18
        inside = False
        j = n - 1
        for i in range(n):
            (xi, yi), (xj, yj) = points[i], points[j]
            ex, ey = xj - xi, yj - yi
            wx, wy = x - xi, y - yi
            t = min(max((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0), 1.0)
            qx, qy = wx - ex * t, wy - ey * t
            best = min(best, qx * qx + qy * qy)
            if (yi > y) != (yj > y) and x < xi + (y - yi) * ex / ey:
                inside = not inside
            j = i
        distance = math.sqrt(best)
        return -distance if inside else distance
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(d, (min(xs), min(ys), max(xs), max(ys)))


def half_plane(nx, ny, px, py):
    """Everything on the side of the line through (px, py) that the normal (nx, ny) points away from."""
    norm = length(nx, ny)
    nx, ny = nx / norm, ny / norm
    return Shape(lambda x, y: (x - px) * nx + (y - py) * ny, None)


def _join_boxes(boxes, grow):
    boxes = [b for b in boxes if b is not None]
    if not boxes:
        return None
    if grow:
        return (min(b[0] for b in boxes), min(b[1] for b in boxes),
                max(b[2] for b in boxes), max(b[3] for b in boxes))
    return (max(b[0] for b in boxes), max(b[1] for b in boxes),
            min(b[2] for b in boxes), min(b[3] for b in boxes))


def union(*shapes):
    # Far from a part its distance does not matter; skipping it keeps long texts fast.
    margin = 3.0
    parts = [(s.d, s.box) for s in shapes]

    def d(x, y):
        best = 1e9
        for f, (x0, y0, x1, y1) in parts:
            if x0 - margin <= x <= x1 + margin and y0 - margin <= y <= y1 + margin:
                v = f(x, y)
                if v < best:
                    best = v
        return best
    return Shape(d, _join_boxes([s.box for s in shapes], True))


def intersect(*shapes):
    fs = [s.d for s in shapes]
    return Shape(lambda x, y: max(f(x, y) for f in fs), _join_boxes([s.box for s in shapes], False))


def subtract(a, *cuts):
    fa = a.d
    fs = [c.d for c in cuts]
    return Shape(lambda x, y: max([fa(x, y)] + [-f(x, y) for f in fs]), a.box)


def grow(shape, amount):
    f = shape.d
    b = shape.box
    return Shape(lambda x, y: f(x, y) - amount,
                 None if b is None else (b[0] - amount, b[1] - amount, b[2] + amount, b[3] + amount))


def translate(shape, ox, oy):
    f = shape.d
    b = shape.box
    return Shape(lambda x, y: f(x - ox, y - oy),
                 None if b is None else (b[0] + ox, b[1] + oy, b[2] + ox, b[3] + oy))


# ---------------------------------------------------------------------------------------------
# Canvas: straight RGBA per pixel, composited shape by shape.

class Canvas:
    def __init__(self, width, height, background=None):
        self.width, self.height = width, height
        fill = list(hex_colour(background)) if background else [0.0, 0.0, 0.0, 0.0]
        self.pixels = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, colour, alpha):
        p = self.pixels[y * self.width + x]
        keep = p[3] * (1.0 - alpha)
        out = alpha + keep
        if out <= 0.0:
            return
        for i in range(3):
            p[i] = (colour[i] * alpha + p[i] * keep) / out
        p[3] = out

    def draw(self, shape, fill, line=None, width=1.0):
        """Paints shape with fill; the band of the given width inside its edge gets line."""
        x0, y0, x1, y1 = shape.box
        ix0, iy0 = max(int(math.floor(x0)) - 1, 0), max(int(math.floor(y0)) - 1, 0)
        ix1, iy1 = min(int(math.ceil(x1)) + 1, self.width), min(int(math.ceil(y1)) + 1, self.height)
        d = shape.d
        for py in range(iy0, iy1):
            for px in range(ix0, ix1):
                r = g = b = a = 0.0
                for oy in OFFSETS:
                    y = py + oy
                    for ox in OFFSETS:
                        x = px + ox
                        v = d(x, y)
                        if v > 0.0:
                            continue
                        c = line(x, y) if line is not None and v > -width else fill(x, y)
                        r += c[0] * c[3]
                        g += c[1] * c[3]
                        b += c[2] * c[3]
                        a += c[3]
                if a > 0.0:
                    self.blend(px, py, (r / a, g / a, b / a), a / SAMPLE_COUNT)

    def shaded(self, shape, material, width=1.0):
        self.draw(shape, material.fill(shape.box), material.line(), width)

    def gloss(self, shape, strength=0.55):
        """A soft white sheen that fades out from the top of the shape."""
        _, y0, _, y1 = shape.box
        self.draw(shape, linear(0, y0, 0, y1, [(0.0, (255, 255, 255, strength)),
                                               (1.0, (255, 255, 255, 0.0))]))

    def rgba_bytes(self):
        """Rows top-down of (r, g, b, a) in 0..255."""
        out = []
        for p in self.pixels:
            a = _byte(p[3] * 255.0)
            out.append((_byte(p[0]), _byte(p[1]), _byte(p[2]), a))
        return out


def _byte(v):
    return min(max(int(v + 0.5), 0), 255)


# ---------------------------------------------------------------------------------------------
# File formats.

def bmp24(width, height, rgba):
    """Bottom-up rows of BGR, each padded to four bytes, no compression."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b, _ = rgba[y * width + x]
            row += bytes((b, g, r))
        row += b'\0' * (stride - width * 3)
        rows.append(bytes(row))
    data = b''.join(rows)
    file_header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    return file_header + info + data


def icon_image(size, rgba):
    """One 32-bit icon image: header, BGRA colour rows and the AND mask, both bottom-up."""
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = rgba[y * size + x]
            if a == 0:
                # Transparent: the mask keeps the screen, and the colour adds nothing to it.
                colour += b'\0\0\0\0'
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                colour += bytes((b, g, r, a))
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def ico(images):
    """images: (size, rgba) in the order the file lists them; the first is what a plain load picks."""
    blobs = [(size, icon_image(size, rgba)) for size, rgba in images]
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for size, blob in blobs:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b''.join(blob for _, blob in blobs)


# ---------------------------------------------------------------------------------------------
# Command bitmaps, 16x16 on white; every symbol inside the top-left 13x13.

def draw_search(c):
    # Magnifier: a steel rim around light glass, a dark handle towards the bottom right.
    c.shaded(segment(8.7, 8.7, 11.6, 11.6, 1.45), DARK)
    c.draw(segment(9.1, 9.1, 11.3, 11.3, 0.45), solid((255, 255, 255, 0.25)))
    c.shaded(circle(5.3, 5.3, 4.9), STEEL)
    glass = circle(5.3, 5.3, 3.0)
    c.draw(glass, radial(4.0, 4.0, 4.2, [(0.0, '#ffffff'), (0.5, '#cfe8fb'), (1.0, '#8ec3ee')]),
           solid('#6f7a86'))
    c.draw(circle(4.1, 4.1, 1.1), solid((255, 255, 255, 0.9)))


def draw_run(c):
    # A program window with a green arrow that starts it.
    frame = box(0.0, 0.5, 11.0, 10.5, 1.0)
    c.shaded(frame, WHITE)
    c.draw(box(1.0, 1.5, 10.0, 3.5), linear(0, 1.5, 0, 3.5, [(0.0, '#7fb8f0'), (1.0, '#2f6fc4')]))
    c.draw(box(2.0, 5.0, 6.0, 6.0), solid('#b8c2cc'))
    c.draw(box(2.0, 7.0, 5.0, 8.0), solid('#b8c2cc'))
    arrow = polygon([(5.0, 8.6), (8.2, 8.6), (8.2, 6.6), (12.9, 10.3), (8.2, 14.0), (8.2, 12.0),
                     (5.0, 12.0)])
    arrow = intersect(arrow, box(0.0, 0.0, 13.0, 13.0))
    c.shaded(arrow, GREEN)


def draw_switch_user(c):
    # Two people, the one behind in green, the one in front in blue.
    def person(cx, top, material):
        body = intersect(box(cx - 3.9, top + 4.6, cx + 3.9, top + 11.0, 3.4),
                         box(cx - 4.0, top + 4.5, cx + 4.0, top + 9.5))
        c.shaded(body, material)
        c.gloss(body, 0.35)
        c.shaded(circle(cx, top + 2.3, 2.35), material)
    person(8.6, 0.1, GREEN)
    # A white halo separates the front figure from the one behind.
    c.draw(union(circle(4.6, 5.5, 3.2), box(-0.2, 8.3, 9.4, 14.0, 4.2)), solid('#ffffff'))
    person(4.6, 3.2, BLUE)


def draw_log_off(c):
    # A door standing open and an arrow leaving through it.
    c.shaded(box(0.5, 0.0, 8.0, 13.0, 0.5), STEEL)
    c.draw(box(1.5, 1.0, 7.0, 13.0), linear(0, 0, 0, 13, [(0.0, '#2c3440'), (1.0, '#56606c')]))
    leaf = polygon([(1.5, 1.0), (4.5, 2.4), (4.5, 13.0), (1.5, 13.0)])
    c.shaded(leaf, WOOD)
    c.draw(circle(3.7, 7.6, 0.55), solid('#f7e08a'))
    arrow = polygon([(5.6, 5.6), (9.0, 5.6), (9.0, 3.3), (12.9, 7.1), (9.0, 10.9), (9.0, 8.6),
                     (5.6, 8.6)])
    c.shaded(arrow, ORANGE)


def draw_standby(c):
    # A crescent moon with a small star.
    moon = subtract(circle(6.0, 6.8, 5.7), circle(9.6, 3.9, 4.6))
    c.shaded(moon, GOLD)
    star = polygon([(10.5, 0.3), (11.15, 1.85), (12.7, 2.5), (11.15, 3.15), (10.5, 4.7),
                    (9.85, 3.15), (8.3, 2.5), (9.85, 1.85)])
    c.draw(star, solid('#e8b010'))
    c.draw(circle(10.5, 2.5, 0.6), solid('#fff6c0'))


def draw_hibernate(c):
    # A snowflake: six arms with a pair of twigs each.
    cx, cy, reach = 6.5, 6.5, 5.6
    h = math.sqrt(3.0) / 2.0
    directions = [(0.0, -1.0), (h, -0.5), (h, 0.5), (0.0, 1.0), (-h, 0.5), (-h, -0.5)]
    strokes = []
    for dx, dy in directions:
        strokes.append(segment(cx, cy, cx + dx * reach, cy + dy * reach, 0.85))
        bx, by = cx + dx * 3.4, cy + dy * 3.4
        for sign in (1.0, -1.0):
            # A twig leaves the arm at 60 degrees, pointing outwards.
            tx = dx * 0.5 - sign * dy * h
            ty = dy * 0.5 + sign * dx * h
            strokes.append(segment(bx, by, bx + tx * 1.9, by + ty * 1.9, 0.65))
    flake = union(*strokes)
    c.draw(flake, ICE.fill((0, 0, 13, 13)), solid('#2a6fa8'), width=0.7)
    c.draw(circle(cx, cy, 1.2), solid('#ffffff'))


def draw_restart(c):
    # A green arrow running clockwise round a circle, its head at the top pointing right.
    cx, cy = 6.5, 7.0
    ring = subtract(circle(cx, cy, 5.8), circle(cx, cy, 3.3))
    # The gap: from twelve o'clock clockwise to about half past two.
    gap = intersect(half_plane(-1.0, 0.0, cx, cy), half_plane(1.0, 3.7, cx, cy))
    ring = subtract(ring, gap)
    head = polygon([(cx, -0.6), (cx + 3.6, 2.45), (cx, 5.5)])
    head = intersect(head, box(0.0, 0.0, 13.0, 13.0))
    c.shaded(union(ring, head), GREEN, 0.8)
    c.gloss(ring, 0.3)


def draw_shut_down(c):
    # The power symbol: a ring open at the top and a bar through the gap.
    cx, cy = 6.5, 7.0
    ring = subtract(circle(cx, cy, 5.9), circle(cx, cy, 3.8))
    gap = intersect(half_plane(-1.0, 1.1, cx, cy), half_plane(1.0, 1.1, cx, cy))
    ring = subtract(ring, gap)
    bar = segment(cx, 1.1, cx, 6.6, 1.15)
    c.shaded(ring, RED, 0.8)
    c.shaded(bar, RED, 0.8)


def draw_information(c):
    # A white "i" on a blue disc.
    disc = circle(6.5, 6.5, 6.4)
    c.shaded(disc, BLUE)
    c.gloss(intersect(disc, ellipse(6.5, 3.0, 5.0, 3.4)), 0.55)
    white = solid('#ffffff')
    c.draw(circle(6.5, 3.4, 1.35), white)
    c.draw(box(5.5, 5.5, 7.5, 10.0), white)
    c.draw(box(4.5, 5.5, 7.5, 6.5), white)
    c.draw(box(4.5, 9.5, 8.5, 10.5), white)


def draw_quit(c):
    # A red cross.
    cross = union(segment(2.0, 2.0, 11.0, 11.0, 1.75), segment(11.0, 2.0, 2.0, 11.0, 1.75))
    c.shaded(cross, RED)


COMMAND_BITMAPS = [
    ('Suchen.bmp', draw_search),
    ('Ausfuehren.bmp', draw_run),
    ('Wechseln.bmp', draw_switch_user),
    ('Abmelden.bmp', draw_log_off),
    ('Standby.bmp', draw_standby),
    ('Ruhezustand.bmp', draw_hibernate),
    ('Neustarten.bmp', draw_restart),
    ('Herunterfahren.bmp', draw_shut_down),
    ('Informationen.bmp', draw_information),
    ('Beenden.bmp', draw_quit),
]


def command_bitmap(name, painter):
    c = Canvas(MENU_BITMAP_SIZE, MENU_BITMAP_SIZE, '#ffffff')
    painter(c)
    rgba = c.rgba_bytes()
    for y in range(MENU_BITMAP_SIZE):
        for x in range(MENU_BITMAP_SIZE):
            if (x >= MENU_VISIBLE or y >= MENU_VISIBLE) and rgba[y * MENU_BITMAP_SIZE + x][:3] != (255, 255, 255):
                raise SystemExit('%s: pixel (%d, %d) lies outside the part the menu shows' % (name, x, y))
    return bmp24(MENU_BITMAP_SIZE, MENU_BITMAP_SIZE, rgba)


# ---------------------------------------------------------------------------------------------
# Icons, 32-bit with alpha. The maker's logo scales from a 32-pixel design; the product icon has a
# layout of its own for every size, so that its thin lines stay on whole pixels.

def draw_maker_logo(c, size):
    # The maker's mark: an orange "Q", a ring with a tail, on a dark round badge.
    k = size / 32.0
    badge = circle(16 * k, 16 * k, 15.5 * k)
    c.draw(badge, radial(11 * k, 9 * k, 24 * k, [(0.0, '#4d5b6e'), (1.0, '#1b2430')]), solid('#10161e'),
           1.0 if size < 32 else 1.2)
    ring = subtract(circle(15.5 * k, 15.0 * k, 9.6 * k), circle(15.5 * k, 15.0 * k, 5.2 * k))
    tail = segment(18.6 * k, 18.3 * k, 24.4 * k, 24.3 * k, 2.3 * k)
    q = union(ring, tail)
    fill = ORANGE.fill((6 * k, 5 * k, 26 * k, 26 * k))
    # At 16 pixels a dark rim would swallow the thin letter.
    c.draw(q, fill, solid('#7a3602') if size >= 32 else None, 1.0)
    c.gloss(intersect(badge, ellipse(16 * k, 7.5 * k, 12.5 * k, 7.5 * k)), 0.3)


# The product icon's parts per image size, on whole pixels: a menu card with item lines (x0, y0, x1, y1),
# one item highlighted, and a submenu card cascading out of it.
PRODUCT_LAYOUT = {
    16: {'radius': 3.0, 'card_radius': 1.0,
         'menu': (2, 3, 10, 14), 'lines': [(4, 5, 8, 6), (4, 11, 8, 12)], 'highlight': (3, 7, 9, 9),
         'sub': (8, 6, 14, 12), 'sub_lines': [(10, 8, 12, 9)]},
    32: {'radius': 6.0, 'card_radius': 1.5,
         'menu': (5, 6, 19, 27), 'lines': [(8, 9, 16, 11), (8, 13, 16, 15), (8, 22, 16, 24)],
         'highlight': (6, 17, 18, 20),
         'sub': (17, 13, 28, 25), 'sub_lines': [(19, 16, 26, 18), (19, 20, 26, 22)]},
    48: {'radius': 8.0, 'card_radius': 2.0,
         'menu': (8, 9, 28, 40), 'lines': [(12, 13, 24, 16), (12, 19, 24, 22), (12, 33, 24, 36)],
         'highlight': (9, 25, 27, 30),
         'sub': (25, 19, 42, 37), 'sub_lines': [(28, 23, 39, 26), (28, 29, 39, 32)]},
}


def draw_product_icon(c, size):
    # Velmora: a blue tile holding a white menu with a cascading submenu.
    layout = PRODUCT_LAYOUT[size]
    tile = box(0.5, 0.5, size - 0.5, size - 0.5, layout['radius'])
    c.draw(tile, linear(0, 0, 0, size, [(0.0, '#62aef2'), (0.5, '#2b78d0'), (1.0, '#154b98')]),
           solid('#0f3870'), 1.0)
    c.gloss(intersect(grow(tile, -1.0), box(0, 0, size, size * 0.44)), 0.35)
    shadow = solid((10, 35, 80, 0.35))
    ink = solid('#5b7fae')
    for card, lines in (('menu', 'lines'), ('sub', 'sub_lines')):
        x0, y0, x1, y1 = layout[card]
        shape = box(x0, y0, x1, y1, layout['card_radius'])
        c.draw(grow(shape, 0.8), shadow)
        c.draw(shape, linear(0, y0, 0, y1, [(0.0, '#ffffff'), (1.0, '#dce8f6')]))
        if card == 'menu':
            c.draw(box(*layout['highlight']), linear(0, layout['highlight'][1], 0, layout['highlight'][3],
                                                     [(0.0, '#ffc060'), (1.0, '#e88a1a')]))
        for line in layout[lines]:
            c.draw(box(*line), ink)


def icon_pixels(painter, size):
    c = Canvas(size, size)
    painter(c, size)
    return c.rgba_bytes()


# ---------------------------------------------------------------------------------------------
# Stroke font for the product name. Units: caps from y 0 to 10, x-height from 3, descenders to 13.
# ('L', x0, y0, x1, y1, ...) is a polyline; ('E', cx, cy, rx, ry, cuts) an ellipse whose parts inside
# the cut boxes (x0, y0, x1, y1) are left out; ('D', cx, cy, r) a dot.

_N = -99.0
_P = 99.0


def _upper_half(cy):
    return ((_N, cy, _P, _P),)


def _lower_half(cy):
    return ((_N, _N, _P, cy),)


def _only(cx, cy, quarter):
    """Cuts that keep one quarter of an ellipse: 'tl', 'tr', 'bl' or 'br'."""
    cuts = []
    cuts.append((_N, cy, _P, _P) if quarter[0] == 't' else (_N, _N, _P, cy))
    cuts.append((cx, _N, _P, _P) if quarter[1] == 'l' else (_N, _N, cx, _P))
    return tuple(cuts)


def _right_half(cx):
    return ((_N, _N, cx, _P),)


_O = ('E', 2.75, 6.5, 2.75, 3.5, ())  # the bowl of the round lower-case letters

STROKE_GLYPHS = {
    'a': [_O, ('L', 5.5, 3, 5.5, 10)],
    'b': [('L', 0, 0, 0, 10), _O],
    'c': [('E', 2.75, 6.5, 2.75, 3.5, ((4.1, 4.7, _P, 8.3),))],
    'd': [_O, ('L', 5.5, 0, 5.5, 10)],
    'e': [('L', 0.2, 6.4, 5.4, 6.4), ('E', 2.75, 6.5, 2.75, 3.5, ((3.0, 6.6, _P, 8.5),))],
    'f': [('L', 1.3, 10, 1.3, 2.2), ('E', 3.4, 2.2, 2.1, 2.2, _only(3.4, 2.2, 'tl')),
          ('L', 3.4, 0, 4.2, 0), ('L', 0, 3, 3.6, 3)],
    'g': [_O, ('L', 5.5, 3, 5.5, 11), ('E', 2.75, 11, 2.75, 2, _lower_half(11) + ((_N, _N, 0.8, _P),))],
    'h': [('L', 0, 0, 0, 10), ('E', 2.7, 5.6, 2.7, 2.6, _upper_half(5.6)), ('L', 5.4, 5.6, 5.4, 10)],
    'i': [('L', 0, 3, 0, 10), ('D', 0, 0.4, 0.95)],
    'j': [('L', 1.4, 3, 1.4, 11), ('E', 0, 11, 1.4, 2, _only(0, 11, 'br')), ('D', 1.4, 0.4, 0.95)],
    'k': [('L', 0, 0, 0, 10), ('L', 4.6, 3, 0, 7.2), ('L', 1.7, 5.9, 4.9, 10)],
    'l': [('L', 0, 0, 0, 10)],
    'm': [('L', 0, 3, 0, 10), ('E', 2.25, 5.4, 2.25, 2.4, _upper_half(5.4)), ('L', 4.5, 5.4, 4.5, 10),
          ('E', 6.75, 5.4, 2.25, 2.4, _upper_half(5.4)), ('L', 9.0, 5.4, 9.0, 10)],
    'n': [('L', 0, 3, 0, 10), ('E', 2.7, 5.6, 2.7, 2.6, _upper_half(5.6)), ('L', 5.4, 5.6, 5.4, 10)],
    'o': [_O],
    'p': [('L', 0, 3, 0, 13), _O],
    'q': [_O, ('L', 5.5, 3, 5.5, 13)],
    'r': [('L', 0, 3, 0, 10), ('E', 3.4, 6.4, 3.4, 3.4, _only(3.4, 6.4, 'tl')), ('L', 3.4, 3.0, 3.9, 3.0)],
    's': [('E', 2.6, 4.8, 2.5, 1.8, ((2.6, 4.8, _P, _P), (4.3, 3.9, _P, _P))),
          ('E', 2.6, 8.2, 2.6, 1.8, ((_N, _N, 2.6, 8.2), (_N, _N, 0.9, 9.1)))],
    't': [('L', 1.4, 0.8, 1.4, 8.4), ('E', 3.3, 8.4, 1.9, 1.6, _only(3.3, 8.4, 'bl')),
          ('L', 3.3, 10, 3.9, 10), ('L', 0, 3, 3.7, 3)],
    'u': [('L', 0, 3, 0, 7.4), ('E', 2.7, 7.4, 2.7, 2.6, _lower_half(7.4)), ('L', 5.4, 3, 5.4, 10)],
    'v': [('L', 0, 3, 2.7, 10, 5.4, 3)],
    'w': [('L', 0, 3, 1.9, 10, 3.8, 4.4, 5.7, 10, 7.6, 3)],
    'x': [('L', 0, 3, 5.0, 10), ('L', 5.0, 3, 0, 10)],
    'y': [('L', 0, 3, 2.8, 9.8), ('L', 5.4, 3, 1.6, 13)],
    'z': [('L', 0, 3, 5.0, 3, 0, 10, 5.0, 10)],
    'A': [('L', 0, 10, 3.3, 0, 6.6, 10), ('L', 1.3, 6.6, 5.3, 6.6)],
    'B': [('L', 3.0, 0, 0, 0, 0, 10, 3.4, 10), ('E', 3.0, 2.4, 2.4, 2.4, _right_half(3.0)),
          ('L', 0, 4.8, 3.4, 4.8), ('E', 3.4, 7.4, 2.6, 2.6, _right_half(3.4))],
    'C': [('E', 4.2, 5, 4.2, 5, ((6.0, 2.6, _P, 7.4),))],
    'D': [('L', 2.0, 0, 0, 0, 0, 10, 2.0, 10), ('E', 2.0, 5, 4.2, 5, _right_half(2.0))],
    'E': [('L', 5.0, 0, 0, 0, 0, 10, 5.0, 10), ('L', 0, 5, 4.4, 5)],
    'F': [('L', 5.0, 0, 0, 0, 0, 10), ('L', 0, 5, 4.4, 5)],
    'G': [('E', 4.2, 5, 4.2, 5, ((6.0, 1.4, _P, 5.4),)), ('L', 4.8, 5.6, 8.2, 5.6)],
    'H': [('L', 0, 0, 0, 10), ('L', 6.0, 0, 6.0, 10), ('L', 0, 5, 6.0, 5)],
    'I': [('L', 0, 0, 0, 10)],
    'J': [('L', 4.0, 0, 4.0, 7.4), ('E', 2.0, 7.4, 2.0, 2.6, _lower_half(7.4))],
    'K': [('L', 0, 0, 0, 10), ('L', 5.6, 0, 0, 6.2), ('L', 2.1, 4.0, 5.9, 10)],
    'L': [('L', 0, 0, 0, 10, 4.8, 10)],
    'M': [('L', 0, 10, 0, 0, 3.8, 7.4, 7.6, 0, 7.6, 10)],
    'N': [('L', 0, 10, 0, 0, 6.0, 10, 6.0, 0)],
    'O': [('E', 4.4, 5, 4.4, 5, ())],
    'P': [('L', 0, 10, 0, 0, 3.0, 0), ('E', 3.0, 2.6, 2.6, 2.6, _right_half(3.0)), ('L', 0, 5.2, 3.0, 5.2)],
    'Q': [('E', 4.4, 5, 4.4, 5, ()), ('L', 5.3, 7.0, 8.6, 10.6)],
    'R': [('L', 0, 10, 0, 0, 3.0, 0), ('E', 3.0, 2.6, 2.6, 2.6, _right_half(3.0)), ('L', 0, 5.2, 3.0, 5.2),
          ('L', 2.8, 5.2, 5.8, 10)],
    'S': [('E', 3.0, 2.6, 2.9, 2.6, ((3.0, 2.6, _P, _P), (5.0, 1.6, _P, _P))),
          ('E', 3.0, 7.4, 3.1, 2.6, ((_N, _N, 3.0, 7.4), (_N, _N, 0.9, 8.6)))],
    'T': [('L', 0, 0, 6.0, 0), ('L', 3.0, 0, 3.0, 10)],
    'U': [('L', 0, 0, 0, 6.8), ('E', 3.0, 6.8, 3.0, 3.2, _lower_half(6.8)), ('L', 6.0, 0, 6.0, 6.8)],
    'V': [('L', 0, 0, 3.4, 10, 6.8, 0)],
    'W': [('L', 0, 0, 2.3, 10, 4.6, 2.4, 6.9, 10, 9.2, 0)],
    'X': [('L', 0, 0, 6.0, 10), ('L', 6.0, 0, 0, 10)],
    'Y': [('L', 0, 0, 3.1, 5, 6.2, 0), ('L', 3.1, 5, 3.1, 10)],
    'Z': [('L', 0, 0, 6.0, 0, 0, 10, 6.0, 10)],
}


def _with_diaeresis(base, left, right, y):
    return STROKE_GLYPHS[base] + [('D', left, y, 0.8), ('D', right, y, 0.8)]


STROKE_GLYPHS['ä'] = _with_diaeresis('a', 1.3, 4.2, 1.0)
STROKE_GLYPHS['ö'] = _with_diaeresis('o', 1.3, 4.2, 1.0)
STROKE_GLYPHS['ü'] = _with_diaeresis('u', 1.2, 4.2, 1.0)

STROKE_SPACE = 3.5
STROKE_GAP = 1.6  # between the inked extents of two letters, in units
# Letters whose ink leaves room beside them: the next letter moves closer by so many units.
STROKE_KERNING = {('r', None): 1.1, ('V', 'e'): 0.9, ('V', 'a'): 0.9, ('V', 'o'): 0.9,
                  ('T', None): 0.6, ('L', None): 0.6, ('f', None): 0.5}


def _stroke_shapes(strokes, ox, oy, scale, half):
    shapes = []
    for s in strokes:
        if s[0] == 'L':
            points = [(ox + s[i] * scale, oy + s[i + 1] * scale) for i in range(1, len(s), 2)]
            for (ax, ay), (bx, by) in zip(points, points[1:]):
                shapes.append(segment(ax, ay, bx, by, half))
        elif s[0] == 'E':
            _, cx, cy, rx, ry, cuts = s
            cx, cy = ox + cx * scale, oy + cy * scale
            rx, ry = rx * scale, ry * scale
            outline = ellipse(cx, cy, rx, ry)
            band = Shape(lambda x, y, f=outline.d: abs(f(x, y)) - half,
                         (cx - rx - half, cy - ry - half, cx + rx + half, cy + ry + half))
            holes = [box(ox + x0 * scale, oy + y0 * scale, ox + x1 * scale, oy + y1 * scale)
                     for x0, y0, x1, y1 in cuts]
            shapes.append(subtract(band, *holes) if holes else band)
        else:
            _, cx, cy, r = s
            shapes.append(circle(ox + cx * scale, oy + cy * scale, r * scale))
    return shapes


def _stroke_extent(strokes):
    """Left and right end of the strokes' centre lines; for an ellipse only the parts kept."""
    xs = []
    for s in strokes:
        if s[0] == 'L':
            xs += s[1::2]
        elif s[0] == 'E':
            _, cx, cy, rx, ry, cuts = s
            for i in range(-64, 65):
                u = i / 64.0
                x = cx + rx * u
                for y in (cy - ry * math.sqrt(1.0 - u * u), cy + ry * math.sqrt(1.0 - u * u)):
                    if not any(x0 < x < x1 and y0 < y < y1 for x0, y0, x1, y1 in cuts):
                        xs.append(x)
        else:
            xs += [s[1] - s[3], s[1] + s[3]]
    return min(xs), max(xs)


def stroke_text(text, x, top, cap_height, weight):
    """The text as one shape, caps from top to top + cap_height; weight is the stroke width in units."""
    scale = cap_height / 10.0
    half = weight * scale / 2.0
    shapes = []
    pen = x
    previous = None
    for ch in text:
        if previous is not None:
            pen -= STROKE_KERNING.get((previous, ch), STROKE_KERNING.get((previous, None), 0.0)) * scale
        previous = ch
        if ch == ' ':
            pen += STROKE_SPACE * scale
            continue
        if ch not in STROKE_GLYPHS:
            raise SystemExit('the stroke font has no letter %r' % ch)
        strokes = STROKE_GLYPHS[ch]
        lo, hi = _stroke_extent(strokes)
        shapes += _stroke_shapes(strokes, pen - lo * scale + half, top, scale, half)
        pen += (hi - lo) * scale + 2 * half + STROKE_GAP * scale
    return union(*shapes), pen - STROKE_GAP * scale - x


# ---------------------------------------------------------------------------------------------
# Bitmap font for small texts: rows 0 to 6 above the baseline (x-height from row 2), 7 and 8 below.

BITMAP_GLYPHS_TEXT = r'''
A .###. #...# #...# ##### #...# #...# #...#
B ####. #...# #...# ####. #...# #...# ####.
C .###. #...# #.... #.... #.... #...# .###.
D ####. #...# #...# #...# #...# #...# ####.
E ##### #.... #.... ####. #.... #.... #####
F ##### #.... #.... ####. #.... #.... #....
G .###. #...# #.... #.### #...# #...# .####
H #...# #...# #...# ##### #...# #...# #...#
I ### .#. .#. .#. .#. .#. ###
J ..### ...#. ...#. ...#. ...#. #..#. .##..
K #...# #..#. #.#.. ##... #.#.. #..#. #...#
L #.... #.... #.... #.... #.... #.... #####
M #...# ##.## #.#.# #.#.# #...# #...# #...#
N #...# #...# ##..# #.#.# #..## #...# #...#
O .###. #...# #...# #...# #...# #...# .###.
P ####. #...# #...# ####. #.... #.... #....
Q .###. #...# #...# #...# #.#.# #..#. .##.#
R ####. #...# #...# ####. #.#.. #..#. #...#
S .#### #.... #.... .###. ....# ....# ####.
T ##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..
U #...# #...# #...# #...# #...# #...# .###.
V #...# #...# #...# #...# #...# .#.#. ..#..
W #...# #...# #...# #.#.# #.#.# #.#.# .#.#.
X #...# #...# .#.#. ..#.. .#.#. #...# #...#
Y #...# #...# .#.#. ..#.. ..#.. ..#.. ..#..
Z ##### ....# ...#. ..#.. .#... #.... #####
Ä .#.#. ..... .###. #...# ##### #...# #...#
Ö .#.#. ..... .###. #...# #...# #...# .###.
Ü .#.#. ..... #...# #...# #...# #...# .###.
a .... .... .##. ...# .### #..# .###
b #... #... ###. #..# #..# #..# ###.
c ... ... .## #.. #.. #.. .##
d ...# ...# .### #..# #..# #..# .###
e .... .... .##. #..# #### #... .###
f .## #.. ### #.. #.. #.. #..
g .... .... .### #..# #..# #..# .### ...# ###.
h #... #... ###. #..# #..# #..# #..#
i # . # # # # #
j .# .. .# .# .# .# .# .# #.
k #... #... #..# #.#. ##.. #.#. #..#
l # # # # # # #
m ..... ..... ####. #.#.# #.#.# #.#.# #.#.#
n .... .... ###. #..# #..# #..# #..#
o .... .... .##. #..# #..# #..# .##.
p .... .... ###. #..# #..# #..# ###. #... #...
q .... .... .### #..# #..# #..# .### ...# ...#
r ... ... #.# ##. #.. #.. #..
s .... .... .### #... .##. ...# ###.
t ... .#. ### .#. .#. .#. ..#
u .... .... #..# #..# #..# #..# .###
v ..... ..... #...# #...# .#.#. .#.#. ..#..
w ..... ..... #...# #...# #.#.# #.#.# .#.#.
x ..... ..... #...# .#.#. ..#.. .#.#. #...#
y .... .... #..# #..# #..# #..# .### ...# ###.
z .... .... #### ..#. .#.. #... ####
ä .... #..# .##. ...# .### #..# .###
ö .... #..# .##. #..# #..# #..# .##.
ü .... #..# .... #..# #..# #..# .###
ß .##. #..# #..# #.#. #..# #..# #.#.
0 .###. #...# #..## #.#.# ##..# #...# .###.
1 .#. ##. .#. .#. .#. .#. ###
2 .###. #...# ....# ...#. ..#.. .#... #####
3 ####. ....# ....# .###. ....# ....# ####.
4 ...#. ..##. .#.#. #..#. ##### ...#. ...#.
5 ##### #.... ####. ....# ....# #...# .###.
6 ..##. .#... #.... ####. #...# #...# .###.
7 ##### ....# ...#. ..#.. .#... .#... .#...
8 .###. #...# #...# .###. #...# #...# .###.
9 .###. #...# #...# .#### ....# ...#. .##..
. . . . . . . #
, . . . . . . # #
: . . . # . . #
- ... ... ... ... ### ... ...
! # # # # # . #
? .##. #..# ...# ..#. .#.. .... .#..
( .# #. #. #. #. #. .#
) #. .# .# .# .# .# #.
/ ..# ..# .#. .#. .#. #.. #..
'''

BITMAP_SPACE = 3  # columns of a space
BITMAP_GAP = 1    # columns between two letters


def _parse_bitmap_font(text):
    glyphs = {}
    for line in text.strip().splitlines():
        ch, rows = line[0], line[2:].split()
        width = len(rows[0])
        if any(len(r) != width for r in rows):
            raise SystemExit('bitmap font: rows of %r differ in width' % ch)
        glyphs[ch] = rows
    return glyphs


BITMAP_GLYPHS = _parse_bitmap_font(BITMAP_GLYPHS_TEXT)


def bitmap_text_width(text):
    width = 0
    for ch in text:
        width += BITMAP_SPACE if ch == ' ' else len(BITMAP_GLYPHS[ch][0])
        width += BITMAP_GAP
    return width - BITMAP_GAP


def draw_bitmap_text(c, text, x, top, colour):
    colour = hex_colour(colour) if isinstance(colour, str) else colour
    for ch in text:
        if ch == ' ':
            x += BITMAP_SPACE + BITMAP_GAP
            continue
        if ch not in BITMAP_GLYPHS:
            raise SystemExit('the bitmap font has no letter %r' % ch)
        rows = BITMAP_GLYPHS[ch]
        for dy, row in enumerate(rows):
            for dx, bit in enumerate(row):
                if bit == '#':
                    c.blend(x + dx, top + dy, colour, colour[3])
        x += len(rows[0]) + BITMAP_GAP


# ---------------------------------------------------------------------------------------------
# Banner.

PRODUCT_NAME = 'Velmora'
TAGLINE = 'Das Startmenü für Windows 7'


def banner_pixels():
    c = Canvas(BANNER_WIDTH, BANNER_HEIGHT)
    # A calm vertical gradient: light at the top, a clear blue towards the bottom edge.
    sky = linear(0, 0, 0, BANNER_HEIGHT, [(0.0, '#ffffff'), (0.55, '#eaf3fc'), (1.0, '#c9def4')])
    for y in range(BANNER_HEIGHT):
        colour = sky(0, y + 0.5)
        for x in range(BANNER_WIDTH):
            c.pixels[y * BANNER_WIDTH + x] = list(colour)
    # Two soft sweeps behind the text, kept clear of the icon squares.
    left = BANNER_ICON_SPOTS[0][0] + BANNER_ICON_SIZE + 8
    right = BANNER_ICON_SPOTS[1][0] - 8
    lane = box(left, 0, right, BANNER_HEIGHT)
    for cy, r, alpha in ((160.0, 128.0, 0.16), (170.0, 124.0, 0.10)):
        sweep = intersect(lane, subtract(circle(150.0, cy, r + 3.0), circle(150.0, cy, r)))
        fade = linear(left, 0, right, 0, [(0.0, (255, 255, 255, 0.0)), (0.5, (255, 255, 255, alpha * 4)),
                                          (1.0, (255, 255, 255, 0.0))])
        c.draw(sweep, fade)
    # The bottom edge: a thin blue line with a light one above it.
    edge = linear(0, 0, BANNER_WIDTH, 0, [(0.0, '#1d5cb0'), (0.5, '#3d8ee0'), (1.0, '#1d5cb0')])
    for x in range(BANNER_WIDTH):
        c.blend(x, BANNER_HEIGHT - 3, (255, 255, 255), 0.8)
        c.blend(x, BANNER_HEIGHT - 2, edge(x + 0.5, 0), 1.0)
        c.blend(x, BANNER_HEIGHT - 1, edge(x + 0.5, 0), 1.0)

    cap = 18.0
    weight = 1.5
    name, width = stroke_text(PRODUCT_NAME, 0.0, 0.0, cap, weight)
    x0 = BANNER_WIDTH / 2.0 - width / 2.0
    top = 8.0
    name = translate(name, round(x0), top)
    c.draw(translate(name, 0.0, 1.0), solid((255, 255, 255, 1.0)))
    c.draw(name, linear(0, top, 0, top + cap, [(0.0, '#3f86d6'), (1.0, '#123f80')]))

    tag_width = bitmap_text_width(TAGLINE)
    draw_bitmap_text(c, TAGLINE, (BANNER_WIDTH - tag_width) // 2, 34, '#3b4c63')
    return c.rgba_bytes()


# ---------------------------------------------------------------------------------------------

def outputs():
    files = {}
    for name, painter in COMMAND_BITMAPS:
        files['Grafiken/' + name] = command_bitmap(name, painter)
    files['Grafiken/Banner.bmp'] = bmp24(BANNER_WIDTH, BANNER_HEIGHT, banner_pixels())
    # 32x32 first: a load without a size asks for the first image of the file.
    files['Grafiken/Quarnet-Logo.ico'] = ico([(32, icon_pixels(draw_maker_logo, 32)),
                                             (16, icon_pixels(draw_maker_logo, 16))])
    product = {size: icon_pixels(draw_product_icon, size) for size in (16, 32, 48)}
    files['Grafiken/Velmora.ico'] = ico([(32, product[32]), (16, product[16])])
    files['app/resources/Velmora.ico'] = ico([(16, product[16]), (32, product[32]), (48, product[48])])
    return files


def main(argv):
    check = '--check' in argv[1:]
    stale = []
    for relative, data in sorted(outputs().items()):
        path = os.path.join(ROOT, *relative.split('/'))
        if check:
            try:
                with open(path, 'rb') as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                stale.append(relative)
            continue
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
        print('%-32s %6d bytes' % (relative, len(data)))
    if stale:
        print('not as the generator draws them: ' + ', '.join(stale))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
