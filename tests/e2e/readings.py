"""What the end-to-end scripts read from screenshots, the cursor resource and sound files.

  readings.py region SHOT DESKTOP X Y W H
      Reads what differs from the desktop within the region, as a menu; prints shell
      assignments: the box of pixels that differ from the desktop (left, top, right, bottom;
      right and bottom exclusive; left=-1 when none differ), the bands of rows holding dark
      caption pixels (captions, caption_1 ... as their middle rows), the band filled with the
      highlight's blue (lit: its middle row, or -1), and whether the box's edge is of one colour
      (framed).
  readings.py cursor FILE.cur
      The line that cursor_probe prints for this cursor: size, hot spot, and the number of shown
      and of white pixels.
  readings.py samples RAW FILE.wav
      Exits 0 when the first 4096 bytes of the sound's samples occur in RAW.
"""
import struct
import sys

from PIL import Image


def bands(rows):
    """Runs of consecutive row numbers, as their middle rows."""
    runs = []
    for y in rows:
        if runs and y == runs[-1][1] + 1:
            runs[-1][1] = y
        else:
            runs.append([y, y])
    return [(a + b) // 2 for a, b in runs]


def region(shot, desktop, x, y, w, h):
    a = Image.open(shot).convert('RGB').load()
    b = Image.open(desktop).convert('RGB').load()
    differing = [(i, j) for j in range(y, y + h) for i in range(x, x + w) if a[i, j] != b[i, j]]
    if not differing:
        print('left=-1')
        return
    left = min(i for i, _ in differing)
    right = max(i for i, _ in differing) + 1
    top = min(j for _, j in differing)
    bottom = max(j for _, j in differing) + 1
    dark_rows, lit_rows = [], []
    for j in range(top + 1, bottom - 1):
        row = [a[i, j] for i in range(left + 1, right - 1)]
        if sum(1 for p in row if max(p) < 0x60) >= 2:
            dark_rows.append(j)
        if sum(1 for r, g, bl in row if bl > 0xB0 and r < 0x60) > len(row) // 2:
            lit_rows.append(j)
    edge = {a[i, top] for i in range(left, right)} | {a[i, bottom - 1] for i in range(left, right)}
    edge |= {a[left, j] for j in range(top, bottom)} | {a[right - 1, j] for j in range(top, bottom)}
    captions = bands(dark_rows)
    lit = bands(lit_rows)
    print(f'left={left} top={top} right={right} bottom={bottom}')
    print(f'captions={len(captions)} framed={int(len(edge) == 1)} lit={lit[0] if len(lit) == 1 else -1}')
    for n, middle in enumerate(captions, 1):
        print(f'caption_{n}={middle}')


def cursor(path):
    data = open(path, 'rb').read()
    width, height, _, _, hot_x, hot_y, _, offset = struct.unpack('<BBBBHHII', data[6:22])
    header = struct.unpack('<IiiHH', data[offset:offset + 16])
    stride = ((width + 31) // 32) * 4
    bits = offset + header[0] + 2 * 4
    xor, and_ = data[bits:bits + stride * height], data[bits + stride * height:bits + 2 * stride * height]
    shown = white = 0
    for row in range(height):
        for col in range(width):
            x = (xor[row * stride + col // 8] >> (7 - col % 8)) & 1
            clear = (and_[row * stride + col // 8] >> (7 - col % 8)) & 1
            shown += (not clear) or x
            white += (not clear) and x
    print(f'{width}x{height} hot {hot_x},{hot_y} shown {shown} white {white}')


def samples(raw, wav):
    data = open(wav, 'rb').read()
    at = data.index(b'data') + 8
    return data[at:at + 4096] in open(raw, 'rb').read()


if __name__ == '__main__':
    if sys.argv[1] == 'region':
        region(sys.argv[2], sys.argv[3], *map(int, sys.argv[4:8]))
    elif sys.argv[1] == 'cursor':
        cursor(sys.argv[2])
    else:
        sys.exit(0 if samples(sys.argv[2], sys.argv[3]) else 1)
