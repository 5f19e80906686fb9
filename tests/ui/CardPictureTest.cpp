// The current card's picture: following the focused grid, the 500 ms wait, no second
// drawing of the same card, one row per wheel event, and saving the picture.
#include "MainFormTestSupport.h"

#include <QStatusBar>

#include "Library/Common/ImageCodecs.h"
#include "render/CardView.h"
#include "ui/DataGrid.h"

#include <QClipboard>
#include <QTimer>
#include <QWheelEvent>

using CardPictureTest = MainFormTest;

namespace {

void Wheel(QWidget* grid, QPoint angle, QPoint pixels = QPoint())
{
    QWidget* viewport = static_cast<QAbstractScrollArea*>(grid)->viewport();
    const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
    QWheelEvent event(at, viewport->mapToGlobal(at), pixels, angle, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &event);
}

} // namespace

TEST_F(CardPictureTest, FirstShowDrawsTheListsCurrentCardAtOnce)
{
    EXPECT_EQ(Form->DrawCount, 1);
    EXPECT_EQ(Form->CurrentCard.Name, CardName());
    EXPECT_EQ(Form->DrawnCardKey.Name, CardName());
    EXPECT_FALSE(Form->UpdateImageTimer->isActive());
    EXPECT_EQ(Form->UpdateImageTimer->interval(), 500);
}

TEST_F(CardPictureTest, TheCardIsDrawnOnceAfterTheSelectionRests)
{
    Form->CardsGrid->setFocus();
    const int drawn = Form->DrawCount;
    // Holding Down: each step reads the card and restarts the wait, nothing is drawn.
    for (int i = 0; i < 3; ++i)
        Key(Form->CardsGrid, Qt::Key_Down);
    EXPECT_EQ(Form->CurrentCard.Name, CardName());
    EXPECT_TRUE(Form->UpdateImageTimer->isActive());
    EXPECT_EQ(Form->DrawCount, drawn);
    QTest::qWait(700);
    EXPECT_EQ(Form->DrawCount, drawn + 1);
    EXPECT_EQ(Form->DrawnCardKey.Name, CardName());
    EXPECT_FALSE(Form->UpdateImageTimer->isActive());

    // Away and back within the wait: the same card is only repainted.
    Key(Form->CardsGrid, Qt::Key_Down);
    Key(Form->CardsGrid, Qt::Key_Up);
    QTest::qWait(700);
    EXPECT_EQ(Form->DrawCount, drawn + 1);
}

TEST_F(CardPictureTest, ThePictureFollowsTheFocusedGrid)
{
    SelectCard("Shock");
    Form->AddCardToDeck();
    SelectCard("Fog");
    Form->CardsGrid->setFocus();
    Form->UpdateImageCardNow();
    ASSERT_EQ(Form->DrawnCardKey.Name, "Fog");

    // Into the deck: its entry is shown after the wait.
    Form->DeckGrid->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(Form->CurrentCard.Name, "Shock");
    QTest::qWait(700);
    EXPECT_EQ(Form->DrawnCardKey.Name, "Shock");

    // With the deck focused, moving the card list by a command leaves the picture.
    SelectCard("Blaze");
    Form->FindDeckCardInBase();
    EXPECT_EQ(CardName(), "Shock");
    SelectCard("Duress");
    EXPECT_EQ(Form->CurrentCard.Name, "Shock");

    // Adding from the card list moves the deck's selection; with the card list focused
    // the picture keeps the list's card.
    Form->CardsGrid->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(Form->CurrentCard.Name, "Duress");
    Form->AddCardToDeck();
    EXPECT_EQ(DeckName(), "Duress");
    SelectCard("Fog");
    Form->AddCardToDeck();
    EXPECT_EQ(DeckName(), "Fog");
    SelectCard("Blaze");
    EXPECT_EQ(Form->CurrentCard.Name, "Blaze");
}

TEST_F(CardPictureTest, AnEmptyListShowsTheCardBack)
{
    Form->FindEdit->setFocus();
    DataModule->SetAllSetFilters(false);
    Trigger(Form->aFilter);
    EXPECT_TRUE(Form->CurrentCard.Name.empty());
    Form->UpdateImageCardNow();
    EXPECT_TRUE(Form->DrawnCardKey.Name.empty());
}

TEST_F(CardPictureTest, OneRowPerWheelEvent)
{
    Form->CardsGrid->setFocus();
    Cards().SetRecNo(10);
    const struct {
        QPoint angle;
        QPoint pixels;
        int rowChange;
    } events[] = {
        {{0, -120}, {}, 1},    // one notch down
        {{0, -360}, {}, 1},    // three notches at once: still one row
        {{0, -8}, {0, -2}, 1}, // a fine-grained wheel
        {{0, 120}, {}, -1},    // up
        {{0, 0}, {}, 0},       // a gesture's end without a step
    };
    for (const auto& e : events) {
        const int before = Cards().CurrentRow();
        Wheel(Form->CardsGrid, e.angle, e.pixels);
        EXPECT_EQ(Cards().CurrentRow(), before + e.rowChange) << e.angle.y();
    }
}

