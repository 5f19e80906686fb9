// A player's work is never lost in silence: the question before a changed deck is
// replaced or the window closes, other programs' files never written over, a file
// without cards leaving the open deck, one list of the cards not found, and the
// selection after the last copy of an entry is removed.
#include "MainFormTestSupport.h"

#include "BuildInfo.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include <fstream>
#include <sstream>

namespace {

class DeckChangesTest : public MainFormTest {
protected:
    void AddCards(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            SelectCard(name);
            Form->AddCardToDeck();
        }
    }
    QString Caption(const QString& inBrackets = QString()) const
    {
        QString c = Q("Tomelark ") + Q(TOMELARK_VERSION);
        if (!inBrackets.isEmpty())
            c += Q(" [") + inBrackets + Q("]");
        return c;
    }
    static std::string ReadFile(const QString& path)
    {
        std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void WriteFile(const QString& path, const std::string& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), qint64(bytes.size()));
    }
    // Closes the window as its close box does; true when it closed.
    bool CloseBox()
    {
        QCloseEvent event;
        QCoreApplication::sendEvent(Form.get(), &event);
        return event.isAccepted();
    }
};

} // namespace

TEST_F(DeckChangesTest, EveryCommandThatReplacesAChangedDeckAsksFirst)
{
    const QString file = Folder.File("decks/saved.mdc");
    AddCards({"Shock", "Fog"});

    // Cancel: nothing happens, for each of the four ways out.
    for (QAction* action : {Form->aCreate, Form->aOpen}) {
        Dialogs.SaveChangesAnswers.push_back(TSaveAnswer::Cancel);
        Dialogs.OpenAnswers.push_back(file);
        Trigger(action);
        EXPECT_EQ(DeckLines(), (std::vector<std::string>{"1 Shock [7E]", "1 Fog [7E]"})) << action->text().toStdString();
    }
    EXPECT_TRUE(Dialogs.OpenDirectories.isEmpty()); // the open dialog never came
    Dialogs.OpenAnswers.clear();
    Dialogs.SaveChangesAnswers.push_back(TSaveAnswer::Cancel);
    EXPECT_FALSE(CloseBox());
    Dialogs.SaveChangesAnswers.push_back(TSaveAnswer::Cancel);
    Trigger(Form->aExit);
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Dialogs.SaveQuestions.size(), 4);
    EXPECT_EQ(Dialogs.SaveQuestions.value(0), Q("Сохранить изменения в колоде «Новая колода»?"));

    // Save: the save dialog, then the new deck; a cancelled save dialog cancels.
    Dialogs.SaveChangesAnswers.push_back(TSaveAnswer::Save);
    Trigger(Form->aCreate);
    EXPECT_EQ(DeckLines().size(), 2u);
    Dialogs.SaveChangesAnswers.push_back(TSaveAnswer::Save);
    Dialogs.SaveAnswers.push_back(file);
    Trigger(Form->aCreate);
    EXPECT_TRUE(DeckLines().empty());
    EXPECT_EQ(ReadFile(file), "  1 [7E] Shock\r\n  1 [7E] Fog\r\n");

    // Unchanged since it was opened: no question; a change, then "Не сохранять".
    Form->OpenDeckFile(file);
    const int asked = Dialogs.SaveQuestions.size();
    Trigger(Form->aCreate);
    EXPECT_EQ(Dialogs.SaveQuestions.size(), asked);
    Form->OpenDeckFile(file);
    Form->RemoveDeckCard();
    EXPECT_EQ(Form->windowTitle(), Caption(file + Q("*")));
    EXPECT_TRUE(CloseBox()); // the test's dialogs answer "Не сохранять"
    EXPECT_EQ(Dialogs.SaveQuestions.value(asked), Q("Сохранить изменения в колоде «saved.mdc»?"));
    EXPECT_EQ(ReadFile(file), "  1 [7E] Shock\r\n  1 [7E] Fog\r\n");
}

TEST_F(DeckChangesTest, AnotherProgramsFileIsNeverWrittenOverInSilence)
{
    const QString arena = Folder.File("decks/arena.txt");
    const std::string original = "Deck\n4 Llanowar Elves (7ED) 253\n2 Tarmogoyf (FUT) 153\n\nSideboard\n1 Shock (ONS) 226\n";
    WriteFile(arena, original);
    Form->OpenDeckFile(arena);
    AddCards({"Fog"});
    // "Сохранить" offers the same name as .mdc; cancelling it writes nothing.
    Trigger(Form->aSave);
    ASSERT_EQ(Dialogs.SaveDirectories.size(), 1);
    EXPECT_EQ(Dialogs.SaveDirectories[0], Folder.File("decks/arena.mdc"));
    EXPECT_EQ(ReadFile(arena), original);
    // Accepted: the .mdc keeps the line that was not found as a note.
    Dialogs.SaveAnswers.push_back(Folder.File("decks/arena.mdc"));
    Trigger(Form->aSave);
    EXPECT_EQ(ReadFile(arena), original);
    EXPECT_EQ(Win1251ToUtf8(ReadFile(Folder.File("decks/arena.mdc"))),
              "Note: Не найдена: 2 [FUT] Tarmogoyf\r\n  4 [7E] Llanowar Elves\r\n  1 [ON] Shock\r\n"
              "  1 [7E] Fog\r\n");
    EXPECT_EQ(Form->windowTitle(), Caption(Folder.File("decks/arena.mdc")));
    // From now on "Сохранить" writes the deck's own .mdc without a dialog.
    AddCards({"Fog"});
    Trigger(Form->aSave);
    EXPECT_EQ(Dialogs.SaveDirectories.size(), 2);
    EXPECT_NE(ReadFile(Folder.File("decks/arena.mdc")).find("  2 [7E] Fog"), std::string::npos);
}

