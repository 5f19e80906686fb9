// Table engine: cursors over shared data, indexes, fields, filter, events, notices.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "TableTestSupport.h"

using namespace tabletest;
using Names = std::vector<std::string>;

namespace {

class TableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        MakeCardTable(Base);
        for (const Row& r : std::vector<Row>{
                 {"Llanowar Elves", "7E", "", 1, W("Эльфы Лановара")},
                 {"Forest", "7E", "A", TValue(), W("Лес")},
                 {"Shivan Dragon", "7E", "", 6, W("Шиванский дракон")},
                 {"Forest", "IN", "", TValue(), W("Лес")},
                 {"Giant Growth", "IN", "", 1, W("Гигантский рост")},
                 {"Forest", "7E", "", TValue(), W("Лес")},
             })
            AddRow(Base, r);
        Base.AddIndex("NameSort", "Name;Set;Version");
        Base.SetIndexName("NameSort");
        Cards.CloneCursor(Base);
        Cards.AddIndex("NameSort", "Name;Set;Version");
        Cards.AddIndex("NameSortR", "NameR;Set;Version");
        Cards.AddIndex("CostSort", "CostValue;Name;Set;Version");
    }
    TTable Base;
    TTable Cards;
};

} // namespace

TEST_F(TableTest, ClonesSeeEachOthersChangesAndKeepTheirOwnIndexes)
{
    // Build CostSort and NameSortR, then leave them inactive: they must be kept in
    // order incrementally while Cards shows NameSort.
    Cards.SetIndexName("CostSort");
    Cards.SetIndexName("NameSortR");
    Cards.SetIndexName("NameSort");
    EXPECT_EQ(Cards.RecordCount(), 6);

    // Insert through the clone: the base sees it at once, in its own order.
    AddRow(Cards, {"Birds of Paradise", "7E", "", 1, W("Райские птицы")});
    EXPECT_EQ(Base.RecordCount(), 7);
    EXPECT_EQ(Rows(Base).front(), "Birds of Paradise");
    EXPECT_EQ(Cards.FieldByName("Name").AsString(), "Birds of Paradise"); // posted record is current

    // Change through the base: the clone's indexes follow.
    ASSERT_TRUE(Base.Locate("Name;Set;Version", {"Shivan Dragon", "7E", ""}));
    Base.Edit();
    Base.FieldByName("Name").SetAsString("Ancient Dragon");
    Base.FieldByName("CostValue").SetAsInteger(0);
    Base.Post();
    EXPECT_EQ(Rows(Cards), (Names{"Ancient Dragon", "Birds of Paradise", "Forest", "Forest", "Forest",
                                  "Giant Growth", "Llanowar Elves"}));

    // Delete through the clone.
    ASSERT_TRUE(Cards.Locate("Name", {"Giant Growth"}));
    Cards.Delete();
    EXPECT_FALSE(Base.Locate("Name", {"Giant Growth"}));
    EXPECT_EQ(Base.RecordCount(), 6);

    Cards.SetIndexName("CostSort"); // nulls first, then by number, then by name
    EXPECT_EQ(Rows(Cards), (Names{"Forest", "Forest", "Forest", "Ancient Dragon", "Birds of Paradise",
                                  "Llanowar Elves"}));
    Cards.SetIndexName("NameSortR");
    EXPECT_EQ(Rows(Cards, "NameR"), (Names{W("Лес"), W("Лес"), W("Лес"), W("Райские птицы"),
                                           W("Шиванский дракон"), W("Эльфы Лановара")}));
    // Ties in a non-unique index follow the rest of the key, then insertion order.
    EXPECT_EQ(Rows(Cards, "Set"), (Names{"7E", "7E", "IN", "7E", "7E", "7E"}));
    EXPECT_EQ(Rows(Cards, "Version"), (Names{"", "A", "", "", "", ""}));
}

TEST_F(TableTest, EachCursorKeepsItsOwnCurrentRecordAndFilter)
{
    Cards.SetIndexName("NameSort");
    Cards.SetOnFilterRecord([](TTable& t, bool& accept) { accept = t.FieldByName("Set").AsString() == "IN"; });
    Cards.SetFiltered(true);
    EXPECT_EQ(Cards.RecordCount(), 2);
    EXPECT_EQ(Base.RecordCount(), 6);
    Base.Last();
    Cards.First();
    EXPECT_EQ(Base.FieldByName("Name").AsString(), "Shivan Dragon");
    EXPECT_EQ(Cards.FieldByName("Name").AsString(), "Forest");
    EXPECT_EQ(Cards.FieldByName("Set").AsString(), "IN");
}

