// The card list: its record filter (sets, card type classes, colour classes), its
// sort index and re-filtering after the filter flags changed.
#include "data/CardText.h"
#include "data/DataModule.h"
#include "data/Settings.h"

#include <string_view>

namespace {

bool BeginsWith(std::string_view text, std::string_view word)
{
    return text.substr(0, word.size()) == word;
}

} // namespace

void TData::CardsTableFilterRecord(TTable& dataSet, bool& accept)
{
    const std::string set = dataSet.FieldByName("Set").AsString();
    const std::string cost = dataSet.FieldByName("Cost").AsString();
    const std::string typeLine = dataSet.FieldByName("Type").AsString();

    // Set: one of the known sets whose flag is on; any other set never passes.
    bool setOk = false;
    for (size_t i = 0; i < SetCodes.size(); ++i)
        if (FilterSets[i] && set == SetCodes[i])
            setOk = true;

    // Type classes, read from the start of the type line after a "Legendary " prefix.
    std::string_view t = typeLine;
    if (BeginsWith(t, "Legendary"))
        t = t.size() > 10 ? t.substr(10) : std::string_view();
    const bool artifactCreature = BeginsWith(t, "Artifact Creature");
    const bool classes[6] = {
        BeginsWith(t, "Artifact") && !artifactCreature,     // artifact
        BeginsWith(t, "Instant"),                           // instant
        BeginsWith(t, "Enchant"),                           // enchantment
        BeginsWith(t, "Sorcery"),                           // sorcery
        BeginsWith(t, "Creature") || artifactCreature,      // creature
        BeginsWith(t, "Land"),                              // land
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
