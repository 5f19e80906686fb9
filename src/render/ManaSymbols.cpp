#include "render/ManaSymbols.h"

#include "Library/Common/ImageUtils.h"
#include "data/Settings.h"
#include "render/CardView.h"

#include <algorithm>
#include <cmath>
#include <vector>

// ---------------------------------------------------------------------------
// Colours. The outline of a symbol is its fill made darker in the HLS model with each
// component running 0..240, the model of the usual Windows colour utilities; the
// integer steps below reproduce that model's results (for example the pale yellow
// 255,255,176 gives the outline 255,255,71).

namespace {

constexpr double HlsMax = 240.0;
constexpr double RgbMax = 255.0;
constexpr int HueUndefined = 160; // HlsMax * 2 / 3

void RgbToHls(int r, int g, int b, int& hue, int& lum, int& sat)
{
    const double cMax = std::max({r, g, b});
    const double cMin = std::min({r, g, b});
    lum = int(std::trunc(((cMax + cMin) * HlsMax + RgbMax) / (2 * RgbMax)));
    if (cMax == cMin) {
        hue = HueUndefined;
        sat = 0;
        return;
    }
    double s;
    if (lum <= HlsMax / 2)
        s = ((cMax - cMin) * HlsMax + (cMax + cMin) / 2) / (cMax + cMin);
    else
        s = ((cMax - cMin) * HlsMax + (2 * RgbMax - cMax - cMin) / 2) / (2 * RgbMax - cMax - cMin);
    const double spread = cMax - cMin;
    const double rd = ((cMax - r) * (HlsMax / 6) + spread / 2) / spread;
    const double gd = ((cMax - g) * (HlsMax / 6) + spread / 2) / spread;
    const double bd = ((cMax - b) * (HlsMax / 6) + spread / 2) / spread;
    double h;
    if (r == cMax)
        h = bd - gd;
    else if (g == cMax)
        h = HlsMax / 3 + rd - bd;
    else
        h = 2 * HlsMax / 3 + gd - rd;
    if (h < 0)
        h += HlsMax;
    if (h > HlsMax)
        h -= HlsMax;
    hue = RoundSaturated(h);
    sat = int(std::trunc(s));
}

int HueToRgb(double n1, double n2, double hue)
{
    if (hue < 0)
        hue += HlsMax;
    if (hue > HlsMax)
        hue -= HlsMax;
    double v;
    if (hue < HlsMax / 6)
        v = n1 + ((n2 - n1) * hue + HlsMax / 12) / (HlsMax / 6);
    else if (hue < HlsMax / 2)
        v = n2;
    else if (hue < HlsMax * 2 / 3)
        v = n1 + ((n2 - n1) * (HlsMax * 2 / 3 - hue) + HlsMax / 12) / (HlsMax / 6);
    else
        v = n1;
    return RoundSaturated(v);
}

int ColorByte(double v)
{
    return v > 255 ? 255 : std::max(0, RoundSaturated(v));
}

QColor HlsToRgb(int hue, int lum, int sat)
{
    if (sat == 0) {
        const int v = ColorByte(lum * RgbMax / HlsMax);
        return QColor(v, v, v);
    }
    double m2;
    if (lum <= HlsMax / 2)
        m2 = (lum * (HlsMax + sat) + HlsMax / 2) / HlsMax;
    else
        m2 = lum + sat - (lum * sat + HlsMax / 2) / HlsMax;
    const double m1 = 2.0 * lum - m2;
    const double r = (HueToRgb(m1, m2, hue + HlsMax / 3) * RgbMax + HlsMax / 2) / HlsMax;
    const double g = (HueToRgb(m1, m2, hue) * RgbMax + HlsMax / 2) / HlsMax;
    const double b = (HueToRgb(m1, m2, hue - HlsMax / 3) * RgbMax + HlsMax / 2) / HlsMax;
    return QColor(ColorByte(r), ColorByte(g), ColorByte(b));
}

// Raise (metric mapping, y upwards) or lower (pixels) a y coordinate by d.
int32_t Up(const TCanvas& canvas, int32_t y, int32_t d)
{
    return canvas.MapMode() == TMapMode::Metric ? y + d : y - d;
}

} // namespace

QColor DarkerByLightness(QColor color, int delta)
{
    int h = 0, l = 0, s = 0;
    RgbToHls(color.red(), color.green(), color.blue(), h, l, s);
    return HlsToRgb(h, std::max(0, l - delta), s);
}

