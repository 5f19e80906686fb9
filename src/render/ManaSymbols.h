#pragma once
// Mana symbols: each code character of a cost becomes a coloured circle with a glyph
// of the symbol font "ZizorUvaride" on it, in a row aligned left (0), right (2) or
// centred (6) in a rectangle. Symbols are sized from the caller's current font, so
// they match the text they stand in.
//
// Smoothing: on screen a symbol row or a small picture is drawn at twice the device
// resolution onto a copy of the background and shrunk back with the Lanczos filter,
// which gives soft edges on a low-resolution picture; while printing everything is
// drawn directly.
//
// All drawing expects the canvas in the metric mapping (0.1 mm, y upwards).
#include "render/Canvas.h"

#include <QColor>
#include <QImage>

#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* SymbolFontName = "ZizorUvaride";

struct TManaSymbol {
    std::string Glyph;    // glyph of the symbol font; empty for an unknown code
    bool Circle = true;   // false for "/": no circle is drawn
    QColor Fill;          // invalid when there is no circle
    QColor Outline;
};

// The symbol for one code character (Windows-1251): digits, W U B R G T X in either
// case and their Russian initials, "/"; anything else is an empty grey circle.
TManaSymbol GetManaSymbol(char code);

// The colour with the same hue and saturation in the HLS model (each component
// 0..240) and the lightness lowered by `delta` (not below 0): the outline colour of a
// symbol's fill.
QColor DarkerByLightness(QColor color, int delta);

// The symbols of a row of codes: one per character, but a run of digits is one
// generic mana symbol ("16" is sixteen, not one and six).
std::vector<std::string> SymbolCodes(std::string_view codes);
// How far apart the digits of a generic symbol of several digits stand, in circle
// widths; the oval of such a symbol is wider by this for each digit after the first.
inline constexpr double kDigitSpacing = 0.44;

// Draws, or only measures, the row of symbols for `codes`. Returns the signed
// horizontal extent (negative for right alignment, where the row grows leftwards from
// rect.Right) and the height of the symbol font's cell. The font of the canvas is the
// same afterwards; pen, brush and text background are left changed.
TSize DrawSymbols(TCanvas& canvas, const TRect& rect, std::string_view codes, int align, bool measureOnly);

// The same result, drawn through double-resolution smoothing when not printing. The
// whole area under rect is redrawn through the double-size copy.
TSize DrawSymbolsSmooth(TCanvas& canvas, const TRect& rect, std::string_view codes, int align,
                        bool measureOnly);

// Stretches a picture (blending its alpha channel, if any) into rect, through
// double-resolution smoothing when not printing.
void DrawPictureSmooth(TCanvas& canvas, const TRect& rect, const QImage& picture);

// A picture with every pixel of `transparent` made fully transparent (premultiplied
// alpha), ready for StretchDraw.
QImage WithTransparentColor(const QImage& picture, QColor transparent);
