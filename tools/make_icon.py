#!/usr/bin/python3
"""Draws the program's icon (a die spring pressed between two die plates)
at the sizes the desktop asks for, and the splash's title picture.

Run from anywhere:  /usr/bin/python3 tools/make_icon.py
Needs Debian's python3-pil and fonts-ipafont-gothic. The PNG files are
committed, so a build never needs this script; run it again after a change.
"""

import os

from PIL import Image, ImageDraw, ImageFont

FONT = "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
ICONS = os.path.join(ROOT, "icons")
PICTURES = os.path.join(ROOT, "frame", "pictures")
SIZES = [16, 24, 32, 48, 64, 128, 256]


def blend(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def vertical_gradient(w, h, top, bottom):
    img = Image.new("RGBA", (w, h))
    d = ImageDraw.Draw(img)
    for y in range(h):
        d.line([(0, y), (w - 1, y)], fill=blend(top, bottom, y / max(1, h - 1)) + (255,))
    return img


def wire_half(s):
    return s * 0.036


def icon(size=512):
    s = size
    mask = Image.new("L", (s, s), 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, s - 1, s - 1], radius=s // 6, fill=255)
    back = vertical_gradient(s, s, (44, 92, 156), (10, 24, 50))
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    img.paste(back, (0, 0), mask)
    d = ImageDraw.Draw(img)

    # The die plates: the upper one pressing down, the lower one holding.
    plate = s * 0.09
    left, right = s * 0.16, s * 0.84
    top_plate = (left, s * 0.13, right, s * 0.13 + plate)
    low_plate = (left, s * 0.87 - plate, right, s * 0.87)
    for box in (top_plate, low_plate):
        d.rounded_rectangle(box, radius=s * 0.015, fill=(200, 208, 220), outline=(90, 100, 116), width=max(1, s // 128))

    # The spring: five turns of flat wire, the back of each turn darker.
    turns = 5
    y0, y1 = top_plate[3] + wire_half(s), low_plate[1] - wire_half(s)
    pitch = (y1 - y0) / turns
    x0, x1 = s * 0.27, s * 0.73
    wire = 2 * wire_half(s)
    back_c, front_c, edge = (170, 120, 0), (255, 200, 40), (110, 70, 0)
    for i in range(turns):
        ya = y0 + i * pitch
        d.line([(x1, ya + pitch * 0.5), (x0, ya + pitch)], fill=back_c, width=int(wire))
    for i in range(turns):
        ya = y0 + i * pitch
        d.line([(x0, ya), (x1, ya + pitch * 0.5)], fill=front_c, width=int(wire))
        d.line([(x0, ya + wire * 0.45), (x1, ya + pitch * 0.5 + wire * 0.45)], fill=edge, width=max(1, s // 96))

    # The force: an arrow onto the upper plate.
    cx = s / 2
    d.polygon([(cx - s * 0.09, s * 0.02), (cx + s * 0.09, s * 0.02), (cx, top_plate[1] - s * 0.005)],
              fill=(230, 60, 50))
    return img


def splash_title(w=360, h=96):
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        for x in range(w):
            px[x, y] = blend((30, 60, 100), (10, 20, 40), (x / (w - 1) + y / (h - 1)) / 2)
    d = ImageDraw.Draw(img)
    font = ImageFont.truetype(FONT, 40)
    d.text((20, 26), "Tolvane", font=font, fill=(255, 255, 255), stroke_width=1, stroke_fill=(255, 255, 255))
    return img


def main():
    os.makedirs(ICONS, exist_ok=True)
    os.makedirs(PICTURES, exist_ok=True)
    big = icon(1024)
    for size in SIZES:
        big.resize((size, size), Image.LANCZOS).save(os.path.join(ICONS, "tolvane-%d.png" % size), optimize=True)
    splash_title().save(os.path.join(PICTURES, "splash_title.png"), optimize=True)


if __name__ == "__main__":
    main()
