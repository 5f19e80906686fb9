#pragma once
// The sets of the card base: one row per set, in release order. Everything that knows
// a set reads it here: the card filter and its dialog, the importer, the deck files'
// set codes, the command-line tool, the set symbols of the data store and the renderer.
#include <string>
#include <string_view>
#include <vector>

struct TSetInfo {
    std::string_view Code;      // the program's two letters, as the card base's Set holds it
    std::string_view MtgJson;   // the publisher's and MTGJSON's code ("7ED")
    // Further codes other programs write in deck files (Magic Workstation, Apprentice,
    // Forge, XMage), compared without regard to letter case.
    std::vector<std::string_view> Aliases;
    std::string_view Name;      // English name
    std::string_view NameR;     // Russian name (UTF-8), as the filter dialog shows it
    std::string_view Released;  // "YYYY-MM"
    std::string_view Group;     // the filter dialog's group: a block, the editions, ...
    // The set symbol: the name of its drawing in the symbol generator's catalogue, or
    // empty for an edition printed without one. `RarityColours`: one symbol per rarity
    // (black, silver, gold) as from Exodus on; otherwise one black symbol for all.
    std::string_view Symbol;
    bool RarityColours = false;
};

// Every set, in release order.
const std::vector<TSetInfo>& AllSets();


// The row of a set by the program's two-letter code (exact), or null.
const TSetInfo* FindSet(std::string_view code);
// The index of a set in AllSets() by its two-letter code, or -1.
int SetIndex(std::string_view code);

// The program's set code for a code of any kind (two-letter, MTGJSON, other
// programs') or a set's English name, in any letter case ("7ED", "7e", "ons",
// "Seventh Edition", "Urza's Saga"); empty for a set the program does not know.
std::string SetCodeOf(std::string_view code);
