// The card list: its record filter (sets, card type classes, colour classes), its
// sort index and re-filtering after the filter flags changed.
#include "data/CardText.h"
#include "data/DataModule.h"
#include "data/Settings.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace {

bool BeginsWith(std::string_view text, std::string_view word)
{
    return text.substr(0, word.size()) == word;
}

// The index of a two-letter set code in AllSets(), looked up in one step.
int SetSlot(std::string_view code)
{
    static const std::vector<int16_t> slots = [] {
        std::vector<int16_t> v(65536, -1);
        for (size_t i = 0; i < AllSets().size(); ++i) {
            const std::string_view c = AllSets()[i].Code;
            v[size_t(uint8_t(c[0])) << 8 | uint8_t(c[1])] = int16_t(i);
        }
        return v;
    }();
    if (code.size() != 2)
        return -1;
    return slots[size_t(uint8_t(code[0])) << 8 | uint8_t(code[1])];
}

} // namespace

void TData::SetSetFilter(std::string_view code, bool on)
{
    const int i = SetSlot(code);
    if (i >= 0 && size_t(i) < FilterSets.size())
        FilterSets[size_t(i)] = on;
}

bool TData::SetFilterOn(std::string_view code) const
{
    const int i = SetSlot(code);
    return i >= 0 && size_t(i) < FilterSets.size() && FilterSets[size_t(i)];
}

void TData::CardsTableFilterRecord(TTable& dataSet, bool& accept)
{
    const std::string set = dataSet.FieldByName("Set").AsString();
    const std::string cost = dataSet.FieldByName("Cost").AsString();
    const std::string typeLine = dataSet.FieldByName("Type").AsString();

    // Set: one of the known sets whose flag is on; any other set never passes.
    const bool setOk = SetFilterOn(set);

    // Type classes, read from the start of the type line after a "Legendary " prefix,
    // in the words of every time: "Summon ..." is a creature, "Interrupt" and "Mana
    // Source" are instants, "Enchant ..." an enchantment, an artifact creature both an
    // artifact and a creature, "Mono", "Poly" and "Continuous Artifact" artifacts.
    std::string_view t = typeLine;
    if (BeginsWith(t, "Legendary"))
        t = t.size() > 10 ? t.substr(10) : std::string_view();
    for (std::string_view kind : {"Mono ", "Poly ", "Continuous "})
        if (BeginsWith(t, kind) && BeginsWith(t.substr(kind.size()), "Artifact"))
            t = t.substr(kind.size());
    const bool artifactCreature = BeginsWith(t, "Artifact Creature");
    const bool classes[6] = {
        BeginsWith(t, "Artifact"),                                                  // artifact
        BeginsWith(t, "Instant") || BeginsWith(t, "Interrupt") || BeginsWith(t, "Mana Source"), // instant
        BeginsWith(t, "Enchant"),                                                   // enchantment
        BeginsWith(t, "Sorcery"),                                                   // sorcery
        BeginsWith(t, "Creature") || BeginsWith(t, "Summon") || artifactCreature,   // creature
        BeginsWith(t, "Land"),                                                      // land
    };
    bool typeOk = false;
    for (int i = 0; i < 6; ++i)
        if (classes[i] && FilterTypes[i])
            typeOk = true;

    // Colour classes from the cost alone, in the filter's order: white, green, red,
    // blue, black.
    const bool has[5] = {cost.find('W') != std::string::npos, cost.find('G') != std::string::npos,
                         cost.find('R') != std::string::npos, cost.find('U') != std::string::npos,
                         cost.find('B') != std::string::npos};
    int n = 0;
    bool v = false;
    for (int i = 0; i < 5; ++i) {
        n += has[i] ? 1 : 0;
        v = v || (has[i] && FilterColors[i]);
    }
    const bool multicoloured = n >= 2;
    const bool colourless = !cost.empty() && n == 0;
    const bool noCost = cost.empty();
    v = v || (multicoloured && FilterColors[5]) || (colourless && FilterColors[6]) || (noCost && FilterColors[7]);
    // A multicoloured card with the multicoloured class off passes only in exact mode,
    // and only when every one of its colours is let through.
    if (multicoloured && !FilterColors[5]) {
        bool all = FilterMultiExact;
        for (int i = 0; i < 5; ++i)
            if (has[i] && !FilterColors[i])
                all = false;
        v = all;
    }

    accept = setOk && typeOk && v;
}

std::string TData::CardListIndexName() const
{
    // The list is always ordered by the name it shows: Russian names for card
    // language 0, English names otherwise.
    return CardTextType == 0 ? SortIndexName + "R" : SortIndexName;
}

int TData::FilteredCount()
{
    return CardsTable.Active() ? CardsTable.RecordCount() : 0;
}

void TData::ApplySortChoice()
{
    SortIndexName = SortChoice == 1 ? "CostSort" : "NameSort";
}

void TData::SelectCardListIndex()
{
    if (CardsTable.Active())
        CardsTable.SetIndexName(CardListIndexName());
}

void TData::RefilterCards()
{
    // The filter callback reads the flags each time it runs, but the engine does not
    // know they changed: switching filtering off and on makes it test every record again.
    if (!CardsTable.Active())
        return;
    CardsTable.SetFiltered(false);
    CardsTable.SetFiltered(true);
}