TEST(TableIndex, OrdersLatinAndCyrillicTextsAndNumbers)
{
    TTable t;
    MakeCardTable(t);
    const Names names = {W("Жук"), "beta", W("Ёж"), "Alpha", W("ель"), "alpha", W("Ежевика"),
                         "Zeta", "123", W("Апельсин"), W("Ель"), W("яблоко")};
    int cost = 0;
    for (const std::string& n : names)
        AddRow(t, {n, "7E", "", (cost++ * 7) % 5 - 1, ""});
    t.AddIndex("ByName", "Name");
    t.SetIndexName("ByName");
    // Digits, Latin, then Cyrillic in alphabet order with Ё right after Е; lower case
    // before upper case of the same letters.
    EXPECT_EQ(Rows(t), (Names{"123", "alpha", "Alpha", "beta", "Zeta", W("Апельсин"), W("Ежевика"), W("ель"),
                              W("Ель"), W("Ёж"), W("Жук"), W("яблоко")}));
    t.AddIndex("ByCost", "CostValue");
    t.SetIndexName("ByCost");
    std::vector<int32_t> costs;
    for (int r = 0; r < t.VisibleCount(); ++r)
        costs.push_back(t.RowInteger(r, t.FieldIndex("CostValue")));
    EXPECT_TRUE(std::is_sorted(costs.begin(), costs.end())) << "integers order numerically";
    t.SetIndexName("");
    EXPECT_EQ(Rows(t), names) << "no index: insertion order";
}

TEST(TableIndex, SortingAllRecordsAgreesWithInsertingOneByOne)
{
    // Long shared beginnings, case pairs, Е/Ё, nulls and negative numbers, equal keys.
    const std::vector<Row> rows = {
        {"Forest of the Elves B", "7E", "", 3, W("Лес эльфов")},
        {"forest of the elves a", "7E", "", TValue(), W("лес эльфов")},
        {"Forest of the Elves", "7E", "", -5, W("Лес Эльфов")},
        {"Forest of the Elves B", "7E", "", 3, W("Ёлка")},
        {"FOREST OF THE ELVES A", "IN", "B", 0, W("Елка")},
        {"Forest", "7E", "", -2147483647 - 1, W("Ёж")},
        {"Forest of the Elves B", "7E", "", 3, W("Еж")},
        {W("Ёлка лесная"), "ON", "", 2147483647, W("Ежевика")},
        {W("Елка лесная"), "ON", "", TValue(), W("ежевика")},
        {"!", "ON", "", 1, ""},
    };
    const std::vector<std::pair<const char*, const char*>> indexes = {
        {"ByName", "Name;Set;Version"}, {"ByNameR", "NameR;Set;Version"},
        {"ByCost", "CostValue;Name;Set;Version"}, {"ByCostR", "CostValue;NameR;Set;Version"},
        {"BySetCost", "Set;CostValue"}};
    TTable sorted, incremental;
    MakeCardTable(sorted);
    MakeCardTable(incremental);
    for (auto [name, fields] : indexes) {
        incremental.AddIndex(name, fields);
        incremental.SetIndexName(name); // built while empty, then kept in order
    }
    for (const Row& r : rows) {
        AddRow(sorted, r);
        AddRow(incremental, r);
    }
    for (auto [name, fields] : indexes) {
        SCOPED_TRACE(name);
        sorted.AddIndex(name, fields);
        sorted.SetIndexName(name); // sorts the records present
        incremental.SetIndexName(name);
        for (const char* f : {"Name", "NameR", "Set", "CostValue"})
            EXPECT_EQ(Rows(sorted, f), Rows(incremental, f)) << f;
        // And the order is the key order, ties in insertion order.
        for (int r = 1; r < sorted.VisibleCount(); ++r) {
            int c = 0;
            std::string list = fields;
            for (size_t start = 0; c == 0 && start <= list.size();) {
                size_t end = std::min(list.find(';', start), list.size());
                int f = sorted.FieldIndex(list.substr(start, end - start));
                if (sorted.FieldDefs()[size_t(f)].DataType == ftInteger) {
                    bool an = sorted.RowIsNull(r - 1, f), bn = sorted.RowIsNull(r, f);
                    int32_t a = sorted.RowInteger(r - 1, f), b = sorted.RowInteger(r, f);
                    c = an != bn ? (an ? -1 : 1) : (a < b ? -1 : (a > b ? 1 : 0));
                } else {
                    c = CollateCompare1251(sorted.RowString(r - 1, f), sorted.RowString(r, f));
                }
                start = end + 1;
            }
            EXPECT_LE(c, 0) << "rows " << r - 1 << " and " << r;
            if (c == 0)
                EXPECT_LT(sorted.RowBookmark(r - 1).Id, sorted.RowBookmark(r).Id) << "ties keep insertion order";
        }
    }
}

