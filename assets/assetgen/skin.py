"""The main window's skin and its picture buttons.

The skin is one opaque picture of 465 x 329. Everything outside the window's
rounded outline has the colour key, which the window turns into a mask. Edge
pixels are decided by coverage (half or more inside means inside) and take the
rim colour, never a blend towards the key, so no dark fringe shows on a light
desktop.

The buttons' pictures are cut from full renders of the skin with that button
in each state, so they sit on the skin without a seam.
"""


from . import glyphs, theme
from .icons import stopwatch
from .paint import FONT_SANS_BOLD, Painter, mix

W, H = 465, 329
S = 4
CORNER = 18.0

LIST_RECT = (22, 94, 419, 179)  # x, y, w, h of the timer list
PANEL_RECT = (14, 86, 451, 281)  # x0, y0, x1, y1 of the dark panel around it
PANEL_RADIUS = 10.0

TITLE = "Tallyhour Zide"
VERSION = "v1.1"

# name, function, x, y, w, h, kind, hover colour
BUTTONS = [
    ("ImageBtn3", "menu", 9, 61, 35, 14, "pill", theme.ACCENT),
    ("ImgBtnStart", "start", 13, 295, 18, 18, "round", theme.GREEN),
    ("ImgeBtnStop", "stop", 32, 295, 18, 18, "round", theme.CORAL),
    ("ImgBtnNew", "new", 60, 295, 18, 18, "round", theme.ACCENT),
    ("ImgBtnDel", "delete", 79, 295, 18, 18, "round", theme.CORAL),
    ("iBtnStat", "statistic", 439, 287, 18, 18, "round", theme.AMBER),
    ("ImageBtn9", "help", 384, 19, 14, 13, "caption", theme.ACCENT_DEEP),
    ("ImageBtn1", "minimise", 426, 19, 14, 13, "caption", theme.ACCENT_DEEP),
    ("ImageBtn10", "close", 440, 19, 14, 13, "caption", theme.RED),
]

STATES = ("normal", "hot", "down")

# The round buttons sit in recessed pods: start+stop, new+delete, statistic alone.
PODS = [(10.5, 292.5, 52.5, 315.5), (57.5, 292.5, 99.5, 315.5)]
STAT_POD = (448.0, 296.0, 11.6)

# Minimise and close touch each other and are drawn as one segmented control.
CAPTION_GROUP = (426, 19, 454, 32)

TITLE_X, TITLE_BASELINE, TITLE_SIZE = 39.0, 31.0, 15.0
LOGO = (24.0, 26.0, 17.0)  # centre x, centre y, diameter of the emblem


def _glyph(p, function, cx, cy):
    if function == "start":
        return glyphs.play(p, cx, cy, 7.4)
    if function == "stop":
        return glyphs.stop(p, cx, cy, 7.6)
    if function == "new":
        return glyphs.plus(p, cx, cy, 8.4)
    if function == "delete":
        return glyphs.trash(p, cx, cy, 8.6)
    if function == "statistic":
        return glyphs.chart(p, cx, cy, 8.6)
    if function == "help":
        return glyphs.question(p, cx, cy, 7.6)
    if function == "minimise":
        return glyphs.minimise(p, cx, cy, 7.0)
    if function == "close":
        return glyphs.cross(p, cx, cy, 6.6)
    raise ValueError(function)


def _base():
    """Everything but the buttons, at S times the size, outside filled with the rim colour."""
    p = Painter(W, H, s=S, bg=theme.RIM)
    outline = p.rrect(0, 0, W, H, CORNER)
    bevel = p.rrect(1, 1, W - 1, H - 1, CORNER - 1)
    body = p.rrect(2, 2, W - 2, H - 2, CORNER - 2)
    p.fill(
        bevel,
        p.vgrad(
            0,
            H,
            [(0.0, theme.BEVEL_TOP), (0.25, mix(theme.BEVEL_TOP, theme.BEVEL_BOTTOM, 0.6)), (1.0, theme.BEVEL_BOTTOM)],
        ),
    )
    p.fill(body, p.vgrad(0, H, [(0.0, theme.BODY_TOP), (1.0, theme.BODY_BOTTOM)]))
    # A faint sheen over the header makes the top read as the window's face.
    sheen = p.inter(body, p.rect(0, 0, W, 52))
    p.fill(sheen, p.vgrad(2, 52, [(0.0, (255, 255, 255, 22)), (1.0, (255, 255, 255, 0))]))

    _header(p)
    _panel(p)
    _pods(p)
    return p, outline


