// The deck statistics: the counters of a known deck, the percentages in the user's
// locale, the mana value rule, the mana curve's bars, and the tables' positions
// afterwards (also when counting fails).
#include "DialogsTestSupport.h"

#include <QImage>
#include <QLocale>

namespace {

class StatisticFormTest : public DialogsTest {
protected:
    void TearDown() override
    {
        QLocale::setDefault(QLocale::c());
        DialogsTest::TearDown();
    }

    void AddToDeck(const char* name, const char* set, const char* version, int count)
    {
        Deck().Append();
        DataModule->DeckTableName->SetAsString(name);
        DataModule->DeckTableSet->SetAsString(set);
        if (*version)
            DataModule->DeckTableVersion->SetAsString(version);
        DataModule->DeckTableCount->SetAsInteger(count);
        Deck().Post();
    }

    // 60 cards: 20 lands, 32 creatures, 8 other spells. In memory Shock costs 10.
    void BuildDeck()
    {
        ASSERT_TRUE(DataModule->LocateCard("Shock", "7E", ""));
        DataModule->BaseTable.Edit();
        DataModule->BaseTable.FieldByName("Cost").SetAsString("10");
        DataModule->BaseTable.Post();
        AddToDeck("Forest", "7E", "A", 20);            // land, L
        AddToDeck("Grizzly Bears", "7E", "", 8);       // creature, G, 1G
        AddToDeck("Shock", "7E", "", 4);               // instant, R, 10 -> 7
        AddToDeck("Draco", "PS", "", 4);               // artifact creature, A, 16 -> 7
        AddToDeck("Fire/Ice", "AP", "", 4);            // instant, Z, 1R/1U -> 4
        AddToDeck("Birds of Paradise", "7E", "", 20);  // creature, G, G
        ASSERT_EQ(DataModule->DeckTotal, 60);
    }
};

} // namespace

