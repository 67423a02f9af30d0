#!/usr/bin/env python3
"""Draws the pictures of the readme pages and writes them beside this script.

  en.gif de.gif fr.gif nl.gif      language flags, 24x16
  top.gif                          "back to top" arrow
  taskicon.gif                     the notification icon (16x16 image of
                                   ../icons/quorvia.ico)
  menu-en.gif ... menu-nl.gif      the notification-area menu, one per language
  vphone.jpg                       a telephone display with two rows

The GIFs are written by this script alone; the JPEG is written as PPM and
converted by ImageMagick's convert. The outputs are committed, so the build
needs neither; run this again only to change a picture. --preview DIR also
writes enlarged PNGs for a look.
"""

import argparse
import os
import struct
import subprocess
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------- canvas


class Canvas:
    """RGB pixels; None marks transparent."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Fills x0..x1-1, y0..y1-1."""
        for y in range(max(y0, 0), min(y1, self.h)):
            for x in range(max(x0, 0), min(x1, self.w)):
                self.px[y][x] = c

    def frame(self, x0, y0, x1, y1, light, dark):
        """A one-pixel raised border (light top left, dark bottom right)."""
        self.rect(x0, y0, x1, y0 + 1, light)
        self.rect(x0, y0, x0 + 1, y1, light)
        self.rect(x0, y1 - 1, x1, y1, dark)
        self.rect(x1 - 1, y0, x1, y1, dark)

    def shape(self, inside, colour, ss=4):
        """Paints where inside(x, y) holds, anti-aliased by supersampling."""
        for y in range(self.h):
            for x in range(self.w):
                hits = sum(inside(x + (i + 0.5) / ss, y + (j + 0.5) / ss)
                           for j in range(ss) for i in range(ss))
                if hits:
                    self.blend(x, y, colour, hits / (ss * ss))

    def blend(self, x, y, c, t):
        base = self.px[y][x]
        if base is None or t >= 1:
            self.px[y][x] = c if (base is not None or t >= 0.5) else None
            return
        self.px[y][x] = tuple(round(base[i] + (c[i] - base[i]) * t) for i in range(3))

    def paste(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                if other.px[y][x] is not None:
                    self.set(ox + x, oy + y, other.px[y][x])


def rounded_box(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def polygon(points):
    """Even-odd inside test."""
    def inside(x, y):
        hit = False
        n = len(points)
        for i in range(n):
            (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit
    return inside


# ---------------------------------------------------------------- font

# A small proportional pixel font: rows top to bottom, '/' between rows.
# Capitals and ascenders use rows 0-6, the x-height rows 2-6, descenders 7-8.
GLYPHS = {
    'A': '.###./#...#/#...#/#####/#...#/#...#/#...#',
    'B': '####./#...#/#...#/####./#...#/#...#/####.',
    'C': '.###./#...#/#..../#..../#..../#...#/.###.',
    'D': '####./#...#/#...#/#...#/#...#/#...#/####.',
    'E': '#####/#..../#..../####./#..../#..../#####',
    'F': '#####/#..../#..../####./#..../#..../#....',
    'I': '###/.#./.#./.#./.#./.#./###',
    'K': '#...#/#..#./#.#../##.../#.#../#..#./#...#',
    'L': '#..../#..../#..../#..../#..../#..../#####',
    'N': '#...#/##..#/#.#.#/#..##/#...#/#...#/#...#',
    'O': '.###./#...#/#...#/#...#/#...#/#...#/.###.',
    'Q': '.###./#...#/#...#/#...#/#.#.#/#..#./.##.#',
    'R': '####./#...#/#...#/####./#.#../#..#./#...#',
    'a': '...../...../.###./....#/.####/#...#/.####',
    'b': '#..../#..../####./#...#/#...#/#...#/####.',
    'c': '...../...../.###./#..../#..../#..../.###.',
    'd': '....#/....#/.####/#...#/#...#/#...#/.####',
    'e': '...../...../.###./#...#/#####/#..../.###.',
    'é': '...#./..#../.###./#...#/#####/#..../.###.',
    'ë': '.#.#./...../.###./#...#/#####/#..../.###.',
    'f': '..##/.#../####/.#../.#../.#../.#..',
    'g': '...../...../.####/#...#/#...#/#...#/.####/....#/.###.',
    'h': '#..../#..../####./#...#/#...#/#...#/#...#',
    'i': '#/./#/#/#/#/#',
    'k': '#.../#.../#..#/#.#./##../#.#./#..#',
    'l': '#./#./#./#./#./#./.#',
    'm': '...../...../##.#./#.#.#/#.#.#/#.#.#/#.#.#',
    'n': '...../...../####./#...#/#...#/#...#/#...#',
    'o': '...../...../.###./#...#/#...#/#...#/.###.',
    'p': '...../...../####./#...#/#...#/#...#/####./#..../#....',
    'q': '...../...../.####/#...#/#...#/#...#/.####/....#/....#',
    'r': '..../..../#.##/##../#.../#.../#...',
    's': '...../...../.####/#..../.###./....#/####.',
    't': '.#./.#./###/.#./.#./.#./..#',
    'u': '...../...../#...#/#...#/#...#/#...#/.####',
    'x': '...../...../#...#/.#.#./..#../.#.#./#...#',
    '0': '.###./#...#/#..##/#.#.#/##..#/#...#/.###.',
    '1': '.#./##./.#./.#./.#./.#./###',
    '2': '.###./#...#/....#/...#./..#../.#.../#####',
    '3': '#####/...#./..#../...#./....#/#...#/.###.',
    '4': '...#./..##./.#.#./#..#./#####/...#./...#.',
    '5': '#####/#..../####./....#/....#/#...#/.###.',
    '6': '..##./.#.../#..../####./#...#/#...#/.###.',
    '7': '#####/....#/...#./..#../.#.../.#.../.#...',
    '8': '.###./#...#/#...#/.###./#...#/#...#/.###.',
    '9': '.###./#...#/#...#/.####/....#/...#./.##..',
    '.': '././././././#',
    ':': '././#/././#/.',
    ' ': '...',
}


def glyph_rows(ch):
    rows = GLYPHS[ch].split('/')
    return rows + ['.' * len(rows[0])] * (9 - len(rows))


def text_width(text, scale=1):
    return sum((len(glyph_rows(ch)[0]) + 1) * scale for ch in text) - scale


def draw_text(canvas, x, y, text, colour, scale=1):
    """y is the top of the capitals."""
    for ch in text:
        rows = glyph_rows(ch)
        for j, row in enumerate(rows):
            for i, bit in enumerate(row):
                if bit == '#':
                    canvas.rect(x + i * scale, y + j * scale,
                                x + (i + 1) * scale, y + (j + 1) * scale, colour)
        x += (len(rows[0]) + 1) * scale
    return x


# ---------------------------------------------------------------- GIF


def quantise(canvas):
    """Palette (at most 255 colours, one more slot for transparency) and indices."""
    step = 1
    while True:
        def q(c, step=step):
            return None if c is None else tuple(min(255, (v // step) * step + step // 2)
                                                if step > 1 else v for v in c)
        colours = {q(c) for row in canvas.px for c in row if c is not None}
        if len(colours) <= 255:
            break
        step *= 2
    palette = sorted(colours)
    index = {c: i for i, c in enumerate(palette)}
    transparent = None
    if any(c is None for row in canvas.px for c in row):
        transparent = len(palette)
        palette.append((255, 255, 255))
    pixels = [transparent if c is None else index[q(c)] for row in canvas.px for c in row]
    return palette, pixels, transparent


def lzw(pixels, min_size):
    clear, end = 1 << min_size, (1 << min_size) + 1
    out, acc, nbits = bytearray(), 0, 0

    def emit(code, size):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    size, table, next_code = min_size + 1, {}, end + 1
    emit(clear, size)
    prefix = pixels[0]
    for k in pixels[1:]:
        if (prefix, k) in table:
            prefix = table[(prefix, k)]
            continue
        emit(prefix, size)
        if next_code < 4096:
            # The reader widens its codes one entry later than we add them.
            if next_code == 1 << size:
                size += 1
            table[(prefix, k)] = next_code
            next_code += 1
        else:
            emit(clear, size)
            size, table, next_code = min_size + 1, {}, end + 1
        prefix = k
    emit(prefix, size)
    emit(end, size)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif(canvas):
    palette, pixels, transparent = quantise(canvas)
    bits = max(2, (len(palette) - 1).bit_length())
    table = b''.join(bytes(c) for c in palette) + b'\0' * 3 * ((1 << bits) - len(palette))
    data = bytearray(b'GIF89a')
    data += struct.pack('<HHBBB', canvas.w, canvas.h, 0x80 | ((bits - 1) << 4) | (bits - 1), 0, 0)
    data += table
    if transparent is not None:
        data += struct.pack('<BBBBHBB', 0x21, 0xF9, 4, 1, 0, transparent, 0)
    data += struct.pack('<BHHHHB', 0x2C, 0, 0, canvas.w, canvas.h, 0)
    data.append(bits)
    stream = lzw(pixels, bits)
    for i in range(0, len(stream), 255):
        chunk = stream[i:i + 255]
        data.append(len(chunk))
        data += chunk
    data += b'\0;'
    return bytes(data)


def png(canvas, scale):
    """An enlarged preview over a checkerboard, for looking at only."""
    rows = []
    for y in range(canvas.h * scale):
        row = bytearray(b'\0')
        for x in range(canvas.w * scale):
            c = canvas.px[y // scale][x // scale]
            if c is None:
                c = (200, 200, 200) if ((x // 8 + y // 8) % 2) else (240, 240, 240)
            row += bytes(c)
        rows.append(bytes(row))

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack(
            '>I', zlib.crc32(kind + body) & 0xFFFFFFFF)
    ihdr = struct.pack('>IIBBBBB', canvas.w * scale, canvas.h * scale, 8, 2, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) +
            chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b''))


def jpeg(canvas, path):
    ppm = b'P6 %d %d 255\n' % (canvas.w, canvas.h) + b''.join(
        bytes(c or (255, 255, 255)) for row in canvas.px for c in row)
    subprocess.run(['convert', 'ppm:-', '-strip', '-sampling-factor', '2x2',
                    '-quality', '85', path], input=ppm, check=True)


# ---------------------------------------------------------------- pictures

OUTLINE = (90, 90, 90)
# The page background of readme.css, behind the JPEG's corners.
PAGE = (244, 245, 247)


def flag_stripes(colours, vertical):
    c = Canvas(24, 16)
    n = len(colours)
    for i, colour in enumerate(colours):
        if vertical:
            c.rect(i * 24 // n, 0, (i + 1) * 24 // n, 16, colour)
        else:
            c.rect(0, i * 16 // n, 24, (i + 1) * 16 // n, colour)
    return c


def flag_en():
    """The Union flag, simplified to fit 24x16."""
    blue, red, white = (1, 33, 105), (200, 16, 46), (255, 255, 255)
    c = Canvas(24, 16, blue)
    w, h = 24.0, 16.0

    def band(ax, ay, bx, by, half):
        dx, dy = bx - ax, by - ay
        length = (dx * dx + dy * dy) ** 0.5

        def inside(x, y):
            return abs((x - ax) * dy - (y - ay) * dx) / length <= half
        return inside
    for a, b in (((0, 0), (w, h)), ((0, h), (w, 0))):
        c.shape(band(*a, *b, 2.2), white)
    for a, b in (((0, 0), (w, h)), ((0, h), (w, 0))):
        c.shape(band(*a, *b, 0.8), red)
    c.rect(9, 0, 15, 16, white)
    c.rect(0, 5, 24, 11, white)
    c.rect(10, 0, 14, 16, red)
    c.rect(0, 6, 24, 10, red)
    return c


def bordered(c):
    for x in range(c.w):
        c.set(x, 0, blend(c.px[0][x], OUTLINE))
        c.set(x, c.h - 1, blend(c.px[c.h - 1][x], OUTLINE))
    for y in range(1, c.h - 1):
        c.set(0, y, blend(c.px[y][0], OUTLINE))
        c.set(c.w - 1, y, blend(c.px[y][c.w - 1], OUTLINE))
    return c


def blend(a, b, t=0.6):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def top_arrow():
    c = Canvas(16, 16)
    c.shape(rounded_box(0.5, 0.5, 15.5, 15.5, 3.5), (44, 86, 150))
    c.shape(polygon([(8, 3), (13, 8.5), (10, 8.5), (10, 13), (6, 13), (6, 8.5), (3, 8.5)]),
            (255, 255, 255))
    return c


def read_icon(path, want_size, want_bits):
    """One image of a .ico as a canvas; transparent where the AND mask is set."""
    with open(path, 'rb') as f:
        data = f.read()
    count = struct.unpack_from('<H', data, 4)[0]
    for i in range(count):
        w, h, _colours, _r, _planes, bits, _size, offset = struct.unpack_from(
            '<BBBBHHII', data, 6 + 16 * i)
        if w == want_size and h == want_size and bits == want_bits:
            break
    else:
        raise SystemExit('no %dx%d %d-bit image in %s' % (want_size, want_size, want_bits, path))
    header = struct.unpack_from('<IiiHHIIiiII', data, offset)
    used = header[9] or (1 << bits)
    pal_at = offset + header[0]
    palette = [tuple(data[pal_at + 4 * k + 2 - j] for j in range(3)) for k in range(used)]
    xor_at = pal_at + 4 * used
    xor_stride = ((w * bits + 31) // 32) * 4
    and_at = xor_at + xor_stride * h
    and_stride = ((w + 31) // 32) * 4
    c = Canvas(w, h)
    for y in range(h):
        src = h - 1 - y
        for x in range(w):
            if data[and_at + src * and_stride + x // 8] & (0x80 >> (x % 8)):
                continue
            if bits == 8:
                k = data[xor_at + src * xor_stride + x]
            else:
                byte = data[xor_at + src * xor_stride + x // 2]
                k = byte >> 4 if x % 2 == 0 else byte & 15
            c.px[y][x] = palette[k]
    return c


MENU_ITEMS = {
    'en': ['Configuration...', 'Login', 'Logout', 'Readme...', 'Info...', '-', 'Quit'],
    'de': ['Konfiguration...', 'Anmelden', 'Abmelden', 'Readme...', 'Info...', '-', 'Beenden'],
    'fr': ['Configuration...', 'Connexion', 'Déconnexion', 'Readme...', 'Infos...', '-',
           'Quitter'],
    'nl': ['Configuratie...', 'Aanmelden', 'Afmelden', 'Readme...', 'Info...', '-',
           'Beëindigen'],
}


def menu(lang, icon):
    """The menu over the notification area, "Readme..." under the pointer."""
    items = MENU_ITEMS[lang]
    face, light, shadow, dark = (236, 236, 236), (255, 255, 255), (160, 160, 160), (80, 80, 80)
    select, text = (52, 101, 164), (20, 20, 20)
    item_h, sep_h, pad = 16, 7, 18
    mw = max(text_width(t) for t in items if t != '-') + 2 * pad
    mh = sum(sep_h if t == '-' else item_h for t in items) + 6
    panel_h = 22
    w, h = mw + 56, mh + panel_h + 6
    c = Canvas(w, h)
    # The panel with the icon, a neighbour and the clock.
    py = h - panel_h
    c.rect(0, py, w, h, (48, 52, 60))
    c.rect(0, py, w, py + 1, (90, 96, 108))
    icon_x = w - 62
    c.rect(icon_x - 3, py + 2, icon_x + 19, py + panel_h - 2, (78, 84, 96))
    c.paste(icon, icon_x, py + 3)
    c.shape(rounded_box(icon_x - 20, py + 6, icon_x - 10, py + 16, 2), (120, 170, 120))
    draw_text(c, w - 34, py + 7, '12:34', (230, 230, 230))
    # The menu, opened above the icon.
    mx, my = icon_x - mw + 26, h - panel_h - mh - 3
    c.rect(mx + 3, my + 3, mx + mw + 3, my + mh + 3, (210, 210, 210))
    c.rect(mx, my, mx + mw, my + mh, face)
    c.frame(mx, my, mx + mw, my + mh, light, dark)
    c.frame(mx + 1, my + 1, mx + mw - 1, my + mh - 1, face, shadow)
    y = my + 3
    for t in items:
        if t == '-':
            c.rect(mx + 4, y + 3, mx + mw - 4, y + 4, shadow)
            c.rect(mx + 4, y + 4, mx + mw - 4, y + 5, light)
            y += sep_h
            continue
        colour = text
        if t == 'Readme...':
            c.rect(mx + 3, y, mx + mw - 3, y + item_h, select)
            colour = (255, 255, 255)
        draw_text(c, mx + pad, y + 4, t, colour)
        y += item_h
    # The mouse pointer, resting on the chosen item.
    ax, ay = mx + mw - 34, my + 3 + 3 * item_h + 9
    arrow = [(0, 0), (0, 13), (3.2, 10), (5.6, 15), (7.6, 14), (5.4, 9.2), (9.5, 9.2)]
    c.shape(polygon([(ax + x * 1.0 - 0.8, ay + y * 1.0 - 1.2) for x, y in
                     [(0, 0), (0, 15.5), (3.6, 12), (5.8, 17), (9.2, 15.6), (7, 10.8),
                      (11.8, 10.8)]]), (0, 0, 0))
    c.shape(polygon([(ax + x, ay + y) for x, y in arrow]), (255, 255, 255))
    return c


def phone_display():
    """A desk telephone's display with its two rows of a ringing call."""
    w, h = 220, 132
    c = Canvas(w, h, PAGE)
    c.shape(rounded_box(4, 4, w - 4, h - 2, 14), (150, 156, 166))
    c.shape(rounded_box(6, 6, w - 6, h - 4, 12), (72, 78, 90))
    c.shape(rounded_box(16, 14, w - 16, 74, 5), (30, 34, 40))
    lcd = Canvas(w - 40, 52)
    lcd.rect(0, 0, lcd.w, lcd.h, (170, 206, 150))
    for y in range(lcd.h):
        for x in range(lcd.w):
            t = y / lcd.h
            lcd.px[y][x] = blend((186, 220, 162), (144, 184, 126), t)
    ink = (32, 44, 30)
    draw_text(lcd, 10, 8, '0301234567', ink, 2)
    draw_text(lcd, 10, 30, 'Call', ink, 2)
    c.paste(lcd, 20, 18)
    # Keys and the lamp of the ringing call.
    for i in range(4):
        x = 22 + i * 40
        c.shape(rounded_box(x, 86, x + 30, 100, 4), (205, 208, 214))
    for i in range(5):
        x = 22 + i * 36
        c.shape(rounded_box(x, 108, x + 26, 120, 3), (150, 156, 166))
    c.shape(lambda x, y: (x - (w - 24)) ** 2 + (y - 93) ** 2 <= 16, (255, 120, 40))
    return c


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--preview', metavar='DIR')
    args = parser.parse_args()

    icon = read_icon(os.path.join(HERE, '..', 'icons', 'quorvia.ico'), 16, 8)
    gifs = {
        'en.gif': bordered(flag_en()),
        'de.gif': bordered(flag_stripes([(0, 0, 0), (221, 0, 0), (255, 206, 0)], False)),
        'fr.gif': bordered(flag_stripes([(0, 35, 149), (255, 255, 255), (237, 41, 57)], True)),
        'nl.gif': bordered(flag_stripes([(174, 28, 40), (255, 255, 255), (33, 70, 139)], False)),
        'top.gif': top_arrow(),
        'taskicon.gif': icon,
    }
    for lang in MENU_ITEMS:
        gifs['menu-%s.gif' % lang] = menu(lang, icon)
    for name, canvas in gifs.items():
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(gif(canvas))
    phone = phone_display()
    jpeg(phone, os.path.join(HERE, 'vphone.jpg'))

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        for name, canvas in list(gifs.items()) + [('vphone.jpg', phone)]:
            scale = 8 if canvas.w <= 32 else 3
            with open(os.path.join(args.preview, name.rsplit('.', 1)[0] + '.png'), 'wb') as f:
                f.write(png(canvas, scale))


if __name__ == '__main__':
    main()
