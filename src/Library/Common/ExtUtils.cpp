// Small helpers shared by every unit: number helpers, the word tokenizer, fixed-point
// formatting and the run log. The Windows-1251 text functions and RaiseError live in
// Text1251.cpp.
#include "ExtUtils.h"

#include <QFile>
#include <QLocale>
#include <QString>

#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

// ---------------------------------------------------------------------------
// Numbers.

// True for reals that no helper formats or rounds meaningfully: beyond +-1e30, or NaN.
bool FloatOutOfRange(double x)
{
    return std::isnan(x) || x < -1e30 || x > 1e30;
}

int FloatSign(double x)
{
    if (x < 0)
        return -1;
    if (x > 0)
        return 1;
    return 0; // zero, negative zero and NaN
}

int IfThenInt(bool flag, int a, int b)
{
    return flag ? a : b;
}

void SwapInt(int& a, int& b)
{
    const int t = a;
    a = b;
    b = t;
}

int MaxOf(int a, int b)
{
    return a > b ? a : b;
}

// Three compare-and-swap steps in a fixed order: (p, q), (p, r), (q, r).
void Sort3(int& p, int& q, int& r)
{
    if (q < p)
        SwapInt(q, p);
    if (r < p)
        SwapInt(r, p);
    if (r < q)
        SwapInt(r, q);
}

// The middle one of three values; Median3(value, low, high) clamps value to low..high.
int Median3(int a, int b, int c)
{
    Sort3(a, b, c);
    return b;
}

// Nearest integer, an exact half going to the even neighbour, saturated to 32 bits.
// Written without the floating-point rounding mode so that the result never depends
// on the state of the FPU.
int32_t RoundSaturated(double x)
{
    if (std::isnan(x) || x > 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    if (x < -2147483648.0)
        return std::numeric_limits<int32_t>::min();
    const double whole = std::trunc(x);
    const double frac = x - whole; // exact: both share the sign and the exponent range
    double r;
    if (frac == 0.5 || frac == -0.5)
        r = std::fmod(whole, 2.0) == 0.0 ? whole : whole + (x > 0 ? 1.0 : -1.0);
    else
        r = std::round(x);
    // -2147483648.4 rounds to -2147483648 and 2147483647.4 to 2147483647, both in range;
    // 2147483647.5 goes to the even 2147483648 and saturates.
    if (r > 2147483647.0)
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(r);
}

uint8_t ClampToByte(int n)
{
    if (n > 255)
        return 255;
    if (n < 0)
        return 0;
    return static_cast<uint8_t>(n);
}

uint8_t RoundToByte(double x)
{
    return ClampToByte(RoundSaturated(x));
}

bool IsBetween(int value, int low, int high)
{
    return low <= value && value <= high;
}

// ---------------------------------------------------------------------------
// Points and rectangles.

TPoint MakePoint(int x, int y)
{
    return TPoint{x, y};
}

int RectWidth(const TRect& r)
{
    return r.Right - r.Left;
}

int RectHeight(const TRect& r)
{
    return r.Bottom - r.Top;
}

// ---------------------------------------------------------------------------
// Word tokenizer.

TCharSet CharSetOf(std::string_view s)
{
    TCharSet set;
    for (char c : s)
        set.set(static_cast<uint8_t>(c));
    return set;
}

// Takes the next word from the front of `s` and leaves the rest in `s`. Leading
// spaces are skipped; the word runs to the next delimiter that is not inside quotes
// and keeps its quotes and any blanks before the delimiter. Then blanks and one
// delimiter (or, with skipRepeated, a run of delimiters) are consumed. A quote closes
// only the most recently opened quote of the same character; another quote character
// nests. An unclosed quote makes the rest of the text one word.
std::string CutWordQuoted(std::string& s, std::string_view delimiters, std::string_view quotes,
                          bool skipRepeated)
{
    const TCharSet delims = CharSetOf(delimiters);
    const TCharSet quoteSet = CharSetOf(quotes);
    const size_t len = s.size();
    auto code = [&](size_t i) { return static_cast<uint8_t>(s[i]); };

    size_t p = 0;
    while (p < len && s[p] == ' ')
        ++p;
    const size_t start = p;

    std::vector<char> open; // stack of quote characters opened so far
    while (p < len) {
        const char c = s[p];
        if (delims.test(code(p)) && open.empty())
            break;
        if (quoteSet.test(code(p))) {
            if (!open.empty() && open.back() == c)
                open.pop_back();
            else
                open.push_back(c);
        }
        ++p;
    }
    std::string word = s.substr(start, p - start);

    while (p < len && s[p] == ' ')
        ++p;
    if (p < len && delims.test(code(p)))
        ++p;
    if (skipRepeated) {
        while (p < len && delims.test(code(p)))
            ++p;
    }
    s.erase(0, p);
    return word;
}

std::string CutWord(std::string& s, std::string_view delimiters, bool skipRepeated)
{
    return CutWordQuoted(s, delimiters, std::string_view(), skipRepeated);
}

std::string_view CutWordView(std::string_view& s, std::string_view delimiters, bool skipRepeated)
{
    const TCharSet delims = CharSetOf(delimiters);
    auto isDelim = [&](size_t i) { return delims.test(static_cast<uint8_t>(s[i])); };
    size_t p = 0;
    while (p < s.size() && s[p] == ' ')
        ++p;
    const size_t start = p;
    while (p < s.size() && !isDelim(p))
        ++p;
    const std::string_view word = s.substr(start, p - start);
    while (p < s.size() && s[p] == ' ')
        ++p;
    if (p < s.size() && isDelim(p))
        ++p;
    if (skipRepeated)
        while (p < s.size() && isDelim(p))
            ++p;
    s.remove_prefix(p);
    return word;
}

// ---------------------------------------------------------------------------
// Fixed-point text.

namespace {

// The decimal separator of the default QLocale: the user's own locale, unless the
// program (or a test) has chosen another with QLocale::setDefault. Falls back to a
// point when the locale's separator has no Windows-1251 character.
std::string DecimalSeparator()
{
    bool ok = false;
    std::string sep = QStringToWin1251(QLocale().decimalPoint(), &ok);
    if (!ok || sep.empty())
        return ".";
    return sep;
}

} // namespace

std::string FloatToFixed(int digits, double x)
{
    if (digits < 0)
        RaiseError(Utf8ToWin1251("Неправильное значение параметра"));
    if (FloatOutOfRange(x))
        return std::string();

    // |x| <= 1e30 has at most 31 integer digits; to_chars is independent of the C
    // locale, so the separator below is the only locale-dependent part.
    const double magnitude = std::fabs(x); // also turns -0.0 into 0.0
    std::vector<char> buf(static_cast<size_t>(digits) + 48);
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), magnitude,
                                   std::chars_format::fixed, digits);
    if (res.ec != std::errc())
        return std::string(); // cannot happen with the buffer sized as above
    std::string text(buf.data(), res.ptr);

    const size_t point = text.find('.');
    if (point != std::string::npos)
        text.replace(point, 1, DecimalSeparator());
    // Negative numbers keep their minus sign even when they round to zero; negative
    // zero counts as zero.
    if (x < 0)
        text.insert(text.begin(), '-');
    return text;
}

