// The main window on the sample data as a user first meets it with a deck open: the
// card list with mana symbols in its Cost column, the deck, and the rendered card.
// The window's picture is written to "main-window.png" in the test's working folder
// (the README's screenshot is taken from it).
#include "MainFormTestSupport.h"

#include "render/CardView.h"
#include "ui/CardGridDelegate.h"
#include "ui/Program.h"

#include <QDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTreeView>

#include <functional>

namespace {

// The sample deck open and Lightning Angel drawn from the card list, as in the
// README's screenshots. False when the build has no sample decks.
bool ShowTheSampleScene(TMainForm& form, TFakeDialogs& dialogs, const std::function<void(const char*)>& select)
{
    const QString deck = QString::fromUtf8(TOMELARK_BIN_DIR) + "/decks/green-red.mdc";
    if (!QFile::exists(deck))
        return false;
    ClearCostPictureCache();
    form.resize(1000, form.height());
    dialogs.OpenAnswers.push_back(deck);
    form.ActionsUpdate();
    form.aOpen->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join("\n").toStdString();
    EXPECT_EQ(form.DeckCardCountLabel->text(), Q("Число карт: 60"));
    select("Lightning Angel");
    form.CardsGrid->setFocus();
    form.UpdateImageTimer->stop();
    form.UpdateImageCardNow();
    EXPECT_EQ(form.DrawnCardKey.Name, "Lightning Angel");
    return true;
}

} // namespace

