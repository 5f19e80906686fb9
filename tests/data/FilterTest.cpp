// The card list's record filter, its re-filtering and the sort index name.
#include "DeckTestSupport.h"

#include <algorithm>
#include <functional>
#include <set>

using namespace decktest;

namespace {

// One card per kind the filter tells apart: sets, type lines and costs.
std::vector<BaseCard> FilterCards()
{
    auto card = [](const char* name, const char* set, const char* type, const char* cost) {
        BaseCard c;
        c.Name = name;
        c.Set = set;
        c.Type = type;
        c.Cost = cost;
        return c;
    };
    return {
        card("Elf", "7E", "Creature - Elf", "G"),
        card("Hero", "IN", "Legendary Creature - Human", "2W"),
        card("Relic", "PS", "Legendary Artifact", "3"),
        card("Golem", "AP", "Artifact Creature - Golem", "4"),
        card("Bolt", "OD", "Instant", "R"),
        card("Aura", "TO", "Enchant Creature", "U"),
        card("Altar", "JU", "Enchantment", "1B"),
        card("Ritual", "ON", "Sorcery", "BB"),
        card("Forest", "7E", "Land", ""),
        card("Basic", "7E", "Basic Land", ""),     // begins with none of the six words
        card("Gold", "IN", "Creature - Bird", "1WU"), // multicoloured
        card("Alien", "XX", "Creature - Elf", "G"),   // a set the filter does not know
        card("Wisp", "7E", "Creature - Spirit", "1w"), // lower-case: no colour
        card("Legend", "7E", "Legendary", "G"),        // nothing left after the prefix
    };
}

using Flags = std::function<void(TData&)>;

struct FilterCase {
    const char* what;
    Flags set;
    std::set<std::string> visible;
};

template <size_t N>
void Only(std::array<bool, N>& flags, std::initializer_list<int> on)
{
    flags.fill(false);
    for (int i : on)
        flags[size_t(i)] = true;
}

enum { cWhite, cGreen, cRed, cBlue, cBlack, cMulti, cColourless, cNoCost };
enum { tArtifact, tInstant, tEnchantment, tSorcery, tCreature, tLand };

class FilterTest : public DataFixture {
protected:
    std::set<std::string> Visible()
    {
        std::set<std::string> names;
        TTable& t = D->CardsTable;
        for (t.First(); !t.Eof(); t.Next())
            names.insert(t.FieldByName("Name").AsString());
        return names;
    }
};

} // namespace

TEST_F(FilterTest, CasesOfSetsTypesAndColours)
{
    Open(FilterCards());
    const std::set<std::string> all = {"Elf", "Hero", "Relic", "Golem", "Bolt", "Aura", "Altar",
                                       "Ritual", "Forest", "Gold", "Wisp"};
    const FilterCase cases[] = {
        {"everything on", [](TData&) {}, all},
        {"only 7E", [](TData& d) { d.SetAllSetFilters(false); d.SetSetFilter("7E", true); }, {"Elf", "Forest", "Wisp"}},
        {"all but 7E", [](TData& d) { d.SetAllSetFilters(true); d.SetSetFilter("7E", false); },
         {"Hero", "Relic", "Golem", "Bolt", "Aura", "Altar", "Ritual", "Gold"}},
        {"no set", [](TData& d) { d.SetAllSetFilters(false); }, {}},
        {"artifacts: Legendary Artifact and Artifact Creature",
         [](TData& d) { Only(d.FilterTypes, {tArtifact}); }, {"Relic", "Golem"}},
        {"creatures incl. legendary and artifact creatures",
         [](TData& d) { Only(d.FilterTypes, {tCreature}); }, {"Elf", "Hero", "Golem", "Gold", "Wisp"}},
        {"Enchant and Enchantment", [](TData& d) { Only(d.FilterTypes, {tEnchantment}); }, {"Aura", "Altar"}},
        {"instants and sorceries", [](TData& d) { Only(d.FilterTypes, {tInstant, tSorcery}); },
         {"Bolt", "Ritual"}},
        {"lands: Land yes, Basic Land no", [](TData& d) { Only(d.FilterTypes, {tLand}); }, {"Forest"}},
        {"no type", [](TData& d) { d.FilterTypes.fill(false); }, {}},
        {"green", [](TData& d) { Only(d.FilterColors, {cGreen}); }, {"Elf"}},
        {"1W with only green on is hidden; white shows 2W but not 1WU",
         [](TData& d) { Only(d.FilterColors, {cWhite}); }, {"Hero"}},
        {"white and blue, exact off: multicoloured hidden",
         [](TData& d) { Only(d.FilterColors, {cWhite, cBlue}); }, {"Hero", "Aura"}},
        {"white and blue, exact on: multicoloured shown",
         [](TData& d) { Only(d.FilterColors, {cWhite, cBlue}); d.FilterMultiExact = true; },
         {"Hero", "Aura", "Gold"}},
        {"white only, exact on: blue is off, multicoloured hidden",
         [](TData& d) { Only(d.FilterColors, {cWhite}); d.FilterMultiExact = true; }, {"Hero"}},
        {"multicoloured on whatever white and blue say",
         [](TData& d) { Only(d.FilterColors, {cMulti}); }, {"Gold"}},
        {"colourless with a cost (3, 4 and a lower-case w)",
         [](TData& d) { Only(d.FilterColors, {cColourless}); }, {"Relic", "Golem", "Wisp"}},
        {"no cost", [](TData& d) { Only(d.FilterColors, {cNoCost}); }, {"Forest"}},
        {"red and black", [](TData& d) { Only(d.FilterColors, {cRed, cBlack}); }, {"Bolt", "Altar", "Ritual"}},
        {"no colour", [](TData& d) { d.FilterColors.fill(false); }, {}},
        {"groups combine: 7E creatures that are green",
         [](TData& d) { d.SetAllSetFilters(false); d.SetSetFilter("7E", true); Only(d.FilterTypes, {tCreature}); Only(d.FilterColors, {cGreen}); },
         {"Elf"}},
    };
    for (const auto& c : cases) {
        D->SetAllSetFilters(true);
        D->FilterTypes.fill(true);
        D->FilterColors.fill(true);
        D->FilterMultiExact = false;
        c.set(*D);
        D->RefilterCards();
        EXPECT_EQ(Visible(), c.visible) << c.what;
        EXPECT_EQ(D->FilteredCount(), int(c.visible.size())) << c.what;
    }
}

