#pragma once
// The drawing kit behind the sample cards' art, inside tomelark-datagen: the colours
// of a picture, its canvas, the pieces of scenery every kind of picture is made of,
// and the scenes of each kind (landscapes, creatures, spells, enchantments,
// artifacts), each in a file of its own.
#include "Art.h"
#include "Paint.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdint>

namespace art {

struct TPalette {
    QColor skyTop, horizon, ground, far, accent, glow, dark;
};

// The palette of one colour code (W, U, B, R, G; L for lands; anything else colourless).
TPalette PaletteOf(char colour);

struct TCanvas {
    QImage image;
    double w, h;
    TRandom rnd;
    TNoise noise;
    TCanvas(int width, int height, uint64_t seed)
        : image(width, height, QImage::Format_RGB32), w(width), h(height), rnd(seed), noise(seed + 17)
    {
    }
};

bool TypeHas(const TArtCard& card, const char* word);

// The area covered by any of the path's parts, overlaps joined.
QPainterPath Union(const QPainterPath& path);
QPainterPath Stroke(const QPainterPath& line, double width);

// Scenery.
void Sky(TCanvas& c, const TPalette& p, double horizonY);
void Glow(TCanvas& c, const QPointF& at, double radius, const QColor& colour, int alpha);
void Ridge(TCanvas& c, double baseY, double amplitude, double roughness, const QColor& top, const QColor& bottom,
           uint64_t salt, bool jagged = false);
void Conifer(QPainter& g, double x, double baseY, double height, const QColor& colour);
void RoundTree(QPainter& g, TRandom& rnd, double x, double baseY, double height, const QColor& colour);
void DeadBranch(QPainter& g, TRandom& rnd, QPointF from, double angle, double length, double width, int depth);
void Fog(TCanvas& c, double y, double thickness, const QColor& colour, int alpha);
void Vignette(TCanvas& c, double strength);

// The scenes (ArtLands.cpp, ArtCreatures.cpp, ArtObjects.cpp).
void DrawPlains(TCanvas& c, const TPalette& p);
void DrawIsland(TCanvas& c, const TPalette& p);
void DrawSwamp(TCanvas& c, const TPalette& p);
void DrawMountain(TCanvas& c, const TPalette& p);
void DrawForest(TCanvas& c, const TPalette& p);
void DrawOtherLand(TCanvas& c, const TPalette& p);
void DrawCreature(TCanvas& c, const TArtCard& card, const TPalette& p);
void DrawSpell(TCanvas& c, const TPalette& p);
void DrawEnchantment(TCanvas& c, const TPalette& p);
void DrawArtifact(TCanvas& c, const TPalette& p);

} // namespace art
