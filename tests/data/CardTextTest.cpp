#include "data/CardText.h"

#include <gtest/gtest.h>

#include <string>

TEST(CardTextTest, ColorCodeFromCost)
{
    const struct {
        const char* cost;
        const char* code;
    } cases[] = {
        {"", "L"},   {"3", "A"},   {"X", "A"},   {"1w", "A"},  {"2WW", "W"}, {"B", "B"},
        {"1U", "U"}, {"GG", "G"},  {"4R", "R"},  {"1UB", "Z"}, {"WBUGR", "Z"}, {"XRG", "Z"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColorCodeFromCost(c.cost), c.code) << "cost '" << c.cost << "'";
}

TEST(CardTextTest, SplitAtMarker)
{
    const struct {
        const char* text;
        const char* marker;
        const char* before;
        const char* after;
    } cases[] = {
        {"A/B", "/", "A", "B"},
        {"A", "/", "A", ""},
        {"A/B/C", "/", "A", "B/C"},
        {"/B", "/", "", "B"},
        {"A/", "/", "A", ""},
        {"Fire // Ice", " // ", "Fire", "Ice"},
        {"A/B", "", "A/B", ""},
    };
    for (const auto& c : cases) {
        const auto [before, after] = SplitAtMarker(c.text, c.marker);
        EXPECT_EQ(before, c.before) << c.text;
        EXPECT_EQ(after, c.after) << c.text;
    }
}

TEST(CardTextTest, RemoveMarkedSpans)
{
    const struct {
        const char* text;
        const char* opening;
        const char* closing;
        const char* result;
    } cases[] = {
        {"p [x] q [y] r", "[", "]", "p  q  r"},
        {"p [x q", "[", "]", "p x q"},       // opening marker without a closing one goes alone
        {"p//q//r", "//", "", "pqr"},        // empty closing marker: only opening markers go
        {"no markers", "[", "]", "no markers"},
        {"a ] b [c] d", "[", "]", "a ] b  d"}, // a closing marker before any opening stays
        {"[[x]]y", "[", "]", "]y"},          // nested: the span ends at the first "]"
        {"(A) Forest (3)", "(", ")", " Forest "},
        {"", "[", "]", ""},
        {"a[b]c", "", "]", "a[b]c"},         // empty opening marker changes nothing
        {"x(((", "(", ")", "x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemoveMarkedSpans(c.text, c.opening, c.closing), c.result)
            << "'" << c.text << "' " << c.opening << c.closing;
}

// The removal runs in one pass over the text; it must give what removing the first
// opening marker and its span again and again gives, also where a removal joins the
// halves of a marker ("#" + "(" after "#(x)#" is taken out of "##(x)#(y)#").
TEST(CardTextTest, RemoveMarkedSpansInOnePassGivesWhatRepeatingGives)
{
    auto repeated = [](std::string text, const std::string& opening, const std::string& closing) {
        for (size_t p; (p = text.find(opening)) != std::string::npos;) {
            std::string rest = text.substr(p + opening.size());
            if (const size_t q = rest.find(closing); !closing.empty() && q != std::string::npos)
                rest = rest.substr(q + closing.size());
            text = text.substr(0, p) + rest;
        }
        return text;
    };
    EXPECT_EQ(RemoveMarkedSpans("##(x)#(y)#z", "#(", ")#"), repeated("##(x)#(y)#z", "#(", ")#"));
    uint32_t seed = 12345;
    auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    const std::pair<const char*, const char*> markers[] = {{"#(", ")#"}, {"[", "]"}, {"//", ""}, {"aba", "b"}};
    for (int i = 0; i < 4000; ++i) {
        const auto& [opening, closing] = markers[i % 4];
        std::string text;
        for (unsigned n = next() % 24; n > 0; --n)
            text += "#()[]/abx"[next() % 9];
        EXPECT_EQ(RemoveMarkedSpans(text, opening, closing), repeated(text, opening, closing))
            << "'" << text << "' " << opening << " " << closing;
    }
}

TEST(CardTextTest, TextBetweenMarkers)
{
    const struct {
        const char* text;
        const char* opening;
        const char* closing;
        const char* result;
    } cases[] = {
        {"4 [IN] X", "[", "]", "IN"},
        {"X", "[", "]", ""},
        {"X]", "[", "]", "X"},
        {"[IN X", "[", "]", ""},
        {"a [b] [c]", "[", "]", "b"},
        {"] [b]", "[", "]", "b"},           // the closing marker is searched behind the opening one
        {"2 Forest (3)", "(", ")", "3"},
        {"abc", "", "", "abc"},
        {"a<<b>>c", "<<", ">>", "b"},
        {"abc", "<<", "", "abc"},           // a missing opening marker keeps the whole text
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextBetweenMarkers(c.text, c.opening, c.closing), c.result)
            << "'" << c.text << "' " << c.opening << c.closing;
}

TEST(CardTextTest, VariantNumbers)
{
    EXPECT_EQ(VersionToNumber(""), 0);
    EXPECT_EQ(VersionToNumber("A"), 1);
    EXPECT_EQ(VersionToNumber("C"), 3);
    EXPECT_EQ(VersionToNumber("G"), 7);

    const struct {
        const char* text;
        const char* version;
    } cases[] = {{"", ""}, {"1", "A"}, {"A", "A"}, {"3", "C"}, {"C", "C"}, {"7", "G"},
                 {"G", "G"}, {"2x", "B"}};
    for (const auto& c : cases)
        EXPECT_EQ(NumberToVersion(c.text), c.version) << c.text;

    for (char v = 'A'; v <= 'G'; ++v)
        EXPECT_EQ(NumberToVersion(std::to_string(VersionToNumber(std::string(1, v)))), std::string(1, v));
}
