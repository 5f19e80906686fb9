"""Glyph sources of the symbol font ZizorUvaride.

Every glyph is described here as closed outline contours (lists of points in font
units, y growing upwards). Shapes are built from a few primitives: circles and
ellipses, arcs, cubic curves and thick strokes along a centre line. Contours of one
glyph may overlap: the font is filled with the non-zero winding rule, so overlapping
outer contours join, and a hole is a contour running the other way that lies inside
exactly one outer contour.

Geometry shared by all symbol glyphs (see README.md):
  units per em 1000; every symbol glyph advances 800 units, and "O", the size
  reference, is the full circle of 800 units centred at (400, 300). The character cell
  is CELL_HEIGHT units high and centred on that circle (ascent and descent follow from
  it), because the renderer centres the circle vertically in the cell. The renderer
  paints a coloured circle of exactly that size under each glyph, so the symbol shapes
  stay inside a radius of about 300 around (400, 300).
"""

import math

UNITS_PER_EM = 1000
ADVANCE = 800          # width of every symbol glyph, and the circle's diameter
CX, CY = 400, 300      # centre of the circle
SLASH_ADVANCE = 270    # "/" is drawn a third of a symbol to the right, without a circle

# Height of the character cell (ascent + descent). The renderer places a symbol so
# that the middle of its cell lies half of this height below the top of the text line
# (at the text's size), so this height sets where symbols sit on a line: 1300 puts the
# circle's centre 0.65 em below the line's top, the middle of the capitals of the card
# text font (PT Serif standing in for Georgia: ascent 1.018 em, capitals 0.70 em high)
# and the middle of the title band of the card face. The cell is centred on the circle.
CELL_HEIGHT = 1300
ASCENT = CY + CELL_HEIGHT // 2    # 950
DESCENT = CELL_HEIGHT // 2 - CY   # 350
CAP_HEIGHT = CY + ADVANCE // 2    # top of the circle

ARC_STEP_DEG = 4.0     # sampling of curves: fine enough to look smooth at any size


# ---------------------------------------------------------------------------
# Primitives.

def signed_area(contour):
    area = 0.0
    n = len(contour)
    for i in range(n):
        x0, y0 = contour[i]
        x1, y1 = contour[(i + 1) % n]
        area += x0 * y1 - x1 * y0
    return area / 2.0


def outer(contour):
    """An outer (filled) contour: clockwise in y-up units, as TrueType expects."""
    return contour if signed_area(contour) < 0 else list(reversed(contour))


def hole(contour):
    """A hole: counter-clockwise, so it cancels the contour around it."""
    return contour if signed_area(contour) > 0 else list(reversed(contour))


def arc(cx, cy, rx, ry, a0, a1, rotate=0.0):
    """Points of an elliptic arc from angle a0 to a1 (degrees, either direction)."""
    steps = max(2, int(math.ceil(abs(a1 - a0) / ARC_STEP_DEG)))
    rot = math.radians(rotate)
    pts = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        x, y = rx * math.cos(a), ry * math.sin(a)
        pts.append((cx + x * math.cos(rot) - y * math.sin(rot),
                    cy + x * math.sin(rot) + y * math.cos(rot)))
    return pts


def ellipse(cx, cy, rx, ry, rotate=0.0):
    return arc(cx, cy, rx, ry, 0, 360, rotate)[:-1]


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)


def polar(cx, cy, r, deg):
    a = math.radians(deg)
    return (cx + r * math.cos(a), cy + r * math.sin(a))


def cubic(p0, p1, p2, p3, steps=16):
    """Points of a cubic Bezier curve, p0 included."""
    pts = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        pts.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return pts


def path(*pieces):
    """Joins point lists and single points into one line, dropping repeated joints."""
    pts = []
    for piece in pieces:
        items = [piece] if isinstance(piece[0], (int, float)) else piece
        for p in items:
            if not pts or math.dist(pts[-1], p) > 1e-6:
                pts.append(tuple(p))
    return pts


def _normal(p, q):
    dx, dy = q[0] - p[0], q[1] - p[1]
    d = math.hypot(dx, dy)
    return (-dy / d, dx / d)


