"""The walker: walk cycle, swallowing and tripping sheets.

All three sheets share one figure model (head, torso, limbs, sneakers) so
the character looks the same whichever sheet is playing.
"""

import math

from raster import (INK, Canvas, Ellipse, Group, Poly, Sheet, Stroke, arc, bezier,
                    lerp, lerp_pt, move, turn)


SKIN = (250, 204, 164)
SKIN_D = (222, 156, 118)
SKIN_L = (255, 228, 202)
HAIR = (132, 80, 38)
HAIR_D = (92, 52, 22)
HAIR_L = (176, 116, 62)
SHIRT = (248, 248, 244)
SHIRT_D = (192, 200, 222)
PANTS = (60, 100, 200)
PANTS_D = (38, 66, 150)
PANTS_FAR = (46, 80, 170)
PANTS_FAR_D = (30, 52, 124)
SHOE = (40, 168, 160)
SHOE_D = (22, 118, 116)
SHOE_FAR = (30, 138, 132)
SOLE = (246, 246, 240)
SOLE_D = (196, 196, 188)
WHITE = (255, 255, 255)
MOUTH = (120, 22, 44)
TONGUE = (236, 112, 124)
GREEN = (118, 206, 74)
GREEN_D = (66, 148, 48)
GREEN_L = (180, 236, 130)
CANDY = (250, 130, 200)

GROUND = 116.0
THIGH, SHIN = 21.5, 20.5
TORSO = 24.0            # hip joint to shoulder joint
UPPER_ARM, FOREARM = 14.0, 13.0


def ik(root, target, l1, l2, forward):
    """Middle joint of a two-bone limb; `forward` picks the bend side (+1 knee
    towards +x, -1 away)."""
    dx, dy = target[0] - root[0], target[1] - root[1]
    d = math.hypot(dx, dy)
    d = min(max(d, abs(l1 - l2) + 1e-3), l1 + l2 - 1e-3)
    a = math.atan2(dy, dx)
    b = math.acos((l1 * l1 + d * d - l2 * l2) / (2 * l1 * d))
    cands = [(root[0] + l1 * math.cos(a + s * b), root[1] + l1 * math.sin(a + s * b))
             for s in (1, -1)]
    cands.sort(key=lambda p: p[0])
    return cands[1] if forward > 0 else cands[0]


def limb_end(root, angle, length):
    """angle in degrees from straight down, positive swinging towards +x."""
    t = math.radians(angle)
    return (root[0] + length * math.sin(t), root[1] + length * math.cos(t))


# --------------------------------------------------------------------- head

