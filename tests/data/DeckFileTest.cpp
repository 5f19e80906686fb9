// Saving and loading deck files through the data module.
#include "DeckTestSupport.h"
#include "data/DeckFile.h"

#include "FileSizeLimit.h"

#include <QDir>

using namespace decktest;

namespace {

std::vector<BaseCard> FileCards()
{
    return {
        Card("Llanowar Elves", "7E", "", "Эльфы Лановара"),
        Card("Forest", "7E", "", "Лес"),
        Card("Forest", "7E", "A", "Лес"),
        Card("Forest", "7E", "B", "Лес"),
        Card("Plains", "7E", "A"),
        Card("Plains", "7E", "B"),
        Card("Shivan Dragon", "IN", ""),
        Card("Shivan Dragon", "7E", "B"),
        Card("Shivan Dragon", "7E", "C"),
        Card("Fire/Ice", "AP", "", "Огонь/Лед"),
        Card("Urza's Armor", "7E", ""),
    };
}

class DeckFileTest : public DataFixture {
protected:
    void Load(const std::string& content)
    {
        WriteFileBytes(Path("in.mdc"), content);
        D->LoadDeck(PathS("in.mdc"));
    }
    using E = Entry;
};

} // namespace

TEST_F(DeckFileTest, WritesTheExactForm)
{
    Open(FileCards());
    D->DeckName = "Green";
    D->DeckNote = "Test";
    AddEntry("Llanowar Elves", "7E", "", 4);
    AddEntry("Forest", "7E", "A", 20);
    D->SaveDeck(PathS("out.mdc"));
    EXPECT_EQ(ReadFileBytes(Path("out.mdc")),
              "Name: Green\r\nNote: Test\r\n  4 [7E] Llanowar Elves\r\n 20 [7E] Forest (A)\r\n");
    EXPECT_EQ(D->DeckFileName, PathS("out.mdc"));

    // Without name and note: only entry lines; counts of one to four digits.
    D->NewDeck();
    AddEntry("Forest", "7E", "", 1);
    AddEntry("Forest", "7E", "A", 12);
    AddEntry("Forest", "7E", "B", 100);
    AddEntry("Shivan Dragon", "IN", "", 1000);
    D->SaveDeck(PathS("out.mdc"));
    EXPECT_EQ(ReadFileBytes(Path("out.mdc")),
              "  1 [7E] Forest\r\n 12 [7E] Forest (A)\r\n100 [7E] Forest (B)\r\n1000 [IN] Shivan Dragon\r\n");
}

TEST_F(DeckFileTest, RoundTripKeepsEntriesOrderNameAndNote)
{
    Open(FileCards());
    D->DeckName = W("Зеленая\rколода");
    D->DeckNote = W("Против синих\r\rбыстрая"); // an empty line in the middle is kept
    AddEntry("Shivan Dragon", "7E", "C", 2);
    AddEntry("Llanowar Elves", "7E", "", 4);
    AddEntry("Fire/Ice", "AP", "", 3);
    AddEntry("Forest", "7E", "A", 20);
    AddEntry("Urza's Armor", "7E", "", 1);
    D->DeckTable.First();
    D->DeckTable.Next();
    D->SaveDeck(PathS("deck.mdc"));
    EXPECT_EQ(D->DeckTableName->AsString(), "Llanowar Elves"); // position kept
    EXPECT_FALSE(D->DeckTable.ControlsDisabled());

    D->NewDeck();
    D->LoadDeck(PathS("deck.mdc"));
    EXPECT_EQ(D->DeckName, W("Зеленая\rколода"));
    EXPECT_EQ(D->DeckNote, W("Против синих\r\rбыстрая"));
    EXPECT_EQ(D->DeckFileName, PathS("deck.mdc"));
    EXPECT_EQ(D->DeckTotal, 30);
    EXPECT_EQ(D->DeckTableName->AsString(), "Shivan Dragon"); // the first entry is current
    // NameR comes from the card base, not from the entries written.
    EXPECT_EQ(Entries(), (std::vector<E>{{"Shivan Dragon", "7E", "C", 2, "R:Shivan Dragon"},
                                         {"Llanowar Elves", "7E", "", 4, W("Эльфы Лановара")},
                                         {"Fire/Ice", "AP", "", 3, W("Огонь/Лед")},
                                         {"Forest", "7E", "A", 20, W("Лес")},
                                         {"Urza's Armor", "7E", "", 1, "R:Urza's Armor"}}));
    EXPECT_TRUE(NotFound.empty());
    EXPECT_EQ(D->DeckFileText(), ReadFileBytes(Path("deck.mdc")));
}

