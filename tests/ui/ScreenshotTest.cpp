// The main window on the sample data as a user first meets it with a deck open: the
// card list with mana symbols in its Cost column, the deck, and the rendered card.
// The window's picture is written to "main-window.png" in the test's working folder
// (the README's screenshot is taken from it).
#include "MainFormTestSupport.h"

#include "render/CardView.h"
#include "ui/CardGridDelegate.h"

TEST_F(MainFormTest, MainWindowOnTheSampleDataWithADeckOpen)
{
    const QString deck = QString::fromUtf8(TOMELARK_BIN_DIR) + "/decks/green-red.mdc";
    if (!QFile::exists(deck))
        GTEST_SKIP() << "the sample decks are not in the data store";
    ClearCostPictureCache();
    Form->resize(1000, Form->height());
    Dialogs.OpenAnswers.push_back(deck);
    Trigger(Form->aOpen);
    ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("\n").toStdString();
    EXPECT_EQ(Form->DeckCardCountLabel->text(), Q("Число карт: 60"));

    SelectCard("Lightning Angel");
    Form->CardsGrid->setFocus();
    Form->UpdateImageTimer->stop();
    Form->UpdateImageCardNow();
    ASSERT_EQ(Form->DrawnCardKey.Name, "Lightning Angel");
    QApplication::processEvents();
    const QImage shot = Form->grab().toImage();
    ASSERT_FALSE(shot.isNull());

    // Every Cost cell in view was painted as symbols, and the card is on the screen.
    const QRect costColumn = Form->CardsGrid->visualRect(Form->CardsModel->index(Cards().CurrentRow(), 3));
    EXPECT_GT(costColumn.width(), 0);
    EXPECT_TRUE(Form->CardsGrid->viewport()->rect().contains(costColumn));
    EXPECT_GT(CostPictureCacheSize(), 5u);
    const QPoint card = Form->PaintBox->mapTo(Form.get(), QPoint(3, 3));
    EXPECT_EQ(shot.copy(QRect(card, CardPicture.size())).convertToFormat(CardPicture.format()), CardPicture);
    EXPECT_TRUE(shot.save("main-window.png"));
}