TEST(TableIndex, UniqueIndexRefusesDuplicateKeysAndKeepsTheEditOpen)
{
    TTable deck;
    deck.AddFieldDef("Name", ftString, 80);
    deck.AddFieldDef("Set", ftString, 2);
    deck.AddFieldDef("Version", ftString, 1);
    deck.AddFieldDef("Count", ftInteger);
    deck.AddFieldDef("ID", ftAutoInc);
    deck.CreateDataSet();
    deck.AddIndex("SetSort", "Set;Name;Version", ixUnique);
    deck.AddIndex("IDSort", "ID");
    deck.SetIndexName("IDSort");
    auto add = [&](const char* name, const char* set, const char* version) {
        deck.Append();
        deck.FieldByName("Name").SetAsString(name);
        deck.FieldByName("Set").SetAsString(set);
        deck.FieldByName("Version").SetAsString(version);
        deck.FieldByName("Count").SetAsInteger(1);
        deck.Post();
    };
    add("Forest", "7E", "");
    add("Forest", "7E", "A"); // another variant: a separate entry
    add("Forest", "IN", "");  // another set: a separate entry
    try {
        add("Forest", "7E", "");
        FAIL() << "duplicate posted";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Key violation.");
    }
    EXPECT_EQ(deck.State(), dsInsert);
    deck.Cancel();
    EXPECT_EQ(deck.RecordCount(), 3);

    // Editing into an existing key fails the same way and stays in edit.
    deck.Last();
    deck.Edit();
    deck.FieldByName("Set").SetAsString("7E");
    EXPECT_THROW(deck.Post(), EDatabaseError);
    EXPECT_EQ(deck.State(), dsEdit);
    deck.Cancel();
    // Re-posting a record with its own key is fine.
    deck.Edit();
    deck.FieldByName("Count").SetAsInteger(4);
    EXPECT_NO_THROW(deck.Post());

    // A unique index over records that already repeat a key is refused.
    EXPECT_THROW(deck.AddIndex("ByName", "Name", ixUnique), EDatabaseError);
    EXPECT_EQ(deck.IndexDefs().size(), 2u);
}

TEST(TableFields, RequiredFieldsCutStringsNullsAndConversions)
{
    TTable t;
    MakeCardTable(t);
    t.Append();
    t.FieldByName("Name").SetAsString("Forest");
    t.FieldByName("Set").SetAsString(""); // empty counts as no value
    try {
        t.Post();
        FAIL() << "posted without Set";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Field 'Set' must have a value");
    }
    EXPECT_EQ(t.State(), dsInsert);
    EXPECT_EQ(t.RecordCount(), 0);

    t.FieldByName("Set").SetAsString("7ED"); // cut to the field's size
    const std::string longText(5000, 'x');
    t.FieldByName("Text").SetAsString(longText);
    t.FieldByName("CostValue").SetAsString(" -12 ");
    t.Post();
    EXPECT_EQ(t.FieldByName("Set").AsString(), "7E");
    EXPECT_EQ(t.FieldByName("Text").AsString(), longText);
    EXPECT_EQ(t.FieldByName("CostValue").AsInteger(), -12);
    EXPECT_EQ(t.FieldByName("CostValue").AsString(), "-12");
    EXPECT_TRUE(t.FieldByName("Version").IsNull());
    EXPECT_EQ(t.FieldByName("Version").AsString(), "");
    EXPECT_EQ(t.FieldByName("NameR").AsInteger(), 0);

    t.Edit();
    EXPECT_THROW(t.FieldByName("CostValue").SetAsString("4x"), EDatabaseError);
    t.FieldByName("CostValue").Clear();
    t.Post();
    EXPECT_TRUE(t.FieldByName("CostValue").IsNull());
    EXPECT_EQ(t.FieldByName("CostValue").AsInteger(), 0);

    // Writing outside edit or insert state is refused.
    EXPECT_THROW(t.FieldByName("Name").SetAsString("x"), EDatabaseError);
    EXPECT_THROW(t.FieldByName("NoSuchField"), EDatabaseError);
    EXPECT_EQ(&t.FieldByName("name"), &t.FieldByName("Name")) << "field names ignore case";
}

