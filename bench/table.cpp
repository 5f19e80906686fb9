// Table engine on a synthetic card base of 100,000 cards with the card base's fields:
// loading the packet, find-as-you-type (case-insensitive prefix Locate), re-filtering,
// selecting indexes, and posting one change with five indexes to keep in order.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "Library/Common/ExtUtils.h"
#include "data/TableEngine.h"

namespace {

constexpr int kCards = 100000;

const char* const kSets[] = {"7E", "IN", "PS", "AP", "OD", "TO", "JU", "ON", "UN"};
const char* const kTypes[] = {"Creature - Elf", "Legendary Creature - Dragon", "Instant", "Sorcery",
                              "Enchantment", "Enchant Creature", "Artifact", "Artifact Creature - Golem",
                              "Land", "Basic Land - Forest"};
const char* const kCosts[] = {"", "1G", "2WW", "3", "1UB", "XRR", "4", "GGG", "2BR", "W"};

std::string Word(std::mt19937& rng, bool cyrillic)
{
    std::string w;
    int len = 3 + int(rng() % 7);
    for (int i = 0; i < len; ++i) {
        if (cyrillic)
            w.push_back(char((i == 0 ? 0xC0 : 0xE0) + rng() % 32)); // А..Я, а..я
        else
            w.push_back(char((i == 0 ? 'A' : 'a') + rng() % 26));
    }
    return w;
}

// The colour code of a cost (one colour letter, several, none).
std::string ColorOf(const char* cost)
{
    std::string code;
    for (char c : std::string("WBUGR"))
        if (std::string(cost).find(c) != std::string::npos)
            code += c;
    if (code.size() > 1)
        return "Z";
    if (code.empty())
        return *cost ? "A" : "L";
    return code;
}

void DefineCardBase(TTable& t)
{
    t.AddFieldDef("Name", ftString, 80, true);
    t.AddFieldDef("Set", ftString, 2, true);
    t.AddFieldDef("Version", ftString, 1);
    t.AddFieldDef("Color", ftString, 1, true);
    t.AddFieldDef("Cost", ftString, 16);
    t.AddFieldDef("CostValue", ftInteger);
    t.AddFieldDef("Type", ftString, 64, true);
    t.AddFieldDef("PwrTgh", ftString, 12);
    t.AddFieldDef("Rarity", ftString, 1, true);
    t.AddFieldDef("NameR", ftString, 80, true);
    t.AddFieldDef("TypeR", ftString, 64, true);
    t.AddFieldDef("TextR", ftMemo);
    t.AddFieldDef("FlavorR", ftMemo);
    t.AddFieldDef("MtgEncID", ftInteger);
    t.AddFieldDef("Text", ftMemo);
    t.AddFieldDef("Flavor", ftMemo);
    t.CreateDataSet();
}

const std::string& Packet()
{
    static const std::string packet = [] {
        std::mt19937 rng(2024);
        TTable t;
        DefineCardBase(t);
        TField& name = t.FieldByName("Name");
        TField& set = t.FieldByName("Set");
        TField& version = t.FieldByName("Version");
        TField& color = t.FieldByName("Color");
        TField& cost = t.FieldByName("Cost");
        TField& costValue = t.FieldByName("CostValue");
        TField& type = t.FieldByName("Type");
        TField& pwr = t.FieldByName("PwrTgh");
        TField& rarity = t.FieldByName("Rarity");
        TField& nameR = t.FieldByName("NameR");
        TField& typeR = t.FieldByName("TypeR");
        TField& textR = t.FieldByName("TextR");
        TField& text = t.FieldByName("Text");
        TField& id = t.FieldByName("MtgEncID");
        const std::string typeRText = Utf8ToWin1251("Существо - Эльф");
        for (int i = 0; i < kCards; ++i) {
            t.Append();
            name.SetAsString(Word(rng, false) + " " + Word(rng, false));
            set.SetAsString(kSets[rng() % 9]);
            if (rng() % 10 == 0)
                version.SetAsString(std::string(1, char('A' + rng() % 4)));
            const char* c = kCosts[rng() % 10];
            color.SetAsString(ColorOf(c));
            cost.SetAsString(c);
            costValue.SetAsInteger(int32_t(rng() % 8));
            type.SetAsString(kTypes[rng() % 10]);
            pwr.SetAsString("2/2");
            rarity.SetAsString("C");
            nameR.SetAsString(Word(rng, true) + " " + Word(rng, true));
            typeR.SetAsString(typeRText);
            text.SetAsString("Tap: add G to your mana pool. " + Word(rng, false));
            textR.SetAsString(Utf8ToWin1251("Поверните: добавьте G в ваше хранилище маны."));
            id.SetAsInteger(i + 1);
            t.Post();
        }
        return t.SaveToBytes();
    }();
    return packet;
}

// The card list's kind of filter: set, type and cost tests on three short texts.
void CardFilter(TTable& t, bool& accept)
{
    static TField* set = nullptr;
    static TField* type = nullptr;
    static TField* cost = nullptr;
    static TTable* bound = nullptr;
    if (bound != &t) {
        set = &t.FieldByName("Set");
        type = &t.FieldByName("Type");
        cost = &t.FieldByName("Cost");
        bound = &t;
    }
    std::string s = set->AsString();
    accept = s != "UN" && s != "PS" && type->AsString().rfind("Basic", 0) != 0 &&
             cost->AsString().find('B') == std::string::npos;
}

// The card base with its clone and the card list's indexes, loaded once.
struct CardBase {
    TTable Base;
    TTable Cards;
    CardBase()
    {
        Base.LoadFromBytes(Packet());
        Base.AddIndex("NameSort", "Name;Set;Version");
        Base.SetIndexName("NameSort");
        Cards.CloneCursor(Base);
        Cards.AddIndex("NameSort", "Name;Set;Version");
        Cards.AddIndex("NameSortR", "NameR;Set;Version");
        Cards.AddIndex("CostSort", "CostValue;Name;Set;Version");
        Cards.AddIndex("CostSortR", "CostValue;NameR;Set;Version");
        Cards.SetOnFilterRecord(CardFilter);
        Cards.SetFiltered(true);
        for (const char* i : {"NameSortR", "CostSort", "CostSortR", "NameSort"})
            Cards.SetIndexName(i);
    }
};

CardBase& Shared()
{
    static CardBase base;
    return base;
}

void BM_LoadPacket(benchmark::State& state)
{
    const std::string& packet = Packet();
    for (auto _ : state) {
        TTable t;
        t.LoadFromBytes(packet);
        benchmark::DoNotOptimize(t.RecordCount());
    }
    state.counters["bytes"] = double(packet.size());
}
BENCHMARK(BM_LoadPacket)->Unit(benchmark::kMillisecond);

void BM_SavePacket(benchmark::State& state)
{
    CardBase& cb = Shared();
    for (auto _ : state)
        benchmark::DoNotOptimize(cb.Base.SaveToBytes());
}
BENCHMARK(BM_SavePacket)->Unit(benchmark::kMillisecond);

// Typing a name into the find box: prefixes of growing length, case-insensitive.
void BM_LocatePrefixNameSort(benchmark::State& state)
{
    CardBase& cb = Shared();
    cb.Cards.SetIndexName("NameSort");
    cb.Cards.Last();
    const std::string name = LowerCase1251(cb.Cards.FieldByName("Name").AsString());
    size_t len = 1;
    for (auto _ : state) {
        bool found = cb.Cards.Locate("Name", {name.substr(0, len)}, loCaseInsensitive | loPartialKey);
        benchmark::DoNotOptimize(found);
        len = len % name.size() + 1;
    }
}
BENCHMARK(BM_LocatePrefixNameSort)->Unit(benchmark::kMicrosecond);

// The same while the list is sorted by cost: no index helps, the scan runs.
void BM_LocatePrefixCostSort(benchmark::State& state)
{
    CardBase& cb = Shared();
    cb.Cards.SetIndexName("CostSort");
    cb.Cards.Last();
    const std::string name = LowerCase1251(cb.Cards.FieldByName("Name").AsString());
    for (auto _ : state)
        benchmark::DoNotOptimize(cb.Cards.Locate("Name", {name}, loCaseInsensitive | loPartialKey));
    cb.Cards.SetIndexName("NameSort");
}
BENCHMARK(BM_LocatePrefixCostSort)->Unit(benchmark::kMillisecond);

void BM_FilterOffOn(benchmark::State& state)
{
    CardBase& cb = Shared();
    for (auto _ : state) {
        cb.Cards.SetFiltered(false);
        cb.Cards.SetFiltered(true);
        benchmark::DoNotOptimize(cb.Cards.RecordCount());
    }
    state.counters["visible"] = double(cb.Cards.RecordCount());
}
BENCHMARK(BM_FilterOffOn)->Unit(benchmark::kMillisecond);

// Selecting one of the card list's (already built) indexes, filter on.
void BM_SelectIndex(benchmark::State& state)
{
    CardBase& cb = Shared();
    const char* names[] = {"NameSort", "NameSortR", "CostSort", "CostSortR"};
    int i = 0;
    for (auto _ : state) {
        cb.Cards.SetIndexName(names[i]);
        i = (i + 1) % 4;
    }
    cb.Cards.SetIndexName("NameSort");
}
BENCHMARK(BM_SelectIndex)->Unit(benchmark::kMillisecond);

// The first selection of an index sorts the card base (no other cursor over the data
// keeps that order yet).
void BM_FirstSelectIndex(benchmark::State& state)
{
    static TTable plain;
    if (!plain.Active())
        plain.LoadFromBytes(Packet());
    const char* fields[] = {"Name;Set;Version", "NameR;Set;Version", "CostValue;Name;Set;Version",
                            "CostValue;NameR;Set;Version"};
    const char* f = fields[state.range(0)];
    for (auto _ : state) {
        TTable clone;
        clone.CloneCursor(plain);
        clone.AddIndex("X", f);
        clone.SetIndexName("X");
        benchmark::DoNotOptimize(clone.RecordCount());
    }
    state.SetLabel(f);
}
BENCHMARK(BM_FirstSelectIndex)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Editing one card's name: five indexes and the filtered view move it.
void BM_EditPost(benchmark::State& state)
{
    CardBase& cb = Shared();
    std::mt19937 rng(7);
    TField& name = cb.Base.FieldByName("Name");
    TField& nameR = cb.Base.FieldByName("NameR");
    for (auto _ : state) {
        cb.Base.SetRecNo(int(rng() % unsigned(cb.Base.RecordCount())) + 1);
        cb.Base.Edit();
        name.SetAsString(Word(rng, false) + " " + Word(rng, false));
        nameR.SetAsString(Word(rng, true));
        cb.Base.Post();
    }
}
BENCHMARK(BM_EditPost)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
