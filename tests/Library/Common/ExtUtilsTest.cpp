#include "Library/Common/ExtUtils.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <cmath>
#include <limits>

namespace {

std::string W(const char* utf8) { return Utf8ToWin1251(utf8); }

// One call of the tokenizer: the text before, the arguments, the word and the rest.
struct CutCase {
    std::string text;
    std::string delimiters;
    std::string quotes;
    bool skipRepeated;
    std::string word;
    std::string rest;
};

} // namespace

TEST(CutWord, TableOfCases)
{
    const CutCase cases[] = {
        {"a,,b", ",", "", false, "a", ",b"},
        {",b", ",", "", false, "", "b"},
        {"a,,b", ",", "", true, "a", "b"},
        {"  4 Island", " ;\t", "", true, "4", "Island"},
        {"4 ; Island", " ;\t", "", true, "4", "Island"},
        {"abc  ,def", ",", "", false, "abc  ", "def"},
        {"    ", ",", "", false, "", ""},
        {"", ",", "", true, "", ""},
        {"line1\r\nline2", "\r\n", "", true, "line1", "line2"},
        {"line1\r\nline2", "\r", "", false, "line1", "\nline2"},
        // Blanks between delimiters are skipped only when the blank is a delimiter.
        {"a, ,b", ",", "", true, "a", " ,b"},
        {"a, ,b", ", ", "", true, "a", "b"},
        // Only the space counts as a leading blank.
        {"\tx y", " ", "", false, "\tx", "y"},
        {"last", ";", "", false, "last", ""},
        {"x |a b| y", " ", "|", false, "x", "|a b| y"},
        {"|a b| y", " ", "|", false, "|a b|", "y"},
        // A different quote character nests; a delimiter inside quotes is text.
        {"'a \"b c\" d' e", " ", "'\"", false, "'a \"b c\" d'", "e"},
        // A quote closes only the most recent one: crossed quotes never close.
        {"'a \"b' c\" d", " ", "'\"", false, "'a \"b' c\" d", ""},
        {"\"a\"b c", " ", "\"", false, "\"a\"b", "c"},
        // An unclosed quote takes the rest of the text.
        {"|a b c", " ", "|", false, "|a b c", ""},
        // A quote that is also a delimiter delimits while no quote is open.
        {"a|b", "|", "|", false, "a", "b"},
        // Russian text is single bytes.
        {W("Шиванский дракон"), " ", "", true, W("Шиванский"), W("дракон")},
    };
    for (const CutCase& c : cases) {
        std::string s = c.text;
        const std::string word = CutWordQuoted(s, c.delimiters, c.quotes, c.skipRepeated);
        EXPECT_EQ(word, c.word) << "text '" << c.text << "'";
        EXPECT_EQ(s, c.rest) << "text '" << c.text << "'";
        if (c.quotes.empty()) {
            std::string t = c.text;
            EXPECT_EQ(CutWord(t, c.delimiters, c.skipRepeated), c.word);
            EXPECT_EQ(t, c.rest);
        }
    }
}

TEST(CutWord, LoopSplitsADeckLine)
{
    std::string s = "4  ;Shivan Dragon\t\t[7E] ";
    std::vector<std::string> words;
    while (!s.empty())
        words.push_back(CutWord(s, " ;\t", true));
    EXPECT_EQ(words, (std::vector<std::string>{"4", "Shivan", "Dragon", "[7E]"}));
}

