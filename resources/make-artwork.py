#!/usr/bin/env python3
"""Draws the editor's own artwork as XPM files (plain text, no libraries needed).

    placeholder.xpm   the 63 x 63 picture shown when a career has no popup icon

The program icon is a drawing of its own: icons/jobforge3.svg (see make-icons.sh).

Run from this folder: ./make-artwork.py  (the results are committed).
"""


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
    write("placeholder.xpm", placeholder())
