// The print run onto printers: PDF files of A4 pages, a job that draws nothing, and
// a real print queue of a private CUPS scheduler, through the same run the dialog
// uses and through the command-line tool.
#include "PrintTestSupport.h"
#include "PrivateCups.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>

TEST_F(PrintTest, PdfOfA4PagesWithNineCardsEach)
{
    QPrinter printer(QPrinter::HighResolution);
    MakePdfPrinter(printer);
    const QString pdf = Dir.filePath("deck.pdf");
    printer.setOutputFileName(pdf);
    BuildDeck(20);
    Run.Printer = &printer;
    Run.UpdateLayout();
    ASSERT_EQ(Run.LastPage, 3);
    Run.PrintCards();

    const TPdfPages pages = ReadPdfFile(pdf);
    EXPECT_EQ(pages.Count, 3);
    EXPECT_NEAR(pages.Width, 595, 1);  // 210 mm in points
    EXPECT_NEAR(pages.Height, 842, 1); // 297 mm
    EXPECT_EQ(Feedback.Statuses.back(), "Печать завершена");
    EXPECT_TRUE(Feedback.Messages.empty()); // the end message is the page bitmaps'
    EXPECT_FALSE(IsPrinting);
    // Nothing beside it: the file was written under another name and put in place.
    EXPECT_EQ(QDir(Dir.path()).entryList({"deck.pdf*"}, QDir::Files), QStringList{"deck.pdf"});
    // The printer keeps its output file for the next run.
    EXPECT_EQ(printer.outputFileName(), pdf);

    // A range of the job: exactly its pages, no blank page after them, the progress
    // counted within the range; a range given the other way round is the same range.
    Run.SelectPages = true;
    Run.SetRange(3, 3);
    Run.PrintCards();
    EXPECT_EQ(ReadPdfFile(pdf).Count, 1);
    for (const auto& [start, end] : {std::pair{1, 2}, std::pair{2, 1}}) {
        Feedback.Statuses.clear();
        Run.SetRange(start, end);
        Run.PrintCards();
        EXPECT_EQ(ReadPdfFile(pdf).Count, 2) << start << "-" << end;
        EXPECT_EQ(Feedback.Statuses.front(), "Идет печать страницы 1 из 2");
        EXPECT_EQ(Feedback.Statuses[Feedback.Statuses.size() - 2], "Идет печать страницы 2 из 2");
    }
    // The job carries the deck's name.
    EXPECT_FALSE(printer.docName().isEmpty());
}

TEST_F(PrintTest, AJobThatDrawsNoCardIsAbortedAndLeavesNoFile)
{
    QPrinter printer(QPrinter::HighResolution);
    MakePdfPrinter(printer);
    const QString pdf = Dir.filePath("empty.pdf");
    printer.setOutputFileName(pdf);
    BuildDeck(5);
    Run.Printer = &printer;
    Run.UpdateLayout();
    // A range beyond the deck (the dialog limits it; a caller may not).
    Run.SelectPages = true;
    Run.RangeStart = Run.RangeEnd = 4;
    Run.PrintCards();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(QDir(Dir.path()).entryList({"empty.pdf*"}, QDir::Files).isEmpty());
    ASSERT_EQ(Feedback.Statuses.size(), 1u);
    EXPECT_EQ(Feedback.Statuses[0], "Печать завершена");
    EXPECT_FALSE(IsPrinting);
}

class PrintCupsTest : public PrintTest {
protected:
    void SetUp() override
    {
        PrintTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        if (const QString why = Cups.Missing(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        const QString error = Cups.Start();
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
        const QString queue = Cups.AddQueue("tomelark-test");
        ASSERT_TRUE(queue.isEmpty()) << queue.toStdString();
    }
    void TearDown() override
    {
        Cups.Stop();
        PrintTest::TearDown();
    }

    // Runs tomelark-tool with the test's folder as the program's folder.
    QString Tool(const QStringList& args, int* exitCode = nullptr)
    {
        QProcess tool;
        tool.setProcessChannelMode(QProcess::SeparateChannels);
        tool.start(QString::fromUtf8(TOMELARK_BIN_DIR) + "/tomelark-tool", args + QStringList{"--base", Dir.path()});
        tool.waitForFinished(120000);
        if (exitCode)
            *exitCode = tool.exitCode();
        return QString::fromUtf8(tool.readAllStandardOutput());
    }

    TPrivateCups Cups;
};

TEST_F(PrintCupsTest, ADeckPrintedOnAQueueComesOutWithTheLayoutsPageCount)
{
    ASSERT_TRUE(QPrinterInfo::availablePrinterNames().contains("tomelark-test")) << Cups.Log().toStdString();
    QPrinter printer(QPrinterInfo::printerInfo("tomelark-test"), QPrinter::HighResolution);
    PreparePrinter(printer);
    BuildDeck(20);
    Run.Printer = &printer;
    Run.UpdateLayout();
    const int pages = Run.LastPage;
    EXPECT_GE(pages, 2);
    Run.PrintCards();
    const QStringList jobs = Cups.WaitForJobs(1);
    ASSERT_EQ(jobs.size(), 1) << Cups.Log().toStdString();
    const TPdfPages out = ReadPdfFile(jobs[0]);
    EXPECT_EQ(out.Count, pages);
    // In colour: the queue's own default (greyscale here) does not turn the cards grey.
    QFile job(jobs[0]);
    ASSERT_TRUE(job.open(QIODevice::ReadOnly));
    const QByteArray bytes = job.readAll();
    EXPECT_TRUE(bytes.contains("/ColorSpace /DeviceRGB"));
    EXPECT_FALSE(bytes.contains("/ColorSpace /DeviceGray"));
    EXPECT_NEAR(out.Width, Run.PaperWidthMm * 72 / 25.4, 2);
    EXPECT_NEAR(out.Height, Run.PaperHeightMm * 72 / 25.4, 2);

    // A job that draws no card never reaches the queue.
    Run.SelectPages = true;
    Run.RangeStart = Run.RangeEnd = pages + 1;
    Run.PrintCards();
    EXPECT_EQ(Cups.WaitForJobs(2, 1500).size(), 1);

    // The tool: the same count from --layout, and a job with that many pages.
    const QString deck = Dir.filePath("deck.mdc");
    Module->SaveDeck(QFile::encodeName(deck).toStdString());
    int code = -1;
    const QString layout = Tool({"print", deck, "--printer", "tomelark-test", "--layout"}, &code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(layout.contains(QString::fromUtf8("Всего страниц: %1\n").arg(pages))) << layout.toStdString();
    Tool({"print", deck, "--printer", "tomelark-test"}, &code);
    EXPECT_EQ(code, 0);
    const QStringList after = Cups.WaitForJobs(2);
    ASSERT_EQ(after.size(), 2) << Cups.Log().toStdString();
    EXPECT_EQ(ReadPdfFile(after[1]).Count, pages);
}