TEST_F(DeckFileTest, ReadsHandWrittenLists)
{
    Open(FileCards());
    D->BaseTable.SetIndexName("");
    // Mixed line breaks, separators, set codes anywhere, numbered variants, fallbacks,
    // comments, split cards written the other programs' way, and a zero byte that ends
    // the text.
    const char text[] = "// Creatures\n"
                     "NAME:Mixed\r"
                     "4;[7E]Llanowar Elves\r\n"
                     "2 Forest (3)\n"                 // no C: the Forest without variant
                     "\t3\t;\tPlains (2) [7E] \r\n"   // variant B as a number
                     "1 Plains (c) [7E]\n"             // no C and no plain one: variant A
                     "1 Shivan Dragon\n"               // no set: the first set in index order
                     "1 Shivan Dragon [ON]\n"          // a set without the card: the same
                     "   \n"
                     "1 Fire // Ice\n"
                     "note: from a forum\n"
                     "1 Urza's Armor [7E] (0)\n"       // variant '@' does not exist: none
                     "\0"
                     "4 Forest\n";
    Load(std::string(text, sizeof text - 1));
    EXPECT_EQ(D->DeckName, "Mixed");
    EXPECT_EQ(D->DeckNote, "from a forum");
    EXPECT_EQ(Entries(), (std::vector<E>{{"Llanowar Elves", "7E", "", 4, W("Эльфы Лановара")},
                                         {"Forest", "7E", "", 2, W("Лес")},
                                         {"Plains", "7E", "B", 3, "R:Plains"},
                                         {"Plains", "7E", "A", 1, "R:Plains"},
                                         {"Shivan Dragon", "7E", "B", 2, "R:Shivan Dragon"},
                                         {"Fire/Ice", "AP", "", 1, W("Огонь/Лед")},
                                         {"Urza's Armor", "7E", "", 1, "R:Urza's Armor"}}));
    EXPECT_TRUE(NotFound.empty()) << NotFound.front();
    EXPECT_EQ(D->BaseTable.IndexName(), ""); // given back
    EXPECT_FALSE(D->DeckTable.ControlsDisabled());
}

TEST_F(DeckFileTest, FindCardForDeckFallbacks)
{
    Open(FileCards());
    struct Case {
        const char* name;
        const char* set;
        const char* version;
        bool found;
        const char* nameAfter;
        const char* setAfter;
        const char* versionAfter;
    } cases[] = {
        {"Forest", "7E", "B", true, "Forest", "7E", "B"},
        {"Forest", "7E", "E", true, "Forest", "7E", ""},
        {"Plains", "7E", "E", true, "Plains", "7E", "A"},
        {"Shivan Dragon", "", "", true, "Shivan Dragon", "7E", "B"},
        {"Shivan Dragon", "IN", "C", true, "Shivan Dragon", "IN", ""},
        {"Shivan Dragon", "AP", "", true, "Shivan Dragon", "7E", "B"},
        // A variant without a set: the set that has it, the variant kept.
        {"Shivan Dragon", "", "C", true, "Shivan Dragon", "7E", "C"},
        // Letter case and blanks, and the Russian name, when nothing matches exactly.
        {"forest", "7E", "", true, "Forest", "7E", ""},
        {"SHIVAN   dragon", "IN", "", true, "Shivan Dragon", "IN", ""},
        {"Эльфы Лановара", "", "", true, "Llanowar Elves", "7E", ""},
        {"эльфы  лановара", "7E", "", true, "Llanowar Elves", "7E", ""},
        {"Nothing", "IN", "B", false, "Nothing", "IN", "B"},
    };
    for (const auto& c : cases) {
        std::string name = W(c.name), set = c.set, version = c.version;
        EXPECT_EQ(D->FindCardForDeck(name, set, version), c.found) << c.name;
        EXPECT_EQ(name, c.nameAfter) << c.name;
        EXPECT_EQ(set, c.setAfter) << c.name;
        EXPECT_EQ(version, c.versionAfter) << c.name;
        if (c.found) {
            EXPECT_EQ(D->BaseTable.FieldByName("Name").AsString(), c.nameAfter);
            EXPECT_EQ(D->BaseTable.FieldByName("Set").AsString(), set);
            EXPECT_EQ(D->BaseTable.FieldByName("Version").AsString(), version);
        }
    }
}

