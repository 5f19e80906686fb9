#pragma once
// The mana symbols as the renderer shows them: a coloured circle with a glyph of the
// symbol font on it. Used for the frames' symbols and the font's check sheet.
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRawFont>
#include <QRectF>
#include <QString>

// Loads the symbol font from its file at a large size (the outlines are scaled from it).
QRawFont LoadSymbolFont(const QString& path);

// The circle colour of a symbol character ("W", "U", "B", "R", "G"; grey for others).
QColor ManaFillColor(char symbol);

// The outline of the glyph of `symbol`, placed so that the font's size reference (the
// full circle "O") covers `circle` exactly.
QPainterPath SymbolGlyphPath(const QRawFont& font, char symbol, const QRectF& circle);

// A picture of every glyph of the font: each symbol on its circle at several sizes,
// large and small, and a cost row drawn as text through the font file `fontPath`
// with the font's metrics, the way the renderer combines them. For checking the font
// by eye.
QImage DrawSymbolSheet(const QRawFont& font, const QString& fontPath);
