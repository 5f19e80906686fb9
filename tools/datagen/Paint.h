#pragma once
// Drawing helpers shared by the picture generators: a deterministic random source,
// smooth value noise for textures, colour mixing and small QPainter conveniences.
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>

#include <cstdint>
#include <string_view>

// 64-bit FNV-1a hash of a text: the seed of everything drawn for a card.
uint64_t HashText(std::string_view text);

// A small random source whose sequence depends only on its seed (unlike the standard
// distributions, whose results differ between library implementations).
class TRandom {
public:
    explicit TRandom(uint64_t seed);
    uint64_t Next();
    double Real();                     // [0, 1)
    double Range(double low, double high);
    int Int(int count);                // 0 .. count - 1
    bool Chance(double p);

private:
    uint64_t state_;
};

// Smooth value noise in about [0, 1]: `octaves` layers, each twice as fine and half
// as strong as the one before, the coarsest with cells of `scale` pixels.
class TNoise {
public:
    explicit TNoise(uint64_t seed);
    double At(double x, double y, double scale, int octaves = 4) const;

private:
    double Lattice(int x, int y, int octave) const;
    uint64_t seed_;
};

// a + (b - a) * t per channel (alpha from a).
QColor Mix(const QColor& a, const QColor& b, double t);
// The colour made lighter (t > 0, towards white) or darker (t < 0, towards black).
QColor Shade(const QColor& c, double t);

// Multiplies the picture's pixels inside `clip` (all of it when empty) by a noise
// texture: brightness varies by +-strength around 1.
void ApplyTexture(QImage& image, const QPainterPath& clip, uint64_t seed, double scale,
                  double strength, int octaves = 4);

// A sunken (or raised) bevel in the ring between `outer` and `inner`: the top and left
// sides in one tone, the bottom and right in the other.
void DrawBevelRing(QImage& image, const QRectF& outer, const QRectF& inner, const QColor& base,
                   bool sunken);
