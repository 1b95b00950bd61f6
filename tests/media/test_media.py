#!/usr/bin/python3
"""The committed media under resources/ and docs/media.png, and the generator that makes them.
Run from the repository root:  /usr/bin/python3 tests/media/test_media.py"""

import math
import os
import struct
import subprocess
import sys
import tempfile
import unittest

REPO = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
RES = os.path.join(REPO, 'resources')
TOOLS = os.path.join(REPO, 'tools', 'media')
sys.path.insert(0, TOOLS)

import badge  # noqa: E402
import generate  # noqa: E402
import icons  # noqa: E402
import table  # noqa: E402
from PIL import Image  # noqa: E402

RED, GREEN = (255, 0, 0), (0, 255, 0)

SHEETS = {os.path.basename(r.file): r for r in table.read()[0]}
WALKERS = ['walk.png', 'swallow.png', 'trip.png', 'start-creature.png', 'start-pile.png']

# file: (bits, rate, seconds)
SOUNDS = {'quack1.wav': (8, 11025, 0.18), 'quack2.wav': (8, 11127, 0.18), 'elephant.wav': (16, 22050, 1.6),
          'cannon.wav': (8, 11025, 0.68)}


def read(*path):
    with open(os.path.join(RES, *path), 'rb') as f:
        return f.read()


def sheet_frames(name):
    """The committed sheet's frames, each a list of rows of colours. Its layout (IHDR, one PLTE of
    256 entries, one unfiltered IDAT) is tools/media/pngfile.py's, which Regenerate holds it to."""
    row = SHEETS[name]
    with Image.open(os.path.join(RES, 'images', name)) as image:
        px = image.convert('RGB').load()
    return [[[px[f * row.fw + x, y] for x in range(row.fw)] for y in range(row.strip_height)]
            for f in range(row.frames)]


