#pragma once
// Small helpers shared by every unit: the word tokenizer, number formatting, rounding
// and clamping, point and rectangle helpers, Windows-1251 text (conversion to and from
// QString, Russian letter case and ordering), the error classes and the run log.
//
// Text in memory is what the files hold: std::string of Windows-1251 bytes.

#include <bitset>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

class QChar;
class QString;

// ---------------------------------------------------------------------------
// Errors. `Exception` is the general error that carries a message text (in
// Windows-1251); `EError` is the program's own error raised by `RaiseError`.
// Other units derive their errors (table engine, pack stream, codecs) from
// `Exception` so that one handler shows them all.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    std::string Message() const { return what(); }
};

class EError : public Exception {
public:
    using Exception::Exception;
};

[[noreturn]] void RaiseError(const std::string& message);

// ---------------------------------------------------------------------------
// Windows-1251 text.

// The one pair of conversions between stored text and Qt's text. Characters that
// Windows-1251 cannot hold become '?'; `ok` (when given) tells whether all fitted.
QString Win1251ToQString(std::string_view text);
std::string QStringToWin1251(const QString& text, bool* ok = nullptr);

// Text from elsewhere (other programs' files, public data) in Windows-1251: each
// character the code page lacks in its nearest form ("Æ" as "Ae", a minus sign as
// "-", a letter with marks as the letter, a zero-width space as nothing, else "?");
// `replaced` (when given) hears of each such character and what was written instead.
std::string QStringToNearest1251(const QString& text,
                                 const std::function<void(QChar, const QString&)>& replaced = {});
// The nearest form of one character (the character itself when the code page has it).
QString NearestForm1251(QChar ch);

// UTF-8 literals of the source code to Windows-1251 and back (messages, captions).
std::string Utf8ToWin1251(std::string_view utf8, bool* ok = nullptr);
std::string Win1251ToUtf8(std::string_view text);

// Letter case of Windows-1251 text by Russian rules: Latin A-Z, Cyrillic А-Я and Ё,
// and the other Cyrillic letters of the code page. Independent of the user's locale.
char UpperChar1251(char c);
char LowerChar1251(char c);
std::string UpperCase1251(std::string_view text);
std::string LowerCase1251(std::string_view text);

// Ordering of Windows-1251 text the way a Russian reader expects: blanks and
// punctuation, digits, Latin letters, Cyrillic letters in alphabet order with Ё
// right after Е. `CompareText1251` ignores letter case. `CollateCompare1251` decides
// by letters first and by case only when the texts are otherwise equal (lower case
// before upper case), then by bytes, so it is a total order that only equal texts
// tie in. Both return <0, 0 or >0.
int CompareText1251(std::string_view a, std::string_view b);
int CollateCompare1251(std::string_view a, std::string_view b);

// Whether `text` begins with `prefix`, ignoring letter case.
bool StartsWithText1251(std::string_view text, std::string_view prefix);

// ---------------------------------------------------------------------------
// Points, rectangles, character sets.
struct TPoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    bool operator==(const TRect&) const = default;
};

using TCharSet = std::bitset<256>;

// ---------------------------------------------------------------------------
// The helpers of the table (exact results documented in ExtUtils.cpp).
bool FloatOutOfRange(double x);
int FloatSign(double x);
int IfThenInt(bool flag, int a, int b);
void SwapInt(int& a, int& b);
int MaxOf(int a, int b);
void Sort3(int& p, int& q, int& r);
int Median3(int a, int b, int c);
int32_t RoundSaturated(double x);
uint8_t ClampToByte(int n);
uint8_t RoundToByte(double x);
bool IsBetween(int value, int low, int high);
TPoint MakePoint(int x, int y);
int RectWidth(const TRect& r);
int RectHeight(const TRect& r);
bool TextEquals(std::string_view a, std::string_view b);
TCharSet CharSetOf(std::string_view s);
std::string CutWordQuoted(std::string& s, std::string_view delimiters, std::string_view quotes,
                          bool skipRepeated);
std::string CutWord(std::string& s, std::string_view delimiters, bool skipRepeated);
// CutWord on a view: the word is a view into `s`, which moves past it (a long text
// cut word by word takes time in proportion to its length).
std::string_view CutWordView(std::string_view& s, std::string_view delimiters, bool skipRepeated);
// Fixed-point text with exactly `digits` decimals and the decimal separator of the
// user's locale; "" when x is out of range; EError for negative `digits`.
std::string FloatToFixed(int digits, double x);

// ---------------------------------------------------------------------------
// Run log: a file named like the program with the extension ".log". It is deleted
// at exit unless its first line is exactly "@", in which case it is kept and
// rewritten with its lines. Never reports an error.
void RunLogStart(const std::string& programPath);
void RunLogFinish();
