// The forms follow the desktop's font size: a desktop whose text is larger than the
// standard 9 points gets every form, its font, its controls, the grids' columns and
// the card picture larger by the same ratio, and nothing is cut or overlaps.
#include "DialogsTestSupport.h"

#include "render/CardView.h"
#include "ui/FormScale.h"
#include "ui/PrintForm.h"

#include <QHeaderView>
#include <QListWidget>

TEST(FormScale, FollowsTheDesktopFontInEighthSteps)
{
    struct TCase {
        double points;
        int pixels;
        double scale;
    };
    const TCase cases[] = {
        {8, 0, 1.0},     // smaller text keeps the designed size
        {9, 0, 1.0},     // the standard size
        {10, 0, 1.125},  // KDE's default
        {11, 0, 1.25},   // GNOME's default
        {13.5, 0, 1.5},
        {18, 0, 2.0},
        {72, 0, 4.0},    // never beyond four times
        {0, 16, 1.375},  // a font sized in pixels: 12 points at 96 dots an inch
    };
    for (const TCase& c : cases) {
        QFont font(QStringLiteral("Sans Serif"));
        if (c.points > 0)
            font.setPointSizeF(c.points);
        else
            font.setPixelSize(c.pixels);
        EXPECT_DOUBLE_EQ(DesktopFontScale(font), c.scale) << c.points << "pt " << c.pixels << "px";
    }
}

TEST(FormScale, ScaledLengthsAndRectanglesStayTogether)
{
    const QFont before = QApplication::font();
    QFont desktop = before;
    desktop.setPointSizeF(13.5);
    QApplication::setFont(desktop);
    InitFormScale();
    QApplication::setFont(before);
    EXPECT_DOUBLE_EQ(FormScale(), 1.5);
    EXPECT_EQ(Scaled(11), 17);
    EXPECT_EQ(Unscaled(Scaled(210)), 210);
    // Controls designed side by side stay side by side: each edge is scaled.
    const QRect a = Scaled(QRect(7, 7, 75, 25)), b = Scaled(QRect(82, 7, 75, 25));
    EXPECT_EQ(a.right() + 1, b.left());
    EXPECT_EQ(FormFont().pixelSize(), 17);
    // Runs laid end to end span the scaled whole: 3 + 3 + 3 is 5 + 4 + 5 at 1.5.
    EXPECT_EQ(Scaled(std::vector<int>{3, 3, 3}), (std::vector<int>{5, 4, 5}));
    SetFormScale(0.5);
    EXPECT_DOUBLE_EQ(FormScale(), 1.0);
    EXPECT_EQ(FormFont().pixelSize(), 11);
}

namespace {

// Forms built at a form scale, like on a desktop with larger text: the main window
// alone, or with every dialog.
template <class TBase>
class TScaled : public TBase, public ::testing::WithParamInterface<double> {
protected:
    void SetUp() override
    {
        SetFormScale(GetParam());
        TBase::SetUp();
    }
    void TearDown() override
    {
        TBase::TearDown();
        SetFormScale(1.0);
    }
    static QSize Scaled(int w, int h) { return QSize(::Scaled(w), ::Scaled(h)); }
};

class ScaledDialogsTest : public TScaled<DialogsTest> {
protected:
    void SetUp() override
    {
        SavedPrinters = TPrintForm::InstalledPrinters;
        TPrintForm::InstalledPrinters = [] { return QStringList(); };
        TScaled<DialogsTest>::SetUp();
    }
    void TearDown() override
    {
        TScaled<DialogsTest>::TearDown();
        TPrintForm::InstalledPrinters = SavedPrinters;
    }
    decltype(TPrintForm::InstalledPrinters) SavedPrinters;
};

using ScaledMainWindowTest = TScaled<MainFormTest>;

} // namespace

