// The print run onto page bitmaps: the files, their format and size, cards and
// cutting frames in their cells, empty cells white, ranges, backs, grey print, the
// slot walk over counts, what the run shows, and the completion after an error.
#include "PrintTestSupport.h"

#include <QtEndian>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

struct TBmpHeader {
    int Width = 0, Height = 0, Bits = 0, Compression = -1, DotsPerMeterX = 0, DotsPerMeterY = 0;
};

TBmpHeader ReadHeader(const QString& path)
{
    QFile f(path);
    TBmpHeader h;
    if (!f.open(QIODevice::ReadOnly))
        return h;
    const QByteArray b = f.read(54);
    if (b.size() < 54 || !b.startsWith("BM"))
        return h;
    auto u32 = [&](int at) { return qFromLittleEndian<qint32>(b.constData() + at); };
    h.Width = u32(18);
    h.Height = u32(22);
    h.Bits = qFromLittleEndian<quint16>(b.constData() + 28);
    h.Compression = u32(30);
    h.DotsPerMeterX = u32(38);
    h.DotsPerMeterY = u32(42);
    return h;
}

bool IsBlack(QRgb c)
{
    return qRed(c) < 40 && qGreen(c) < 40 && qBlue(c) < 40;
}

// Every sampled pixel of the rectangle white.
bool AllWhite(const QImage& page, const QRect& r)
{
    for (int y = r.top(); y <= r.bottom(); y += 7)
        for (int x = r.left(); x <= r.right(); x += 7)
            if (page.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

// The frame runs along the cell's outermost pixels on all four sides.
void ExpectFramed(const QImage& page, const QRect& cell)
{
    for (int t = 0; t < 10; ++t) {
        const int x = cell.left() + 20 + t * (cell.width() - 40) / 10;
        const int y = cell.top() + 20 + t * (cell.height() - 40) / 10;
        EXPECT_TRUE(IsBlack(page.pixel(x, cell.top()))) << "top edge at " << x;
        EXPECT_TRUE(IsBlack(page.pixel(x, cell.bottom()))) << "bottom edge at " << x;
        EXPECT_TRUE(IsBlack(page.pixel(cell.left(), y))) << "left edge at " << y;
        EXPECT_TRUE(IsBlack(page.pixel(cell.right(), y))) << "right edge at " << y;
    }
}

// Share of sampled pixels where two cell pictures clearly differ. The same card drawn
// in another row of the page may shift by a pixel in places (the face is laid out in
// 0.1 mm and rounded to the page's pixels), so cells are compared by this share.
double Differs(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 1.0;
    int differ = 0, all = 0;
    for (int y = 0; y < a.height(); y += 3)
        for (int x = 0; x < a.width(); x += 3, ++all) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            differ += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q)) > 120;
        }
    return double(differ) / all;
}

QRect Cell(int slot, int w = 685, int h = 969)
{
    return QRect((slot % 5) * w, (slot / 5) * h, w, h);
}

} // namespace

