"""The Start button and everything built out of it: the tilting and
standing-up buttons, the pile that grows into a figure and the walking
button creature."""

import math

import strokefont
from raster import (Canvas, Poly, Sheet, Stroke, lerp, move, turn)
from walker import ik, limb_end as limb


BW, BH = 56.0, 20.0        # button size in pixels

FACE = (192, 192, 192)
SHADOW = (128, 128, 128)
HIGHLIGHT = (255, 255, 255)
EDGE = (14, 14, 18)
TEXT = (10, 10, 14)
FLAG = [(228, 62, 40), (60, 170, 74), (46, 106, 216), (248, 198, 30)]
POLE = (70, 60, 60)


def rect(x0, y0, x1, y1):
    return Poly([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


def button(cv, xf, dim=1.0, rim=False):
    """One Start button; local coordinates run from (0, 0) to (BW, BH).
    `rim` adds a thin dark edge all round, which keeps overlapping buttons
    apart in the heap and the creature."""
    def F(shape, colour, grow=0.0):
        c = colour if dim == 1.0 else tuple(int(round(v * dim)) for v in colour)
        cv.fill(shape.moved(xf), c, grow)

    if rim:
        F(rect(0, 0, BW, BH), EDGE, 0.8)

    F(rect(0, 0, BW, BH), EDGE)
    F(rect(0, 0, BW - 1, BH - 1), HIGHLIGHT)
    F(rect(1, 1, BW - 1, BH - 1), SHADOW)
    F(rect(1, 1, BW - 2, BH - 2), FACE)
    # emblem: a four-striped pennant waving on a little pole
    x0, x1, top = 6.2, 17.4, 4.0
    stripe = 2.2

    def wave(x):
        return 1.1 * math.sin((x - x0) / (x1 - x0) * 1.6 * math.pi)

    xs = [x0 + (x1 - x0) * k / 10 for k in range(11)]
    outline = ([(x, top + wave(x)) for x in xs]
               + [(x, top + 4 * stripe + wave(x)) for x in reversed(xs)])
    F(Stroke(outline + [outline[0]], 1.1), EDGE)
    for i, col in enumerate(FLAG):
        a = top + i * stripe
        pts = ([(x, a + wave(x)) for x in xs]
               + [(x, a + stripe + wave(x)) for x in reversed(xs)])
        F(Poly(pts), col)
    F(Stroke([(5.0, 3.2), (5.0, 16.6)], 1.3), POLE)
    for st in strokefont.shapes('Start', 21.0, 14.3, 8.4, weight=2.0, squeeze=0.85):
        F(st, TEXT)


def place(cv, pivot_local, pivot_at, angle, dim=1.0, rim=True):
    """Draw a button rotated by `angle` (clockwise degrees) about the local
    point `pivot_local`, which lands on `pivot_at`."""
    xf = move(pivot_at[0] - pivot_local[0], pivot_at[1] - pivot_local[1]).then(
        turn(angle, *pivot_at))
    button(cv, xf, dim, rim)


def bone(cv, a, b, dim=1.0):
    """A button laid along the segment a-b, centred on its middle."""
    mid = ((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)
    ang = math.degrees(math.atan2(b[1] - a[1], b[0] - a[0]))
    place(cv, (BW / 2, BH / 2), mid, ang, dim)


# ------------------------------------------------------ tilting and standing

def start_tilt():
    sh = Sheet('start-tilt')
    w, h = sh.fw, sh.fh
    cv = Canvas(w, h)
    place(cv, (0, BH), (1, h), 0, rim=False)
    sh.add(cv)
    # rising out of the corner, tilted about 45 degrees
    for k, (x, y, ang) in enumerate([(16, 86, -40), (17, 76, -45), (17, 68, -45),
                                      (17, 62, -45), (17, 57.5, -45)]):
        cv = Canvas(w, h)
        place(cv, (0, BH), (x, y), ang, rim=False)
        sh.add(cv)
    return sh


def start_upright():
    sh = Sheet('start-upright')
    w, h = sh.fw, sh.fh
    cv = Canvas(w, h)
    place(cv, (0, BH), (1, h), 0, rim=False)
    sh.add(cv)
    for y in (96, 84, 76, 70, 66.5):
        cv = Canvas(w, h)
        place(cv, (0, BH), (22, y), -90, rim=False)
        sh.add(cv)
    return sh


# ------------------------------------------------------------ the creature

THIGH = SHIN = 46.0
UPPER = FORE = 38.0
SPINE = 52.0
ANKLE_UP = 10.0


def creature(cv, hip, ankles, feet, arm_angles, lean=0.0, nod=0.0, dims=(0.62, 1.0)):
    """ankles/feet/arm_angles: far side first.  arm_angles are (shoulder,
    elbow) in degrees from straight down, positive forward."""
    far_dim, near_dim = dims
    # limb() measures from straight down, so the spine points at 180 degrees;
    # subtracting the lean tips it forward (towards +x)
    neck = limb(hip, 180 - lean, SPINE)
    shoulder = limb(hip, 180 - lean, SPINE - 10)
    knees = [ik(hip, a, THIGH, SHIN, +1) for a in ankles]

    def arm(i, dim):
        sa, ea = arm_angles[i]
        elbow = limb(shoulder, sa, UPPER)
        hand = limb(elbow, sa + ea, FORE)
        bone(cv, shoulder, elbow, dim)
        bone(cv, elbow, hand, dim)

    def leg(i, dim):
        ankle = ankles[i]
        # the foot: a flat button with the ankle near its back end
        place(cv, (9, BH / 2), ankle, feet[i], dim)
        bone(cv, knees[i], ankle, dim)
        bone(cv, hip, knees[i], dim)

    arm(0, far_dim)
    leg(0, far_dim)
    bone(cv, hip, neck, 0.92)
    # head: two buttons stacked, with a third worn as a jaunty hat
    hx, hy = limb(neck, 180 - lean, 2)
    head_xf = move(hx - 22, hy - 2 * BH).then(turn(nod, hx, hy))
    button(cv, move(0, BH).then(head_xf), rim=True)
    button(cv, head_xf, rim=True)
    hat = move(-6, -BH + 3).then(turn(-14, 0, 0)).then(head_xf)
    button(cv, hat, rim=True)
    leg(1, near_dim)
    arm(1, near_dim)


def gait(p, stride, x0, ground):
    """(ankle, foot angle) at gait phase p: stance for p < 0.5, then swing."""
    ay = ground - ANKLE_UP - 0.5
    if p < 0.5:
        return (x0 + stride * (1 - 4 * p), ay), 0.0
    q = (p - 0.5) / 0.5
    x = x0 - stride + 2 * stride * math.sin(q * math.pi / 2)
    lift = 20.0 * math.sin(math.pi * q) ** 2 + 5.0 * (1 - q)
    return (x, ay - lift), lerp(18.0, -8.0, q)


def walk_pose(i, x0, ground):
    p = i / 6
    stride = 42.0
    far = gait((p + 0.5) % 1, stride, x0, ground)
    near = gait(p, stride, x0, ground)
    hipy = ground - 96
    for (ax, ay), _ in (far, near):
        reach = 0.985 * (THIGH + SHIN)
        hipy = max(hipy, ay - math.sqrt(max(reach * reach - (ax - x0) ** 2, 0)))
    swing = 42 * math.cos(2 * math.pi * p)
    c = math.cos(2 * math.pi * p)
    return dict(hip=(x0, hipy), ankles=[far[0], near[0]], feet=[far[1], near[1]],
                arm_angles=[(swing, 18 + 12 * c), (-swing, 18 - 12 * c)],
                lean=6.0, nod=3 * math.cos(4 * math.pi * p))


def stand_pose(x0, ground, crouch=0.0):
    ay = ground - ANKLE_UP - 0.5
    ankles = [(x0 - 20, ay), (x0 + 16, ay)]
    hipy = ground - 92 + crouch
    return dict(hip=(x0, hipy), ankles=ankles, feet=[0.0, 0.0],
                arm_angles=[(-22 - crouch * 0.6, 15 + crouch * 1.2),
                            (22 + crouch * 0.6, 15 + crouch * 1.2)],
                lean=crouch * 0.5, nod=crouch * 0.3)


def start_creature():
    sh = Sheet('start-creature')
    w, h = sh.fw, sh.fh
    for i in range(6):
        cv = Canvas(w, h)
        creature(cv, **walk_pose(i, 100.0, h))
        sh.add(cv)
    return sh


# ---------------------------------------------------------------- the pile

# buttons lying in a heap at the bottom-left: (left-bottom corner x, y, angle)
HEAP = [(1, 277, 0), (44, 277, -6), (16, 259, 9), (78, 277, 5), (34, 248, -14),
        (3, 240, 7), (60, 259, -22), (20, 226, -5), (70, 236, 12), (44, 216, 19),
        (8, 212, -11), (98, 270, -30), (32, 198, 4), (58, 194, -9)]


def start_pile():
    sh = Sheet('start-pile')
    w, h = sh.fw, sh.fh
    for count in (1, 4, 9, 14):
        cv = Canvas(w, h)
        for k, (x, y, ang) in enumerate(HEAP[:count]):
            place(cv, (0, BH), (x, y), ang, 1.0 if k % 3 else 0.9, rim=k > 0)
        sh.add(cv)
    for crouch in (34.0, 0.0):
        cv = Canvas(w, h)
        creature(cv, **stand_pose(74.0, h, crouch))
        sh.add(cv)
    return sh


def sheets():
    return [start_tilt(), start_upright(), start_pile(), start_creature()]
