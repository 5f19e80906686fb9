// New, open and save from the main window: action states, caption, count label, the
// dialogs' folders, a failed open, a deck that survives a restart, and the hidden
// export.
#include "MainFormTestSupport.h"

#include "BuildInfo.h"

#include "ui/DataGrid.h"

#include <QAction>
#include <QLabel>
#include <QProcess>

#include <fstream>
#include <sstream>

namespace {

class DeckFilesTest : public MainFormTest {
protected:
    struct TStates {
        bool save, saveAs, print, statistics;
        bool operator==(const TStates&) const = default;
    };
    TStates States()
    {
        Form->ActionsUpdate();
        return {Form->aSave->isEnabled(), Form->aSaveAs->isEnabled(), Form->aPrint->isEnabled(),
                Form->aStatistics->isEnabled()};
    }
    QString Caption(const QString& file = QString()) const
    {
        QString c = Q("Tomelark ") + Q(TOMELARK_VERSION);
        if (!file.isEmpty())
            c += Q(" [") + file + Q("]");
        return c;
    }
    void AddCards(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            SelectCard(name);
            Form->AddCardToDeck();
        }
    }
    static std::string ReadFile(const QString& path)
    {
        std::ifstream in(QFile::encodeName(path).toStdString(), std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

} // namespace

TEST_F(DeckFilesTest, ActionStatesCaptionAndLabelThroughNewSaveAndOpen)
{
    const TStates none{false, false, false, false};
    EXPECT_EQ(States(), none);
    EXPECT_EQ(Form->windowTitle(), Caption());
    EXPECT_EQ(Form->DeckCardCountLabel->text(), Q("Число карт: 0"));
    EXPECT_TRUE(Form->aOpen->isEnabled() && Form->aCreate->isEnabled() && Form->aFilter->isEnabled());

    // Cards, but no file name yet: "Сохранить" acts as "Сохранить как...", and the
    // caption says the new deck has changes.
    AddCards({"Shock", "Shock", "Fog"});
    EXPECT_EQ(States(), (TStates{true, true, true, true}));
    EXPECT_EQ(Form->windowTitle(), Caption() + Q(" [Новая колода*]"));

    // Save: the save dialog, starting in "decks" beside the program.
    const QString file = Folder.File("decks/burn.mdc");
    Dialogs.SaveAnswers.push_back(file);
    Trigger(Form->aSave);
    ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("\n").toStdString();
    EXPECT_EQ(Dialogs.SaveDirectories.value(0), Folder.File("decks"));
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(Form->windowTitle(), Caption(file));
    EXPECT_EQ(States(), (TStates{true, true, true, true}));
    EXPECT_EQ(Form->DeckCardCountLabel->text(), Q("Число карт: 3"));

    // Save writes the same file again, with the change; the "*" comes and goes.
    AddCards({"Fog"});
    EXPECT_EQ(Form->windowTitle(), Caption(file + Q("*")));
    Trigger(Form->aSave);
    EXPECT_EQ(Dialogs.SaveDirectories.size(), 1);
    EXPECT_NE(ReadFile(file).find("  2 [7E] Fog"), std::string::npos);
    EXPECT_EQ(Form->windowTitle(), Caption(file));

    // New: nothing to ask (saved), empty deck, plain caption, everything off again.
    Trigger(Form->aCreate);
    EXPECT_TRUE(Dialogs.SaveQuestions.isEmpty());
    EXPECT_EQ(States(), none);
    EXPECT_EQ(Form->windowTitle(), Caption());
    EXPECT_EQ(Form->DeckCardCountLabel->text(), Q("Число карт: 0"));
    AddCards({"Duress"});
    EXPECT_EQ(States(), (TStates{true, true, true, true}));

    // Open: asked about the changed new deck first; the deck comes back, the deck
    // grid takes the focus.
    Dialogs.OpenAnswers.push_back(file);
    Trigger(Form->aOpen);
    EXPECT_EQ(Dialogs.SaveQuestions, QStringList{Q("Сохранить изменения в колоде «Новая колода»?")});
    EXPECT_EQ(Dialogs.OpenDirectories.value(0), Folder.File("decks"));
    EXPECT_EQ(DeckLines(), (std::vector<std::string>{"2 Shock [7E]", "2 Fog [7E]"}));
    EXPECT_EQ(Form->windowTitle(), Caption(file));
    EXPECT_EQ(Form->DeckCardCountLabel->text(), Q("Число карт: 4"));
    EXPECT_EQ(Form->focusWidget(), Form->DeckGrid);
    EXPECT_EQ(States(), (TStates{true, true, true, true}));

    // A cancelled dialog does nothing.
    Trigger(Form->aOpen);
    Trigger(Form->aSaveAs);
    EXPECT_EQ(Form->windowTitle(), Caption(file));
    EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

TEST_F(DeckFilesTest, AFailedOpenLeavesTheCaptionAndShowsTheError)
{
    AddCards({"Shock"});
    const QString good = Folder.File("decks/good.mdc");
    Dialogs.SaveAnswers.push_back(good);
    Trigger(Form->aSaveAs);
    ASSERT_EQ(Form->windowTitle(), Caption(good));

    const QString bad = Folder.File("decks/bad.mdc");
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("  2 [7E] Fog\r\n  20000 [7E] Shock\r\n");
    }
    Form->FindEdit->setFocus();
    Dialogs.OpenAnswers.push_back(bad);
    Trigger(Form->aOpen);
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors[0].contains(Q("Строка 2"))) << Dialogs.Errors[0].toStdString();
    EXPECT_EQ(Form->windowTitle(), Caption(good));
    // The open deck stayed, and saving it goes to its own file, never to the bad one.
    EXPECT_EQ(DeckLines(), (std::vector<std::string>{"1 Shock [7E]"}));
    Trigger(Form->aSave);
    EXPECT_EQ(ReadFile(bad), "  2 [7E] Fog\r\n  20000 [7E] Shock\r\n");
    // The clean-up ran: focus on the deck grid, label and cursor up to date.
    EXPECT_EQ(Form->focusWidget(), Form->DeckGrid);
    EXPECT_EQ(Form->DeckCardCountLabel->text(), Q("Число карт: ") + QString::number(DataModule->DeckTotal));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A file that does not exist at all.
    Dialogs.OpenAnswers.push_back(Folder.File("decks/missing.mdc"));
    Trigger(Form->aOpen);
    EXPECT_EQ(Dialogs.Errors.size(), 2);
    EXPECT_EQ(Form->windowTitle(), Caption(good));
}

TEST_F(DeckFilesTest, SaveAsWritesTheChosenFileType)
{
    AddCards({"Shock", "Llanowar Elves"});
    const struct {
        const char* Typed;
        const char* Filter;
        const char* File;
        const char* Begins;
    } cases[] = {
        {"decks/list", "Текстовый список (*.txt)", "decks/list.txt", "1 Shock (7ED)"},
        {"decks/cock", "Колоды Cockatrice (*.cod)", "decks/cock.cod", "<?xml"},
        {"decks/mtgo", "Колоды MTGO (*.dek)", "decks/mtgo.dek", "<?xml"},
        {"decks/own", "Колоды Tomelark (*.mdc)", "decks/own.mdc", "  1 [7E] Shock"},
        {"decks/named.cod", "Колоды Tomelark (*.mdc)", "decks/named.cod", "<?xml"}, // the extension decides
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Typed);
        Dialogs.SaveAnswers.push_back(Folder.File(Q(c.Typed)));
        Dialogs.SaveFilterAnswers.push_back(Q(c.Filter));
        Trigger(Form->aSaveAs);
        ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("\n").toStdString();
        EXPECT_EQ(ReadFile(Folder.File(Q(c.File))).rfind(c.Begins, 0), 0u) << ReadFile(Folder.File(Q(c.File)));
        EXPECT_EQ(Form->windowTitle(), Caption(Folder.File(Q(c.File))));
        // And it opens again as the same deck.
        Dialogs.OpenAnswers.push_back(Folder.File(Q(c.File)));
        Trigger(Form->aOpen);
        EXPECT_EQ(DeckLines(), (std::vector<std::string>{"1 Shock [7E]", "1 Llanowar Elves [7E]"}));
    }
    EXPECT_TRUE(Dialogs.SaveFilters.last().contains(Q("Колоды Cockatrice (*.cod)")));
}

