// The print dialog: its controls, the printer list with and without printers, the
// page edits and their limits, the two settings that change at once, the keys that do
// not close it, and the main window's print command onto page bitmaps and PDF files.
#include "DialogsTestSupport.h"

#include "render/CardView.h"
#include "ui/PrintForm.h"

#include <QAbstractButton>
#include <QFocusEvent>
#include <QSet>
#include <QStatusBar>

namespace {

class PrintFormTest : public DialogsTest {
protected:
    void SetUp() override
    {
        SavedPrinters = TPrintForm::InstalledPrinters;
        SavedDefault = TPrintForm::DefaultPrinter;
        SavedSetup = TPrintForm::PrinterSetupRunner;
        UsePrinters({}, QString());
        TPrintForm::PrinterSetupRunner = [this](QPrinter&, QWidget*) { ++SetupShown; };
        DialogsTest::SetUp();
    }
    void TearDown() override
    {
        DialogsTest::TearDown();
        TPrintForm::InstalledPrinters = SavedPrinters;
        TPrintForm::DefaultPrinter = SavedDefault;
        TPrintForm::PrinterSetupRunner = SavedSetup;
    }

    void UsePrinters(QStringList names, QString byDefault)
    {
        TPrintForm::InstalledPrinters = [names] { return names; };
        TPrintForm::DefaultPrinter = [byDefault] { return byDefault; };
    }

    void AddToDeck(const char* name, const char* set, int count)
    {
        Deck().Append();
        DataModule->DeckTableName->SetAsString(name);
        DataModule->DeckTableSet->SetAsString(set);
        DataModule->DeckTableCount->SetAsInteger(count);
        Deck().Post();
    }

    QStringList Entries(const TPrintForm& f)
    {
        QStringList items;
        for (int i = 0; i < f.PrinterCombo->count(); ++i)
            items << f.PrinterCombo->itemText(i);
        return items;
    }

    // Types into a page edit and leaves it, as the user would.
    static void TypeAndLeave(QLineEdit* edit, const QString& text)
    {
        edit->clear();
        QTest::keyClicks(edit, text);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit, &out);
    }

    static void Pick(TPrintForm& f, const QString& entry)
    {
        const int index = f.PrinterCombo->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        f.PrinterCombo->setCurrentIndex(index);
        f.PrinterComboChange(index);
    }

    std::function<QStringList()> SavedPrinters;
    std::function<QString()> SavedDefault;
    std::function<void(QPrinter&, QWidget*)> SavedSetup;
    int SetupShown = 0;
};

} // namespace

