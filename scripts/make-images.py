#!/usr/bin/env python3
"""Writes Marrowick's images into res/: the program icon (main.ico, 16, 32 and
48 pixels, 32-bit with alpha), the toolbar strip (toolbar.bmp, seven 16 x 16
images, 4 bits per pixel) and the header's sort arrows (sortarrows.bmp, two
14 x 14 images, 4 bits per pixel). Light grey RGB(192, 192, 192) is the
transparent colour of both bitmaps, so no picture may use it.

Python 3 standard library only; the file bytes are written here.
Usage: python3 scripts/make-images.py [output folder, default res/]
"""
import math
import os
import struct
import sys

# The 16 colours of the classic 4-bit system palette, by the letters the
# pixel maps below use. '.' is light grey, the mask colour.
PALETTE = [
    ('k', (0, 0, 0)), ('r', (128, 0, 0)), ('g', (0, 128, 0)), ('o', (128, 128, 0)),
    ('n', (0, 0, 128)), ('p', (128, 0, 128)), ('t', (0, 128, 128)), ('.', (192, 192, 192)),
    ('d', (128, 128, 128)), ('R', (255, 0, 0)), ('G', (0, 255, 0)), ('Y', (255, 255, 0)),
    ('B', (0, 0, 255)), ('M', (255, 0, 255)), ('C', (0, 255, 255)), ('w', (255, 255, 255)),
]
INDEX = {letter: i for i, (letter, _) in enumerate(PALETTE)}

# Toolbar images in button order: select folder, open link, copy files,
# save, refresh, properties, find.
TOOLBAR = [
    [  # folder
        "................",
        "................",
        "................",
        "..kkkkk.........",
        ".kYwYYYk........",
        ".kwYYYYYkkkkkkk.",
        ".kYYYYYYYYYYYYok",
        ".kYkkkkkkkkkkkkk",
        ".kYkwYYYYYYYYYYk",
        ".kkwYYYYYYYYYYok",
        ".kkYYYYYYYYYYYok",
        ".kwYYYYYYYYYYok.",
        ".kYYYYYYYYYYYok.",
        ".kooooooooooook.",
        "..kkkkkkkkkkkkk.",
        "................",
    ],
    [  # globe with meridians and land
        "................",
        ".....kkkkkk.....",
        "...kkBGGBBBkk...",
        "..kBGGGGBCBBBk..",
        "..kBBGGGBCBBGk..",
        ".kCCCCGCCCCCGGk.",
        ".kBBBBGGBCBBGGk.",
        ".kBBBBBGGCBBBBk.",
        ".kBBBBBGGCBBBBk.",
        ".kCCCCCGCCGGCCk.",
        ".kBBBBBBBCGGGBk.",
        "..kBBBBBBCGGBk..",
        "..kBBBBBBCBBBk..",
        "...kkBBBBBBkk...",
        ".....kkkkkk.....",
        "................",
    ],
    [  # two pages, the front one overlapping the back one
        "................",
        ".kkkkkkkk.......",
        ".kwwwwwwkk......",
        ".kwddddwkwk.....",
        ".kwwwwwwkkkk....",
        ".kwddkkkkkkkk...",
        ".kwwwkwwwwwwkk..",
        ".kwddkwddddwkwk.",
        ".kwwwkwwwwwwkkkk",
        ".kwddkwddddddwwk",
        ".kwwwkwwwwwwwwwk",
        ".kkkkkwddddddwwk",
        ".....kwwwwwwwwwk",
        ".....kwddddddwwk",
        ".....kwwwwwwwwwk",
        ".....kkkkkkkkkkk",
    ],
    [  # floppy disk: label on top, metal shutter below
        "................",
        ".kkkkkkkkkkkkkk.",
        ".knkwwwwwwwwknk.",
        ".knkwwwwwwwwknk.",
        ".knkwddddddwknk.",
        ".knkwwwwwwwwknk.",
        ".knkwddddddwknk.",
        ".knkkkkkkkkkknk.",
        ".knnnnnnnnnnnnk.",
        ".knnkkkkkkkknnk.",
        ".knnkddddnwdknk.",
        ".knnkddddnwdknk.",
        ".knnkddddnwdknk.",
        ".knnkddddddddnk.",
        "..kkkkkkkkkkkkk.",
        "................",
    ],
    [  # refresh: two arrows chasing each other round a circle
        "................",
        ".....gggggg.....",
        "...ggGGGGGGgg...",
        "..gGGggggggGGg..",
        "..ggg......gGg..",
        ".........gGGGGGg",
        "..........gGGGg.",
        "...g.......gGg..",
        "..gGg.......g...",
        ".gGGGg..........",
        "gGGGGGg.........",
        "..gGg......ggg..",
        "..gGGggggggGGg..",
        "...ggGGGGGGgg...",
        ".....gggggg.....",
        "................",
    ],
    [  # properties sheet: title bar, labels and value fields
        "................",
        ".kkkkkkkkkkkkkk.",
        ".knnnnnnnnnnnnk.",
        ".knnnnnnnnnwnwk.",
        ".kkkkkkkkkkkkkk.",
        ".kwwwwwwwwwwwwk.",
        ".kwkkwdddddddwk.",
        ".kwwwwwwwwwwwwk.",
        ".kwkkwdddddddwk.",
        ".kwwwwwwwwwwwwk.",
        ".kwkkwdddddddwk.",
        ".kwwwwwwwwwwwwk.",
        ".kwkkwddddwwwwk.",
        ".kwwwwwwwwwwwwk.",
        ".kkkkkkkkkkkkkk.",
        "................",
    ],
    [  # magnifier: glass with a highlight, handle to the lower right
        "................",
        "....kkkkk.......",
        "..kkdwwwdkk.....",
        "..kdwwCCCwdk....",
        ".kdwCwCCCCwdk...",
        ".kwwwCCCCCCwk...",
        ".kwCCCCCCCCwk...",
        ".kwCCCCCCCCwk...",
        ".kdwCCCCCCwdk...",
        "..kdwCCCCwdk....",
        "..kkdwwwwdkkk...",
        "....kkkkkkrrrk..",
        "..........krrrk.",
        "...........krrrk",
        "............krrk",
        ".............kk.",
    ],
]

