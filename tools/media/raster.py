"""Drawing helpers shared by every sheet.

Art is drawn at S times the final size onto a transparent RGBA canvas with
ImageDraw (which never anti-aliases, so every drawn sub-pixel is opaque).
Reducing that canvas averages only the opaque sub-pixels and thresholds the
coverage, so edge pixels are blends of art colours only and never of the
key colour: the program draws these sheets with a colour key, and any
key-tinted fringe would show up as a coloured halo on the desktop.
"""

import math

from PIL import Image, ImageChops, ImageDraw, ImageMath

import table

S = 4                     # supersampling factor
INK = (30, 24, 34)        # outline colour used by all characters


def rgba(c):
    return (c[0], c[1], c[2], 255) if len(c) == 3 else tuple(c)


# ---------------------------------------------------------------- transforms

class Xf:
    """Similarity transform (rotation, uniform scale, translation)."""

    def __init__(self, a=1.0, b=0.0, c=0.0, d=0.0, e=1.0, f=0.0):
        self.m = (a, b, c, d, e, f)

    def __call__(self, p):
        a, b, c, d, e, f = self.m
        x, y = p
        return (a * x + b * y + c, d * x + e * y + f)

    def then(self, other):
        """The transform that applies self first, then other."""
        a, b, c, d, e, f = self.m
        A, B, C, D, E, F = other.m
        return Xf(A * a + B * d, A * b + B * e, A * c + B * f + C,
                  D * a + E * d, D * b + E * e, D * c + E * f + F)

    @property
    def scale(self):
        a, b, _, d, e, _ = self.m
        return math.sqrt(abs(a * e - b * d))

    @property
    def angle(self):
        return math.degrees(math.atan2(self.m[3], self.m[0]))


def move(dx, dy):
    return Xf(1, 0, dx, 0, 1, dy)


def turn(deg, cx=0.0, cy=0.0):
    """Rotation by deg (clockwise on screen, since y points down) about (cx, cy)."""
    t = math.radians(deg)
    c, s = math.cos(t), math.sin(t)
    return Xf(c, -s, cx - c * cx + s * cy, s, c, cy - s * cx - c * cy)


def zoom(k, cx=0.0, cy=0.0):
    return Xf(k, 0, cx - k * cx, 0, k, cy - k * cy)


IDENTITY = Xf()


# -------------------------------------------------------------------- shapes

class Poly:
    def __init__(self, pts):
        self.pts = [(float(x), float(y)) for x, y in pts]

    def bbox(self):
        xs = [p[0] for p in self.pts]
        ys = [p[1] for p in self.pts]
        return min(xs), min(ys), max(xs), max(ys)

    def moved(self, xf):
        return Poly([xf(p) for p in self.pts])

    def draw(self, d, colour, grow, off):
        ox, oy = off
        pts = [((x - ox) * S, (y - oy) * S) for x, y in self.pts]
        d.polygon(pts, fill=colour)
        if grow > 0:
            w = max(1, int(round(2 * grow * S)))
            d.line(pts + [pts[0]], fill=colour, width=w)
            r = grow * S
            for x, y in pts:
                d.ellipse((x - r, y - r, x + r, y + r), fill=colour)


class Ellipse:
    def __init__(self, cx, cy, rx, ry, rot=0.0):
        self.cx, self.cy, self.rx, self.ry, self.rot = cx, cy, rx, ry, rot

    def points(self, grow=0.0, n=None):
        rx, ry = self.rx + grow, self.ry + grow
        if n is None:
            n = max(16, min(96, int((rx + ry) * 2.2)))
        t = math.radians(self.rot)
        c, s = math.cos(t), math.sin(t)
        out = []
        for i in range(n):
            a = 2 * math.pi * i / n
            x, y = rx * math.cos(a), ry * math.sin(a)
            out.append((self.cx + c * x - s * y, self.cy + s * x + c * y))
        return out

    def bbox(self):
        r = max(self.rx, self.ry)
        return self.cx - r, self.cy - r, self.cx + r, self.cy + r

    def moved(self, xf):
        cx, cy = xf((self.cx, self.cy))
        k = xf.scale
        return Ellipse(cx, cy, self.rx * k, self.ry * k, self.rot + xf.angle)

    def draw(self, d, colour, grow, off):
        ox, oy = off
        pts = [((x - ox) * S, (y - oy) * S) for x, y in self.points(grow)]
        d.polygon(pts, fill=colour)


