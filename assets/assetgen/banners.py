"""Pictures of the loading window and the about window.

Both windows have a white face; the picture carries a dark banner with the
emblem and the name, and leaves white room where the windows place their
labels, links and button (the rectangles go into the layout file).
"""

from PIL import ImageChops

from . import theme
from .icons import polar, stopwatch
from .paint import FONT_SANS, FONT_SANS_BOLD, Painter

TITLE = "Tallyhour Zide"
TAGLINE = "Every hour, quietly tallied."

SPLASH_W, SPLASH_H = 463, 307
ABOUT_W, ABOUT_H = 463, 310


def _dial(p, cx, cy, r, opacity):
    """A large faint dial behind the banner's text: minute ticks on a ring."""
    p.fill(p.ring(cx, cy, r, r - 1.5), (255, 255, 255), opacity=opacity)
    for i in range(60):
        a = i * 6.0
        long_tick = i % 5 == 0
        r0 = r - (14 if long_tick else 8)
        p.fill(
            p.stroke([polar(cx, cy, r0, a), polar(cx, cy, r - 4, a)], 2.2 if long_tick else 1.2),
            (255, 255, 255),
            opacity=opacity,
        )
    p.fill(p.ring(cx, cy, r * 0.62, r * 0.62 - 1.2), (255, 255, 255), opacity=opacity * 0.7)


def _banner(p, w, h, emblem, title_size, tag_size, text_x, baseline):
    band = p.rect(0, 0, w, h)
    p.fill(band, p.vgrad(0, h, [(0.0, theme.BODY_TOP), (1.0, theme.BODY_BOTTOM)]))
    # The dial is clipped to the banner.
    dial = Painter(p.w, p.h, s=p.s)
    _dial(dial, w - 70, h * 0.35, h * 0.95, 0.07)
    dial.img.putalpha(ImageChops.multiply(dial.img.getchannel("A"), band))
    p.img.alpha_composite(dial.img)
    # Accent line under the banner.
    p.fill(p.rect(0, h, w, h + 3), p.vgrad(h, h + 3, [(0.0, theme.ACCENT), (1.0, theme.ACCENT_DEEP)]))

    ex, ey, ed = emblem
    glow = p.circle(ex, ey, ed * 0.62)
    p.fill(p.blur(glow, ed * 0.12), theme.ACCENT, opacity=0.18)
    stopwatch(p, ex, ey, ed, ticks=12)

    title = p.text(text_x, baseline, TITLE, title_size, font=FONT_SANS_BOLD, spacing=0.4)
    p.fill(p.shift(title, 0, 1.5), (0, 0, 0), opacity=0.4)
    p.fill(title, p.vgrad(baseline - title_size * 0.75, baseline, [(0.0, (252, 253, 255)), (1.0, (208, 216, 230))]))
    tag = p.text(text_x + 1, baseline + tag_size * 1.9, TAGLINE, tag_size, font=FONT_SANS)
    p.fill(tag, theme.TEXT_DIM)


def _frame(p, w, h):
    """A hairline border: the loading window has no frame of its own."""
    outer = p.rect(0, 0, w, h)
    inner = p.rect(1, 1, w - 1, h - 1)
    p.fill(p.minus(outer, inner), (150, 158, 172))


def splash():
    p = Painter(SPLASH_W, SPLASH_H, s=4, bg=(255, 255, 255))
    _banner(p, SPLASH_W, 196, emblem=(92.0, 104.0, 104.0), title_size=30, tag_size=12.5, text_x=168, baseline=106)
    loading = p.text(SPLASH_W - 24, SPLASH_H - 22, "Loading timers\u2026", 10, font=FONT_SANS, anchor="rs")
    p.fill(loading, (128, 136, 150))
    _frame(p, SPLASH_W, SPLASH_H)
    return p.result_rgb()


def about():
    p = Painter(ABOUT_W, ABOUT_H, s=4, bg=(255, 255, 255))
    _banner(p, ABOUT_W, 124, emblem=(66.0, 66.0, 70.0), title_size=25, tag_size=11, text_x=124, baseline=66)
    return p.result_rgb()


def layout():
    """Where the windows put their own controls on these pictures (x, y, w, h)."""

    def r(x, y, w, h):
        return {"x": x, "y": y, "w": w, "h": h}

    return {
        "splash": {
            "file": "splash.png",
            "width": SPLASH_W,
            "height": SPLASH_H,
            "version_label": r(24, 214, 260, 16),
            "release_label": r(24, 236, 260, 16),
        },
        "about": {
            "file": "about.png",
            "width": ABOUT_W,
            "height": ABOUT_H,
            "version_label": r(24, 142, 260, 16),
            "release_label": r(24, 162, 260, 16),
            "link_support": r(24, 196, 200, 16),
            "link_site": r(24, 216, 200, 16),
            "link_web": r(24, 236, 260, 16),
            "close_button": r(361, 268, 86, 28),
        },
    }