# Sort arrows: a solid black triangle, 9 pixels wide and 5 high, ringed by
# one white pixel. The black reads on a light header, the white ring outlines
# the shape on a dark one. The list loads them at 14 x 14 whatever the DPI.
SORT_ARROWS = [
    [  # 0: pointing down
        "..............",
        "..............",
        "..............",
        "..............",
        ".wwwwwwwwwww..",
        ".wkkkkkkkkkw..",
        "..wkkkkkkkw...",
        "...wkkkkkw....",
        "....wkkkw.....",
        ".....wkw......",
        "......w.......",
        "..............",
        "..............",
        "..............",
    ],
    [  # 1: pointing up
        "..............",
        "..............",
        "..............",
        "......w.......",
        ".....wkw......",
        "....wkkkw.....",
        "...wkkkkkw....",
        "..wkkkkkkkw...",
        ".wkkkkkkkkkw..",
        ".wwwwwwwwwww..",
        "..............",
        "..............",
        "..............",
        "..............",
    ],
]


def strip_rows(images, size):
    """Places square pixel maps side by side; returns rows of palette indexes."""
    rows = []
    for y in range(size):
        row = []
        for image in images:
            line = image[y]
            assert len(image) == size and len(line) == size, (y, line)
            row.extend(INDEX[c] for c in line)
        rows.append(row)
    return rows


