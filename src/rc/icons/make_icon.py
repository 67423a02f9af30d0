#!/usr/bin/env python3
"""Draws the program icon (a handset resting on a telephone console with a
display and a keypad) and writes quorvia.ico beside this script, and the
desktop's icon theme copies of it into hicolor/ beside this script.

Images of the .ico, in the order the icon group lists them:
  1. 32x32, 4 bits per pixel (16-colour palette)
  2. 16x16, 4 bits per pixel
  3. 32x32, 8 bits per pixel (256-colour palette)
  4. 16x16, 8 bits per pixel
Each is a BMP DIB with its palette and a 1-bit AND mask.

The theme has the same picture as a scalable SVG and as PNGs with an alpha
channel from 16 to 256 pixels: the 16-pixel one from the 16-pixel drawing,
the others from the 32-pixel drawing scaled.

Standard library only. The files are committed; run this again only to
change the picture. --preview DIR also writes enlarged PNGs for a look.
"""

import argparse
import os
import struct
import zlib

# The 16 colours of the classic VGA palette; the 4-bit images use exactly these.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, TEAL, SILVER, GREY, RED, CYAN, WHITE = (
    VGA16[0], VGA16[1], VGA16[6], VGA16[7], VGA16[8], VGA16[9], VGA16[14], VGA16[15])

SUPERSAMPLE = 8

# The desktop's name for the icon (the program's desktop entry id) and the
# sizes of the theme's PNGs.
APP_ID = 'com.belmar.Quorvia'
THEME_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


# A layer is a box with rounded corners, (x0, y0, x1, y1, radius) in pixels
# of the drawing, and its paint: ('flat', colour) or ('vertical', top,
# bottom, y0, y1), a shade from top to bottom between y0 and y1.


def rounded_box(x0, y0, x1, y1, r):
    return (x0, y0, x1, y1, r)


