"""Flying things: three ducks and the pink elephant, each flapping in two frames."""

import math

from raster import (INK, Canvas, Ellipse, Group, Poly, Sheet, Stroke, arc, bezier,
                    move, shade, turn)

WHITE = (255, 255, 255)
ORANGE = (250, 150, 32)
ORANGE_D = (204, 98, 18)


def draw_wing(cv, root, angle, length, width, colour, dark, lit=None, feathers=4,
               mirror=False, ow=1.1):
    """A feathered wing from `root` pointing along `angle` (degrees, 0 = +x,
    90 = down): a smooth leading edge and a scalloped trailing edge.  The
    leading edge is on the local -y side; `mirror` flips it so it faces
    forward whichever way the wing points."""
    sy = -1.0 if mirror else 1.0
    xf = move(*root).then(turn(angle, *root))
    L, W = length, width

    def P(x, y):
        return xf((x, y * sy))

    tip = (L, -0.05 * W)
    lead = bezier((0, -0.5 * W), (0.45 * L, -0.95 * W), (0.9 * L, -0.45 * W), tip, n=12)
    trail_curve = bezier(tip, (0.62 * L, 0.55 * W), (0.05 * L, 0.55 * W), n=feathers * 6)
    anchors = [trail_curve[k * 6] for k in range(feathers + 1)]
    cx, cy = 0.45 * L, 0.0
    trail = []
    for a, b in zip(anchors, anchors[1:]):
        mx, my = (a[0] + b[0]) / 2, (a[1] + b[1]) / 2
        dx, dy = b[0] - a[0], b[1] - a[1]
        d = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / d, dx / d
        if nx * (mx - cx) + ny * (my - cy) < 0:
            nx, ny = -nx, -ny
        trail += bezier(a, (mx + nx * d * 0.8, my + ny * d * 0.8), b, n=6)[:-1]
    outline = lead + trail + [anchors[-1], (0, 0.45 * W)]
    cv.part(Poly([P(x, y) for x, y in outline]), colour, ow=ow, dark=dark,
            light=(0.6, -0.8), depth=1.6, lit=lit, ldepth=0.9)
    for a in anchors[1:-1]:
        inner = (a[0] + (cx - a[0]) * 0.45, a[1] + (cy - a[1]) * 0.45)
        cv.line([P(*a), P(*inner)], 0.8, dark)
    cv.line([P(x, y) for x, y in bezier((0.08 * L, -0.1 * W), (0.4 * L, -0.3 * W),
                                        (0.6 * L, 0.05 * W), n=6)], 0.8, dark)


def duck(body, body_d, body_l, wing, wing_d, wing_l, name):
    sh = Sheet(name)
    for up in (False, True):
        cv = Canvas(sh.fw, sh.fh)
        # far wing, peeking out behind the body
        if up:
            draw_wing(cv, (31, 29), -82, 25, 11, shade(wing, 0.78), shade(wing_d, 0.8), mirror=True)
        else:
            draw_wing(cv, (31, 35), 78, 21, 10, shade(wing, 0.78), shade(wing_d, 0.8))
        # feet trailing under the tail
        for dx, dy in ((0, 0), (3, 2.2)):
            foot = Poly([(15 + dx, 41 + dy), (7 + dx, 41.5 + dy), (5 + dx, 44 + dy),
                         (8 + dx, 45.5 + dy), (11 + dx, 44.5 + dy), (16 + dx, 43.5 + dy)])
            cv.part(foot, ORANGE if dx else shade(ORANGE, 0.85), ow=1.0, dark=ORANGE_D,
                    light=(0.6, -0.8), depth=1.0)
        # tail and body
        tail = Poly([(14, 31), (4.5, 27.5), (7, 33), (4.0, 35.5), (14, 38.5)])
        cv.part(tail, body, ow=1.1, dark=body_d, light=(0.6, -0.8), depth=1.5)
        trunk = Group([Ellipse(26, 35, 15.5, 9.5, -10), Stroke([(36, 31), (43, 25)], 9.5)])
        cv.part(trunk, body, ow=1.2, dark=body_d, light=(0.55, -0.85), depth=3.0,
                lit=body_l, ldepth=1.1)
        # head
        cv.part(Ellipse(44.5, 22, 7.6, 7.0), body, ow=1.2, dark=body_d,
                light=(0.55, -0.85), depth=2.2, lit=body_l, ldepth=1.0)
        # bill
        bill = Group([Ellipse(52.0, 24.2, 4.6, 2.5, 10), Poly([(49.0, 21.2), (55.5, 24.0), (55.2, 26.0), (49.0, 26.4)])])
        cv.part(bill, ORANGE, ow=1.1, dark=ORANGE_D, light=(0.4, -0.9), depth=1.1)
        cv.line([(50.0, 24.4), (55.0, 25.2)], 0.7, ORANGE_D)
        # eye
        cv.part(Ellipse(46.2, 20.2, 2.3, 2.5), WHITE, ow=1.0)
        cv.fill(Ellipse(46.9, 20.4, 1.1, 1.4), INK)
        # near wing
        if up:
            draw_wing(cv, (26, 30), -104, 28, 12.5, wing, wing_d, wing_l, 5, mirror=True)
        else:
            draw_wing(cv, (26, 33), 100, 25, 12.5, wing, wing_d, wing_l, 5)
        sh.add(cv)
    return sh