TEST_F(PrintTest, ThirtyCardsMakeTwoPageBitmapsWithFiveCardsOnTheSecond)
{
    BuildDeck(30);
    Run.ToBitmapFiles = true;
    Run.UpdateLayout();
    const int before = Module->DeckTable.RecNo();
    Run.PrintCards();

    for (int page : {1, 2}) {
        const TBmpHeader h = ReadHeader(PageFile(page));
        EXPECT_EQ(h.Width, 3425) << page;
        EXPECT_EQ(h.Height, 4845) << page;
        EXPECT_EQ(h.Bits, 24) << page;
        EXPECT_EQ(h.Compression, 0) << page; // uncompressed
        EXPECT_EQ(h.DotsPerMeterX, 11811) << page; // 300 dpi
        EXPECT_EQ(h.DotsPerMeterY, 11811) << page;
    }
    EXPECT_FALSE(QFile::exists(PageFile(3)));
    EXPECT_EQ(Run.SavedFiles.size(), 2u);

    const QImage first(PageFile(1));
    const QImage second(PageFile(2));
    ASSERT_FALSE(second.isNull());
    for (int slot = 0; slot < 25; ++slot) {
        SCOPED_TRACE(slot);
        ExpectFramed(first, Cell(slot));
        if (slot < 5) {
            ExpectFramed(second, Cell(slot));
            EXPECT_FALSE(AllWhite(second, Cell(slot).adjusted(2, 2, -2, -2)));
        } else {
            EXPECT_TRUE(AllWhite(second, Cell(slot)));
        }
    }
    // What the run showed, and the state it leaves.
    ASSERT_FALSE(Feedback.Statuses.empty());
    EXPECT_EQ(Feedback.Statuses.front(), "Идет печать страницы 1 из 2");
    EXPECT_EQ(Feedback.Statuses[Feedback.Statuses.size() - 2], "Идет печать страницы 2 из 2");
    EXPECT_EQ(Feedback.Statuses.back(), "Печать завершена");
    ASSERT_EQ(Feedback.Messages.size(), 1u);
    EXPECT_EQ(Feedback.Messages[0], "Изображения карт были сохранены в файлах:\n\r" + Folder("preprint")
                                        + "page*.bmp\n\rгде * - № страницы");
    EXPECT_EQ(Feedback.BusyDepth, 0);
    EXPECT_EQ(Feedback.BusyCalls, 2);
    EXPECT_FALSE(IsPrinting);
    EXPECT_TRUE(Module->LockStack.empty());
    EXPECT_EQ(Module->DeckTable.RecNo(), before);
}

TEST_F(PrintTest, ReducedPageBitmapsHoldSmallerCells)
{
    BuildDeck(3);
    PrintForPlayCard = true;
    Run.ToBitmapFiles = true;
    Run.UpdateLayout();
    Run.PrintCards();
    const QImage page(PageFile(1));
    ASSERT_EQ(page.size(), QSize(3345, 4690));
    for (int slot = 0; slot < 3; ++slot)
        ExpectFramed(page, Cell(slot, 669, 938));
    EXPECT_TRUE(AllWhite(page, Cell(3, 669, 938)));
}

TEST_F(PrintTest, ARangeDrawsOnlyItsPagesFromTheFirstSheet)
{
    // 26 cards: page 2 of the job holds one card, in the top-left cell.
    BuildDeck(26);
    Run.ToBitmapFiles = true;
    Run.UpdateLayout();
    Run.SelectPages = true;
    Run.SetRange(2, 2);
    Run.PrintCards();
    EXPECT_FALSE(QFile::exists(PageFile(1)));
    ASSERT_TRUE(QFile::exists(PageFile(2)));
    const QImage page(PageFile(2));
    ExpectFramed(page, Cell(0));
    EXPECT_TRUE(AllWhite(page, Cell(1)));
    ASSERT_EQ(Feedback.Statuses.size(), 2u);
    EXPECT_EQ(Feedback.Statuses[0], "Идет печать страницы 1 из 1");
    EXPECT_EQ(Feedback.Statuses[1], "Печать завершена");
}

TEST_F(PrintTest, CountsFillConsecutiveSlotsAcrossPagesAndEmptyEntriesTakeNone)
{
    // 23 bears, then four Shocks: two at the end of page 1, two at the start of page 2;
    // an entry counting 0 in between takes no slot.
    Add("Grizzly Bears", "7E", "", 23);
    Add("Serra Angel", "7E", "", 0);
    Add("Shock", "7E", "", 4);
    Run.ToBitmapFiles = true;
    Run.UpdateLayout();
    EXPECT_EQ(Run.LastPage, 2);
    Run.PrintCards();
    const QImage first(PageFile(1));
    const QImage second(PageFile(2));
    const QImage bear = first.copy(Cell(0));
    const QImage shock = first.copy(Cell(23));
    EXPECT_GT(Differs(bear, shock), 0.2);
    EXPECT_LT(Differs(first.copy(Cell(22)), bear), 0.03);
    EXPECT_LT(Differs(first.copy(Cell(24)), shock), 0.03);
    EXPECT_LT(Differs(second.copy(Cell(0)), shock), 0.03);
    EXPECT_LT(Differs(second.copy(Cell(1)), shock), 0.03);
    EXPECT_TRUE(AllWhite(second, Cell(2)));
}

