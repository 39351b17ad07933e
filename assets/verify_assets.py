#!/usr/bin/python3
"""Checks the generated pictures and sound against what the shell relies on.

    verify_assets.py [DIR]   (default: assets/generated beside this file)

Prints each failed rule and exits 1 when any failed.
"""

import json
import os
import sys
import wave
from collections import deque

from PIL import Image

KEY = (8, 9, 13)
failures = []


def expect(ok, message):
    if not ok:
        failures.append(message)
    return ok


def outside_region(img):
    """Pixels of the key colour reachable from the picture's border through key pixels."""
    w, h = img.size
    px = img.load()
    seen = set()
    todo = deque()
    for i in range(w):
        todo.extend([(i, 0), (i, h - 1)])
    for j in range(h):
        todo.extend([(0, j), (w - 1, j)])
    while todo:
        x, y = todo.popleft()
        if (x, y) in seen or not (0 <= x < w and 0 <= y < h) or px[x, y] != KEY:
            continue
        seen.add((x, y))
        todo.extend([(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)])
    return seen


def check_skin(d, layout):
    sk = layout["skin"]
    img = Image.open(os.path.join(d, sk["file"]))
    expect(img.mode == "RGB", "skin is not plain RGB")
    expect(img.size == (465, 329) == (sk["width"], sk["height"]), "skin size %s" % (img.size,))
    expect(tuple(sk["color_key"]) == KEY, "layout names another colour key")
    img = img.convert("RGB")
    w, h = img.size
    for corner in ((0, 0), (w - 1, 0), (0, h - 1), (w - 1, h - 1)):
        expect(img.getpixel(corner) == KEY, "skin corner %s is not the colour key" % (corner,))
    outside = outside_region(img)
    key_count = dict((c, n) for n, c in img.getcolors(w * h)).get(KEY, 0)
    expect(key_count == len(outside), "%d pixels of the colour key lie inside the window" % (key_count - len(outside)))
    expect(0 < len(outside) < w * h // 50, "the cut-out outline is implausible (%d pixels)" % len(outside))
    # The window edge must not darken towards the key: inside neighbours of the outside are rim, not blends.
    px = img.load()
    for x, y in outside:
        for nx, ny in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if 0 <= nx < w and 0 <= ny < h and (nx, ny) not in outside:
                c = px[nx, ny]
                if not expect(
                    max(abs(a - b) for a, b in zip(c, KEY)) >= 6,
                    "edge pixel %s blends into the key: %s" % ((nx, ny), c),
                ):
                    return img
    lst = layout["list"]
    expect((lst["x"], lst["y"], lst["w"], lst["h"]) == (22, 94, 419, 179), "list rectangle moved")
    area = img.crop((lst["x"], lst["y"], lst["x"] + lst["w"], lst["y"] + lst["h"]))
    expect(area.getcolors(1) == [(lst["w"] * lst["h"], (0, 0, 0))], "the list area of the skin is not plain black")
    return img


def luminance(c):
    return (299 * c[0] + 587 * c[1] + 114 * c[2]) // 1000


def inside(x, y, r):
    return r["x"] <= x < r["x"] + r["w"] and r["y"] <= y < r["y"] + r["h"]


def check_header_text(layout, skin):
    """The title and version lie within the rectangles the layout gives for them."""
    title, version = layout["title"], layout["version"]
    px = skin.load()
    lit = {"title": 0, "version": 0}
    for y in range(6, 48):
        for x in range(36, 380):
            if luminance(px[x, y]) < 150:
                continue
            if inside(x, y, title):
                lit["title"] += 1
            elif inside(x, y, version):
                lit["version"] += 1
            else:
                expect(False, "bright header pixel at %s outside the title and version boxes" % ((x, y),))
                return
    expect(lit["title"] > 100, "the title box holds no text")
    expect(lit["version"] > 10, "the version box holds no text")


def check_glyph_contrast(name, state, pic):
    """A button's glyph must stand out from its face at 1x: some pixels far brighter than the median."""
    values = sorted(luminance(c) for c in pic.getdata())
    median, top = values[len(values) // 2], values[-3]
    expect(top - median >= 70, "%s %s: glyph contrast %d is too low" % (name, state, top - median))


EXPECTED_BUTTONS = {
    "ImageBtn3": (9, 61, 35, 14),
    "ImgBtnStart": (13, 295, 18, 18),
    "ImgeBtnStop": (32, 295, 18, 18),
    "ImgBtnNew": (60, 295, 18, 18),
    "ImgBtnDel": (79, 295, 18, 18),
    "iBtnStat": (439, 287, 18, 18),
    "ImageBtn9": (384, 19, 14, 13),
    "ImageBtn1": (426, 19, 14, 13),
    "ImageBtn10": (440, 19, 14, 13),
}


def check_buttons(d, layout, skin):
    buttons = layout["buttons"]
    got = {b["name"]: (b["x"], b["y"], b["w"], b["h"]) for b in buttons}
    expect(got == EXPECTED_BUTTONS, "button positions differ: %s" % got)
    lst = layout["list"]
    for b in buttons:
        box = (b["x"], b["y"], b["x"] + b["w"], b["y"] + b["h"])
        expect(
            box[2] <= lst["x"] or box[0] >= lst["x"] + lst["w"] or box[3] <= lst["y"] or box[1] >= lst["y"] + lst["h"],
            "%s overlaps the list" % b["name"],
        )
        pictures = {}
        for state in ("normal", "hot", "down"):
            path = os.path.join(d, b[state])
            if not expect(os.path.exists(path), "missing %s" % b[state]):
                continue
            pic = Image.open(path).convert("RGB")
            pictures[state] = pic
            expect(pic.size == (b["w"], b["h"]), "%s is %s, not %dx%d" % (b[state], pic.size, b["w"], b["h"]))
            expect(
                KEY not in [c for _, c in pic.getcolors(pic.size[0] * pic.size[1])],
                "%s contains the colour key" % b[state],
            )
        for state, pic in pictures.items():
            check_glyph_contrast(b["name"], state, pic)
        if len(pictures) == 3:
            expect(
                pictures["normal"].tobytes() == skin.crop(box).tobytes(),
                "%s normal picture differs from the skin under it" % b["name"],
            )
            expect(pictures["hot"].tobytes() != pictures["normal"].tobytes(), "%s hot looks like normal" % b["name"])
            expect(
                pictures["down"].tobytes() not in (pictures["normal"].tobytes(), pictures["hot"].tobytes()),
                "%s down looks like another state" % b["name"],
            )


def check_icon(d, name, size, corners_clear=True):
    path = os.path.join(d, name)
    if not expect(os.path.exists(path), "missing %s" % name):
        return None
    img = Image.open(path)
    expect(img.mode == "RGBA", "%s has no alpha channel" % name)
    expect(img.size == (size, size), "%s is %s, not %dx%d" % (name, img.size, size, size))
    img = img.convert("RGBA")
    if corners_clear:
        expect(
            img.getpixel((0, size - 1))[3] == 0 and img.getpixel((size - 1, size - 1))[3] == 0,
            "%s has opaque corners" % name,
        )
    expect(img.getchannel("A").getextrema()[1] == 255, "%s has no opaque pixel" % name)
    return img


def check_icons(d, layout):
    im = layout["images"]
    check_icon(d, im["timer_icon"], 32)
    for key, hue in (("state_running", "green"), ("state_suspended", "yellow")):
        dot = check_icon(d, im[key], 13)
        if dot:
            r, g, b, a = dot.getpixel((6, 7))
            expect(a == 255, "%s is not opaque in the middle" % key)
            if hue == "green":
                expect(g > r + 40 and g > b + 40, "running dot is not green: %s" % ((r, g, b),))
            else:
                expect(r > b + 80 and g > b + 60 and abs(r - g) < 90, "suspended dot is not yellow: %s" % ((r, g, b),))
    for name in im["app"]:
        check_icon(d, name, int(name.split("_")[1].split(".")[0]))
    expect("icon_16.png" in im["tray"], "no 16 x 16 tray icon")
    for key in ("project_all", "project_none", "project"):
        check_icon(d, im[key], 16)
    for name in im["projects_toolbar"].values():
        check_icon(d, name, 8, corners_clear=False)
    for name in im["stat_toolbar"].values():
        check_icon(d, name, 16)
    check_icon(d, im["stat_maximise"], 12, corners_clear=False)
    check_icon(d, im["stat_restore"], 12, corners_clear=False)


def check_windows(d, layout):
    for key, size in (("splash", (463, 307)), ("about", (463, 310))):
        spec = layout[key]
        img = Image.open(os.path.join(d, spec["file"])).convert("RGB")
        expect(img.size == size == (spec["width"], spec["height"]), "%s is %s" % (key, img.size))
        for name, r in spec.items():
            if not isinstance(r, dict):
                continue
            area = img.crop((r["x"], r["y"], r["x"] + r["w"], r["y"] + r["h"]))
            expect(
                area.getcolors(1) == [(r["w"] * r["h"], (255, 255, 255))],
                "%s: the room for %s is not clear white" % (key, name),
            )


def check_sound(d, layout):
    s = layout["sound"]
    with wave.open(os.path.join(d, s["file"]), "rb") as w:
        expect(
            w.getnchannels() == 1 and w.getsampwidth() == 2 and w.getframerate() == 22050,
            "click is not mono 16-bit 22050 Hz",
        )
        expect(w.getnframes() == 1258 == s["samples"], "click has %d samples" % w.getnframes())
        data = w.readframes(w.getnframes())
    samples = [int.from_bytes(data[i : i + 2], "little", signed=True) for i in range(0, len(data), 2)]
    expect(samples[0] == 0 and samples[-1] == 0, "click does not start and end at silence")
    peak = max(abs(v) for v in samples)
    expect(8000 < peak < 32000, "click peak %d is too quiet or clips" % peak)
    expect(max(abs(v) for v in samples[: len(samples) // 4]) == peak, "click's loudest part is not at its start")


def check_qrc(d):
    with open(os.path.join(d, "assets.qrc")) as f:
        text = f.read()
    listed = {line.strip()[6:-7] for line in text.splitlines() if line.strip().startswith("<file>")}
    present = set(os.listdir(d)) - {"assets.qrc"}
    expect(
        listed == present,
        "assets.qrc lists %s but the folder holds %s" % (sorted(listed ^ present), "those differently"),
    )


def main(argv):
    d = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "generated")
    with open(os.path.join(d, "layout.json")) as f:
        layout = json.load(f)
    skin = check_skin(d, layout)
    check_header_text(layout, skin)
    check_buttons(d, layout, skin)
    check_icons(d, layout)
    check_windows(d, layout)
    check_sound(d, layout)
    check_qrc(d)
    for msg in failures:
        print("FAIL: " + msg, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
