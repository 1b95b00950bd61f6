"""Synthesised sound effects and a plain PCM WAV writer.

Everything is computed sample by sample in floating point from fixed
parameters and a seeded LCG, so a rerun writes the same bytes.
"""

import math
import struct


class Lcg:
    """Numerical Recipes LCG: tiny and the same on every Python."""

    def __init__(self, seed):
        self.state = seed & 0xffffffff

    def uniform(self):
        self.state = (1664525 * self.state + 1013904223) & 0xffffffff
        return self.state / 2147483648.0 - 1.0


def wav(samples, rate, bits):
    """RIFF WAVE, PCM, mono.  samples are floats in [-1, 1]."""
    if bits == 8:
        data = bytes(max(1, min(255, int(round(128 + 127 * v)))) for v in samples)
    else:
        data = b''.join(struct.pack('<h', max(-32767, min(32767, int(round(32767 * v)))))
                        for v in samples)
    block = bits // 8
    fmt = struct.pack('<HHIIHH', 1, 1, rate, rate * block, block, bits)
    return (b'RIFF' + struct.pack('<I', 36 + len(data)) + b'WAVE'
            + b'fmt ' + struct.pack('<I', 16) + fmt
            + b'data' + struct.pack('<I', len(data)) + data)


def finish(x, rate, peak=0.86, fade_in=0.004, fade_out=0.012):
    """Remove DC, normalise to `peak` and fade both ends so nothing clicks."""
    n = len(x)
    mean = sum(x) / n
    x = [v - mean for v in x]
    top = max(abs(v) for v in x) or 1.0
    x = [v * peak / top for v in x]
    a, b = int(fade_in * rate), int(fade_out * rate)
    for i in range(a):
        x[i] *= 0.5 - 0.5 * math.cos(math.pi * i / a)
    for i in range(b):
        x[n - 1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / b)
    # the fades shift the mean a touch; take it out again over the body only
    mean = sum(x) / n
    return [v - mean * (1 if a <= i < n - b else 0) for i, v in enumerate(x)]


class Resonator:
    """Two-pole band-pass at frequency f with bandwidth bw (Hz)."""

    def __init__(self, f, bw, rate):
        self.rate = rate
        self.tune(f, bw)
        self.y1 = self.y2 = 0.0
        self.x1 = 0.0

    def tune(self, f, bw):
        r = math.exp(-math.pi * bw / self.rate)
        self.a1 = 2 * r * math.cos(2 * math.pi * f / self.rate)
        self.a2 = -r * r
        self.g = (1 - r * r) * 0.5

    def __call__(self, x):
        y = self.g * (x - self.x1) + self.a1 * self.y1 + self.a2 * self.y2
        self.x1 = x
        self.y2, self.y1 = self.y1, y
        return y


def count(seconds, rate):
    return int(round(seconds * rate))


def quack(rate, f0, f1, formants, seed, seconds=0.18):
    """A nasal quack: a buzzy pulse train whose pitch sags, pushed through a
    few narrow formants that open up from a closed "k/w" shape to the vowel,
    with a fast attack and a throaty tail."""
    n = count(seconds, rate)
    rng = Lcg(seed)
    res = [Resonator(f, bw, rate) for f, bw, _ in formants]
    gains = [g for _, _, g in formants]
    out = []
    phase = 0.0
    for i in range(n):
        t = i / n
        glide = min(1.0, t / 0.25)
        for (ff, bw, _), r in zip(formants, res):
            r.tune(ff * (0.6 + 0.4 * glide), bw)
        f = f0 + (f1 - f0) * t ** 0.7
        f *= 1 + 0.03 * math.sin(2 * math.pi * 31 * i / rate)
        phase += f / rate
        phase -= math.floor(phase)
        # band-limited buzz: the sum of the harmonics below Nyquist
        src = 0.0
        k = 1
        while k * f < rate * 0.45:
            src += math.sin(2 * math.pi * k * phase) / (k ** 0.6)
            k += 1
        src += 0.25 * rng.uniform()
        env = min(1.0, t / 0.06) * (1 - t) ** 0.6 * (1.0 if t < 0.75 else (1 - t) / 0.25 + 0.0)
        out.append(env * sum(g * r(src) for g, r in zip(gains, res)))
    return finish(out, rate)