TEST_F(PrintTest, BacksAndGreyPrint)
{
    BuildDeck(12);
    Run.ToBitmapFiles = true;
    Run.PrintBackSides = true;
    Run.UpdateLayout();
    EXPECT_EQ(Run.LastPage, 1); // the layout does not depend on backs
    Run.PrintCards();
    QImage page(PageFile(1));
    const QImage back = page.copy(Cell(0));
    for (int slot = 1; slot < 12; ++slot)
        EXPECT_LT(Differs(page.copy(Cell(slot)), back), 0.01) << slot;
    EXPECT_TRUE(AllWhite(page, Cell(12)));

    // The grey print: every pixel of the page grey, faces not backs.
    Run.PrintBackSides = false;
    PrintGrayscale = true;
    Run.PrintCards();
    page = QImage(PageFile(1)).convertToFormat(QImage::Format_RGB32);
    int coloured = 0;
    for (int y = 0; y < page.height(); y += 5)
        for (int x = 0; x < page.width(); x += 5) {
            const QRgb c = page.pixel(x, y);
            coloured += qRed(c) != qGreen(c) || qGreen(c) != qBlue(c);
        }
    EXPECT_EQ(coloured, 0);
    EXPECT_GT(Differs(page.copy(Cell(0)), back), 0.2);
}

TEST_F(PrintTest, ASecondSmallerRunLeavesTheHigherPagesOfTheFirst)
{
    BuildDeck(30);
    Run.ToBitmapFiles = true;
    Run.UpdateLayout();
    Run.PrintCards();
    const QByteArray secondPage = [&] {
        QFile f(PageFile(2));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    Module->NewDeck();
    Add("Shock", "7E", "", 1);
    Run.UpdateLayout();
    Run.PrintCards();
    QFile f(PageFile(2));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), secondPage);
    const QImage first(PageFile(1));
    EXPECT_TRUE(AllWhite(first, Cell(1))); // replaced: one card now
}

TEST_F(PrintTest, ACardMissingFromTheBaseStopsTheRunBeforeAnyOutput)
{
    BuildDeck(6);
    Add("No Such Card", "7E", "", 2);
    Module->DeckTable.First();
    Run.ToBitmapFiles = true;
    Run.UpdateLayout();
    try {
        Run.PrintCards();
        FAIL() << "printed a deck with a card the base does not have";
    } catch (const EError& e) {
        EXPECT_EQ(Win1251ToUtf8(e.what()), "Не найдена карта No Such Card [7E]");
    }
    EXPECT_FALSE(QDir(Dir.filePath("preprint")).exists());
    EXPECT_TRUE(Feedback.Statuses.empty());
    EXPECT_TRUE(Module->LockStack.empty());
    EXPECT_EQ(Module->DeckTable.RecNo(), 1);
    // Backs need no card from the base.
    Run.PrintBackSides = true;
    Run.PrintCards();
    EXPECT_TRUE(QFile::exists(PageFile(1)));
}

TEST_F(PrintTest, AFailedSaveStillCompletesTheRun)
{
    // A file where the page folder should be: the first page cannot be saved.
    std::ofstream(Dir.filePath("preprint").toStdString()) << "in the way";
    BuildDeck(30);
    Module->DeckTable.Last();
    const int before = Module->DeckTable.RecNo();
    Run.ToBitmapFiles = true;
    Run.UpdateLayout();
    EXPECT_THROW(Run.PrintCards(), Exception);
    EXPECT_FALSE(IsPrinting);
    EXPECT_EQ(Feedback.BusyDepth, 0);
    ASSERT_FALSE(Feedback.Statuses.empty());
    EXPECT_EQ(Feedback.Statuses.back(), "Печать завершена");
    EXPECT_TRUE(Module->LockStack.empty());
    EXPECT_EQ(Module->DeckTable.RecNo(), before);
    EXPECT_TRUE(Run.SavedFiles.empty());
    EXPECT_TRUE(Feedback.Messages.empty());
}

TEST_F(PrintTest, AnEmptyDeckPrintsNothing)
{
    Run.ToBitmapFiles = true;
    Run.UpdateLayout();
    Run.PrintCards();
    EXPECT_TRUE(Feedback.Statuses.empty());
    EXPECT_TRUE(Feedback.Messages.empty());
    EXPECT_FALSE(QDir(Dir.filePath("preprint")).exists());
}