class Stroke:
    """Polyline of the given width with round caps and joins."""

    def __init__(self, pts, width):
        self.pts = [(float(x), float(y)) for x, y in pts]
        self.width = float(width)

    def bbox(self):
        r = self.width / 2
        xs = [p[0] for p in self.pts]
        ys = [p[1] for p in self.pts]
        return min(xs) - r, min(ys) - r, max(xs) + r, max(ys) + r

    def moved(self, xf):
        return Stroke([xf(p) for p in self.pts], self.width * xf.scale)

    def draw(self, d, colour, grow, off):
        ox, oy = off
        pts = [((x - ox) * S, (y - oy) * S) for x, y in self.pts]
        w = (self.width + 2 * grow) * S
        if len(pts) > 1:
            d.line(pts, fill=colour, width=max(1, int(round(w))))
        r = w / 2
        for x, y in pts:
            d.ellipse((x - r, y - r, x + r, y + r), fill=colour)


class Group:
    def __init__(self, shapes):
        self.shapes = list(shapes)

    def bbox(self):
        bs = [s.bbox() for s in self.shapes]
        return (min(b[0] for b in bs), min(b[1] for b in bs),
                max(b[2] for b in bs), max(b[3] for b in bs))

    def moved(self, xf):
        return Group([s.moved(xf) for s in self.shapes])

    def draw(self, d, colour, grow, off):
        for s in self.shapes:
            s.draw(d, colour, grow, off)


def arc(cx, cy, rx, ry, a0, a1, n=None):
    """Points along an elliptical arc; angles in degrees, 90 = straight down."""
    if n is None:
        n = max(4, int(abs(a1 - a0) / 8))
    out = []
    for i in range(n + 1):
        a = math.radians(a0 + (a1 - a0) * i / n)
        out.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return out


def bezier(p0, p1, p2, p3=None, n=12):
    """Quadratic (three points) or cubic (four points) Bezier as a point list."""
    out = []
    for i in range(n + 1):
        t = i / n
        u = 1 - t
        if p3 is None:
            x = u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0]
            y = u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]
        else:
            x = (u ** 3 * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0]
                 + t ** 3 * p3[0])
            y = (u ** 3 * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1]
                 + t ** 3 * p3[1])
        out.append((x, y))
    return out


def lerp(a, b, t):
    return a + (b - a) * t


def lerp_pt(p, q, t):
    return (p[0] + (q[0] - p[0]) * t, p[1] + (q[1] - p[1]) * t)


def shade(c, k):
    """Darken (k < 1) or lighten (k > 1, towards white) a colour."""
    if k <= 1:
        return tuple(int(round(v * k)) for v in c)
    t = k - 1
    return tuple(int(round(v + (255 - v) * t)) for v in c)


# -------------------------------------------------------------------- canvas

class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.im = Image.new('RGBA', (w * S, h * S), (0, 0, 0, 0))
        self.d = ImageDraw.Draw(self.im)

    def fill(self, shape, colour, grow=0.0):
        shape.draw(self.d, rgba(colour), grow, (0.0, 0.0))

    def line(self, pts, width, colour):
        self.fill(Stroke(pts, width), colour)

    def part(self, shape, colour, outline=INK, ow=1.0, dark=None,
             light=(0.7, -0.7), depth=2.5, lit=None, ldepth=1.2):
        """Outlined shape, optionally cel-shaded: `dark` fills the side away
        from `light`, `lit` a thin rim on the side facing it."""
        if outline is not None and ow > 0:
            self.fill(shape, outline, ow)
        if dark is None and lit is None:
            self.fill(shape, colour)
            return
        x0, y0, x1, y1 = shape.bbox()
        pad = max(depth, ldepth) + 2
        bx, by = math.floor(x0 - pad), math.floor(y0 - pad)
        bw, bh = math.ceil(x1 + pad) - bx, math.ceil(y1 + pad) - by
        mask = Image.new('L', (bw * S, bh * S), 0)
        shape.draw(ImageDraw.Draw(mask), 255, 0, (bx, by))
        box = (bx * S, by * S, (bx + bw) * S, (by + bh) * S)
        self.im.paste(rgba(colour), box, mask)
        for col, dist, sign in ((dark, depth, 1), (lit, ldepth, -1)):
            if col is None:
                continue
            dx = int(round(light[0] * dist * S * sign))
            dy = int(round(light[1] * dist * S * sign))
            moved = Image.new('L', mask.size, 0)
            moved.paste(mask, (dx, dy))
            self.im.paste(rgba(col), box, ImageChops.subtract(mask, moved))

    def resolve(self):
        """Reduce to final size: (RGB image, L mask with 0 or 255)."""
        r, g, b, a = [c.reduce(S) for c in self.im.split()]
        # Undrawn sub-pixels are (0,0,0,0), so the averaged colour channels
        # are premultiplied by coverage; divide it back out.
        chans = [ImageMath.eval(
            "convert(float(c) * 255.0 / max(float(a), 1.0) + 0.5, 'L')",
            c=c, a=a) for c in (r, g, b)]
        mask = a.point(lambda v: 255 if v >= 128 else 0)
        return Image.merge('RGB', chans), mask


