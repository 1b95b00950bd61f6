#!/usr/bin/python3
"""Generate every image, sound, cursor and icon the show uses.

    /usr/bin/python3 tools/media/generate.py [OUTDIR] [--docs DOCSDIR]

OUTDIR defaults to the repository's resources/.  The contact sheet goes to
DOCSDIR/media.png: the repository's docs/ by default, OUTDIR/docs when an
OUTDIR is given.  Output is deterministic: a rerun writes the same bytes.
The badge shows CAMPAIGN_HOST from resources/campaign.h.
"""

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
import walker     # noqa: E402

REPO = os.path.normpath(os.path.join(HERE, '..', '..'))
CAMPAIGN_H = os.path.join(REPO, 'resources', 'campaign.h')

# file name under images/, in resource id order
SHEET_FILES = {
    'walk': 'walk.png', 'duck-blue': 'duck-blue.png', 'start-upright': 'start-upright.png',
    'elephant': 'elephant.png', 'start-pile': 'start-pile.png', 'start-tilt': 'start-tilt.png',
    'duck-red': 'duck-red.png', 'trip': 'trip.png', 'swallow': 'swallow.png',
    'start-creature': 'start-creature.png', 'duck-yellow': 'duck-yellow.png',
    'badge': 'badge.png', 'mouth': 'mouth.png',
}


def all_sheets(host):
    sheets = (walker.sheets() + fliers.sheets() + startbtn.sheets() + mouth.sheets()
              + badge.sheets(host))
    return {s.name: s for s in sheets}


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


def build(host=None):
    """{relative path: bytes} for everything under resources/, plus the
    contact sheet image under the key 'media.png'."""
    if host is None:
        host = badge.host_from_file(CAMPAIGN_H)
    files = {}
    sheets = all_sheets(host)
    entries = []
    for name, fname in sorted(SHEET_FILES.items(), key=lambda kv: kv[1]):
        sheet = sheets[name]
        pal, idx = sheet.quantise()
        check_sheet(sheet, pal, idx)
        w, h = sheet.size
        files['images/' + fname] = pngfile.indexed(w, h, pal, idx)
        entries.append((fname, sheet, pal, idx))
    for fname, data in sounds.all_sounds().items():
        files['sounds/' + fname] = data
    files['hand.cur'] = icons.cursor()
    files['howdy.ico'] = icons.icon()
    order = ['walk.png', 'swallow.png', 'trip.png', 'badge.png', 'duck-blue.png',
             'duck-red.png', 'duck-yellow.png', 'elephant.png', 'start-tilt.png',
             'start-upright.png', 'mouth.png', 'start-pile.png', 'start-creature.png']
    entries.sort(key=lambda e: order.index(e[0]))
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
