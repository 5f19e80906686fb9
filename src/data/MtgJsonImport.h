#pragma once
// The card base made from public card data: the set files of MTGJSON (version 3) for
// the sets of the set table (Sets.h), the Russian names and Russian-language printings of later sets, and
// the project's own Russian texts.
//
// One record per card and art variant:
//   Set        the program's two-letter code (SetCodeOf the file's "code")
//   Version    "" for a card with one printing in its set, else "A", "B", ... in
//              collector number order (a starred number after its plain one)
//   Name       the English name; a split card "Fire/Ice", its halves joined by "/"
//   Cost       the mana cost without braces ("{2}{G}" gives "2G"), halves joined by "/"
//   Color      ColorCodeFromCost(Cost); CostValue the converted mana cost (halves added)
//   Rarity     "C", "U", "R" (basic lands "C"); PwrTgh "power/toughness" as printed
//   Type, Text the printed type line and rules text (originalType, originalText) in the
//              rules text markup: " - " for the long dash, "%T" for {T}, "%G" "%2" "%X"
//              for mana symbols, "#(" ... ")#" around reminder text, "~this~" for the
//              card's own name (not in the halves of split cards, whose texts name the
//              half), paragraphs separated by line feeds; split cards join their halves'
//              texts with " // " and write one type line when both halves share it; a
//              basic land's text is its mana symbol ("%G")
//   Flavor     the flavour text, its attribution line "—Name" written "--Name"
//   MtgEncID   the multiverse id
//   NameR ...  Russian: the official name of the most recent printing that has one, the
//              type line, rules and flavour text of the most recent Russian-language
//              printing, in the same markup; where none exists, the project's own text
//              (the extra file), else NameR the English name, TypeR the type line
//              translated part by part and word by word with the glossary's types,
//              then the vocabulary of the official Russian type lines (an unknown word
//              stays English), TextR and FlavorR empty. A flavour text of the project's
//              own goes before an official one: the official flavour comes from a later
//              printing, which often carries another text than these cards.
// Records come in the order of the sets (SetCodes), then of their collector numbers.
//
// Whatever the mapping does not know is reported, one line each, never dropped in
// silence: an unknown mana symbol (kept in braces), a character Windows-1251 lacks (and
// the form written instead), a parenthesis left open, an extra text that an official one
// overrides. The result does not depend on the order of the files or of the folder.
//
// The project's own Russian texts ("--russian-extra"): a JSON array of objects with
// "Name", optionally "Set" (absent: every set), and any of "NameR", "TypeR", "TextR",
// "FlavorR", texts in the markup above. An entry for one set goes before one for all.
// An entry may also hold "Other": a list of the Russian of later printings whose English
// differs from the first printing's, each {"Text": English, "TextR": Russian} or
// {"Flavor": English, "FlavorR": Russian}, taken by the record whose English it is.
// An official text stands over the project's own, except for the fields an entry lists
// in "Corrects" (an official text of a later printing that names what the card's own
// time did not have, or lost a paragraph break).
#include "Library/Common/ExtUtils.h"

#include <QString>

#include <functional>
#include <string>
#include <vector>

class TTable;

class EMtgJsonError : public Exception {
public:
    using Exception::Exception;
};

class TMtgJsonImport {
public:
    std::vector<std::string> SetFiles; // native paths of the eight set files
    std::string RussianDir;            // folder of the Russian data; empty: none
    // The project's own Russian texts: files, or folders of files; none: none.
    std::vector<std::string> RussianExtraFiles;
    // Alternatively to SetFiles: the folder holding the MTGJSON file of every set of
    // the set table (<MTGJSON code>.json).
    std::string SetFolder;
    // The project's glossary (its "types": English type words and phrases -> Russian),
    // which translates the type lines that have no official Russian; empty: none.
    std::string GlossaryFile;
    // What the import reported (UTF-8), in the order of the records.
    std::vector<std::string> Report;

    // Creates `table` with the card base's fields and fills it. Raises EMtgJsonError
    // for a file that cannot be read or is not the expected JSON, or for a set that the
    // program does not know.
    void Run(TTable& table);
};

// The conversions, open for tests. `report` receives one line for each thing that
// could not be mapped as it stands; `where` names the card and field in it.
namespace mtgjson {
using TReport = std::function<void(const QString& line)>;

// "{2}{G}" -> "2G"; an unknown symbol keeps its braces and is reported.
QString CostMarkup(const QString& manaCost, const QString& where, const TReport& report);
// A type line: the long dash as " - ".
QString TypeMarkup(const QString& type);
// Rules text in the markup; selfName (when not empty) becomes "~this~".
QString RulesMarkup(const QString& text, const QString& selfName, const QString& where, const TReport& report);
// Flavour text: attribution lines "—Name" (or "— Name") as "--Name", one line each.
QString FlavorMarkup(const QString& flavor);
// Characters Windows-1251 lacks in their nearest form ("Æ" as "Ae"); each reported.
QString Plain1251(const QString& text, const QString& where, const TReport& report);
} // namespace mtgjson