TEST_F(FilterTest, RefilteringPicksUpChangedFlagsAndEditedCards)
{
    Open(FilterCards());
    Only(D->FilterColors, {cGreen});
    D->RefilterCards();
    EXPECT_EQ(Visible(), (std::set<std::string>{"Elf"}));

    // An edited card is filtered by its new cost.
    ASSERT_TRUE(D->LocateCard("Bolt", "OD", ""));
    TCard bolt;
    D->ReadCard(bolt);
    bolt.Cost = "G";
    D->WriteCard(bolt, false, false, D->BaseTable);
    EXPECT_EQ(Visible(), (std::set<std::string>{"Elf", "Bolt"}));

    D->FilterColors.fill(true);
    D->RefilterCards();
    EXPECT_EQ(D->FilteredCount(), 11);
}

TEST_F(FilterTest, CardListIndexFollowsSortChoiceAndLanguage)
{
    Open({});
    struct Case {
        int sortChoice;
        uint8_t cardTextType;
        const char* index;
    } cases[] = {
        {0, 0, "NameSortR"}, {0, 1, "NameSort"}, {0, 2, "NameSort"},
        {1, 0, "CostSortR"}, {1, 1, "CostSort"}, {1, 2, "CostSort"},
    };
    for (const auto& c : cases) {
        D->SortChoice = c.sortChoice;
        D->ApplySortChoice();
        CardTextType = c.cardTextType;
        EXPECT_EQ(D->CardListIndexName(), c.index);
        D->SelectCardListIndex();
        EXPECT_EQ(D->CardsTable.IndexName(), c.index);
    }
}

TEST_F(FilterTest, CostOrderSortsByCostThenByTheShownName)
{
    auto card = [](const char* name, const char* nameR, int cost) {
        BaseCard c;
        c.Name = name;
        c.Set = "7E";
        c.NameR = W(nameR);
        c.CostValue = cost;
        return c;
    };
    Open({card("Apple", "Яблоко", 2), card("Zebra", "Ёж", 2), card("Moth", "Моль", 1),
          card("Bear", "Еж", 2)});
    auto walk = [&](const char* field) {
        std::vector<std::string> out;
        TTable& t = D->CardsTable;
        for (t.First(); !t.Eof(); t.Next())
            out.push_back(Win1251ToUtf8(t.FieldByName(field).AsString()));
        return out;
    };
    D->SortChoice = 1;
    D->ApplySortChoice();
    CardTextType = 0;
    D->SelectCardListIndex();
    EXPECT_EQ(walk("NameR"), (std::vector<std::string>{"Моль", "Еж", "Ёж", "Яблоко"}));
    CardTextType = 2;
    D->SelectCardListIndex();
    EXPECT_EQ(walk("Name"), (std::vector<std::string>{"Moth", "Apple", "Bear", "Zebra"}));
}