def elephant(rate=22050, seconds=1.6):
    """Trumpeting: a brassy tone that swoops up, wavers and breaks, with a
    rough growl and some breath noise."""
    n = count(seconds, rate)
    rng = Lcg(0x5eed)
    form = [Resonator(f, bw, rate) for f, bw in ((700, 260), (1500, 320), (2600, 420), (4200, 700))]
    fg = [1.0, 0.8, 0.5, 0.25]
    breath = Resonator(1800, 1400, rate)
    out = []
    phase = 0.0
    sub = 0.0
    for i in range(n):
        t = i / rate
        u = t / seconds
        # pitch: up-swoop, a wobbling held note, a crack upwards, then a sag
        if t < 0.22:
            f = 260 + 260 * (t / 0.22) ** 0.8
        elif t < 1.05:
            f = 520 + 22 * math.sin(2 * math.pi * 6.5 * t) + 30 * (t - 0.22)
        elif t < 1.2:
            f = 545 + 170 * math.sin(math.pi * (t - 1.05) / 0.15)
        else:
            f = 545 - 200 * ((t - 1.2) / 0.4) ** 1.5
        phase += f / rate
        phase -= math.floor(phase)
        sub += f / 2 / rate
        sub -= math.floor(sub)
        env = min(1.0, t / 0.07) * (1.0 if u < 0.8 else max(0.0, (1 - u) / 0.2) ** 0.8)
        bright = 0.5 + 0.5 * env
        src = 0.0
        k = 1
        while k * f < rate * 0.45 and k <= 24:
            src += math.sin(2 * math.pi * k * phase) * bright ** k / k ** 0.5
            k += 1
        growl = 1 + 0.45 * math.sin(2 * math.pi * 37 * t) * math.sin(2 * math.pi * 3.1 * t)
        src = src * growl + 0.35 * math.sin(2 * math.pi * sub) * env
        src += 0.35 * breath(rng.uniform())
        y = sum(g * r(src) for g, r in zip(fg, form)) + 0.08 * src
        out.append(env * y)
    return finish(out, rate, peak=0.88, fade_in=0.005, fade_out=0.02)


def cannon(rate=11025, seconds=0.68):
    """A boom: a thump that drops in pitch, a blast of noise and a low
    rumble dying away."""
    n = count(seconds, rate)
    rng = Lcg(1812)
    out = []
    lp1 = lp2 = 0.0
    rum = 0.0
    phase = 0.0
    for i in range(n):
        t = i / rate
        f = 38 + 70 * math.exp(-t / 0.05)
        phase += f / rate
        thump = math.sin(2 * math.pi * phase) * math.exp(-t / 0.16)
        noise = rng.uniform()
        # blast: noise through a low-pass that closes as it decays
        c = 0.08 + 0.55 * math.exp(-t / 0.03)
        lp1 += c * (noise - lp1)
        blast = lp1 * math.exp(-t / 0.07) * 1.6
        # rumble: much darker noise with a long tail and a slow flutter
        lp2 += 0.02 * (noise - lp2)
        rum += 0.05 * (lp2 - rum)
        rumble = rum * 9.0 * math.exp(-t / 0.28) * (1 + 0.3 * math.sin(2 * math.pi * 7 * t))
        out.append(0.9 * thump + blast + rumble)
    return finish(out, rate, peak=0.9, fade_in=0.005, fade_out=0.03)


def all_sounds():
    """{file name: WAV bytes}"""
    q1 = quack(11025, 300, 230, [(900, 160, 1.0), (1800, 220, 0.8), (2900, 300, 0.45)], 11)
    q2 = quack(11127, 380, 300, [(1150, 180, 1.0), (2250, 240, 0.7), (3400, 320, 0.4)], 22)
    return {
        'quack1.wav': wav(q1, 11025, 8),
        'quack2.wav': wav(q2, 11127, 8),
        'elephant.wav': wav(elephant(), 22050, 16),
        'cannon.wav': wav(cannon(), 11025, 8),
    }
