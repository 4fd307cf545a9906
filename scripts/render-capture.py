#!/usr/bin/env python3
"""Renders a terminal screen captured with `tmux capture-pane -p -e -N` to a PNG picture.

Usage: render-capture.py CAPTURE.ans OUT.png COLUMNS ROWS
Needs ImageMagick's convert and a monospaced font with Japanese glyphs (IPAGothic).
"""
import os
import subprocess
import sys
import unicodedata

CELL_W, CELL_H, FONT_SIZE = 10, 20, 20
FONT = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"


def xterm_color(n):
    base = [(0, 0, 0), (205, 0, 0), (0, 205, 0), (205, 205, 0), (0, 0, 238), (205, 0, 205),
            (0, 205, 205), (229, 229, 229), (127, 127, 127), (255, 0, 0), (0, 255, 0),
            (255, 255, 0), (92, 92, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
    if n < 16:
        return base[n]
    if n < 232:
        n -= 16
        levels = [0, 95, 135, 175, 215, 255]
        return (levels[n // 36], levels[n // 6 % 6], levels[n % 6])
    grey = 8 + 10 * (n - 232)
    return (grey, grey, grey)


def width(ch):
    if ch == "\u2026":
        return 1
    return 2 if unicodedata.east_asian_width(ch) in "WF" else 1


def parse(text, columns, rows):
    default_fg, default_bg = (229, 229, 229), (0, 0, 0)
    pen = {"fg": None, "bg": None, "ul": False, "bold": False, "rev": False}
    screen = []
    for line in text.split("\n")[:rows]:
        cells = []
        i = 0
        while i < len(line):
            if line[i] == "\x1b" and line[i + 1:i + 2] == "[":
                end = i + 2
                while end < len(line) and not line[end].isalpha():
                    end += 1
                if line[end] == "m":
                    values = [int(v) if v else 0 for v in line[i + 2:end].split(";")]
                    k = 0
                    while k < len(values):
                        v = values[k]
                        if v == 0:
                            pen = {"fg": None, "bg": None, "ul": False, "bold": False, "rev": False}
                        elif v == 1:
                            pen["bold"] = True
                        elif v == 4:
                            pen["ul"] = True
                        elif v == 7:
                            pen["rev"] = True
                        elif v == 22:
                            pen["bold"] = False
                        elif v == 24:
                            pen["ul"] = False
                        elif 30 <= v <= 37:
                            pen["fg"] = v - 30
                        elif v == 39:
                            pen["fg"] = None
                        elif 40 <= v <= 47:
                            pen["bg"] = v - 40
                        elif v == 49:
                            pen["bg"] = None
                        elif 90 <= v <= 97:
                            pen["fg"] = v - 82
                        elif 100 <= v <= 107:
                            pen["bg"] = v - 92
                        elif v in (38, 48) and k + 2 < len(values) and values[k + 1] == 5:
                            pen["fg" if v == 38 else "bg"] = values[k + 2]
                            k += 2
                        k += 1
                i = end + 1
                continue
            ch = line[i]
            fg = xterm_color(pen["fg"]) if pen["fg"] is not None else default_fg
            bg = xterm_color(pen["bg"]) if pen["bg"] is not None else default_bg
            if pen["bold"] and pen["fg"] is not None and pen["fg"] < 8:
                fg = xterm_color(pen["fg"] + 8)
            if pen["rev"]:
                fg, bg = bg, fg
            cells.append((ch, fg, bg, pen["ul"], width(ch)))
            if width(ch) == 2:
                cells.append(("", fg, bg, False, 0))
            i += 1
        while len(cells) < columns:
            cells.append((" ", default_fg, default_bg, False, 1))
        screen.append(cells[:columns])
    while len(screen) < rows:
        screen.append([(" ", default_fg, default_bg, False, 1)] * columns)
    return screen


def mvg(screen, columns, rows):
    out = [f"viewbox 0 0 {columns * CELL_W} {rows * CELL_H}", f"font '{FONT}'",
           f"font-size {FONT_SIZE}", "stroke none", "stroke-width 0"]
    for r, cells in enumerate(screen):
        for c, (ch, fg, bg, ul, w) in enumerate(cells):
            out.append(f"fill rgb{bg} rectangle {c * CELL_W},{r * CELL_H} "
                       f"{(c + 1) * CELL_W - 1},{(r + 1) * CELL_H - 1}")
    for r, cells in enumerate(screen):
        for c, (ch, fg, bg, ul, w) in enumerate(cells):
            x, y = c * CELL_W, r * CELL_H
            if ch and ch in "─│┌┐└┘├┤":
                mid_x, mid_y = x + CELL_W // 2, y + CELL_H // 2
                if ch in "─┌┐└┘├┤":
                    left = mid_x if ch in "┌└├" else x
                    right = mid_x if ch in "┐┘┤" else x + CELL_W
                    if ch in "├":
                        right = x + CELL_W
                    if ch in "┤":
                        left = x
                    out.append(f"fill rgb{fg} rectangle {left},{mid_y} {right},{mid_y}")
                if ch in "│┌┐└┘├┤":
                    top = mid_y if ch in "┌┐" else y
                    bottom = mid_y if ch in "└┘" else y + CELL_H
                    out.append(f"fill rgb{fg} rectangle {mid_x},{top} {mid_x},{bottom}")
                continue
            if ch.strip() and w:
                text = ch.replace("\\", "\\\\").replace("'", "\\'")
                out.append(f"fill rgb{fg} text {x},{y + CELL_H - 4} '{text}'")
            if ul:
                out.append(f"fill rgb{fg} rectangle {x},{y + CELL_H - 2} {x + CELL_W - 1},{y + CELL_H - 1}")
    return "\n".join(out) + "\n"


def main():
    capture, png, columns, rows = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    with open(capture, encoding="utf-8") as f:
        screen = parse(f.read(), columns, rows)
    script = png + ".mvg"
    with open(script, "w", encoding="utf-8") as f:
        f.write(mvg(screen, columns, rows))
    convert = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"
    subprocess.run([convert, "mvg:" + script, png], check=True)
    os.remove(script)


if __name__ == "__main__":
    main()
