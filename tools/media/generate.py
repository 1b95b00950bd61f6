#!/usr/bin/python3
"""Generate every image, sound, cursor and icon the show uses.

    /usr/bin/python3 tools/media/generate.py [OUTDIR] [--docs DOCSDIR]

OUTDIR defaults to the repository's resources/.  The contact sheet goes to
DOCSDIR/media.png: the repository's docs/ by default, OUTDIR/docs when an
OUTDIR is given.  Output is deterministic: a rerun writes the same bytes.
The badge shows CAMPAIGN_HOST from resources/campaign.h.
"""

import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import badge      # noqa: E402
import contact    # noqa: E402
import fliers     # noqa: E402
import icons      # noqa: E402
import mouth      # noqa: E402
import pngfile    # noqa: E402
import sounds     # noqa: E402
import startbtn   # noqa: E402
import table      # noqa: E402
import walker     # noqa: E402

REPO = os.path.normpath(os.path.join(HERE, '..', '..'))
CAMPAIGN_H = os.path.join(REPO, 'resources', 'campaign.h')


def all_sheets(host):
    sheets = (walker.sheets() + fliers.sheets() + startbtn.sheets() + mouth.sheets()
              + badge.sheets(host))
    return {s.name: s for s in sheets}


def fringe_pixels(w, h, colours, key):
    """Art pixels on the edge of the art that look like a blend of the key
    colour with the art next to them, i.e. the halo an anti-aliased drawing
    on a key-coloured canvas leaves.  `colours` is a row-major list of RGB.

    An art pixel p next to the background is flagged when, for one of its
    art neighbours q (clearly different from the key), p lies close to the
    straight line from the key K to q, between 15% and 80% of the way: that
    is exactly what p = t*q + (1-t)*K, a coverage blend, produces.  (Closer
    to q than 80% the key's share is too small to see, and such a pixel
    cannot be told apart from a blend of two dark art colours.)  An edge
    pixel within 40 of the key colour itself is flagged too: on screen it
    reads as a stray key pixel.  Hard-edged art passes because its edge
    pixels are art colours (mostly the dark outline), which do not sit on
    a key-to-neighbour line."""
    bad = []
    bg = [c == key for c in colours]
    for y in range(h):
        for x in range(w):
            i = y * w + x
            if bg[i]:
                continue
            nbrs = [(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))
                    if 0 <= x + dx < w and 0 <= y + dy < h]
            if not any(bg[ny * w + nx] for nx, ny in nbrs):
                continue
            p = colours[i]
            if math.dist(p, key) < 40:
                bad.append((x, y))
                continue
            for nx, ny in nbrs:
                j = ny * w + nx
                if bg[j]:
                    continue
                q = colours[j]
                d = [q[k] - key[k] for k in range(3)]
                dd = sum(v * v for v in d)
                if dd < 60 * 60:
                    continue
                t = sum((p[k] - key[k]) * d[k] for k in range(3)) / dd
                if not 0.15 <= t <= 0.8:
                    continue
                off = math.dist(p, [key[k] + t * d[k] for k in range(3)])
                if off <= max(6.0, 0.05 * math.sqrt(dd)):
                    bad.append((x, y))
                    break
    return bad


def check_sheet(sheet, pal, idx):
    """Faults the program would show on screen; stop rather than write them."""
    key = sheet.key
    if pal[0] != key or idx[0] != 0:
        raise ValueError('%s: key colour must be palette entry 0 and the top-left pixel'
                         % sheet.name)
    if any(c == key for c in pal[1:]):
        raise ValueError('%s: an art colour equals the key colour' % sheet.name)
    w, h = sheet.size
    if sheet.name == 'elephant':
        # only the top 54 rows are shown; the leg ends may use 54-59, never 60-63
        if any(idx[y * w + x] for y in range(60, 64) for x in range(w)):
            raise ValueError('elephant: art below row 59')
    # Anti-aliasing against the key leaves a halo of key-tinted pixels round the sprite.
    bad = fringe_pixels(w, h, [pal[i] for i in idx], key)
    if bad:
        raise ValueError('%s: %d key-blended edge pixels, the first at %r' % (sheet.name, len(bad), bad[0]))


def build(host=None):
    """{relative path: bytes} for everything under resources/, plus the
    contact sheet image under the key 'media.png'."""
    if host is None:
        host = badge.host_from_file(CAMPAIGN_H)
    files = {}
    drawn = all_sheets(host)
    rows, sounds_table, _ = table.read()
    entries = []
    for row in rows:
        stem = os.path.splitext(os.path.basename(row.file))[0]
        sheet = drawn.pop(stem)
        pal, idx = sheet.quantise()
        check_sheet(sheet, pal, idx)
        w, h = sheet.size
        files[row.file] = pngfile.indexed(w, h, pal, idx)
        entries.append((os.path.basename(row.file), sheet, pal, idx))
    if drawn:
        raise ValueError('sheets drawn but not in media.h: %s' % ', '.join(sorted(drawn)))
    made = sounds.all_sounds()
    for row in sounds_table:
        files[row.file] = made.pop(os.path.basename(row.file))
    if made:
        raise ValueError('sounds made but not in media.h: %s' % ', '.join(sorted(made)))
    files['hand.cur'] = icons.cursor()
    files['howdy.ico'] = icons.icon()
    for size in icons.HICOLOR_SIZES:
        files['icons/%dx%d.png' % (size, size)] = icons.icon_png(size)
    media = pngfile.truecolour(contact.contact_sheet(entries))
    return files, media


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


def main(argv):
    args = list(argv[1:])
    docs = None
    if '--docs' in args:
        i = args.index('--docs')
        if i + 1 >= len(args):
            sys.exit('--docs needs a directory')
        docs = args[i + 1]
        del args[i:i + 2]
    if any(a.startswith('-') for a in args) or len(args) > 1:
        sys.exit(__doc__)
    out = args[0] if args else os.path.join(REPO, 'resources')
    if docs is None:
        docs = os.path.join(REPO, 'docs') if not args else os.path.join(out, 'docs')
    files, media = build()
    for rel, data in sorted(files.items()):
        write(os.path.join(out, *rel.split('/')), data)
    write(os.path.join(docs, 'media.png'), media)
    print('wrote %d files to %s and media.png to %s' % (len(files), out, docs))


if __name__ == '__main__':
    main(sys.argv)
