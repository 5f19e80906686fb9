// The program's start and end through the real sequence (run log, folders, fonts, main
// window, data module, dialogs), here in a program folder without any data store.
#include "MainFormTestSupport.h"

#include "ui/Program.h"

TEST(ProgramStart, WithoutACardBaseTheErrorComesFirstAndTheWindowStillWorks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QCoreApplication::setOrganizationName("Tomelark");
    QCoreApplication::setApplicationName("Tomelark");
    ResetSettings();
    TFakeDialogs dialogs;
    IUserDialogs* previous = SetUserDialogs(&dialogs);
    {
        // A run log whose first line is "@" is kept and rewritten at the end.
        QFile log(dir.filePath("tomelark.log"));
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        log.write("@\r\nkept\r\n");
        log.close();

        TProgramSession session(dir.filePath("tomelark"));
        // The open error was shown before the window appeared.
        ASSERT_EQ(dialogs.Errors.size(), 1) << dialogs.Errors.join(" | ").toStdString();
        EXPECT_FALSE(session.MainWindow().isVisible());
        EXPECT_FALSE(session.DataModule().Ready);
        EXPECT_EQ(session.MainWindow().DecksFolder(), dir.filePath("decks"));

        TMainForm& form = session.MainWindow();
        form.show();
        EXPECT_EQ(form.CardsCardCountLabel->text(), Q("Выбрано: 0"));
        EXPECT_TRUE(form.CurrentCard.Name.empty()); // the card back
        // Without a data store the card back has no frame picture: drawing it fails,
        // and that error is shown as well.
        const qsizetype shown = dialogs.Errors.size();
        EXPECT_LE(shown, 2);
        // Commands on the empty lists do nothing and report nothing.
        form.FindEdit->setText("Shock");
        form.AddCardToDeck();
        form.FindDeckCardInBase();
        form.MoveDeckCard(1);
        form.aFilterExecute();
        form.ActionsUpdate();
        EXPECT_FALSE(form.aSaveAs->isEnabled());
        EXPECT_EQ(dialogs.Errors.size(), shown) << dialogs.Errors.join(" | ").toStdString();
    }
    // The end: the settings were written to the user's store.
    EXPECT_TRUE(QSettings().contains("CardTextType"));
    QFile log(dir.filePath("tomelark.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), QByteArray("@\r\nkept\r\n"));
    SetUserDialogs(previous);
}