def _offset_points(pts, half, closed):
    """Left and right offsets of a smooth centre line (mitred at the joints)."""
    n = len(pts)
    left, right = [], []
    for i in range(n):
        if closed:
            prev, nxt = pts[i - 1], pts[(i + 1) % n]
        else:
            prev = pts[i - 1] if i > 0 else None
            nxt = pts[i + 1] if i < n - 1 else None
        normals = []
        if prev is not None:
            normals.append(_normal(prev, pts[i]))
        if nxt is not None:
            normals.append(_normal(pts[i], nxt))
        mx = sum(v[0] for v in normals)
        my = sum(v[1] for v in normals)
        m = math.hypot(mx, my)
        mx, my = mx / m, my / m
        cos_half = mx * normals[0][0] + my * normals[0][1]
        length = half / max(cos_half, 0.5)
        x, y = pts[i]
        left.append((x + mx * length, y + my * length))
        right.append((x - mx * length, y - my * length))
    return left, right


def stroke(pts, width, cap="round"):
    """The outline of a thick open line along pts: one outer contour.

    The centre line must be smooth (no sharp corners); build sharp corners from two
    strokes that meet, their round caps fill the joint."""
    half = width / 2.0
    left, right = _offset_points(pts, half, closed=False)
    contour = list(left)
    if cap == "round":
        a_end = math.degrees(math.atan2(left[-1][1] - pts[-1][1], left[-1][0] - pts[-1][0]))
        contour += arc(pts[-1][0], pts[-1][1], half, half, a_end, a_end - 180)[1:-1]
    contour += list(reversed(right))
    if cap == "round":
        a_start = math.degrees(math.atan2(right[0][1] - pts[0][1], right[0][0] - pts[0][0]))
        contour += arc(pts[0][0], pts[0][1], half, half, a_start, a_start - 180)[1:-1]
    return [outer(contour)]


def ring(pts, width):
    """The outline of a thick closed line along pts: an outer contour and its hole."""
    left, right = _offset_points(pts, width / 2.0, closed=True)
    a, b = (left, right) if abs(signed_area(left)) > abs(signed_area(right)) else (right, left)
    return [outer(a), hole(b)]


def transform(contours, scale=1.0, dx=0.0, dy=0.0, cx=CX, cy=CY):
    return [[(cx + (x - cx) * scale + dx, cy + (y - cy) * scale + dy) for x, y in c] for c in contours]


# ---------------------------------------------------------------------------
# Digits: bold rounded numerals of one stroke width, 500 units high (y 50..550).

STROKE = 112
TOP, BOTTOM = 550 - STROKE / 2, 50 + STROKE / 2   # the centre lines' extent


def digit_0():
    return ring(ellipse(CX, CY, 112, (TOP - BOTTOM) / 2), STROKE)


def digit_1():
    return (stroke(path((CX + 20, TOP), (CX + 20, BOTTOM)), STROKE)
            + stroke(path((CX - 85, TOP - 80), (CX + 20, TOP)), STROKE))


def digit_2():
    bowl = arc(CX, TOP - 100, 105, 100, 165, -38)
    return (stroke(path(bowl, (CX - 112, BOTTOM)), STROKE)
            + stroke(path((CX - 112, BOTTOM), (CX + 120, BOTTOM)), STROKE))


def digit_3():
    upper = arc(CX - 5, TOP - 95, 100, 95, 155, -90)
    lower = arc(CX, BOTTOM + 100, 112, 100, 90, -155)
    return (stroke(path(upper, (CX - 40, TOP - 190)), STROKE)
            + stroke(path((CX - 40, BOTTOM + 200), lower), STROKE))


def digit_4():
    stem_x = CX + 55
    bar_y = BOTTOM + 105
    return (stroke(path((stem_x, TOP), (stem_x, BOTTOM)), STROKE)
            + stroke(path((stem_x, TOP), (CX - 125, bar_y)), STROKE)
            + stroke(path((CX - 125, bar_y), (CX + 135, bar_y)), STROKE))


def digit_5():
    left = CX - 95
    bowl = arc(CX + 5, BOTTOM + 110, 115, 110, 140, -150)
    return (stroke(path((CX + 110, TOP), (left, TOP)), STROKE)
            + stroke(path((left, TOP), (left - 8, BOTTOM + 195)), STROKE)
            + stroke(path((left - 8, BOTTOM + 195), bowl), STROKE))


def digit_6():
    bowl = ellipse(CX, BOTTOM + 105, 108, 105)
    swing = arc(CX + 160, BOTTOM + 105, 268, 330, 180, 112)
    return ring(bowl, STROKE) + stroke(swing, STROKE)


def digit_7():
    return (stroke(path((CX - 115, TOP), (CX + 115, TOP)), STROKE)
            + stroke(cubic((CX + 115, TOP), (CX + 40, TOP - 150), (CX - 40, BOTTOM + 150),
                           (CX - 45, BOTTOM)), STROKE))