def bmp_4bpp(rows):
    """A bottom-up BITMAPINFOHEADER file with the 16-colour palette."""
    height, width = len(rows), len(rows[0])
    stride = ((width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for x in range(0, width, 2):
            right = row[x + 1] if x + 1 < width else 0
            line.append((row[x] << 4) | right)
        pixels += line + bytes(stride - len(line))
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for _, (r, g, b) in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    return header + info + palette + bytes(pixels)


# --- The icon: a cabinet of three drawers with a magnifier in front -------

def in_round_rect(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def near_segment(x, y, x0, y0, x1, y1, half_width):
    dx, dy = x1 - x0, y1 - y0
    t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= half_width


def icon_shapes(size):
    """Painter's list of (test, RGBA) in unit coordinates, back to front.
    The 16-pixel icon gets a wider cabinet, a smaller glass and thicker
    strokes so that drawers and magnifier both stay legible."""
    small = size <= 16
    outline = (24, 44, 66, 255)
    body = (38, 92, 126, 255)
    front = (120, 186, 214, 255)
    handle = (24, 44, 66, 255)
    rim = (232, 128, 28, 255)
    rim_dark = (120, 58, 10, 255)
    glass = (226, 246, 252, 200) if small else (214, 240, 250, 150)
    right = 0.84 if small else 0.74
    shapes = [
        (lambda x, y: in_round_rect(x, y, 0.03, 0.03, right, 0.97, 0.08), outline),
        (lambda x, y: in_round_rect(x, y, 0.09, 0.09, right - 0.06, 0.91, 0.04), body),
    ]
    gap = 0.07 if small else 0.045
    inset = 0.03 if small else 0.02
    drawer_h = (0.82 - 2 * gap) / 3
    centre = (0.09 + right - 0.06) / 2
    for i in range(3):
        top = 0.09 + i * (drawer_h + gap) + inset
        bottom = top + drawer_h - inset
        shapes.append((lambda x, y, t=top, b=bottom: in_round_rect(x, y, 0.15, t, right - 0.12, b, 0.03), front))
        mid = (top + bottom) / 2
        hw, hh = (0.13, 0.045) if small else (0.10, 0.035)
        shapes.append((lambda x, y, m=mid, w=hw, h=hh: in_round_rect(x, y, centre - w, m - h, centre + w, m + h, h),
                       handle))
    cx, cy, r = (0.66, 0.64, 0.17) if small else (0.64, 0.60, 0.21)
    ring = 0.085 if small else 0.06
    shapes += [
        (lambda x, y: near_segment(x, y, cx + (r + ring) * 0.7, cy + (r + ring) * 0.7, 0.93, 0.93, 0.09 if small else 0.07), rim_dark),
        (lambda x, y: r < math.hypot(x - cx, y - cy) <= r + ring + 0.025, rim_dark),
        (lambda x, y: r < math.hypot(x - cx, y - cy) <= r + ring, rim),
        (lambda x, y: math.hypot(x - cx, y - cy) <= r, glass),
    ]
    if not small:
        shapes.append((lambda x, y: near_segment(x, y, cx - 0.11, cy - 0.02, cx - 0.03, cy - 0.11, 0.025),
                       (255, 255, 255, 230)))
    return shapes


def render_icon(size, samples=6):
    """Supersampled painter's rendering; returns rows of (r, g, b, a)."""
    shapes = icon_shapes(size)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    r = g = b = a = 0.0
                    for test, (cr, cg, cb, ca) in shapes:
                        if test(x, y):
                            alpha = ca / 255.0
                            r = cr * alpha + r * (1 - alpha)
                            g = cg * alpha + g * (1 - alpha)
                            b = cb * alpha + b * (1 - alpha)
                            a = alpha + a * (1 - alpha)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            n = samples * samples
            alpha = acc[3] / n
            if alpha > 0:
                # Straight (not premultiplied) colour, as icons store it.
                row.append(tuple(int(round(c / n / alpha)) for c in acc[:3]) + (int(round(alpha * 255)),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(rows):
    """One 32-bit icon image: header (double height), BGRA rows, AND mask."""
    size = len(rows)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico_file(images):
    """ICONDIR, one directory entry per image, then the images."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b''
    for size, image in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(image), offset + len(data))
        data += image
    return out + data


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, 'res')
    outputs = {
        'toolbar.bmp': bmp_4bpp(strip_rows(TOOLBAR, 16)),
        'sortarrows.bmp': bmp_4bpp(strip_rows(SORT_ARROWS, 14)),
        'main.ico': ico_file([(s, icon_image(render_icon(s))) for s in (16, 32, 48)]),
    }
    for name, data in outputs.items():
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
