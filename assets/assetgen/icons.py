"""The stopwatch emblem, the list's state dots, tray and application icons,
and the small pictures of the projects and statistics windows."""

import math

from . import glyphs, theme
from .paint import Painter, mix

# Where the hand of the emblem points and how much of the dial is tallied.
HAND_ANGLE = 128.0


def sector(p, cx, cy, r, a0, a1):
    """Pie slice, angles in degrees clockwise from 12 o'clock."""
    pts = [(cx, cy)]
    steps = max(6, int(abs(a1 - a0) / 4))
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        pts.append((cx + r * math.sin(a), cy - r * math.cos(a)))
    return p.poly(pts)


def polar(cx, cy, r, angle):
    a = math.radians(angle)
    return (cx + r * math.sin(a), cy - r * math.cos(a))


def stopwatch(p, cx, cy, d, ticks=12, outline=None, side=True):
    """The program's emblem: a stopwatch whose dial shows the tallied share as a teal wedge.

    (cx, cy) is the centre of the round body, d its diameter. `outline`, when given,
    is a colour drawn as a thin contour around the whole shape (tray icons need it
    to stand out on light and dark panels alike).
    """
    r = d / 2.0
    stem_w = max(1.4, 0.15 * d)
    cap_w, cap_h = max(3.0, 0.36 * d), max(1.4, 0.12 * d)
    top = cy - r
    stem = p.rect(cx - stem_w / 2, top - 0.13 * d, cx + stem_w / 2, top + 0.1 * d)
    cap = p.rrect(cx - cap_w / 2, top - 0.13 * d - cap_h, cx + cap_w / 2, top - 0.11 * d, cap_h * 0.35)
    side_btn = p.stroke([polar(cx, cy, r * 0.9, 42), polar(cx, cy, r * 1.16, 42)], max(1.3, 0.13 * d), caps=False)
    side_cap = p.stroke([polar(cx, cy, r * 1.14, 42 - 12), polar(cx, cy, r * 1.14, 42 + 12)], max(1.2, 0.1 * d))
    body = p.circle(cx, cy, r)
    hardware = p.union(stem, cap, side_btn, side_cap) if side else p.union(stem, cap)
    whole = p.union(body, hardware)

    if outline is not None:
        p.fill(p.union(whole, p.blur(whole, 0.6)), outline)
        ow = max(0.8, d * 0.045)
        grown = p.union(
            whole,
            *[
                p.shift(whole, dx * ow, dy * ow)
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1), (0.7, 0.7), (-0.7, 0.7), (0.7, -0.7), (-0.7, -0.7))
            ]
        )
        p.fill(grown, outline)

    metal = p.vgrad(top - 0.25 * d, cy + r, [(0.0, (214, 222, 232)), (1.0, (128, 139, 156))])
    p.fill(hardware, metal)
    bezel = p.vgrad(cy - r, cy + r, [(0.0, (118, 222, 232)), (0.5, theme.ACCENT), (1.0, theme.ACCENT_DEEP)])
    p.fill(body, bezel)

    fr = r * (0.78 if d >= 14 else 0.72)
    face = p.circle(cx, cy, fr)
    p.fill(face, p.vgrad(cy - fr, cy + fr, [(0.0, (250, 252, 253)), (1.0, (214, 222, 231))]))
    p.fill(p.inter(sector(p, cx, cy, fr * 0.96, 0, HAND_ANGLE), face), mix(theme.ACCENT, (255, 255, 255), 0.45))

    if ticks:
        for i in range(ticks):
            a = 360.0 * i / ticks
            long_tick = i % (ticks // 4) == 0
            r0 = fr * (0.66 if long_tick else 0.78)
            tw = max(0.9, d * (0.055 if long_tick else 0.035))
            p.fill(p.stroke([polar(cx, cy, r0, a), polar(cx, cy, fr * 0.9, a)], tw), (60, 68, 84))

    hand_w = max(1.1, d * 0.07)
    p.fill(
        p.stroke([polar(cx, cy, -fr * 0.12, HAND_ANGLE), polar(cx, cy, fr * 0.8, HAND_ANGLE)], hand_w), (214, 72, 60)
    )
    p.fill(p.circle(cx, cy, max(0.9, d * 0.075)), (40, 44, 54))
    # Gloss on the bezel's upper half.
    gloss = p.minus(p.circle(cx, cy, r), p.circle(cx, cy + 0.06 * d, r * 0.98))
    p.fill(gloss, (255, 255, 255), opacity=0.35)


def stopwatch_icon(size=32):
    """The list's row icon: drawn on the black list, transparent around."""
    p = Painter(size, size, s=8)
    d = size * 0.76
    stopwatch(p, size / 2.0 - size * 0.03, size * 0.565, d, ticks=4)
    return p.result()


def state_dot(colour, size=13):
    """A glossy round mark; drawn over the corner of the row icon."""
    p = Painter(size, size, s=8)
    c = size / 2.0
    r = size / 2.0 - 0.6
    dark = mix(colour, (0, 0, 0), 0.55)
    p.fill(p.circle(c, c + 0.3, r + 0.5), (0, 0, 0), opacity=0.55)
    p.fill(p.circle(c, c, r), dark)
    p.fill(
        p.circle(c, c, r - 1.0),
        p.radial(
            c - r * 0.25,
            c - r * 0.3,
            r * 1.5,
            [(0.0, mix(colour, (255, 255, 255), 0.45)), (0.45, colour), (1.0, mix(colour, (0, 0, 0), 0.3))],
        ),
    )
    p.fill(p.ellipse(c, c - r * 0.45, r * 0.5, r * 0.28), (255, 255, 255), opacity=0.55)
    return p.result()


def app_icon(size):
    """Tray and window icon: the emblem, outlined so it reads on any panel colour."""
    p = Painter(size, size, s=8)
    outline = (20, 24, 32, 235)
    if size < 20:
        # Tiny tray sizes: a bigger body, no side button, no ticks; the wedge and the hand carry it.
        stopwatch(p, size / 2.0, size * 0.585, size * 0.78, ticks=0, outline=outline, side=False)
    else:
        ticks = 12 if size >= 48 else 4
        stopwatch(p, size / 2.0 - size * 0.03, size * 0.565, size * 0.74, ticks=ticks, outline=outline)
    return p.result()


# ----- projects window ----------------------------------------------------


def project_star():
    p = Painter(16, 16, s=8)
    m = glyphs.star(p, 8, 8, 14.5)
    p.fill(p.blur(m, 0.7), (0, 0, 0), opacity=0.6)
    p.fill(m, p.vgrad(1, 15, [(0.0, (255, 255, 255)), (1.0, (206, 214, 226))]))
    return p.result()


def project_page():
    p = Painter(16, 16, s=8)
    fold = 4.0
    page = p.poly([(3, 1.5), (13 - fold, 1.5), (13, 1.5 + fold), (13, 14.5), (3, 14.5)])
    p.fill(page, (150, 158, 172))
    inner = p.poly([(4, 2.5), (12.5 - fold, 2.5), (12, 2.5 + fold), (12, 13.5), (4, 13.5)])
    p.fill(inner, p.vgrad(2, 14, [(0.0, (252, 253, 255)), (1.0, (222, 228, 236))]))
    p.fill(p.poly([(13 - fold, 1.5), (13 - fold, 1.5 + fold), (13, 1.5 + fold)]), (176, 184, 198))
    return p.result()


def project_folder():
    """A folder with a small clock badge."""
    p = Painter(16, 16, s=8)
    back = p.union(p.rrect(1, 3, 7, 6, 1), p.rrect(1, 4.5, 15, 13.5, 1.2))
    p.fill(back, (176, 120, 30))
    front = p.rrect(1, 6, 15, 13.5, 1.2)
    p.fill(front, p.vgrad(6, 13.5, [(0.0, (255, 208, 104)), (1.0, (232, 158, 44))]))
    cx, cy, r = 11.0, 11.0, 4.4
    p.fill(p.circle(cx, cy, r + 0.8), (40, 44, 54))
    p.fill(p.circle(cx, cy, r), p.vgrad(cy - r, cy + r, [(0.0, (255, 255, 255)), (1.0, (214, 222, 231))]))
    p.fill(p.stroke([(cx, cy), (cx, cy - r * 0.65)], 1.1), (40, 44, 54))
    p.fill(p.stroke([(cx, cy), (cx + r * 0.5, cy + r * 0.1)], 1.1), (40, 44, 54))
    return p.result()


def toolbar_glyph(kind, size, colour):
    """Dark glyphs for the light grey tool bars of the satellite windows."""
    if size <= 8:
        return _tiny_glyph(kind, colour)
    p = Painter(size, size, s=8)
    c = size / 2.0
    g = size * 0.72
    makers = {
        "add": lambda: glyphs.plus(p, c, c, g),
        "delete": lambda: glyphs.cross(p, c, c, g * 1.05),
        "start": lambda: glyphs.play(p, c, c, g * 0.95),
        "stop": lambda: glyphs.stop(p, c, c, g),
        "month_back": lambda: glyphs.chevron(p, c, c, g * 0.8, -1, double=True),
        "day_back": lambda: glyphs.chevron(p, c, c, g * 0.8, -1),
        "day_forward": lambda: glyphs.chevron(p, c, c, g * 0.8, 1),
        "month_forward": lambda: glyphs.chevron(p, c, c, g * 0.8, 1, double=True),
        "today": lambda: glyphs.calendar_today(p, c, c, g * 1.05),
        "add_log": lambda: glyphs.plus(p, c, c, g * 0.9),
        "delete_log": lambda: glyphs.trash(p, c, c, g * 0.95),
        "maximise": lambda: glyphs.maximise(p, c, c, g * 1.05),
        "restore": lambda: glyphs.restore(p, c, c, g * 1.1),
    }
    p.fill(makers[kind](), colour)
    return p.result()


def _tiny_glyph(kind, colour):
    """8 x 8 glyphs are laid on the pixel grid: at this size blur costs legibility."""
    p = Painter(8, 8, s=8)
    if kind == "add":
        m = p.union(p.rect(3, 1, 5, 7), p.rect(1, 3, 7, 5))
    elif kind == "delete":
        m = p.union(p.stroke([(1.6, 1.6), (6.4, 6.4)], 1.7), p.stroke([(1.6, 6.4), (6.4, 1.6)], 1.7))
    elif kind == "start":
        m = p.poly([(2, 0.5), (7, 4), (2, 7.5)])
    elif kind == "stop":
        m = p.rect(2, 2, 6, 6)
    else:
        raise ValueError(kind)
    p.fill(m, colour)
    return p.result()
