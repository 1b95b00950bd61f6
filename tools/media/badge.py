"""The promotional badge: a blue oval with a slogan, the campaign's site name
in a rounded frame, and a tag line."""

import math
import os
import re

import strokefont
import table
from raster import Canvas, Ellipse, Poly, Sheet, Stroke, arc

BLUE = (36, 88, 204)
BLUE_D = (22, 54, 146)
BLUE_L = (104, 156, 242)
RIM = (14, 28, 86)
WHITE = (255, 255, 255)
SHADOW = (12, 30, 100)

SLOGAN = ('SAY HOWDY', 'TO YOUR FRIENDS!')
TAGLINE = ('A SMILE A DAY', 'KEEPS THE BLUES AWAY')

W, H = table.sheet('badge').fw, table.sheet('badge').fh
CX, CY = 131.0, 99.0
RX, RY = 128.0, 96.5


def read_host(header):
    """CAMPAIGN_HOST's value from campaign.h (text of the header)."""
    m = re.search(r'^\s*#\s*define\s+CAMPAIGN_HOST\s+"([^"]*)"', header, re.M)
    if not m:
        raise ValueError('CAMPAIGN_HOST not defined')
    return m.group(1)


def host_from_file(path):
    with open(path, encoding='utf-8') as f:
        return read_host(f.read())


def room(y, margin):
    """Width available to text centred on line y inside the oval."""
    t = max(0.0, 1 - ((y - CY) / RY) ** 2)
    return 2 * RX * math.sqrt(t) - 2 * margin


def line(cv, text, base, size, weight, margin=20.0):
    # fit the line between the oval's edges at both its top and its baseline
    avail = min(room(base - size, margin), room(base, margin))
    k = min(1.0, avail / max(1.0, strokefont.width(text, size, weight)))
    squeeze = max(0.7, k)
    if k < 0.7:
        size *= k / 0.7
    for st in strokefont.shapes(text, CX + 0.8, base + 1.2, size, weight, squeeze, 'center'):
        cv.fill(st, SHADOW)
    for st in strokefont.shapes(text, CX, base, size, weight, squeeze, 'center'):
        cv.fill(st, WHITE)


def badge(host):
    sh = Sheet('badge')
    cv = Canvas(W, H)
    oval = Ellipse(CX, CY, RX, RY)
    cv.part(oval, BLUE, outline=RIM, ow=1.6, dark=BLUE_D, light=(-0.5, -0.87), depth=5.0,
            lit=BLUE_L, ldepth=2.0)
    # a soft gloss across the top and a thin inner ring
    cv.fill(Poly(arc(CX, CY - 50, RX * 0.72, 30, 200, 340, 24)
                 + arc(CX, CY - 36, RX * 0.66, 22, 330, 210, 24)), (58, 112, 224))
    cv.fill(Stroke(arc(CX, CY, RX - 7, RY - 7, 0, 360, 120), 1.6), WHITE)
    line(cv, SLOGAN[0], 46, 15.5, 2.0)
    line(cv, SLOGAN[1], 69, 15.5, 2.0)
    # the site name in a rounded frame
    size, weight = 14.0, 1.7
    tw = strokefont.width(host, size, weight)
    maxw = room(CY, 22) - 20
    squeeze = 1.0
    if tw > maxw:
        squeeze = max(0.75, maxw / tw)
        if tw * squeeze > maxw:
            size *= maxw / (tw * squeeze)
        tw = strokefont.width(host, size, weight, squeeze)
    fw, fh = tw + 20, 28
    r = 9
    x0, x1 = CX - fw / 2, CX + fw / 2
    y0, y1 = CY - fh / 2 + 1, CY + fh / 2 + 1
    frame = (arc(x1 - r, y0 + r, r, r, -90, 0, 6) + arc(x1 - r, y1 - r, r, r, 0, 90, 6)
             + arc(x0 + r, y1 - r, r, r, 90, 180, 6) + arc(x0 + r, y0 + r, r, r, 180, 270, 6))
    cv.fill(Poly(frame), BLUE_D)
    cv.fill(Stroke(frame + [frame[0]], 2.2), WHITE)
    base = CY + size * 0.5 + 0.5
    for st in strokefont.shapes(host, CX + 0.8, base + 1.2, size, weight, squeeze, 'center'):
        cv.fill(st, SHADOW)
    for st in strokefont.shapes(host, CX, base, size, weight, squeeze, 'center'):
        cv.fill(st, WHITE)
    line(cv, TAGLINE[0], 144, 13.0, 1.9)
    line(cv, TAGLINE[1], 165, 13.0, 1.9)
    # two little stars either side of the frame
    for sx in (-1, 1):
        x = CX + sx * (fw / 2 + 11)
        if abs(x - CX) < RX - 14:
            pts = []
            for k in range(10):
                a = math.radians(-90 + 36 * k)
                rr = 5.0 if k % 2 == 0 else 2.2
                pts.append((x + rr * math.cos(a), CY + 1 + rr * math.sin(a)))
            cv.fill(Poly(pts), WHITE)
    sh.add(cv)
    return sh


def default_host():
    here = os.path.dirname(os.path.abspath(__file__))
    return host_from_file(os.path.join(here, '..', '..', 'resources', 'campaign.h'))


def sheets(host=None):
    return [badge(host if host is not None else default_host())]