TEST_F(PrintFormTest, TheFormAsDesigned)
{
    ASSERT_TRUE(PrintForm);
    TPrintForm& f = *PrintForm;
    EXPECT_EQ(f.windowTitle(), Q("Печать карт"));
    EXPECT_EQ(f.size(), QSize(336, 289));
    const struct {
        QWidget* Control;
        QRect Geometry;
        const char* Caption;
    } controls[] = {
        {f.OkButton, {256, 8, 75, 25}, "&Печать"},
        {f.CancelButton, {256, 40, 75, 25}, "О&тмена"},
        {f.GroupBox2, {4, 192, 245, 69}, "Настройки"},
        {f.ColorPrintCheck, {12, 20, 133, 17}, "&Цветная печать"},
        {f.SmallSizeCheck, {12, 44, 145, 17}, "&Уменьшенный размер"},
        {f.GroupBox3, {4, 4, 245, 89}, "П&ринтер"},
        {f.PrinterCombo, {8, 24, 229, 21}, ""},
        {f.PrinterSetupButton, {162, 54, 75, 25}, "Сво&йства..."},
        {f.GroupBox4, {4, 96, 245, 89}, "Страницы"},
        {f.AllPageRadio, {12, 36, 45, 17}, "&Все"},
        {f.SelectPageRadio, {12, 60, 85, 17}, "&Страницы   с:"},
        {f.SelectStartEdit, {104, 58, 41, 21}, ""},
        {f.SelectEndEdit, {172, 58, 41, 21}, ""},
        {f.BackSideCheck, {16, 268, 229, 17}, "Печатать ру&башки карт"},
    };
    for (const auto& c : controls) {
        SCOPED_TRACE(c.Control->objectName().toStdString());
        // As designed; a check box or radio button may be wider where the substitute
        // of the dialog font needs it (the layout check below sees that nothing overlaps).
        EXPECT_EQ(c.Control->pos(), c.Geometry.topLeft());
        EXPECT_EQ(c.Control->height(), c.Geometry.height());
        if (qobject_cast<QCheckBox*>(c.Control) || qobject_cast<QRadioButton*>(c.Control))
            EXPECT_GE(c.Control->width(), c.Geometry.width());
        else
            EXPECT_EQ(c.Control->width(), c.Geometry.width());
        if (*c.Caption) {
            const QString caption = qobject_cast<QGroupBox*>(c.Control)
                                        ? static_cast<QGroupBox*>(c.Control)->title()
                                        : c.Control->property("text").toString();
            EXPECT_EQ(caption, Q(c.Caption));
        }
    }
    EXPECT_EQ(f.Label2->text(), Q("Размер страницы:"));
    EXPECT_EQ(f.Label2->pos(), QPoint(12, 52));
    EXPECT_EQ(f.Label3->text(), Q("Карт на странице:"));
    EXPECT_EQ(f.Label4->text(), Q("Всего страниц:"));
    EXPECT_EQ(f.Label1->text(), Q("по:"));
    EXPECT_EQ(f.PageCountLabel->pos(), QPoint(216, 16));
    EXPECT_TRUE(f.AllPageRadio->isChecked());
    EXPECT_FALSE(f.PrinterCombo->isEditable());
    EXPECT_EQ(f.ColorPrintCheck->toolTip(),
              Q("Если этот режим отключен, то карты будут печататься в специальном черно-белом варианте."));
    EXPECT_EQ(f.SmallSizeCheck->toolTip(), Q("Специальный уменьшенный размер карты, предназначенный для "
                                             "последующего наклеивания на обычную игральную карту."));
    EXPECT_EQ(f.BackSideCheck->toolTip(), Q("Вместо самих карт будет напечатана их рубашка."));
    EXPECT_FALSE(f.OkButton->isDefault() || f.OkButton->autoDefault());
    EXPECT_FALSE(f.CancelButton->isDefault() || f.CancelButton->autoDefault());

    // Tab order through the form: down the left column, then the buttons.
    const QList<QWidget*> order{f.PrinterCombo,    f.PrinterSetupButton, f.AllPageRadio,    f.SelectPageRadio,
                                f.SelectStartEdit, f.SelectEndEdit,      f.ColorPrintCheck, f.SmallSizeCheck,
                                f.BackSideCheck,   f.OkButton,           f.CancelButton};
    auto nextTabStop = [](QWidget* w) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        EXPECT_EQ(nextTabStop(order[i]), order[i + 1]) << order[i]->objectName().toStdString();

    OnOpen<TPrintForm>([](TPrintForm& form) {
        EXPECT_EQ(LayoutFaults(&form), "");
        form.CancelButton->click();
    });
    AddToDeck("Shock", "7E", 4);
    Trigger(Form->aPrint);
    EXPECT_EQ(Openings, 1);
}

