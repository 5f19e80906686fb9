#pragma once
// The drawing canvas of the card renderer: a thin layer over QPainter that knows its
// mapping between logical and device units, the way a GDI device context does.
//
// Two mappings:
//   - Pixels: one logical unit is one device pixel, y grows downwards (screen and
//     page bitmaps are handed to the renderer in this mapping).
//   - Metric: one logical unit is 0.1 mm on the device, x grows to the right, y grows
//     upwards; the logical origin is the device's top-left corner, so everything
//     visible has y <= 0. With a resolution of D dots per inch:
//         device x = round(x * D / 254),   device y = round(-y * D / 254)
//     and back: x = round(dx * 254 / D), y = round(-dy * 254 / D) (halves to even).
//     The card face and printer pages are laid out in this mapping.
//
// Fonts. `Font.Height` is a character height (the cell height without internal
// leading) in the units of the current mapping. For an outline font the character
// height is its em height, so a character height of h logical units becomes the pixel
// size h * D / 254 in the metric mapping, exactly, between whole pixels too (at least
// 1; `WholePixelFonts` rounds it to whole pixels), and h itself in pixels.
// Text extents come back in logical units: the advance width and the cell height
// (ascent + descent) measured at that pixel size and converted back.
//
// Text is drawn with a transparent background and the top-left corner of its cell at
// the given point. Rectangles take logical corners in any order.
//
// Recording: when `Recorder` is set, every drawing call appends a `TDrawRecord` with
// its logical and device geometry, so tests can check a layout without reading pixels.
#include "Library/Common/ExtUtils.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct TSize {
    int32_t cx = 0;
    int32_t cy = 0;
    bool operator==(const TSize&) const = default;
};

enum class TMapMode { Pixels, Metric };

// Font style bits.
enum : unsigned { fsBold = 1, fsItalic = 2 };

struct TCanvasFont {
    std::string Name = "Georgia"; // family as asked for (ASCII)
    int32_t Height = 12;          // character height in the current mapping's units
    unsigned Style = 0;           // fsBold | fsItalic
    QColor Color = Qt::black;
};

struct TDrawRecord {
    enum Kind { Text, FillRect, Rectangle, Ellipse, Polygon, Picture };
    Kind kind = Text;
    TMapMode mode = TMapMode::Pixels;
    TRect rect;      // logical: text cell (left, top, left + width, top -/+ height), shape or picture bounds
    TRect device;    // the same in device pixels, normalised (left < right, top < bottom)
    std::vector<TPoint> points; // polygon corners (logical)
    std::string text;           // text drawn (Windows-1251)
    TCanvasFont font;           // font in effect for text
    int32_t devicePixelSize = 0; // realised pixel size of the font
    QColor pen;                 // pen colour for shapes
    QColor brush;               // brush colour (invalid when clear)
};

class TCanvas {
public:
    // A canvas over a picture. Its resolution comes from the picture's dots per metre,
    // rounded to whole dots per inch (96 for a picture that was never told otherwise).
    explicit TCanvas(QImage& image);
    // A canvas over a picture with a resolution of its own (a double-size work picture
    // that must map like the canvas it stands in for).
    TCanvas(QImage& image, int dpiX, int dpiY);
    // A canvas over any paint device (a printer page) with the given resolution.
    TCanvas(QPaintDevice& device, int dpiX, int dpiY);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    QPainter& Painter() { return Painter_; }
    // The picture under the canvas, or nullptr for other devices.
    QImage* Image() const { return Image_; }
    int DpiX() const { return DpiX_; }
    int DpiY() const { return DpiY_; }
    // Device size in pixels.
    int DeviceWidth() const;
    int DeviceHeight() const;

