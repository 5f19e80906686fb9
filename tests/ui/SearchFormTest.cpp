// The filter dialog: its states across openings (the toggle buttons, the grayed
// "Многоцветный", Cancel), and the card list after OK.
#include "DialogsTestSupport.h"

#include "data/CardText.h"

#include <QListWidget>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace {

using SearchFormTest = DialogsTest;

QList<Qt::CheckState> States(QListWidget* list)
{
    QList<Qt::CheckState> states;
    for (int i = 0; i < list->count(); ++i)
        states << list->item(i)->checkState();
    return states;
}

QList<Qt::CheckState> All(int n, Qt::CheckState s)
{
    return QList<Qt::CheckState>(n, s);
}

// Whether a row of the set list is a group's heading, and the heading row of a row.
bool IsHeading(QListWidget* list, int row)
{
    const QVariant set = list->item(row)->data(Qt::UserRole + 1);
    return set.isValid() && set.toInt() < 0;
}
int GroupOf(QListWidget* list, int row)
{
    while (row >= 0 && !IsHeading(list, row))
        --row;
    return row;
}

// Clicks the check box of a list item with the mouse.
void ClickCheckBox(QListWidget* list, int row)
{
    const QRect item = list->visualItemRect(list->item(row));
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = item;
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    const QRect box = list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, box.center());
}

} // namespace

TEST_F(SearchFormTest, FirstOpeningTogglesAndCaptionsKeptBetweenOpenings)
{
    const int all = Cards().RecordCount();
    OnOpen<TSearchForm>([&](TSearchForm& f) {
        EXPECT_EQ(f.windowTitle(), Q("Настройка фильтра"));
        EXPECT_EQ(States(f.SetListBox), All(f.SetListBox->count(), Qt::Checked));
        EXPECT_EQ(States(f.TypeListBox), All(6, Qt::Checked));
        EXPECT_EQ(States(f.ColorListBox), All(8, Qt::Checked)); // "Многоцветный" checked, not grayed
        EXPECT_EQ(f.SortCombo->currentText(), Q("Названию"));
        for (QPushButton* b : {f.SetResetButton, f.TypeResetButton, f.ColorResetButton}) {
            EXPECT_EQ(b->text(), Q("Нет"));
            EXPECT_EQ(b->property("Tag").toInt(), 1);
        }
        // "Нет" under the colours: all unchecked, the button now offers "Все".
        f.ColorResetButton->click();
        EXPECT_EQ(f.ColorResetButton->text(), Q("Все"));
        EXPECT_EQ(f.ColorResetButton->property("Tag").toInt(), -1);
        EXPECT_EQ(States(f.ColorListBox), All(8, Qt::Unchecked));
        EXPECT_EQ(States(f.SetListBox), All(f.SetListBox->count(), Qt::Checked)); // only its own list
        // White checked by hand; the button is not adjusted to it.
        f.ColorListBox->item(0)->setCheckState(Qt::Checked);
        f.OkButton->click();
    });
    Trigger(Form->aFilter);
    ASSERT_EQ(Openings, 1);
    EXPECT_EQ(DataModule->FilterColors, (std::array<bool, 8>{true, false, false, false, false, false, false, false}));
    // The list holds exactly the white cards (a W in the cost and no other colour).
    const int white = Cards().RecordCount();
    EXPECT_GT(white, 0);
    EXPECT_LT(white, all);
    for (Cards().First(); !Cards().Eof(); Cards().Next())
        EXPECT_EQ(ColorCodeFromCost(Cards().FieldByName("Cost").AsString()), "W") << CardName();
    EXPECT_EQ(Form->CardsCardCountLabel->text(), Q("Выбрано: ") + QString::number(white));

    // The next opening: the items show the stored flags, the button still reads "Все";
    // its next click checks the whole list again. Unchecking every set empties the list.
    OnOpen<TSearchForm>([&](TSearchForm& f) {
        EXPECT_EQ(f.ColorResetButton->text(), Q("Все"));
        EXPECT_EQ(f.ColorListBox->item(0)->checkState(), Qt::Checked);
        EXPECT_EQ(f.ColorListBox->item(1)->checkState(), Qt::Unchecked);
        f.ColorResetButton->click();
        EXPECT_EQ(f.ColorResetButton->text(), Q("Нет"));
        EXPECT_EQ(States(f.ColorListBox), All(8, Qt::Checked));
        f.SetResetButton->click();
        f.OkButton->click();
    });
    Trigger(Form->aFilter);
    EXPECT_EQ(Cards().RecordCount(), 0);
    EXPECT_EQ(Form->CardsCardCountLabel->text(), Q("Выбрано: 0"));
}

