#!/usr/bin/python3
"""Draws the canvas cursors and warning symbols into resources/images/.

The PNGs are committed, so a build never runs this; run it again only after
changing a drawing here. Needs python3-pil.

Hot spots the canvas relies on: the zoom cursors at (7, 7), the measure and
crosshair cursors at the image centre (16, 16), the pick cursor at (31, 16).
The pick image leaves its upper right corner free for the phase name that the
canvas writes there.
"""
import os
from PIL import Image, ImageDraw

SCALE = 8  # drawn large, then reduced, for smooth edges
HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "images")

BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)


def canvas(size):
    img = Image.new("RGBA", (size * SCALE, size * SCALE), (0, 0, 0, 0))
    return img, ImageDraw.Draw(img)


def s(v):
    """Pixel-centre coordinate at the drawing scale."""
    return (v + 0.5) * SCALE


def line(draw, points, width, colour):
    pts = [(s(x), s(y)) for x, y in points]
    draw.line(pts, fill=colour, width=int(width * SCALE), joint="curve")
    r = width * SCALE / 2
    for x, y in pts:  # round caps
        draw.ellipse((x - r, y - r, x + r, y + r), fill=colour)


def outlined(draw, points, width):
    """A black stroke with a white rim, readable on any background."""
    line(draw, points, width + 2, WHITE)
    line(draw, points, width, BLACK)


def save(img, size, name):
    img.resize((size, size), Image.LANCZOS).save(os.path.join(OUT, name))


def magnifier(name, plus):
    img, d = canvas(24)
    c, r = 7, 5.5
    # rim, glass and ring
    d.ellipse((s(c - r - 1.5), s(c - r - 1.5), s(c + r + 1.5), s(c + r + 1.5)), fill=WHITE)
    d.ellipse((s(c - r), s(c - r), s(c + r), s(c + r)), fill=(235, 245, 255, 255),
              outline=BLACK, width=int(1.5 * SCALE))
    outlined(d, [(11.5, 11.5), (20, 20)], 3)
    line(d, [(4.5, 7), (9.5, 7)], 1.2, BLACK)
    if plus:
        line(d, [(7, 4.5), (7, 9.5)], 1.2, BLACK)
    save(img, 24, name)


def measure():
    img, d = canvas(32)
    c = 16
    # crosshair with an open centre, and ruler ticks along its arms
    for a, b in (((c, 2), (c, 12)), ((c, 20), (c, 30)), ((2, c), (12, c)), ((20, c), (30, c))):
        outlined(d, [a, b], 1)
    for k in (4, 8):
        outlined(d, [(c - k, c - 2), (c - k, c + 2)], 1)
        outlined(d, [(c + k, c - 2), (c + k, c + 2)], 1)
    line(d, [(c, c), (c, c)], 1.2, BLACK)
    save(img, 32, "cursor-measure-32.png")


def crosshair():
    img, d = canvas(32)
    c = 16
    outlined(d, [(c, 1), (c, 30)], 1)
    outlined(d, [(1, c), (30, c)], 1)
    save(img, 32, "cursor-crosshair-32.png")


def pick():
    img, d = canvas(32)
    # an arrow pointing right at a vertical pick line on the right edge
    outlined(d, [(30.5, 6), (30.5, 26)], 1.2)
    outlined(d, [(10, 16), (29, 16)], 1.2)
    outlined(d, [(23, 11), (29, 16), (23, 21)], 1.2)
    save(img, 32, "cursor-pick-32.png")


def warning(size, name):
    img, d = canvas(size)
    m = size / 16.0
    tri = [(s(size / 2 - 0.5), s(0.5 * m)), (s(size - 1 - 0.3 * m), s(size - 1.5 * m)),
           (s(0.3 * m), s(size - 1.5 * m))]
    d.polygon(tri, fill=(250, 200, 30, 255), outline=(90, 60, 0, 255))
    cx = size / 2 - 0.5
    line(d, [(cx, 5.0 * m), (cx, 9.5 * m)], 1.6 * m, BLACK)
    line(d, [(cx, 12.0 * m), (cx, 12.0 * m)], 1.6 * m, BLACK)
    save(img, size, name)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    magnifier("cursor-zoom-in-24.png", True)
    magnifier("cursor-zoom-out-24.png", False)
    measure()
    crosshair()
    pick()
    warning(16, "warning-16.png")
    warning(48, "warning-48.png")
