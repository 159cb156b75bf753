#!/usr/bin/env python3
"""Renders Velmora's pictures, as they lie in the repository, into one PNG for review.

    python3 tools/preview_graphics.py [out.png]      (default: build/graphics-preview.png)

Shows the command bitmaps at their size and enlarged (with the 13x13 square that the menu shows
under Wine), the banner with both icons laid on it where start-up draws them, and every icon image
on white, on grey and on a dark background.
"""

import os
import struct
import sys
import zlib

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_graphics as mg  # noqa: E402  (names of the files and the places of the icons)


def read_bmp(path):
    data = open(path, 'rb').read()
    if data[:2] != b'BM':
        raise SystemExit(path + ': not a bitmap')
    offset = struct.unpack_from('<I', data, 10)[0]
    _, width, height, _, depth = struct.unpack_from('<IiiHH', data, 14)
    if depth != 24:
        raise SystemExit(path + ': not 24-bit')
    stride = (width * 3 + 3) & ~3
    pixels = []
    for y in range(abs(height)):
        row = (abs(height) - 1 - y) if height > 0 else y
        base = offset + row * stride
        for x in range(width):
            b, g, r = data[base + 3 * x: base + 3 * x + 3]
            pixels.append((r, g, b, 255))
    return width, abs(height), pixels


def read_ico(path):
    """Every image of an icon file as (size, rgba), honouring the AND mask."""
    data = open(path, 'rb').read()
    _, kind, count = struct.unpack_from('<HHH', data, 0)
    images = []
    for i in range(count):
        w, h, _, _, _, depth, size, offset = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        w = w or 256
        header = struct.unpack_from('<IiiHH', data, offset)
        if header[4] != 32:
            raise SystemExit(path + ': only 32-bit images are shown')
        colour = offset + header[0]
        mask = colour + w * w * 4
        mask_stride = ((w + 31) // 32) * 4
        pixels = []
        for y in range(w):
            row = w - 1 - y
            for x in range(w):
                b, g, r, a = data[colour + (row * w + x) * 4: colour + (row * w + x) * 4 + 4]
                if data[mask + row * mask_stride + x // 8] & (0x80 >> (x % 8)):
                    a = 0
                pixels.append((r, g, b, a))
        images.append((w, pixels))
    return images


class Sheet:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.pixels = [list(colour) for _ in range(width * height)]

    def put(self, x, y, rgba, scale=1):
        r, g, b, a = rgba
        for sy in range(scale):
            for sx in range(scale):
                px, py = x + sx, y + sy
                if 0 <= px < self.width and 0 <= py < self.height:
                    p = self.pixels[py * self.width + px]
                    for i, v in enumerate((r, g, b)):
                        p[i] = (v * a + p[i] * (255 - a) + 127) // 255

    def image(self, x, y, width, height, pixels, scale=1):
        for j in range(height):
            for i in range(width):
                self.put(x + i * scale, y + j * scale, pixels[j * width + i], scale)

    def rect(self, x, y, width, height, colour):
        for j in range(height):
            for i in range(width):
                self.put(x + i, y + j, colour)

    def frame(self, x, y, width, height, colour):
        self.rect(x, y, width, 1, colour)
        self.rect(x, y + height - 1, width, 1, colour)
        self.rect(x, y, 1, height, colour)
        self.rect(x + width - 1, y, 1, height, colour)

    def png(self):
        raw = b''.join(b'\0' + bytes(v for p in self.pixels[y * self.width:(y + 1) * self.width]
                                     for v in p[:3]) for y in range(self.height))

        def chunk(kind, body):
            return (struct.pack('>I', len(body)) + kind + body +
                    struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff))
        return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', self.width, self.height, 8, 2, 0, 0, 0)) +
                chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def compose_banner(banner, icons):
    width, height, pixels = banner
    pixels = [tuple(p) for p in pixels]
    out = Sheet(width, height, (0, 0, 0))
    out.image(0, 0, width, height, pixels)
    for (x, y), images in zip(mg.BANNER_ICON_SPOTS, icons):
        size, rgba = next(img for img in images if img[0] == mg.BANNER_ICON_SIZE)
        out.image(x, y, size, size, rgba)
    return out


def main(argv):
    out_path = argv[1] if len(argv) > 1 else os.path.join(ROOT, 'build', 'graphics-preview.png')
    grafiken = os.path.join(ROOT, 'Grafiken')
    commands = [read_bmp(os.path.join(grafiken, name)) for name, _ in mg.COMMAND_BITMAPS]
    banner = read_bmp(os.path.join(grafiken, 'Banner.bmp'))
    logo = read_ico(os.path.join(grafiken, 'Quarnet-Logo.ico'))
    product = read_ico(os.path.join(grafiken, 'Velmora.ico'))
    app = read_ico(os.path.join(ROOT, 'app', 'resources', 'Velmora.ico'))

    zoom = 6
    sheet = Sheet(640, 620, (236, 236, 236))
    # Command bitmaps: actual size, then enlarged with the square the menu shows.
    for i, (w, h, px) in enumerate(commands):
        sheet.image(10 + i * 24, 10, w, h, px)
        x = 10 + (i % 5) * (w * zoom + 8)
        y = 34 + (i // 5) * (h * zoom + 8)
        sheet.image(x, y, w, h, px, zoom)
        sheet.frame(x - 1, y - 1, mg.MENU_VISIBLE * zoom + 2, mg.MENU_VISIBLE * zoom + 2, (255, 0, 160, 255))
    # The banner as the about window shows it, at its size and doubled.
    composed = compose_banner(banner, (logo, product))
    bw, bh = banner[0], banner[1]
    sheet.image(10, 250, bw, bh, [tuple(p) + (255,) for p in composed.pixels])
    sheet.image(10, 315, bw, bh, [tuple(p) + (255,) for p in composed.pixels], 2)
    # Icons on three backgrounds.
    x = 10
    for images in (logo, product, app):
        y = 440
        for size, rgba in images:
            for bg in ((255, 255, 255, 255), (160, 160, 160, 255), (30, 40, 55, 255)):
                sheet.rect(x, y, 52, 52, bg)
                sheet.image(x + (52 - size) // 2, y + (52 - size) // 2, size, size, rgba)
                y += 54
            x += 54
            y = 440
        x += 10
    with open(out_path, 'wb') as f:
        f.write(sheet.png())
    print(out_path)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