    // --- mapping
    TMapMode MapMode() const { return Mode; }
    void SetMapMode(TMapMode mode) { Mode = mode; }
    // The device point that logical (0, 0) maps to, in both mappings ((0, 0) unless
    // set): a work picture standing for part of a larger area shifts it.
    TPoint DeviceOrigin() const { return Origin; }
    void SetDeviceOrigin(TPoint origin) { Origin = origin; }
    TPoint LPtoDP(TPoint p) const;
    TPoint DPtoLP(TPoint p) const;
    // Corners converted one by one (not normalised).
    TRect LPtoDP(const TRect& r) const;
    TRect DPtoLP(const TRect& r) const;
    // A device rectangle for a logical one: converted and normalised.
    TRect DeviceRect(const TRect& r) const;
    // Device pixels for a length of logical units along x or y (absolute values).
    int XToDevice(int length) const;
    int YToDevice(int length) const;

    // --- drawing state (Delphi-style: set the fields, then draw)
    TCanvasFont Font;
    QColor PenColor = Qt::black;
    int32_t PenWidth = 1;        // logical units; at least one device pixel
    QColor BrushColor = Qt::white;
    bool BrushClear = false;     // polygons and rectangles only outlined

    // --- text
    TSize TextExtent(std::string_view text);
    int32_t TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int32_t TextHeight(std::string_view text) { return TextExtent(text).cy; }
    void TextOut(int32_t x, int32_t y, std::string_view text);
    // Realised pixel size of the current font, rounded; FontPixels() unrounded.
    int32_t FontPixelSize() const;
    double FontPixels() const;
    // Fonts of the metric mapping at whole pixel sizes (the captions, which are drawn
    // in the pixel mapping at the size they were measured at).
    bool WholePixelFonts = false;

    // --- shapes (pen and brush as set)
    // Fills with the brush colour, no outline.
    void FillRect(const TRect& r);
    // Outlined with the pen and filled with the brush (unless clear).
    void Rectangle(const TRect& r);
    // An ellipse inscribed in the rectangle, outlined and filled, antialiased.
    void Ellipse(const TRect& r);
    // A closed polygon, outlined with the pen, filled with the brush unless clear.
    void Polygon(const std::vector<TPoint>& points);

    // --- pictures
    // Stretches the picture over the rectangle; `smooth` selects an area-averaging
    // (halftone) stretch instead of picking pixels. A picture with an alpha channel is
    // blended over what is there.
    void StretchDraw(const TRect& r, const QImage& picture, bool smooth = true);
    // Copies the picture unscaled with its top-left corner at the logical point.
    void Draw(int32_t x, int32_t y, const QImage& picture);
    // The current contents under the rectangle (device pixels), as a 24-bit picture;
    // empty when the canvas has no picture under it.
    QImage CopyDeviceArea(const TRect& deviceRect) const;

    std::vector<TDrawRecord>* Recorder = nullptr;

private:
    void Init(QPaintDevice& device);
    const QFont& RealisedFont(int32_t* pixelSize = nullptr);
    void Record(TDrawRecord rec);

    QPainter Painter_;
    QImage* Image_ = nullptr;
    QPaintDevice* Device = nullptr;
    int DpiX_ = 96;
    int DpiY_ = 96;
    TMapMode Mode = TMapMode::Pixels;
    TPoint Origin;

    // Cache of the realised font.
    std::string CachedName;
    double CachedPixels = -1;
    unsigned CachedStyle = ~0u;
    QFont Cached;
    std::optional<QFontMetricsF> CachedMetrics;
    std::string CachedKey; // name, size and style of the realised font
    // Advance widths of measured texts, by realised font.
    const std::string& FontKey() const;
    std::unordered_map<std::string, std::unordered_map<std::string, double>> Advances;
};

// Keeps a canvas's mapping and restores it when the scope ends, also on errors.
class TMapModeGuard {
public:
    explicit TMapModeGuard(TCanvas& canvas) : Canvas(canvas), Saved(canvas.MapMode()) {}
    ~TMapModeGuard() { Canvas.SetMapMode(Saved); }
    TMapModeGuard(const TMapModeGuard&) = delete;
    TMapModeGuard& operator=(const TMapModeGuard&) = delete;

private:
    TCanvas& Canvas;
    TMapMode Saved;
};