TEST(TableFields, AutoIncrementIncreasesAndIsNeverReused)
{
    TTable t;
    t.AddFieldDef("Name", ftString, 10);
    t.AddFieldDef("ID", ftAutoInc);
    t.CreateDataSet();
    std::vector<int32_t> ids;
    for (const char* n : {"a", "b", "c"}) {
        t.Append();
        t.FieldByName("Name").SetAsString(n);
        t.Post();
        ids.push_back(t.FieldByName("ID").AsInteger());
    }
    EXPECT_TRUE(ids[0] < ids[1] && ids[1] < ids[2]);
    t.Last();
    t.Delete();
    t.EmptyDataSet();
    t.Append();
    t.FieldByName("Name").SetAsString("d");
    t.Post();
    EXPECT_GT(t.FieldByName("ID").AsInteger(), ids[2]);
}

TEST_F(TableTest, FilterCountsAcceptedRecordsAndRefiltersWhenSwitchedOnAgain)
{
    std::string wanted = "7E";
    int calls = 0;
    Cards.SetIndexName("NameSort");
    Cards.SetOnFilterRecord([&](TTable& t, bool& accept) {
        ++calls;
        accept = t.FieldByName("Set").AsString() == wanted; // reads the record under test
    });
    EXPECT_EQ(calls, 0) << "no filtering before it is switched on";
    Cards.SetFiltered(true);
    EXPECT_EQ(Cards.RecordCount(), 4);
    EXPECT_EQ(Walk(Cards), (Names{"Forest", "Forest", "Llanowar Elves", "Shivan Dragon"}));

    wanted = "IN"; // the engine does not notice...
    EXPECT_EQ(Cards.RecordCount(), 4);
    Cards.SetFiltered(false); // ...until filtering is switched off and on
    EXPECT_EQ(Cards.RecordCount(), 6);
    Cards.SetFiltered(true);
    EXPECT_EQ(Walk(Cards), (Names{"Forest", "Giant Growth"}));

    // Records added through the other cursor are filtered by their values.
    AddRow(Base, {"Anaconda", "IN", "", 4, ""});
    AddRow(Base, {"Armageddon", "7E", "", 4, ""});
    EXPECT_EQ(Rows(Cards), (Names{"Anaconda", "Forest", "Giant Growth"}));

    // A record posted through the cursor whose filter then hides it: the cursor moves
    // to the record that follows its place.
    ASSERT_TRUE(Cards.Locate("Name", {"Forest"}));
    Cards.Edit();
    Cards.FieldByName("Set").SetAsString("7E");
    Cards.Post();
    EXPECT_EQ(Cards.RecordCount(), 2);
    EXPECT_EQ(Cards.FieldByName("Name").AsString(), "Giant Growth");

    // Filtering hides everything: an empty, consistent view.
    wanted = "??";
    Cards.SetFiltered(false);
    Cards.SetFiltered(true);
    EXPECT_EQ(Cards.RecordCount(), 0);
    EXPECT_TRUE(Cards.Eof());
    EXPECT_TRUE(Cards.Bof());
    EXPECT_EQ(Cards.FieldByName("Name").AsString(), "");
}

namespace {

// A reference for Locate: the first visible row, in order, that matches.
int ExpectedRow(const TTable& t, const std::vector<std::string>& fields, const std::vector<std::string>& values,
                TLocateOptions options)
{
    for (int r = 0; r < t.VisibleCount(); ++r) {
        bool all = true;
        for (size_t j = 0; j < fields.size(); ++j) {
            std::string v = t.RowString(r, t.FieldIndex(fields[j]));
            const std::string& w = values[j];
            bool ok;
            if (options & loPartialKey) {
                ok = v.size() >= w.size() && ((options & loCaseInsensitive)
                                                  ? LowerCase1251(v.substr(0, w.size())) == LowerCase1251(w)
                                                  : v.compare(0, w.size(), w) == 0);
            } else {
                ok = (options & loCaseInsensitive) ? LowerCase1251(v) == LowerCase1251(w) : v == w;
            }
            all = all && ok;
        }
        if (all)
            return r;
    }
    return -1;
}

} // namespace