def inside_test(box):
    """Inside test for an axis-aligned box with rounded corners (pixel units)."""
    x0, y0, x1, y1, r = box

    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def lerp(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def vertical(top, bottom, y0, y1):
    return ('vertical', top, bottom, y0, y1)


def flat(c):
    return ('flat', c)


def colour_function(paint):
    if paint[0] == 'flat':
        c = paint[1]
        return lambda _x, _y: c
    _, top, bottom, y0, y1 = paint

    def colour(_x, y):
        t = min(max((y - y0) / max(y1 - y0, 1e-6), 0.0), 1.0)
        return lerp(top, bottom, t)
    return colour


# Each size's hand-placed geometry, (x0, y0, x1, y1, radius) and paint, in
# painting order: the console (body, its darker front edge, the display),
# the keypad (x, y, columns, rows, x step, y step, key width, key height),
# then the handset (the handle band with an ear cup and a mouth cup below
# its ends).
DRAWINGS = {
    32: {
        'console': [((1, 15, 31, 30, 3.5), 'outline'), ((2, 16, 30, 29, 2.5), 'body'),
                    ((2, 26, 30, 29, 2.5), 'front'), ((4, 18, 15, 24, 1), 'outline'),
                    ((5, 19, 14, 23, 0.5), 'lcd')],
        'keypad': (17, 18, 3, 3, 4, 3, 3, 2),
        'handset': [((2, 3, 30, 10, 3.5), 'outline'), ((1, 6, 12, 15, 3), 'outline'),
                    ((20, 6, 31, 15, 3), 'outline'), ((3, 4, 29, 9, 2.5), 'hand'),
                    ((2, 7, 11, 14, 2), 'hand'), ((21, 7, 30, 14, 2), 'hand'),
                    ((7, 5, 25, 6, 0.5), 'shine')],
    },
    16: {
        'console': [((0, 8, 16, 16, 1.6), 'outline'), ((1, 9, 15, 15, 1), 'body'),
                    ((1, 14, 15, 15, 0.5), 'front'), ((2, 10, 7, 13, 0.3), 'outline'),
                    ((3, 11, 6, 12, 0.01), 'lcd')],
        'keypad': (8, 10, 3, 2, 2, 2, 1, 1),
        'handset': [((1, 1, 15, 5, 1.8), 'outline'), ((0, 3, 6, 8, 1.5), 'outline'),
                    ((10, 3, 16, 8, 1.5), 'outline'), ((2, 2, 14, 4, 0.9), 'hand'),
                    ((1, 4, 5, 7, 0.9), 'hand'), ((11, 4, 15, 7, 0.9), 'hand')],
    },
}


def scene(size, rich):
    """Layers (inside test, colour function), painted in order.

    Coordinates are in pixels of the target size; each size has its own
    hand-placed geometry so the small icon stays crisp. rich selects the
    shaded palette of the 8-bit images; otherwise VGA colours are used.
    """
    outline = (34, 36, 44) if rich else BLACK
    if rich:
        body = vertical((196, 204, 216), (112, 122, 140), 0, size)
        front = flat((86, 94, 110))
        hand = vertical((236, 74, 60), (150, 24, 22), 0, size / 2)
        shine = flat((250, 150, 140))
        lcd = vertical((176, 236, 214), (88, 176, 156), 0, size)
        key = flat((250, 250, 252))
    else:
        body, front, hand, shine = flat(SILVER), flat(GREY), flat(RED), flat(WHITE)
        lcd, key = flat(CYAN), flat(WHITE)
    paints = {'outline': flat(outline), 'body': body, 'front': front, 'hand': hand,
              'shine': shine, 'lcd': lcd}
    drawing = DRAWINGS[32 if size == 32 else 16]
    layers = [(rounded_box(*box), paints[paint], 0.0) for box, paint in drawing['console']]
    x0, y0, columns, rows, dx, dy, w, h = drawing['keypad']
    for row in range(rows):
        for col in range(columns):
            x, y = x0 + col * dx, y0 + row * dy
            layers.append((rounded_box(x, y, x + w, y + h, 0.01), key, 0.0))
    layers += [(rounded_box(*box), paints[paint], 0.0) for box, paint in drawing['handset']]
    return layers


def samples(layers, px, py, n, scale):
    """The colours (None: nothing) at n x n points of a pixel; scale maps
    the pixel's coordinates to the drawing's."""
    out = []
    for sy in range(n):
        for sx in range(n):
            x = (px + (sx + 0.5) / n) * scale
            y = (py + (sy + 0.5) / n) * scale
            colour = None
            for inside, paint in layers:
                if inside(x, y):
                    colour = paint(x, y)
            out.append(colour)
    return out


def compiled(layers):
    return [(inside_test(box), colour_function(paint)) for box, paint, _ in layers]


def render(size, rich):
    """Returns rows of (r, g, b, opaque) pixels, row 0 at the top."""
    layers = compiled(scene(size, rich))
    pixels = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            covered = [c for c in samples(layers, px, py, n, 1.0) if c is not None]
            opaque = len(covered) * 2 > n * n
            if not covered:
                row.append((0, 0, 0, False))
            elif rich:
                avg = tuple(round(sum(c[i] for c in covered) / len(covered)) for i in range(3))
                row.append(avg + (opaque,))
            else:
                # No blending at 16 colours: the colour most samples show.
                counts = {}
                for c in covered:
                    counts[c] = counts.get(c, 0) + 1
                best = max(counts.items(), key=lambda kv: kv[1])[0]
                row.append(best + (opaque,))
        pixels.append(row)
    return pixels


def render_rgba(size):
    """Rows of (r, g, b, a) pixels with the coverage as alpha: the 16-pixel
    drawing at 16, the 32-pixel one scaled at every other size."""
    design = 16 if size == 16 else 32
    layers = compiled(scene(design, True))
    n = SUPERSAMPLE if size <= 64 else SUPERSAMPLE // 2
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            covered = [c for c in samples(layers, px, py, n, design / size) if c is not None]
            if not covered:
                row.append((0, 0, 0, 0))
                continue
            avg = tuple(round(sum(c[i] for c in covered) / len(covered)) for i in range(3))
            row.append(avg + (round(255 * len(covered) / (n * n)),))
        pixels.append(row)
    return pixels


def svg():
    """The 32-pixel drawing as a scalable picture."""
    defs, shapes = [], []
    for (x0, y0, x1, y1, r), paint, _ in scene(32, True):
        if paint[0] == 'flat':
            fill = '#%02x%02x%02x' % paint[1]
        else:
            _, top, bottom, g0, g1 = paint
            gid = 'shade%d' % len(defs)
            defs.append(
                '<linearGradient id="%s" gradientUnits="userSpaceOnUse" x1="0" y1="%g" x2="0" '
                'y2="%g"><stop offset="0" stop-color="#%02x%02x%02x"/>'
                '<stop offset="1" stop-color="#%02x%02x%02x"/></linearGradient>'
                % ((gid, g0, g1) + tuple(top) + tuple(bottom)))
            fill = 'url(#%s)' % gid
        shapes.append('<rect x="%g" y="%g" width="%g" height="%g" rx="%g" fill="%s"/>'
                      % (x0, y0, x1 - x0, y1 - y0, r, fill))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="128" height="128" '
            'viewBox="0 0 32 32">\n<defs>\n' + '\n'.join(defs) + '\n</defs>\n'
            + '\n'.join(shapes) + '\n</svg>\n')