TEST(NumberHelpers, Median3AndSort3)
{
    EXPECT_EQ(Median3(9, 1, 5), 5);
    EXPECT_EQ(Median3(0, 1, 5), 1);
    EXPECT_EQ(Median3(3, 1, 5), 3);
    EXPECT_EQ(Median3(7, 7, 2), 7);
    EXPECT_EQ(Median3(std::numeric_limits<int>::min(), 0, std::numeric_limits<int>::max()), 0);
    // As a clamp of value to low..high.
    EXPECT_EQ(Median3(12, 1, 10), 10);
    EXPECT_EQ(Median3(-4, 1, 10), 1);

    const int triples[][3] = {{1, 2, 3}, {1, 3, 2}, {2, 1, 3}, {2, 3, 1}, {3, 1, 2}, {3, 2, 1}, {2, 2, 1}};
    for (const auto& t : triples) {
        int p = t[0], q = t[1], r = t[2];
        Sort3(p, q, r);
        EXPECT_LE(p, q);
        EXPECT_LE(q, r);
        EXPECT_EQ(p + q + r, t[0] + t[1] + t[2]);
    }
}

TEST(NumberHelpers, Rounding)
{
    const struct {
        double x;
        int32_t rounded;
    } rounding[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-3.5, -4}, {0.5, 0}, {1.5, 2}, {-0.5, 0},
        {2.4999999999999996, 2}, {2.5000000000000004, 3}, {-7.6, -8}, {0.0, 0}, {-0.0, 0},
        {2147483646.5, 2147483646}, {2147483647.0, 2147483647}, {2147483647.5, 2147483647},
        {3e9, 2147483647}, {-2147483648.0, -2147483647 - 1}, {-3e9, -2147483647 - 1},
        {std::nan(""), 2147483647}, {std::numeric_limits<double>::infinity(), 2147483647},
        {-std::numeric_limits<double>::infinity(), -2147483647 - 1},
    };
    for (const auto& c : rounding)
        EXPECT_EQ(RoundSaturated(c.x), c.rounded) << c.x;

    const struct {
        double x;
        int byte;
    } bytes[] = {{255.5, 255}, {-3.2, 0}, {2.5, 2}, {3.5, 4}, {254.5, 254}, {254.51, 255},
                 {1e12, 255}, {-1e12, 0}, {-0.5, 0}, {127.49, 127}};
    for (const auto& c : bytes)
        EXPECT_EQ(RoundToByte(c.x), c.byte) << c.x;

    EXPECT_EQ(ClampToByte(256), 255);
    EXPECT_EQ(ClampToByte(-1), 0);
    EXPECT_EQ(ClampToByte(200), 200);
}

TEST(NumberHelpers, SmallHelpers)
{
    EXPECT_TRUE(FloatOutOfRange(1.0000001e30));
    EXPECT_TRUE(FloatOutOfRange(-1.0000001e30));
    EXPECT_TRUE(FloatOutOfRange(std::nan("")));
    EXPECT_FALSE(FloatOutOfRange(1e30));
    EXPECT_FALSE(FloatOutOfRange(-1e30));
    EXPECT_EQ(FloatSign(-0.1), -1);
    EXPECT_EQ(FloatSign(3.0), 1);
    EXPECT_EQ(FloatSign(-0.0), 0);
    EXPECT_EQ(IfThenInt(true, 1, 2), 1);
    EXPECT_EQ(IfThenInt(false, 1, 2), 2);
    int a = 1, b = 2;
    SwapInt(a, b);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(MaxOf(-5, -7), -5);
    EXPECT_TRUE(IsBetween(3, 3, 5));
    EXPECT_TRUE(IsBetween(5, 3, 5));
    EXPECT_FALSE(IsBetween(6, 3, 5));
    EXPECT_FALSE(IsBetween(4, 5, 3));
    EXPECT_EQ(MakePoint(3, -4), (TPoint{3, -4}));
    EXPECT_EQ(RectWidth(TRect{10, 20, 4, 50}), -6);
    EXPECT_EQ(RectHeight(TRect{10, 20, 4, 50}), 30);

    const TCharSet set = CharSetOf(W(" ;я"));
    EXPECT_EQ(set.count(), 3u);
    EXPECT_TRUE(set.test(uint8_t(W("я")[0])));
    EXPECT_TRUE(set.test(';'));
    EXPECT_TRUE(CharSetOf("").none());
}

