// Find as you type in the card list.
#include "MainFormTestSupport.h"

#include "ui/DataGrid.h"
#include "ui/TableModel.h"

#include <QLabel>
#include <QLineEdit>

namespace {

class FindAsYouTypeTest : public MainFormTest {
protected:
    void Type(const char* utf8) { Form->FindEdit->setText(Q(utf8)); }
};

} // namespace

TEST_F(FindAsYouTypeTest, SelectsTheFirstRecordWithTheLongestMatchingPrefix)
{
    // The card list is sorted by English name; each step types on from the last.
    const struct {
        const char* typed;
        const char* expected;
    } steps[] = {
        {"bla", "Black Carriage"},      // case ignored, first in the list's order
        {"blazi", "Blazing Salvo"},
        {"blazx", "Blaze"},             // "blaz" is the longest prefix that begins a name
        {"  mirari  ", "Mirari"},       // blanks around the text do not count
        {"mirari'", "Mirari's Wake"},   // the apostrophe matches the one in the name
        {"Urza's", "Urza's Armor"},
        {"Urza's r", "Urza's Rage"},
        {"райские", "Birds of Paradise"}, // no English name: the Russian names, case ignored
        {"ГНЕВ Б", "Wrath of God"},
    };
    for (const auto& step : steps) {
        Type(step.typed);
        EXPECT_EQ(CardName(), step.expected) << step.typed;
        // The grid shows the record that became current.
        EXPECT_EQ(Form->CardsGrid->currentIndex().row(), Cards().CurrentRow()) << step.typed;
    }
}

TEST_F(FindAsYouTypeTest, TextThatBeginsNoNameLeavesTheSelection)
{
    SelectCard("Shock");
    Type("ъъъ"); // no name begins with a hard sign
    EXPECT_EQ(CardName(), "Shock");
    Type("   ");
    EXPECT_EQ(CardName(), "Shock");
}

TEST_F(FindAsYouTypeTest, CardsHiddenByTheFilterAreNotFound)
{
    // Judgment (JU) off: Mirari's Wake is hidden, so its full name finds the longest
    // prefix among the visible names, Mirari (OD).
    DataModule->SetSetFilter("JU", false);
    Trigger(Form->aFilter);
    const QString label = Form->CardsCardCountLabel->text();
    Type("Mirari's Wake");
    EXPECT_EQ(CardName(), "Mirari");
    // Typing does not change the count of the list.
    EXPECT_EQ(Form->CardsCardCountLabel->text(), label);
}

TEST_F(FindAsYouTypeTest, LeavingTheBoxClearsItAndKeepsTheSelection)
{
    Form->FindEdit->setFocus();
    QTest::keyClicks(Form->FindEdit, "Psych");
    EXPECT_EQ(CardName(), "Psychatog");
    Form->CardsGrid->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(Form->FindEdit->text().isEmpty());
    EXPECT_EQ(CardName(), "Psychatog");
}