TEST_F(DeckFileTest, MissingCardsAreReportedAndReadingGoesOn)
{
    Open(FileCards());
    Load("3 [IN] X (2)\r\n2 Forest\r\n1 Y\r\n1 [AP] Z (A)\r\n");
    EXPECT_EQ(NotFound, (std::vector<std::string>{W("Не найдена карта|[IN] X (B)"),
                                                  W("Не найдена карта|Y"),
                                                  W("Не найдена карта|[AP] Z (A)")}));
    EXPECT_EQ(Entries(), (std::vector<E>{{"Forest", "7E", "", 2, W("Лес")}}));
    EXPECT_EQ(D->DeckTotal, 2);
}

TEST_F(DeckFileTest, ACountBeyondWhatADeckHoldsIsRefusedAndTheDeckStaysAsItWas)
{
    Open(FileCards());
    Load("Name: Before\r\n2 Forest\r\n");
    const std::string before = D->DeckFileName;
    D->BaseTable.SetIndexName("");
    for (const char* content : {"Name: Half\r\n2 Forest\r\n1 [AP] Fire/Ice\r\n20000 Forest (A)\r\n1 Plains\r\n",
                                "2000000000 Forest\r\n", "9999 Forest\r\n9999 Plains\r\n" /* fine */}) {
        WriteFileBytes(Path("big.mdc"), content);
        if (std::string(content).rfind("9999", 0) == 0) {
            D->LoadDeck(PathS("big.mdc"));
            EXPECT_EQ(D->DeckTotal, 19998);
            continue;
        }
        try {
            D->LoadDeck(PathS("big.mdc"));
            FAIL() << "no error for " << content;
        } catch (const EDeckFormatError& e) {
            EXPECT_NE(std::string(e.what()).find(W("Строка ")), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("9999"), std::string::npos) << e.what();
        }
        // Nothing of the refused file reached the deck.
        EXPECT_EQ(D->DeckName, "Before");
        EXPECT_EQ(D->DeckFileName, before);
        EXPECT_EQ(D->DeckTotal, 2);
        EXPECT_EQ(D->BaseTable.IndexName(), "");
        EXPECT_FALSE(D->DeckTable.ControlsDisabled());
    }
    // The deck total is limited too: 2^31 copies over many lines.
    std::string many;
    for (int i = 0; i < 220000; ++i)
        many += "9999 Forest\r\n";
    WriteFileBytes(Path("many.mdc"), many);
    EXPECT_THROW(D->LoadDeck(PathS("many.mdc")), EDeckFormatError);
}

TEST_F(DeckFileTest, ACardListedAgainAddsToItsEntry)
{
    Open(FileCards());
    // The same card after the lookup: by set, by fallback of the variant and without set.
    Load("4 [7E] Llanowar Elves\r\n1 Forest\r\n2 Llanowar Elves\r\n3 [7E] Forest (E)\r\n"
         "1 Shivan Dragon\r\n1 [7E] Shivan Dragon (2)\r\n1 Plains (A)\r\n");
    EXPECT_EQ(Entries(), (std::vector<E>{{"Llanowar Elves", "7E", "", 6, W("Эльфы Лановара")},
                                         {"Forest", "7E", "", 4, W("Лес")},
                                         {"Shivan Dragon", "7E", "B", 2, "R:Shivan Dragon"},
                                         {"Plains", "7E", "A", 1, "R:Plains"}}));
    EXPECT_EQ(D->DeckTotal, 13);
}

