// The view commands of the main window: filter, language of the columns and index,
// options, showing and hiding the deck, print and about without their dialogs.
#include "MainFormTestSupport.h"

#include "BuildInfo.h"

#include "ui/DataGrid.h"
#include "ui/TableModel.h"

#include <QLabel>
#include <QMenu>

using ViewCommandsTest = MainFormTest;

TEST_F(ViewCommandsTest, FilterAppliesTheStoredStateOnlyWhenConfirmed)
{
    const int all = Cards().RecordCount();
    EXPECT_EQ(Form->CardsCardCountLabel->text(), Q("Выбрано: ") + QString::number(all));

    // The dialog is cancelled: nothing changes, although the flags were touched.
    DialogHooks.Filter = [&](QWidget*) {
        DataModule->SetAllSetFilters(false);
        DataModule->SetSetFilter("7E", true); // 7E only
        DataModule->SortChoice = 1;
        return false;
    };
    Trigger(Form->aFilter);
    EXPECT_EQ(Cards().RecordCount(), all);
    EXPECT_EQ(Cards().IndexName(), "NameSort");

    // Confirmed: the list is filtered and sorted by cost.
    DialogHooks.Filter = [](QWidget*) { return true; };
    Trigger(Form->aFilter);
    const int seventh = Cards().RecordCount();
    EXPECT_LT(seventh, all);
    EXPECT_EQ(DataModule->SortIndexName, "CostSort");
    EXPECT_EQ(Cards().IndexName(), "CostSort");
    EXPECT_EQ(Form->CardsCardCountLabel->text(), Q("Выбрано: ") + QString::number(seventh));
    EXPECT_EQ(Form->CardsModel->rowCount(), seventh);
    EXPECT_EQ(Form->CardsGrid->currentIndex().row(), Cards().CurrentRow());
}

TEST_F(ViewCommandsTest, LanguageSwitchesColumnsAndIndexAndRedrawsAtOnce)
{
    int shown = 0;
    DialogHooks.Options = [&](QWidget*) {
        ++shown;
        CardTextType = 0;
    };
    SelectCard("Shock");
    Form->CardsGrid->setFocus();
    const int drawn = Form->DrawCount;
    Trigger(Form->aOptions);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(Form->CardsModel->Column(0).FieldName, "NameR");
    EXPECT_EQ(Form->CardsModel->Column(2).FieldName, "TypeR");
    EXPECT_EQ(Form->DeckModel->Column(1).FieldName, "NameR");
    // The titles are the same in every language, never a field's name.
    EXPECT_EQ(Form->CardsModel->headerData(0, Qt::Horizontal).toString(), Q("Название"));
    EXPECT_EQ(Form->CardsModel->headerData(2, Qt::Horizontal).toString(), Q("Тип"));
    EXPECT_EQ(Form->CardsModel->headerData(4, Qt::Horizontal).toString(), Q("С/В"));
    EXPECT_EQ(Form->DeckModel->headerData(1, Qt::Horizontal).toString(), Q("Название"));
    EXPECT_EQ(Cards().IndexName(), "NameSortR");
    EXPECT_EQ(CardName(), "Shock"); // the current record stays
    EXPECT_EQ(Form->CardsModel->index(Cards().CurrentRow(), 0).data().toString(), Q("Шок"));
    EXPECT_EQ(Form->DrawCount, drawn + 1); // the same card drawn again in the new language

    // Cancelling the options still re-applies and redraws.
    DialogHooks.Options = [](QWidget*) {};
    Trigger(Form->aOptions);
    EXPECT_EQ(Form->DrawCount, drawn + 2);
    EXPECT_EQ(Cards().IndexName(), "NameSortR");

    // Sorted by cost: the filter keeps the language's index.
    DataModule->SortChoice = 1;
    Trigger(Form->aFilter);
    EXPECT_EQ(Cards().IndexName(), "CostSortR");
    // English again.
    DialogHooks.Options = [](QWidget*) { CardTextType = 2; };
    Trigger(Form->aOptions);
    EXPECT_EQ(Cards().IndexName(), "CostSort");
    EXPECT_EQ(Form->CardsModel->Column(0).FieldName, "Name");
    EXPECT_EQ(Form->CardsModel->headerData(0, Qt::Horizontal).toString(), Q("Название"));
}

TEST_F(ViewCommandsTest, HidingTheDeckMovesTheFocusToTheCardList)
{
    Form->DeckGrid->setFocus();
    const int listWidth = Form->CardsGrid->width();
    Trigger(Form->aShowDeck);
    EXPECT_TRUE(Form->DeckPanel->isHidden());
    EXPECT_FALSE(Form->aShowDeck->isChecked());
    EXPECT_NE(Form->focusWidget(), Form->DeckGrid);
    QApplication::processEvents();
    EXPECT_GT(Form->CardsGrid->width(), listWidth); // the list takes the freed width
    Trigger(Form->aShowDeck);
    EXPECT_FALSE(Form->DeckPanel->isHidden());
    EXPECT_TRUE(Form->aShowDeck->isChecked());
}

TEST_F(ViewCommandsTest, CommandsWithoutTheirDialogs)
{
    SelectCard("Fog");
    Form->AddCardToDeck();
    Form->ActionsUpdate();
    ASSERT_TRUE(Form->aPrint->isEnabled());
    Trigger(Form->aPrint);
    EXPECT_EQ(Dialogs.Messages, QStringList{Q("Печать будет добавлена в следующей версии")});
    Trigger(Form->aAbout);
    EXPECT_EQ(Dialogs.Messages.size(), 2);
    EXPECT_TRUE(Dialogs.Messages[1].contains(Q("Tomelark")));

    int printed = 0;
    DialogHooks.Print = [&](QWidget*) { ++printed; };
    const int drawn = Form->DrawCount;
    Trigger(Form->aPrint);
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(Form->DrawCount, drawn + 1); // the card is drawn again afterwards
}

