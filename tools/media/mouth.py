"""The mouth: red lips that grow, open wide to show teeth and tongue, and
close again."""

from raster import INK, Canvas, Ellipse, Poly, Sheet, bezier, clipped

LIP = (228, 26, 42)
LIP_D = (158, 6, 26)
LIP_L = (255, 132, 140)
INSIDE = (84, 6, 26)
TEETH = (252, 252, 244)
TEETH_D = (196, 198, 206)
TONGUE = (238, 100, 120)
TONGUE_D = (190, 56, 82)

# (scale, openness) for each of the fifteen frames
BEATS = [(0.34, 0.0), (0.48, 0.12), (0.62, 0.3), (0.76, 0.5), (0.88, 0.72), (0.96, 0.88),
         (1.0, 1.0), (1.0, 0.93), (1.0, 1.0), (0.96, 0.86), (0.88, 0.68), (0.76, 0.46),
         (0.62, 0.26), (0.48, 0.1), (0.34, 0.0)]


def lips(cv, cx, cy, s, o, wag=0.0):
    W = 53.0 * s * (1 - 0.16 * o)
    Hu = 12.0 * s
    Hl = 12.5 * s
    gap = 36.0 * s * o            # how far the lower lip drops
    lift = 5.0 * s * o            # upper lip rises a little as it opens
    cy = cy - 0.45 * gap          # keep the whole mouth centred as it opens

    def P(x, y):
        return (cx + x, cy + y)

    L, R = (-W, 0.0), (W, 0.0)
    up_l = bezier(L, (-0.62 * W, -0.45 * Hu), (-0.42 * W, -1.15 * Hu), (-0.2 * W, -1.05 * Hu), n=10)
    up_m = bezier((-0.2 * W, -1.05 * Hu), (-0.1 * W, -1.0 * Hu), (-0.03 * W, -0.72 * Hu), (0, -0.7 * Hu), n=4)
    upper = up_l + up_m[1:] + [(-x, y) for x, y in reversed(up_l + up_m[1:-1])]
    low_r = bezier(R, (0.82 * W, 0.75 * (gap + Hl)), (0.42 * W, gap + Hl), (0, gap + Hl), n=12)
    lower = low_r + [(-x, y) for x, y in reversed(low_r[:-1])]
    outline = Poly([P(x, y) for x, y in upper + lower[1:-1]])
    cv.part(outline, LIP, ow=1.3, dark=LIP_D, light=(-0.35, -0.95), depth=3.2 * s + 0.8,
            lit=LIP_L, ldepth=0.9)
    if o <= 0.02:
        # closed: a lip line with little dimples at the corners
        line = bezier((-0.96 * W, 0.0), (-0.3 * W, 0.35 * Hu), (0.3 * W, 0.35 * Hu), (0.96 * W, 0.0), n=12)
        cv.line([P(x, y) for x, y in line], 1.2, INK)
        for sx in (-1, 1):
            cv.line([P(sx * 0.98 * W, -0.25 * Hu), P(sx * 0.9 * W, 0.2 * Hu)], 1.0, INK)
        cv.fill(Ellipse(cx - 0.25 * W, cy + 0.75 * Hl, 0.2 * W, 0.16 * Hl, -8), LIP_L)
        return
    # the opening
    ci = 0.9 * W
    top_edge = bezier((-ci, 0.0), (-0.4 * W, -0.35 * Hu - lift), (0.4 * W, -0.35 * Hu - lift), (ci, 0.0), n=14)
    bot_edge = bezier((ci, 0.0), (0.55 * W, gap * 1.3), (-0.55 * W, gap * 1.3), (-ci, 0.0), n=14)
    hole = Poly([P(x, y) for x, y in top_edge + bot_edge[1:-1]])
    cv.fill(hole, INK, 1.0)

    def inside(sub):
        sub.fill(hole, INSIDE)
        # tongue
        th = max(2.0, gap * 0.55)
        sub.part(Ellipse(cx + wag, cy + gap * 1.0, 0.45 * W, th), TONGUE, ow=1.0,
                 dark=TONGUE_D, light=(0, -1), depth=1.2, lit=None)
        sub.line([(cx + wag, cy + gap * 1.0 - th * 0.8), (cx + wag, cy + gap * 1.0 - th * 0.3)],
                 1.0, TONGUE_D)
        # upper teeth hang from the top edge, lower ones stand on the bottom
        th_u = min(8.5 * s, 0.42 * gap + 2)
        band = [(x, y) for x, y in top_edge]
        band += [(x, y + th_u) for x, y in reversed(top_edge)]
        sub.part(Poly([P(x, y) for x, y in band]), TEETH, ow=0.9, dark=TEETH_D,
                 light=(0, -1), depth=1.4)
        for k in range(-3, 4):
            x = k * 0.19 * W
            y = -0.26 * Hu - lift * 0.75 * (1 - (x / ci) ** 2)
            sub.line([P(x, y), P(x, y + th_u * 0.85)], 0.8, TEETH_D)
        if o > 0.35:
            th_l = min(4.5 * s, 0.2 * gap)
            mid = bot_edge[3:-3]
            bb = [(x, y + 2) for x, y in mid]
            bb += [(x, y - th_l) for x, y in reversed(mid)]
            sub.part(Poly([P(x, y) for x, y in bb]), TEETH, ow=0.9, dark=TEETH_D,
                     light=(0, 1), depth=1.0)

    clipped(cv, hole, inside)
    cv.fill(Ellipse(cx - 0.28 * W, cy + gap + 0.62 * Hl, 0.2 * W, 0.16 * Hl, -8), LIP_L)
    cv.fill(Ellipse(cx + 0.3 * W, cy - 0.78 * Hu, 0.12 * W, 0.1 * Hu, 8), LIP_L)


def mouth():
    sh = Sheet('mouth')
    for i, (s, o) in enumerate(BEATS):
        cv = Canvas(sh.fw, sh.fh)
        wag = {6: -3.0, 7: 0.0, 8: 3.0}.get(i, 0.0)
        lips(cv, 59.5, 50.0, s, o, wag)
        sh.add(cv)
    return sh


def sheets():
    return [mouth()]
