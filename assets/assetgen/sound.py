"""The buttons' click: a short, soft wooden tick synthesised from scratch.

Two damped partials give the body of the tick, a brief burst of filtered
noise gives the attack; the whole is faded in over a few samples and out at
the end so it starts and stops at silence without a pop.
"""

import io
import math
import struct
import wave

RATE = 22050
SAMPLES = 1258  # about 57 ms
PEAK = 0.55  # of full scale: a click should not startle


def _noise(n, seed=0x2545F491):
    """Deterministic white noise in [-1, 1) from a 32-bit xorshift generator."""
    x = seed
    out = []
    for _ in range(n):
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        out.append(x / 2147483648.0 - 1.0)
    return out


def samples():
    noise = _noise(SAMPLES)
    # One-pole high-pass on the noise keeps the attack crisp rather than hissy-low.
    hp = []
    prev_in = prev_out = 0.0
    for v in noise:
        prev_out = 0.75 * (prev_out + v - prev_in)
        prev_in = v
        hp.append(prev_out)
    out = []
    fade_in = 6
    fade_out = 240
    for i in range(SAMPLES):
        t = i / RATE
        body = 0.62 * math.sin(2 * math.pi * 1850.0 * t) * math.exp(-t / 0.0062)
        body += 0.38 * math.sin(2 * math.pi * 3400.0 * t + 0.6) * math.exp(-t / 0.0031)
        body += 0.22 * math.sin(2 * math.pi * 620.0 * t) * math.exp(-t / 0.011)
        attack = 0.5 * hp[i] * math.exp(-t / 0.0012)
        v = body + attack
        if i < fade_in:
            v *= i / fade_in
        if i >= SAMPLES - fade_out:
            v *= 0.5 - 0.5 * math.cos(math.pi * (SAMPLES - 1 - i) / fade_out)
        out.append(v)
    peak = max(abs(v) for v in out)
    return [int(round(v / peak * PEAK * 32767)) for v in out]


def click_wav():
    """The click as the bytes of a PCM WAV file: one channel, 22050 Hz, 16 bits."""
    buf = io.BytesIO()
    with wave.open(buf, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(struct.pack("<%dh" % SAMPLES, *samples()))
    return buf.getvalue()