TEST(TableLocate, FindsTheFirstMatchInTheCurrentOrderThroughTheFilter)
{
    TTable t;
    MakeCardTable(t);
    const std::vector<Row> rows = {
        {"Akroma's Vengeance", "ON", "", 6, W("Месть Акромы")},
        {"Abyssal Specter", "7E", "", 4, W("Бездонный призрак")},
        {"akroma's blessing", "ON", "", 3, W("Благословение Акромы")},
        {"Ach! Hans, Run!", "UN", "", 6, W("Ах! Ганс, беги!")},
        {"Forest", "7E", "B", TValue(), W("Лес")},
        {"Forest", "7E", "", TValue(), W("Лес")},
        {"Forest", "7E", "A", TValue(), W("Лес")},
        {"AKROMA", "ON", "", 8, W("Ёлка")},
        {"Akroma", "ON", "", 8, W("Елка")},
        {"Akr", "IN", "", 1, W("ёж")},
    };
    for (const Row& r : rows)
        AddRow(t, r);
    t.AddIndex("NameSort", "Name;Set;Version");
    t.AddIndex("NameSortR", "NameR;Set;Version");

    struct Case {
        std::vector<std::string> fields;
        std::vector<std::string> values;
        TLocateOptions options;
    };
    const std::vector<Case> cases = {
        {{"Name"}, {"Akroma's Vengeance"}, 0},                    // apostrophe, exact
        {{"Name"}, {"akroma's vengeance"}, 0},                    // case differs: no match
        {{"Name"}, {"akroma's vengeance"}, loCaseInsensitive},
        {{"Name"}, {"akr"}, loCaseInsensitive | loPartialKey},
        {{"Name"}, {"Akr"}, loPartialKey},
        {{"Name"}, {"akroma"}, loCaseInsensitive},
        {{"Name"}, {"Akroma'"}, loPartialKey},
        {{"Name"}, {"Ach! Hans, Run!"}, 0},
        {{"Name"}, {"Zzz"}, loCaseInsensitive | loPartialKey},
        {{"Name"}, {""}, loPartialKey},
        {{"Name", "Set", "Version"}, {"Forest", "7E", ""}, 0},   // empty version: the card without variant
        {{"Name", "Set", "Version"}, {"Forest", "7E", "A"}, 0},
        {{"Set", "Name"}, {"ON", "akroma"}, loCaseInsensitive},
        {{"NameR"}, {W("ЕЛ")}, loCaseInsensitive | loPartialKey}, // Е is not Ё
        {{"NameR"}, {W("ёЖ")}, loCaseInsensitive},
        {{"NameR"}, {W("Лес")}, 0},
    };
    bool hideFirst = false;
    t.SetOnFilterRecord([&](TTable& tt, bool& accept) {
        accept = !(hideFirst && tt.FieldByName("Name").AsString() == "akroma's blessing");
    });
    for (const char* index : {"", "NameSort", "NameSortR"})
        for (bool filtered : {false, true}) {
            hideFirst = filtered;
            t.SetIndexName(index);
            t.SetFiltered(filtered);
            for (const Case& c : cases) {
                std::string fields;
                std::vector<TValue> values;
                for (size_t j = 0; j < c.fields.size(); ++j) {
                    fields += (j ? ";" : "") + c.fields[j];
                    values.emplace_back(c.values[j]);
                }
                SCOPED_TRACE(std::string("index '") + index + "' filtered " + std::to_string(filtered) + ": " +
                             fields + " = " + c.values[0] + " options " + std::to_string(c.options));
                t.Last();
                const TBookmark before = t.GetBookmark();
                const int expected = ExpectedRow(t, c.fields, c.values, c.options);
                const bool found = t.Locate(fields, values, c.options);
                EXPECT_EQ(found, expected >= 0);
                if (expected >= 0)
                    EXPECT_EQ(t.CurrentRow(), expected);
                else
                    EXPECT_EQ(t.GetBookmark(), before) << "the current record stays";
            }
        }
    // Spot checks of the reference itself.
    t.SetFiltered(false);
    t.SetIndexName("NameSort");
    ASSERT_TRUE(t.Locate("Name", {"akr"}, loCaseInsensitive | loPartialKey));
    EXPECT_EQ(t.FieldByName("Name").AsString(), "Akr");
    ASSERT_TRUE(t.Locate("Name", {"akroma'"}, loCaseInsensitive | loPartialKey));
    EXPECT_EQ(t.FieldByName("Name").AsString(), "akroma's blessing");
    ASSERT_TRUE(t.Locate("Name;Set;Version", {"Forest", "7E", ""}));
    EXPECT_EQ(t.FieldByName("Version").AsString(), "");
}

