// The about box (its labels, the two links and a link that cannot be opened), and
// the program's own start: every dialog command of the main window opens its dialog.
#include "DialogsTestSupport.h"

#include "BuildInfo.h"
#include "ui/Program.h"

#include <QLabel>

namespace {

class AboutFormTest : public DialogsTest {
protected:
    void SetUp() override
    {
        PreviousOpener = TAboutForm::LinkOpener;
        DialogsTest::SetUp();
    }
    void TearDown() override
    {
        TAboutForm::LinkOpener = PreviousOpener;
        DialogsTest::TearDown();
    }
    std::function<bool(const QUrl&)> PreviousOpener;
};

} // namespace

TEST_F(AboutFormTest, LinksOpenThroughTheDesktopAndAFailureIsReported)
{
    QList<QUrl> opened;
    bool works = true;
    TAboutForm::LinkOpener = [&](const QUrl& link) {
        opened << link;
        return works;
    };
    OnOpen<TAboutForm>([&](TAboutForm& f) {
        EXPECT_EQ(f.windowTitle(), Q("О программе"));
        EXPECT_EQ(f.StaticText1->text(), Q(TOMELARK_MAIL));
        EXPECT_EQ(f.StaticText2->text(), QUrl(Q(TOMELARK_WEB_URL)).host());
        EXPECT_EQ(f.Developer->text(), Q("Команда Tomelark"));
        EXPECT_FALSE(f.Translator1->text().isEmpty());
        EXPECT_FALSE(f.Translator2->text().isEmpty());
        EXPECT_TRUE(f.StaticText1->font().underline());
        EXPECT_EQ(f.StaticText2->cursor().shape(), Qt::PointingHandCursor);
        // A click on each link hands it to the desktop.
        QTest::mouseClick(f.StaticText1, Qt::LeftButton);
        QTest::mouseClick(f.StaticText2, Qt::LeftButton);
        // The desktop refuses: a notice naming the link; the box stays open.
        works = false;
        QTest::mouseClick(f.StaticText1, Qt::LeftButton);
        EXPECT_TRUE(f.isVisible());
        f.OKButton->click();
    });
    Trigger(Form->aAbout);
    EXPECT_EQ(Openings, 1);
    EXPECT_EQ(opened, (QList<QUrl>{QUrl(Q("mailto:") + Q(TOMELARK_MAIL)), QUrl(Q(TOMELARK_WEB_URL)),
                                   QUrl(Q("mailto:") + Q(TOMELARK_MAIL))}));
    EXPECT_EQ(Dialogs.Messages, QStringList{Q("\"mailto:") + Q(TOMELARK_MAIL) + Q("\" not found")});
}

TEST_F(AboutFormTest, LayoutShowsEveryTextWhole)
{
    ASSERT_TRUE(AboutForm);
    EXPECT_EQ(AboutForm->size(), QSize(298, 241));
    EXPECT_EQ(LayoutFaults(AboutForm), "");
    EXPECT_EQ(AboutForm->OKButton->text(), Q("OK"));
}

// The real start: the dialogs are created by the program's session, the about box
// gets the product name and version when the main window is first shown, and every
// dialog command opens its own dialog.
TEST(DialogCommands, EveryCommandOpensItsDialog)
{
    TProgramFolder folder;
    if (!folder.Ok)
        GTEST_SKIP() << "the data store of the build is missing (build the datastore target)";
    QCoreApplication::setOrganizationName("Tomelark");
    QCoreApplication::setApplicationName("Tomelark");
    ResetSettings();
    QSettings().clear();
    TFakeDialogs dialogs;
    IUserDialogs* previousDialogs = SetUserDialogs(&dialogs);
    const TDialogForm::TModalRunner previousRunner = TDialogForm::ModalRunner;
    QStringList opened;
    TDialogForm::ModalRunner = [&](TDialogForm& form) {
        opened << form.objectName();
        form.reject();
    };
    {
        TProgramSession session(folder.File("tomelark"));
        TMainForm& form = session.MainWindow();
        form.show();
        ASSERT_TRUE(AboutForm);
        EXPECT_EQ(AboutForm->ProductName->text(), form.ProductName);
        EXPECT_EQ(AboutForm->Version->text(), Q("Версия ") + form.ProductVersion);
        EXPECT_EQ(AboutForm->parentWidget(), &form);

        form.AddCardToDeck(); // the statistics need a deck
        for (QAction* action : {form.aFilter, form.aStatistics, form.aOptions, form.aEditCard, form.aAbout}) {
            form.ActionsUpdate();
            ASSERT_TRUE(action->isEnabled()) << action->objectName().toStdString();
            action->trigger();
        }
        // The card list's popup item runs the editor as well.
        form.miEditCard->trigger();
        EXPECT_EQ(opened, (QStringList{"SearchForm", "StatisticForm", "OptionsForm", "EditForm", "AboutForm",
                                       "EditForm"}));
        EXPECT_TRUE(dialogs.Errors.isEmpty()) << dialogs.Errors.join(" | ").toStdString();
    }
    // The session's end destroyed the dialogs.
    EXPECT_FALSE(AboutForm);
    EXPECT_FALSE(DialogHooks.Filter);
    TDialogForm::ModalRunner = previousRunner;
    SetUserDialogs(previousDialogs);
    ResetSettings();
}