def _header(p):
    lx, ly, ld = LOGO
    stopwatch(p, lx, ly, ld, ticks=4)
    title = p.text(TITLE_X, TITLE_BASELINE, TITLE, TITLE_SIZE, font=FONT_SANS_BOLD, spacing=0.2)
    p.fill(p.shift(title, 0, 1), (0, 0, 0), opacity=0.45)
    p.fill(title, p.vgrad(TITLE_BASELINE - 11, TITLE_BASELINE, [(0.0, (250, 252, 255)), (1.0, (206, 214, 228))]))
    vx0, vy0, vx1, vy1 = version_box()
    badge = p.rrect(vx0, vy0, vx1, vy1, (vy1 - vy0) / 2)
    p.fill(badge, mix(theme.ACCENT, theme.BODY_TOP, 0.55))
    p.fill(p.rrect(vx0 + 1, vy0 + 1, vx1 - 1, vy1 - 1, (vy1 - vy0) / 2 - 1), mix(theme.ACCENT, theme.BODY_TOP, 0.85))
    vt = p.text((vx0 + vx1) / 2, (vy0 + vy1) / 2 + 0.3, VERSION, 8.5, font=FONT_SANS_BOLD, anchor="mm")
    p.fill(vt, theme.ACCENT)
    # The menu row: a rule runs from the menu pill to the panel's right end.
    y = 68.0
    p.fill(p.rect(50, y - 0.5, PANEL_RECT[2] - 4, y + 0.5), theme.GROOVE_DARK, opacity=0.9)
    p.fill(p.rect(50, y + 0.5, PANEL_RECT[2] - 4, y + 1.5), theme.GROOVE_LIGHT, opacity=0.35)


def title_box():
    """Bounding box of the title text (x0, y0, x1, y1) in skin pixels."""
    p = Painter(1, 1, s=S)
    width = p.text_width(TITLE, TITLE_SIZE, font=FONT_SANS_BOLD, spacing=0.2)
    return (int(TITLE_X), int(TITLE_BASELINE - 12), int(TITLE_X + width + 1), int(TITLE_BASELINE + 4))


def version_box():
    p = Painter(1, 1, s=S)
    tw = p.text_width(VERSION, 8.5, font=FONT_SANS_BOLD)
    x0 = title_box()[2] + 7
    return (x0, 20, x0 + int(tw + 10.5), 33)


def _panel(p):
    x0, y0, x1, y1 = PANEL_RECT
    r = PANEL_RADIUS
    # Inset look: light lip below, shadow above, then the black well.
    p.fill(p.rrect(x0 - 1, y0 - 1, x1 + 1, y1 + 1.5, r + 1), theme.GROOVE_LIGHT, opacity=0.55)
    p.fill(p.rrect(x0 - 1, y0 - 1.5, x1 + 1, y1 + 0.5, r + 1), theme.GROOVE_DARK)
    p.fill(p.rrect(x0, y0, x1, y1, r), theme.PANEL_EDGE)
    p.fill(p.rrect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, r - 1), theme.PANEL)


