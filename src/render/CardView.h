#pragma once
// The card face renderer: draws one card as a complete card face (frame, art, set
// symbol, mana cost, name, type line, power/toughness, the bottom line in the other
// language, rules and flavour text) into any rectangle of any canvas, split cards as
// two turned halves, the card back for no card, and the grey version for greyscale
// printing.
//
// The face is laid out on a reference face of 300 x 433 face units scaled to the
// target rectangle in the metric drawing space (0.1 mm, y upwards, see Canvas.h).
// Frame and art are composed at the frame picture's own size and stretched once.
#include "data/Card.h"
#include "render/Canvas.h"

#include <QImage>
#include <QPainter>

#include <functional>
#include <string>
#include <utility>

// The picture buffer the main window draws the current card into: a 24-bit bitmap of
// 300 x 433 pixels unless SetPictureSize changed it. Lives for the whole run.
extern QImage CardPicture;
// Set by printing for the duration of a print job: symbols and small pictures are
// drawn directly, and with PrintGrayscale the grey print version is drawn.
extern bool IsPrinting;
// How many device pixels the black shadow of a caption reaches right and down.
extern int CaptionShadowWidth;

// A picture of the data store or an art picture that cannot be read or decoded is
// drawn as missing (the grey face, no art, no set symbol) and reported here once per
// file for the run, the message naming the file (Windows-1251). Unset, nothing is
// reported.
extern std::function<void(const std::string& message)> OnPictureError;

// Draws the card into rect: pixels when the canvas is in the pixel mapping, 0.1-mm
// units (y upwards) when the caller has switched it to the metric mapping. A card with
// an empty name draws the card back. The canvas's mapping is the same afterwards;
// font, pen and brush are left as the drawing last set them. In the language modes
// with Russian texts, a card whose rules text has no Russian yet (TextR empty while
// Text is not, or no Russian text at all) shows its English rules and flavour text.
void DrawCard(TCard card, TCanvas& canvas, const TRect& rect);

// Draws one face; `fullName` is the name of the split card the face belongs to, or
// empty.
void DrawCardFace(const TCard& card, TCanvas& canvas, const TRect& rect, const std::string& fullName);

// The two halves of a split card: Name, Color, Type, Cost, NameR and TypeR split at
// the first "/", Text, TextR, Flavor and FlavorR at the first " // "; a field without its separator
// stays whole in the first half. The other fields go to both halves.
std::pair<TCard, TCard> SplitCard(const TCard& card);

// Draws a one-line caption (white with a black shadow) in rect, aligned left (0),
// right (2) or centred (6), shrinking the font one unit at a time (down to one unit)
// until it fits the width. Expects the metric mapping with the font set; returns
// (text width + 4, text height) at the size used. The font height is left at that
// size.
TSize DrawCaption(TCanvas& canvas, const TRect& rect, std::string_view text, int align);

// Resizes CardPicture; 0 means the default width 300 or height 433.
void SetPictureSize(int width, int height);
// Copies CardPicture unscaled with its top-left corner at rect's top-left corner.
void ShowCardPicture(QPainter& painter, const TRect& rect);
void ShowCardPicture(TCanvas& canvas, const TRect& rect);