def duck_blue():
    return duck((38, 164, 172), (22, 112, 126), (130, 214, 214),
                (218, 52, 196), (150, 28, 138), (246, 140, 232), 'duck-blue')


def duck_red():
    return duck((250, 0, 0), (176, 0, 10), (255, 110, 100),
                (140, 200, 250), (84, 140, 206), (206, 234, 255), 'duck-red')


def duck_yellow():
    return duck((176, 208, 40), (118, 150, 20), (218, 236, 120),
                (255, 220, 40), (214, 160, 20), (255, 244, 160), 'duck-yellow')


PINK = (246, 162, 192)
PINK_D = (212, 112, 152)
PINK_L = (255, 206, 222)
FEATHER = (252, 252, 255)
FEATHER_D = (190, 198, 222)


def elephant():
    sh = Sheet('elephant')
    for up in (True, False):
        cv = Canvas(sh.fw, sh.fh)
        # far wing behind the body
        if up:
            draw_wing(cv, (42, 19), -78, 16, 8, shade(FEATHER, 0.86), FEATHER_D, feathers=3,
                 mirror=True)
        else:
            draw_wing(cv, (42, 19), -160, 16, 8, shade(FEATHER, 0.86), FEATHER_D, feathers=3,
                 mirror=True)
        # far legs
        for x, dx in ((28.5, -6.5), (56.0, 5.0)):
            cv.part(Stroke([(x, 38), (x + dx, 54.5)], 7.4), shade(PINK, 0.88), ow=1.1,
                    dark=PINK_D, light=(0.7, -0.7), depth=1.8)
        # tail with a tuft
        cv.line([(16, 32), (9, 36), (6.5, 41)], 1.4, INK)
        cv.part(Ellipse(6.2, 42.0, 1.8, 2.4, 20), PINK_D, ow=0.9)
        body = Group([Ellipse(38, 31, 23, 14.5, -4), Ellipse(55, 29, 12, 12.5)])
        cv.part(body, PINK, ow=1.2, dark=PINK_D, light=(0.55, -0.85), depth=3.6, lit=PINK_L, ldepth=1.2)
        # near legs with toenails
        for x, dx in ((22.0, -7.5), (50.0, 6.0)):
            cv.part(Stroke([(x, 40), (x + dx, 54.5)], 8.2), PINK, ow=1.2, dark=PINK_D,
                    light=(0.7, -0.7), depth=2.0)
            a = math.atan2(14.5, dx)
            ux, uy = math.cos(a), math.sin(a)
            for k in (-2.4, 0.0, 2.4):
                cv.fill(Ellipse(x + dx + ux * 3.4 - uy * k, 54.5 + uy * 3.4 + ux * k, 1.0, 0.8),
                        WHITE)
        # trunk raised, trumpeting
        trunk = bezier((72, 30), (82, 34), (88, 22), (86, 9), n=14)
        tr = Group([Stroke(trunk[:6], 8.0), Stroke(trunk[5:11], 6.4), Stroke(trunk[10:], 5.2)])
        cv.part(tr, PINK, ow=1.2, dark=PINK_D, light=(-0.7, -0.7), depth=1.6)
        cv.part(Ellipse(86.0, 7.2, 3.6, 2.2, -10), PINK, ow=1.1, dark=PINK_D, light=(0, 1), depth=0.8)
        cv.fill(Ellipse(86.2, 6.9, 1.8, 0.9, -10), PINK_D)
        for t in (0.3, 0.45, 0.6, 0.75):
            i = int(t * 14)
            x, y = trunk[i]
            cv.line([(x - 2.2, y - 1.2), (x + 1.6, y + 1.6)], 0.7, PINK_D)
        # head
        cv.part(Ellipse(68, 24, 12.5, 12.0), PINK, ow=1.2, dark=PINK_D, light=(0.55, -0.85),
                depth=2.8, lit=PINK_L, ldepth=1.1)
        # tusk and smile
        cv.part(Poly(bezier((73, 33), (78, 37), (81, 33.5), n=6) + [(78.5, 32.5), (74.5, 31)]),
                WHITE, ow=1.0, dark=FEATHER_D, light=(0, -1), depth=0.7)
        cv.line(bezier((66, 31), (69, 34.5), (72.5, 32.0), n=6), 1.0, INK)
        # ear
        ear = Poly(bezier((62, 14), (45, 8), (44, 30), (58, 36), n=14) + [(60, 25)])
        cv.part(ear, PINK, ow=1.2, dark=PINK_D, light=(0.6, -0.8), depth=2.0)
        cv.part(Poly(bezier((59.5, 18), (50, 15), (49, 29), (57.5, 31.5), n=10) + [(58.5, 25)]),
                (240, 136, 170), ow=0)
        # eye
        cv.part(Ellipse(73.5, 20.0, 2.4, 3.0), WHITE, ow=1.0)
        cv.fill(Ellipse(74.3, 20.6, 1.2, 1.7), INK)
        cv.line(arc(73.5, 19.5, 3.2, 3.6, 210, 300, 5), 0.8, INK)
        # near wing on the back
        if up:
            draw_wing(cv, (36, 19), -100, 19, 9.5, FEATHER, FEATHER_D, WHITE, 4, mirror=True)
        else:
            draw_wing(cv, (36, 19), -170, 20, 9.5, FEATHER, FEATHER_D, WHITE, 4, mirror=True)
        sh.add(cv)
    return sh


def sheets():
    return [duck_blue(), duck_red(), duck_yellow(), elephant()]
