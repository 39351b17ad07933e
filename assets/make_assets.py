#!/usr/bin/python3
"""Draws every picture and the click sound of the application shell.

    make_assets.py OUTDIR          write all files into OUTDIR
    make_assets.py --check OUTDIR  fail unless OUTDIR holds exactly what this script makes

Needs Python 3 with Pillow and the DejaVu fonts (Debian: python3-pil, fonts-dejavu-core).
The output is committed under assets/generated/, so building the program needs neither.
"""

import json
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from PIL import Image  # noqa: E402

from assetgen import banners, icons, skin, sound, theme  # noqa: E402

TRAY_SIZES = (16, 22, 24, 32)
APP_SIZES = (48, 64, 128, 256)
PROJECT_TOOLS = ("add", "delete", "start", "stop")
STAT_TOOLS = ("month_back", "day_back", "day_forward", "month_forward", "today", "add_log", "delete_log")


def build():
    """Returns {file name: PIL image or bytes} and the layout dictionary."""
    files = {}
    skin_picture, buttons = skin.build()
    files["skin.png"] = skin_picture
    for (function, state), picture in buttons.items():
        files["btn_%s_%s.png" % (function, state)] = picture

    files["stopwatch_32.png"] = icons.stopwatch_icon(32)
    files["dot_green.png"] = icons.state_dot(theme.GREEN)
    files["dot_yellow.png"] = icons.state_dot(theme.AMBER)
    for size in TRAY_SIZES + APP_SIZES:
        files["icon_%d.png" % size] = icons.app_icon(size)

    files["project_all.png"] = icons.project_star()
    files["project_none.png"] = icons.project_page()
    files["project.png"] = icons.project_folder()
    for kind in PROJECT_TOOLS:
        files["prj_%s.png" % kind] = icons.toolbar_glyph(kind, 8, theme.INK)
    for kind in STAT_TOOLS:
        files["stat_%s.png" % kind] = icons.toolbar_glyph(kind, 16, theme.INK)
    files["stat_maximise.png"] = icons.toolbar_glyph("maximise", 12, theme.INK)
    files["stat_restore.png"] = icons.toolbar_glyph("restore", 12, theme.INK)

    files["splash.png"] = banners.splash()
    files["about.png"] = banners.about()
    files["click.wav"] = sound.click_wav()

    layout = skin.layout()
    layout.update(banners.layout())
    layout["images"] = {
        "timer_icon": "stopwatch_32.png",
        "state_running": "dot_green.png",
        "state_suspended": "dot_yellow.png",
        "tray": ["icon_%d.png" % s for s in TRAY_SIZES],
        "app": ["icon_%d.png" % s for s in TRAY_SIZES + APP_SIZES],
        "project_all": "project_all.png",
        "project_none": "project_none.png",
        "project": "project.png",
        "projects_toolbar": {k: "prj_%s.png" % k for k in PROJECT_TOOLS},
        "stat_toolbar": {k: "stat_%s.png" % k for k in STAT_TOOLS},
        "stat_maximise": "stat_maximise.png",
        "stat_restore": "stat_restore.png",
    }
    layout["sound"] = {"file": "click.wav", "rate": sound.RATE, "channels": 1, "bits": 16, "samples": sound.SAMPLES}
    files["layout.json"] = (_compact_json(layout) + "\n").encode()
    files["assets.qrc"] = _qrc(sorted(n for n in files if n != "assets.qrc") + ["layout.json"])
    return files


def _compact_json(value, indent=0):
    """JSON with one line per innermost object or list, so the layout reads like a table."""
    if not isinstance(value, (dict, list)):
        return json.dumps(value)
    children = value.values() if isinstance(value, dict) else value
    if not any(isinstance(v, (dict, list)) for v in children):
        return json.dumps(value, separators=(", ", ": "))
    pad = "  " * (indent + 1)
    if isinstance(value, dict):
        items = ["%s%s: %s" % (pad, json.dumps(k), _compact_json(v, indent + 1)) for k, v in value.items()]
        return "{\n" + ",\n".join(items) + "\n" + "  " * indent + "}"
    items = [pad + _compact_json(v, indent + 1) for v in value]
    return "[\n" + ",\n".join(items) + "\n" + "  " * indent + "]"


def _qrc(names):
    lines = ['<!DOCTYPE RCC><RCC version="1.0">', '<qresource prefix="/assets">']
    lines += ["    <file>%s</file>" % n for n in sorted(set(names))]
    lines += ["</qresource>", "</RCC>", ""]
    return "\n".join(lines).encode()


def write(files, outdir):
    os.makedirs(outdir, exist_ok=True)
    for name, content in files.items():
        path = os.path.join(outdir, name)
        if isinstance(content, Image.Image):
            # Fixed encoder settings and no metadata: the same drawing gives the same file.
            content.save(path, format="PNG", optimize=True)
        else:
            with open(path, "wb") as f:
                f.write(content)


def _same(a, b):
    if a.endswith(".png"):
        with Image.open(a) as ia, Image.open(b) as ib:
            return ia.mode == ib.mode and ia.size == ib.size and ia.tobytes() == ib.tobytes()
    with open(a, "rb") as fa, open(b, "rb") as fb:
        return fa.read() == fb.read()


def check(outdir):
    """Compares decoded pixels (PNG) and bytes (everything else) with a fresh build."""
    with tempfile.TemporaryDirectory() as tmp:
        files = build()
        write(files, tmp)
        have = set(os.listdir(outdir)) if os.path.isdir(outdir) else set()
        want = set(files)
        problems = ["missing: " + n for n in sorted(want - have)]
        problems += ["not made by the script: " + n for n in sorted(have - want)]
        problems += [
            "out of date: " + n for n in sorted(want & have) if not _same(os.path.join(tmp, n), os.path.join(outdir, n))
        ]
    for p in problems:
        print(p, file=sys.stderr)
    return not problems


def main(argv):
    if len(argv) == 3 and argv[1] == "--check":
        if not check(argv[2]):
            print("assets are out of date: run assets/make_assets.py %s" % argv[2], file=sys.stderr)
            return 1
        return 0
    if len(argv) == 2 and not argv[1].startswith("-"):
        write(build(), argv[1])
        return 0
    print(__doc__.strip(), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
