// tomelark-tool render against the data store built beside the program.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TRun {
    int code = -1;
    QString out, err;
};

TRun Tool(const QStringList& args)
{
    QProcess p;
    p.setProgram(QStringLiteral(TOMELARK_BIN_DIR "/tomelark-tool"));
    p.setArguments(QStringList{"render"} + args);
    p.start();
    p.waitForFinished(60000);
    return TRun{p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
}

bool HaveStore()
{
    return QFileInfo::exists(QStringLiteral(TOMELARK_BIN_DIR "/data/cardbase.cds")) &&
           QFileInfo::exists(QStringLiteral(TOMELARK_BIN_DIR "/tomelark-tool"));
}

} // namespace

TEST(RenderTool, DrawsACardAtTheAskedSize)
{
    if (!HaveStore())
        GTEST_SKIP() << "no data store beside the program";
    QTemporaryDir dir;
    const QString plain = dir.filePath("bears.png");
    const QString large = dir.filePath("bears-large.png");
    const QString back = dir.filePath("back.png");
    TRun r = Tool({"--name", "Grizzly Bears", "--set", "7E", "-o", plain});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = Tool({"--name", "Grizzly Bears", "--set", "7E", "--lang", "0", "--size", "600x866", "-o", large});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    r = Tool({"--name", "No Such Card", "-o", back});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_FALSE(r.err.isEmpty()); // a note that the card back was drawn

    const QImage a(plain), b(large), c(back);
    ASSERT_EQ(a.size(), QSize(300, 433));
    ASSERT_EQ(b.size(), QSize(600, 866));
    ASSERT_EQ(c.size(), QSize(300, 433));
    EXPECT_EQ(a.depth() == 24 || a.depth() == 32, true);
    // The face differs from the back, and the two sizes show the same picture.
    EXPECT_NE(a, c);
    const QImage half = b.scaled(300, 433, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QColor p = a.pixelColor(150, 130), q = half.pixelColor(150, 130);
    EXPECT_NEAR(p.red(), q.red(), 40);
    EXPECT_NEAR(p.green(), q.green(), 40);
}

TEST(RenderTool, GreyPrintIsGrey)
{
    if (!HaveStore())
        GTEST_SKIP() << "no data store beside the program";
    QTemporaryDir dir;
    const QString out = dir.filePath("grey.png");
    const TRun r = Tool({"--name", "Shivan Dragon", "--grey", "-o", out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QImage img(out);
    ASSERT_FALSE(img.isNull());
    int coloured = 0;
    for (int y = 0; y < img.height(); y += 7)
        for (int x = 0; x < img.width(); x += 7) {
            const QColor c = img.pixelColor(x, y);
            coloured += std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 24;
        }
    // Only the symbols' glyph edges may carry a trace of colour.
    EXPECT_LT(coloured, 5);
}

TEST(RenderTool, BadArgumentsGiveOneLineAndAnExitCode)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("x.png");
    const QStringList bad[] = {
        {"-o", out},
        {"--name", "Grizzly Bears"},
        {"--name", "Grizzly Bears", "--size", "300", "-o", out},
        {"--name", "Grizzly Bears", "--size", "0x10", "-o", out},
        {"--name", "Grizzly Bears", "--lang", "3", "-o", out},
        {"--name", "Grizzly Bears", "--art", "x", "-o", out},
        {"--name", "Grizzly Bears", "--version", "9", "-o", out},
        {"--name", "Grizzly Bears", "--bogus", "-o", out},
        {"--name", "\xe6\x97\xa5", "-o", out}, // not in Windows-1251
    };
    for (const QStringList& args : bad) {
        const TRun r = Tool(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("tomelark-tool render: ")) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(out));
    // A card base that is not there: one line, exit 1.
    const TRun r = Tool({"--name", "Grizzly Bears", "--base", dir.filePath("none"), "-o", out});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err.trimmed().count('\n'), 0) << r.err.toStdString();
}
