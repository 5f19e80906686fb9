#include "Art.h"

#include "ArtScene.h"

#include <string>

using namespace art;

namespace {

TPalette MixPalette(const TPalette& a, const TPalette& b, double t)
{
    return {Mix(a.skyTop, b.skyTop, t), Mix(a.horizon, b.horizon, t), Mix(a.ground, b.ground, t),
            Mix(a.far, b.far, t),       b.accent,                      a.glow,
            Mix(a.dark, b.dark, 0.5)};
}

// The mana colours named in a text: capital letters of a cost, or "%X" marks of rules text.
std::string ManaColours(const std::string& text, bool marked)
{
    std::string found;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (marked) {
            if (c != '%' || i + 1 >= text.size())
                continue;
            c = text[i + 1];
        }
        if (std::string("WUBRG").find(c) != std::string::npos && found.find(c) == std::string::npos)
            found += c;
    }
    return found;
}

TPalette PaletteFor(const TArtCard& card, TArtKind kind, TRandom& rnd)
{
    char code = card.Color.empty() ? 'A' : card.Color[0];
    std::string colours;
    if (code == 'Z')
        colours = ManaColours(card.Cost, false);
    else if (kind == TArtKind::Land)
        colours = ManaColours(card.Text, true);
    TPalette p;
    if (colours.size() >= 2)
        p = MixPalette(PaletteOf(colours[0]), PaletteOf(colours[1]), 0.5);
    else if (colours.size() == 1)
        p = kind == TArtKind::Land ? MixPalette(PaletteOf('L'), PaletteOf(colours[0]), 0.6)
                                   : PaletteOf(colours[0]);
    else
        p = PaletteOf(code);
    // A little variety between cards of one colour.
    const double t = rnd.Range(-0.08, 0.08);
    p.skyTop = Shade(p.skyTop, t);
    p.horizon = Shade(p.horizon, t * 0.5);
    return p;
}

} // namespace

TArtKind ArtKindOf(const TArtCard& card)
{
    static const struct { const char* name; TArtKind kind; } basics[] = {
        {"Plains", TArtKind::Plains},     {"Island", TArtKind::Island}, {"Swamp", TArtKind::Swamp},
        {"Mountain", TArtKind::Mountain}, {"Forest", TArtKind::Forest},
    };
    for (const auto& b : basics)
        if (card.Name == b.name)
            return b.kind;
    if (TypeHas(card, "Creature"))
        return TArtKind::Creature;
    if (TypeHas(card, "Land"))
        return TArtKind::Land;
    if (TypeHas(card, "Enchant"))
        return TArtKind::Enchantment;
    if (TypeHas(card, "Artifact"))
        return TArtKind::Artifact;
    return TArtKind::Spell;
}

QImage DrawArt(const TArtCard& card, int width, int height)
{
    TCanvas c(width, height, HashText(card.ArtName.empty() ? card.Name : card.ArtName));
    const TArtKind kind = ArtKindOf(card);
    const TPalette p = PaletteFor(card, kind, c.rnd);
    switch (kind) {
    case TArtKind::Plains: DrawPlains(c, p); break;
    case TArtKind::Island: DrawIsland(c, p); break;
    case TArtKind::Swamp: DrawSwamp(c, p); break;
    case TArtKind::Mountain: DrawMountain(c, p); break;
    case TArtKind::Forest: DrawForest(c, p); break;
    case TArtKind::Land: DrawOtherLand(c, p); break;
    case TArtKind::Creature: DrawCreature(c, card, p); break;
    case TArtKind::Spell: DrawSpell(c, p); break;
    case TArtKind::Enchantment: DrawEnchantment(c, p); break;
    case TArtKind::Artifact: DrawArtifact(c, p); break;
    }
    Vignette(c, 0.35);
    return c.image;
}