def head(cv, hx, hy, tilt=0.0, eyes='open', mouth='smile', phase=0.0,
         look=(1.4, 0.4), cheek=False):
    """Head centred at (hx, hy), facing right, rotated by `tilt` degrees about
    the neck (positive tips the face down)."""
    xf = move(hx, hy).then(turn(tilt, hx, hy + 17))

    def P(pts):
        return Poly(pts).moved(xf)

    def E(cx, cy, rx, ry, rot=0.0):
        return Ellipse(cx, cy, rx, ry, rot).moved(xf)

    def L(pts, w, col=INK):
        cv.fill(Stroke(pts, w).moved(xf), col)

    skull = Group([E(0, 0, 17, 18.5), E(6, 7, 12.5, 10.5)])
    cv.part(skull, SKIN, ow=1.2, dark=SKIN_D, light=(0.75, -0.65), depth=3.2,
            lit=SKIN_L, ldepth=1.0)

    # hair: a cap over the top and back with a few tufts at the crown and fringe
    outer = []
    for i in range(29):
        a = -48 - 182 * i / 28
        r = 1.0 + 0.09 * abs(math.sin(math.radians(a * 5.0)))
        outer.append((19.3 * r * math.cos(math.radians(a)),
                      20.6 * r * math.sin(math.radians(a)) - 0.5))
    hairline = [(-13.5, 13.0), (-10.0, 9.0), (-8.5, 3.0), (-6.0, -4.5),
                (-1.0, -10.0), (3.5, -13.0), (6.5, -12.5), (8.5, -15.0),
                (11.5, -14.5), (12.5, -16.5)]
    cv.part(P(outer + hairline), HAIR, ow=1.2, dark=HAIR_D, light=(0.6, -0.8),
            depth=2.6, lit=HAIR_L, ldepth=1.0)
    L([(-4, -12), (2, -15.5)], 0.9, HAIR_D)
    L([(-11, -6), (-7, -12)], 0.9, HAIR_D)

    # ear
    cv.part(E(-6.5, 4.5, 4.0, 5.4, 10), SKIN, ow=1.1, dark=SKIN_D,
            light=(0.8, -0.6), depth=1.5)
    L(arc(-6.2, 4.8, 1.8, 2.8, -100, 110, 8), 0.9, SKIN_D)

    # eyes: the far one sits further forward and a little smaller
    for ex, ey, rx, ry in ((16.8, -6.4, 3.5, 5.2), (9.8, -5.8, 4.3, 5.8)):
        if eyes == 'closed':
            L(arc(ex, ey + 1, rx * 0.9, 2.2, 200, 340, 8), 1.3)
            continue
        cv.part(E(ex, ey, rx, ry), WHITE, ow=1.0)
        if eyes == 'spiral':
            pts = []
            for k in range(40):
                t = k / 39
                a = phase * 2 * math.pi + t * 3.2 * math.pi
                pts.append((ex + t * (rx - 0.9) * math.cos(a),
                            ey + t * (ry - 0.9) * math.sin(a)))
            L(pts, 0.9)
        else:
            cv.fill(E(ex + look[0], ey + look[1], rx * 0.45, ry * 0.5), INK)
            cv.fill(E(ex + look[0] - 0.8, ey + look[1] - 1.3, 0.8, 0.8), WHITE)
    # eyebrows
    if eyes != 'spiral':
        lift = -1.5 if eyes == 'closed' else 0.0
        L([(6.5, -13.6 + lift), (12.5, -14.6 + lift)], 1.3, INK)
        L([(15.0, -14.6 + lift), (19.4, -13.8 + lift)], 1.1, INK)

    # mouth, drawn before the nose so the nose overlaps it
    if mouth == 'smile':
        L(bezier((9.5, 10.5), (15, 15.0), (21.5, 9.5)), 1.2)
        L([(8.6, 9.4), (10.0, 11.4)], 1.0)
    elif mouth == 'grin':
        cv.part(P(bezier((9, 9.5), (16, 18.5), (23, 8.5)) + [(16, 10.5)]), WHITE, ow=1.1)
        L([(8.0, 8.6), (9.4, 10.6)], 1.0)
    elif mouth == 'o':
        cv.part(E(16.5, 12.0, 3.0, 3.2), MOUTH, ow=1.1)
    elif mouth == 'shut':
        L([(11.5, 12.0), (18.5, 11.5)], 1.2)
        if cheek:
            cv.part(E(6.5, 9.5, 4.5, 4.0), SKIN, ow=0.0, dark=SKIN_D,
                    light=(0.5, -0.8), depth=1.6)
    elif mouth == 'wide':
        inner = E(15.5, 13.5, 7.5, 6.5, -6)
        cv.part(inner, MOUTH, ow=1.2)
        cv.fill(Poly(arc(15.5, 13.5, 7.5, 6.5, 20, 160, 12)).moved(
            turn(-6, 15.5, 13.5)).moved(xf), MOUTH)
        cv.part(E(16.0, 17.5, 4.5, 2.4, -6), TONGUE, ow=0)
        cv.fill(P([(10, 9.2), (21, 8.0), (20.5, 10.2), (10.5, 11.2)]), WHITE)

    # long nose with a round tip
    nose = Group([E(21.5, 2.2, 11.0, 4.4, 9), E(30.5, 4.2, 4.8, 4.8)])
    cv.part(nose, SKIN, ow=1.2, dark=SKIN_D, light=(0.5, -0.85), depth=2.2)
    cv.fill(E(29.8, 1.9, 1.6, 1.0, -10), SKIN_L)
    L(arc(26.5, 5.2, 1.6, 1.4, 120, 260, 6), 0.8, SKIN_D)


