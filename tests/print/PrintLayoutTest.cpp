// The page layout: cell and card sizes, cards per page and the page count for page
// bitmaps and printers, where the first card lies on the paper, the range limits, and
// a page too small for one card.
#include "PrintTestSupport.h"

#include <QPrinter>

TEST_F(PrintTest, PageBitmapLayoutsNormalAndReduced)
{
    BuildDeck(30);
    const struct {
        bool Small;
        int Cell[2];
        int Paper[2];
        int Pixels[2];
        int Sheet[2];
    } cases[] = {
        {false, {580, 820}, {290, 410}, {685, 969}, {3425, 4845}},
        {true, {566, 794}, {283, 397}, {669, 938}, {3345, 4690}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Small ? "reduced" : "normal");
        PrintForPlayCard = c.Small;
        Run.ToBitmapFiles = true;
        Run.UpdateLayout();
        EXPECT_EQ(Run.CellWidth, c.Cell[0]);
        EXPECT_EQ(Run.CellHeight, c.Cell[1]);
        // In page bitmaps the card is its cell: the frame lies on the picture's edge.
        EXPECT_EQ(Run.CardWidth, Run.CellWidth);
        EXPECT_EQ(Run.CardHeight, Run.CellHeight);
        EXPECT_EQ(Run.PaperWidthMm, c.Paper[0]);
        EXPECT_EQ(Run.PaperHeightMm, c.Paper[1]);
        EXPECT_EQ(Run.CardsPerPage(), 25);
        EXPECT_EQ(Run.LastPage, 2);
        EXPECT_EQ(BitmapPixels(Run.CellWidth), c.Pixels[0]);
        EXPECT_EQ(BitmapPixels(Run.CellHeight), c.Pixels[1]);
        EXPECT_EQ(BitmapPixels(Run.CellWidth) * 5, c.Sheet[0]);
        EXPECT_EQ(BitmapPixels(Run.CellHeight) * 5, c.Sheet[1]);
        const TPrintRun::TSlotPlace last = Run.SlotPlace(24);
        EXPECT_EQ(last.Cell, (TRect{4 * c.Pixels[0], 4 * c.Pixels[1], c.Sheet[0], c.Sheet[1]}));
        EXPECT_EQ(last.Card, last.Cell);
    }
}

TEST_F(PrintTest, PdfPaperAndTheFirstCardOnIt)
{
    QPrinter printer(QPrinter::HighResolution);
    MakePdfPrinter(printer);
    const TPrinterPage page = PrinterPageOf(printer);
    EXPECT_EQ(page.PaperWidthMm, 210);
    EXPECT_EQ(page.PaperHeightMm, 297);
    EXPECT_EQ(page.AreaWidth, 2000); // the paper less 5 mm on every side
    EXPECT_EQ(page.AreaHeight, 2870);

    BuildDeck(10);
    Run.Printer = &printer;
    for (bool small : {false, true}) {
        SCOPED_TRACE(small ? "reduced" : "normal");
        PrintForPlayCard = small;
        Run.UpdateLayout();
        EXPECT_EQ(Run.Columns, 3);
        EXPECT_EQ(Run.Rows, 3);
        EXPECT_EQ(Run.FirstPage, 1);
        EXPECT_EQ(Run.LastPage, 2); // 10 cards, 9 a page
        EXPECT_EQ(Run.PaperSizeText(), W("210 мм / 297 мм"));
    }
    // Normal size: the card picture 2.5 mm right of and 3 mm below the printable area's
    // corner, in the metric mapping (y up); the cell 62 x 87 mm from the corner.
    PrintForPlayCard = false;
    Run.UpdateLayout();
    EXPECT_EQ(Run.SlotPlace(0).Cell, (TRect{0, 0, 620, -870}));
    EXPECT_EQ(Run.SlotPlace(0).Card, (TRect{25, -30, 595, -840}));
    // The next row starts one cell height lower, the next column one width right.
    EXPECT_EQ(Run.SlotPlace(4).Card, (TRect{645, -900, 1215, -1710}));
    // Reduced: 1 mm at the sides, 5.5 mm at top and bottom, in a taller cell.
    PrintForPlayCard = true;
    Run.UpdateLayout();
    EXPECT_EQ(Run.SlotPlace(0).Card, (TRect{10, -55, 566, -839}));

    // A landscape A4 takes 4 cards across and 2 down.
    MakePdfPrinter(printer, 297, 210);
    PrintForPlayCard = false;
    Run.UpdateLayout();
    EXPECT_EQ(Run.PaperSizeText(), W("297 мм / 210 мм"));
    EXPECT_EQ(Run.Columns, 4);
    EXPECT_EQ(Run.Rows, 2);
}

TEST_F(PrintTest, PageCountAndTheRangeLimits)
{
    Run.ToBitmapFiles = true;
    BuildDeck(100); // 25 a page: 4 pages
    Run.UpdateLayout();
    ASSERT_EQ(Run.LastPage, 4);
    const struct {
        int Start, End;
        int RangeStart, RangeEnd;
    } cases[] = {{0, 4, 1, 4}, {1, 99, 1, 4}, {3, 2, 2, 3}, {-5, -5, 1, 1}, {2, 3, 2, 3}, {9, 9, 4, 4}};
    for (const auto& c : cases) {
        Run.SetRange(c.Start, c.End);
        EXPECT_EQ(Run.RangeStart, c.RangeStart) << c.Start << ".." << c.End;
        EXPECT_EQ(Run.RangeEnd, c.RangeEnd) << c.Start << ".." << c.End;
    }
    // One card more is one page more; an empty deck still counts one page.
    Add("Shock", "IN", "", 1);
    Run.UpdateLayout();
    EXPECT_EQ(Run.LastPage, 5);
    Module->NewDeck();
    Run.UpdateLayout();
    EXPECT_EQ(Run.LastPage, 1);
}

TEST_F(PrintTest, APageSmallerThanOneCardIsRefusedBeforeAnyOutput)
{
    QPrinter printer(QPrinter::HighResolution);
    MakePdfPrinter(printer, 60, 80); // 50 x 70 mm printable: less than one cell
    const QString pdf = Dir.filePath("tiny.pdf");
    printer.setOutputFileName(pdf);
    BuildDeck(5);
    Run.Printer = &printer;
    Run.UpdateLayout();
    EXPECT_EQ(Run.CardsPerPage(), 0);
    EXPECT_EQ(Run.LastPage, 0);
    try {
        Run.PrintCards();
        FAIL() << "printed on a page without room for a card";
    } catch (const EError& e) {
        EXPECT_EQ(Win1251ToUtf8(e.what()), "Карта не помещается на странице");
    }
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(Feedback.Statuses.empty());
    EXPECT_FALSE(IsPrinting);
}