def digit_8():
    return (ring(ellipse(CX, TOP - 92, 92, 92), STROKE)
            + ring(ellipse(CX, BOTTOM + 105, 110, 105), STROKE))


def digit_9():
    # The 6 turned half a turn about the centre of the circle.
    return [[(2 * CX - x, 2 * CY - y) for x, y in c] for c in digit_6()]


# ---------------------------------------------------------------------------
# Mana symbols.

def glyph_x():
    d = 140
    return (stroke(path((CX - d, CY - 190), (CX + d, CY + 190)), STROKE + 8)
            + stroke(path((CX - d, CY + 190), (CX + d, CY - 190)), STROKE + 8))


def glyph_slash():
    return stroke(path((45, 60), (215, 540)), 88)


def glyph_circle():
    return [outer(circle(CX, CY, ADVANCE / 2))]


def glyph_sun():
    """W: a sun, a round disc with long and short rays."""
    contours = [outer(circle(CX, CY, 122))]
    for i in range(12):
        a = 90 + i * 30
        long_ray = i % 2 == 0
        tip = 300 if long_ray else 232
        half_width = 11 if long_ray else 10
        contours.append(outer([polar(CX, CY, 100, a - half_width), polar(CX, CY, tip, a),
                               polar(CX, CY, 100, a + half_width)]))
    return contours


def glyph_drop():
    """U: a water drop with a highlight."""
    cx, cy, r = CX, 205, 165
    apex = (CX, 575)
    d = apex[1] - cy
    # The lines from the apex touch the circle at 90 -/+ t degrees seen from its centre.
    t = math.degrees(math.acos(r / d))
    a_right, a_left = 90 - t, 90 + t
    # Sides bow outwards a little for a fuller drop.
    pr = polar(cx, cy, r, a_right)
    pl = polar(cx, cy, r, a_left)
    right_side = cubic(apex, (apex[0] + 40, apex[1] - 90), (pr[0] + 35, pr[1] + 75), pr, 12)
    left_side = cubic(pl, (pl[0] - 35, pl[1] + 75), (apex[0] - 40, apex[1] - 90), apex, 12)
    body = path(right_side, arc(cx, cy, r, r, a_right, a_left - 360), left_side)
    shine = stroke(arc(cx, cy, 108, 108, 250, 185), 42)
    return [outer(body[:-1])] + [hole(c) for c in shine]


def glyph_skull():
    """B: a skull with eye sockets, nose and teeth."""
    cx, cy, r = CX, 350, 190
    jaw_l, jaw_r, jaw_b = CX - 98, CX + 98, 70
    dx = CX - jaw_l
    # The cranium's circle meets the jaw's sides at these angles.
    a_right = math.degrees(math.atan2(-math.sqrt(r * r - dx * dx), dx))
    a_left = 180 - a_right
    corner = 34
    body = path(arc(cx, cy, r, r, a_right, a_left),
                (jaw_l, jaw_b + corner),
                arc(jaw_l + corner, jaw_b + corner, corner, corner, 180, 270),
                arc(jaw_r - corner, jaw_b + corner, corner, corner, 270, 360))
    contours = [outer(body)]
    contours.append(hole(ellipse(CX - 78, 338, 56, 64, rotate=-12)))
    contours.append(hole(ellipse(CX + 78, 338, 56, 64, rotate=12)))
    contours.append(hole([(CX, 268), (CX - 27, 205), (CX + 27, 205)]))
    for x in (CX - 50, CX, CX + 50):
        contours.append(hole([(x - 10, 92), (x + 10, 92), (x + 10, 158), (x - 10, 158)]))
    return contours


def glyph_flame():
    """R: a flame of three tongues with a hollow core."""
    b = (CX, 40)
    pts = path(
        cubic(b, (CX - 120, 40), (CX - 195, 110), (CX - 195, 220)),
        cubic((CX - 195, 220), (CX - 195, 300), (CX - 165, 350), (CX - 120, 410)),
        cubic((CX - 120, 410), (CX - 110, 350), (CX - 85, 315), (CX - 55, 300)),
        cubic((CX - 55, 300), (CX - 70, 400), (CX - 20, 490), (CX + 45, 575)),
        cubic((CX + 45, 575), (CX + 40, 500), (CX + 70, 440), (CX + 105, 390)),
        cubic((CX + 105, 390), (CX + 125, 365), (CX + 135, 345), (CX + 140, 320)),
        cubic((CX + 140, 320), (CX + 170, 345), (CX + 185, 385), (CX + 180, 430)),
        cubic((CX + 180, 430), (CX + 205, 380), (CX + 195, 300), (CX + 195, 230)),
        cubic((CX + 195, 230), (CX + 195, 110), (CX + 120, 40), b),
    )
    core = path(
        cubic((CX, 95), (CX - 70, 95), (CX - 105, 140), (CX - 105, 200)),
        cubic((CX - 105, 200), (CX - 105, 255), (CX - 50, 300), (CX + 5, 345)),
        cubic((CX + 5, 345), (CX + 10, 300), (CX + 105, 260), (CX + 105, 195)),
        cubic((CX + 105, 195), (CX + 105, 140), (CX + 70, 95), (CX, 95)),
    )
    return [outer(pts[:-1]), hole(core[:-1])]


