#pragma once
// The pictures of the main window: the eight 16 x 16 action images (0 save, 1 save
// as, 2 exit, 3 open, 4 print, 5 new deck, 6 filter, 7 statistics) and the glyphs of
// the speed buttons. Action images are the desktop theme's icons by their
// freedesktop names where the theme has them; otherwise, and for the glyphs, the
// program draws its own simple ones.
#include <QIcon>
#include <QImage>

enum TActionImage {
    aiSave = 0,
    aiSaveAs,
    aiExit,
    aiOpen,
    aiPrint,
    aiNew,
    aiFilter,
    aiStatistics,
    aiCount
};

// The action image, from the theme when it has one that can be shown.
QIcon ActionIcon(TActionImage image);
// The program's own drawing of the image (16 x 16 as designed, or side x side),
// whatever the theme has.
QImage DrawnActionImage(TActionImage image, int side = 16);

enum TGlyph { glPlus, glMinus, glUp, glDown, glRight, glLeft };
// A speed button's glyph: plus, minus, or a triangle pointing that way, drawn 12 x 12
// as designed or side x side.
QImage DrawnGlyph(TGlyph glyph, int side = 12);
QIcon GlyphIcon(TGlyph glyph);
