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
import table      # noqa: E402
import walker     # noqa: E402

REPO = os.path.normpath(os.path.join(HERE, '..', '..'))
CAMPAIGN_H = os.path.join(REPO, 'resources', 'campaign.h')


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
