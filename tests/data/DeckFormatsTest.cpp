// Deck files of other programs: one small file per format read to its entries, name
// and note; the text encodings; typographic punctuation in card names; every written
// format read back to the same entries.
#include "DeckTestSupport.h"
#include "data/DeckFile.h"
#include "data/DeckFormats.h"

using namespace decktest;

namespace {

std::vector<BaseCard> Cards()
{
    return {Card("Llanowar Elves", "7E", "", "Лановарские Эльфы"),
            Card("Forest", "7E", "A", "Лес"),
            Card("Forest", "7E", "B", "Лес"),
            Card("Forest", "7E", "C", "Лес"),
            Card("Forest", "ON", "A", "Лес"),
            Card("Shock", "7E", "", "Шок"),
            Card("Shock", "ON", "", "Шок"),
            Card("Naturalize", "ON", ""),
            Card("Psychatog", "OD", ""),
            Card("Urza's Rage", "IN", "", "Ярость Урзы"),
            Card("Fire/Ice", "AP", "", "Огонь/Лед")};
}

class DeckFormatsTest : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        Open(Cards());
    }
    void LoadBytes(const char* fileName, const std::string& bytes)
    {
        WriteFileBytes(Path(fileName), bytes);
        D->LoadDeck(PathS(fileName));
    }
    // The deck as "count set name (version)" lines.
    std::vector<std::string> Lines()
    {
        std::vector<std::string> out;
        for (const Entry& e : Entries())
            out.push_back(std::to_string(e.Count) + " " + e.Set + " " + e.Name + (e.Version.empty() ? "" : " " + e.Version));
        return out;
    }
    using L = std::vector<std::string>;
    static std::string Repeat(const std::string& s, int times)
    {
        std::string out;
        for (int i = 0; i < times; ++i)
            out += s;
        return out;
    }
};

} // namespace

