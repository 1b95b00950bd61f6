"""The pointing-hand cursor (.cur), the program icon (.ico) and the same icon
as PNGs for the Linux desktop's icon theme."""

import struct

import pngfile

# ------------------------------------------------------------------ cursor

# White areas of the hand, as (x0, y0, x1, y1) inclusive boxes.  The black
# outline is everything next to white, so gaps of one pixel between boxes
# come out as the lines between the curled fingers.
HAND_WHITE = [
    (2, 1, 3, 1), (1, 2, 4, 16),          # index finger, pointing up
    (7, 10, 8, 10), (6, 11, 9, 16),       # middle finger, curled
    (12, 11, 13, 11), (11, 12, 14, 16),   # ring finger
    (17, 13, 17, 13), (16, 14, 18, 17),   # little finger
    (1, 16, 18, 24), (2, 25, 17, 25), (3, 26, 16, 26),   # palm
    (3, 28, 16, 30),                      # cuff
]
# lines drawn over the white: the edge of the thumb folded across the palm
HAND_LINES = [(1, 22), (2, 22), (3, 21), (4, 21), (5, 20), (6, 20), (7, 19), (8, 19),
              (9, 18), (10, 18), (11, 18), (12, 19)]


def hand_pixels():
    """32 rows of 32 chars: 'X' black, '.' white, ' ' transparent."""
    white = [[False] * 32 for _ in range(32)]
    for x0, y0, x1, y1 in HAND_WHITE:
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                white[y][x] = True
    rows = []
    for y in range(32):
        row = []
        for x in range(32):
            if white[y][x]:
                row.append('.')
                continue
            near = any(0 <= y + dy < 32 and 0 <= x + dx < 32 and white[y + dy][x + dx]
                       for dy in (-1, 0, 1) for dx in (-1, 0, 1))
            row.append('X' if near else ' ')
        rows.append(row)
    for x, y in HAND_LINES:
        rows[y][x] = 'X'
    return [''.join(r) for r in rows]


def mask_rows(rows, bit_on):
    """1-bpp rows bottom-up, each padded to 4 bytes."""
    out = b''
    w = len(rows[0])
    stride = ((w + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, ch in enumerate(row):
            if bit_on(ch):
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def cursor(hot=(0, 0)):
    rows = hand_pixels()
    xor = mask_rows(rows, lambda c: c == '.')          # white where the hand is white
    and_ = mask_rows(rows, lambda c: c == ' ')         # see-through outside it
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 1, 0, len(xor) + len(and_), 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    image = header + palette + xor + and_
    entry = struct.pack('<BBBBHHII', 32, 32, 2, 0, hot[0], hot[1], len(image), 22)
    return struct.pack('<HHH', 0, 2, 1) + entry + image


# -------------------------------------------------------------------- icon

ICON_PALETTE = [
    (0, 0, 0), (104, 0, 86), (190, 24, 170), (236, 72, 220),
    (255, 160, 246), (255, 255, 255), (150, 10, 130), (128, 128, 128),
] + [(0, 0, 0)] * 8
OUT, EDGE, FACE, LIGHT, GLINT, WHITE, DARK = 0, 1, 2, 3, 4, 5, 6


def lozenge(size):
    """Palette indices and a transparency map for a faceted magenta diamond."""
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.25
    inside = [[abs(x - c) + abs(y - c) <= r for x in range(size)] for y in range(size)]
    idx = [[OUT] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            if not inside[y][x]:
                continue
            edge = any(not (0 <= x + dx < size and 0 <= y + dy < size and inside[y + dy][x + dx])
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                idx[y][x] = EDGE
            elif x - c < 0 and y - c < 0:
                idx[y][x] = LIGHT          # upper-left facet catches the light
            elif x - c >= 0 and y - c >= 0:
                idx[y][x] = DARK
            else:
                idx[y][x] = FACE
    # a small glint on the bright facet
    g = max(1, size // 10)
    gx, gy = int(c - size * 0.2), int(c - size * 0.2)
    for y in range(gy - g + 1, gy + 1):
        for x in range(gx - g + 1, gx + 1):
            if inside[y][x] and idx[y][x] == LIGHT:
                idx[y][x] = GLINT
    return idx, inside


def icon_image(size):
    idx, inside = lozenge(size)
    stride = ((size * 4 + 31) // 32) * 4
    xor = b''
    for row in reversed(idx):
        b = bytearray(stride)
        for x, v in enumerate(row):
            b[x // 2] |= v << (4 if x % 2 == 0 else 0)
        xor += bytes(b)
    and_ = mask_rows([''.join(' ' if not v else '#' for v in row) for row in inside],
                     lambda ch: ch == ' ')
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, len(xor) + len(and_),
                         0, 0, 16, 0)
    palette = b''.join(bytes([b, g, r, 0]) for r, g, b in ICON_PALETTE)
    return header + palette + xor + and_


def icon():
    images = [icon_image(32), icon_image(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, img in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    return out + b''.join(images)


# The sizes of the desktop's icon theme (hicolor) that the Linux install fills.
HICOLOR_SIZES = (16, 24, 32, 48, 64, 128, 256)


def icon_png(size):
    """The lozenge of the .ico at any size, clear around it."""
    idx, _ = lozenge(size)
    return pngfile.indexed(size, size, ICON_PALETTE[:DARK + 1], [v for row in idx for v in row], clear=OUT)
