#include "Library/Common/ExtUtils.h"

#include <gtest/gtest.h>
#include <QString>

#include <algorithm>
#include <vector>

namespace {
std::string W(const char* utf8) { return Utf8ToWin1251(utf8); }
}

TEST(Text1251, RoundTripsEveryByteThroughQString)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(char(i));
    bool ok = false;
    EXPECT_EQ(QStringToWin1251(Win1251ToQString(all), &ok), all);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Win1251ToQString(W("Ёжик")), QString::fromUtf8("Ёжик"));
}

TEST(Text1251, CharactersOutsideTheCodePageAreReported)
{
    bool ok = true;
    EXPECT_EQ(QStringToWin1251(QString::fromUtf8("a日b"), &ok), "a?b");
    EXPECT_FALSE(ok);
}

TEST(Text1251, LetterCaseFollowsRussianRules)
{
    EXPECT_EQ(UpperCase1251(W("ёлка Ель abc ґ")), W("ЁЛКА ЕЛЬ ABC Ґ"));
    EXPECT_EQ(LowerCase1251(W("ЁЖ QZ")), W("ёж qz"));
    EXPECT_TRUE(TextEquals(W("ёЖик"), W("ЁжИК")));
    EXPECT_FALSE(TextEquals(W("еж"), W("ёж")));
    EXPECT_TRUE(StartsWithText1251(W("Шиванский дракон"), W("шива")));
}

TEST(Text1251, OrderingPutsYoAfterYeAndLettersBeforeCase)
{
    std::vector<std::string> words = {W("ёж"), W("Жук"), W("ель"), W("Ель"), W("яма"), W("Юла"),
                                      "Zebra", "apple", "Apple", "10", W("ешь"), W("еж")};
    std::sort(words.begin(), words.end(),
              [](const std::string& a, const std::string& b) { return CollateCompare1251(a, b) < 0; });
    std::vector<std::string> expected = {"10", "apple", "Apple", "Zebra", W("еж"), W("ель"),
                                         W("Ель"), W("ешь"), W("ёж"), W("Жук"), W("Юла"), W("яма")};
    EXPECT_EQ(words, expected);
    EXPECT_EQ(CompareText1251(W("ель"), W("ЕЛЬ")), 0);
    EXPECT_NE(CollateCompare1251(W("ель"), W("ЕЛЬ")), 0);
}
