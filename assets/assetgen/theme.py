"""Colours shared by every picture, so the windows look like one program."""

KEY = (8, 9, 13)  # colour key of the main window's skin: never used inside the window
KEY_SUBSTITUTE = (10, 11, 15)  # what an inside pixel becomes if blending happens to hit the key

RIM = (17, 19, 25)
BEVEL_TOP = (104, 113, 132)
BEVEL_BOTTOM = (40, 44, 54)
BODY_TOP = (54, 60, 74)
BODY_BOTTOM = (30, 33, 42)
GROOVE_DARK = (18, 20, 26)
GROOVE_LIGHT = (72, 79, 95)
PANEL = (0, 0, 0)  # the list's own background is black, the panel matches it
PANEL_EDGE = (28, 31, 39)

TEXT = (234, 238, 244)
TEXT_DIM = (150, 160, 178)
ACCENT = (78, 201, 214)  # teal: brand colour, hot rings, version text
ACCENT_DEEP = (32, 128, 150)

FACE_TOP = (86, 95, 113)
FACE_BOTTOM = (50, 55, 68)
FACE_HOT_TOP = (104, 114, 134)
FACE_HOT_BOTTOM = (60, 66, 81)
FACE_DOWN_TOP = (34, 38, 47)
FACE_DOWN_BOTTOM = (56, 62, 76)
FACE_EDGE = (13, 14, 19)
GLYPH = (226, 231, 239)
GLYPH_SHADOW = (10, 11, 16)

GREEN = (92, 214, 128)
AMBER = (255, 196, 72)
CORAL = (255, 112, 96)
RED = (218, 64, 60)

# Light surfaces (caption and tool bars of the satellite windows are light grey).
INK = (52, 58, 70)