def _pods(p):
    for x0, y0, x1, y1 in PODS:
        r = (y1 - y0) / 2
        p.fill(p.rrect(x0, y0 + 1, x1, y1 + 1, r), theme.GROOVE_LIGHT, opacity=0.45)
        p.fill(p.rrect(x0, y0, x1, y1, r), p.vgrad(y0, y1, [(0.0, (14, 16, 21)), (1.0, (30, 33, 42))]))
    cx, cy, r = STAT_POD
    p.fill(p.circle(cx, cy + 1, r), theme.GROOVE_LIGHT, opacity=0.45)
    p.fill(p.circle(cx, cy, r), p.vgrad(cy - r, cy + r, [(0.0, (14, 16, 21)), (1.0, (30, 33, 42))]))


def _button(p, spec, state):
    name, function, x, y, w, h, kind, hot = spec
    if kind == "round":
        _round_button(p, function, x, y, w, state, hot)
    elif kind == "pill":
        _pill_button(p, x, y, w, h, state)
    else:
        _caption_button(p, function, x, y, w, h, state, hot)


def _face_paint(p, y0, y1, state):
    if state == "hot":
        top, bottom = theme.FACE_HOT_TOP, theme.FACE_HOT_BOTTOM
    elif state == "down":
        top, bottom = theme.FACE_DOWN_TOP, theme.FACE_DOWN_BOTTOM
    else:
        top, bottom = theme.FACE_TOP, theme.FACE_BOTTOM
    return p.vgrad(y0, y1, [(0.0, top), (1.0, bottom)])


def _glyph_colour(state, hot):
    if state == "hot":
        return mix(hot, (255, 255, 255), 0.15)
    if state == "down":
        return mix(hot, theme.GLYPH, 0.35)
    return theme.GLYPH


def _draw_glyph(p, mask, state, colour):
    if state != "down":
        p.fill(p.shift(mask, 0, 0.75), theme.GLYPH_SHADOW, opacity=0.7)
    p.fill(mask, colour)


def _round_button(p, function, x, y, size, state, hot):
    r = size / 2.0
    cx, cy = x + r, y + r
    edge = theme.FACE_EDGE if state == "normal" else mix(theme.FACE_EDGE, hot, 0.6 if state == "hot" else 0.35)
    p.fill(p.circle(cx, cy, r), edge)
    face = p.circle(cx, cy, r - 1.1)
    p.fill(face, _face_paint(p, cy - r, cy + r, state))
    if state != "down":
        lip = p.minus(face, p.circle(cx, cy + 1.0, r - 1.1))
        p.fill(lip, (255, 255, 255), opacity=0.22)
    else:
        shade = p.minus(face, p.circle(cx, cy + 1.4, r - 1.1))
        p.fill(shade, (0, 0, 0), opacity=0.35)
    dy = 0.5 if state == "down" else 0.0
    _draw_glyph(p, _glyph(p, function, cx, cy + dy), state, _glyph_colour(state, hot))


def _pill_button(p, x, y, w, h, state):
    r = h / 2.0
    edge = theme.FACE_EDGE if state == "normal" else mix(theme.FACE_EDGE, theme.ACCENT, 0.6 if state == "hot" else 0.35)
    p.fill(p.rrect(x, y, x + w, y + h, r), edge)
    face = p.rrect(x + 1, y + 1, x + w - 1, y + h - 1, r - 1)
    p.fill(face, _face_paint(p, y, y + h, state))
    if state != "down":
        p.fill(p.minus(face, p.shift(face, 0, 1)), (255, 255, 255), opacity=0.2)
    dy = 0.5 if state == "down" else 0.0
    cy = y + h / 2.0 + dy
    colour = _glyph_colour(state, theme.ACCENT)
    lines = glyphs.hamburger(p, x + 11.5, cy, 7.4)
    caret = glyphs.caret_down(p, x + 24.5, cy + 0.3, 6.0)
    _draw_glyph(p, p.union(lines, caret), state, colour)


