#!/usr/bin/python3
"""Checks on the committed media under resources/ and docs/media.png.

Run from the repository root:  /usr/bin/python3 tests/media/test_media.py

The PNG checks use their own chunk reader rather than PIL, so they look at
the bytes the program's small decoder will actually get.
"""

import math
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

REPO = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
RES = os.path.join(REPO, 'resources')
TOOLS = os.path.join(REPO, 'tools', 'media')
sys.path.insert(0, TOOLS)

RED = (255, 0, 0)
GREEN = (0, 255, 0)

import table  # noqa: E402

# file: (width, height, key, frame width, frame height, frames), the frame as the strip holds it
SHEETS = {os.path.basename(r.file): (r.fw * r.frames, r.strip_height, r.key, r.fw, r.strip_height, r.frames)
          for r in table.read()[0]}
WALKERS = ['walk.png', 'swallow.png', 'trip.png', 'start-creature.png', 'start-pile.png']

# file: (bits, rate, seconds)
SOUNDS = {
    'quack1.wav': (8, 11025, 0.18),
    'quack2.wav': (8, 11127, 0.18),
    'elephant.wav': (16, 22050, 1.6),
    'cannon.wav': (8, 11025, 0.68),
}


# ----------------------------------------------------------------- PNG reader

class PngError(Exception):
    pass


def read_chunks(data):
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise PngError('bad signature')
    pos, chunks = 8, []
    while pos < len(data):
        length, = struct.unpack('>I', data[pos:pos + 4])
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
        if data[pos + 8 + length:pos + 12 + length] != struct.pack('>I', zlib.crc32(kind + body)):
            raise PngError('bad CRC or length in %r' % kind)
        chunks.append((kind, body))
        pos += 12 + length
    return chunks


def decode_sheet(data):
    """Check the layout the program's decoder accepts (one IHDR, PLTE and IDAT in that order,
    8-bit palette of 256 entries, filter 0 on every row) and return (width, height, palette,
    indices).  Raises PngError on any deviation."""
    chunks = read_chunks(data)
    kinds = [k for k, _ in chunks if k not in (b'gAMA', b'cHRM')]
    if kinds != [b'IHDR', b'PLTE', b'IDAT', b'IEND']:
        raise PngError('chunks %r' % kinds)
    w, h, *layout = struct.unpack('>IIBBBBB', chunks[0][1])
    plte = dict(chunks)[b'PLTE']
    if layout != [8, 3, 0, 0, 0] or len(plte) != 768:
        raise PngError('not an 8-bit non-interlaced image with 256 palette entries')
    raw = zlib.decompress(dict(chunks)[b'IDAT'])
    rows = [raw[y * (w + 1):(y + 1) * (w + 1)] for y in range(h)]
    if len(raw) != h * (w + 1) or any(row[0] != 0 for row in rows):
        raise PngError('image data of the wrong length, or filtered')
    return w, h, [tuple(plte[i:i + 3]) for i in range(0, 768, 3)], [i for row in rows for i in row[1:]]


# ------------------------------------------------------------- edge fringes

def disc_drawing(key, fill, ring=None, hard=False, size=40, ss=4):
    """A disc (optionally with a dark ring) drawn over `key`: anti-aliased by
    averaging ss*ss samples with the key, or hard-edged by thresholding
    coverage and averaging art samples only."""
    c = size / 2
    out = []
    for y in range(size):
        for x in range(size):
            acc, n_art = [0.0, 0.0, 0.0], 0
            for sy in range(ss):
                for sx in range(ss):
                    px, py = x + (sx + 0.5) / ss, y + (sy + 0.5) / ss
                    r = math.hypot(px - c, py - c)
                    col = key
                    if r <= 13:
                        col = fill
                    elif ring and r <= 15:
                        col = ring
                    if col != key:
                        n_art += 1
                        for k in range(3):
                            acc[k] += col[k]
                    elif not hard:
                        for k in range(3):
                            acc[k] += col[k]
            if hard:
                out.append(tuple(int(round(v / n_art)) for v in acc)
                           if n_art * 2 >= ss * ss else key)
            else:
                out.append(tuple(int(round(v / (ss * ss))) for v in acc))
    return size, size, out


# ----------------------------------------------------------------- the tests