TEST_F(DeckFileTest, CountsBelowOneAreReadAsWrittenAndCountNoCopies)
{
    Open(FileCards());
    Load("0 Forest\r\n-2 Llanowar Elves\r\n+3 Fire/Ice\r\n1 Llanowar Elves\r\n");
    EXPECT_EQ(Entries(), (std::vector<E>{{"Forest", "7E", "", 0, W("Лес")},
                                         {"Llanowar Elves", "7E", "", -1, W("Эльфы Лановара")},
                                         {"Fire/Ice", "AP", "", 3, W("Огонь/Лед")}}));
    EXPECT_EQ(D->DeckTotal, 3);
    EXPECT_EQ(D->DeckEncIDs().size(), 3u);
    D->SaveDeck(PathS("out.mdc"));
    EXPECT_EQ(ReadFileBytes(Path("out.mdc")),
              "  0 [7E] Forest\r\n -1 [7E] Llanowar Elves\r\n  3 [AP] Fire/Ice\r\n");
}

TEST_F(DeckFileTest, NameAndNoteLinesAnywhereAndAFileWithoutCardsIsNoDeck)
{
    Open(FileCards());
    Load("Note: first\r\nname: A\r\n  1 [7E] Forest\r\nNAME: B\r\nNote:   second  ");
    EXPECT_EQ(D->DeckTotal, 1);
    EXPECT_EQ(D->DeckName, "A\rB");
    EXPECT_EQ(D->DeckNote, "first\rsecond");
    D->SaveDeck(PathS("out.mdc"));
    EXPECT_EQ(ReadFileBytes(Path("out.mdc")),
              "Name: A\r\nName: B\r\nNote: first\r\nNote: second\r\n  1 [7E] Forest\r\n");

    // Name and notes alone, a letter, lines of cards the base does not know: no deck,
    // one message, and the open deck stays as it was.
    for (const char* content : {"Note: first\r\nName: A\r\n", "Dear John,\r\nthe weather is fine.\r\n\r\nYours\r\n",
                                "4 [M10] Lightning Bolt\r\n2 Nowhere\r\n"}) {
        WriteFileBytes(Path("letter.txt"), content);
        try {
            D->LoadDeck(PathS("letter.txt"));
            ADD_FAILURE() << "read as a deck: " << content;
        } catch (const Exception& e) {
            EXPECT_EQ(Win1251ToUtf8(e.what()), "В файле \"" + PathS("letter.txt") + "\" нет ни одной карты");
        }
        EXPECT_EQ(D->DeckTotal, 1);
        EXPECT_EQ(D->DeckName, "A\rB");
        EXPECT_EQ(D->DeckFileName, PathS("out.mdc"));
    }
}

TEST_F(DeckFileTest, LinesWithoutACardAreListedAndKeptAsNotes)
{
    Open(FileCards());
    WriteFileBytes(Path("list.txt"), "Name: Mine\r\n4 [M10] Lightning Bolt\r\n2 Forest\r\n3 Nowhere\r\n");
    const TDeckReadReport report = D->LoadDeck(PathS("list.txt"));
    EXPECT_EQ(report.CardsRead, 2);
    EXPECT_EQ(report.CopiesMissing(), 7);
    ASSERT_EQ(report.Missing.size(), 2u);
    EXPECT_EQ(report.Missing[0].Text, "[M10] Lightning Bolt");
    EXPECT_EQ(report.Missing[0].Line, 2);
    EXPECT_EQ(Win1251ToUtf8(report.Missing[0].Reason), "такой карты нет в базе, выпуска M10 в ней нет");
    EXPECT_EQ(report.Missing[1].Text, "Nowhere");
    EXPECT_EQ(Win1251ToUtf8(report.Missing[1].Reason), "такой карты нет в базе");
    EXPECT_FALSE(D->DeckModified);
    EXPECT_EQ(D->DeckFileFormat, TDeckFormat::Text);
    // Saved, the deck keeps every line the file held.
    D->SaveDeck(PathS("list.mdc"));
    EXPECT_EQ(Win1251ToUtf8(ReadFileBytes(Path("list.mdc"))),
              "Name: Mine\r\nNote: Не найдена: 4 [M10] Lightning Bolt\r\nNote: Не найдена: 3 Nowhere\r\n"
              "  2 [7E] Forest\r\n");
    EXPECT_EQ(D->DeckFileFormat, TDeckFormat::Mdc);
}