# --------------------------------------------------------------------- body

def shoe(cv, ankle, angle, far=False):
    xf = move(*ankle).then(turn(angle, *ankle))
    upper = Group([Ellipse(5.0, 1.6, 7.6, 3.7), Ellipse(-1.8, 1.2, 3.9, 3.9),
                   Poly([(-4.5, 4.8), (-4.5, 0), (0, -3.2), (3, -1.5), (12, 2), (12.6, 4.8)])])
    sole = Stroke([(-4.8, 4.7), (12.0, 4.7)], 2.0)
    top = SHOE_FAR if far else SHOE
    cv.part(upper.moved(xf), top, ow=1.1, dark=SHOE_D, light=(0.5, -0.85), depth=1.6)
    cv.part(sole.moved(xf), SOLE, ow=1.0, dark=SOLE_D, light=(0, -1), depth=0.8)
    cv.fill(Stroke([(1.6, -0.8), (3.4, 0.3)], 0.8).moved(xf), WHITE)
    cv.fill(Stroke([(3.4, -0.2), (5.2, 0.7)], 0.8).moved(xf), WHITE)
    cv.fill(Stroke([(9.0, 2.2), (11.8, 3.7)], 1.0).moved(xf), SOLE)


def leg(cv, hip, knee, ankle, far=False):
    col, dark = (PANTS_FAR, PANTS_FAR_D) if far else (PANTS, PANTS_D)
    g = Group([Stroke([hip, knee], 11.0), Stroke([knee, ankle], 9.2),
               Stroke([lerp_pt(knee, ankle, 0.85), ankle], 10.4)])
    cv.part(g, col, ow=1.1, dark=dark, light=(0.7, -0.7), depth=2.4)


def arm(cv, shoulder, elbow, hand, colour=SKIN, dark=SKIN_D, sleeve=True,
        holding=False):
    g = Group([Stroke([shoulder, elbow], 6.6), Stroke([elbow, hand], 6.0)])
    cv.part(g, colour, ow=1.1, dark=dark, light=(0.7, -0.7), depth=1.8)
    # mitten hand a little beyond the wrist
    dx, dy = hand[0] - elbow[0], hand[1] - elbow[1]
    d = math.hypot(dx, dy) or 1.0
    hc = (hand[0] + dx / d * 2.0, hand[1] + dy / d * 2.0)
    cv.part(Ellipse(hc[0], hc[1], 4.3, 4.0), colour, ow=1.1, dark=dark,
            light=(0.7, -0.7), depth=1.4)
    cv.fill(Stroke([(hc[0] - 1.5, hc[1] - 0.5), (hc[0] + 1.2, hc[1] + 1.5)], 0.8), dark)
    if holding:
        cv.part(Ellipse(hc[0] + dx / d * 2.8 + 1.2, hc[1] + dy / d * 2.8 - 2.2, 2.0, 2.0),
                CANDY, ow=1.0)
    if sleeve:
        mid = lerp_pt(shoulder, elbow, 0.62)
        cv.part(Stroke([shoulder, mid], 9.0), SHIRT, ow=1.1, dark=SHIRT_D,
                light=(0.7, -0.7), depth=2.0)