class Sheets(unittest.TestCase):
    decoded = {}

    @classmethod
    def setUpClass(cls):
        for name in SHEETS:
            with open(os.path.join(RES, 'images', name), 'rb') as f:
                cls.decoded[name] = decode_sheet(f.read())

    def frames(self, name):
        """[(frame index, list of rows of colours)] for a sheet."""
        w, h, pal, idx = self.decoded[name]
        _, _, key, fw, fh, n = SHEETS[name]
        out = []
        for f in range(n):
            rows = [[pal[i] for i in idx[y * w + f * fw:y * w + f * fw + fw]] for y in range(fh)]
            out.append(rows)
        return out

    def test_every_frame_has_art_and_animates(self):
        for name, (w, h, key, fw, fh, n) in SHEETS.items():
            frames = self.frames(name)
            for f, rows in enumerate(frames):
                art = sum(1 for row in rows for c in row if c != key)
                self.assertGreater(art, 150, '%s frame %d is (nearly) empty' % (name, f))
            for f in range(1, n):
                self.assertNotEqual(frames[f], frames[f - 1], '%s frames %d and %d are the same'
                                    % (name, f - 1, f))

    def test_walkers_stand_on_the_bottom_row(self):
        for name in WALKERS:
            key = SHEETS[name][2]
            for f, rows in enumerate(self.frames(name)):
                self.assertTrue(any(c != key for c in rows[-1]),
                                '%s frame %d does not reach the bottom row' % (name, f))

    def test_elephant_rows(self):
        key = GREEN
        for f, rows in enumerate(self.frames('elephant.png')):
            self.assertTrue(all(c == key for row in rows[60:] for c in row),
                            'elephant frame %d draws in rows 60-63' % f)
            self.assertTrue(any(c != key for row in rows[54:60] for c in row),
                            'elephant frame %d has no leg ends in rows 54-59' % f)
            body = sum(1 for row in rows[:54] for c in row if c != key)
            legs = sum(1 for row in rows[54:60] for c in row if c != key)
            self.assertGreater(body, 10 * legs, 'elephant frame %d: too much below row 54' % f)

    def bbox(self, rows, key):
        pts = [(x, y) for y, row in enumerate(rows) for x, c in enumerate(row) if c != key]
        xs, ys = [p[0] for p in pts], [p[1] for p in pts]
        return min(xs), min(ys), max(xs), max(ys)

    def test_start_buttons(self):
        for name in ('start-tilt.png', 'start-upright.png', 'start-pile.png'):
            key = SHEETS[name][2]
            frames = self.frames(name)
            x0, y0, x1, y1 = self.bbox(frames[0], key)
            h = SHEETS[name][4]
            # frame 0: one flat button in the bottom-left corner
            self.assertEqual((x0, y1), (1, h - 1), name)
            self.assertTrue(50 <= x1 - x0 <= 60 and 16 <= y1 - y0 <= 24, name)
        upright = self.frames('start-upright.png')
        for rows in upright[1:]:
            x0, y0, x1, y1 = self.bbox(rows, RED)
            self.assertLessEqual(x1 - x0, 24, 'start-upright: button not standing')
        tops = [self.bbox(r, RED)[1] for r in upright[1:]]
        self.assertEqual(tops, sorted(set(tops), reverse=True), 'start-upright: not rising')
        x0, y0, x1, y1 = self.bbox(upright[5], RED)
        self.assertTrue(50 <= y1 - y0 <= 60, 'start-upright: button not whole in frame 5')
        tilt = self.frames('start-tilt.png')
        x0, y0, x1, y1 = self.bbox(tilt[5], RED)
        self.assertTrue(abs((x1 - x0) - (y1 - y0)) < 8, 'start-tilt: not about 45 degrees')
        # the button rises: its top climbs from frame to frame
        tops = [self.bbox(r, RED)[1] for r in tilt[1:]]
        self.assertEqual(tops, sorted(tops, reverse=True))
        self.assertGreater(tops[0], tops[-1])

    def test_mouth_opens_and_closes(self):
        areas = [sum(1 for row in rows for c in row if c != GREEN)
                 for rows in self.frames('mouth.png')]
        for a, b in zip(areas[:7], areas[1:7]):
            self.assertLess(a, b, 'mouth should grow over frames 0-6: %r' % areas)
        for a, b in zip(areas[8:], areas[9:]):
            self.assertGreater(a, b, 'mouth should shrink over frames 8-14: %r' % areas)
        self.assertLess(areas[0] * 4, areas[7])


class FringeCheck(unittest.TestCase):
    """The generator's fringe check must catch what it is meant to catch."""

    def test_antialiased_discs_fail_and_hard_edged_ones_pass(self):
        import generate
        for key, fill, ring in ((RED, (40, 80, 220), None), (RED, (250, 204, 164), (30, 24, 34)),
                                (GREEN, (230, 30, 40), (30, 24, 34))):
            w, h, px = disc_drawing(key, fill, ring)
            self.assertGreater(len(generate.fringe_pixels(w, h, px, key)), 20)
            w, h, px = disc_drawing(key, fill, ring, hard=True)
            self.assertEqual(generate.fringe_pixels(w, h, px, key), [])