def glyph_tree():
    """G: a broad-leaved tree, a round crown on a trunk with roots."""
    contours = [outer(c) for c in (
        circle(CX, 420, 125),
        circle(CX - 120, 350, 105),
        circle(CX + 120, 350, 105),
        circle(CX - 65, 290, 100),
        circle(CX + 65, 290, 100),
    )]
    trunk = path((CX - 30, 240), (CX - 34, 120),
                 cubic((CX - 34, 120), (CX - 40, 80), (CX - 70, 60), (CX - 100, 52)),
                 (CX + 100, 52),
                 cubic((CX + 100, 52), (CX + 70, 60), (CX + 40, 80), (CX + 34, 120)),
                 (CX + 30, 240))
    contours.append(outer(trunk))
    # A branch reaching into the crown on each side.
    contours += stroke(path((CX - 10, 200), (CX - 95, 290)), 30)
    contours += stroke(path((CX + 10, 215), (CX + 90, 300)), 30)
    return contours


# The tap arrow: a thick arc turning clockwise with an arrowhead at its end.
TAP_CENTRE = (CX, 292)


def tap_arrow():
    """The arrow's outline."""
    cx, cy = TAP_CENTRE
    r_in, r_out = 96, 222
    r_mid = (r_in + r_out) / 2
    a_tail, a_neck, a_tip = 215, 2, -62
    return path(
        arc(cx, cy, r_out, r_out, a_tail, a_neck),
        polar(cx, cy, r_out + 64, a_neck),
        polar(cx, cy, r_mid, a_tip),
        polar(cx, cy, r_in - 64, a_neck),
        arc(cx, cy, r_in, r_in, a_neck, a_tail),
    )


def inset(contour, distance):
    """The contour moved inwards by `distance` on every side (mitred corners)."""
    import pyclipper
    scale = 64
    offset = pyclipper.PyclipperOffset(miter_limit=4)
    offset.AddPath([(int(round(x * scale)), int(round(y * scale))) for x, y in contour],
                   pyclipper.JT_MITER, pyclipper.ET_CLOSEDPOLYGON)
    result = offset.Execute(-distance * scale)
    return [[(x / scale, y / scale) for x, y in c] for c in result]


TAP_RIM = 38    # the black rim of "T"
TAP_BACKING = 16  # "C" reaches this far under the rim, so no white shows beyond it


def glyph_tap():
    """T: the tap arrow, solid black as the printed cards show it, so that it still
    reads as an arrow in a circle of a dozen pixels."""
    return [outer(tap_arrow())]


def glyph_tap_backing():
    """C: the white shape drawn under "T", filling the arrow's inside."""
    return [outer(c) for c in inset(tap_arrow(), TAP_BACKING)]


# ---------------------------------------------------------------------------
# The character set: character -> (glyph name, advance, contours).

def glyph_table():
    table = {}
    digits = [digit_0, digit_1, digit_2, digit_3, digit_4, digit_5, digit_6, digit_7, digit_8, digit_9]
    for i, fn in enumerate(digits):
        table[str(i)] = ("digit%d" % i, ADVANCE, fn())
    table["W"] = ("white", ADVANCE, glyph_sun())
    table["U"] = ("blue", ADVANCE, glyph_drop())
    table["B"] = ("black", ADVANCE, glyph_skull())
    table["R"] = ("red", ADVANCE, glyph_flame())
    table["G"] = ("green", ADVANCE, glyph_tree())
    table["T"] = ("tap", ADVANCE, glyph_tap())
    table["C"] = ("tapbacking", ADVANCE, glyph_tap_backing())
    table["X"] = ("variable", ADVANCE, glyph_x())
    table["/"] = ("slash", SLASH_ADVANCE, glyph_slash())
    table["O"] = ("circle", ADVANCE, glyph_circle())
    table[" "] = ("space", ADVANCE // 4, [])
    return table