def torso(cv, hip, lean):
    """Shirt and the top of the trousers; returns (shoulder, neck base)."""
    xf = move(*hip).then(turn(lean, *hip))
    pelvis = Group([Ellipse(0.5, 0.5, 8.6, 6.0)])
    cv.part(pelvis.moved(xf), PANTS, ow=1.1, dark=PANTS_D, light=(0.7, -0.7), depth=2.2)
    body = Poly([(-7.6, 1.0), (-8.4, -9), (-8.0, -19), (-6.2, -24.5), (-2.5, -27.0),
                 (3.5, -27.0), (7.2, -24.0), (9.2, -17), (9.4, -8), (8.8, 1.5),
                 (1.0, 2.6)])
    cv.part(body.moved(xf), SHIRT, ow=1.1, dark=SHIRT_D, light=(0.8, -0.6), depth=3.0)
    # collar and a button placket
    cv.fill(Stroke([(-1.8, -26.2), (2.6, -22.4), (5.6, -26.0)], 1.0).moved(xf), SHIRT_D)
    cv.fill(Stroke([(4.8, -20.5), (5.6, -2.0)], 0.8).moved(xf), SHIRT_D)
    for yy in (-15.0, -8.5):
        cv.fill(Ellipse(6.6, yy, 0.8, 0.8).moved(xf), SHIRT_D)
    return xf((0.0, -TORSO + 2.5)), xf((1.0, -27.0))


def neck(cv, base, top):
    cv.part(Stroke([base, top], 6.5), SKIN, ow=1.1, dark=SKIN_D,
            light=(0.8, -0.6), depth=2.0)


def figure(cv, hip, lean, legs, arms, headargs):
    """legs: [(ankle, shoe angle), ...] far leg first; arms: [(elbow, hand,
    holding), ...] far arm first, given relative to the shoulder."""
    knees = [ik(hip, a, THIGH, SHIN, +1) for a, _ in legs]
    # far arm and far leg sit behind the body
    xf = move(*hip).then(turn(lean, *hip))
    shoulder = xf((0.0, -TORSO + 2.5))
    colour, dark = SKIN, SKIN_D
    far_elbow, far_hand, far_hold = arms[0]
    arm(cv, shoulder, far_elbow, far_hand, colour, dark, sleeve=True, holding=far_hold)
    leg(cv, hip, knees[0], legs[0][0], far=True)
    shoe(cv, legs[0][0], legs[0][1], far=True)
    leg(cv, hip, knees[1], legs[1][0])
    shoe(cv, legs[1][0], legs[1][1])
    shoulder, base = torso(cv, hip, lean)
    hx, hy = xf((3.0, -TORSO - 20.5))
    neck(cv, base, (hx + 0.5, hy + 15.0))
    head(cv, hx, hy, **headargs)
    elbow, hand, hold = arms[1]
    arm(cv, shoulder, elbow, hand, colour, dark, sleeve=True, holding=hold)


def shoulder_of(hip, lean):
    return (move(*hip).then(turn(lean, *hip)))((0.0, -TORSO + 2.5))


def swing_arm(shoulder, angle, bend):
    elbow = limb_end(shoulder, angle, UPPER_ARM)
    hand = limb_end(elbow, angle + bend, FOREARM)
    return elbow, hand


# --------------------------------------------------------------------- feet

SOLE_Y = GROUND - 0.6            # underside of the sole, outline reaches the edge
HEEL = (-4.8, 5.5)
TOE = (12.3, 5.5)


def planted(x, angle=0.0, pivot=None):
    """Ankle position for a shoe whose nominal ankle x is `x`, rotated by
    `angle` about its heel or toe (whichever stays on the ground)."""
    flat = (x, SOLE_Y - 5.5)
    if angle == 0.0 or pivot is None:
        return flat
    local = HEEL if pivot == 'heel' else TOE
    gp = (x + local[0], SOLE_Y)
    t = math.radians(angle)
    rx = math.cos(t) * local[0] - math.sin(t) * local[1]
    ry = math.sin(t) * local[0] + math.cos(t) * local[1]
    return (gp[0] - rx, gp[1] - ry)


def smooth(t):
    return t * t * (3 - 2 * t)