// ---------------------------------------------------------------------------
// Run log.

namespace {

struct TRunLog {
    std::vector<std::string> lines;
    QString path;
    bool keep = false;
};

std::unique_ptr<TRunLog>& RunLog()
{
    static std::unique_ptr<TRunLog> log;
    return log;
}

// The program path with its extension replaced by ".log" (or ".log" added when the
// file name has no extension). Only the last path component is looked at.
QString LogFileName(const std::string& programPath)
{
    std::string name = programPath;
    const size_t slash = name.find_last_of("/\\");
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        name.erase(dot);
    name += ".log";
    return Win1251ToQString(name);
}

// Lines of a text file: CR LF, LF and CR all end a line; a final line break does not
// start another line.
std::vector<std::string> SplitLines(const QByteArray& data)
{
    std::vector<std::string> lines;
    const char* p = data.constData();
    const char* end = p + data.size();
    while (p < end) {
        const char* q = p;
        while (q < end && *q != '\r' && *q != '\n')
            ++q;
        lines.emplace_back(p, q);
        if (q < end && *q == '\r') {
            ++q;
            if (q < end && *q == '\n')
                ++q;
        } else if (q < end) {
            ++q; // '\n'
        }
        p = q;
    }
    return lines;
}

} // namespace

void RunLogStart(const std::string& programPath)
{
    auto& log = RunLog();
    try {
        log = std::make_unique<TRunLog>();
        log->path = LogFileName(programPath);
        QFile file(log->path);
        if (file.exists()) {
            if (file.open(QIODevice::ReadOnly))
                log->lines = SplitLines(file.readAll());
        }
        log->keep = !log->lines.empty() && log->lines.front() == "@";
        if (!log->keep)
            log->lines.clear();
    } catch (...) {
        if (log) {
            log->lines.clear();
            log->keep = false;
        }
    }
}

void RunLogFinish()
{
    auto& log = RunLog();
    if (!log)
        return;
    try {
        if (!log->lines.empty()) {
            QByteArray data;
            for (const std::string& line : log->lines) {
                data.append(line.data(), static_cast<qsizetype>(line.size()));
                data.append("\r\n", 2);
            }
            QFile file(log->path);
            if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                file.write(data);
        } else if (!log->keep && QFile::exists(log->path)) {
            QFile::remove(log->path);
        }
    } catch (...) {
    }
    log.reset();
}