class Sounds(unittest.TestCase):
    def read(self, name):
        with open(os.path.join(RES, 'sounds', name), 'rb') as f:
            return f.read()

    def test_layout_and_content(self):
        for name, (bits, rate, seconds) in SOUNDS.items():
            d = self.read(name)
            self.assertEqual(d[:4], b'RIFF', name)
            self.assertEqual(struct.unpack('<I', d[4:8])[0], len(d) - 8, name)
            self.assertEqual(d[8:16], b'WAVEfmt ', name)
            self.assertEqual(struct.unpack('<I', d[16:20])[0], 16, name)
            tag, ch, r, byterate, align, b = struct.unpack('<HHIIHH', d[20:36])
            block = bits // 8
            self.assertEqual((tag, ch, r, byterate, align, b),
                             (1, 1, rate, rate * block, block, bits), name)
            self.assertEqual(d[36:40], b'data', name)
            size = struct.unpack('<I', d[40:44])[0]
            self.assertEqual(size, len(d) - 44, name)
            n = round(seconds * rate)
            self.assertEqual(size, n * block, name)
            if bits == 8:
                s = [v - 128 for v in d[44:]]
                full = 128
            else:
                s = [v[0] for v in struct.iter_unpack('<h', d[44:])]
                full = 32768
            peak = max(abs(v) for v in s)
            self.assertLess(peak, 0.99 * full, '%s clips' % name)
            self.assertGreater(peak, 0.5 * full, '%s is too quiet' % name)
            self.assertLess(abs(sum(s) / n), 0.01 * full, '%s has a DC offset' % name)
            # faded in and out: the ends are at the centre line and the
            # first and last millisecond stay well below the peak
            self.assertLessEqual(abs(s[0]), 0.02 * full, name)
            self.assertLessEqual(abs(s[-1]), 0.02 * full, name)
            edge = int(0.001 * rate)
            self.assertLess(max(abs(v) for v in s[:edge]), 0.5 * peak, name)
            self.assertLess(max(abs(v) for v in s[-edge:]), 0.5 * peak, name)

    def test_quacks_differ(self):
        self.assertNotEqual(self.read('quack1.wav')[44:], self.read('quack2.wav')[44:])


