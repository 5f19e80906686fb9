// The program's start and end through the real sequence (run log, folders, fonts, main
// window, data module, dialogs), here in a program folder without any data store.
#include "MainFormTestSupport.h"

#include "render/CardView.h"
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
        // Without a data store the card back has no frame picture: it is drawn as the
        // grey face, and no redraw raises anything.
        for (int i = 0; i < 3; ++i)
            form.ForceRedraw();
        EXPECT_EQ(dialogs.Errors.size(), 1) << dialogs.Errors.join(" | ").toStdString();
        const QImage& picture = CardPicture;
        ASSERT_FALSE(picture.isNull());
        const QColor middle = picture.pixelColor(picture.width() / 2, picture.height() / 2);
        EXPECT_EQ(middle, QColor(128, 128, 128)) << middle.name().toStdString();
        const qsizetype shown = dialogs.Errors.size();
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