# ------------------------------------------------------------------- sheets

class Sheet:
    """A horizontal strip of frames over a key colour, quantised to a
    256-entry palette: index 0 is the key, 1..255 the art."""

    def __init__(self, name):
        """The sheet stored as images/<name>.png, with the geometry and key colour that
        resources/media.h gives it; frames are drawn over the whole strip height."""
        row = table.sheet(name)
        fw, fh, count, key = row.fw, row.strip_height, row.frames, row.key
        self.name, self.fw, self.fh, self.count, self.key = name, fw, fh, count, key
        self.rgb = Image.new('RGB', (fw * count, fh), key)
        self.mask = Image.new('L', (fw * count, fh), 0)
        self.added = 0

    @property
    def size(self):
        return self.rgb.size

    def add(self, canvas):
        assert (canvas.w, canvas.h) == (self.fw, self.fh), self.name
        rgb, mask = canvas.resolve()
        x = self.added * self.fw
        self.rgb.paste(rgb, (x, 0), mask)
        self.mask.paste(mask, (x, 0))
        self.added += 1

    def quantise(self, check=True):
        """Return (palette of 256 RGB tuples, list of indices, row-major).
        check=False skips the frame-margin check, for previewing art that
        is still being laid out."""
        assert self.added == self.count, self.name
        w, h = self.size
        pix = list(self.rgb.getdata())
        m = list(self.mask.getdata())
        for f in range(self.count if check else 0):
            for y in range(h):
                for x in (f * self.fw, f * self.fw + self.fw - 1):
                    if m[y * w + x]:
                        raise ValueError('%s frame %d touches its neighbour at row %d'
                                         % (self.name, f, y))
        if m[0]:
            raise ValueError('%s: top-left pixel must be background' % self.name)
        art = [p for p, a in zip(pix, m) if a]
        colours = sorted(set(art))
        if len(colours) <= 255:
            pal = colours
            lookup = {c: i for i, c in enumerate(colours)}
            art_idx = [lookup[c] for c in art]
        else:
            strip = Image.new('RGB', (len(art), 1))
            strip.putdata(art)
            q = strip.quantize(colors=255, method=0, dither=0)
            flat = q.getpalette()[:255 * 3]
            pal = [tuple(flat[i:i + 3]) for i in range(0, len(flat), 3)]
            art_idx = list(q.getdata())
        pal = [keep_off_key(c, self.key) for c in pal]
        pal = [self.key] + pal + [(0, 0, 0)] * (255 - len(pal))
        out = []
        it = iter(art_idx)
        for a in m:
            out.append(next(it) + 1 if a else 0)
        return pal, out


def keep_off_key(c, key):
    """Move an art colour that landed on the key colour just off it."""
    if tuple(c) != tuple(key):
        return tuple(c)
    return tuple(v - 4 if v == 255 else v for v in c)


def clipped(cv, shape, draw):
    """Run draw(sub_canvas) and keep only what falls inside `shape`."""
    sub = Canvas(cv.w, cv.h)
    draw(sub)
    mask = Image.new('L', sub.im.size, 0)
    shape.draw(ImageDraw.Draw(mask), 255, 0, (0.0, 0.0))
    mask = ImageChops.multiply(mask, sub.im.getchannel('A'))
    cv.im.paste(sub.im, (0, 0), mask)