def disc_drawing(key, fill, ring=None, hard=False, size=40, ss=4):
    """A disc (optionally with a dark ring) over `key`, each pixel from ss*ss samples: anti-aliased,
    their average; hard-edged, the average of the art's where they cover half the pixel, else the key."""
    out = []
    for y in range(size):
        for x in range(size):
            samples = []
            for s in range(ss * ss):
                r = math.hypot(x + (s % ss + 0.5) / ss - size / 2, y + (s // ss + 0.5) / ss - size / 2)
                samples.append(fill if r <= 13 else ring if ring and r <= 15 else key)
            art = [c for c in samples if c != key]
            if hard:
                samples = art if 2 * len(art) >= ss * ss else [key]
            out.append(tuple(int(round(sum(c[k] for c in samples) / len(samples))) for k in range(3)))
    return size, size, out


def bbox(rows, key):
    pts = [(x, y) for y, row in enumerate(rows) for x, c in enumerate(row) if c != key]
    return min(p[0] for p in pts), min(p[1] for p in pts), max(p[0] for p in pts), max(p[1] for p in pts)


class Media(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.frames = {name: sheet_frames(name) for name in SHEETS}

    def test_every_frame_has_art_and_animates(self):
        for name, frames in self.frames.items():
            key = SHEETS[name].key
            for f, rows in enumerate(frames):
                art = sum(1 for row in rows for c in row if c != key)
                self.assertGreater(art, 150, '%s frame %d is (nearly) empty' % (name, f))
                self.assertTrue(f == 0 or rows != frames[f - 1], '%s frames %d and %d are the same' % (name, f - 1, f))
                self.assertTrue(name not in WALKERS or any(c != key for c in rows[-1]),
                                '%s frame %d does not reach the bottom row' % (name, f))

    def test_elephant_has_leg_ends_in_rows_54_to_59(self):
        # The generator refuses art in rows 60-63, which never show.
        for f, rows in enumerate(self.frames['elephant.png']):
            body = sum(1 for row in rows[:54] for c in row if c != GREEN)
            legs = sum(1 for row in rows[54:60] for c in row if c != GREEN)
            self.assertTrue(0 < legs and 10 * legs < body, 'elephant frame %d: %d pixels in rows 54-59' % (f, legs))

    def test_start_buttons(self):
        for name in ('start-tilt.png', 'start-upright.png', 'start-pile.png'):
            # frame 0: one flat button in the bottom-left corner
            x0, y0, x1, y1 = bbox(self.frames[name][0], SHEETS[name].key)
            self.assertEqual((x0, y1), (1, SHEETS[name].strip_height - 1), name)
            self.assertTrue(50 <= x1 - x0 <= 60 and 16 <= y1 - y0 <= 24, name)
        upright = [bbox(rows, RED) for rows in self.frames['start-upright.png'][1:]]
        tilt = [bbox(rows, RED) for rows in self.frames['start-tilt.png'][1:]]
        for name, boxes in (('start-upright', upright), ('start-tilt', tilt)):
            tops = [y0 for _, y0, _, _ in boxes]
            self.assertEqual(tops, sorted(set(tops), reverse=True), '%s: not rising, frame to frame' % name)
        self.assertTrue(all(x1 - x0 <= 24 for x0, _, x1, _ in upright), 'start-upright: button not standing')
        self.assertTrue(50 <= upright[4][3] - upright[4][1] <= 60, 'start-upright: button not whole in frame 5')
        x0, y0, x1, y1 = tilt[4]
        self.assertTrue(abs((x1 - x0) - (y1 - y0)) < 8, 'start-tilt: not about 45 degrees')

    def test_mouth_opens_and_closes(self):
        areas = [sum(1 for row in rows for c in row if c != GREEN) for rows in self.frames['mouth.png']]
        for a, b in zip(areas[:7], areas[1:7]):
            self.assertLess(a, b, 'mouth should grow over frames 0-6: %r' % areas)
        for a, b in zip(areas[8:], areas[9:]):
            self.assertGreater(a, b, 'mouth should shrink over frames 8-14: %r' % areas)
        self.assertLess(areas[0] * 4, areas[7])

    def test_sounds(self):
        for name, (bits, rate, seconds) in SOUNDS.items():
            d, block, n = read('sounds', name), bits // 8, round(seconds * rate)
            self.assertEqual((len(d),) + struct.unpack('<4sI8sIHHIIHH4sI', d[:44]),
                             (44 + n * block, b'RIFF', 36 + n * block, b'WAVEfmt ', 16, 1, 1, rate, rate * block,
                              block, bits, b'data', n * block), name)
            s = [v - 128 for v in d[44:]] if bits == 8 else [v for v, in struct.iter_unpack('<h', d[44:])]
            full = 1 << (bits - 1)
            peak = max(abs(v) for v in s)
            self.assertTrue(0.5 * full < peak < 0.99 * full, '%s clips or is too quiet: peak %d' % (name, peak))
            self.assertLess(abs(sum(s) / n), 0.01 * full, '%s has a DC offset' % name)
            # faded in and out: the ends at the centre line, the first and last millisecond well below the peak
            self.assertLessEqual(max(abs(s[0]), abs(s[-1])), 0.02 * full, name)
            edge = int(0.001 * rate)
            self.assertLess(max(abs(v) for v in s[:edge] + s[-edge:]), 0.5 * peak, name)
        self.assertNotEqual(read('sounds', 'quack1.wav')[44:], read('sounds', 'quack2.wav')[44:])

    def test_cursor(self):
        d = read('hand.cur')
        # one 32 x 32 two-colour image with its hot spot at 0,0: black, white, the XOR and AND masks
        self.assertEqual(struct.unpack('<HHHBBBBHHII', d[:22]), (0, 2, 1, 32, 32, 2, 0, 0, 0, len(d) - 22, 22))
        self.assertEqual(struct.unpack('<IiiHHI', d[22:42]), (40, 32, 64, 1, 1, 0))
        self.assertEqual((d[62:70], len(d)), (bytes([0, 0, 0, 0, 255, 255, 255, 0]), 70 + 256))

        def bit(mask, x, y):  # rows are stored bottom-up
            return (d[mask + (31 - y) * 4 + x // 8] >> (7 - x % 8)) & 1

        # (XOR, AND) bits of each pixel: (1, 0) white, (0, 0) black, (0, 1) transparent
        pixels = {(x, y): (bit(70, x, y), bit(198, x, y)) for y in range(32) for x in range(32)}
        white = [p for p, v in pixels.items() if v == (1, 0)]
        drawn = [p for p, v in pixels.items() if v[1] == 0]
        self.assertNotIn((1, 1), pixels.values(), 'a pixel inverts the screen')
        self.assertGreater(len(white), 150)
        self.assertGreater(len(drawn) - len(white), 60)
        # the fingertip is at the hot spot: the top row is drawn near x = 0
        self.assertEqual(min(y for _, y in drawn), 0)
        self.assertLessEqual(min(x for x, y in drawn if y == 0), 2)
        # every white pixel is enclosed: no white pixel touches transparency
        for x, y in white:
            for n in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                self.assertEqual(pixels.get(n, (0, 1))[1], 0, 'white at %d,%d is not outlined' % (x, y))

    def test_icon(self):
        # Two 16-colour images, 32 and 16 pixels; EmbeddedResources checks their corners and colours.
        # The desktop's PNGs are the same drawing: pixel for pixel the .ico's at its two sizes.
        d = read('howdy.ico')
        self.assertEqual(struct.unpack('<HHH', d[:6]), (0, 1, 2))
        for k, w in enumerate((32, 16)):
            entry = struct.unpack('<BBBBHHII', d[6 + 16 * k:22 + 16 * k])
            xstride, astride = ((w * 4 + 31) // 32) * 4, ((w + 31) // 32) * 4
            size = 104 + (xstride + astride) * w
            img = d[entry[7]:entry[7] + size]
            self.assertEqual((entry[:7], len(img)), ((w, w, 16, 0, 1, 4, size), size))
            self.assertEqual(struct.unpack('<IiiHHI', img[:20]), (40, w, 2 * w, 1, 4, 0))

            def clear(x, y):
                return (img[104 + xstride * w + (w - 1 - y) * astride + x // 8] >> (7 - x % 8)) & 1

            def colour(x, y):  # RGBA
                b = img[104 + (w - 1 - y) * xstride + x // 2]
                i = b >> 4 if x % 2 == 0 else b & 15
                return (0, 0, 0, 0) if clear(x, y) else tuple(img[42 + 4 * i:39 + 4 * i:-1]) + (255,)

            # the outline (first opaque pixel along the middle row) is darker than the inside
            c = w // 2
            x_edge = next(x for x in range(w) if not clear(x, c))
            self.assertLess(sum(colour(x_edge, c)), sum(colour(c - 2, c + 2)))
            with Image.open(os.path.join(RES, 'icons', '%dx%d.png' % (w, w))) as png:
                self.assertEqual(list(png.convert('RGBA').getdata()), [colour(i % w, i // w) for i in range(w * w)])


class Generator(unittest.TestCase):
    def test_antialiased_discs_fail_the_fringe_check_and_hard_edged_ones_pass(self):
        for key, fill, ring in ((RED, (40, 80, 220), None), (RED, (250, 204, 164), (30, 24, 34)),
                                (GREEN, (230, 30, 40), (30, 24, 34))):
            w, h, px = disc_drawing(key, fill, ring)
            self.assertGreater(len(generate.fringe_pixels(w, h, px, key)), 20)
            w, h, px = disc_drawing(key, fill, ring, hard=True)
            self.assertEqual(generate.fringe_pixels(w, h, px, key), [])

    def test_badge_host_is_read_from_the_header_and_drawn(self):
        text = '/* x */\n#define CAMPAIGN_HOST "hello.example"\n#define CAMPAIGN_PATH "/a"\n'
        self.assertEqual(badge.read_host(text), 'hello.example')
        with self.assertRaises(ValueError):
            badge.read_host('#define CAMPAIGN_PATH "/a"\n')
        # and the badge shows it
        a, b = (badge.badge(host).quantise()[1] for host in ('howdy.example', 'another-site.example'))
        self.assertNotEqual(a, b)

    def test_rerun_matches_committed_bytes(self):
        committed_pngs = sorted(f for f in os.listdir(os.path.join(RES, 'images')) if f.endswith('.png'))
        self.assertEqual(committed_pngs, sorted(SHEETS))
        expected = sorted(['resources/images/' + n for n in SHEETS] + ['resources/sounds/' + n for n in SOUNDS]
                          + ['resources/hand.cur', 'resources/howdy.ico', 'docs/media.png']
                          + ['resources/icons/%dx%d.png' % (n, n) for n in icons.HICOLOR_SIZES])
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([sys.executable, os.path.join(TOOLS, 'generate.py'), os.path.join(tmp, 'resources'),
                            '--docs', os.path.join(tmp, 'docs')], check=True, stdout=subprocess.DEVNULL)
            made = [os.path.relpath(os.path.join(root, f), tmp) for root, _, files in os.walk(tmp) for f in files]
            self.assertEqual(sorted(made), expected)
            for rel in expected:
                with open(os.path.join(tmp, rel), 'rb') as new, open(os.path.join(REPO, rel), 'rb') as old:
                    self.assertTrue(new.read() == old.read(), '%s differs from a fresh run' % rel)


if __name__ == '__main__':
    unittest.main(verbosity=2)