TEST_F(PrintFormTest, WithoutPrintersTheFilesAreTheOnlyOutputs)
{
    AddToDeck("Shock", "7E", 4);
    OnOpen<TPrintForm>([this](TPrintForm& f) {
        EXPECT_EQ(Entries(f), (QStringList{Q("Файл в формате PDF"), Q("Файл в формате Bmp")}));
        EXPECT_EQ(f.PrinterCombo->currentIndex(), 1);
        EXPECT_TRUE(f.ToBitmapFiles);
        EXPECT_FALSE(f.PrinterSetupButton->isEnabled());
        EXPECT_EQ(f.PaperSizeLabel->text(), Q("290 мм / 410 мм"));
        EXPECT_EQ(f.CardOnPageCountLabel->text(), Q("25"));
        EXPECT_EQ(f.PageCountLabel->text(), Q("1"));
        f.SmallSizeCheck->click();
        EXPECT_TRUE(PrintForPlayCard);
        EXPECT_EQ(f.PaperSizeLabel->text(), Q("283 мм / 397 мм"));
        // The PDF file: A4 less 5 mm, 3 x 3 cards at either size.
        Pick(f, Q("Файл в формате PDF"));
        EXPECT_FALSE(f.ToBitmapFiles);
        EXPECT_TRUE(f.ToPdfFile());
        EXPECT_TRUE(f.PrinterSetupButton->isEnabled());
        EXPECT_EQ(f.PaperSizeLabel->text(), Q("210 мм / 297 мм"));
        EXPECT_EQ(f.CardOnPageCountLabel->text(), Q("9"));
        f.SmallSizeCheck->click();
        EXPECT_EQ(f.CardOnPageCountLabel->text(), Q("9"));
        f.PrinterSetupButton->click();
        EXPECT_EQ(SetupShown, 1);
        f.CancelButton->click();
    });
    Trigger(Form->aPrint);
    ASSERT_EQ(Openings, 1);
}

// The output chosen last comes back by its name (kept in the settings, so across a
// restart): page bitmaps, a printer; a printer that is gone gives way to the
// system's default printer, never to the first queue.
TEST_F(PrintFormTest, TheChosenOutputIsRememberedByNameAndTheDefaultTakesOver)
{
    UsePrinters({Q("Office"), Q("Kitchen")}, Q("Kitchen"));
    AddToDeck("Shock", "7E", 4);
    OnOpen<TPrintForm>([this](TPrintForm& f) {
        if (Openings == 1) {
            EXPECT_EQ(Entries(f), (QStringList{Q("Office"), Q("Kitchen"), Q("Файл в формате PDF"),
                                               Q("Файл в формате Bmp")}));
            EXPECT_EQ(f.PrinterCombo->currentText(), Q("Kitchen"));
            Pick(f, Q("Файл в формате Bmp"));
            EXPECT_TRUE(f.ToBitmapFiles);
            EXPECT_FALSE(f.PrinterSetupButton->isEnabled());
        } else if (Openings == 2) {
            EXPECT_EQ(f.PrinterCombo->currentText(), Q("Файл в формате Bmp"));
            EXPECT_TRUE(f.ToBitmapFiles);
            Pick(f, Q("Office"));
        } else if (Openings == 3) {
            EXPECT_EQ(f.PrinterCombo->currentText(), Q("Office"));
            EXPECT_FALSE(f.ToBitmapFiles);
        } else {
            EXPECT_EQ(f.PrinterCombo->currentText(), Q("Kitchen"));
        }
        f.CancelButton->click();
    });
    Trigger(Form->aPrint);
    EXPECT_EQ(PrintOutputName, "bmp");
    // Across a restart: the settings written and read again.
    WriteSettings();
    PrintOutputName.clear();
    ReadSettings();
    Trigger(Form->aPrint);
    EXPECT_EQ(PrintOutputName, "Office");
    Trigger(Form->aPrint);
    UsePrinters({Q("Hall"), Q("Kitchen")}, Q("Kitchen"));
    Trigger(Form->aPrint);
    EXPECT_EQ(Openings, 4);
}