class CursorAndIcon(unittest.TestCase):
    def test_cursor(self):
        with open(os.path.join(RES, 'hand.cur'), 'rb') as f:
            d = f.read()
        self.assertEqual(struct.unpack('<HHH', d[:6]), (0, 2, 1))
        w, h, colours, res, hx, hy, size, offset = struct.unpack('<BBBBHHII', d[6:22])
        self.assertEqual((w, h, colours, res), (32, 32, 2, 0))
        self.assertEqual((hx, hy), (0, 0))
        self.assertEqual((offset, size), (22, len(d) - 22))
        hdr = struct.unpack('<IiiHHIIiiII', d[22:62])
        self.assertEqual(hdr[:6], (40, 32, 64, 1, 1, 0))
        self.assertEqual(d[62:70], bytes([0, 0, 0, 0, 255, 255, 255, 0]))
        xor, and_ = d[70:70 + 128], d[70 + 128:70 + 256]
        self.assertEqual(len(d), 70 + 256)

        def bit(mask, x, y):      # rows are stored bottom-up
            row = mask[(31 - y) * 4:(31 - y) * 4 + 4]
            return (row[x // 8] >> (7 - x % 8)) & 1

        white = [(x, y) for y in range(32) for x in range(32)
                 if bit(xor, x, y) and not bit(and_, x, y)]
        black = [(x, y) for y in range(32) for x in range(32)
                 if not bit(xor, x, y) and not bit(and_, x, y)]
        inverted = [(x, y) for y in range(32) for x in range(32)
                    if bit(xor, x, y) and bit(and_, x, y)]
        self.assertEqual(inverted, [])
        self.assertGreater(len(white), 150)
        self.assertGreater(len(black), 60)
        # the fingertip is at the hot spot: the top row is drawn near x = 0
        top = min(y for _, y in black + white)
        self.assertEqual(top, 0)
        self.assertLessEqual(min(x for x, y in black + white if y == top), 2)
        # every white pixel is enclosed: no white pixel touches transparency
        for x, y in white:
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                self.assertTrue(0 <= nx < 32 and 0 <= ny < 32 and not bit(and_, nx, ny),
                                'white at %d,%d is not outlined' % (x, y))

    def test_icon(self):
        with open(os.path.join(RES, 'howdy.ico'), 'rb') as f:
            d = f.read()
        self.assertEqual(struct.unpack('<HHH', d[:6]), (0, 1, 2))
        seen = []
        for k in range(2):
            w, h, colours, res, planes, bpp, size, offset = struct.unpack(
                '<BBBBHHII', d[6 + 16 * k:22 + 16 * k])
            self.assertEqual((w, h, colours, res, planes, bpp), (w, w, 16, 0, 1, 4))
            seen.append(w)
            img = d[offset:offset + size]
            self.assertEqual(len(img), size)
            hdr = struct.unpack('<IiiHHIIiiII', img[:40])
            self.assertEqual(hdr[:6], (40, w, 2 * w, 1, 4, 0))
            pal = [tuple(img[40 + 4 * i:43 + 4 * i][::-1]) for i in range(16)]
            xstride = ((w * 4 + 31) // 32) * 4
            astride = ((w + 31) // 32) * 4
            xor = img[104:104 + xstride * w]
            and_ = img[104 + xstride * w:]
            self.assertEqual(len(and_), astride * w)

            def colour(x, y):
                b = xor[(w - 1 - y) * xstride + x // 2]
                return pal[b >> 4 if x % 2 == 0 else b & 15]

            def clear(x, y):
                return (and_[(w - 1 - y) * astride + x // 8] >> (7 - x % 8)) & 1

            for x, y in ((0, 0), (w - 1, 0), (0, w - 1), (w - 1, w - 1)):
                self.assertEqual(clear(x, y), 1, 'corner should be transparent')
            c = w // 2
            self.assertEqual(clear(c, c), 0)
            r, g, b = colour(c - 2, c + 2)
            self.assertTrue(r > 150 and b > 130 and g < 80, 'centre is not magenta: %r' % ((r, g, b),))
            # the outline (first opaque pixel along the middle row) is darker
            x_edge = next(x for x in range(w) if not clear(x, c))
            self.assertLess(sum(colour(x_edge, c)), sum(colour(c - 2, c + 2)))
        self.assertEqual(sorted(seen), [16, 32])


class Badge(unittest.TestCase):
    def test_host_is_read_from_the_header(self):
        import badge
        text = '/* x */\n#define CAMPAIGN_HOST "hello.example"\n#define CAMPAIGN_PATH "/a"\n'
        self.assertEqual(badge.read_host(text), 'hello.example')
        with open(os.path.join(RES, 'campaign.h')) as f:
            header = f.read()
        self.assertIn('"%s"' % badge.read_host(header), header)
        with self.assertRaises(ValueError):
            badge.read_host('#define CAMPAIGN_PATH "/a"\n')

    def test_host_changes_the_badge(self):
        import badge
        a = badge.badge('howdy.example').quantise()
        b = badge.badge('another-site.example').quantise()
        self.assertNotEqual(a[1], b[1])


class Regenerate(unittest.TestCase):
    def test_rerun_matches_committed_bytes(self):
        with tempfile.TemporaryDirectory() as tmp:
            out, docs = os.path.join(tmp, 'resources'), os.path.join(tmp, 'docs')
            subprocess.run([sys.executable, os.path.join(TOOLS, 'generate.py'), out,
                            '--docs', docs], check=True, stdout=subprocess.DEVNULL)
            made = []
            for root, _, files in os.walk(out):
                for f in files:
                    made.append(os.path.relpath(os.path.join(root, f), out))
            expected = (['images/' + n for n in SHEETS] + ['sounds/' + n for n in SOUNDS]
                        + ['hand.cur', 'howdy.ico'])
            self.assertEqual(sorted(made), sorted(expected))
            committed_pngs = sorted(f for f in os.listdir(os.path.join(RES, 'images'))
                                    if f.endswith('.png'))
            self.assertEqual(committed_pngs, sorted(SHEETS))
            for rel in expected:
                with open(os.path.join(out, rel), 'rb') as f:
                    new = f.read()
                with open(os.path.join(RES, rel), 'rb') as f:
                    old = f.read()
                self.assertTrue(new == old, '%s differs from a fresh run' % rel)
            with open(os.path.join(docs, 'media.png'), 'rb') as f:
                new = f.read()
            with open(os.path.join(REPO, 'docs', 'media.png'), 'rb') as f:
                self.assertTrue(f.read() == new, 'docs/media.png differs from a fresh run')


if __name__ == '__main__':
    unittest.main(verbosity=2)
