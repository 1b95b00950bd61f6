"""What the end-to-end scripts read from a screenshot, the cursor resource and a sound file.

  readings.py menu SHOT WxH+X+Y   the menu shown there, as shell assignments: its box (left, top,
      right, bottom; right and bottom exclusive), the bands of rows with dark caption pixels
      (captions, caption_1 ... as their middle rows), the band filled with the highlight's blue
      (lit: its middle row, or -1), whether the edge is of one colour (framed)
  readings.py cursor FILE.cur     what cursor_probe prints for this cursor
  readings.py samples RAW FILE.wav   fails unless the sound's first 4096 bytes are in RAW
"""
import re
import struct
import sys

from PIL import Image


def bands(rows):
    """The middle rows of each run of consecutive rows."""
    runs = []
    for y in rows:
        if runs and y == runs[-1][1] + 1:
            runs[-1][1] = y
        else:
            runs.append([y, y])
    return [(a + b) // 2 for a, b in runs]


def menu(shot, geometry):
    w, h, x, y = map(int, re.split('[x+]', geometry))
    p = Image.open(shot).convert('RGB').load()
    inner = [(j, [p[i, j] for i in range(x + 1, x + w - 1)]) for j in range(y + 1, y + h - 1)]
    captions = bands(j for j, row in inner if sum(max(c) < 0x60 for c in row) >= 2)
    lit = bands(j for j, row in inner if sum(b > 0xB0 and r < 0x60 for r, g, b in row) > len(row) // 2)
    edge = {p[i, j] for i in range(x, x + w) for j in (y, y + h - 1)} | {p[i, j] for i in (x, x + w - 1)
                                                                         for j in range(y, y + h)}
    print(f'left={x} top={y} right={x + w} bottom={y + h}')
    print(f'captions={len(captions)} framed={int(len(edge) == 1)} lit={lit[0] if len(lit) == 1 else -1}')
    for n, middle in enumerate(captions, 1):
        print(f'caption_{n}={middle}')


def cursor(path):
    # The AND plane follows the XOR plane, rows bottom-up and padded to 32 bits; shown as the X11
    # backend shows them, where the inverting pixels (both bits set) are black.
    d = open(path, 'rb').read()
    w, h, (hot_x, hot_y, _, at) = d[6], d[7], struct.unpack('<HHII', d[10:22])
    bits, stride = at + struct.unpack('<I', d[at:at + 4])[0] + 8, (w + 31) // 32 * 4
    bit = lambda plane, r, c: d[bits + (plane * h + r) * stride + c // 8] >> (7 - c % 8) & 1
    shown = lambda x, a: '.' if a and not x else 'w' if x and not a else 'b'
    rows = [''.join(shown(bit(0, r, c), bit(1, r, c)) for c in range(w)) for r in reversed(range(h))]
    print(f'{w}x{h} hot {hot_x},{hot_y}', *rows, sep='\n')


def samples(raw, wav):
    data = open(wav, 'rb').read()
    at = data.index(b'data') + 8
    sys.exit(0 if data[at:at + 4096] in open(raw, 'rb').read() else 1)


if __name__ == '__main__':
    {'menu': menu, 'cursor': cursor, 'samples': samples}[sys.argv[1]](*sys.argv[2:])
