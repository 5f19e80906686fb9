#include "render/Canvas.h"

#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

int DpiFromDotsPerMeter(int dpm)
{
    if (dpm <= 0)
        return 96;
    return std::max(1, int(std::lround(dpm * 0.0254)));
}

TRect Normalised(const TRect& r)
{
    return TRect{std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                 std::max(r.Top, r.Bottom)};
}

} // namespace

TCanvas::TCanvas(QImage& image)
    : Image_(&image)
{
    DpiX_ = DpiFromDotsPerMeter(image.dotsPerMeterX());
    DpiY_ = DpiFromDotsPerMeter(image.dotsPerMeterY());
    Init(image);
}

TCanvas::TCanvas(QImage& image, int dpiX, int dpiY)
    : Image_(&image), DpiX_(std::max(1, dpiX)), DpiY_(std::max(1, dpiY))
{
    Init(image);
}

TCanvas::TCanvas(QPaintDevice& device, int dpiX, int dpiY)
    : DpiX_(std::max(1, dpiX)), DpiY_(std::max(1, dpiY))
{
    Init(device);
}

void TCanvas::Init(QPaintDevice& device)
{
    Device = &device;
    Painter_.begin(&device);
    Painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

TCanvas::~TCanvas()
{
    if (Painter_.isActive())
        Painter_.end();
}

int TCanvas::DeviceWidth() const
{
    return Device ? Device->width() : 0;
}

int TCanvas::DeviceHeight() const
{
    return Device ? Device->height() : 0;
}

// ---------------------------------------------------------------------------
// Mapping.

TPoint TCanvas::LPtoDP(TPoint p) const
{
    if (Mode == TMapMode::Pixels)
        return TPoint{p.x + Origin.x, p.y + Origin.y};
    return TPoint{RoundSaturated(p.x * double(DpiX_) / 254.0) + Origin.x,
                  RoundSaturated(-p.y * double(DpiY_) / 254.0) + Origin.y};
}

TPoint TCanvas::DPtoLP(TPoint p) const
{
    p.x -= Origin.x;
    p.y -= Origin.y;
    if (Mode == TMapMode::Pixels)
        return p;
    return TPoint{RoundSaturated(p.x * 254.0 / DpiX_), RoundSaturated(-p.y * 254.0 / DpiY_)};
}

TRect TCanvas::LPtoDP(const TRect& r) const
{
    const TPoint a = LPtoDP(TPoint{r.Left, r.Top});
    const TPoint b = LPtoDP(TPoint{r.Right, r.Bottom});
    return TRect{a.x, a.y, b.x, b.y};
}

TRect TCanvas::DPtoLP(const TRect& r) const
{
    const TPoint a = DPtoLP(TPoint{r.Left, r.Top});
    const TPoint b = DPtoLP(TPoint{r.Right, r.Bottom});
    return TRect{a.x, a.y, b.x, b.y};
}

TRect TCanvas::DeviceRect(const TRect& r) const
{
    return Normalised(LPtoDP(r));
}

int TCanvas::XToDevice(int length) const
{
    length = std::abs(length);
    if (Mode == TMapMode::Pixels)
        return length;
    return RoundSaturated(length * double(DpiX_) / 254.0);
}

int TCanvas::YToDevice(int length) const
{
    length = std::abs(length);
    if (Mode == TMapMode::Pixels)
        return length;
    return RoundSaturated(length * double(DpiY_) / 254.0);
}

// ---------------------------------------------------------------------------
// Text.

double TCanvas::FontPixels() const
{
    if (Mode == TMapMode::Pixels)
        return std::max(1, Font.Height);
    const double exact = std::abs(Font.Height) * double(DpiY_) / 254.0;
    if (WholePixelFonts)
        return std::max(1, RoundSaturated(exact));
    return std::max(1.0, exact);
}

const QFont& TCanvas::RealisedFont(int32_t* pixelSize)
{
    const double pixels = FontPixels();
    if (pixels != CachedPixels || Font.Style != CachedStyle || Font.Name != CachedName) {
        QFont f(QString::fromStdString(Font.Name));
        // The exact size asked for, also between whole pixels, so that every 0.1 mm
        // of a character height is a real step. Qt takes fractional sizes in points,
        // which the device turns into pixels at its own resolution.
        const int deviceDpi = Device && Device->logicalDpiY() > 0 ? Device->logicalDpiY() : 96;
        f.setPointSizeF(pixels * 72.0 / deviceDpi);
        f.setBold((Font.Style & fsBold) != 0);
        f.setItalic((Font.Style & fsItalic) != 0);
        // Advances scale with the size (no horizontal grid fitting), so a face drawn at
        // twice the size lays out the same; glyphs still snap vertically for crisp lines.
        f.setHintingPreference(QFont::PreferVerticalHinting);
        f.setKerning(true);
        Cached = f;
        CachedMetrics.emplace(Cached, Device);
        CachedName = Font.Name;
        CachedPixels = pixels;
        CachedStyle = Font.Style;
        char size[32];
        std::snprintf(size, sizeof size, "|%.6f|%u", CachedPixels, CachedStyle);
        CachedKey = CachedName + size;
    }
    if (pixelSize)
        *pixelSize = std::max(1, RoundSaturated(pixels));
    return Cached;
}

const std::string& TCanvas::FontKey() const
{
    return CachedKey;
}

int32_t TCanvas::FontPixelSize() const
{
    return std::max(1, RoundSaturated(FontPixels()));
}

TSize TCanvas::TextExtent(std::string_view text)
{
    RealisedFont();
    const QFontMetricsF& m = *CachedMetrics;
    double w = 0.0;
    if (!text.empty()) {
        // Texts are measured again and again while a text is fitted: the advances of
        // each font are kept.
        auto& widths = Advances[FontKey()];
        const auto known = widths.find(std::string(text));
        if (known != widths.end()) {
            w = known->second;
        } else {
            w = m.horizontalAdvance(Win1251ToQString(text));
            if (widths.size() > 4096)
                widths.clear();
            widths.emplace(std::string(text), w);
        }
    }
    const double h = m.ascent() + m.descent();
    if (Mode == TMapMode::Pixels)
        return TSize{RoundSaturated(w), RoundSaturated(h)};
    return TSize{RoundSaturated(w * 254.0 / DpiX_), RoundSaturated(h * 254.0 / DpiY_)};
}

void TCanvas::TextOut(int32_t x, int32_t y, std::string_view text)
{
    int32_t pixels = 0;
    const QFont& f = RealisedFont(&pixels);
    const TPoint d = LPtoDP(TPoint{x, y});
    const QString s = Win1251ToQString(text);
    Painter_.setFont(f);
    Painter_.setPen(QPen(Font.Color));
    Painter_.drawText(QPointF(d.x, d.y + CachedMetrics->ascent()), s);
    if (Recorder) {
        const TSize ext = TextExtent(text);
        TDrawRecord rec;
        rec.kind = TDrawRecord::Text;
        rec.rect = TRect{x, y, x + ext.cx, Mode == TMapMode::Metric ? y - ext.cy : y + ext.cy};
        rec.text = std::string(text);
        rec.font = Font;
        rec.devicePixelSize = pixels;
        Record(std::move(rec));
    }
}

// ---------------------------------------------------------------------------
// Shapes.

void TCanvas::Record(TDrawRecord rec)
{
    rec.mode = Mode;
    rec.device = DeviceRect(rec.rect);
    Recorder->push_back(std::move(rec));
}

void TCanvas::FillRect(const TRect& r)
{
    const TRect d = DeviceRect(r);
    Painter_.fillRect(QRect(d.Left, d.Top, d.Right - d.Left, d.Bottom - d.Top), BrushColor);
    if (Recorder) {
        TDrawRecord rec;
        rec.kind = TDrawRecord::FillRect;
        rec.rect = r;
        rec.brush = BrushColor;
        Record(std::move(rec));
    }
}

void TCanvas::Rectangle(const TRect& r)
{
    const TRect d = DeviceRect(r);
    const int pw = std::max(1, XToDevice(PenWidth));
    if (!BrushClear)
        Painter_.fillRect(QRect(d.Left, d.Top, d.Right - d.Left, d.Bottom - d.Top), BrushColor);
    Painter_.setRenderHint(QPainter::Antialiasing, false);
    Painter_.setBrush(Qt::NoBrush);
    QPen pen(PenColor, pw);
    pen.setJoinStyle(Qt::MiterJoin);
    Painter_.setPen(pen);
    // The outline lies inside the rectangle, like a GDI rectangle's.
    const double h = pw / 2.0;
    Painter_.drawRect(QRectF(d.Left + h, d.Top + h, d.Right - d.Left - pw, d.Bottom - d.Top - pw));
    if (Recorder) {
        TDrawRecord rec;
        rec.kind = TDrawRecord::Rectangle;
        rec.rect = r;
        rec.pen = PenColor;
        rec.brush = BrushClear ? QColor() : BrushColor;
        Record(std::move(rec));
    }
}

void TCanvas::Ellipse(const TRect& r)
{
    const TRect d = DeviceRect(r);
    const int pw = std::max(1, XToDevice(PenWidth));
    Painter_.setRenderHint(QPainter::Antialiasing, true);
    Painter_.setPen(QPen(PenColor, pw));
    Painter_.setBrush(BrushClear ? QBrush(Qt::NoBrush) : QBrush(BrushColor));
    const double h = pw / 2.0;
    Painter_.drawEllipse(QRectF(d.Left + h, d.Top + h, d.Right - d.Left - pw, d.Bottom - d.Top - pw));
    Painter_.setRenderHint(QPainter::Antialiasing, false);
    if (Recorder) {
        TDrawRecord rec;
        rec.kind = TDrawRecord::Ellipse;
        rec.rect = r;
        rec.pen = PenColor;
        rec.brush = BrushClear ? QColor() : BrushColor;
        Record(std::move(rec));
    }
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    if (points.empty())
        return;
    QPolygon poly;
    for (const TPoint& p : points) {
        const TPoint d = LPtoDP(p);
        poly << QPoint(d.x, d.y);
    }
    const int pw = std::max(1, XToDevice(PenWidth));
    Painter_.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(PenColor, pw);
    pen.setJoinStyle(Qt::MiterJoin);
    Painter_.setPen(pen);
    Painter_.setBrush(BrushClear ? QBrush(Qt::NoBrush) : QBrush(BrushColor));
    Painter_.drawPolygon(poly);
    if (Recorder) {
        TDrawRecord rec;
        rec.kind = TDrawRecord::Polygon;
        int32_t l = points[0].x, r = l, t = points[0].y, b = t;
        for (const TPoint& p : points) {
            l = std::min(l, p.x);
            r = std::max(r, p.x);
            t = Mode == TMapMode::Metric ? std::max(t, p.y) : std::min(t, p.y);
            b = Mode == TMapMode::Metric ? std::min(b, p.y) : std::max(b, p.y);
        }
        rec.rect = TRect{l, t, r, b};
        rec.points = points;
        rec.pen = PenColor;
        rec.brush = BrushClear ? QColor() : BrushColor;
        Record(std::move(rec));
    }
}

// ---------------------------------------------------------------------------
// Pictures.

void TCanvas::StretchDraw(const TRect& r, const QImage& picture, bool smooth)
{
    const TRect d = DeviceRect(r);
    const int w = d.Right - d.Left;
    const int h = d.Bottom - d.Top;
    if (w <= 0 || h <= 0 || picture.isNull())
        return;
    if (!Image_) {
        // A printer or PDF page scales the picture itself, at its own resolution: the
        // picture goes out once at its size instead of blown up to the device's pixels.
        Painter_.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        Painter_.drawImage(QRect(d.Left, d.Top, w, h), picture);
    } else if (picture.width() == w && picture.height() == h) {
        Painter_.drawImage(QPoint(d.Left, d.Top), picture);
    } else {
        const QImage scaled = picture.scaled(w, h, Qt::IgnoreAspectRatio,
                                             smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
        Painter_.drawImage(QPoint(d.Left, d.Top), scaled);
    }
    if (Recorder) {
        TDrawRecord rec;
        rec.kind = TDrawRecord::Picture;
        rec.rect = r;
        Record(std::move(rec));
    }
}

void TCanvas::Draw(int32_t x, int32_t y, const QImage& picture)
{
    const TPoint d = LPtoDP(TPoint{x, y});
    Painter_.drawImage(QPoint(d.x, d.y), picture);
    if (Recorder) {
        TDrawRecord rec;
        rec.kind = TDrawRecord::Picture;
        const TPoint e = DPtoLP(TPoint{d.x + picture.width(), d.y + picture.height()});
        rec.rect = TRect{x, y, e.x, e.y};
        Record(std::move(rec));
    }
}

QImage TCanvas::CopyDeviceArea(const TRect& deviceRect) const
{
    if (!Image_)
        return QImage();
    const TRect d = Normalised(deviceRect);
    return Image_->copy(QRect(d.Left, d.Top, d.Right - d.Left, d.Bottom - d.Top))
        .convertToFormat(QImage::Format_RGB888);
}
