// Windows-1251 text: conversion to and from Unicode, Russian letter case and ordering.
// Everything here is table-driven and independent of the user's locale.
#include "ExtUtils.h"

#include <QString>

#include <array>

namespace {

// Unicode code points of the bytes 0x80..0xFF. 0x98 has no character in the code page;
// it maps to U+0098 so that every byte survives a round trip.
constexpr char16_t kHigh[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// Upper/lower pairs of the Cyrillic letters outside the А..я block.
constexpr std::pair<uint8_t, uint8_t> kExtraCase[] = {
    {0x80, 0x90}, {0x81, 0x83}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8D, 0x9D}, {0x8E, 0x9E},
    {0x8F, 0x9F}, {0xA1, 0xA2}, {0xA3, 0xBC}, {0xA5, 0xB4}, {0xA8, 0xB8}, {0xAA, 0xBA},
    {0xAF, 0xBF}, {0xB2, 0xB3}, {0xBD, 0xBE},
};

struct Tables {
    std::array<uint8_t, 256> upper{};
    std::array<uint8_t, 256> lower{};
    std::array<bool, 256> isUpper{};
    std::array<uint16_t, 256> weight{}; // primary sort weight, case folded
    Tables()
    {
        for (int i = 0; i < 256; ++i) {
            upper[i] = lower[i] = uint8_t(i);
        }
        auto pair = [&](int up, int lo) {
            upper[lo] = uint8_t(up);
            lower[up] = uint8_t(lo);
            isUpper[up] = true;
        };
        for (int c = 'A'; c <= 'Z'; ++c)
            pair(c, c + 32);
        for (int c = 0xC0; c <= 0xDF; ++c)
            pair(c, c + 32);
        for (auto [up, lo] : kExtraCase)
            pair(up, lo);

        // Weights: other characters keep their byte order in class 0, then digits,
        // then Latin letters, then the Russian alphabet with Ё after Е, then the
        // remaining Cyrillic letters of the code page.
        for (int i = 0; i < 256; ++i)
            weight[i] = uint16_t(i);
        for (int c = '0'; c <= '9'; ++c)
            weight[c] = uint16_t(0x100 + (c - '0'));
        for (int c = 'a'; c <= 'z'; ++c)
            weight[c] = weight[c - 32] = uint16_t(0x200 + (c - 'a'));
        int pos = 0;
        for (int c = 0xE0; c <= 0xFF; ++c) {
            weight[c] = weight[c - 32] = uint16_t(0x300 + pos++);
            if (c == 0xE5) { // е, then ё
                weight[0xB8] = weight[0xA8] = uint16_t(0x300 + pos++);
            }
        }
        for (auto [up, lo] : kExtraCase) {
            if (lo == 0xB8)
                continue;
            weight[lo] = weight[up] = uint16_t(0x300 + pos++);
        }
    }
};

const Tables& T()
{
    static const Tables t;
    return t;
}

uint8_t U(char c) { return static_cast<uint8_t>(c); }

int EncodeChar(char32_t cp)
{
    if (cp < 0x80)
        return int(cp);
    for (int i = 0; i < 128; ++i)
        if (kHigh[i] == cp)
            return 0x80 + i;
    return -1;
}

} // namespace

[[noreturn]] void RaiseError(const std::string& message)
{
    throw EError(message);
}

QString Win1251ToQString(std::string_view text)
{
    QString out;
    out.resize(qsizetype(text.size()));
    QChar* d = out.data();
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t b = U(text[i]);
        d[i] = QChar(b < 0x80 ? char16_t(b) : kHigh[b - 0x80]);
    }
    return out;
}

std::string QStringToWin1251(const QString& text, bool* ok)
{
    std::string out;
    out.reserve(size_t(text.size()));
    bool all = true;
    for (QChar ch : text) {
        int b = EncodeChar(ch.unicode());
        if (b < 0) {
            all = false;
            b = '?';
        }
        out.push_back(char(b));
    }
    if (ok)
        *ok = all;
    return out;
}

QString NearestForm1251(QChar ch)
{
    switch (ch.unicode()) {
    case 0x00C6: return QStringLiteral("Ae");
    case 0x00E6: return QStringLiteral("ae");
    case 0x0152: return QStringLiteral("Oe");
    case 0x0153: return QStringLiteral("oe");
    case 0x00DF: return QStringLiteral("ss");
    case 0x2212: case 0x2010: case 0x2011: case 0x2012: case 0x2015: return QStringLiteral("-");
    case 0x2032: return QStringLiteral("'");
    case 0x2033: return QStringLiteral("\"");
    case 0x2605: return QStringLiteral("*");
    case 0x2007: case 0x2008: case 0x2009: case 0x200A: case 0x202F: case 0x3000: return QStringLiteral(" ");
    case 0x200B: case 0x200C: case 0x200D: case 0x2060: case 0xFEFF: return QString();
    default: break;
    }
    if (EncodeChar(ch.unicode()) >= 0)
        return QString(ch);
    // A Latin letter with marks: the letter alone.
    const QString decomposed = QString(ch).normalized(QString::NormalizationForm_D);
    if (!decomposed.isEmpty() && decomposed[0].unicode() < 0x80 && decomposed[0].isLetter())
        return QString(decomposed[0]);
    return QStringLiteral("?");
}

std::string QStringToNearest1251(const QString& text, const std::function<void(QChar, const QString&)>& replaced)
{
    std::string out;
    out.reserve(size_t(text.size()));
    for (QChar ch : text) {
        const int b = EncodeChar(ch.unicode());
        if (b >= 0) {
            out.push_back(char(b));
            continue;
        }
        const QString instead = NearestForm1251(ch);
        if (replaced)
            replaced(ch, instead);
        for (QChar c : instead)
            out.push_back(char(EncodeChar(c.unicode())));
    }
    return out;
}

std::string Utf8ToWin1251(std::string_view utf8, bool* ok)
{
    return QStringToWin1251(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())), ok);
}

std::string Win1251ToUtf8(std::string_view text)
{
    return Win1251ToQString(text).toUtf8().toStdString();
}

char UpperChar1251(char c) { return char(T().upper[U(c)]); }
char LowerChar1251(char c) { return char(T().lower[U(c)]); }

std::string UpperCase1251(std::string_view text)
{
    std::string s(text);
    for (char& c : s)
        c = UpperChar1251(c);
    return s;
}

std::string LowerCase1251(std::string_view text)
{
    std::string s(text);
    for (char& c : s)
        c = LowerChar1251(c);
    return s;
}

int CompareText1251(std::string_view a, std::string_view b)
{
    const auto& w = T().weight;
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        int d = int(w[U(a[i])]) - int(w[U(b[i])]);
        if (d != 0)
            return d;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int CollateCompare1251(std::string_view a, std::string_view b)
{
    if (int d = CompareText1251(a, b))
        return d;
    // Same letters: lower case sorts before upper case, at the first difference.
    const auto& up = T().isUpper;
    for (size_t i = 0; i < a.size(); ++i) {
        bool ua = up[U(a[i])], ub = up[U(b[i])];
        if (ua != ub)
            return ua ? 1 : -1;
    }
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            return int(U(a[i])) - int(U(b[i]));
    return 0;
}

bool StartsWithText1251(std::string_view text, std::string_view prefix)
{
    if (prefix.size() > text.size())
        return false;
    return CompareText1251(text.substr(0, prefix.size()), prefix) == 0;
}

bool TextEquals(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareText1251(a, b) == 0;
}
