// The window as a desktop program: the picture following the deck after "Открыть...",
// the keyboard (menu mnemonics, F10, the find box's Enter and Down), the first row at
// start, the window's size and columns between runs, dialogs at the same place every
// time, message boxes showing their caption, the command line, Qt's Russian texts.
#include "MainFormTestSupport.h"

#include "ui/DialogForm.h"
#include "ui/Program.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include <set>

namespace {

// Dialogs like the real ones in one respect: while the file dialog is open, another
// window is active, so the main window is not active when the command goes on.
class TDeactivatingDialogs : public TFakeDialogs {
public:
    QString OpenFileName(QWidget* parent, const QString& directory, const QString& filter,
                         const QString& suffix) override
    {
        QWidget other;
        other.resize(200, 100);
        other.show();
        other.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
        return TFakeDialogs::OpenFileName(parent, directory, filter, suffix);
    }
};

class DesktopIntegrationTest : public MainFormTest {
protected:
    void WriteDeck(const QString& path, const char* content)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    // Brings the main window back to the front, as closing a dialog does.
    void Reactivate()
    {
        Form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
        QApplication::processEvents();
    }
};

} // namespace

TEST_F(DesktopIntegrationTest, AfterOpenThePictureAndTheEditorFollowTheDeck)
{
    TDeactivatingDialogs dialogs;
    SetUserDialogs(&dialogs);
    const QString deck = Folder.File("decks/fog.mdc");
    WriteDeck(deck, "  3 [7E] Fog\r\n");
    SelectCard("Shock");
    Form->CardsGrid->setFocus();
    QApplication::processEvents();
    Form->UpdateImageCardNow();
    ASSERT_EQ(Form->CurrentCard.Name, "Shock");

    dialogs.OpenAnswers.push_back(deck);
    Trigger(Form->aOpen);
    Reactivate();
    ASSERT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join("\n").toStdString();
    EXPECT_EQ(Form->focusWidget(), Form->DeckGrid);
    Form->UpdateImageCardNow();
    EXPECT_EQ(Form->CurrentCard.Name, "Fog");

    // The card editor edits the card that is shown.
    std::string edited;
    DialogHooks.EditCard = [&](QWidget*) { edited = Form->CurrentCard.Name; };
    Trigger(Form->aEditCard);
    EXPECT_EQ(edited, "Fog");
    SetUserDialogs(&Dialogs);
}

TEST_F(DesktopIntegrationTest, TheCommandLineOpensADeckAsOpenDoes)
{
    const QString deck = Folder.File(Q("decks/Колода.mdc"));
    WriteDeck(deck, "  2 [7E] Fog\r\n  1 [7E] Shock\r\n");
    EXPECT_EQ(DeckFileArgument({"tomelark"}), QString());
    EXPECT_EQ(DeckFileArgument({"tomelark", "--verbose"}), QString());
    EXPECT_EQ(DeckFileArgument({"tomelark", deck}), deck);

    Form->CardsGrid->setFocus();
    Form->OpenDeckFile(DeckFileArgument({"tomelark", deck}));
    EXPECT_EQ(DeckLines(), (std::vector<std::string>{"2 Fog [7E]", "1 Shock [7E]"}));
    EXPECT_EQ(Form->windowTitle(), Q("Tomelark ") + Form->ProductVersion + Q(" [") + deck + Q("]"));
    EXPECT_EQ(Form->focusWidget(), Form->DeckGrid);
    Form->UpdateImageCardNow();
    EXPECT_EQ(Form->CurrentCard.Name, "Fog");
}

TEST_F(DesktopIntegrationTest, MenusHaveMnemonicsAndF10OpensTheMainMenu)
{
    // Every menu and every command in it has a mnemonic, distinct within its menu.
    auto mnemonicOf = [](const QString& text) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        return at >= 0 && at + 1 < text.size() ? text[at + 1].toLower() : QChar();
    };
    std::set<QChar> bar;
    for (QAction* menu : Form->menuBar()->actions()) {
        const QChar m = mnemonicOf(menu->text());
        EXPECT_FALSE(m.isNull()) << menu->text().toStdString();
        EXPECT_TRUE(bar.insert(m).second) << menu->text().toStdString();
        std::set<QChar> items;
        for (QAction* a : menu->menu()->actions()) {
            if (a->isSeparator() || !a->isVisible())
                continue;
            const QChar i = mnemonicOf(a->text());
            EXPECT_FALSE(i.isNull()) << a->text().toStdString();
            EXPECT_TRUE(items.insert(i).second) << a->text().toStdString();
        }
    }
    for (QMenu* popup : {Form->BasePopupMenu, Form->DeckPopupMenu, Form->PicturePopupMenu})
        for (QAction* a : popup->actions())
            EXPECT_FALSE(mnemonicOf(a->text()).isNull()) << a->text().toStdString();

    // F10 from the card list opens "Файл"; Escape closes it again.
    Form->CardsGrid->setFocus();
    QTest::keyClick(Form->CardsGrid, Qt::Key_F10);
    QTRY_VERIFY(Form->FileMenu->isVisible());
    EXPECT_EQ(Form->menuBar()->activeAction(), Form->FileMenu->menuAction());
    QTest::keyClick(Form->FileMenu, Qt::Key_Escape);
    QTRY_VERIFY(!Form->FileMenu->isVisible());
}

