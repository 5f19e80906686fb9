#include "render/ManaSymbols.h"

#include "Library/Common/ImageUtils.h"
#include "data/Settings.h"
#include "render/CardView.h"

#include <algorithm>
#include <cmath>

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
    const int32_t step = RoundSaturated(1.05 * cx2);
    const int32_t n = int32_t(codes.size());

    const bool leftwards = align == 2;
    int32_t x;
    if (align == 2)
        x = rect.Right;
    else if (align == 6)
        x = (rect.Left + rect.Right - n * step) / 2;
    else
        x = rect.Left;
    const int32_t start = x;
    const int32_t y = Up(canvas, rect.Top, (cy2 - h0) / 2);

    const bool greyPrint = IsPrinting && PrintGrayscale;
    for (int32_t k = 0; k < n; ++k) {
        const char code = codes[size_t(leftwards ? n - 1 - k : k)];
        const TManaSymbol sym = GetManaSymbol(code);
        if (leftwards)
            x -= step;
        if (!measureOnly) {
            if (sym.Circle) {
                const int32_t top = Up(canvas, y, -((cy2 - cx2) / 2));
                TRect square{x, top, x + cx2, Up(canvas, top, -cx2)};
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
                if (sym.Glyph == "T") {
                    canvas.Font.Color = Qt::white;
                    canvas.TextOut(x, y, "C");
                }
                canvas.Font.Color = Qt::black;
                canvas.TextOut(x, y, sym.Glyph);
            } else {
                canvas.Font.Color = Qt::black;
                canvas.TextOut(x + cx2 / 3, y, "/");
            }
        }
        if (!leftwards)
            x += step;
    }
    canvas.Font = saved;
    return TSize{x - start, cy2};
}

namespace {

// The double-size work pictures of the smoothing: `big` holds the background under
// rect at twice the device size, drawn on through `draw`, then shrunk into rect.
template <typename Fn>
void DrawSmoothed(TCanvas& canvas, const TRect& rect, Fn&& draw)
{
    const TRect d = canvas.DeviceRect(rect);
    const int w = d.Right - d.Left;
    const int h = d.Bottom - d.Top;
    if (w <= 0 || h <= 0)
        return;
    QImage small(w, h, kBitmap24Format);
    QImage big(2 * w, 2 * h, kBitmap24Format);
    {
        const QImage background = canvas.CopyDeviceArea(d);
        TCanvas bc(big, canvas.DpiX(), canvas.DpiY());
        bc.Painter().drawImage(QRect(0, 0, 2 * w, 2 * h), background);
        bc.SetMapMode(canvas.MapMode());
        bc.Font = canvas.Font;
        bc.Font.Height = RoundSaturated(2.0 * canvas.Font.Height);
        bc.Recorder = nullptr;
        draw(bc, bc.DPtoLP(TRect{0, 0, 2 * w, 2 * h}));
    }
    ResampleBitmap(big, small, rfLanczos3);
    canvas.StretchDraw(rect, small, false);
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
    TSize big = m;
    bool drawn = false;
    DrawSmoothed(canvas, rect, [&](TCanvas& bc, const TRect& bigRect) {
        big = DrawSymbols(bc, bigRect, codes, align, false);
        drawn = true;
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
    DrawSmoothed(canvas, rect, [&](TCanvas& bc, const TRect& bigRect) { bc.StretchDraw(bigRect, picture, true); });
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