TEST_F(TableTest, FindKeyAndRangeOnTheActiveIndex)
{
    ASSERT_TRUE(Base.FindKey({"Forest", "7E", "A"}));
    EXPECT_EQ(Base.FieldByName("Version").AsString(), "A");
    ASSERT_TRUE(Base.FindKey({"Forest", "7E", ""}));
    EXPECT_TRUE(Base.FieldByName("Version").IsNull());
    EXPECT_FALSE(Base.FindKey({"Forest", "7E", "B"}));
    EXPECT_TRUE(Base.FieldByName("Version").IsNull()) << "the current record stays";
    EXPECT_FALSE(Base.FindKey({"forest", "7E", ""})) << "key search is case-sensitive";
    ASSERT_TRUE(Base.FindKey({"Forest"})); // leading fields only
    EXPECT_EQ(Base.FieldByName("Set").AsString(), "7E");

    Base.SetRange({"Forest"}, {"Forest"});
    EXPECT_EQ(Base.RecordCount(), 3);
    EXPECT_EQ(Walk(Base, "Set"), (Names{"7E", "7E", "IN"}));
    Base.Last();
    Base.CancelRange();
    EXPECT_EQ(Base.RecordCount(), 6);
    EXPECT_EQ(Base.FieldByName("Set").AsString(), "IN") << "cancelling the range keeps the current record";
    EXPECT_EQ(Base.FieldByName("Name").AsString(), "Forest");

    Base.SetRange({"G"}, {"M"});
    EXPECT_EQ(Walk(Base), (Names{"Giant Growth", "Llanowar Elves"}));
    // A record added inside the range appears; one outside does not.
    AddRow(Cards, {"Hurricane", "7E", "", 2, ""});
    AddRow(Cards, {"Zephyr", "7E", "", 2, ""});
    EXPECT_EQ(Rows(Base), (Names{"Giant Growth", "Hurricane", "Llanowar Elves"}));
    Base.SetIndexName("");
    EXPECT_EQ(Base.RecordCount(), 8) << "changing the index cancels the range";
    EXPECT_THROW(Base.FindKey({"Forest"}), EDatabaseError) << "key search needs an index";
}

TEST_F(TableTest, BookmarksSurviveChangesAndFailCleanlyForDeletedRecords)
{
    ASSERT_TRUE(Base.Locate("Name", {"Llanowar Elves"}));
    TBookmark elves = Base.GetBookmark();
    Base.First();
    AddRow(Cards, {"Aaa", "7E", "", 1, ""}); // shifts every row
    Base.GotoBookmark(elves);
    EXPECT_EQ(Base.FieldByName("Name").AsString(), "Llanowar Elves");
    EXPECT_TRUE(Base.BookmarkValid(elves));

    Base.First();
    ASSERT_TRUE(Cards.Locate("Name", {"Llanowar Elves"}));
    Cards.Delete();
    EXPECT_FALSE(Base.BookmarkValid(elves));
    try {
        Base.GotoBookmark(elves);
        FAIL() << "went to a deleted record";
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Record not found");
    }
    EXPECT_EQ(Base.FieldByName("Name").AsString(), "Aaa") << "a failed goto leaves the cursor";

    TBookmark none;
    EXPECT_NO_THROW(Base.GotoBookmark(none));
    Base.FreeBookmark(elves);
    EXPECT_TRUE(elves.Empty());
}

TEST_F(TableTest, NavigationEndsAndRecNo)
{
    Base.First();
    EXPECT_TRUE(Base.Bof());
    EXPECT_FALSE(Base.Eof());
    EXPECT_EQ(Base.RecNo(), 1);
    Base.Prior();
    EXPECT_TRUE(Base.Bof());
    EXPECT_EQ(Base.RecNo(), 1);
    Base.Last();
    EXPECT_EQ(Base.RecNo(), 6);
    EXPECT_TRUE(Base.Eof()) << "Last sets the end flag";
    Base.Prior();
    EXPECT_FALSE(Base.Eof());
    Base.Next();
    EXPECT_FALSE(Base.Eof());
    Base.Next();
    EXPECT_TRUE(Base.Eof());
    EXPECT_EQ(Base.RecNo(), 6);
    Base.SetRecNo(3);
    EXPECT_EQ(Base.FieldByName("Set").AsString(), "IN");
    EXPECT_EQ(Base.FieldByName("Name").AsString(), "Forest");
    EXPECT_EQ(Base.MoveBy(10), 3);
    EXPECT_TRUE(Base.Eof());
    // Deleting the last record leaves the cursor at the end, so a walk ends.
    Base.Delete();
    EXPECT_TRUE(Base.Eof());
    EXPECT_EQ(Base.FieldByName("Name").AsString(), "Llanowar Elves");
}

