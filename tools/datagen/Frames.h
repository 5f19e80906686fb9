#pragma once
// Frame pictures of the card face and the card back, 300 x 433 pixels.
//
// The frame is what the renderer composes the card on: the art window at (23, 29),
// 255 x 207 pixels, is left for the art; the captions (name, type line, power and
// toughness, bottom line) are drawn in white with a black shadow over the plates of
// the title band, the type band and the bottom band; the text box is light, for
// black rules text.
#include <QImage>
#include <QRawFont>

#include <string>
#include <vector>

inline constexpr int kFrameWidth = 300;
inline constexpr int kFrameHeight = 433;

// The frame codes of the store: the colour codes W, B, U, G, R, Z, A, L, the basic
// lands LW, LU, LG, LR, LB and the card back S.
const std::vector<std::string>& FrameCodes();

// Draws the frame for a code. `symbols` is the symbol font (for the mana symbol that
// marks the text box); when it is not valid the frames are drawn without one.
QImage DrawFrame(const std::string& code, const QRawFont& symbols);