TManaSymbol GetManaSymbol(char code)
{
    const unsigned char c = static_cast<unsigned char>(code);
    TManaSymbol sym;
    QColor fill(208, 208, 208);
    switch (c) {
    case 'W': case 'w': case 0xC1: case 0xE1: // Б б
        sym.Glyph = "W";
        fill = QColor(255, 255, 176);
        break;
    case 'U': case 'u': case 0xD1: case 0xF1: // С с
        sym.Glyph = "U";
        fill = QColor(176, 240, 255);
        break;
    case 'B': case 'b': case 0xD7: case 0xF7: // Ч ч
        sym.Glyph = "B";
        break;
    case 'R': case 'r': case 0xCA: case 0xEA: // К к
        sym.Glyph = "R";
        fill = QColor(255, 176, 176);
        break;
    case 'G': case 'g': case 0xC7: case 0xE7: // З з
        sym.Glyph = "G";
        fill = QColor(176, 255, 176);
        break;
    case 'T': case 't': case 0xD2: case 0xF2: // Т т
        sym.Glyph = "T";
        break;
    case 'X': case 'x': case 0xD5: case 0xF5: // Х х
        sym.Glyph = "X";
        break;
    case '/':
        sym.Glyph = "/";
        sym.Circle = false;
        return sym;
    default:
        if (c >= '0' && c <= '9')
            sym.Glyph = std::string(1, char(c));
        break;
    }
    sym.Fill = fill;
    sym.Outline = DarkerByLightness(fill, 50);
    return sym;
}

// ---------------------------------------------------------------------------
// Symbol rows.

std::vector<std::string> SymbolCodes(std::string_view codes)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < codes.size(); ++i) {
        std::string code(1, codes[i]);
        if (codes[i] >= '0' && codes[i] <= '9')
            while (i + 1 < codes.size() && codes[i + 1] >= '0' && codes[i + 1] <= '9')
                code += codes[++i];
        out.push_back(std::move(code));
    }
    return out;
}

TSize DrawSymbols(TCanvas& canvas, const TRect& rect, std::string_view codes, int align, bool measureOnly)
{
    const TCanvasFont saved = canvas.Font;
    const int32_t h = saved.Height;

    canvas.Font.Name = SymbolFontName;
    const int32_t h0 = canvas.TextHeight("O");
    canvas.Font.Height = std::max(1, RoundSaturated(1.2 * h));
    canvas.Font.Style = 0;
    const TSize o = canvas.TextExtent("O");
    const int32_t cx2 = o.cx;
    const int32_t cy2 = o.cy;
    const int32_t gap = RoundSaturated(1.05 * cx2) - cx2;
    // A number of several digits is one generic symbol: its digits side by side in an
    // oval as much wider than the circle as the digits need.
    const int32_t digitStep = RoundSaturated(kDigitSpacing * cx2);
    const std::vector<std::string> symbols = SymbolCodes(codes);
    auto widthOf = [&](const std::string& code) { return cx2 + int32_t(code.size() - 1) * digitStep; };
    int32_t total = 0;
    for (const std::string& code : symbols)
        total += widthOf(code) + gap;
    const int32_t n = int32_t(symbols.size());

    const bool leftwards = align == 2;
    int32_t x;
    if (align == 2)
        x = rect.Right;
    else if (align == 6)
        x = (rect.Left + rect.Right - total) / 2;
    else
        x = rect.Left;
    const int32_t start = x;
    const int32_t y = Up(canvas, rect.Top, (cy2 - h0) / 2);

    const bool greyPrint = IsPrinting && PrintGrayscale;
    for (int32_t k = 0; k < n; ++k) {
        const std::string& code = symbols[size_t(leftwards ? n - 1 - k : k)];
        const TManaSymbol sym = GetManaSymbol(code[0]);
        const int32_t w = widthOf(code);
        if (leftwards)
            x -= w + gap;
        if (!measureOnly) {
            if (sym.Circle) {
                const int32_t top = Up(canvas, y, -((cy2 - cx2) / 2));
                TRect square{x, top, x + w, Up(canvas, top, -cx2)};
                if (greyPrint) {
                    square.Left -= 1;
                    square.Right += 1;
                    square.Top = Up(canvas, square.Top, 1);
                    square.Bottom = Up(canvas, square.Bottom, -1);
                    canvas.PenColor = Qt::black;
                    canvas.BrushColor = Qt::white;
                } else {
                    canvas.PenColor = sym.Outline;
                    canvas.BrushColor = sym.Fill;
                }
                canvas.BrushClear = false;
                canvas.PenWidth = 1;
                canvas.Ellipse(square);
                canvas.Font.Color = Qt::black;
                if (code.size() == 1) {
                    canvas.TextOut(x, y, sym.Glyph);
                } else {
                    // Each digit's glyph is centred in a circle's width: the digits are
                    // spread around the oval's middle.
                    for (size_t d = 0; d < code.size(); ++d)
                        canvas.TextOut(x + RoundSaturated(double(d) * digitStep), y, std::string(1, code[d]));
                }
            } else {
                canvas.Font.Color = Qt::black;
                canvas.TextOut(x + cx2 / 3, y, "/");
            }
        }
        if (!leftwards)
            x += w + gap;
    }
    canvas.Font = saved;
    return TSize{x - start, cy2};
}

