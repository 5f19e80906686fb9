// Every card of the bundled card base, drawn the ways a user and a print run draw it:
// the three language choices and the grey print variant, against the real data store.
#include "RenderTestSupport.h"

#include "data/DataModule.h"
#include "data/TableEngine.h"

#include <QFileInfo>

namespace {

// Share of pixels that differ from the card back's: a face that silently fell back to
// the back, or stayed blank, shows almost none.
double DifferentShare(const QImage& a, const QImage& b)
{
    int differ = 0;
    for (int y = 0; y < a.height(); y += 3)
        for (int x = 0; x < a.width(); x += 3)
            differ += a.pixel(x, y) != b.pixel(x, y);
    return double(differ) / ((a.height() / 3 + 1) * (a.width() / 3 + 1));
}

QImage Draw(const TCard& card)
{
    QImage picture(300, 433, QImage::Format_RGB888);
    picture.fill(Qt::white);
    TCanvas canvas(picture);
    DrawCard(card, canvas, TRect{0, 0, 300, 433});
    return picture;
}

} // namespace

// One test for each way of drawing, so that the four walks over the whole base run
// side by side: Russian, English names with Russian texts, English, and the grey print.
class SampleBase : public ::testing::TestWithParam<int> {};

TEST_P(SampleBase, EveryCardRenders)
{
    const int variant = GetParam();
    const std::string bin = TOMELARK_BIN_DIR;
    if (!QFileInfo::exists(QString::fromStdString(bin + "/data/cardbase.cds")))
        GTEST_SKIP() << "no data store beside the program";
    rendertest::EnsureFonts();
    rendertest::TRenderSettings keep;
    InitFolders(bin);
    ArtImageType = 0;
    DrawReminderText = true;

    TTable table;
    table.LoadFromFile(bin + "/data/cardbase.cds");
    TCard back;
    back.Name = "?";
    IsPrinting = false;
    const QImage backPicture = Draw(back);

    CardTextType = uint8_t(variant < 3 ? variant : 1);
    PrintGrayscale = IsPrinting = variant == 3;
    int cards = 0;
    for (table.First(); !table.Eof(); table.Next()) {
        TCard card;
        TData::ReadCardFromRecord(table, card);
        SCOPED_TRACE(Win1251ToUtf8(card.Name + " [" + card.Set + "] " + card.Version));
        QImage picture;
        ASSERT_NO_THROW(picture = Draw(card));
        EXPECT_GT(DifferentShare(picture, backPicture), 0.5);
        if (variant == 3) {
            // The grey print variant holds no colour.
            bool grey = true;
            for (int y = 0; y < picture.height() && grey; y += 4)
                for (int x = 0; x < picture.width() && grey; x += 4) {
                    const QColor c = picture.pixelColor(x, y);
                    grey = std::abs(c.red() - c.green()) <= 2 && std::abs(c.green() - c.blue()) <= 2;
                }
            EXPECT_TRUE(grey);
        }
        ++cards;
    }
    IsPrinting = false;
    EXPECT_GT(cards, 50);
}

std::string WayName(const ::testing::TestParamInfo<int>& info)
{
    static const char* const names[] = {"Russian", "EnglishNamesRussianTexts", "English", "GreyPrint"};
    return names[info.param];
}

INSTANTIATE_TEST_SUITE_P(Ways, SampleBase, ::testing::Values(0, 1, 2, 3), WayName);