TEST_F(DeckFormatsTest, EveryFormatReadsToItsEntries)
{
    const struct {
        const char* File;
        const char* Content;
        L Expected;
        const char* Name;
        const char* Note;
    } cases[] = {
        {"arena.txt",
         "About\nName Arena Deck\n\nDeck\n4 Llanowar Elves (7ED) 253\n2 Fire // Ice (APC) 128\n\nSideboard\n"
         "2 Naturalize (ONS) 275 *F*\n",
         {"4 7E Llanowar Elves", "2 AP Fire/Ice", "2 ON Naturalize"}, "Arena Deck", ""},
        {"mtgo.txt", "4 Llanowar Elves\n3 Shock\n\n2 Naturalize\n",
         {"4 7E Llanowar Elves", "3 ON Shock", "2 ON Naturalize"}, "", ""},
        {"counts.txt", "4x Llanowar Elves\nx2 Shock\n1 x Psychatog\nSB: 1 Naturalize\nCreatures (4)\nUrza's Rage\n",
         {"4 7E Llanowar Elves", "2 ON Shock", "1 OD Psychatog", "1 ON Naturalize", "1 IN Urza's Rage"}, "", ""},
        {"xmage.dck", "NAME:XMage Deck\n4 [7ED:253] Llanowar Elves\nSB: 2 [ONS:275] Naturalize\nLAYOUT MAIN:(1,1)\n",
         {"4 7E Llanowar Elves", "2 ON Naturalize"}, "XMage Deck", ""},
        {"forge.dck", "[metadata]\nName=Forge Deck\nDescription=Green\n[Main]\n4 Llanowar Elves|7ED\n2 Forest|7ED|2\n"
                      "[Sideboard]\n1 Shock|ONS\n",
         {"4 7E Llanowar Elves", "2 7E Forest B", "1 ON Shock"}, "Forge Deck", "Green"},
        {"mws.mwDeck", "// Deck file for Magic Workstation\n// NAME : MWS Deck\n// COMMENT : fast\n"
                       "        4 [7E] Llanowar Elves\nSB:  2 [ON] Naturalize\n",
         {"4 7E Llanowar Elves", "2 ON Naturalize"}, "MWS Deck", "fast"},
        {"deck.cod",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<cockatrice_deck version=\"1\">\n<deckname>Cock</deckname>\n"
         "<comments>one\ntwo</comments>\n<zone name=\"main\"><card number=\"4\" name=\"Llanowar Elves\"/>"
         "<card number=\"2\" name=\"Fire // Ice\"/></zone>\n<zone name=\"side\"><card number=\"1\" name=\"Shock\" "
         "setShortName=\"ONS\"/></zone>\n</cockatrice_deck>\n",
         {"4 7E Llanowar Elves", "2 AP Fire/Ice", "1 ON Shock"}, "Cock", "one\rtwo"},
        {"deck.dek",
         "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Deck xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">\n"
         "<NetDeckID>0</NetDeckID>\n<Cards CatID=\"1\" Quantity=\"4\" Sideboard=\"false\" Name=\"Llanowar Elves\" />\n"
         "<Cards CatID=\"2\" Quantity=\"2\" Sideboard=\"true\" Name=\"Naturalize\" />\n</Deck>\n",
         {"4 7E Llanowar Elves", "2 ON Naturalize"}, "", ""},
        {"deckbox.csv",
         "Count,Tradelist Count,Name,Edition,Card Number\n4,0,Llanowar Elves,Seventh Edition,253\n"
         "2,0,\"Fire // Ice\",Apocalypse,128\n1,0,\"Shock, the card\",Onslaught,\n",
         {"4 7E Llanowar Elves", "2 AP Fire/Ice"}, "", "Не найдена: 1 [ON] Shock, the card"},
        {"moxfield.csv", "\"Count\";\"Name\";\"Edition\"\n\"3\";\"Shock\";\"ons\"\n",
         {"3 ON Shock"}, "", ""},
        // Russian names, a variant without a set, a name in other letter case.
        {"russian.txt", "4 Лановарские Эльфы\n2 Forest (3)\n1 urza's  rage\n",
         {"4 7E Llanowar Elves", "2 7E Forest C", "1 IN Urza's Rage"}, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        NotFound.clear();
        LoadBytes(c.File, Utf8ToWin1251(c.Content));
        EXPECT_EQ(Lines(), c.Expected);
        EXPECT_EQ(D->DeckName, W(c.Name));
        EXPECT_EQ(D->DeckNote, W(c.Note));
        EXPECT_EQ(D->DeckFileName, PathS(c.File));
    }
    // The one CSV line whose card is unknown was reported, not dropped in silence.
    LoadBytes("deckbox.csv", Utf8ToWin1251(cases[8].Content));
    EXPECT_EQ(NotFound, (std::vector<std::string>{W("Не найдена карта|[ON] Shock, the card")}));
}

TEST_F(DeckFormatsTest, EncodingsAndPunctuation)
{
    const std::string utf8 = "4 Лановарские Эльфы\n1 Urza\u2019s Rage\n2 Fire \u2014 Ice\n1 Shock\u00a0\n";
    auto utf16 = [](const std::u16string& text, bool bigEndian) {
        std::string b = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t c : text) {
            const char hi = char(c >> 8), lo = char(c & 0xFF);
            b += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
        }
        return b;
    };
    const std::u16string wide = u"4 Лановарские Эльфы\n1 Urza\u2019s Rage\n1 Shock\n";
    const struct {
        const char* What;
        std::string Bytes;
    } cases[] = {
        {"Windows-1251", W("4 Лановарские Эльфы\n1 Urza") + "\x92" + "s Rage\n1 Shock\n"},
        {"UTF-8", utf8},
        {"UTF-8 with BOM", "\xEF\xBB\xBF" + utf8},
        {"UTF-16 LE", utf16(wide, false)},
        {"UTF-16 BE", utf16(wide, true)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        NotFound.clear();
        LoadBytes("enc.txt", c.Bytes);
        const L lines = Lines();
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[0], "4 7E Llanowar Elves");
        EXPECT_EQ(lines[1], "1 IN Urza's Rage"); // the typographic apostrophe
        EXPECT_EQ(lines.back(), "1 ON Shock");   // a no-break space
    }
    EXPECT_EQ(PlainCardName("Urza\x92s Rage"), "Urza's Rage");
    EXPECT_EQ(PlainCardName("Fire // Ice"), "Fire/Ice");
    EXPECT_EQ(DeckBytesTo1251("Caf\xC3\xA9 \xE2\x88\x92" "1 \xC3\x86ther"), W("Cafe -1 Aether")); // nearest forms
}