def nearest(palette, c):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)))


def palette_256(images):
    """VGA16 first, then the most used colours of the images, padded to 256."""
    counts = {}
    for img in images:
        for row in img:
            for r, g, b, opaque in row:
                if opaque:
                    counts[(r, g, b)] = counts.get((r, g, b), 0) + 1
    palette = list(VGA16)
    for colour, _ in sorted(counts.items(), key=lambda kv: (-kv[1], kv[0])):
        if len(palette) == 256:
            break
        if colour not in palette:
            palette.append(colour)
    while len(palette) < 256:
        palette.append((0, 0, 0))
    return palette


def dib(pixels, bits, palette):
    """BITMAPINFOHEADER, palette, XOR bitmap and AND mask, rows bottom-up."""
    size = len(pixels)
    colours = 1 << bits
    xor_stride = ((size * bits + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):
        line = bytearray(xor_stride)
        bitsline = bytearray(and_stride)
        for x, (r, g, b, opaque) in enumerate(row):
            index = nearest(palette, (r, g, b)) if opaque else 0
            if bits == 4:
                line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            else:
                line[x] = index
            if not opaque:
                bitsline[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bitsline
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(mask), 0, 0, colours, 0)
    quads = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in palette[:colours])
    return header + quads + bytes(xor) + bytes(mask)


def png_rgba(rows):
    """A PNG of rows of (r, g, b, a) pixels."""
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    return (b'\x89PNG\r\n\x1a\n'
            + chunk(b'IHDR', struct.pack('>IIBBBBB', len(rows[0]), len(rows), 8, 6, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9))
            + chunk(b'IEND', b''))


def png(pixels, scale):
    """An enlarged preview over a checkerboard, for looking at only."""
    size = len(pixels) * scale
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            r, g, b, opaque = pixels[y // scale][x // scale]
            if not opaque:
                light = ((x // 8) + (y // 8)) % 2
                r = g = b = 200 if light else 160
            row.append((r, g, b, 255))
        rows.append(row)
    return png_rgba(rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument('--out', default=os.path.join(here, 'quorvia.ico'))
    parser.add_argument('--theme', default=os.path.join(here, 'hicolor'), metavar='DIR')
    parser.add_argument('--preview', metavar='DIR')
    args = parser.parse_args()

    flat32, flat16 = render(32, False), render(16, False)
    rich32, rich16 = render(32, True), render(16, True)
    pal256 = palette_256([rich32, rich16])
    images = [
        (32, 4, dib(flat32, 4, VGA16)),
        (16, 4, dib(flat16, 4, VGA16)),
        (32, 8, dib(rich32, 8, pal256)),
        (16, 8, dib(rich16, 8, pal256)),
    ]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16 if bits == 4 else 0, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    with open(args.out, 'wb') as f:
        f.write(out)

    for size in THEME_SIZES:
        folder = os.path.join(args.theme, '%dx%d' % (size, size), 'apps')
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, APP_ID + '.png'), 'wb') as f:
            f.write(png_rgba(render_rgba(size)))
    folder = os.path.join(args.theme, 'scalable', 'apps')
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, APP_ID + '.svg'), 'w', encoding='utf-8') as f:
        f.write(svg())

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        for name, pixels in (('32x4', flat32), ('16x4', flat16), ('32x8', rich32),
                             ('16x8', rich16)):
            with open(os.path.join(args.preview, 'icon-%s.png' % name), 'wb') as f:
                f.write(png(pixels, 256 // len(pixels)))


if __name__ == '__main__':
    main()