TEST_F(CardPictureTest, SavingThePictureAsAFile)
{
    SelectCard("Urza's Rage");
    Form->CardsGrid->setFocus();
    Form->CurrentCardUpdate(&Cards());
    Form->UpdateImageCardNow();
    const int drawn = Form->DrawCount;
    Form->miSavePicture->trigger();
    ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("\n").toStdString();
    // The apostrophe and the blank are dropped from the file name.
    const QString file = Folder.File("printimg/IN/UrzasRage.jpg");
    ASSERT_TRUE(QFile::exists(file));
    const QImage saved = LoadPictureFile(file);
    EXPECT_EQ(saved.size(), QSize(312, 440));
    // The status bar says where it went.
    EXPECT_EQ(Form->statusBar()->currentMessage(), Q("Картинка сохранена: ") + QDir::toNativeSeparators(file));
    // Afterwards the buffer is back at its size and holds the card drawn again.
    EXPECT_EQ(CardPicture.size(), QSize(300, 433));
    EXPECT_EQ(CaptionShadowWidth, 1);
    EXPECT_EQ(Form->DrawCount, drawn + 1); // drawn again at the normal size

    // A variant's number goes into the name.
    SelectCard("Forest", "ON", "B");
    Form->CurrentCardUpdate(&Cards());
    Form->aCopyImageExecute(1);
    EXPECT_TRUE(QFile::exists(Folder.File("printimg/ON/Forest2.jpg")));
}

// The encyclopedia's scans chosen but missing: the program's own art is drawn (never
// an empty grey box), and the status bar says so once.
TEST_F(CardPictureTest, MissingEncyclopediaScansFallBackToTheProgramsArt)
{
    SelectCard("Urza's Rage");
    Form->CardsGrid->setFocus();
    Form->CurrentCardUpdate(&Cards());
    Form->ForceRedraw();
    const QImage own = CardPicture.copy();
    const std::string savedMainDir = MainDir;
    MainDir = Folder.NativePath() + "/no-encyclopedia";
    ArtImageType = 1;
    Form->ForceRedraw();
    EXPECT_EQ(CardPicture, own);
    const QString said = Form->statusBar()->currentMessage();
    EXPECT_TRUE(said.contains(Q("MTG Encyclopedia"))) << said.toStdString();
    Form->statusBar()->clearMessage();
    SelectCard("Shock");
    Form->CurrentCardUpdate(&Cards());
    Form->UpdateImageCardNow();
    EXPECT_TRUE(Form->statusBar()->currentMessage().isEmpty()); // once
    ArtImageType = 0;
    MainDir = savedMainDir;
}

TEST_F(CardPictureTest, CopyingThePictureToTheClipboard)
{
    Form->miCopyPicture->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(312, 440));
    EXPECT_EQ(CardPicture.size(), QSize(300, 433));
}

TEST_F(CardPictureTest, AFailedSaveIsReportedAndEverythingRestored)
{
    // A file where the folder should be: the folder cannot be created.
    QFile blocker(Folder.File("printimg"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CaptionShadowWidth = 3;
    const int drawn = Form->DrawCount;
    Form->miSavePicture->trigger();
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].startsWith(Q("Ошибка при записи картинки на диск:\r"))) << Dialogs.Errors[0].toStdString();
    EXPECT_GT(Dialogs.Errors[0].size(), Q("Ошибка при записи картинки на диск:\r").size());
    EXPECT_EQ(CaptionShadowWidth, 3);
    CaptionShadowWidth = 1;
    EXPECT_EQ(CardPicture.size(), QSize(300, 433));
    EXPECT_EQ(Form->DrawCount, drawn + 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// A damaged frame picture in the data store: the card is drawn on the grey face every
// time, and the error, naming the file, comes up once for the run, after the drawing.
TEST_F(CardPictureTest, ADamagedFramePictureIsReportedOnceAndDrawnGrey)
{
    Stop();
    const QString data = Folder.File("data");
    ASSERT_TRUE(QFile::remove(data));
    ASSERT_TRUE(QDir().mkdir(data));
    const QString built = QString::fromUtf8(TOMELARK_BIN_DIR) + "/data";
    for (const QString& name : QDir(built).entryList(QDir::Files)) {
        if (name == "G.jpg") {
            QFile source(built + "/" + name);
            ASSERT_TRUE(source.open(QIODevice::ReadOnly));
            QFile cut(data + "/" + name);
            ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
            cut.write(source.read(source.size() / 3));
        } else {
            ASSERT_TRUE(QFile::link(built + "/" + name, data + "/" + name));
        }
    }
    Start();
    for (const char* green : {"Llanowar Elves", "Giant Growth", "Llanowar Elves"}) {
        SelectCard(green, "7E");
        Form->UpdateImageCardNow();
        QCoreApplication::processEvents();
        const QColor frame = CardPicture.pixelColor(6, CardPicture.height() / 2);
        EXPECT_EQ(frame, QColor(128, 128, 128)) << green << " " << frame.name().toStdString();
    }
    ASSERT_EQ(Dialogs.Errors.size(), 1) << Dialogs.Errors.join(" | ").toStdString();
    EXPECT_TRUE(Dialogs.Errors[0].contains(data + "/G.jpg")) << Dialogs.Errors[0].toStdString();
    EXPECT_TRUE(Dialogs.Errors[0].contains("Truncated JPEG data")) << Dialogs.Errors[0].toStdString();
}