TEST_F(MainFormTest, MainWindowOnTheSampleDataWithADeckOpen)
{
    if (!ShowTheSampleScene(*Form, Dialogs, [this](const char* n) { SelectCard(n); }))
        GTEST_SKIP() << "the sample decks are not in the data store";
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

// The same window on a screen of twice the pixel density (run with QT_SCALE_FACTOR=2
// as the test "ScreenshotAt2x"): the card is drawn in the screen's own pixels, one
// picture pixel to one screen pixel, and so are the cost symbols. The window's
// picture is written to "main-window-2x.png".
TEST_F(MainFormTest, MainWindowAtDevicePixelRatio2)
{
    if (Form->devicePixelRatioF() != 2.0)
        GTEST_SKIP() << "runs at a device pixel ratio of 2 (QT_SCALE_FACTOR=2)";
    if (!ShowTheSampleScene(*Form, Dialogs, [this](const char* n) { SelectCard(n); }))
        GTEST_SKIP() << "the sample decks are not in the data store";
    EXPECT_EQ(CardPicture.size(), QSize(600, 866));
    QApplication::processEvents();
    const QImage shot = Form->grab().toImage();
    ASSERT_EQ(shot.size(), Form->size() * 2);
    const QPoint card = Form->PaintBox->mapTo(Form.get(), QPoint(3, 3)) * 2;
    EXPECT_EQ(shot.copy(QRect(card, CardPicture.size())).convertToFormat(CardPicture.format()), CardPicture);
    // The cost symbols of the current row were drawn at twice the cell's size.
    const QRect cost = Form->CardsGrid->visualRect(Form->CardsModel->index(Cards().CurrentRow(), 3));
    const QColor highlight = Form->CardsGrid->palette().color(QPalette::Active, QPalette::Highlight);
    EXPECT_TRUE(CostPictureCached(CostPictureKey(Cards().FieldByName("Cost").AsString(), (cost.width() - 2) * 2,
                                                 (cost.height() - 2) * 2, highlight)));
    EXPECT_TRUE(shot.save("main-window-2x.png"));
}

// Qt's own open dialog in Russian, its columns whole ("file-dialog-ru.png").
TEST_F(MainFormTest, TheOpenDialogInRussian)
{
    if (!InstallQtTranslations())
        GTEST_SKIP() << "Qt's Russian translations are not installed";
    for (const char* name : {"green-red.mdc", "white-weenie.mdc", "Колода друга.mdc"}) {
        QFile f(Folder.File(QString("decks/") + Q(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("  4 [7E] Shock\r\n");
    }
    const auto dialog = MakeFileDialog(Form.get(), QFileDialog::AcceptOpen, Folder.File("decks"),
                                       Q("Все колоды (*.mdc *.txt *.dec *.dek *.cod *.dck *.mwDeck *.csv);;"
                                         "Колоды Tomelark (*.mdc);;Все файлы (*)"),
                                       Q("mdc"));
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(view, nullptr);
    QTRY_VERIFY(view->model()->rowCount(view->rootIndex()) == 3);
    QApplication::processEvents();
    const QHeaderView* header = view->header();
    EXPECT_EQ(view->model()->headerData(0, Qt::Horizontal).toString(), Q("Имя"));
    for (int c = 0; c < header->count(); ++c) {
        if (header->isSectionHidden(c))
            continue;
        const QString title = view->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_GE(header->sectionSize(c), header->fontMetrics().horizontalAdvance(title) + 8) << title.toStdString();
    }
    const QImage shot = dialog->grab().toImage();
    EXPECT_TRUE(shot.save("file-dialog-ru.png"));
}

// A large screen: at 1600 x 1000 the name column takes the room and the card grows at
// its own proportions, drawn at its size.
TEST_F(MainFormTest, MainWindowAt1600x1000)
{
    if (!ShowTheSampleScene(*Form, Dialogs, [this](const char* n) { SelectCard(n); }))
        GTEST_SKIP() << "the sample decks are not in the data store";
    Form->resize(1600, 1000);
    QApplication::processEvents();
    Form->UpdateImageTimer->stop();
    Form->UpdateImageCardNow();
    QApplication::processEvents();
    EXPECT_GT(Form->PaintBox->height(), 700);
    const double ratio = double(CardPicture.width()) / CardPicture.height();
    EXPECT_NEAR(ratio, 300.0 / 433.0, 0.01);
    EXPECT_EQ(CardPicture.size(), Form->PaintBox->size() - QSize(6, 6)); // drawn at its size
    int columns = 0;
    for (int c = 0; c < Form->CardsModel->ColumnCount(); ++c)
        columns += Form->CardsGrid->columnWidth(c);
    EXPECT_EQ(columns, Form->CardsGrid->viewport()->width()); // no empty room beside the columns
    const QImage shot = Form->grab().toImage();
    EXPECT_EQ(shot.size(), QSize(1600, 1000));
    EXPECT_TRUE(shot.save("main-window-1600x1000.png"));
}

// The question before a changed deck is replaced, and the one list of the cards a file
// named that the card base does not have.
TEST_F(MainFormTest, SaveQuestionAndCardsNotFoundScreenshots)
{
    {
        const std::unique_ptr<QMessageBox> box =
            MakeSaveChangesBox(Form.get(), Q("Сохранить изменения в колоде «green-red.mdc»?"));
        box->show();
        QApplication::processEvents();
        EXPECT_TRUE(box->grab().save("save-question.png"));
    }
    const QString list = Q("строка 3: 2 Tarmogoyf - такой карты нет в базе\n"
                           "строка 7: 4 [M10] Lightning Bolt - такой карты нет в базе, выпуска M10 в ней нет\n"
                           "строка 12: 2 Goblin Guide - такой карты нет в базе\n");
    const std::unique_ptr<QDialog> report =
        MakeReportDialog(Form.get(), Q("Не найдены карты"), Q("Прочитано 52 карты, не найдено 8:"), list);
    report->show();
    QApplication::processEvents();
    const QImage shot = report->grab().toImage();
    EXPECT_TRUE(shot.save("cards-not-found.png"));
    auto* text = report->findChild<QPlainTextEdit*>(Q("ListText"));
    ASSERT_NE(text, nullptr);
    // The longest line shows whole.
    EXPECT_GE(text->viewport()->width(), text->fontMetrics().horizontalAdvance(list.split('\n')[1]));
}