namespace {

TRect Intersect(const TRect& a, const TRect& b)
{
    return TRect{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                 std::min(a.Bottom, b.Bottom)};
}

// Smoothing on screen. What `draw` paints is drawn at twice the device resolution,
// into the double-size rectangle it is given (the mapping and the font height of the
// canvas, doubled), and shrunk with the Lanczos filter. The drawing goes onto a
// transparent layer, and colour and coverage are shrunk separately and laid over the
// canvas's own pixels: the background under rect stays exactly as it was wherever
// nothing was drawn, so no seam shows around the area on a textured frame.
//
// `area` (device pixels, inside rect's) bounds where `draw` paints; only that part is
// worked on. Returns false when there is nothing to work on.
template <typename Fn>
bool DrawSmoothed(TCanvas& canvas, const TRect& rect, const TRect& area, Fn&& draw)
{
    const TRect d = canvas.DeviceRect(rect);
    const TRect a = Intersect(d, area);
    const int w = a.Right - a.Left;
    const int h = a.Bottom - a.Top;
    if (d.Right <= d.Left || d.Bottom <= d.Top || w <= 0 || h <= 0)
        return false;

    QImage layer(2 * w, 2 * h, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        TCanvas bc(layer, canvas.DpiX(), canvas.DpiY());
        bc.SetMapMode(canvas.MapMode());
        // The layer shows the part `a` of the whole doubled rectangle.
        const TPoint origin{-2 * (a.Left - d.Left), -2 * (a.Top - d.Top)};
        bc.SetDeviceOrigin(origin);
        bc.Font = canvas.Font;
        bc.Font.Height = RoundSaturated(2.0 * canvas.Font.Height);
        const TRect bigRect = bc.DPtoLP(TRect{origin.x, origin.y, origin.x + 2 * (d.Right - d.Left),
                                              origin.y + 2 * (d.Bottom - d.Top)});
        draw(bc, bigRect);
    }

    QImage colour(2 * w, 2 * h, kBitmap24Format);
    QImage cover(2 * w, 2 * h, kBitmap24Format);
    for (int y = 0; y < 2 * h; ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        uchar* c = colour.scanLine(y);
        uchar* k = cover.scanLine(y);
        for (int x = 0; x < 2 * w; ++x, c += 3, k += 3) {
            const QRgb p = src[x];
            c[0] = uchar(qRed(p));
            c[1] = uchar(qGreen(p));
            c[2] = uchar(qBlue(p));
            k[0] = k[1] = k[2] = uchar(qAlpha(p));
        }
    }
    QImage smallColour(w, h, kBitmap24Format);
    QImage smallCover(w, h, kBitmap24Format);
    ResampleBitmap(colour, smallColour, rfLanczos3);
    ResampleBitmap(cover, smallCover, rfLanczos3);

    QImage result = canvas.CopyDeviceArea(a);
    for (int y = 0; y < h; ++y) {
        uchar* r = result.scanLine(y);
        const uchar* c = smallColour.constScanLine(y);
        const uchar* k = smallCover.constScanLine(y);
        for (int i = 0; i < 3 * w; ++i) {
            const int alpha = k[i - i % 3];
            r[i] = ClampToByte((r[i] * (255 - alpha) + 127) / 255 + c[i]);
        }
    }
    const TRect back = canvas.DPtoLP(a);
    canvas.StretchDraw(back, result, false);
    return true;
}

} // namespace

TSize DrawSymbolsSmooth(TCanvas& canvas, const TRect& rect, std::string_view codes, int align,
                        bool measureOnly)
{
    if (measureOnly || IsPrinting || !canvas.Image())
        return DrawSymbols(canvas, rect, codes, align, measureOnly);
    const TSize m = DrawSymbols(canvas, rect, codes, align, true);
    if (m.cx == 0 || m.cy == 0)
        return m;
    // Where the row lies: its measured extent, with room for the glyphs' edges, from
    // above the row's top to well below its cell.
    int32_t left;
    if (align == 2)
        left = rect.Right + m.cx;
    else if (align == 6)
        left = (rect.Left + rect.Right - m.cx) / 2;
    else
        left = rect.Left;
    const int32_t right = left + std::abs(m.cx);
    const int32_t up = canvas.MapMode() == TMapMode::Metric ? 1 : -1;
    const TRect row{left - m.cy / 2, rect.Top + up * m.cy, right + m.cy / 2, rect.Top - up * 2 * m.cy};

    TSize big = m;
    const bool drawn = DrawSmoothed(canvas, rect, canvas.DeviceRect(row), [&](TCanvas& bc, const TRect& bigRect) {
        big = DrawSymbols(bc, bigRect, codes, align, false);
    });
    if (!drawn)
        return m;
    return TSize{RoundSaturated(big.cx / 2.0), RoundSaturated(big.cy / 2.0)};
}

void DrawPictureSmooth(TCanvas& canvas, const TRect& rect, const QImage& picture)
{
    if (IsPrinting || !canvas.Image()) {
        canvas.StretchDraw(rect, picture, true);
        return;
    }
    DrawSmoothed(canvas, rect, canvas.DeviceRect(rect),
                 [&](TCanvas& bc, const TRect& bigRect) { bc.StretchDraw(bigRect, picture, true); });
}

QImage WithTransparentColor(const QImage& picture, QColor transparent)
{
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb() & 0xFFFFFF;
    for (int y = 0; y < out.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((row[x] & 0xFFFFFF) == key)
                row[x] = 0;
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
