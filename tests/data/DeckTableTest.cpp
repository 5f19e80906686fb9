// The deck table's bookkeeping, a new deck, the deck's id list and its file.
#include "DeckTestSupport.h"

using namespace decktest;

namespace {

std::vector<BaseCard> DeckCards()
{
    auto card = [](const char* name, const char* set, const char* version, int id) {
        BaseCard c;
        c.Name = name;
        c.Set = set;
        c.Version = version;
        c.MtgEncID = id;
        return c;
    };
    return {card("Llanowar Elves", "7E", "", 123), card("Forest", "7E", "A", 7),
            card("Forest", "7E", "", 6), card("Shock", "7E", "", 300), card("Blank", "IN", "", 0)};
}

class DeckTableTest : public DataFixture {};

} // namespace

TEST_F(DeckTableTest, TotalFollowsAppendEditCancelMoveAndDelete)
{
    Open(DeckCards());
    TTable& t = D->DeckTable;
    AddEntry("Llanowar Elves", "7E", "", 3);
    EXPECT_EQ(D->DeckTotal, 3);
    AddEntry("Shock", "7E", "", 4);
    EXPECT_EQ(D->DeckTotal, 7);

    t.First();
    t.Edit();
    EXPECT_EQ(D->CountBeforeEdit, 3);
    D->DeckTableCount->SetAsInteger(5);
    t.Post();
    EXPECT_EQ(D->DeckTotal, 9);

    t.Edit();
    D->DeckTableCount->SetAsInteger(1);
    t.Cancel();
    EXPECT_EQ(D->DeckTotal, 9);

    // Moving Shock up: the two entries exchange their IDs.
    t.Last();
    const int shockId = D->DeckTableID->AsInteger();
    t.First();
    const int elvesId = D->DeckTableID->AsInteger();
    t.Edit();
    D->DeckTableID->SetAsInteger(-1);
    t.Post();
    t.Last();
    t.Edit();
    D->DeckTableID->SetAsInteger(elvesId);
    t.Post();
    ASSERT_TRUE(t.Locate("ID", {-1}));
    t.Edit();
    D->DeckTableID->SetAsInteger(shockId);
    t.Post();
    EXPECT_EQ(D->DeckTotal, 9);
    auto entries = Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].Name, "Shock");

    t.First();
    t.Delete();
    EXPECT_EQ(D->DeckTotal, 5);
    t.Delete();
    EXPECT_EQ(D->DeckTotal, 0);
}

TEST_F(DeckTableTest, SameCardTwiceIsAKeyViolationOtherSetOrVariantIsNot)
{
    Open(DeckCards());
    AddEntry("Forest", "7E", "", 2);
    AddEntry("Forest", "7E", "A", 1);
    AddEntry("Forest", "IN", "", 1);
    EXPECT_EQ(D->DeckTotal, 4);
    TTable& t = D->DeckTable;
    t.Append();
    D->DeckTableName->SetAsString("Forest");
    D->DeckTableSet->SetAsString("7E");
    D->DeckTableCount->SetAsInteger(5);
    try {
        t.Post();
        FAIL() << "posted a second entry with the same key";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Key violation.");
    }
    t.Cancel();
    EXPECT_EQ(D->DeckTotal, 4);
    EXPECT_EQ(Entries().size(), 3u);
}

TEST_F(DeckTableTest, NewDeckEmptiesEverythingWithoutDeleteEvents)
{
    Open(DeckCards());
    int deletes = 0;
    auto beforeDelete = D->DeckTable.BeforeDelete;
    D->DeckTable.BeforeDelete = [&](TTable& t) {
        ++deletes;
        beforeDelete(t);
    };
    AddEntry("Llanowar Elves", "7E", "", 20);
    AddEntry("Forest", "7E", "", 20);
    AddEntry("Shock", "7E", "", 20);
    D->DeckName = "Green";
    D->DeckNote = "Note";
    D->DeckFileName = "/tmp/green.mdc";
    ASSERT_EQ(D->DeckTotal, 60);

    D->NewDeck();
    EXPECT_EQ(D->DeckTotal, 0);
    EXPECT_TRUE(D->DeckTable.IsEmpty());
    EXPECT_EQ(D->DeckName, "");
    EXPECT_EQ(D->DeckNote, "");
    EXPECT_EQ(D->DeckFileName, "");
    EXPECT_EQ(deletes, 0);

    AddEntry("Shock", "7E", "", 2); // the deck works on after a new start
    EXPECT_EQ(D->DeckTotal, 2);
}

TEST_F(DeckTableTest, EncIDsRepeatEachCardByItsCountInDeckOrder)
{
    Open(DeckCards());
    EXPECT_TRUE(D->DeckEncIDs().empty());
    AddEntry("Shock", "7E", "", 2);
    AddEntry("Llanowar Elves", "7E", "", 1);
    AddEntry("Forest", "7E", "A", 0);  // counts below 1 give no copies
    AddEntry("Forest", "7E", "", -3);
    AddEntry("Blank", "IN", "", 2);    // no id in the card base: 0
    EXPECT_EQ(D->DeckEncIDs(), (std::vector<int32_t>{300, 300, 123, 0, 0}));
    EXPECT_EQ(D->DeckTotal, 5);
}

