"""One family of pictograms, built as masks on a Painter.

All glyphs share one stroke style (round caps and joins, weight about a
fifth of the glyph size), so the buttons of every window read as one set.
Each takes the painter, the glyph centre and its nominal size in pixels.
"""

import math

from .paint import FONT_SANS_BOLD


def weight(g):
    return max(1.3, g * 0.2)


def play(p, cx, cy, g):
    # Optical centring: a triangle looks left-heavy, so move it right a little.
    cx += g * 0.08
    pts = [(cx - 0.38 * g, cy - 0.48 * g), (cx + 0.5 * g, cy), (cx - 0.38 * g, cy + 0.48 * g)]
    r = g * 0.07
    return p.union(p.poly(pts), p.stroke(pts, 2 * r, closed=True))


def stop(p, cx, cy, g):
    h = 0.4 * g
    return p.rrect(cx - h, cy - h, cx + h, cy + h, g * 0.14)


def plus(p, cx, cy, g):
    h = 0.46 * g
    w = weight(g)
    return p.union(p.stroke([(cx - h, cy), (cx + h, cy)], w), p.stroke([(cx, cy - h), (cx, cy + h)], w))


def minus(p, cx, cy, g):
    h = 0.46 * g
    return p.stroke([(cx - h, cy), (cx + h, cy)], weight(g))


def cross(p, cx, cy, g):
    h = 0.36 * g
    w = weight(g)
    return p.union(p.stroke([(cx - h, cy - h), (cx + h, cy + h)], w), p.stroke([(cx - h, cy + h), (cx + h, cy - h)], w))


def trash(p, cx, cy, g):
    """A bin: lid with handle, tapered body with two grooves."""
    w = weight(g) * 0.8
    top = cy - 0.5 * g
    lid_y = top + 0.2 * g
    lid = p.stroke([(cx - 0.5 * g, lid_y), (cx + 0.5 * g, lid_y)], w)
    handle = p.stroke(
        [(cx - 0.16 * g, lid_y), (cx - 0.16 * g, top), (cx + 0.16 * g, top), (cx + 0.16 * g, lid_y)], w * 0.8
    )
    body_top = lid_y + 0.16 * g
    bottom = cy + 0.5 * g
    outer = p.poly(
        [(cx - 0.4 * g, body_top), (cx + 0.4 * g, body_top), (cx + 0.32 * g, bottom), (cx - 0.32 * g, bottom)]
    )
    outer = p.union(outer, p.stroke([(cx - 0.32 * g, bottom - 0.02 * g), (cx + 0.32 * g, bottom - 0.02 * g)], w * 0.6))
    grooves = p.union(
        p.stroke([(cx - 0.13 * g, body_top + 0.18 * g), (cx - 0.11 * g, bottom - 0.16 * g)], w * 0.55),
        p.stroke([(cx + 0.13 * g, body_top + 0.18 * g), (cx + 0.11 * g, bottom - 0.16 * g)], w * 0.55),
    )
    return p.union(lid, handle, p.minus(outer, grooves))


def chart(p, cx, cy, g):
    """Three rising bars on a base line."""
    bw = 0.22 * g
    base = cy + 0.5 * g
    bars = []
    for i, h in enumerate((0.5, 0.8, 1.0)):
        x = cx - 0.45 * g + i * 0.34 * g
        bars.append(p.rrect(x, base - h * g, x + bw, base, min(bw / 2.5, 0.6)))
    return p.union(*bars)


def question(p, cx, cy, g):
    return p.text(cx, cy + 0.05 * g, "?", g * 1.25, font=FONT_SANS_BOLD, anchor="mm")


def minimise(p, cx, cy, g):
    h = 0.4 * g
    y = cy + 0.28 * g
    return p.stroke([(cx - h, y), (cx + h, y)], weight(g))


def hamburger(p, cx, cy, g):
    h = 0.45 * g
    w = weight(g) * 0.85
    return p.union(*[p.stroke([(cx - h, cy + dy * g), (cx + h, cy + dy * g)], w) for dy in (-0.36, 0.0, 0.36)])


def caret_down(p, cx, cy, g):
    h = 0.5 * g
    return p.poly([(cx - h, cy - 0.25 * g), (cx + h, cy - 0.25 * g), (cx, cy + 0.3 * g)])


def chevron(p, cx, cy, g, direction=1, double=False):
    """'>' when direction is 1, '<' when -1; double gives '>>'."""
    w = weight(g)
    h = 0.42 * g
    d = 0.22 * g * direction

    def one(x):
        return p.stroke([(x - d, cy - h), (x + d, cy), (x - d, cy + h)], w)

    if not double:
        return one(cx)
    return p.union(one(cx - 0.22 * g), one(cx + 0.22 * g))


def calendar_today(p, cx, cy, g):
    """A calendar sheet with a marked day."""
    w = weight(g) * 0.7
    x0, x1 = cx - 0.48 * g, cx + 0.48 * g
    y0, y1 = cy - 0.38 * g, cy + 0.48 * g
    frame = p.minus(p.rrect(x0, y0, x1, y1, 0.12 * g), p.rrect(x0 + w, y0 + 0.28 * g, x1 - w, y1 - w, 0.06 * g))
    rings = p.union(
        p.stroke([(cx - 0.24 * g, cy - 0.5 * g), (cx - 0.24 * g, cy - 0.3 * g)], w),
        p.stroke([(cx + 0.24 * g, cy - 0.5 * g), (cx + 0.24 * g, cy - 0.3 * g)], w),
    )
    day = p.rrect(cx + 0.02 * g, cy + 0.08 * g, cx + 0.3 * g, cy + 0.34 * g, 0.04 * g)
    return p.union(frame, rings, day)


def maximise(p, cx, cy, g):
    """A window frame with a heavy top edge."""
    w = weight(g) * 0.6
    h = 0.46 * g
    outer = p.rect(cx - h, cy - h, cx + h, cy + h)
    inner = p.rect(cx - h + w, cy - h + 2.2 * w, cx + h - w, cy + h - w)
    return p.minus(outer, inner)


def restore(p, cx, cy, g):
    """Two overlapping window frames."""
    w = weight(g) * 0.55
    s = 0.34 * g
    back_c = (cx + 0.14 * g, cy - 0.14 * g)
    front_c = (cx - 0.14 * g, cy + 0.14 * g)

    def frame(c):
        x, y = c
        return p.minus(p.rect(x - s, y - s, x + s, y + s), p.rect(x - s + w, y - s + 2 * w, x + s - w, y + s - w))

    front_box = p.rect(front_c[0] - s, front_c[1] - s, front_c[0] + s, front_c[1] + s)
    return p.union(p.minus(frame(back_c), front_box), frame(front_c))


def star(p, cx, cy, g, points=5):
    pts = []
    for i in range(points * 2):
        r = (0.52 if i % 2 == 0 else 0.22) * g
        a = math.pi * i / points
        pts.append((cx + r * math.sin(a), cy - r * math.cos(a) + 0.04 * g))
    return p.poly(pts)
