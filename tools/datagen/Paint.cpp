#include "Paint.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

uint64_t HashText(std::string_view text)
{
    uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    return h;
}

TRandom::TRandom(uint64_t seed) : state_(seed ^ 0x9E3779B97F4A7C15ULL)
{
    Next();
}

uint64_t TRandom::Next()
{
    // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double TRandom::Real()
{
    return double(Next() >> 11) * (1.0 / 9007199254740992.0);
}

double TRandom::Range(double low, double high)
{
    return low + (high - low) * Real();
}

int TRandom::Int(int count)
{
    return count <= 1 ? 0 : int(Next() % uint64_t(count));
}

bool TRandom::Chance(double p)
{
    return Real() < p;
}

TNoise::TNoise(uint64_t seed) : seed_(seed) {}

double TNoise::Lattice(int x, int y, int octave) const
{
    uint64_t h = seed_ ^ (uint64_t(uint32_t(x)) * 0x9E3779B97F4A7C15ULL)
                 ^ (uint64_t(uint32_t(y)) * 0xC2B2AE3D27D4EB4FULL) ^ (uint64_t(octave) << 56);
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDULL;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 33;
    return double(h >> 11) * (1.0 / 9007199254740992.0);
}

double TNoise::At(double x, double y, double scale, int octaves) const
{
    double sum = 0, weight = 0, amp = 1;
    for (int o = 0; o < octaves; ++o) {
        double fx = x / scale, fy = y / scale;
        int ix = int(std::floor(fx)), iy = int(std::floor(fy));
        double tx = fx - ix, ty = fy - iy;
        tx = tx * tx * (3 - 2 * tx);
        ty = ty * ty * (3 - 2 * ty);
        double a = Lattice(ix, iy, o), b = Lattice(ix + 1, iy, o);
        double c = Lattice(ix, iy + 1, o), d = Lattice(ix + 1, iy + 1, o);
        double v = (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
        sum += v * amp;
        weight += amp;
        amp *= 0.5;
        scale *= 0.5;
        if (scale < 1)
            break;
    }
    return sum / weight;
}

QColor Mix(const QColor& a, const QColor& b, double t)
{
    auto ch = [t](int x, int y) { return std::clamp(int(std::lround(x + (y - x) * t)), 0, 255); };
    return QColor(ch(a.red(), b.red()), ch(a.green(), b.green()), ch(a.blue(), b.blue()), a.alpha());
}

QColor Shade(const QColor& c, double t)
{
    return t >= 0 ? Mix(c, QColor(255, 255, 255), t) : Mix(c, QColor(0, 0, 0), -t);
}

void ApplyTexture(QImage& image, const QPainterPath& clip, uint64_t seed, double scale,
                  double strength, int octaves)
{
    TNoise noise(seed);
    QImage mask;
    if (!clip.isEmpty()) {
        mask = QImage(image.size(), QImage::Format_Alpha8);
        mask.fill(0);
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillPath(clip, Qt::black);
    }
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uchar* m = mask.isNull() ? nullptr : mask.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            double cover = m ? m[x] / 255.0 : 1.0;
            if (cover <= 0)
                continue;
            double f = 1 + (noise.At(x, y, scale, octaves) - 0.5) * 2 * strength * cover;
            QRgb px = row[x];
            auto ch = [f](int v) { return std::clamp(int(std::lround(v * f)), 0, 255); };
            row[x] = qRgba(ch(qRed(px)), ch(qGreen(px)), ch(qBlue(px)), qAlpha(px));
        }
    }
}

void DrawBevelRing(QImage& image, const QRectF& outer, const QRectF& inner, const QColor& base,
                   bool sunken)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QColor light = Shade(base, 0.45), dark = Shade(base, -0.55);
    const QColor topLeft = sunken ? dark : light, bottomRight = sunken ? light : dark;
    // Top and left: the polygon from the outer top-right corner round to the outer
    // bottom-left corner along the inner rectangle.
    QPolygonF tl{outer.topRight(), outer.topLeft(), outer.bottomLeft(), inner.bottomLeft(),
                 inner.topLeft(), inner.topRight()};
    QPolygonF br{outer.topRight(), outer.bottomRight(), outer.bottomLeft(), inner.bottomLeft(),
                 inner.bottomRight(), inner.topRight()};
    p.setBrush(topLeft);
    p.drawPolygon(tl);
    p.setBrush(bottomRight);
    p.drawPolygon(br);
    // A thin dark line at the inner edge keeps the art or text apart from the frame.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Shade(base, -0.7), 1.0));
    p.drawRect(inner.adjusted(-0.5, -0.5, 0.5, 0.5));
}
