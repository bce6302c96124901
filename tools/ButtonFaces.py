#!/usr/bin/env python3
"""Draws the faces of the main window's command buttons as 16-colour BMPs.

Each button has three faces: normal, pressed and disabled. The button draws
nothing of its own but the face, so a face carries the whole button: the
raised edge of a push button, and the picture of the command. The pressed
face is sunken with the picture moved one pixel right and down; the disabled
face keeps the raised edge and shows the picture engraved in grey.

Run it from anywhere after changing a picture:

    python3 tools/ButtonFaces.py

It rewrites resources/faces/*.bmp, which resources/ButtonFaces.rc compiles
into the library.
"""

import os
import struct

# The 16 colours of the standard palette, in the usual order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
FACE = SILVER


class Picture:
    """The picture of a command: coloured pixels on a transparent ground."""

    def __init__(self):
        self.pixels = {}

    def dot(self, x, y, colour):
        self.pixels[(x, y)] = colour

    def hline(self, x0, x1, y, colour):
        for x in range(min(x0, x1), max(x0, x1) + 1):
            self.dot(x, y, colour)

    def vline(self, x, y0, y1, colour):
        for y in range(min(y0, y1), max(y0, y1) + 1):
            self.dot(x, y, colour)

    def box(self, x0, y0, x1, y1, fill, outline=None):
        for y in range(y0, y1 + 1):
            self.hline(x0, x1, y, fill)
        if outline is not None:
            self.hline(x0, x1, y0, outline)
            self.hline(x0, x1, y1, outline)
            self.vline(x0, y0, y1, outline)
            self.vline(x1, y0, y1, outline)

    def disc(self, cx, cy, r, fill, outline=None):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if d <= r * r + r:
                    edge = d > (r - 1) * (r - 1) + (r - 1)
                    self.dot(x, y, outline if edge and outline is not None else fill)

    def ring(self, cx, cy, r, colour):
        for y in range(cy - r, cy + r + 1):
            for x in range(cx - r, cx + r + 1):
                d = (x - cx) ** 2 + (y - cy) ** 2
                if (r - 1) * (r - 1) + (r - 1) < d <= r * r + r:
                    self.dot(x, y, colour)

    def polygon(self, points, fill, outline=None):
        ys = [p[1] for p in points]
        for y in range(min(ys), max(ys) + 1):
            xs = []
            for (xa, ya), (xb, yb) in zip(points, points[1:] + points[:1]):
                if ya == yb:
                    continue
                if min(ya, yb) <= y < max(ya, yb) or (y == max(ys) and min(ya, yb) <= y <= max(ya, yb)):
                    xs.append(xa + (y - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                self.hline(round(xs[i]), round(xs[i + 1]), y, fill)
        if outline is not None:
            for a, b in zip(points, points[1:] + points[:1]):
                self.line(a, b, outline)

    def line(self, a, b, colour):
        (x0, y0), (x1, y1) = a, b
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.dot(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), colour)


# ---------------------------------------------------------------------------
# The pictures, drawn round the centre (cx, cy) of the face.

def go_picture(cx, cy):
    # A green run triangle.
    p = Picture()
    p.polygon([(cx - 6, cy - 9), (cx + 9, cy), (cx - 6, cy + 9)], LIME, GREEN)
    return p


def stop_picture(cx, cy):
    # A red stop square.
    p = Picture()
    p.box(cx - 8, cy - 8, cx + 8, cy + 8, RED, MAROON)
    return p


def code_line(p, x0, x1, y, colour=NAVY):
    p.hline(x0, x1, y, colour)
    p.hline(x0, x1, y + 1, colour)


def arrow_head_left(p, x, y, colour):
    for i in range(5):
        p.vline(x + i, y - i, y + i + 1, colour)


def arrow_head_right(p, x, y, colour):
    for i in range(5):
        p.vline(x - i, y - i, y + i + 1, colour)


def step_picture(cx, cy):
    # Step over: from this line to the next, a blue arrow bowing over the
    # statement instead of going into it.
    p = Picture()
    code_line(p, cx - 15, cx + 1, cy - 9)
    code_line(p, cx - 15, cx - 3, cy - 3, GREY)
    code_line(p, cx - 15, cx - 1, cy + 3, GREY)
    code_line(p, cx - 15, cx + 1, cy + 9)
    # The bow on the right: a half ring from the first line to the last.
    rcx, rcy, r = cx + 4, cy, 9
    for y in range(rcy - r - 1, rcy + r + 2):
        for x in range(rcx, rcx + r + 3):
            d = (x - rcx) ** 2 + (y - rcy) ** 2
            if (r - 1) ** 2 <= d <= (r + 1) ** 2:
                p.dot(x, y, BLUE)
    arrow_head_left(p, cx + 1, cy + 9, BLUE)
    return p


def step_into_picture(cx, cy):
    # Step into: from the calling line down into the body of the call.
    p = Picture()
    code_line(p, cx - 15, cx + 13, cy - 10)
    code_line(p, cx - 3, cx + 13, cy - 2, GREY)
    code_line(p, cx - 3, cx + 13, cy + 4)
    code_line(p, cx - 3, cx + 13, cy + 10, GREY)
    # Down from under the first line, then right into the body.
    for w in (0, 1):
        p.vline(cx - 13 + w, cy - 7, cy + 5, BLUE)
        p.hline(cx - 13, cx - 8, cy + 4 + w, BLUE)
    arrow_head_right(p, cx - 6, cy + 4, BLUE)
    return p


def exit_picture(cx, cy):
    # An open door with a red arrow leaving through it.
    p = Picture()
    p.box(cx - 14, cy - 12, cx - 1, cy + 12, BLACK)       # the doorway, dark
    p.box(cx - 13, cy - 11, cx - 2, cy + 12, BLACK)
    p.polygon([(cx - 14, cy - 12), (cx - 6, cy - 9), (cx - 6, cy + 15), (cx - 14, cy + 12)], OLIVE, MAROON)
    p.dot(cx - 8, cy + 2, YELLOW)                          # the handle
    for w in (-1, 0, 1):
        p.hline(cx - 3, cx + 9, cy + w, RED)
    for i in range(7):
        p.vline(cx + 15 - i, cy - i, cy + i, RED)
    return p


def break_picture(cx, cy):
    # A source line with the red breakpoint mark in front of it.
    p = Picture()
    code_line(p, cx - 3, cx + 13, cy - 9, GREY)
    p.box(cx - 4, cy - 3, cx + 14, cy + 3, RED)            # the marked line
    p.hline(cx - 2, cx + 12, cy, WHITE)
    code_line(p, cx - 3, cx + 13, cy + 8, GREY)
    p.disc(cx - 13, cy, 5, RED, MAROON)
    p.dot(cx - 15, cy - 2, WHITE)
    p.dot(cx - 14, cy - 3, WHITE)
    return p


def watch_picture(cx, cy):
    # A pair of glasses.
    p = Picture()
    p.disc(cx - 5, cy + 2, 4, AQUA, BLACK)
    p.disc(cx + 5, cy + 2, 4, AQUA, BLACK)
    p.hline(cx - 1, cx + 1, cy, BLACK)                     # the bridge
    p.line((cx - 9, cy + 1), (cx - 10, cy - 5), BLACK)     # the arms
    p.line((cx + 9, cy + 1), (cx + 10, cy - 5), BLACK)
    p.dot(cx - 6, cy + 1, WHITE)
    p.dot(cx + 4, cy + 1, WHITE)
    return p


# ---------------------------------------------------------------------------
# Faces

def raised_edge(grid, x0, x1, h, pressed):
    """The edge of a push button over the columns x0..x1 and every row."""
    for x in range(x0, x1 + 1):
        grid[0][x] = BLACK
        grid[h - 1][x] = BLACK
    for y in range(h):
        grid[y][x0] = BLACK
        grid[y][x1] = BLACK
    if pressed:
        for x in range(x0 + 1, x1):
            grid[1][x] = GREY
        for y in range(1, h - 1):
            grid[y][x0 + 1] = GREY
        return
    for x in range(x0 + 1, x1 - 1):
        grid[1][x] = WHITE
    for y in range(1, h - 2):
        grid[y][x0 + 1] = WHITE
    for x in range(x0 + 1, x1):
        grid[h - 2][x] = GREY
    for y in range(1, h - 1):
        grid[y][x1 - 1] = GREY
    for x in range(x0 + 2, x1 - 1):
        grid[h - 3][x] = GREY
    for y in range(2, h - 2):
        grid[y][x1 - 2] = GREY


def face(w, h, inset, picture_of, state):
    """A face w x h whose button edge stands `inset` pixels in from each side.

    A command button is 29 dialog units wide: 51 pixels where a dialog unit
    is 7/4 of a pixel across, but only 44 where it is 6/4. The face is drawn
    centred and cut to the button, so its edge stands where a narrower
    button still shows it whole; a wider one shows a strip of face colour
    either side.
    """
    grid = [[FACE] * w for _ in range(h)]
    x0, x1 = inset, w - 1 - inset - (w - 2 * inset) % 2
    raised_edge(grid, x0, x1, h, state == "pressed")
    shift = 1 if state == "pressed" else 0
    picture = picture_of((x0 + x1) // 2 + shift, h // 2 - 1 + shift)

    def put(x, y, colour):
        if x0 + 2 <= x < x1 - 2 and 2 <= y < h - 3:
            grid[y][x] = colour

    if state == "disabled":
        # Engraved: a white shadow one pixel down and right, the shape in grey.
        for (x, y) in picture.pixels:
            put(x + 1, y + 1, WHITE)
        for (x, y) in picture.pixels:
            put(x, y, GREY)
    else:
        for (x, y), colour in picture.pixels.items():
            put(x, y, colour)
    return grid


def write_bmp(path, grid):
    h, w = len(grid), len(grid[0])
    row_bytes = ((w + 1) // 2 + 3) & ~3
    rows = []
    for row in reversed(grid):
        data = bytearray(row_bytes)
        for x, colour in enumerate(row):
            data[x // 2] |= colour << (4 if x % 2 == 0 else 0)
        rows.append(bytes(data))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    pixels = b"".join(rows)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


# Button, first face id, size, edge inset, picture. The three faces take the
# id, +1, +2.
BUTTONS = [
    ("exit", 550, 51, 37, 3, exit_picture),
    ("stop", 553, 51, 37, 3, stop_picture),
    ("stepinto", 556, 51, 37, 3, step_into_picture),
    ("step", 559, 51, 37, 3, step_picture),
    ("go", 562, 51, 37, 3, go_picture),
    ("break", 565, 51, 37, 3, break_picture),
    ("watch", 568, 24, 22, 0, watch_picture),
]
STATES = ["normal", "pressed", "disabled"]


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folder = os.path.join(root, "resources", "faces")
    os.makedirs(folder, exist_ok=True)
    lines = ["// Faces of the main window's buttons: normal, pressed, disabled.",
             "// Written by tools/ButtonFaces.py; edit the pictures there.", ""]
    for name, first, w, h, inset, picture_of in BUTTONS:
        for i, state in enumerate(STATES):
            file_name = "%s-%s.bmp" % (name, state)
            write_bmp(os.path.join(folder, file_name), face(w, h, inset, picture_of, state))
            lines.append('%d BITMAP "faces/%s"' % (first + i, file_name))
    with open(os.path.join(root, "resources", "ButtonFaces.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