namespace {

// Applies the notices to its own copy of the rows; after each change the copy must
// equal the table's rows.
struct MirrorListener : ITableListener {
    explicit MirrorListener(TTable& t) : Table(t) { Reload(); }
    void Reload()
    {
        Ids.clear();
        for (int r = 0; r < Table.VisibleCount(); ++r)
            Ids.push_back(Table.RowBookmark(r).Id);
    }
    void DataReset(TTable&) override
    {
        ++Resets;
        Reload();
    }
    void RowInserted(TTable&, int row) override
    {
        ASSERT_LE(row, int(Ids.size()));
        Ids.insert(Ids.begin() + row, Table.RowBookmark(row).Id);
    }
    void RowRemoved(TTable&, int row) override
    {
        ASSERT_LT(row, int(Ids.size()));
        Ids.erase(Ids.begin() + row);
    }
    void RowMoved(TTable&, int from, int to) override
    {
        ASSERT_LT(from, int(Ids.size()));
        ASSERT_LT(to, int(Ids.size()));
        uint64_t id = Ids[size_t(from)];
        Ids.erase(Ids.begin() + from);
        Ids.insert(Ids.begin() + to, id);
    }
    void RowChanged(TTable&, int row) override
    {
        ASSERT_LT(row, int(Ids.size()));
        EXPECT_EQ(Ids[size_t(row)], Table.RowBookmark(row).Id);
    }
    void CurrentChanged(TTable&, int row) override
    {
        ++CurrentNotices;
        EXPECT_EQ(row, Table.CurrentRow());
    }
    std::vector<uint64_t> Actual() const
    {
        std::vector<uint64_t> out;
        for (int r = 0; r < Table.VisibleCount(); ++r)
            out.push_back(Table.RowBookmark(r).Id);
        return out;
    }
    TTable& Table;
    std::vector<uint64_t> Ids;
    int Resets = 0;
    int CurrentNotices = 0;
};

bool SortedByName(TTable& t, const char* field)
{
    Names v = Rows(t, field);
    return std::is_sorted(v.begin(), v.end(),
                          [](const std::string& a, const std::string& b) { return CollateCompare1251(a, b) < 0; });
}

} // namespace

TEST_F(TableTest, RandomChangesKeepEveryIndexViewAndListenerInStep)
{
    Cards.SetIndexName("NameSortR"); // built, then inactive below
    Cards.SetIndexName("NameSort");
    Cards.SetOnFilterRecord([](TTable& t, bool& accept) { accept = t.FieldByName("Set").AsString() != "IN"; });
    Cards.SetFiltered(true);
    MirrorListener baseMirror(Base), cardsMirror(Cards);
    Base.AddListener(&baseMirror);
    Cards.AddListener(&cardsMirror);

    std::mt19937 rng(12345);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const char* sets[] = {"7E", "IN", "ON"};
    for (int step = 0; step < 400; ++step) {
        TTable& t = pick(2) ? Base : Cards;
        int op = pick(10);
        std::string name = std::string(1, char('A' + pick(6))) + std::string(1, char('a' + pick(3)));
        if (op < 4 || t.RecordCount() == 0) {
            AddRow(t, {name, sets[pick(3)], pick(2) ? "" : "A", pick(4), W("Карта ") + name});
        } else if (op < 8) {
            t.GotoRow(pick(t.RecordCount()));
            t.Edit();
            if (pick(2))
                t.FieldByName("Name").SetAsString(name);
            else
                t.FieldByName("Set").SetAsString(sets[pick(3)]);
            t.Post();
        } else {
            t.GotoRow(pick(t.RecordCount()));
            t.Delete();
        }
        ASSERT_EQ(baseMirror.Ids, baseMirror.Actual()) << "step " << step;
        ASSERT_EQ(cardsMirror.Ids, cardsMirror.Actual()) << "step " << step;
        ASSERT_TRUE(SortedByName(Base, "Name"));
        ASSERT_TRUE(SortedByName(Cards, "Name"));
    }
    EXPECT_EQ(baseMirror.Resets, 0) << "single changes are told row by row";
    for (const std::string& s : Rows(Cards, "Set"))
        EXPECT_NE(s, "IN");
    // The inactive index was kept in order all along.
    Cards.SetFiltered(false);
    Cards.SetIndexName("NameSortR");
    EXPECT_TRUE(SortedByName(Cards, "NameR"));
    EXPECT_EQ(Cards.RecordCount(), Base.RecordCount());
    Base.RemoveListener(&baseMirror);
    Cards.RemoveListener(&cardsMirror);
}

namespace {
struct CountingListener : ITableListener {
    void DataReset(TTable&) override { ++Resets; }
    void RowInserted(TTable&, int) override { ++Rows; }
    void RowRemoved(TTable&, int) override { ++Rows; }
    void RowMoved(TTable&, int, int) override { ++Rows; }
    void RowChanged(TTable&, int) override { ++Rows; }
    void CurrentChanged(TTable&, int) override { ++Current; }
    int Resets = 0, Rows = 0, Current = 0;
};
} // namespace

