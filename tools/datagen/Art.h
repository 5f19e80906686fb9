#pragma once
// Procedural art for the sample cards: a small picture per card (or per half of a
// split card) drawn from its colour and type, the same every time for the same name.
#include <QImage>

#include <string>

inline constexpr int kArtWidth = 255;
inline constexpr int kArtHeight = 207;

// What the art is drawn from (UTF-8 texts of the card, or of one half of a split card).
struct TArtCard {
    std::string ArtName; // the picture's name (with its variant number): seeds the picture
    std::string Name;    // English name (of the half, for a split card)
    std::string Color;   // colour code: W, B, U, G, R, Z, A or L
    std::string Type;    // English type line
    std::string Cost;    // mana cost, for the colours of a multicoloured card
    std::string Text;    // rules text, for the colours of a land's mana
};

// The kinds of picture.
enum class TArtKind { Plains, Island, Swamp, Mountain, Forest, Land, Creature, Spell, Enchantment, Artifact };

TArtKind ArtKindOf(const TArtCard& card);

QImage DrawArt(const TArtCard& card, int width = kArtWidth, int height = kArtHeight);