// Every item whole inside its list, and a click on an item's text, near its top or
// bottom edge as well as in its middle, toggles that item and no other (in the set
// list a set's click also grays its group's heading, and a heading's click takes its
// sets along).
TEST_F(SearchFormTest, EveryItemWholeAndAClickOnItsTextTogglesIt)
{
    OnOpen<TSearchForm>([&](TSearchForm& f) {
        for (QListWidget* list : {f.SetListBox, f.TypeListBox, f.ColorListBox}) {
            SCOPED_TRACE(list->objectName().toStdString());
            const QRect inside = list->viewport()->rect();
            for (int row = 0; row < list->count(); ++row) {
                list->scrollToItem(list->item(row)); // the set list scrolls
                const QRect item = list->visualItemRect(list->item(row));
                EXPECT_TRUE(inside.contains(item)) << row;
                EXPECT_GE(item.height(), list->fontMetrics().height()) << row;
                for (int y : {item.top() + 1, item.center().y(), item.bottom() - 1}) {
                    const QPoint text(item.left() + item.width() * 2 / 3, y);
                    const Qt::CheckState before = list->item(row)->checkState();
                    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, text);
                    EXPECT_NE(list->item(row)->checkState(), before) << row << " at " << y;
                    const bool heading = IsHeading(list, row);
                    for (int other = 0; other < list->count(); ++other)
                        if (other != row && !IsHeading(list, other) && !(heading && GroupOf(list, other) == row))
                            EXPECT_EQ(list->item(other)->checkState(), Qt::Checked) << other;
                    if (heading)
                        for (int other = row + 1; other < list->count() && !IsHeading(list, other); ++other)
                            EXPECT_EQ(list->item(other)->checkState(), Qt::Unchecked) << other;
                    // Back to checked (the grayed item takes two more clicks).
                    while (list->item(row)->checkState() != Qt::Checked)
                        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, text);
                }
            }
        }
        f.CancelButton->click();
    });
    Trigger(Form->aFilter);
}

TEST_F(SearchFormTest, OnlyMulticolourTakesTheGrayStateByMouseAndSpace)
{
    OnOpen<TSearchForm>([&](TSearchForm& f) {
        QListWidget* list = f.ColorListBox;
        QListWidgetItem* multi = list->item(TSearchForm::MultiColorItem);
        // The space bar on "Многоцветный": checked -> unchecked -> grayed -> checked.
        list->setFocus();
        list->setCurrentRow(TSearchForm::MultiColorItem);
        QTest::keyClick(list, Qt::Key_Space);
        EXPECT_EQ(multi->checkState(), Qt::Unchecked);
        QTest::keyClick(list, Qt::Key_Space);
        EXPECT_EQ(multi->checkState(), Qt::PartiallyChecked);
        QTest::keyClick(list, Qt::Key_Space);
        EXPECT_EQ(multi->checkState(), Qt::Checked);
        // The mouse on its check box cycles the same way.
        ClickCheckBox(list, TSearchForm::MultiColorItem);
        EXPECT_EQ(multi->checkState(), Qt::Unchecked);
        ClickCheckBox(list, TSearchForm::MultiColorItem);
        EXPECT_EQ(multi->checkState(), Qt::PartiallyChecked);
        // Any other item toggles between two states only, by mouse and by space.
        for (int row : {0, 6}) {
            ClickCheckBox(list, row);
            EXPECT_EQ(list->item(row)->checkState(), Qt::Unchecked);
            ClickCheckBox(list, row);
            EXPECT_EQ(list->item(row)->checkState(), Qt::Checked);
        }
        list->setCurrentRow(7);
        QTest::keyClick(list, Qt::Key_Space);
        QTest::keyClick(list, Qt::Key_Space);
        EXPECT_EQ(list->item(7)->checkState(), Qt::Checked);
        EXPECT_EQ(multi->checkState(), Qt::PartiallyChecked);
        // Types and sets have no third state either.
        f.TypeListBox->setFocus();
        f.TypeListBox->setCurrentRow(0);
        QTest::keyClick(f.TypeListBox, Qt::Key_Space);
        QTest::keyClick(f.TypeListBox, Qt::Key_Space);
        EXPECT_EQ(f.TypeListBox->item(0)->checkState(), Qt::Checked);
        f.OkButton->click();
    });
    Trigger(Form->aFilter);
    EXPECT_TRUE(DataModule->FilterMultiExact);
    EXPECT_FALSE(DataModule->FilterColors[5]);
    EXPECT_TRUE(DataModule->FilterColors[0]);

    // Reopened: grayed again. Checked and cancelled: the next opening is grayed still.
    OnOpen<TSearchForm>([&](TSearchForm& f) {
        EXPECT_EQ(f.ColorListBox->item(5)->checkState(), Qt::PartiallyChecked);
        f.ColorListBox->item(5)->setCheckState(Qt::Checked);
        f.SortCombo->setCurrentIndex(1);
        f.CancelButton->click();
    });
    Trigger(Form->aFilter);
    EXPECT_TRUE(DataModule->FilterMultiExact);
    EXPECT_EQ(DataModule->SortChoice, 0);
    OnOpen<TSearchForm>([&](TSearchForm& f) {
        EXPECT_EQ(f.ColorListBox->item(5)->checkState(), Qt::PartiallyChecked);
        EXPECT_EQ(f.SortCombo->currentIndex(), 0);
        // "Нет" under the colours unchecks a grayed item as well.
        f.ColorResetButton->click();
        EXPECT_EQ(f.ColorListBox->item(5)->checkState(), Qt::Unchecked);
        f.OkButton->click();
    });
    Trigger(Form->aFilter);
    EXPECT_FALSE(DataModule->FilterMultiExact);
    EXPECT_EQ(Openings, 3);
}

