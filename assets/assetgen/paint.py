"""A small supersampling painter on top of Pillow.

Every picture is drawn at S times its size into an RGBA canvas and box-filtered
down at the end, which gives clean anti-aliased edges from Pillow's aliased
primitives. Coordinates are given in output pixels as floats: pixel (i, j)
covers the square [i, i+1) x [j, j+1), so a shape from 2 to 5 covers exactly
three output pixels.
"""

import math

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

FONT_DIR = "/usr/share/fonts/truetype/dejavu"
FONT_SANS = FONT_DIR + "/DejaVuSans.ttf"
FONT_SANS_BOLD = FONT_DIR + "/DejaVuSans-Bold.ttf"


def mix(c0, c1, t):
    """Linear blend of two colours (3 or 4 channels); t=0 gives c0."""
    c0 = tuple(c0) + (255,) * (4 - len(c0))
    c1 = tuple(c1) + (255,) * (4 - len(c1))
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c0, c1))


def rgba(c, alpha=None):
    c = tuple(c)
    if len(c) == 3:
        c = c + (255,)
    if alpha is not None:
        c = c[:3] + (int(round(alpha)),)
    return c


class Painter:
    """An RGBA canvas at scale `s`; shapes are masks, paints fill masks."""

    def __init__(self, w, h, s=4, bg=(0, 0, 0, 0)):
        self.w, self.h, self.s = w, h, s
        self.img = Image.new("RGBA", (w * s, h * s), rgba(bg))

    # ----- masks --------------------------------------------------------
    def blank(self):
        return Image.new("L", self.img.size, 0)

    def _p(self, v):
        return int(round(v * self.s))

    def _box(self, x0, y0, x1, y1):
        return [self._p(x0), self._p(y0), self._p(x1) - 1, self._p(y1) - 1]

    def rect(self, x0, y0, x1, y1):
        m = self.blank()
        ImageDraw.Draw(m).rectangle(self._box(x0, y0, x1, y1), fill=255)
        return m

    def rrect(self, x0, y0, x1, y1, r):
        m = self.blank()
        ImageDraw.Draw(m).rounded_rectangle(self._box(x0, y0, x1, y1), radius=self._p(r), fill=255)
        return m

    def circle(self, cx, cy, r):
        return self.ellipse(cx, cy, r, r)

    def ellipse(self, cx, cy, rx, ry):
        m = self.blank()
        ImageDraw.Draw(m).ellipse(self._box(cx - rx, cy - ry, cx + rx, cy + ry), fill=255)
        return m

    def poly(self, points):
        m = self.blank()
        ImageDraw.Draw(m).polygon([(self._p(x), self._p(y)) for x, y in points], fill=255)
        return m

    def stroke(self, points, width, closed=False, caps=True):
        """A polyline of the given width with round joins and (optional) round caps."""
        m = self.blank()
        d = ImageDraw.Draw(m)
        pts = [(self._p(x), self._p(y)) for x, y in points]
        if closed:
            pts = pts + [pts[0]]
        w = max(1, self._p(width))
        d.line(pts, fill=255, width=w, joint="curve")
        r = width / 2.0
        for i, (x, y) in enumerate(points):
            interior = closed or 0 < i < len(points) - 1
            if interior or caps:
                d.ellipse(self._box(x - r, y - r, x + r, y + r), fill=255)
        return m

    def ring(self, cx, cy, r_out, r_in):
        return ImageChops.subtract(self.circle(cx, cy, r_out), self.circle(cx, cy, r_in))

    def arc(self, cx, cy, r, a0, a1, width, caps=True):
        """Arc of centre radius r (middle of the stroke), angles in degrees, 0 = 12 o'clock, clockwise."""
        steps = max(8, int(abs(a1 - a0) / 3))
        pts = []
        for i in range(steps + 1):
            a = math.radians(a0 + (a1 - a0) * i / steps)
            pts.append((cx + r * math.sin(a), cy - r * math.cos(a)))
        return self.stroke(pts, width, caps=caps)

    def text(self, x, y, text, size, font=FONT_SANS_BOLD, anchor="ls", spacing=0.0):
        """Text mask; (x, y) is the anchor point in output pixels (default: left end of the baseline)."""
        m = self.blank()
        f = ImageFont.truetype(font, self._p(size))
        d = ImageDraw.Draw(m)
        if spacing == 0.0:
            d.text((self._p(x), self._p(y)), text, font=f, fill=255, anchor=anchor)
            return m
        # Letter spacing: place glyphs one by one (anchor must start with 'l').
        cx = x
        for ch in text:
            d.text((self._p(cx), self._p(y)), ch, font=f, fill=255, anchor=anchor)
            cx += f.getlength(ch) / self.s + spacing
        return m

    def text_width(self, text, size, font=FONT_SANS_BOLD, spacing=0.0):
        f = ImageFont.truetype(font, self._p(size))
        return f.getlength(text) / self.s + spacing * max(0, len(text) - 1)

    # ----- mask algebra -------------------------------------------------
    @staticmethod
    def union(*masks):
        out = masks[0]
        for m in masks[1:]:
            out = ImageChops.lighter(out, m)
        return out

    @staticmethod
    def minus(a, b):
        return ImageChops.subtract(a, b)

    @staticmethod
    def inter(a, b):
        return ImageChops.multiply(a, b)

    def shift(self, m, dx, dy):
        """The mask moved by (dx, dy); what leaves the canvas is dropped (no wrap-around)."""
        out = self.blank()
        out.paste(m, (self._p(dx), self._p(dy)))
        return out

    def blur(self, m, radius):
        return m.filter(ImageFilter.GaussianBlur(radius * self.s))

    @staticmethod
    def scale_mask(m, factor):
        return m.point(lambda v: int(round(v * factor)))

    # ----- paints -------------------------------------------------------
    def vgrad(self, y0, y1, stops):
        """Vertical gradient paint; stops is a list of (t, colour) with t in 0..1 from y0 to y1."""

        def paint(box):
            bx0, by0, bx1, by1 = box
            col = Image.new("RGBA", (1, by1 - by0))
            for j in range(by1 - by0):
                y = (by0 + j + 0.5) / self.s
                t = 0.0 if y1 == y0 else min(1.0, max(0.0, (y - y0) / (y1 - y0)))
                col.putpixel((0, j), _stop_colour(stops, t))
            return col.resize((bx1 - bx0, by1 - by0), Image.NEAREST)

        return paint

    def radial(self, cx, cy, r, stops):
        """Radial gradient paint around (cx, cy); t = distance / r."""

        def paint(box):
            bx0, by0, bx1, by1 = box
            # Evaluate at output resolution times two and scale up: smooth enough, fast enough.
            step = max(1, self.s // 2)
            w = (bx1 - bx0 + step - 1) // step
            h = (by1 - by0 + step - 1) // step
            small = Image.new("RGBA", (w, h))
            px = small.load()
            for j in range(h):
                y = (by0 + j * step + step / 2) / self.s
                for i in range(w):
                    x = (bx0 + i * step + step / 2) / self.s
                    t = min(1.0, math.hypot(x - cx, y - cy) / r)
                    px[i, j] = _stop_colour(stops, t)
            return small.resize((bx1 - bx0, by1 - by0), Image.BILINEAR)

        return paint

    def fill(self, mask, paint, opacity=1.0):
        """Composite `paint` (a colour or a paint function) through `mask`."""
        box = mask.getbbox()
        if box is None:
            return
        m = mask.crop(box)
        if opacity != 1.0:
            m = self.scale_mask(m, opacity)
        size = (box[2] - box[0], box[3] - box[1])
        if callable(paint):
            layer = paint(box)
        else:
            layer = Image.new("RGBA", size, rgba(paint))
        alpha = ImageChops.multiply(layer.getchannel("A"), m)
        layer.putalpha(alpha)
        self.img.alpha_composite(layer, dest=(box[0], box[1]))

    # ----- output -------------------------------------------------------
    def result(self):
        """Box-filter down to output size, premultiplied so transparent pixels add no colour."""
        return self.img.convert("RGBa").reduce(self.s).convert("RGBA")

    def result_rgb(self):
        return self.img.convert("RGB").reduce(self.s)


def _stop_colour(stops, t):
    if t <= stops[0][0]:
        return rgba(stops[0][1])
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            return mix(c0, c1, 0.0 if t1 == t0 else (t - t0) / (t1 - t0))
    return rgba(stops[-1][1])