TEST_F(DeckFilesTest, ADeckBuiltSavedAndReopenedAfterARestartIsTheSameDeck)
{
    // Built in the window: counts, two printings, a reordering, an apostrophe.
    AddCards({"Llanowar Elves", "Llanowar Elves", "Urza's Rage", "Shock"});
    SelectCard("Forest", "7E", "B");
    Form->AddCardToDeck();
    Form->DeckGrid->setFocus();
    Key(Form->DeckGrid, Qt::Key_Up, Qt::ShiftModifier);
    const std::vector<std::string> built = DeckLines();
    ASSERT_EQ(built, (std::vector<std::string>{"2 Llanowar Elves [7E]", "1 Urza's Rage [IN]", "1 Forest [7E] (B)",
                                               "1 Shock [7E]"}));
    const QString file = Folder.File("decks/restart.mdc");
    Dialogs.SaveAnswers.push_back(file);
    Trigger(Form->aSaveAs);
    ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("\n").toStdString();

    Stop();
    Start();
    EXPECT_TRUE(DeckLines().empty());
    Dialogs.OpenAnswers.push_back(file);
    Trigger(Form->aOpen);
    ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("\n").toStdString();
    EXPECT_EQ(DeckLines(), built);
    EXPECT_EQ(Form->DeckCardCountLabel->text(), Q("Число карт: 5"));

    // The command-line tool reads the same deck and prints it as the program saves it.
    const QString tool = QString::fromUtf8(TOMELARK_BIN_DIR) + "/tomelark-tool";
    if (!QFile::exists(tool))
        GTEST_SKIP() << "tomelark-tool is not built";
    QProcess process;
    process.start(tool, {"deck", "show", file, "--base", Folder.Path()});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(process.readAllStandardOutput().toStdString(), Win1251ToUtf8(ReadFile(file)));
}

