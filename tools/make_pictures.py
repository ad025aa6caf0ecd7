#!/usr/bin/python3
"""Draws every picture of materials/: the toolbar buttons in their released,
pressed and disabled looks, the spring kind and series buttons, the banner
background, the dialogs' OK / cancel / select buttons and the link cursor.

Run from anywhere:  /usr/bin/python3 tools/make_pictures.py
Needs Debian's python3-pil and fonts-ipafont-gothic. The GIF files are
committed, so a build never needs this script; run it again after a change.
"""

import os
import struct
import sys
from io import BytesIO

from PIL import Image, ImageDraw, ImageFont

FONT = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(os.path.dirname(HERE), "materials")


def font(size):
    return ImageFont.truetype(FONT, size)


def blend(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def gradient(draw, box, top, bottom):
    x0, y0, x1, y1 = box
    h = max(1, y1 - y0)
    for y in range(y0, y1 + 1):
        draw.line([(x0, y), (x1, y)], fill=blend(top, bottom, (y - y0) / h))


def centred_text(draw, box, text, size, fill, shadow=None):
    f = font(size)
    x0, y0, x1, y1 = box
    l, t, r, b = draw.textbbox((0, 0), text, font=f)
    x = x0 + (x1 - x0 - (r - l)) / 2 - l
    y = y0 + (y1 - y0 - (b - t)) / 2 - t
    if shadow:
        draw.text((x + 1, y + 1), text, font=f, fill=shadow)
    draw.text((x, y), text, font=f, fill=fill)


def fit_size(text, width, start):
    size = start
    probe = ImageDraw.Draw(Image.new("RGB", (4, 4)))
    while size > 8:
        l, _, r, _ = probe.textbbox((0, 0), text, font=font(size))
        if r - l <= width:
            break
        size -= 1
    return size


def save_gif(img, name):
    # An adaptive palette keeps the gradients smooth within GIF's 256 colours.
    img.convert("P", palette=Image.ADAPTIVE, colors=255).save(os.path.join(OUT, name), "GIF")


# --- toolbar: an icon drawn with lines above a caption ------------------------

def icon_report(d, cx, cy, c):
    d.rectangle([cx - 8, cy - 10, cx + 8, cy + 10], outline=c, width=2)
    for i in range(4):
        d.line([(cx - 5, cy - 5 + i * 4), (cx + 5, cy - 5 + i * 4)], fill=c)


def icon_select_all(d, cx, cy, c):
    for x in range(cx - 10, cx + 11, 4):
        d.point([(x, cy - 9), (x, cy + 9)], fill=c)
    for y in range(cy - 9, cy + 10, 4):
        d.point([(cx - 10, y), (cx + 10, y)], fill=c)
    d.rectangle([cx - 6, cy - 5, cx + 6, cy + 5], fill=c)


def icon_copy(d, cx, cy, c):
    d.rectangle([cx - 9, cy - 9, cx + 3, cy + 5], outline=c, width=2)
    d.rectangle([cx - 3, cy - 4, cx + 9, cy + 10], outline=c, width=2)


def icon_clear_data(d, cx, cy, c):
    d.rectangle([cx - 10, cy - 6, cx + 10, cy + 6], outline=c, width=2)
    d.line([(cx - 5, cy - 3), (cx + 5, cy + 3)], fill=c, width=2)
    d.line([(cx - 5, cy + 3), (cx + 5, cy - 3)], fill=c, width=2)


def icon_all_clear(d, cx, cy, c):
    d.ellipse([cx - 10, cy - 10, cx + 10, cy + 10], outline=c, width=2)
    d.line([(cx - 6, cy - 6), (cx + 6, cy + 6)], fill=c, width=2)
    d.line([(cx - 6, cy + 6), (cx + 6, cy - 6)], fill=c, width=2)


def icon_diagram(d, cx, cy, c):
    d.line([(cx - 10, cy - 10), (cx - 10, cy + 10), (cx + 10, cy + 10)], fill=c, width=2)
    d.line([(cx - 8, cy + 7), (cx - 1, cy - 1), (cx + 9, cy - 8)], fill=c, width=2)


def icon_total(d, cx, cy, c):
    icon_diagram(d, cx, cy, c)
    d.line([(cx - 8, cy + 8), (cx + 9, cy + 1)], fill=c, width=1)


def icon_help(d, cx, cy, c):
    d.ellipse([cx - 10, cy - 10, cx + 10, cy + 10], outline=c, width=2)
    centred_text(d, (cx - 10, cy - 11, cx + 10, cy + 9), "?", 15, c)


TOOLBAR = [
    ("display_txt", "計算結果", icon_report, False),
    ("select_all", "全て選択", icon_select_all, True),
    ("copy", "コピー", icon_copy, True),
    ("clear_data", "データクリア", icon_clear_data, False),
    ("all_clear", "全てクリア", icon_all_clear, False),
    ("output_dxf", "DXF出力", icon_diagram, True),
    ("output_dxf_total", "合成線図", icon_total, False),
    ("howToUse", "使い方", icon_help, False),
]
TOOL_W, TOOL_H = 76, 48


def toolbar_button(state, caption, icon):
    img = Image.new("RGB", (TOOL_W, TOOL_H))
    d = ImageDraw.Draw(img)
    if state == "off":
        gradient(d, (0, 0, TOOL_W - 1, TOOL_H - 1), (92, 104, 128), (44, 52, 70))
        ink, edge_hi, edge_lo, dy = (255, 255, 255), (150, 162, 186), (20, 24, 34), 0
    elif state == "on":
        gradient(d, (0, 0, TOOL_W - 1, TOOL_H - 1), (30, 90, 170), (70, 140, 220))
        ink, edge_hi, edge_lo, dy = (255, 250, 200), (16, 40, 90), (150, 190, 240), 1
    else:
        gradient(d, (0, 0, TOOL_W - 1, TOOL_H - 1), (96, 96, 96), (78, 78, 78))
        ink, edge_hi, edge_lo, dy = (140, 140, 140), (112, 112, 112), (60, 60, 60), 0
    d.line([(0, 0), (TOOL_W - 1, 0)], fill=edge_hi)
    d.line([(0, 0), (0, TOOL_H - 1)], fill=edge_hi)
    d.line([(0, TOOL_H - 1), (TOOL_W - 1, TOOL_H - 1)], fill=edge_lo)
    d.line([(TOOL_W - 1, 0), (TOOL_W - 1, TOOL_H - 1)], fill=edge_lo)
    icon(d, TOOL_W // 2 + dy, 16 + dy, ink)
    size = fit_size(caption, TOOL_W - 6, 12)
    centred_text(d, (dy, 30 + dy, TOOL_W - 1 + dy, TOOL_H - 3 + dy), caption, size, ink)
    return img


# --- selection buttons: the kinds and the series ----------------------------

def select_button(w, h, caption, on, size):
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    if on:
        gradient(d, (0, 0, w - 1, h - 1), (255, 190, 60), (230, 120, 20))
        ink, border = (40, 20, 0), (120, 60, 0)
    else:
        gradient(d, (0, 0, w - 1, h - 1), (236, 238, 242), (196, 200, 210))
        ink, border = (30, 40, 60), (110, 116, 130)
    d.rectangle([0, 0, w - 1, h - 1], outline=border)
    centred_text(d, (0, 0, w - 1, h - 1), caption, fit_size(caption, w - 6, size), ink)
    return img


KINDS = [("round_sp", "丸線"), ("square_sp1", "角線1"), ("square_sp2", "角線2")]
SERIES = ["SWB", "SWC", "SWF", "SWG", "SWH", "SWL", "SWM", "SWR", "SWS", "SWU", "SWV", "SWX",
          "SWY", "SWZ", "WB", "WF", "WH", "WL", "WM", "WR", "WT", "WY"]


# --- dialog buttons -----------------------------------------------------------

def dialog_button(w, h, caption, on, accent):
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    top, bottom = accent
    if on:
        top, bottom = bottom, top
    gradient(d, (0, 0, w - 1, h - 1), top, bottom)
    d.rectangle([0, 0, w - 1, h - 1], outline=(20, 24, 34))
    dy = 1 if on else 0
    centred_text(d, (dy, dy, w - 1 + dy, h - 1 + dy), caption, fit_size(caption, w - 8, 14),
                 (255, 255, 255), shadow=(0, 0, 0))
    return img


BLUE = ((70, 120, 200), (30, 60, 130))
GREY = ((120, 124, 134), (64, 68, 78))
GREEN = ((70, 160, 100), (30, 100, 60))

DIALOG_BUTTONS = [
    ("OK_verInfo", 96, 28, "OK", BLUE),
    ("OK_outputDxf", 113, 25, "OK", BLUE),
    ("cancel_outputDxf", 113, 25, "キャンセル", GREY),
    ("selectFiles", 113, 25, "ファイル選択", GREEN),
    ("output_dxf_total_large", 113, 25, "DXF出力", BLUE),
    ("cancel_selectSpDiagram", 64, 25, "キャンセル", GREY),
]


def banner_background():
    w, h = 640, 26
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    gradient(d, (0, 0, w - 1, h - 1), (24, 28, 40), (8, 10, 16))
    d.line([(0, 0), (w - 1, 0)], fill=(70, 80, 110))
    return img


# --- the link cursor: a pointing hand, written as a Windows .cur file -----------

def hand_cursor():
    size = 32
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    black, white = (0, 0, 0, 255), (255, 255, 255, 255)
    # finger, palm and thumb as filled shapes with a black outline
    shapes = [
        [(9, 1), (13, 1), (13, 12), (9, 12)],
        [(5, 12), (23, 12), (25, 16), (25, 24), (21, 30), (10, 30), (5, 22)],
        [(1, 15), (4, 13), (8, 18), (5, 21)],
    ]
    for s in shapes:
        d.polygon(s, fill=white, outline=black)
    for x in (16, 20):
        d.line([(x, 12), (x, 19)], fill=black)
    return img, (11, 1)


def write_cur(img, hotspot, path):
    png = BytesIO()
    img.save(png, "PNG")
    data = png.getvalue()
    w, h = img.size
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, hotspot[0], hotspot[1], len(data), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + data)


def main():
    os.makedirs(OUT, exist_ok=True)
    for stem, caption, icon, switched in TOOLBAR:
        for state in ("on", "off") + (("disable",) if switched else ()):
            save_gif(toolbar_button(state, caption, icon), f"{stem}_{state}.gif")
    for stem, caption in KINDS:
        for on in (True, False):
            save_gif(select_button(88, 31, caption, on, 15), f"{stem}_{'on' if on else 'off'}.gif")
    for code in SERIES:
        for on in (True, False):
            save_gif(select_button(58, 27, code, on, 15), f"{code}_{'on' if on else 'off'}.gif")
    for stem, w, h, caption, accent in DIALOG_BUTTONS:
        for on in (True, False):
            save_gif(dialog_button(w, h, caption, on, accent), f"{stem}_{'on' if on else 'off'}.gif")
    save_gif(banner_background(), "back_msg.gif")
    cur, hotspot = hand_cursor()
    write_cur(cur, hotspot, os.path.join(OUT, "cursor.cur"))
    print(f"pictures written to {OUT}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