TEST_F(DesktopIntegrationTest, FindBoxEnterAddsTheCardAndDownGoesIntoTheList)
{
    Form->FindEdit->setFocus();
    QTest::keyClicks(Form->FindEdit, "Shoc");
    ASSERT_EQ(CardName(), "Shock");
    QTest::keyClick(Form->FindEdit, Qt::Key_Return);
    QTest::keyClick(Form->FindEdit, Qt::Key_Enter);
    EXPECT_EQ(DeckLines(), (std::vector<std::string>{"2 Shock [6E]"})); // the first Shock of the list
    EXPECT_EQ(Form->focusWidget(), Form->FindEdit); // the box keeps the focus for the next name

    Form->FindEdit->clear();
    QTest::keyClicks(Form->FindEdit, "Fo");
    const std::string found = CardName();
    QTest::keyClick(Form->FindEdit, Qt::Key_Down);
    EXPECT_EQ(Form->focusWidget(), Form->CardsGrid);
    EXPECT_TRUE(Form->FindEdit->text().isEmpty()); // leaving the box clears it
    EXPECT_EQ(CardName(), found);                  // the card found stays current
    QTest::keyClick(Form->CardsGrid, Qt::Key_Down);
    EXPECT_NE(CardName(), found);
}

TEST_F(DesktopIntegrationTest, TheCardListStartsAtItsFirstRowSelectedAtTheTop)
{
    // Start again with the card list's cursor somewhere in the middle.
    Stop();
    Start();
    ASSERT_GT(Cards().RecordCount(), 100);
    EXPECT_EQ(Cards().CurrentRow(), 0);
    EXPECT_EQ(Form->CardsGrid->currentIndex().row(), 0);
    EXPECT_TRUE(Form->CardsGrid->selectionModel()->isRowSelected(0, QModelIndex()));
    EXPECT_EQ(Form->CardsGrid->rowAt(0), 0);
    EXPECT_EQ(Form->CurrentCard.Name, CardName());
}

TEST_F(DesktopIntegrationTest, SizePlaceAndColumnWidthsAreKeptBetweenRuns)
{
    Form->KeepWindowState = true;
    Form->setGeometry(40, 30, 900, 620);
    Form->CardsGrid->setColumnWidth(0, 210);
    Form->CardsGrid->setColumnWidth(2, 95);
    Form->DeckGrid->setColumnWidth(1, 111);
    QApplication::processEvents();
    const QRect placed = Form->geometry();
    Form->close();
    Stop();

    Start();
    Form->RestoreWindowState();
    QApplication::processEvents();
    EXPECT_EQ(Form->geometry().size(), placed.size());
    EXPECT_EQ(Form->CardsGrid->columnWidth(0), 210);
    EXPECT_EQ(Form->CardsGrid->columnWidth(2), 95);
    EXPECT_EQ(Form->DeckGrid->columnWidth(1), 111);
    // A language change keeps them.
    DialogHooks.Options = [](QWidget*) { CardTextType = 0; };
    Trigger(Form->aOptions);
    EXPECT_EQ(Form->CardsGrid->columnWidth(0), 210);

    // A damaged store changes nothing.
    OpenWindowStore()->setValue("CardsColumns", "x 1 99999");
    Form->RestoreWindowState();
    EXPECT_EQ(Form->CardsGrid->columnWidth(0), 210);
}

TEST(DialogPlacement, ADialogOpensAtTheSamePlaceEveryTime)
{
    QWidget owner;
    owner.setGeometry(100, 80, 760, 541);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    TDialogForm dialog(&owner, 300, 200);
    QRect first;
    for (int showing = 0; showing < 3; ++showing) {
        dialog.PlaceDialog();
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        if (showing == 0)
            first = dialog.geometry();
        EXPECT_EQ(dialog.geometry(), first) << showing;
        EXPECT_EQ(dialog.geometry().center(), owner.geometry().center());
        dialog.hide();
    }
}

TEST(MessageBoxes, TheWholeCaptionShows)
{
    QMessageBox box(QMessageBox::NoIcon, Q("Ошибка при сохранении базы карт: очень длинный заголовок окна"), Q("Нет."),
                    QMessageBox::Ok);
    const int before = box.sizeHint().width();
    FitCaption(box);
    box.adjustSize();
    const int caption = box.fontMetrics().horizontalAdvance(box.windowTitle());
    EXPECT_GT(box.sizeHint().width(), before);
    EXPECT_GE(box.sizeHint().width(), caption + 100);
}

TEST(QtTranslations, QtsOwnDialogsSpeakRussian)
{
    if (!InstallQtTranslations())
        GTEST_SKIP() << "Qt's Russian translations are not installed";
    QMessageBox box(QMessageBox::NoIcon, Q("Tomelark"), Q("Текст"), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text().remove('&'), Q("Отмена"));
    const auto dialog = MakeFileDialog(nullptr, QFileDialog::AcceptOpen, QDir::tempPath(), Q("Колоды (*.mdc)"),
                                       Q("mdc"));
    auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(view, nullptr);
    const QString name = view->model()->headerData(0, Qt::Horizontal).toString();
    EXPECT_EQ(name, Q("Имя"));
    EXPECT_GE(dialog->width(), 760);
}