TEST(NumberHelpers, RaiseErrorThrowsEError)
{
    try {
        RaiseError(W("Ошибка Unlock"));
        FAIL() << "RaiseError returned";
    } catch (const Exception& e) {
        EXPECT_NE(dynamic_cast<const EError*>(&e), nullptr);
        EXPECT_EQ(e.Message(), W("Ошибка Unlock"));
    }
}

namespace {

// Makes the default locale another one for the life of the object.
class ScopedLocale {
public:
    explicit ScopedLocale(const QLocale& locale) : saved_(QLocale()) { QLocale::setDefault(locale); }
    ~ScopedLocale() { QLocale::setDefault(saved_); }

private:
    QLocale saved_;
};

} // namespace

TEST(FloatToFixed, CommaLocale)
{
    ScopedLocale russian(QLocale(QLocale::Russian, QLocale::Russia));
    const struct {
        int digits;
        double x;
        const char* text;
    } cases[] = {
        {1, 37.5, "37,5"},     {0, -2.0, "-2"},        {2, 1e31, ""},
        {2, -0.001, "-0,00"},  {2, -0.0, "0,00"},      {1, 12345678.25, "12345678,2"},
        {3, 0.0005, "0,001"},  {0, 2.5, "2"},          {0, 3.5, "4"},
        {2, 1e30, "1000000000000000019884624838656,00"}, {2, std::nan(""), ""},
        {1, 100.0, "100,0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToFixed(c.digits, c.x), c.text) << c.digits << " " << c.x;
}

TEST(FloatToFixed, PointLocaleAndBadDigits)
{
    ScopedLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(FloatToFixed(1, 37.5), "37.5");
    EXPECT_EQ(FloatToFixed(2, 1234.5), "1234.50"); // no thousands separator
    try {
        FloatToFixed(-1, 1.0);
        FAIL() << "no error for negative digits";
    } catch (const EError& e) {
        EXPECT_EQ(e.Message(), W("Неправильное значение параметра"));
    }
}

// ---------------------------------------------------------------------------
// Run log.

namespace {

class RunLogTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string Program(const char* name = "tomelark.exe") const
    {
        return QStringToWin1251(dir.filePath(QString::fromLatin1(name)));
    }
    QString LogPath(const char* name = "tomelark.log") const { return dir.filePath(QString::fromLatin1(name)); }
    void Write(const QString& path, const QByteArray& data)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
    }
    QByteArray Read(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

} // namespace

TEST_F(RunLogTest, KeptWhenFirstLineIsAt)
{
    Write(LogPath(), "@\nfirst\r\nsecond\rthird");
    RunLogStart(Program());
    RunLogFinish();
    EXPECT_EQ(Read(LogPath()), QByteArray("@\r\nfirst\r\nsecond\r\nthird\r\n"));
}

TEST_F(RunLogTest, DeletedOtherwise)
{
    const QByteArray contents[] = {"@ \r\nx\r\n", "x\r\n@\r\n", "", "\r\n@", " @"};
    for (const QByteArray& content : contents) {
        Write(LogPath(), content);
        RunLogStart(Program());
        RunLogFinish();
        EXPECT_FALSE(QFile::exists(LogPath())) << content.toStdString();
    }
}

TEST_F(RunLogTest, NeverCreatedAndErrorsSwallowed)
{
    RunLogStart(Program());
    RunLogFinish();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    // A program without an extension gets ".log" added.
    Write(LogPath("prog.log"), "@\n");
    RunLogStart(Program("prog"));
    RunLogFinish();
    EXPECT_EQ(Read(LogPath("prog.log")), QByteArray("@\r\n"));

    // A folder in the log file's place can be neither read nor deleted: nothing fails.
    ASSERT_TRUE(QDir(dir.path()).mkdir("locked.log"));
    RunLogStart(Program("locked.exe"));
    RunLogFinish();
    EXPECT_TRUE(QFileInfo(LogPath("locked.log")).isDir());
    RunLogFinish(); // a second finish does nothing
}
