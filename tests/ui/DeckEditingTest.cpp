// Deck editing from the main window: the keys, speed buttons, double clicks and popup
// items, and the deck's count label.
#include "MainFormTestSupport.h"

#include "ui/DataGrid.h"

#include <QLabel>
#include <QToolButton>

using DeckEditingTest = MainFormTest;

namespace {
QString CountLabel(int n)
{
    return Q("Число карт: ") + QString::number(n);
}
} // namespace

TEST_F(DeckEditingTest, AddingTheListsCardByEnterButtonDoubleClickAndMenu)
{
    Form->CardsGrid->setFocus();
    SelectCard("Shock");
    Key(Form->CardsGrid, Qt::Key_Return);
    Key(Form->CardsGrid, Qt::Key_Enter);
    EXPECT_EQ(DeckLines(), std::vector<std::string>{"2 Shock [7E]"}); // one entry, count 2
    EXPECT_EQ(Form->DeckCardCountLabel->text(), CountLabel(2));

    // Two printings of one card are two entries.
    SelectCard("Forest", "7E", "A");
    Form->SpeedButton1->click();
    SelectCard("Forest", "7E", "B");
    Form->miAddToDeck->trigger();
    // A double click adds the card of the row clicked.
    const int row = Cards().CurrentRow() + 1;
    const QRect cell = Form->CardsGrid->visualRect(Form->CardsModel->index(row, 1));
    QTest::mouseDClick(Form->CardsGrid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_EQ(DeckLines(), (std::vector<std::string>{"2 Shock [7E]", "1 Forest [7E] (A)", "1 Forest [7E] (B)",
                                                     "1 Forest [7E] (C)"}));
    EXPECT_EQ(DataModule->DeckTotal, 5);
    EXPECT_EQ(Form->DeckCardCountLabel->text(), CountLabel(5));
    // The last card added is the deck's current entry; the card list did not move.
    EXPECT_EQ(Deck().FieldByName("Version").AsString(), "C");
    EXPECT_EQ(Cards().CurrentRow(), row);
}

TEST_F(DeckEditingTest, AddingWithAnEmptyCardListChangesNothing)
{
    DataModule->SetAllSetFilters(false);
    Trigger(Form->aFilter);
    ASSERT_EQ(Cards().RecordCount(), 0);
    EXPECT_EQ(Form->CardsCardCountLabel->text(), Q("Выбрано: 0"));
    Form->AddCardToDeck();
    EXPECT_TRUE(DeckLines().empty());
}

TEST_F(DeckEditingTest, CopiesMoreAndLessByKeysButtonsAndMenu)
{
    SelectCard("Counterspell");
    Form->AddCardToDeck();
    Form->DeckGrid->setFocus();
    const struct {
        const char* what;
        std::function<void()> act;
        int count; // 0: the entry is gone
    } steps[] = {
        {"Insert", [&] { Key(Form->DeckGrid, Qt::Key_Insert); }, 2},
        {"keypad plus", [&] { Key(Form->DeckGrid, Qt::Key_Plus, Qt::KeypadModifier); }, 3},
        {"plus button", [&] { Form->SpeedButton4->click(); }, 4},
        {"menu: add", [&] { Form->miAddDeckCard->trigger(); }, 5},
        {"Delete", [&] { Key(Form->DeckGrid, Qt::Key_Delete); }, 4},
        {"keypad minus", [&] { Key(Form->DeckGrid, Qt::Key_Minus, Qt::KeypadModifier); }, 3},
        {"minus button", [&] { Form->SpeedButton3->click(); }, 2},
        {"left button", [&] { Form->SpeedButton2->click(); }, 1},
        {"menu: remove the last copy", [&] { Form->miRemoveDeckCard->trigger(); }, 0},
        {"remove from an empty deck", [&] { Form->RemoveDeckCard(); }, 0},
        {"add to an empty deck", [&] { Form->AddDeckCard(); }, 0},
    };
    for (const auto& step : steps) {
        step.act();
        if (step.count == 0) {
            EXPECT_TRUE(DeckLines().empty()) << step.what;
        } else {
            EXPECT_EQ(DeckLines(), std::vector<std::string>{std::to_string(step.count) + " Counterspell [7E]"})
                << step.what;
        }
        EXPECT_EQ(DataModule->DeckTotal, step.count) << step.what;
        EXPECT_EQ(Form->DeckCardCountLabel->text(), CountLabel(step.count)) << step.what;
    }
}

TEST_F(DeckEditingTest, MovingEntriesExchangesTheirPlacesAndKeepsTheMovedOneCurrent)
{
    for (const char* name : {"Shock", "Fog", "Duress"}) {
        SelectCard(name);
        Form->AddCardToDeck();
    }
    Form->DeckGrid->setFocus();
    ASSERT_EQ(DeckName(), "Duress");
    const struct {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> order;
        const char* current;
    } steps[] = {
        {"Shift+Up", [&] { Key(Form->DeckGrid, Qt::Key_Up, Qt::ShiftModifier); },
         {"Shock", "Duress", "Fog"}, "Duress"},
        {"Ctrl+Up", [&] { Key(Form->DeckGrid, Qt::Key_Up, Qt::ControlModifier); },
         {"Duress", "Shock", "Fog"}, "Duress"},
        {"up at the top", [&] { Form->MoveCardUpButton->click(); }, {"Duress", "Shock", "Fog"}, "Duress"},
        {"plain Down only moves the selection", [&] { Key(Form->DeckGrid, Qt::Key_Down); },
         {"Duress", "Shock", "Fog"}, "Shock"},
        {"down button", [&] { Form->MoveCardDownButton->click(); }, {"Duress", "Fog", "Shock"}, "Shock"},
        {"Alt+Down at the bottom", [&] { Key(Form->DeckGrid, Qt::Key_Down, Qt::AltModifier); },
         {"Duress", "Fog", "Shock"}, "Shock"},
        {"Shift+Up back", [&] { Key(Form->DeckGrid, Qt::Key_Up, Qt::ShiftModifier); },
         {"Duress", "Shock", "Fog"}, "Shock"},
    };
    for (const auto& step : steps) {
        step.act();
        std::vector<std::string> names;
        for (const std::string& line : DeckLines())
            names.push_back(line.substr(2, line.find(" [") - 2));
        EXPECT_EQ(names, step.order) << step.what;
        EXPECT_EQ(DeckName(), step.current) << step.what;
        EXPECT_EQ(Form->DeckGrid->currentIndex().row(), Deck().CurrentRow()) << step.what;
        EXPECT_EQ(Deck().IndexName(), "IDSort") << step.what;
        EXPECT_EQ(DataModule->DeckTotal, 3) << step.what;
    }
}

TEST_F(DeckEditingTest, ASingleEntryDoesNotMove)
{
    SelectCard("Fog");
    Form->AddCardToDeck();
    Form->AddCardToDeck(); // DeckTotal 2 passes the first test; the step does not move
    Form->MoveDeckCard(1);
    Form->MoveDeckCard(-1);
    Form->MoveDeckCard(5); // not a direction
    EXPECT_EQ(DeckLines(), std::vector<std::string>{"2 Fog [7E]"});
}

TEST_F(DeckEditingTest, FindingTheDecksCardInTheList)
{
    SelectCard("Wonder");
    Form->AddCardToDeck();
    SelectCard("Shock");
    Form->AddCardToDeck();
    SelectCard("Blaze");
    Form->DeckGrid->setFocus();
    Key(Form->DeckGrid, Qt::Key_Return);
    EXPECT_EQ(CardName(), "Shock");
    EXPECT_EQ(Form->CardsGrid->currentIndex().row(), Cards().CurrentRow());

    // Double click on the first entry.
    const QRect cell = Form->DeckGrid->visualRect(Form->DeckModel->index(0, 1));
    QTest::mouseDClick(Form->DeckGrid->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    EXPECT_EQ(DeckName(), "Wonder");
    EXPECT_EQ(CardName(), "Wonder");

    // A card the filter hides is not found; the list stays where it was.
    DataModule->SetSetFilter("JU", false); // JU: Wonder
    Trigger(Form->aFilter);
    SelectCard("Blaze");
    Form->miFindInBase->trigger();
    EXPECT_EQ(CardName(), "Blaze");
}
