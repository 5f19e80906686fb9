// The deck file's line splitting, line reading and written entry form.
#include "data/DeckFile.h"

#include <gtest/gtest.h>

namespace {

TEST(DeckFileLines, SplitsAtEveryKindOfLineBreakAndStopsAtZeroByte)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitDeckLines("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitDeckLines("a\n\nb\r\n"), (V{"a", "", "b"}));
    EXPECT_EQ(SplitDeckLines("a\r\r\nb"), (V{"a", "", "b"}));
    EXPECT_EQ(SplitDeckLines(std::string_view("a\nb\0c\nd", 7)), (V{"a", "b"}));
    EXPECT_EQ(SplitDeckLines(""), V{});
}

struct CardLineCase {
    const char* line;
    int32_t count;
    const char* set;
    const char* name;
    const char* version;
};

class DeckCardLine : public testing::TestWithParam<CardLineCase> {};

TEST_P(DeckCardLine, ReadsCountSetNameAndVariant)
{
    const auto& c = GetParam();
    TDeckLine line = ParseDeckLine(c.line);
    ASSERT_EQ(line.Kind, TDeckLine::dlCard) << c.line;
    EXPECT_EQ(line.Count, c.count) << c.line;
    EXPECT_EQ(line.Set, c.set) << c.line;
    EXPECT_EQ(line.Name, c.name) << c.line;
    EXPECT_EQ(line.Version, c.version) << c.line;
}

INSTANTIATE_TEST_SUITE_P(
    HandWrittenForms, DeckCardLine,
    testing::Values(CardLineCase{"  4 [7E] Llanowar Elves", 4, "7E", "Llanowar Elves", ""},
                    CardLineCase{"4;[7E]Llanowar Elves", 4, "7E", "Llanowar Elves", ""},
                    CardLineCase{"4 Llanowar Elves [7E]", 4, "7E", "Llanowar Elves", ""},
                    CardLineCase{"2 Forest (3)", 2, "", "Forest", "C"},
                    CardLineCase{" 20 [7E] Forest (A)", 20, "7E", "Forest", "A"},
                    CardLineCase{"1 (2) Forest [ 7E ]", 1, "7E", "Forest", "B"},
                    CardLineCase{"4\t\t;; Island\t", 4, "", "Island", ""},
                    CardLineCase{"\t+3 Island\x01", 3, "", "Island", ""},
                    CardLineCase{"-1 Island", -1, "", "Island", ""},
                    CardLineCase{"0 Island", 0, "", "Island", ""},
                    CardLineCase{"100 [IN] X (b)", 100, "IN", "X", "B"},
                    CardLineCase{"1 Fire // Ice", 1, "", "Fire/Ice", ""},
                    CardLineCase{"2 [IN] Fire//Ice (1)", 2, "IN", "Fire/Ice", "A"},
                    CardLineCase{"3 [AP] Fire //", 3, "AP", "Fire", ""},
                    CardLineCase{"5", 5, "", "", ""},
                    // Other programs' forms of the set and the variant.
                    CardLineCase{"4 Llanowar Elves (7ED) 253", 4, "7E", "Llanowar Elves", ""},
                    CardLineCase{"1 Urza's Rage (INV) 178 *F*", 1, "IN", "Urza's Rage", ""},
                    CardLineCase{"20 Forest (7ED) B", 20, "7E", "Forest", "B"},
                    CardLineCase{"4 [ODY:292] Psychatog", 4, "OD", "Psychatog", ""},
                    CardLineCase{"4 Llanowar Elves|7ED", 4, "7E", "Llanowar Elves", ""},
                    CardLineCase{"2 Forest|ONS|3", 2, "ON", "Forest", "C"},
                    CardLineCase{"2 Fire // Ice (APC) 128", 2, "AP", "Fire/Ice", ""},
                    CardLineCase{"1 Dark Ritual (XYZ) 9", 1, "XYZ", "Dark Ritual", ""}));

TEST(DeckFileLines, NameNoteEmptyAndCommentLines)
{
    struct Case {
        const char* line;
        TDeckLine::TKind kind;
        const char* text;
    } cases[] = {
        {"Name: Green", TDeckLine::dlName, "Green"},
        {"  NAME:Green  ", TDeckLine::dlName, "Green"},
        {"nAmE:", TDeckLine::dlName, ""},
        {"Note:  Test deck ", TDeckLine::dlNote, "Test deck"},
        {"", TDeckLine::dlSkip, ""},
        {" \t\r ", TDeckLine::dlSkip, ""},
        {"// Creatures", TDeckLine::dlSkip, ""},
        {"  //", TDeckLine::dlSkip, ""},
        {"# comment", TDeckLine::dlSkip, ""},
        {"Deck", TDeckLine::dlSection, "deck"},
        {"Sideboard", TDeckLine::dlSection, "sideboard"},
        {"SIDEBOARD:", TDeckLine::dlSection, "sideboard:"},
        {"Creatures (24)", TDeckLine::dlSection, "creatures (24)"},
        {"[Main]", TDeckLine::dlSection, "main"},
        {"LAYOUT MAIN:(1,6)(NONE,false,50)", TDeckLine::dlSkip, ""},
    };
    for (const auto& c : cases) {
        TDeckLine line = ParseDeckLine(c.line);
        EXPECT_EQ(line.Kind, c.kind) << c.line;
        EXPECT_EQ(line.Text, c.text) << c.line;
    }
}

TEST(DeckFileLines, CountsOfOtherProgramsAndLinesWithoutOne)
{
    struct Case {
        const char* line;
        int32_t count;
        const char* name;
    } cases[] = {
        {"4x Island", 4, "Island"},       {"4 x Island", 4, "Island"},   {"x4 [7E] Island", 4, "Island"},
        {"4X Island", 4, "Island"},       {"Island", 1, "Island"},       {"Island x3", 3, "Island"},
        {"Island 2x", 2, "Island"},       {"$10 Island", 1, "$10 Island"}, {"SB: 2 Naturalize", 2, "Naturalize"},
        {"sb:1 Opt", 1, "Opt"},
    };
    for (const auto& c : cases) {
        const TDeckLine line = ParseDeckLine(c.line);
        ASSERT_EQ(line.Kind, TDeckLine::dlCard) << c.line;
        EXPECT_EQ(line.Count, c.count) << c.line;
        EXPECT_EQ(line.Name, c.name) << c.line;
    }
    // More copies than a deck can hold: an error naming the line.
    for (const char* line : {"10000 Island", "99999999999 Island", "Island x12345"}) {
        try {
            ParseDeckLine(line, 7);
            ADD_FAILURE() << "no error for " << line;
        } catch (const EDeckFormatError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(Utf8ToWin1251("Строка 7: "), 0), 0u) << e.what();
        }
    }
    EXPECT_EQ(DeckStrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(DeckStrToInt("2147483647"), INT32_MAX);
    EXPECT_THROW(DeckStrToInt("2147483648"), EConvertError);
}

TEST(DeckFileLines, EntryLineAndNotFoundText)
{
    EXPECT_EQ(DeckEntryLine(4, "7E", "Llanowar Elves", ""), "  4 [7E] Llanowar Elves");
    EXPECT_EQ(DeckEntryLine(20, "7E", "Forest", "A"), " 20 [7E] Forest (A)");
    EXPECT_EQ(DeckEntryLine(1, "IN", "X", ""), "  1 [IN] X");
    EXPECT_EQ(DeckEntryLine(12, "IN", "X", ""), " 12 [IN] X");
    EXPECT_EQ(DeckEntryLine(100, "IN", "X", ""), "100 [IN] X");
    EXPECT_EQ(DeckEntryLine(1000, "IN", "X", ""), "1000 [IN] X");
    EXPECT_EQ(DeckNotFoundText("X", "IN", "B"), "[IN] X (B)");
    EXPECT_EQ(DeckNotFoundText("X", "", ""), "X");
    EXPECT_EQ(DeckNotFoundCaption(), Utf8ToWin1251("Не найдена карта"));
}

} // namespace