TEST_F(SearchFormTest, OkResortsTheListByTheDisplayedNameOrByCost)
{
    // Only the sort order changes: by cost, in the displayed language.
    CardTextType = 0;
    Form->ApplyLanguage();
    OnOpen<TSearchForm>([](TSearchForm& f) {
        f.SortCombo->setCurrentIndex(1);
        f.OkButton->click();
    });
    Trigger(Form->aFilter);
    EXPECT_EQ(DataModule->SortChoice, 1);
    EXPECT_EQ(Cards().IndexName(), "CostSortR");
    int previous = -1;
    for (Cards().First(); !Cards().Eof(); Cards().Next()) {
        const int cost = Cards().FieldByName("CostValue").AsInteger();
        EXPECT_LE(previous, cost) << CardName();
        previous = cost;
    }
    // Back to names, in English: the grid's first row is the first English name.
    CardTextType = 2;
    Form->ApplyLanguage();
    OnOpen<TSearchForm>([](TSearchForm& f) {
        EXPECT_EQ(f.SortCombo->currentIndex(), 1);
        f.SortCombo->setCurrentIndex(0);
        f.OkButton->click();
    });
    Trigger(Form->aFilter);
    EXPECT_EQ(Cards().IndexName(), "NameSort");
    Cards().First();
    EXPECT_EQ(CardName(), "Abandon Hope");
    EXPECT_EQ(Form->CardsModel->index(0, 0).data().toString(), Q("Abandon Hope"));
    EXPECT_EQ(Form->CardsCardCountLabel->text(), Q("Выбрано: ") + QString::number(Cards().RecordCount()));
}

TEST_F(SearchFormTest, LayoutShowsEveryTextWhole)
{
    ASSERT_TRUE(SearchForm);
    EXPECT_EQ(SearchForm->size(), QSize(424, 409));
    EXPECT_EQ(LayoutFaults(SearchForm), "");
    // The set list shows whole rows, scrolling to the last set.
    QListWidget* sets = SearchForm->SetListBox;
    sets->scrollToItem(sets->item(sets->count() - 1));
    EXPECT_TRUE(sets->viewport()->rect().contains(sets->visualItemRect(sets->item(sets->count() - 1))));
    EXPECT_EQ(sets->viewport()->height() % sets->visualItemRect(sets->item(0)).height(), 0);
}

// Every state of a check box is plain to see: a dark frame around a white box, a dark
// tick when checked, a grey fill when grayed.
TEST_F(SearchFormTest, CheckBoxesAreClearlyVisibleInEveryState)
{
    ASSERT_TRUE(SearchForm);
    QListWidget* list = SearchForm->ColorListBox;
    list->item(0)->setCheckState(Qt::Unchecked);
    list->item(1)->setCheckState(Qt::Checked);
    list->item(TSearchForm::MultiColorItem)->setCheckState(Qt::PartiallyChecked);
    SearchForm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(SearchForm));
    const QImage shot = list->viewport()->grab().toImage();
    auto box = [&](int row) {
        QStyleOptionViewItem option;
        option.initFrom(list);
        option.rect = list->visualItemRect(list->item(row));
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        return list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    };
    // Dark pixels on the box's outline and inside it.
    auto dark = [&](int row, bool inside) {
        const QRect r = box(row);
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const bool edge = x == r.left() || x == r.right() || y == r.top() || y == r.bottom();
                if (edge == inside || !shot.rect().contains(x, y))
                    continue;
                n += qGray(shot.pixel(x, y)) < 100;
            }
        return n;
    };
    auto grey = [&](int row) { return qGray(shot.pixel(box(row).center())); };
    for (int row : {0, 1, TSearchForm::MultiColorItem})
        EXPECT_GT(dark(row, false) + dark(row, true), 16) << row; // the frame
    EXPECT_EQ(qGray(shot.pixel(box(0).center())), 255);           // unchecked: white inside
    EXPECT_GT(dark(1, true), 8);                                  // checked: a tick
    EXPECT_GT(grey(TSearchForm::MultiColorItem), 110);                  // grayed: grey, not black
    EXPECT_LT(grey(TSearchForm::MultiColorItem), 200);
    EXPECT_TRUE(SearchForm->grab().toImage().save("filter-dialog.png"));
    SearchForm->hide();
}