TEST_F(ViewCommandsTest, LayoutKeepsTheGivenSizes)
{
    EXPECT_GE(Form->width(), 760);
    EXPECT_EQ(Form->minimumWidth(), 760);
    EXPECT_EQ(Form->PaintBox->size(), QSize(306, 439));
    EXPECT_EQ(Form->DeckGrid->width(), 200);
    EXPECT_EQ(Form->DeckPanel->width(), 226);
    EXPECT_EQ(Form->CardPanel->width(), 308);
    EXPECT_EQ(Form->FindEdit->width(), 125);
    EXPECT_EQ(Form->MoveCardUpButton->geometry(), QRect(76, 2, 23, 22));
    EXPECT_EQ(Form->SpeedButton2->geometry().top(), 152);
    // The whole picture is visible, and the labels are not cut.
    EXPECT_TRUE(Form->PaintBox->visibleRegion().boundingRect() == Form->PaintBox->rect());
    for (QLabel* label : {Form->DeckCardCountLabel, Form->CardsCardCountLabel})
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->objectName().toStdString();
    // The splitter between the list and the deck does not move.
    EXPECT_FALSE(Form->Splitter1CanResize());
    const QList<int> sizes = Form->Splitter1->sizes();
    QSplitterHandle* handle = Form->Splitter1->handle(1);
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, QPoint(1, 50));
    QTest::mouseMove(handle, QPoint(-60, 50));
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, QPoint(-60, 50));
    EXPECT_EQ(Form->Splitter1->sizes(), sizes);
    EXPECT_EQ(Form->DeckPanel->width(), 226);
}

TEST_F(ViewCommandsTest, ActionsCarryTheirCaptionsHintsShortcutsAndImages)
{
    const struct {
        QAction* action;
        const char* caption;
        const char* hint;
        QKeySequence shortcut;
        bool image;
    } actions[] = {
        {Form->aCreate, "Создать...", "Создать новую колоду", QKeySequence("Ctrl+N"), true},
        {Form->aOpen, "Открыть...", "Открыть колоду", QKeySequence("Ctrl+O"), true},
        {Form->aSave, "Сохранить", "Сохранить колоду", QKeySequence("Ctrl+S"), true},
        {Form->aSaveAs, "Сохранить Как...", "Сохранить колоду с новым именем", QKeySequence(), true},
        {Form->aPrint, "Печать...", "Печать карт", QKeySequence("Ctrl+P"), true},
        {Form->aExit, "Выход", "Выход из программы", QKeySequence(), true},
        {Form->aEditCard, "Редактировать карту", nullptr, QKeySequence(), false},
        {Form->aAbout, "О программе...", nullptr, QKeySequence(), false},
        {Form->aFilter, "Фильтрация", nullptr, QKeySequence(), true},
        {Form->aStatistics, "Статистика", nullptr, QKeySequence(), true},
        {Form->aShowDeck, "Показывать колоду", nullptr, QKeySequence(), false},
        {Form->aOptions, "Параметры...", nullptr, QKeySequence(), false},
    };
    for (const auto& a : actions) {
        EXPECT_EQ(QString(a.action->text()).remove('&'), Q(a.caption));
        if (a.hint) {
            EXPECT_EQ(a.action->toolTip(), Q(a.hint)) << a.caption;
        }
        EXPECT_TRUE(a.action->statusTip().isEmpty()) << a.caption; // the status bar is the print job's
        EXPECT_EQ(a.action->shortcut(), a.shortcut) << a.caption;
        EXPECT_EQ(!a.action->icon().isNull(), a.image) << a.caption;
    }
    auto texts = [](QMenu* menu) {
        QStringList list;
        for (QAction* a : menu->actions())
            list << (a->isSeparator() ? QString("-") : QString(a->text()).remove('&')) + (a->isVisible() ? "" : "(hidden)");
        return list;
    };
    EXPECT_EQ(texts(Form->FileMenu),
              (QStringList{Q("Создать..."), Q("Открыть..."), Q("Сохранить"), Q("Сохранить Как..."), "-",
                           Q("Экспорт для Quillon(hidden)"), "-(hidden)", Q("Печать..."), "-", Q("Выход")}));
    EXPECT_EQ(texts(Form->ViewMenu), (QStringList{Q("Фильтрация"), "-", Q("Статистика"), "-",
                                                  Q("Показывать колоду"), "-", Q("Параметры...")}));
    EXPECT_EQ(texts(Form->DeckPopupMenu),
              (QStringList{Q("Согласовать со списком"), Q("Добавить карту"), Q("Удалить карту")}));
    EXPECT_EQ(Form->BasePopupMenu->defaultAction(), Form->miAddToDeck);
    EXPECT_EQ(texts(Form->PicturePopupMenu), (QStringList{Q("Сохранить картинку"), Q("Копировать картинку")}));
    EXPECT_EQ(Form->windowTitle(), Q("Tomelark ") + Q(TOMELARK_VERSION));
    EXPECT_EQ(ApplicationTitle(), Q("Tomelark ") + Q(TOMELARK_VERSION));
}