TEST(StatisticManaValue, SymbolsDigitsAndTen)
{
    const struct {
        const char* Cost;
        int Value;
    } cases[] = {{"2WW", 4}, {"X", 1}, {"XR", 2}, {"10", 10}, {"16", 7}, {"0", 0}, {"7", 7},
                 {"1R/1U", 4}, {"W/2U", 4}, {"100", 10}, {"", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TStatisticForm::ManaValue(c.Cost), c.Value) << c.Cost;
}

TEST(StatisticPercent, OneDecimalHalvesToEvenInTheUsersLocale)
{
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(TStatisticForm::PercentText(20, 60), Q("33.3%"));
    EXPECT_EQ(TStatisticForm::PercentText(1, 16), Q("6.2%")); // 6.25
    EXPECT_EQ(TStatisticForm::PercentText(3, 16), Q("18.8%")); // 18.75
    EXPECT_EQ(TStatisticForm::PercentText(60, 60), Q("100.0%"));
    EXPECT_EQ(TStatisticForm::PercentText(0, 60), QString());
    EXPECT_EQ(TStatisticForm::PercentText(3, 0), Q("300.0%")); // taken of max(total, 1)
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    EXPECT_EQ(TStatisticForm::PercentText(20, 60), Q("33,3%"));
    QLocale::setDefault(QLocale::c());
}

TEST_F(StatisticFormTest, KnownDeckCountsAndDrawsTheCurve)
{
    BuildDeck();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    SelectCard("Serra Angel");
    Deck().First();
    Deck().Next();
    Deck().Next();
    const std::string cardBefore = CardName();
    const std::string deckBefore = DeckName();
    std::array<int64_t, 18> first{};
    OnOpen<TStatisticForm>([&](TStatisticForm& f) {
        EXPECT_EQ(f.windowTitle(), Q("Статистика"));
        EXPECT_TRUE(f.OkButton->hasFocus() || f.focusWidget() == f.OkButton);
        first = f.Counters;
        // Kinds, colours, total, curve.
        EXPECT_EQ(f.Counters[0], 32);
        EXPECT_EQ(f.Counters[1], 8);
        EXPECT_EQ(f.Counters[2], 20);
        EXPECT_EQ(f.Counters[3], 0);  // white
        EXPECT_EQ(f.Counters[4], 0);  // blue
        EXPECT_EQ(f.Counters[5], 0);  // black
        EXPECT_EQ(f.Counters[6], 4);  // red
        EXPECT_EQ(f.Counters[7], 28); // green
        EXPECT_EQ(f.Counters[8], 4);  // multicoloured
        EXPECT_EQ(f.Counters[9], 4);  // artifact
        EXPECT_EQ(f.Counters[10], 60);
        EXPECT_EQ((std::array<int64_t, 7>{f.Counters[11], f.Counters[12], f.Counters[13], f.Counters[14],
                                      f.Counters[15], f.Counters[16], f.Counters[17]}),
                  (std::array<int64_t, 7>{20, 8, 0, 4, 0, 0, 8}));
        // The grid: labels, counts, percentages of the whole deck.
        EXPECT_EQ(f.CellText(0, 2), Q("Земли:"));
        EXPECT_EQ(f.CellText(1, 2), Q("20"));
        EXPECT_EQ(f.CellText(2, 2), Q("33,3%"));
        EXPECT_EQ(f.CellText(2, 0), Q("53,3%"));
        EXPECT_EQ(f.CellText(1, 5), Q("0")); // blue: 0 and no percentage
        EXPECT_EQ(f.CellText(2, 5), QString());
        EXPECT_EQ(f.CellText(0, 12), Q("Всего:"));
        EXPECT_EQ(f.CellText(1, 12), Q("60"));
        EXPECT_EQ(f.CellText(2, 12), QString());
        EXPECT_EQ(f.CellText(0, 3), QString()); // spacer
        // The curve: 20 cards in one bucket make a bar unit of 6 pixels per card.
        EXPECT_EQ(f.BarUnit(), 6);
        const QImage curve = f.ManaCurvePaintBox->grab().toImage();
        const QRgb blue = qRgb(0, 0, 255);
        EXPECT_EQ(curve.pixel(20, 7 + 7), blue);                  // value 1, first pixel
        EXPECT_EQ(curve.pixel(20 + 20 * 6 - 1, 7 + 7), blue);     // value 1, last pixel
        EXPECT_NE(curve.pixel(20 + 20 * 6 + 1, 7 + 1), blue);     // just behind it
        EXPECT_EQ(curve.pixel(20 + 8 * 6 - 1, 28 + 7), blue);     // value 2: 8 cards
        EXPECT_NE(curve.pixel(22, 49 + 7), blue);                 // value 3: none
        EXPECT_EQ(curve.pixel(20 + 8 * 6 - 1, 133 + 13), blue);   // value 7: 8 cards, 14 high
        // The grid paints its texts.
        const QImage grid = f.TypeGrid->grab().toImage();
        bool inked = false;
        for (int x = 0; x < 82 && !inked; ++x)
            for (int y = 0; y < 16 && !inked; ++y)
                inked = qGray(grid.pixel(x, y)) < 100;
        EXPECT_TRUE(inked);
        f.OkButton->click();
    });
    Trigger(Form->aStatistics);
    ASSERT_EQ(Openings, 1);
    // Afterwards both lists are where they were; a second opening counts the same.
    EXPECT_EQ(CardName(), cardBefore);
    EXPECT_EQ(DeckName(), deckBefore);
    EXPECT_TRUE(DataModule->LockStack.empty());
    OnOpen<TStatisticForm>([&](TStatisticForm& f) {
        EXPECT_EQ(f.Counters, first);
        f.accept();
    });
    Trigger(Form->aStatistics);
    EXPECT_EQ(Openings, 2);
}

TEST_F(StatisticFormTest, SmallBucketsDrawSixteenPixelsPerCard)
{
    AddToDeck("Grizzly Bears", "7E", "", 8);
    AddToDeck("Serra Angel", "7E", "", 3);
    OnOpen<TStatisticForm>([&](TStatisticForm& f) {
        EXPECT_EQ(f.BarUnit(), 16);
        EXPECT_EQ(f.Counters[12], 8);
        EXPECT_EQ(f.Counters[15], 3);
        EXPECT_EQ(f.Counters[3], 3); // white
        f.accept();
    });
    Trigger(Form->aStatistics);
    EXPECT_EQ(Openings, 1);
}

TEST_F(StatisticFormTest, PositionsComeBackWhenCountingFails)
{
    AddToDeck("Grizzly Bears", "7E", "", 2);
    AddToDeck("No Such Card", "7E", "", 1);
    AddToDeck("Shock", "7E", "", 1);
    SelectCard("Fog");
    Deck().First();
    ASSERT_TRUE(StatisticForm);
    try {
        StatisticForm->CountDeck();
        ADD_FAILURE() << "a deck entry missing from the card base was counted";
    } catch (const EError& e) {
        EXPECT_EQ(Win1251ToUtf8(e.what()), "Не найдена карта No Such Card [7E]");
    }
    EXPECT_EQ(CardName(), "Fog");
    EXPECT_EQ(DeckName(), "Grizzly Bears");
    EXPECT_TRUE(DataModule->LockStack.empty());
    EXPECT_FALSE(Cards().ControlsDisabled());
    EXPECT_FALSE(Deck().ControlsDisabled());
    // Through the command the main window's check stops it before the dialog opens.
    Trigger(Form->aStatistics);
    EXPECT_EQ(Openings, 0);
    EXPECT_EQ(Dialogs.Errors, QStringList{Q("Не найдена карта No Such Card [7E]")});
}

TEST_F(StatisticFormTest, LayoutShowsEveryTextWhole)
{
    ASSERT_TRUE(StatisticForm);
    EXPECT_EQ(StatisticForm->size(), QSize(360, 231));
    EXPECT_EQ(StatisticForm->TypeGrid->size(), QSize(162, 192));
    EXPECT_EQ(LayoutFaults(StatisticForm), "");
    // The longest label fits its column.
    EXPECT_LE(StatisticForm->fontMetrics().horizontalAdvance(Q("Многоцветные:")) + 2, 82);
}