// Every button, check box and radio button has a mnemonic of its own.
TEST_F(PrintFormTest, EveryControlHasItsOwnMnemonic)
{
    OnOpen<TPrintForm>([](TPrintForm& f) {
        QStringList keys;
        for (QAbstractButton* b : f.findChildren<QAbstractButton*>()) {
            const int amp = b->text().indexOf('&');
            ASSERT_GE(amp, 0) << b->objectName().toStdString();
            keys << b->text().mid(amp + 1, 1).toLower();
        }
        keys << f.GroupBox3->title().mid(f.GroupBox3->title().indexOf('&') + 1, 1).toLower();
        EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size()) << keys.join(",").toStdString();
        f.CancelButton->click();
    });
    Trigger(Form->aPrint);
}

TEST_F(PrintFormTest, PageEditsAreLimitedToTheJob)
{
    AddToDeck("Shock", "7E", 100); // 4 page bitmaps
    OnOpen<TPrintForm>([](TPrintForm& f) {
        EXPECT_EQ(f.SelectStartEdit->text(), Q("1"));
        EXPECT_EQ(f.SelectEndEdit->text(), Q("4"));
        EXPECT_EQ(f.PageCountLabel->text(), Q("4"));
        EXPECT_FALSE(f.SelectPageRadio->isChecked());
        TypeAndLeave(f.SelectStartEdit, "0");
        EXPECT_EQ(f.SelectStartEdit->text(), Q("1"));
        EXPECT_EQ(f.RangeStart, 1);
        EXPECT_TRUE(f.SelectPageRadio->isChecked()); // typing chose the range
        TypeAndLeave(f.SelectEndEdit, "99");
        EXPECT_EQ(f.SelectEndEdit->text(), Q("4"));
        EXPECT_EQ(f.RangeEnd, 4);
        // "From 3 to 2" is taken as pages 2 to 3.
        TypeAndLeave(f.SelectStartEdit, "3");
        TypeAndLeave(f.SelectEndEdit, "2");
        EXPECT_EQ(f.SelectStartEdit->text(), Q("2"));
        EXPECT_EQ(f.SelectEndEdit->text(), Q("3"));
        EXPECT_EQ(f.RangeStart, 2);
        EXPECT_EQ(f.RangeEnd, 3);
        TypeAndLeave(f.SelectStartEdit, "abc");
        TypeAndLeave(f.SelectEndEdit, "xyz");
        EXPECT_EQ(f.SelectStartEdit->text(), Q("1"));
        EXPECT_EQ(f.SelectEndEdit->text(), Q("4"));
        f.CancelButton->click();
    });
    Trigger(Form->aPrint);
    // The next showing starts from the whole job again, the radio as it was left.
    OnOpen<TPrintForm>([](TPrintForm& f) {
        EXPECT_EQ(f.SelectStartEdit->text(), Q("1"));
        EXPECT_EQ(f.SelectEndEdit->text(), Q("4"));
        EXPECT_TRUE(f.SelectPageRadio->isChecked());
        f.CancelButton->click();
    });
    Trigger(Form->aPrint);
    EXPECT_EQ(Openings, 2);
}

TEST_F(PrintFormTest, SettingsChangeAtOnceAndKeysDoNotClose)
{
    AddToDeck("Shock", "7E", 4);
    PrintGrayscale = false;
    OnOpen<TPrintForm>([](TPrintForm& f) {
        EXPECT_TRUE(f.ColorPrintCheck->isChecked());
        f.ColorPrintCheck->click();
        f.BackSideCheck->click();
        EXPECT_TRUE(f.PrintBackSides);
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(&f, key);
        EXPECT_TRUE(f.isVisible());
        EXPECT_EQ(f.result(), QDialog::Rejected);
        f.close(); // the close box cancels
    });
    Trigger(Form->aPrint);
    EXPECT_TRUE(PrintGrayscale); // changed, although the dialog was cancelled
    // The backs never carry over to the next showing.
    OnOpen<TPrintForm>([](TPrintForm& f) {
        EXPECT_FALSE(f.BackSideCheck->isChecked());
        EXPECT_FALSE(f.PrintBackSides);
        EXPECT_FALSE(f.ColorPrintCheck->isChecked());
        f.CancelButton->click();
    });
    Trigger(Form->aPrint);
    EXPECT_EQ(Openings, 2);
}

