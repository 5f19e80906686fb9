// The options dialog: defaults, the round trip of the three settings, Cancel, the page
// kept between openings, and the main window's language switch afterwards.
#include "DialogsTestSupport.h"

#include "render/CardView.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QTabWidget>

using OptionFormTest = DialogsTest;

TEST_F(OptionFormTest, DefaultsThenRussianSwitchesGridAndPicture)
{
    SelectCard("Shock");
    Form->CardsGrid->setFocus();
    QApplication::processEvents();
    Form->UpdateImageCardNow();
    const QImage english = CardPicture.copy();
    const int drawn = Form->DrawCount;
    OnOpen<TOptionsForm>([](TOptionsForm& f) {
        EXPECT_EQ(f.windowTitle(), Q("Параметры"));
        EXPECT_EQ(f.PageControl->currentWidget(), f.TabSheet1); // "Язык карт" first
        EXPECT_EQ(f.PageControl->tabText(0), Q("Картинки"));
        EXPECT_EQ(f.PageControl->tabText(1), Q("Язык карт"));
        EXPECT_TRUE(f.SmallImagesCheck->isChecked());
        EXPECT_TRUE(f.EngRusNameCheck->isChecked());
        EXPECT_TRUE(f.DrawReminderTextCheck->isChecked());
        f.RusNameCheck->click();
        f.DrawReminderTextCheck->click();
        f.OkButton->click();
    });
    Trigger(Form->aOptions);
    ASSERT_EQ(Openings, 1);
    EXPECT_EQ(CardTextType, 0);
    EXPECT_FALSE(DrawReminderText);
    EXPECT_EQ(ArtImageType, 0);
    // The card list: Russian names and types, sorted by the Russian name; the same card
    // drawn again at once, now in Russian.
    EXPECT_EQ(Form->CardsModel->Column(0).FieldName, "NameR");
    EXPECT_EQ(Form->CardsModel->Column(2).FieldName, "TypeR");
    EXPECT_EQ(Cards().IndexName(), "NameSortR");
    EXPECT_EQ(Form->CardsModel->index(Cards().CurrentRow(), 0).data().toString(), Q("Шок"));
    EXPECT_EQ(Form->DrawCount, drawn + 1);
    EXPECT_NE(CardPicture, english);

    // The settings survive the end of the program in the user's store.
    Stop();
    EXPECT_EQ(QSettings().value("CardTextType").toInt(), 0);
    EXPECT_EQ(QSettings().value("DrawReminderText").toInt(), 0);
}

TEST_F(OptionFormTest, CancelStoresNothingAndThePageStays)
{
    ArtImageType = 5; // any value but 0 is the encyclopedia's pictures
    CardTextType = 2;
    OnOpen<TOptionsForm>([](TOptionsForm& f) {
        EXPECT_TRUE(f.MtgEncImagesCheck->isChecked());
        EXPECT_TRUE(f.EnglishNameCheck->isChecked());
        f.PageControl->setCurrentWidget(f.PathPage);
        f.SmallImagesCheck->click();
        f.RusNameCheck->click();
        f.DrawReminderTextCheck->click();
        f.CancelButton->click();
    });
    const int drawn = Form->DrawCount;
    Trigger(Form->aOptions);
    EXPECT_EQ(ArtImageType, 5);
    EXPECT_EQ(CardTextType, 2);
    EXPECT_TRUE(DrawReminderText);
    EXPECT_EQ(Form->DrawCount, drawn + 1); // redrawn whatever the result
    EXPECT_EQ(Cards().IndexName(), "NameSort");

    // The next opening shows the stored settings on the page last shown; OK stores the
    // encyclopedia's pictures as 1.
    OnOpen<TOptionsForm>([](TOptionsForm& f) {
        EXPECT_EQ(f.PageControl->currentWidget(), f.PathPage);
        EXPECT_TRUE(f.MtgEncImagesCheck->isChecked());
        EXPECT_TRUE(f.EnglishNameCheck->isChecked());
        EXPECT_TRUE(f.DrawReminderTextCheck->isChecked());
        f.OkButton->click();
    });
    Trigger(Form->aOptions);
    EXPECT_EQ(ArtImageType, 1);
    EXPECT_EQ(Openings, 2);

    // A stored language outside 0..2 leaves the language buttons as they were.
    CardTextType = 7;
    OnOpen<TOptionsForm>([](TOptionsForm& f) {
        EXPECT_TRUE(f.EnglishNameCheck->isChecked());
        f.OkButton->click();
    });
    Trigger(Form->aOptions);
    EXPECT_EQ(CardTextType, 2);
}

TEST_F(OptionFormTest, LayoutShowsEveryTextWhole)
{
    ASSERT_TRUE(OptionsForm);
    EXPECT_EQ(OptionsForm->size(), QSize(296, 235));
    EXPECT_EQ(LayoutFaults(OptionsForm), "");
    // Only a close box in the title bar.
    EXPECT_FALSE(OptionsForm->windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_TRUE(OptionsForm->windowFlags() & Qt::WindowCloseButtonHint);
}