TEST_F(DeckFormatsTest, EveryWrittenFormatReadsBackToTheSameEntries)
{
    AddEntry("Llanowar Elves", "7E", "", 4);
    AddEntry("Forest", "7E", "B", 12);
    AddEntry("Forest", "ON", "A", 8);
    AddEntry("Shock", "ON", "", 3);
    AddEntry("Fire/Ice", "AP", "", 2);
    D->DeckName = W("Зеленая");
    D->DeckNote = W("Быстрая\rколода");
    const L before = Lines();
    for (const char* file : {"out.mdc", "out.txt", "out.cod", "out.dek"}) {
        SCOPED_TRACE(file);
        D->SaveDeck(PathS(file));
        EXPECT_EQ(D->DeckFileName, PathS(file));
        D->NewDeck();
        D->LoadDeck(PathS(file));
        EXPECT_EQ(Lines(), before);
        EXPECT_TRUE(NotFound.empty());
        const std::string written = ReadFileBytes(Path(file));
        if (std::string(file) != "out.mdc") {
            // Other programs' formats: UTF-8, the publisher's set codes, "Fire // Ice".
            EXPECT_NE(written.find("Fire // Ice"), std::string::npos);
            EXPECT_NE(written.find("ONS"), std::string::npos);
        }
        if (std::string(file) == "out.txt" || std::string(file) == "out.cod") {
            EXPECT_NE(written.find("\xD0\x97"), std::string::npos) << "the name in UTF-8"; // "З"
        }
        if (std::string(file) != "out.dek") { // MTGO's format has no name
            EXPECT_EQ(D->DeckName, W("Зеленая"));
        }
    }
    // The .mdc form is exactly the program's own.
    D->DeckName = W("Зеленая");
    D->DeckNote = W("Быстрая\rколода");
    D->SaveDeck(PathS("again.mdc"));
    EXPECT_EQ(ReadFileBytes(Path("again.mdc")).rfind(W("Name: Зеленая\r\nNote: Быстрая\r\nNote: колода\r\n  4 [7E]"), 0), 0u);
}

TEST_F(DeckFormatsTest, BrokenXmlLeavesTheOpenDeck)
{
    LoadBytes("good.txt", "2 Shock\n");
    for (const char* bad : {"<?xml version=\"1.0\"?><cockatrice_deck><zone name=\"main\"><card number=\"4\"",
                            "<html><body>not a deck</body></html>"}) {
        WriteFileBytes(Path("bad.cod"), bad);
        EXPECT_THROW(D->LoadDeck(PathS("bad.cod")), EDeckFormatError) << bad;
        EXPECT_EQ(Lines(), (L{"2 ON Shock"}));
        EXPECT_EQ(D->DeckFileName, PathS("good.txt"));
    }
}

// Files and lines beyond any deck are refused with a message naming the file and the
// line, and leave the open deck; lines of thousands of markers are read in one pass
// (the card part of such a line is what remains).
TEST_F(DeckFormatsTest, BoundsOfFilesAndLines)
{
    LoadBytes("good.txt", "2 Shock\n");
    const std::string longLine = "4 Shock " + std::string(kMaxDeckLineLength, 'x') + "\n";
    const struct {
        const char* what;
        std::string bytes;
        const char* message; // UTF-8; empty: the file reads
        L lines;
    } cases[] = {
        {"a line over 1 MiB", "1 Shock\n" + longLine, "Строка 2: строка длиннее 1 МБ", {}},
        {"a count over the line limit", "2000000000 [7E] Llanowar Elves\r\n", "Строка 1: больше 9999 копий", {}},
        {"320,000 brackets", "4 " + std::string(320000, '[') + "Shock\n", "", {}},
        {"50,000 foil markers", "3 Shock" + Repeat(" *F*", 50000) + "\n", "", {"3 ON Shock"}},
        {"50,000 parenthesised groups", "1 Naturalize" + Repeat(" (x)", 50000) + "\n", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(Path("hostile.txt"), c.bytes);
        if (*c.message) {
            try {
                D->LoadDeck(PathS("hostile.txt"));
                ADD_FAILURE() << "read";
            } catch (const Exception& e) {
                const std::string m = Win1251ToUtf8(e.what());
                EXPECT_NE(m.find(c.message), std::string::npos) << m;
                EXPECT_NE(m.find(PathS("hostile.txt")), std::string::npos) << m;
            }
            EXPECT_EQ(Lines(), (L{"2 ON Shock"}));
        } else {
            // Read, whatever the card lookup makes of what is left of the line; a
            // line that names no card of the base leaves the open deck.
            try {
                D->LoadDeck(PathS("hostile.txt"));
                if (!c.lines.empty())
                    EXPECT_EQ(Lines(), c.lines);
            } catch (const Exception& e) {
                EXPECT_TRUE(c.lines.empty()) << e.what();
                EXPECT_NE(Win1251ToUtf8(e.what()).find("нет ни одной карты"), std::string::npos);
                EXPECT_EQ(Lines(), (L{"2 ON Shock"}));
            }
            LoadBytes("good.txt", "2 Shock\n");
        }
    }
    // More than 64 MiB is no deck, whatever it holds; the reader says so before it
    // looks at a line.
    std::string huge(size_t(kMaxDeckFileSize) + 1, '\n');
    try {
        (void)ReadDeckContent(huge, "huge.txt");
        ADD_FAILURE() << "read";
    } catch (const EDeckFormatError& e) {
        EXPECT_NE(Win1251ToUtf8(e.what()).find("64 МБ"), std::string::npos) << e.what();
    }
}