TEST_F(PrintFormTest, PrintingFromTheWindowToPageBitmaps)
{
    AddToDeck("Shock", "7E", 27);
    AddToDeck("Grizzly Bears", "7E", 3);
    Deck().First();
    Form->DeckGrid->setFocus();
    const int drawn = Form->DrawCount;
    OnOpen<TPrintForm>([](TPrintForm& f) {
        EXPECT_TRUE(f.ToBitmapFiles);
        f.OkButton->click();
    });
    Trigger(Form->aPrint);
    ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("\n").toStdString();
    EXPECT_TRUE(QFile::exists(Folder.File("preprint/page1.bmp")));
    EXPECT_TRUE(QFile::exists(Folder.File("preprint/page2.bmp")));
    ASSERT_EQ(Dialogs.Messages.size(), 1);
    EXPECT_EQ(Dialogs.Messages[0], Q("Изображения карт были сохранены в файлах:\n\r") + Folder.Path()
                                       + Q("/preprint/page*.bmp\n\rгде * - № страницы"));
    EXPECT_EQ(Form->statusBar()->currentMessage(), Q("Печать завершена"));
    EXPECT_FALSE(IsPrinting);
    EXPECT_EQ(Deck().RecNo(), 1);
    EXPECT_EQ(Form->DrawCount, drawn + 1); // the current card drawn again
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(PrintFormTest, PrintingToAPdfFileAsksForTheFile)
{
    const QString deck = QString::fromUtf8(TOMELARK_BIN_DIR) + "/decks/green-red.mdc";
    if (!QFile::exists(deck))
        GTEST_SKIP() << "the sample decks are not in the data store";
    Dialogs.OpenAnswers.push_back(deck);
    Trigger(Form->aOpen);
    ASSERT_EQ(DataModule->DeckTotal, 60);
    auto choosePdf = [](TPrintForm& f) {
        Pick(f, Q("Файл в формате PDF"));
        f.OkButton->click();
    };
    // Cancelling the file dialog prints nothing.
    OnOpen<TPrintForm>(choosePdf);
    Trigger(Form->aPrint);
    ASSERT_EQ(Dialogs.SaveDirectories.size(), 1);
    EXPECT_EQ(Dialogs.SaveDirectories[0], Folder.Path() + Q("/preprint/green-red.pdf"));
    EXPECT_TRUE(QDir(Folder.File("preprint")).entryList({"*.pdf"}).isEmpty());

    const QString pdf = Folder.File("proxies.pdf");
    Dialogs.SaveAnswers.push_back(pdf);
    OnOpen<TPrintForm>(choosePdf);
    Trigger(Form->aPrint);
    ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join("\n").toStdString();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    int pages = 0;
    for (qsizetype at = bytes.indexOf("/Type /Page"); at >= 0; at = bytes.indexOf("/Type /Page", at + 1))
        pages += at + 11 < bytes.size() && bytes[at + 11] != 's';
    EXPECT_EQ(pages, 7); // 60 cards, 9 a page
    EXPECT_TRUE(Dialogs.Messages.isEmpty());
}

TEST_F(PrintFormTest, ScreenshotOfTheDialog)
{
    const QString deck = QString::fromUtf8(TOMELARK_BIN_DIR) + "/decks/astral-slide.mdc";
    if (!QFile::exists(deck))
        GTEST_SKIP() << "the sample decks are not in the data store";
    Dialogs.OpenAnswers.push_back(deck);
    Trigger(Form->aOpen);
    OnOpen<TPrintForm>([](TPrintForm& f) {
        QApplication::processEvents();
        const QImage shot = f.grab().toImage();
        EXPECT_EQ(shot.size(), QSize(336, 289));
        EXPECT_TRUE(shot.save("print-dialog.png"));
        f.CancelButton->click();
    });
    Trigger(Form->aPrint);
    EXPECT_EQ(Openings, 1);
}
