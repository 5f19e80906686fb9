#pragma once
// Set symbols: a small emblem per set (its drawing named in the set table, Sets.h), in
// the three rarities black ("C"), silver ("U") and gold ("R") for the sets that print
// rarity colours, else one black emblem, on a transparent background. Stored as GIF
// files named <Set>_<rarity>.gif, or <Set>.gif for one emblem of every rarity.
#include <QImage>

#include <string>
#include <vector>

// The emblem of a drawing of the catalogue in a rarity, Format_ARGB32 with binary alpha (fully transparent
// or fully opaque pixels, as a GIF holds them). The bottom-left pixel is always
// transparent: the renderer takes that pixel's colour as the transparent one.
QImage DrawSetSymbol(const std::string& symbol, char rarity);

// A picture with binary alpha as an 8-bit palette picture for a GIF: palette entry 0
// is the transparent colour (purple, red 128 green 0 blue 128, which no opaque pixel
// uses), the opaque colours follow.
QImage ToPalettePicture(const QImage& argb, int* transparentIndex);