TEST_F(TableTest, DisabledControlsGetNoNoticesUntilTheOutermostEnable)
{
    CountingListener l;
    int dataChanges = 0;
    Base.AddListener(&l);
    Base.OnDataChange = [&](TTable&) { ++dataChanges; };

    Base.Next();
    EXPECT_EQ(l.Current, 1);
    EXPECT_EQ(dataChanges, 1);

    Base.DisableControls();
    Base.DisableControls();
    EXPECT_TRUE(Base.ControlsDisabled());
    Base.Last();
    AddRow(Base, {"Zzz", "7E", "", 1, ""});
    AddRow(Cards, {"Yyy", "7E", "", 1, ""}); // changes through the other cursor too
    ASSERT_TRUE(Base.Locate("Name", {"Forest"}));
    Base.EnableControls();
    EXPECT_TRUE(Base.ControlsDisabled());
    EXPECT_EQ(l.Resets + l.Rows, 0);
    EXPECT_EQ(l.Current, 1);
    EXPECT_EQ(dataChanges, 1);

    Base.EnableControls();
    EXPECT_FALSE(Base.ControlsDisabled());
    EXPECT_EQ(l.Resets, 1);
    EXPECT_EQ(l.Rows, 0);
    EXPECT_EQ(l.Current, 2);
    EXPECT_EQ(dataChanges, 2);
    Base.EnableControls(); // unbalanced: ignored
    EXPECT_EQ(l.Resets, 1);
    Base.RemoveListener(&l);
}

TEST(TableEvents, FourEventsInOrderKeepARunningTotal)
{
    TTable deck;
    deck.AddFieldDef("Name", ftString, 80);
    deck.AddFieldDef("Count", ftInteger);
    deck.AddFieldDef("ID", ftAutoInc);
    deck.CreateDataSet();
    std::vector<std::string> log;
    int total = 0, before = 0;
    deck.AfterInsert = [&](TTable& t) {
        log.push_back("AfterInsert");
        before = 0;
        EXPECT_EQ(t.State(), dsInsert);
    };
    deck.AfterEdit = [&](TTable& t) {
        log.push_back("AfterEdit");
        before = t.FieldByName("Count").AsInteger();
    };
    deck.AfterPost = [&](TTable& t) {
        log.push_back("AfterPost");
        EXPECT_EQ(t.State(), dsBrowse);
        total += t.FieldByName("Count").AsInteger() - before;
    };
    deck.BeforeDelete = [&](TTable& t) {
        log.push_back("BeforeDelete");
        total -= t.FieldByName("Count").AsInteger();
    };
    deck.Append();
    deck.FieldByName("Name").SetAsString("Forest");
    deck.FieldByName("Count").SetAsInteger(3);
    deck.Post();
    EXPECT_EQ(total, 3);
    deck.Edit();
    deck.FieldByName("Count").SetAsInteger(5);
    deck.Post();
    EXPECT_EQ(total, 5);
    deck.Edit();
    deck.FieldByName("Count").SetAsInteger(1);
    deck.Cancel();
    EXPECT_EQ(total, 5);
    EXPECT_EQ(deck.FieldByName("Count").AsInteger(), 5);
    deck.Delete();
    EXPECT_EQ(total, 0);
    EXPECT_EQ(log, (Names{"AfterInsert", "AfterPost", "AfterEdit", "AfterPost", "AfterEdit", "BeforeDelete"}));

    // Emptying runs no per-record event.
    for (int i = 0; i < 3; ++i) {
        deck.Append();
        deck.FieldByName("Count").SetAsInteger(20);
        deck.Post();
    }
    log.clear();
    TTable clone;
    clone.CloneCursor(deck);
    deck.EmptyDataSet();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(deck.RecordCount(), 0);
    EXPECT_EQ(clone.RecordCount(), 0);
    EXPECT_TRUE(clone.Eof());
    EXPECT_THROW(deck.Delete(), EDatabaseError);
    EXPECT_THROW(deck.Edit(), EDatabaseError);
}

TEST(TableEvents, NavigationPostsAPendingChangeAndAnUntouchedInsertIsDropped)
{
    TTable t;
    MakeCardTable(t);
    t.Append();
    t.First(); // nothing was set: the insert is cancelled
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_EQ(t.State(), dsBrowse);
    t.Append();
    t.FieldByName("Name").SetAsString("Forest");
    t.FieldByName("Set").SetAsString("7E");
    t.First();
    EXPECT_EQ(t.RecordCount(), 1);
    t.Edit();
    t.FieldByName("Set").Clear();
    EXPECT_THROW(t.Last(), EDatabaseError) << "posting the required field fails";
    EXPECT_EQ(t.State(), dsEdit);
    t.Cancel();
    // Deleting while inserting drops the insert only.
    t.Append();
    t.Delete();
    EXPECT_EQ(t.RecordCount(), 1);
}
