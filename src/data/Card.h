#pragma once
// One card as a plain value: copied between the data module, the renderer, the
// editor, statistics and printing. Texts are Windows-1251.
#include <cstdint>
#include <string>

struct TCard {
    std::string Name;    // English name; a split card holds both names joined by "/"
    std::string Set;     // set code, two characters
    std::string Version; // art variant: empty or one letter "A".."G"
    std::string Color;   // colour code W B U G R Z A L
    std::string Type;    // English type line
    std::string Cost;    // mana cost as symbol characters
    std::string PwrTgh;  // power/toughness as printed
    std::string Text;    // English rules text; split halves joined by " // "
    std::string Flavor;  // English flavour text
    std::string Rarity;  // "C", "U" or "R"
    std::string NameR;   // Russian name
    std::string TypeR;   // Russian type line
    std::string TextR;   // Russian rules text
    std::string FlavorR; // Russian flavour text
    int32_t MtgEncID = 0; // id in the encyclopedia picture collection

    bool operator==(const TCard&) const = default;
};
