// tomelark-tool print: the layout lines, page bitmaps and PDF files from a deck file,
// the options that stand for the dialog's choices, and the refusals that leave no
// output behind.
#include "DeckToolSupport.h"

#include <QDir>
#include <QImage>

using decktool::RunTool;

namespace {

class PrintToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!decktool::HaveDataStore())
            GTEST_SKIP() << "the data store or the tool is not built";
        ASSERT_TRUE(Dir.isValid());
    }

    // A deck file in the test's folder, lines in Windows-1251 (ASCII here).
    QString Deck(const char* name, const QByteArray& lines)
    {
        const QString path = Dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(lines);
        return path;
    }

    QStringList Files(const QString& folder) const { return QDir(folder).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir Dir;
};

} // namespace

TEST_F(PrintToolTest, LayoutLinesForEachOutput)
{
    const QString deck = Deck("ten.mdc", "  4 [7E] Shock\r\n  6 [7E] Grizzly Bears\r\n");
    const struct {
        QStringList Args;
        const char* Expected;
    } cases[] = {
        {{"--pdf", Dir.filePath("x.pdf")}, "Размер страницы: 210 мм / 297 мм\nКарт на странице: 9\nВсего страниц: 2\n"},
        {{"--pdf", Dir.filePath("x.pdf"), "--paper", "297x210"},
         "Размер страницы: 297 мм / 210 мм\nКарт на странице: 8\nВсего страниц: 2\n"},
        {{"--bmp", Dir.filePath("pages")}, "Размер страницы: 290 мм / 410 мм\nКарт на странице: 25\nВсего страниц: 1\n"},
        {{"--bmp", Dir.filePath("pages"), "--small"},
         "Размер страницы: 283 мм / 397 мм\nКарт на странице: 25\nВсего страниц: 1\n"},
        {{"--pdf", Dir.filePath("x.pdf"), "--paper", "60x80"},
         "Размер страницы: 60 мм / 80 мм\nКарт на странице: 0\nВсего страниц: 0\n"},
    };
    for (const auto& c : cases) {
        const auto r = RunTool(QStringList{"print", deck, "--layout"} + c.Args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.Expected) << c.Args.join(' ').toStdString();
    }
    // The layout alone writes nothing.
    EXPECT_FALSE(QFile::exists(Dir.filePath("x.pdf")));
    EXPECT_FALSE(QDir(Dir.filePath("pages")).exists());
}

TEST_F(PrintToolTest, PageBitmapsAndPdfFromADeckFile)
{
    const QString deck = Deck("thirty.mdc", "Name: Test\r\n 20 [7E] Shock\r\n 10 [7E] Forest (A)\r\n");
    const QString pages = Dir.filePath("pages");
    auto r = RunTool({"print", deck, "--bmp", pages, "--pages", "2-9"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Files(pages), QStringList{"page2.bmp"}); // the range, limited to the job
    EXPECT_EQ(QImage(pages + "/page2.bmp").size(), QSize(3425, 4845));
    EXPECT_NE(r.err.find("Идет печать страницы 1 из 1"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Печать завершена"), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.empty());

    const QString pdf = Dir.filePath("deck.pdf");
    r = RunTool({"print", deck, "--pdf", pdf, "--grey", "--backs"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    int count = 0;
    for (qsizetype at = bytes.indexOf("/Type /Page"); at >= 0; at = bytes.indexOf("/Type /Page", at + 1))
        count += at + 11 < bytes.size() && bytes[at + 11] != 's';
    EXPECT_EQ(count, 4); // 30 cards, 9 a page
}

TEST_F(PrintToolTest, RefusalsLeaveNoOutput)
{
    const QString missing = Deck("missing.mdc", "  4 [7E] Shock\r\n  2 [7E] No Such Card\r\n");
    const QString pdf = Dir.filePath("out.pdf");
    auto r = RunTool({"print", missing, "--pdf", pdf});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("No Such Card"), std::string::npos) << r.err;
    EXPECT_FALSE(QFile::exists(pdf));

    // A page too small for a card.
    const QString deck = Deck("one.mdc", "  1 [7E] Shock\r\n");
    r = RunTool({"print", deck, "--pdf", pdf, "--paper", "50x50"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Карта не помещается на странице"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err; // one line
    EXPECT_TRUE(Files(Dir.path()).filter(".pdf").isEmpty());

    // Page bitmaps that cannot be written: nothing of the run is left.
    const QString blocked = Dir.filePath("blocked");
    QFile(blocked).open(QIODevice::WriteOnly);
    r = RunTool({"print", deck, "--bmp", blocked + "/pages"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(QFileInfo(blocked).isFile());

    // Usage errors.
    EXPECT_EQ(RunTool({"print", deck, "--pdf", pdf, "--bmp", blocked}).exitCode, 2);
    EXPECT_EQ(RunTool({"print", deck, "--bmp", blocked, "--paper", "100x100"}).exitCode, 2);
    EXPECT_EQ(RunTool({"print", deck, "--pdf", pdf, "--pages", "a-b"}).exitCode, 2);
    EXPECT_EQ(RunTool({"print"}).exitCode, 2);
}