TEST_P(ScaledDialogsTest, EveryDialogIsScaledAndShowsEveryTextWhole)
{
    struct TDialog {
        TDialogForm* form;
        QSize design;
    };
    const TDialog dialogs[] = {{AboutForm, {298, 241}},  {EditForm, {449, 357}},      {OptionsForm, {296, 235}},
                               {SearchForm, {424, 409}}, {StatisticForm, {360, 231}}};
    for (const TDialog& d : dialogs) {
        ASSERT_TRUE(d.form);
        SCOPED_TRACE(d.form->objectName().toStdString());
        EXPECT_EQ(d.form->size(), Scaled(d.design.width(), d.design.height()));
        EXPECT_EQ(d.form->font().pixelSize(), ::Scaled(11));
        d.form->show();
        QApplication::processEvents();
        EXPECT_EQ(LayoutFaults(d.form), "");
        d.form->hide();
    }
    // The filter dialog's lists still show all their items, their check boxes larger.
    const QListWidget* sets = SearchForm->SetListBox;
    const_cast<QListWidget*>(sets)->scrollToItem(sets->item(sets->count() - 1));
    EXPECT_TRUE(sets->viewport()->rect().contains(sets->visualItemRect(sets->item(sets->count() - 1))));
    EXPECT_EQ(sets->visualItemRect(sets->item(0)).height(), ::Scaled(16));
    // The statistics grids: their cells and the grid together.
    EXPECT_EQ(StatisticForm->TypeGrid->size(), Scaled(162, 192));

    OnOpen<TPrintForm>([](TPrintForm& form) {
        EXPECT_EQ(form.size(), Scaled(336, 289));
        EXPECT_EQ(LayoutFaults(&form), "");
        // Check boxes and radio buttons with indicators of the same scale.
        for (const QWidget* w : {static_cast<QWidget*>(form.ColorPrintCheck), static_cast<QWidget*>(form.AllPageRadio)})
            for (QStyle::PixelMetric m : {QStyle::PM_IndicatorWidth, QStyle::PM_ExclusiveIndicatorHeight})
                EXPECT_EQ(w->style()->pixelMetric(m, nullptr, w),
                          ::Scaled(QApplication::style()->pixelMetric(m, nullptr, w)));
        form.CancelButton->click();
    });
    Deck().Append();
    DataModule->DeckTableName->SetAsString("Shock");
    DataModule->DeckTableSet->SetAsString("7E");
    DataModule->DeckTableCount->SetAsInteger(4);
    Deck().Post();
    Trigger(Form->aPrint);
    EXPECT_EQ(Openings, 1);
}

TEST_P(ScaledMainWindowTest, TheMainWindowTheCardAndTheColumns)
{
    EXPECT_EQ(Form->font().pixelSize(), ::Scaled(11));
    EXPECT_GE(Form->width(), ::Scaled(760));
    EXPECT_EQ(Form->PaintBox->size(), Scaled(306, 439));
    EXPECT_EQ(Form->CardsGrid->columnWidth(2), ::Scaled(Form->CardsModel->Column(2).Width));
    // The card is drawn to fill the larger box, one picture pixel to one screen pixel.
    Form->UpdateImageTimer->stop();
    Form->UpdateImageCardNow();
    const int margin = ::Scaled(3);
    EXPECT_EQ(CardPicture.size(), Form->PaintBox->size() - QSize(2 * margin, 2 * margin));
    QApplication::processEvents();
    const QImage shot = Form->grab().toImage();
    const QPoint card = Form->PaintBox->mapTo(Form.get(), QPoint(margin, margin));
    EXPECT_EQ(shot.copy(QRect(card, CardPicture.size())).convertToFormat(CardPicture.format()), CardPicture);
    // Nothing of the bottom row is pushed out of the window.
    for (QWidget* w : {static_cast<QWidget*>(Form->CardsCardCountLabel), static_cast<QWidget*>(Form->DeckCardCountLabel)})
        EXPECT_TRUE(Form->rect().contains(QRect(w->mapTo(Form.get(), QPoint(0, 0)), w->size())))
            << w->objectName().toStdString();
    EXPECT_TRUE(shot.save(QString("main-window-scale-%1.png").arg(GetParam())));

    // Column widths are kept in designed pixels: a run at the designed size after one
    // at this scale gets the same columns at the designed size.
    Form->KeepWindowState = true;
    Form->CardsGrid->setColumnWidth(1, ::Scaled(40));
    Form->close();
    Stop();
    SetFormScale(1.0);
    Start();
    Form->RestoreWindowState();
    EXPECT_EQ(Form->CardsGrid->columnWidth(1), 40);
}

namespace {
// The scales of KDE's and GNOME's default text (10 and 11 points), and two larger.
std::string ScaleName(const ::testing::TestParamInfo<double>& info)
{
    return "Times" + std::to_string(int(std::lround(info.param * 1000)));
}
} // namespace

INSTANTIATE_TEST_SUITE_P(DesktopTextSizes, ScaledDialogsTest, ::testing::Values(1.125, 1.25, 1.5, 2.0), ScaleName);
INSTANTIATE_TEST_SUITE_P(DesktopTextSizes, ScaledMainWindowTest, ::testing::Values(1.125, 1.25, 1.5, 2.0), ScaleName);
