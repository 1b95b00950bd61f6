"""Minimal PNG writer.

The program's decoder only understands 8-bit palette images with one IDAT
chunk and no row filtering, so the layout is written by hand rather than
left to an encoder that picks filters and chunk sizes on its own.
"""

import struct
import zlib

SIGNATURE = b'\x89PNG\r\n\x1a\n'


def chunk(kind, data):
    body = kind + data
    return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)


def _png(width, height, colour_type, extra, raw_rows):
    ihdr = struct.pack('>IIBBBBB', width, height, 8, colour_type, 0, 0, 0)
    data = b''.join(b'\x00' + bytes(row) for row in raw_rows)   # filter 0 on every row
    return (SIGNATURE + chunk(b'IHDR', ihdr) + extra
            + chunk(b'IDAT', zlib.compress(data, 9)) + chunk(b'IEND', b''))


def indexed(width, height, palette, indices, clear=None):
    """palette: up to 256 RGB tuples (padded with black); indices: row-major;
    clear: the one index drawn fully transparent, if any."""
    assert len(indices) == width * height
    assert len(palette) <= 256
    pal = list(palette) + [(0, 0, 0)] * (256 - len(palette))
    extra = chunk(b'PLTE', bytes(v for c in pal for v in c))
    if clear is not None:
        extra += chunk(b'tRNS', bytes([255] * clear + [0]))
    rows = (indices[y * width:(y + 1) * width] for y in range(height))
    return _png(width, height, 3, extra, rows)


def truecolour(image):
    """An RGB PIL image as a colour-type-2 PNG."""
    w, h = image.size
    raw = image.convert('RGB').tobytes()
    rows = (raw[y * w * 3:(y + 1) * w * 3] for y in range(h))
    return _png(w, h, 2, b'', rows)