def _caption_button(p, function, x, y, w, h, state, hot):
    if function == "help":
        shape = (x, y, x + w, y + h)
    else:
        shape = CAPTION_GROUP
    gx0, gy0, gx1, gy1 = shape
    r = 4.0
    # Each button owns only its own cell of the shape; the shared edge becomes a divider.
    cell = p.rect(x, y, x + w, y + h)
    p.fill(p.inter(p.rrect(gx0, gy0, gx1, gy1, r), cell), theme.FACE_EDGE)
    inner_x0 = x + 1 if x == gx0 else x + 0.5
    inner_x1 = x + w - 1 if x + w == gx1 else x + w - 0.5
    face = p.inter(p.rrect(gx0 + 1, gy0 + 1, gx1 - 1, gy1 - 1, r - 1), p.rect(inner_x0, y + 1, inner_x1, y + h - 1))
    if state == "normal":
        p.fill(face, _face_paint(p, y, y + h, state))
        p.fill(p.minus(face, p.shift(face, 0, 1)), (255, 255, 255), opacity=0.18)
        colour = theme.GLYPH
    else:
        light = mix(hot, (255, 255, 255), 0.25)
        top, bottom = (light, hot) if state == "hot" else (mix(hot, (0, 0, 0), 0.35), mix(hot, (0, 0, 0), 0.15))
        p.fill(face, p.vgrad(y, y + h, [(0.0, top), (1.0, bottom)]))
        colour = (255, 255, 255)
    dy = 0.5 if state == "down" else 0.0
    _draw_glyph(p, _glyph(p, function, x + w / 2.0, y + h / 2.0 + dy), state, colour)


def _finish(p, outline):
    """Reduce to output size and cut the outside to the pure colour key."""
    rgb = p.result_rgb()
    cover = outline.reduce(S)
    px = rgb.load()
    cv = cover.load()
    for j in range(H):
        for i in range(W):
            if cv[i, j] < 128:
                px[i, j] = theme.KEY
            elif px[i, j] == theme.KEY:
                px[i, j] = theme.KEY_SUBSTITUTE
    return rgb


def build():
    """Returns (skin picture, {(button name, state): picture}, layout dict)."""
    base, outline = _base()
    skin = base.img.copy()
    for spec in BUTTONS:
        p = Painter(W, H, s=S)
        p.img = skin
        _button(p, spec, "normal")
    full = Painter(W, H, s=S)
    full.img = skin
    skin_out = _finish(full, outline)

    pictures = {}
    for spec in BUTTONS:
        name, function, x, y, w, h = spec[:6]
        for state in STATES:
            if state == "normal":
                pic = skin_out.crop((x, y, x + w, y + h))
            else:
                # Only the button's own cell changes; re-render that area over the finished skin.
                p = Painter(W, H, s=S)
                p.img = skin.copy()
                _button(p, spec, state)
                pic = _finish(p, outline).crop((x, y, x + w, y + h))
            pictures[(function, state)] = pic
    return skin_out, pictures


def layout():
    tx0, ty0, tx1, ty1 = title_box()
    vx0, vy0, vx1, vy1 = version_box()
    return {
        "skin": {"file": "skin.png", "width": W, "height": H, "color_key": list(theme.KEY)},
        "buttons": [
            {
                "name": name,
                "function": function,
                "x": x,
                "y": y,
                "w": w,
                "h": h,
                "normal": "btn_%s_normal.png" % function,
                "hot": "btn_%s_hot.png" % function,
                "down": "btn_%s_down.png" % function,
            }
            for name, function, x, y, w, h, _, _ in BUTTONS
        ],
        "list": dict(zip(("x", "y", "w", "h"), LIST_RECT)),
        "panel": {
            "x": PANEL_RECT[0],
            "y": PANEL_RECT[1],
            "w": PANEL_RECT[2] - PANEL_RECT[0],
            "h": PANEL_RECT[3] - PANEL_RECT[1],
            "radius": PANEL_RADIUS,
        },
        "title": {"text": TITLE, "x": tx0, "y": ty0, "w": tx1 - tx0, "h": ty1 - ty0},
        "version": {"text": VERSION, "x": vx0, "y": vy0, "w": vx1 - vx0, "h": vy1 - vy0},
    }
