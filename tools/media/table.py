"""The tables of resources/media.h, as the generator and the tests read them.

The header is the one place where the sheets' ids, files, frame geometry and key colours and
the sounds' names and files are written; its rows are C preprocessor calls such as
SHEET(walkSheet, 113, "images/walk.png", WALK_FRAME_WIDTH, WALK_FRAME_HEIGHT, 6, 116, KEY_RED).
"""

import collections
import os
import re

HEADER = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                       '..', '..', 'resources', 'media.h'))
KEYS = {'KEY_RED': (255, 0, 0), 'KEY_GREEN': (0, 255, 0)}

SheetRow = collections.namedtuple('SheetRow', 'variable id file fw fh frames strip_height key')
SoundRow = collections.namedtuple('SoundRow', 'constant name file')


def _rows(text, macro):
    return [[a.strip() for a in args.split(',')]
            for args in re.findall(r'\b%s\(([^()]*)\)' % macro, text)]


def read(header=HEADER):
    """(sheets in load order, sounds, {name: integer #define})."""
    with open(header) as f:
        text = re.sub(r'/\*.*?\*/', '', f.read(), flags=re.S)
    numbers = {m.group(1): int(m.group(2))
               for m in re.finditer(r'^#define\s+(\w+)\s+(\d+)\s*$', text, re.M)}

    def number(word):
        return numbers[word] if word in numbers else int(word)

    sheets = [SheetRow(v, number(i), f.strip('"'), number(w), number(h), number(n), number(s), KEYS[k])
              for v, i, f, w, h, n, s, k in _rows(text, 'SHEET')]
    sounds = [SoundRow(c, n, f.strip('"')) for c, n, f in _rows(text, 'SOUND')]
    if not sheets or not sounds:
        raise ValueError('%s: no SHEET or SOUND rows' % header)
    return sheets, sounds, numbers


def sheet(stem):
    """The row of the sheet stored as images/<stem>.png."""
    for row in read()[0]:
        if row.file == 'images/%s.png' % stem:
            return row
    raise KeyError(stem)
