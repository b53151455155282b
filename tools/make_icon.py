#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the application icon: app/icons/velmora-edit.svg, and from it the PNGs at 48, 128 and
256 pixels that desktops without SVG support use.

The icon is a sheet of a rules file on an ember-coloured tile: a section header in brackets and
key lines, one of them red as the editor shows a changed value. It is drawn here from simple
shapes so that anyone can change and redraw it.

Usage: make_icon.py [output folder]   (default: app/icons)
Needs rsvg-convert (Debian package librsvg2-bin) for the PNGs.
"""

import os
import subprocess
import sys

SIZES = (48, 128, 256)


def svg():
    # A 256 x 256 canvas; the sheet leaves a margin so the tile's shadow and corners show.
    lines = []
    # Key lines: (x, y, width, colour). The third one is a changed value, in red.
    keys = [
        (84, 124, 92, "#3b3b3b"),
        (84, 148, 72, "#3b3b3b"),
        (84, 172, 100, "#d21f1f"),
        (84, 196, 60, "#3b3b3b"),
    ]
    for x, y, width, colour in keys:
        lines.append(f'  <rect x="{x}" y="{y}" width="24" height="10" rx="3" fill="#8a8a8a"/>')
        lines.append(f'  <rect x="{x + 32}" y="{y}" width="{width - 32}" height="10" rx="3" fill="{colour}"/>')
    body = "\n".join(lines)
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <defs>
    <linearGradient id="tile" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#e0682c"/>
      <stop offset="1" stop-color="#8f2a12"/>
    </linearGradient>
  </defs>
  <rect x="12" y="16" width="232" height="232" rx="40" fill="#000000" fill-opacity="0.25"/>
  <rect x="12" y="8" width="232" height="232" rx="40" fill="url(#tile)"/>
  <path d="M 60 40 H 166 L 200 74 V 220 H 60 Z" fill="#fbf7ef"/>
  <path d="M 166 40 V 74 H 200 Z" fill="#d9cfbd"/>
  <path d="M 84 74 h 10 M 84 74 v 28 M 84 102 h 10" stroke="#8f2a12" stroke-width="7"
        stroke-linecap="round" fill="none"/>
  <rect x="100" y="82" width="44" height="12" rx="3" fill="#8f2a12"/>
  <path d="M 160 74 h -10 M 160 74 v 28 M 160 102 h -10" stroke="#8f2a12" stroke-width="7"
        stroke-linecap="round" fill="none"/>
{body}
</svg>
"""


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "app", "icons")
    os.makedirs(out, exist_ok=True)
    svg_path = os.path.join(out, "velmora-edit.svg")
    with open(svg_path, "w", encoding="utf-8", newline="\n") as f:
        f.write(svg())
    for size in SIZES:
        png = os.path.join(out, f"velmora-edit-{size}.png")
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", png, svg_path], check=True)
    print(f"wrote {svg_path} and {len(SIZES)} PNGs")


if __name__ == "__main__":
    main()