TEST_F(DeckFilesTest, TheHiddenExportWritesTheIdsBesideTheProgram)
{
    EXPECT_FALSE(Form->Quillon1->isVisible());
    EXPECT_FALSE(Form->QuillonSeparator->isVisible());
    AddCards({"Fog", "Shock", "Fog"});
    const int32_t fog = [&] {
        SelectCard("Fog");
        return Cards().FieldByName("MtgEncID").AsInteger();
    }();
    const int32_t shock = [&] {
        SelectCard("Shock");
        return Cards().FieldByName("MtgEncID").AsInteger();
    }();
    Form->Quillon1->trigger();
    ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("\n").toStdString();
    const std::string bytes = ReadFile(Folder.File("TomelarkDeck.dat"));
    std::vector<int32_t> expected{3, fog, fog, shock, 0};
    ASSERT_EQ(bytes.size(), expected.size() * 4);
    for (size_t i = 0; i < expected.size(); ++i) {
        int32_t v = 0;
        for (int b = 3; b >= 0; --b)
            v = (v << 8) | static_cast<unsigned char>(bytes[i * 4 + size_t(b)]);
        EXPECT_EQ(v, expected[i]) << i;
    }
}

TEST_F(DeckFilesTest, StatisticsCheckStopsAtACardMissingFromTheBase)
{
    int opened = 0;
    DialogHooks.Statistics = [&](QWidget*) { ++opened; };
    AddCards({"Fog"});
    Trigger(Form->aStatistics);
    EXPECT_EQ(opened, 1);

    Deck().Append();
    Deck().FieldByName("Name").SetAsString("Nowhere Card");
    Deck().FieldByName("Set").SetAsString("7E");
    Deck().FieldByName("Count").SetAsInteger(1);
    Deck().Post();
    Trigger(Form->aStatistics);
    EXPECT_EQ(opened, 1);
    ASSERT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_EQ(Dialogs.Errors[0], Q("Не найдена карта Nowhere Card [7E]"));
}
