#pragma once
// Deck files of this and other programs: the reader in front of LoadDeck and the
// writers behind SaveDeck. All work on text in memory; the card lookup and the deck
// table are TData's (DeckFile.cpp).
//
// Read, chosen by content (and by the file name's extension where the content could be
// either):
//   - text in Windows-1251, UTF-8 (with or without a byte order mark) or UTF-16 with a
//     byte order mark; characters Windows-1251 lacks, and typographic apostrophes,
//     quotes, dashes and no-break spaces in card names, in their plain form;
//   - text lists: this program's .mdc lines ("  4 [7E] Llanowar Elves (A)"), counts as
//     "4", "4x", "4 x", "x4" (or none: one copy), section and header lines ("Deck",
//     "Sideboard", "Creatures (24)", ...), "SB:" prefixes, Arena and Moxfield lines
//     "4 Name (SET) 123 *F*", XMage "4 [SET:123] Name", Forge ".dck" sections with
//     "Name|SET|art", Magic Workstation "// NAME : deck" headers;
//   - XML: Cockatrice .cod, MTGO .dek;
//   - CSV exports with a header row naming the count, name and set columns.
// Sideboard, commander and maybeboard cards are part of the deck.
//
// Written: .mdc exactly as ever (Windows-1251), plain text lists ("4 Llanowar Elves
// (7ED)", UTF-8), Cockatrice .cod and MTGO .dek (UTF-8 XML). Every written format
// keeps the set and the art variant, so a deck reads back to the same entries.
#include "Library/Common/ExtUtils.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TDeckFormat { Mdc, Text, Cockatrice, Mtgo, Csv };

// One card line as read, before the card lookup. Texts are Windows-1251.
struct TDeckItem {
    int32_t Count = 0;
    std::string Name;    // English or Russian name; a split card as "Fire/Ice"
    std::string Set;     // the program's set code, a code it does not know, or ""
    std::string Version; // art variant letter, or ""
    int Line = 0;        // line number in the file (1-based; 0 for XML)
};

struct TDeckContent {
    TDeckFormat Format = TDeckFormat::Mdc;
    std::string Name; // lines joined by CR
    std::string Note; // lines joined by CR
    std::vector<TDeckItem> Items;
};

// A deck file that cannot be read as a deck: the message names the line.
class EDeckFormatError : public Exception {
public:
    using Exception::Exception;
};

// The largest count of one line, and of the whole deck.
inline constexpr int32_t kMaxDeckLineCount = 9999;
inline constexpr int64_t kMaxDeckTotal = 2147483647;
// The largest deck file and deck line read: nothing of that size is a deck.
inline constexpr int64_t kMaxDeckFileSize = int64_t(64) << 20;
inline constexpr size_t kMaxDeckLineLength = size_t(1) << 20;

// File bytes as Windows-1251 text: the encoding found (byte order mark, valid UTF-8
// with bytes above 127, else Windows-1251), characters the code page lacks in their
// nearest form, a zero byte ending the text.
std::string DeckBytesTo1251(std::string_view bytes);

// The deck in the file's content. `fileName` only helps where the content could be
// either format. Raises EDeckFormatError for XML that is not well formed, a count
// above kMaxDeckLineCount, a deck total beyond kMaxDeckTotal, more than
// kMaxDeckFileSize bytes or a line longer than kMaxDeckLineLength.
TDeckContent ReadDeckContent(std::string_view bytes, std::string_view fileName = {});

// A card name as typed or pasted, in its plain form: typographic apostrophes and
// quotes, dashes and no-break spaces as their ASCII forms, "A // B" as "A/B".
std::string PlainCardName(std::string_view name);

// The format a file name's extension stands for when writing (.mdc, .txt, .cod, .dek;
// anything else: .mdc).
TDeckFormat DeckFormatOfFileName(std::string_view fileName);

// The file's bytes in a written format (Csv is read only: written as Text).
std::string WriteDeckContent(const TDeckContent& deck, TDeckFormat format);