TEST_F(DeckTableTest, EncIDsOfAMissingCardNameItAndRestorePositionAndIndex)
{
    Open(DeckCards());
    AddEntry("Shock", "7E", "", 2);
    AddEntry("Gone", "IN", "", 1);
    AddEntry("Forest", "7E", "B", 1); // the base has no variant B
    AddEntry("Llanowar Elves", "7E", "", 1);
    D->DeckTable.First();
    D->DeckTable.Next();
    D->DeckTable.Next();
    D->BaseTable.SetIndexName("");
    ASSERT_TRUE(D->LocateCard("Llanowar Elves", "7E", ""));
    try {
        D->DeckEncIDs();
        FAIL() << "no error";
    } catch (const EError& e) {
        EXPECT_EQ(e.what(), W("Не найдена карта Gone [IN]"));
    }
    EXPECT_EQ(D->DeckTableName->AsString(), "Forest");
    EXPECT_FALSE(D->DeckTable.ControlsDisabled());
    EXPECT_EQ(D->BaseTable.IndexName(), "");

    // Also restored after success.
    D->BaseTable.SetIndexName("NameSort");
    D->DeckTable.First();
    D->DeckTable.Next();
    D->DeckTable.Delete(); // Gone
    D->DeckTable.Last();
    EXPECT_THROW(D->DeckEncIDs(), EError); // Forest (B)
    D->DeckTable.First();
    D->DeckTable.Next();
    D->DeckTable.Delete(); // Forest (B): Llanowar Elves becomes current
    ASSERT_EQ(D->DeckTableName->AsString(), "Llanowar Elves");
    EXPECT_EQ(D->DeckEncIDs(), (std::vector<int32_t>{300, 300, 123}));
    EXPECT_EQ(D->DeckTableName->AsString(), "Llanowar Elves");
    EXPECT_EQ(D->BaseTable.IndexName(), "NameSort");
}

TEST_F(DeckTableTest, IdListFileBytes)
{
    Open(DeckCards());
    const QString out = Path("deck.dat");

    D->SaveDeckEncIDs(out.toStdString());
    EXPECT_EQ(ReadFileBytes(out), std::string(8, '\0'));

    AddEntry("Llanowar Elves", "7E", "", 4);
    D->SaveDeckEncIDs(out.toStdString());
    const std::string seven = std::string("\x7B\0\0\0", 4);
    EXPECT_EQ(ReadFileBytes(out), std::string("\x04\0\0\0", 4) + seven + seven + seven + seven
                                      + std::string(4, '\0'));

    // Ids above 255 and the card without an id, little-endian.
    D->NewDeck();
    AddEntry("Shock", "7E", "", 1);
    AddEntry("Blank", "IN", "", 1);
    D->SaveDeckEncIDs(out.toStdString());
    EXPECT_EQ(ReadFileBytes(out), std::string("\x02\0\0\0\x2C\x01\0\0\0\0\0\0\0\0\0\0", 16));
}

TEST_F(DeckTableTest, IdListFileIsNotTouchedWhenACardIsMissingOrTheFolderIsNot)
{
    Open(DeckCards());
    const QString out = Path("deck.dat");
    WriteFileBytes(out, "previous");
    AddEntry("Llanowar Elves", "7E", "", 1);
    AddEntry("Gone", "IN", "", 1);
    try {
        D->SaveDeckEncIDs(out.toStdString());
        FAIL() << "no error";
    } catch (const EError& e) {
        EXPECT_EQ(e.what(), W("Не найдена карта Gone [IN]"));
    }
    EXPECT_EQ(ReadFileBytes(out), "previous");

    D->NewDeck();
    EXPECT_THROW(D->SaveDeckEncIDs(PathS("missing/deck.dat")), Exception);
    EXPECT_FALSE(QFile::exists(Path("missing/deck.dat")));
}

// Counts typed into the grid or posted by a program are not bounded by the deck file's
// limits: the total saturates instead of overflowing, and the id list is refused,
// before anything is allocated, for more copies than it is ever made for. The check
// that every card is in the base still runs without the list.
TEST_F(DeckTableTest, HugeCountsSaturateTheTotalAndRefuseTheIdList)
{
    Open(DeckCards());
    AddEntry("Shock", "7E", "", 2000000000);
    EXPECT_EQ(D->DeckTotal, 2000000000);
    AddEntry("Llanowar Elves", "7E", "", 2000000000);
    EXPECT_EQ(D->DeckTotal, INT32_MAX);
    EXPECT_EQ(D->DeckCopies, 4000000000LL);
    try {
        (void)D->DeckEncIDs();
        FAIL() << "no error";
    } catch (const EError& e) {
        EXPECT_NE(std::string(e.what()).find("4000000000"), std::string::npos) << e.what();
    }
    EXPECT_NO_THROW(D->CheckDeckCards());

    // Back below the limits, everything is exact again.
    D->DeckTable.First();
    D->DeckTable.Delete();
    EXPECT_EQ(D->DeckTotal, 2000000000);
    D->DeckTable.First();
    D->DeckTable.Edit();
    D->DeckTableCount->SetAsInteger(3);
    D->DeckTable.Post();
    EXPECT_EQ(D->DeckTotal, 3);
    EXPECT_EQ(D->DeckEncIDs(), (std::vector<int32_t>{123, 123, 123}));
    AddEntry("Gone", "IN", "", 1);
    EXPECT_THROW(D->CheckDeckCards(), EError);
}