def foot_at(p, stride, x0):
    """(ankle, shoe angle) for a foot at gait phase p in [0, 1): stance in the
    first half (heel strike at 0), swing in the second."""
    if p < 0.5:
        x = x0 + stride * (1 - 4 * p)
        if p == 0:
            return planted(x, -12.0, 'heel'), -12.0
        return planted(x), 0.0
    q = (p - 0.5) / 0.5
    if q == 0:
        return planted(x0 - stride, 24.0, 'toe'), 24.0
    # swing: the foot passes under the body high, then reaches forward low
    x = x0 - stride + 2 * stride * math.sin(q * math.pi / 2)
    lift = 7.0 * math.sin(math.pi * q) ** 2 + 2.5 * (1 - q)
    ang = lerp(30.0, -16.0, q)
    ax, ay = planted(x)
    return (ax, ay - lift), ang


# -------------------------------------------------------------------- sheets

def walk():
    sh = Sheet('walk')
    stride = 20.0
    hipx = 55.0
    for i in range(6):
        p = i / 6
        near = foot_at(p, stride, hipx + 1.0)
        far = foot_at((p + 0.5) % 1, stride, hipx + 1.0)
        hipy = 69.0
        for (ax, ay), _ in (near, far):
            dx = ax - hipx
            reach = 0.985 * (THIGH + SHIN)
            hipy = max(hipy, ay - math.sqrt(max(reach * reach - dx * dx, 0)))
        hip = (hipx, hipy)
        lean = 3.0
        sh_pt = shoulder_of(hip, lean)
        phase = 2 * math.pi * p
        swing = 32.0 * math.cos(phase)
        far_arm = swing_arm(sh_pt, swing, 30 + 18 * math.cos(phase))
        near_arm = swing_arm(sh_pt, -swing, 30 - 18 * math.cos(phase))
        bob = math.cos(2 * phase)
        cv = Canvas(sh.fw, sh.fh)
        figure(cv, hip, lean, [far, near],
               [(far_arm[0], far_arm[1], False), (near_arm[0], near_arm[1], False)],
               dict(tilt=1.5 * bob, look=(1.6, 0.2)))
        sh.add(cv)
    return sh


def swallow():
    sh = Sheet('swallow')
    hipx = 26.5
    # (hand target relative to the head centre or None for a hanging arm,
    #  head tilt, eyes, mouth, holding the candy)
    beats = [
        (None, 0.0, 'open', 'smile', True),
        ((8.0, 14.0), 0.0, 'open', 'smile', True),
        ((17.0, 16.0), -4.0, 'open', 'o', True),
        ((13.0, 19.0), -10.0, "closed", "shut", False),
        (None, -6.0, 'closed', 'shut', False),
        (None, 0.0, 'open', 'grin', False),
    ]
    for i, (target, tilt, eyes, mouth, hold) in enumerate(beats):
        cv = Canvas(sh.fw, sh.fh)
        hip = (hipx, 68.4)
        lean = -2.0 if i in (3, 4) else 0.0
        legs = [(planted(hipx - 6.0), 0.0), (planted(hipx + 1.0), 0.0)]
        sh_pt = shoulder_of(hip, lean)
        far = swing_arm(sh_pt, -8.0, 14.0)
        hx, hy = move(*hip).then(turn(lean, *hip))((3.0, -TORSO - 20.5))
        if target is None:
            near = swing_arm(sh_pt, 6.0, 16.0)
        else:
            t = (hx + target[0], hy + target[1])
            elbow = ik(sh_pt, t, UPPER_ARM, FOREARM + 2.0, +1)
            d = math.hypot(t[0] - elbow[0], t[1] - elbow[1])
            hand = lerp_pt(elbow, t, FOREARM / d)
            near = (elbow, hand)
        figure(cv, hip, lean, legs,
               [(far[0], far[1], False), (near[0], near[1], hold)],
               dict(tilt=tilt, eyes=eyes, mouth=mouth, cheek=(i == 3)))
        if i == 4:
            # a little "gulp" mark by the throat
            for k in range(3):
                a = math.radians(200 + k * 40)
                cx, cy = hx + 14.0, hy + 25.0
                cv.line([(cx + 4 * math.cos(a), cy + 4 * math.sin(a)),
                         (cx + 7 * math.cos(a), cy + 7 * math.sin(a))], 1.0, INK)
        sh.add(cv)
    return sh