TEST_F(DeckChangesTest, AFileWithoutCardsLeavesTheOpenDeckWithOneMessage)
{
    AddCards({"Shock"});
    const QString letter = Folder.File("decks/letter.txt");
    WriteFile(letter, "Dear John,\nthe weather is fine here.\nWe went to the sea.\n\nYours, Mary\n");
    Dialogs.OpenAnswers.push_back(letter);
    Trigger(Form->aOpen);
    ASSERT_EQ(Dialogs.Errors.size(), 1) << Dialogs.Errors.join("\n").toStdString();
    EXPECT_EQ(Dialogs.Errors[0], Q("В файле \"") + letter + Q("\" нет ни одной карты"));
    EXPECT_TRUE(Dialogs.Messages.isEmpty());
    EXPECT_TRUE(Dialogs.Reports.empty());
    EXPECT_EQ(DeckLines(), (std::vector<std::string>{"1 Shock [7E]"}));
    EXPECT_EQ(Form->windowTitle(), Caption(Q("Новая колода*")));
}

TEST_F(DeckChangesTest, CardsNotFoundComeInOneListWithCountsAndReasons)
{
    const QString list = Folder.File("decks/list.txt");
    std::string text = "4 Llanowar Elves\n20 Forest\n";
    for (int i = 0; i < 20; ++i)
        text += "2 Unknown Card " + std::to_string(i) + "\n";
    text += "3 Tarmogoyf (FUT) 153\n";
    WriteFile(list, text);
    Dialogs.OpenAnswers.push_back(list);
    Trigger(Form->aOpen);
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("\n").toStdString();
    EXPECT_TRUE(Dialogs.Messages.isEmpty()); // no box per line
    ASSERT_EQ(Dialogs.Reports.size(), 1u);
    const auto& report = Dialogs.Reports[0];
    EXPECT_EQ(report.Summary, Q("Прочитано 24 карты, не найдено 43:"));
    const QStringList lines = report.List.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 21);
    EXPECT_EQ(lines[0], Q("строка 3: 2 Unknown Card 0 - такой карты нет в базе"));
    EXPECT_EQ(lines[20], Q("строка 23: 3 [FUT] Tarmogoyf - такой карты нет в базе, выпуска FUT в ней нет"));
    EXPECT_EQ(DeckLines(), (std::vector<std::string>{"4 Llanowar Elves [7E]", "20 Forest [ON] (A)"}));

    // The report's box copies its list.
    const std::unique_ptr<QDialog> box = MakeReportDialog(Form.get(), report.Caption, report.Summary, report.List);
    auto* copy = box->findChild<QPushButton*>(Q("CopyButton"));
    ASSERT_NE(copy, nullptr);
    QGuiApplication::clipboard()->clear();
    copy->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), report.List);
    EXPECT_EQ(box->findChild<QPlainTextEdit*>(Q("ListText"))->toPlainText(), report.List);
}

TEST_F(DeckChangesTest, RemovingTheLastCopySelectsTheNextEntryOrThePreviousAtTheEnd)
{
    AddCards({"Shock", "Fog", "Duress", "Naturalize"});
    Form->DeckGrid->setFocus();
    Deck().First();
    Deck().Next(); // Fog
    Key(Form->DeckGrid, Qt::Key_Delete);
    EXPECT_EQ(DeckName(), "Duress");
    EXPECT_EQ(Form->DeckGrid->currentIndex().row(), 1);
    Deck().Last();
    Key(Form->DeckGrid, Qt::Key_Delete);
    EXPECT_EQ(DeckName(), "Duress");
    EXPECT_EQ(Form->DeckGrid->currentIndex().row(), 1);
    Key(Form->DeckGrid, Qt::Key_Delete);
    EXPECT_EQ(DeckName(), "Shock");
    EXPECT_EQ(Form->DeckGrid->currentIndex().row(), 0);
    EXPECT_EQ(DeckLines(), (std::vector<std::string>{"1 Shock [7E]"}));
}

TEST_F(DeckChangesTest, TheSaveQuestionsBoxHasItsThreeAnswers)
{
    const std::unique_ptr<QMessageBox> box = MakeSaveChangesBox(Form.get(), Q("Сохранить изменения в колоде «a.mdc»?"));
    QStringList buttons;
    for (QAbstractButton* b : box->buttons())
        buttons << b->text();
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{Q("&Не сохранять"), Q("&Сохранить"), Q("Отмена")}));
    EXPECT_EQ(box->defaultButton()->objectName(), Q("SaveButton"));
    EXPECT_EQ(box->escapeButton()->objectName(), Q("CancelButton"));
}
