#!/usr/bin/env python3
"""Builds the symbol font ZizorUvaride.ttf from the glyph sources in glyphs.py.

Run by hand after changing a glyph (needs fontTools and pyclipper, Debian packages
python3-fonttools and python3-pyclipper):
    python3 assets/font/build_font.py [OUTPUT.ttf]
The output defaults to ZizorUvaride.ttf beside this script; commit it with the sources.
The build of the program only copies the committed file.
"""

import os
import sys

import pyclipper
from fontTools.fontBuilder import FontBuilder
from fontTools.misc.timeTools import timestampFromString
from fontTools.pens.ttGlyphPen import TTGlyphPen

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import glyphs  # noqa: E402

FAMILY = "ZizorUvaride"
VERSION = "1.000"
# Fixed dates keep the file identical from one run to the next.
BUILD_DATE = "Mon Jan  6 12:00:00 2025"


PRECISION = 64  # sub-unit steps used while joining the contours


def merge_contours(contours):
    """The region the contours cover under the non-zero winding rule, as contours that
    neither overlap nor cross: outer contours clockwise, holes counter-clockwise.
    Rasterisers differ in how they fill overlapping contours; merged ones look the same
    everywhere."""
    if not contours:
        return []
    clipper = pyclipper.Pyclipper()
    for c in contours:
        clipper.AddPath([(int(round(x * PRECISION)), int(round(y * PRECISION))) for x, y in c],
                        pyclipper.PT_SUBJECT, True)
    merged = clipper.Execute(pyclipper.CT_UNION, pyclipper.PFT_NONZERO, pyclipper.PFT_NONZERO)
    # Clipper returns outer contours counter-clockwise and holes clockwise (y up):
    # TrueType wants the opposite.
    return [[(x / PRECISION, y / PRECISION) for x, y in reversed(c)] for c in merged]


def draw_glyph(contours):
    pen = TTGlyphPen(None)
    for contour in merge_contours(contours):
        points = []
        for x, y in contour:
            p = (int(round(x)), int(round(y)))
            if not points or p != points[-1]:
                points.append(p)
        while len(points) > 1 and points[0] == points[-1]:
            points.pop()
        if len(points) < 3:
            continue
        pen.moveTo(points[0])
        for p in points[1:]:
            pen.lineTo(p)
        pen.closePath()
    return pen.glyph()


def build(out_path):
    table = glyphs.glyph_table()
    order = [".notdef"] + [table[ch][0] for ch in sorted(table)]
    cmap = {ord(ch): name for ch, (name, _, _) in table.items()}

    glyf = {".notdef": draw_glyph([
        glyphs.outer([(100, -100), (700, -100), (700, 700), (100, 700)]),
        glyphs.hole([(160, -40), (640, -40), (640, 640), (160, 640)]),
    ])}
    advances = {".notdef": glyphs.ADVANCE}
    for ch, (name, advance, contours) in table.items():
        glyf[name] = draw_glyph(contours)
        advances[name] = advance

    fb = FontBuilder(glyphs.UNITS_PER_EM, isTTF=True)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(glyf)
    glyf_table = fb.font["glyf"]
    metrics = {}
    for name in order:
        g = glyf_table[name]
        metrics[name] = (advances[name], getattr(g, "xMin", 0))
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=glyphs.ASCENT, descent=-glyphs.DESCENT, lineGap=0)
    fb.setupNameTable({
        "copyright": "Copyright (c) 2025 the Tomelark developers",
        "familyName": FAMILY,
        "styleName": "Regular",
        "uniqueFontIdentifier": "%s-Regular %s" % (FAMILY, VERSION),
        "fullName": FAMILY,
        "version": "Version " + VERSION,
        "psName": FAMILY,
        "description": "Mana symbols of the Tomelark card renderer",
    })
    fb.setupOS2(
        sTypoAscender=glyphs.ASCENT, sTypoDescender=-glyphs.DESCENT, sTypoLineGap=0,
        usWinAscent=glyphs.ASCENT, usWinDescent=glyphs.DESCENT,
        sxHeight=500, sCapHeight=glyphs.CAP_HEIGHT,
        usWeightClass=400, fsType=0, fsSelection=0x40,  # REGULAR
        achVendID="TMLK", ulCodePageRange1=(1 << 0) | (1 << 2),  # Latin 1, Cyrillic
    )
    fb.setupPost()
    stamp = timestampFromString(BUILD_DATE)
    fb.updateHead(created=stamp, modified=stamp, fontRevision=float(VERSION))
    fb.font["head"].flags |= 0x0008  # integer scaling of the outlines
    fb.save(out_path)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, FAMILY + ".ttf")
    build(out)
    print("wrote", out)