def noodle(shoulder, reach, angle, wave, phase, n=24):
    """A wobbly arm: points from the shoulder along `angle` (degrees from
    straight down), bent into a travelling wave."""
    t0 = math.radians(angle)
    ux, uy = math.sin(t0), math.cos(t0)
    px, py = -uy, ux
    pts = []
    for k in range(n + 1):
        s = k / n
        off = wave * math.sin(2 * math.pi * (1.3 * s - phase)) * s
        pts.append((shoulder[0] + ux * reach * s + px * off,
                    shoulder[1] + uy * reach * s + py * off))
    return pts


def green_arm(cv, pts):
    cv.part(Stroke(pts, 6.2), GREEN, ow=1.1, dark=GREEN_D, light=(0.7, -0.7),
            depth=1.8, lit=GREEN_L, ldepth=0.8)
    (x0, y0), (x1, y1) = pts[-2], pts[-1]
    d = math.hypot(x1 - x0, y1 - y0) or 1.0
    hc = (x1 + (x1 - x0) / d * 2.5, y1 + (y1 - y0) / d * 2.5)
    cv.part(Ellipse(hc[0], hc[1], 4.4, 4.2), GREEN, ow=1.1, dark=GREEN_D,
            light=(0.7, -0.7), depth=1.4)
    # fingers splayed
    for a in (-40, 0, 40):
        t = math.atan2(y1 - y0, x1 - x0) + math.radians(a)
        cv.part(Stroke([hc, (hc[0] + 5.2 * math.cos(t), hc[1] + 5.2 * math.sin(t))], 2.0),
                GREEN, ow=1.0)


def trip():
    sh = Sheet('trip')
    hipx = 42.0
    for i in range(6):
        ph = i / 6
        sway = 6.0 * math.sin(2 * math.pi * ph)
        cv = Canvas(sh.fw, sh.fh)
        hip = (hipx + sway * 0.5, 69.8 + 1.2 * math.cos(4 * math.pi * ph))
        lean = -sway * 1.3
        legs = [(planted(hipx - 10.0), 0.0), (planted(hipx + 7.0), 0.0)]
        sh_pt = shoulder_of(hip, lean)
        # arms drawn by hand here: wavy and green, one behind and one in front
        xf = move(*hip).then(turn(lean, *hip))
        hx, hy = xf((3.0, -TORSO - 20.5))
        back = noodle(sh_pt, 26.0, -118 + 26 * math.sin(2 * math.pi * ph), 4.5, ph)
        front = noodle(sh_pt, 26.0, 64 + 18 * math.sin(2 * math.pi * (ph + 0.35)), 4.5,
                       ph + 0.5)
        green_arm(cv, back)
        knees = [ik(hip, a, THIGH, SHIN, +1) for a, _ in legs]
        leg(cv, hip, knees[0], legs[0][0], far=True)
        shoe(cv, legs[0][0], legs[0][1], far=True)
        leg(cv, hip, knees[1], legs[1][0])
        shoe(cv, legs[1][0], legs[1][1])
        _, base = torso(cv, hip, lean)
        neck(cv, base, (hx + 0.5, hy + 15.0))
        head(cv, hx, hy, tilt=-4 + 6 * math.sin(2 * math.pi * ph + 1.0),
             eyes='spiral', mouth='wide', phase=-ph)
        green_arm(cv, front)
        sh.add(cv)
    return sh


def sheets():
    return [walk(), swallow(), trip()]
