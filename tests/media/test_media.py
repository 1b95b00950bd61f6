#!/usr/bin/python3
"""The generator of the media under resources/ and docs/media.png: a fresh run makes the committed
bytes, so that each file is what the generator draws and checks.
Run from the repository root:  /usr/bin/python3 tests/media/test_media.py"""

import math
import os
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

RED, GREEN = (255, 0, 0), (0, 255, 0)

SHEETS = {os.path.basename(r.file): r for r in table.read()[0]}
SOUNDS = ['quack1.wav', 'quack2.wav', 'elephant.wav', 'cannon.wav']


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
