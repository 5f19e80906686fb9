#pragma once
// The deck file (.mdc): plain Windows-1251 text, optional "Name:" and "Note:" lines,
// then one line per deck entry such as "  4 [7E] Llanowar Elves" or
// " 20 [7E] Forest (A)". The pieces here are pure text work; reading and writing a
// deck through the data module is TData::LoadDeck / TData::SaveDeck.
#include "Library/Common/ExtUtils.h"
#include "data/DeckFormats.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The conversion error of a count that is not a decimal integer:
// "'4x' is not a valid integer value".
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Decimal integer with an optional sign, nothing else; EConvertError otherwise (also
// when the value does not fit 32 bits).
int32_t DeckStrToInt(const std::string& text);

// Splits file content into lines at CR LF, a lone CR and a lone LF; a last line
// without a line break counts; a zero byte ends the text.
std::vector<std::string> SplitDeckLines(std::string_view content);

// Trims blanks and control characters (codes 0 to 32) from both ends.
std::string TrimDeckText(std::string_view text);

// One line of a deck list as read.
struct TDeckLine {
    enum TKind { dlSkip, dlName, dlNote, dlSection, dlCard };
    TKind Kind = dlSkip;
    std::string Text;     // dlName, dlNote: the text after "Name:"/"Note:", trimmed;
                          // dlSection: the heading in lower case ("sideboard", "main")
    int32_t Count = 0;    // dlCard
    std::string Name;     // dlCard: the name as written ("A // B" read as "A/B")
    std::string Set;      // dlCard: the program's set code, or a code it does not know
    std::string Version;  // dlCard: variant letter, may be empty
};

// Reads one line of a deck list (DeckFormats.h names the forms): empty lines, "//" and
// "#" comments and other programs' layout lines are skipped; "Name:" and "Note:" (any
// letter case) are name and note lines; headings ("Sideboard", "Creatures (24)",
// "[Main]") are sections; anything else is a card line: an optional count ("4", "4x",
// "x4", one copy when there is none), an optional "SB:", the set and variant in their
// several forms, and the name. A count above kMaxDeckLineCount raises
// EDeckFormatError naming the line `lineNumber`.
TDeckLine ParseDeckLine(std::string_view line, int lineNumber = 0);

// The written line of one entry, without the line break: count right-aligned in
// three characters, " [", set, "] ", name, and " (" version ")" when there is one.
std::string DeckEntryLine(int32_t count, std::string_view set, std::string_view name,
                          std::string_view version);

// The text that reports a card line whose card is not in the card base:
// "[IN] X (B)", the set part only with a set, the variant part only with a variant.
std::string DeckNotFoundText(std::string_view name, std::string_view set,
                             std::string_view version);

// The caption of that report.
std::string DeckNotFoundCaption();

// Why such a line was not found, in Russian: no card of that name, and the set when
// the card base has no set of that code.
std::string DeckNotFoundReason(std::string_view set);

