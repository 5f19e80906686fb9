#pragma once
// The card base's source form: a JSON array with one object per card, in the table's
// natural order. Each object has exactly these keys, in this order:
//   Name, Set, Version, Color, Type, Cost, PwrTgh, Text, Flavor, Rarity,
//   NameR, TypeR, TextR, FlavorR   texts (UTF-8; "" for a field without a value)
//   MtgEncID, CostValue            integers, or null for a field without a value
//
// Canonical formatting (what CardBaseToJson writes, so that a source in this form
// comes back byte for byte): UTF-8 without a byte order mark; "[" on its own line,
// each object indented by 2 spaces and its members by 4, one member per line as
// "key": value, objects separated by "," at the end of their closing line, "]" and a
// line feed at the end; an empty base is "[]" and a line feed. In strings only '"',
// '\' and the control characters are escaped: \n \r \t \b \f, others as \u00xx with
// lower-case hex digits; every other character is written as itself. This is the
// form Python's json.dump(cards, f, ensure_ascii=False, indent=2) gives, plus the
// final line feed.
//
// Reading accepts any valid JSON layout and key order, but every object must have
// all sixteen keys and no other, texts must be strings of characters that Windows-1251
// holds, integers must be whole numbers of 32 bits (or null).
#include "Library/Common/ExtUtils.h"

#include <string>
#include <string_view>

class TTable;

// A source that cannot become a card base: bad JSON (with line and column), a missing
// or unknown key, a value of the wrong kind, a text Windows-1251 cannot hold, a text
// longer than its field, a required field left empty, a card listed twice.
class ECardBaseSourceError : public Exception {
public:
    using Exception::Exception;
};

// The card base table's records in natural order as canonical JSON (UTF-8). The
// table's active index and current record are left as they were.
std::string CardBaseToJson(TTable& table);

// Fills `table` (created here with the card base's fields) from the JSON source, in
// the source's order. Raises ECardBaseSourceError naming the card (its position and
// name) and the field for a record the table would refuse or cut.
void CardBaseFromJson(std::string_view json, TTable& table);