TEST_F(DeckFileTest, TheChangedFlagFollowsEveryChangeAndIsClearedByNewOpenAndSave)
{
    Open(FileCards());
    EXPECT_FALSE(D->DeckModified);
    AddEntry("Forest", "7E", "", 2);
    EXPECT_TRUE(D->DeckModified);
    D->SaveDeck(PathS("flag.mdc"));
    EXPECT_FALSE(D->DeckModified);
    D->DeckTable.Edit();
    D->DeckTableCount->SetAsInteger(3);
    D->DeckTable.Post();
    EXPECT_TRUE(D->DeckModified);
    D->LoadDeck(PathS("flag.mdc"));
    EXPECT_FALSE(D->DeckModified);
    D->DeckTable.Delete();
    EXPECT_TRUE(D->DeckModified);
    D->NewDeck();
    EXPECT_FALSE(D->DeckModified);
}

// Only a regular file is read: a FIFO without a writer, a device or a folder is
// refused at once instead of hanging or reading without end.
TEST_F(DeckFileTest, OnlyRegularFilesAreRead)
{
    Open(FileCards());
    Load("2 Forest\r\n");
    const std::string fifo = PathS("pipe.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, std::string("/dev/zero"), PathS("")}) {
        SCOPED_TRACE(path);
        EXPECT_THROW(D->LoadDeck(path), Exception);
        EXPECT_EQ(D->DeckTotal, 2);
    }
}

TEST_F(DeckFileTest, AFileThatCannotBeReadLeavesTheDeckAsItWas)
{
    Open(FileCards());
    Load("2 Forest\r\n");
    EXPECT_THROW(D->LoadDeck(PathS("missing.mdc")), Exception);
    EXPECT_EQ(Entries().size(), 1u);
    EXPECT_EQ(D->DeckTotal, 2);
    EXPECT_EQ(D->DeckFileName, PathS("in.mdc"));
    EXPECT_FALSE(D->DeckTable.ControlsDisabled());
}

TEST_F(DeckFileTest, AFailedSaveLeavesThePreviousFileAndFileName)
{
    Open(FileCards());
    const QString target = Path("deck.mdc");
    WriteFileBytes(target, "  1 [7E] Forest\r\n");
    for (int i = 0; i < 40; ++i)
        AddEntry("Card " + std::to_string(i), "7E", "", 1);
    D->DeckFileName = "before.mdc";

    // A file size limit makes the write fail part way (permissions do not stop root).
    bool failed = false;
    try {
        TFileSizeLimit limit(64);
        D->SaveDeck(target.toStdString());
    } catch (const Exception&) {
        failed = true;
    }
    EXPECT_TRUE(failed);
    EXPECT_EQ(ReadFileBytes(target), "  1 [7E] Forest\r\n");
    EXPECT_EQ(D->DeckFileName, "before.mdc");
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).filter("deck"), QStringList{"deck.mdc"});

    // A folder that does not exist.
    EXPECT_THROW(D->SaveDeck(PathS("missing/deck.mdc")), Exception);
    EXPECT_EQ(D->DeckFileName, "before.mdc");

    // And a save that works replaces the file.
    D->SaveDeck(target.toStdString());
    EXPECT_EQ(ReadFileBytes(target).substr(0, 20), "  1 [7E] Card 0\r\n  1");
    EXPECT_EQ(D->DeckFileName, target.toStdString());
}
