#!/usr/bin/env python3
"""Draws the editor's own artwork as XPM files (plain text, no libraries needed).

    jobforge3.xpm     the program icon, 64 x 64: an anvil under a briefcase
    placeholder.xpm   the 63 x 63 picture shown when a career has no popup icon

Run from this folder: ./make-artwork.py  (the results are committed).
"""

import math


class Canvas:
    def __init__(self, width, height, background):
        self.width = width
        self.height = height
        self.pixels = [[background] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the pixels x0..x1, y0..y1 (inclusive)."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def polygon(self, points, colour):
        """Fills a polygon by testing pixel centres (even-odd rule)."""
        for y in range(self.height):
            for x in range(self.width):
                if inside(points, x + 0.5, y + 0.5):
                    self.put(x, y, colour)

    def disc(self, cx, cy, radius, colour):
        for y in range(self.height):
            for x in range(self.width):
                if math.hypot(x + 0.5 - cx, y + 0.5 - cy) <= radius:
                    self.put(x, y, colour)

    def xpm(self, name, palette):
        keys = {colour: key for key, colour in palette.items()}
        lines = ["/* XPM */", "static const char *%s[] = {" % name]
        lines.append('"%d %d %d 1",' % (self.width, self.height, len(palette)))
        for key, colour in palette.items():
            lines.append('"%s c %s",' % (key, colour))
        rows = ['"%s"' % "".join(keys[c] for c in row) for row in self.pixels]
        lines.append(",\n".join(rows))
        lines.append("};")
        return "\n".join(lines) + "\n"


def inside(points, x, y):
    result = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


def program_icon():
    palette = {
        " ": "None",
        ".": "#1E2A3A",  # outline
        "a": "#5B6675",  # anvil
        "b": "#8994A3",  # anvil light
        "c": "#8B4A1C",  # briefcase
        "d": "#B86A2E",  # briefcase light
        "e": "#E8C15A",  # clasp
        "f": "#F28C28",  # sparks
    }
    c = Canvas(64, 64, "None")
    # Anvil: horn on the left, block on the right, narrow waist, wide foot.
    body = [(4, 40), (20, 36), (58, 36), (58, 46), (46, 46), (42, 52), (50, 60),
            (14, 60), (22, 52), (18, 46), (12, 46)]
    c.polygon(body, "#1E2A3A")
    inner = [(8, 40), (21, 38), (56, 38), (56, 44), (44, 44), (40, 52), (46, 58),
             (18, 58), (24, 52), (20, 44), (13, 44)]
    c.polygon(inner, "#5B6675")
    c.rect(22, 38, 55, 39, "#8994A3")
    # Briefcase resting on the anvil.
    c.rect(18, 14, 50, 35, "#1E2A3A")
    c.rect(20, 16, 48, 33, "#8B4A1C")
    c.rect(20, 16, 48, 19, "#B86A2E")
    c.rect(27, 8, 41, 14, "#1E2A3A")
    c.rect(30, 11, 38, 14, "None")
    c.rect(32, 22, 36, 26, "#1E2A3A")
    c.rect(33, 23, 35, 25, "#E8C15A")
    # Sparks.
    for x, y in [(8, 30), (10, 26), (6, 22), (56, 28), (58, 22), (54, 18)]:
        c.disc(x, y, 1.6, "#F28C28")
    return c.xpm("jobforge3_xpm", palette)


def placeholder():
    palette = {
        ".": "#C0C0C0",  # face
        "w": "#FFFFFF",  # light edge
        "g": "#808080",  # shadow edge
        "d": "#A0A0A0",  # silhouette
        "k": "#6E6E6E",  # silhouette outline
    }
    c = Canvas(63, 63, "#C0C0C0")
    c.rect(0, 0, 62, 0, "#FFFFFF")
    c.rect(0, 0, 0, 62, "#FFFFFF")
    c.rect(0, 62, 62, 62, "#808080")
    c.rect(62, 0, 62, 62, "#808080")
    # A plain briefcase silhouette: no career picture here.
    c.rect(13, 22, 49, 48, "#6E6E6E")
    c.rect(15, 24, 47, 46, "#A0A0A0")
    c.rect(24, 15, 38, 22, "#6E6E6E")
    c.rect(27, 18, 35, 22, "#C0C0C0")
    c.rect(15, 32, 47, 33, "#6E6E6E")
    c.rect(29, 30, 33, 35, "#6E6E6E")
    return c.xpm("placeholder_xpm", palette)


def write(path, text):
    with open(path, "w") as f:
        f.write(text)


if __name__ == "__main__":
    write("jobforge3.xpm", program_icon())
    write("placeholder.xpm", placeholder())
