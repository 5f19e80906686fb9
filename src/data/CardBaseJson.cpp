#include "data/CardBaseJson.h"

#include "data/DataModule.h"
#include "data/TableEngine.h"

#include <QList>
#include <QString>

#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace {

// The source's keys in their order; the first fourteen are texts, the last two integers.
constexpr std::array<const char*, 16> Keys = {"Name",  "Set",    "Version", "Color",   "Type",     "Cost",
                                              "PwrTgh", "Text",  "Flavor",  "Rarity",  "NameR",    "TypeR",
                                              "TextR", "FlavorR", "MtgEncID", "CostValue"};
constexpr size_t TextKeys = 14;

int KeyIndex(std::string_view key)
{
    for (size_t i = 0; i < Keys.size(); ++i)
        if (key == Keys[i])
            return int(i);
    return -1;
}

// ---------------------------------------------------------------------------
// Writing.

void AppendJsonString(std::string& out, std::string_view utf8)
{
    out += '"';
    for (char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
}

// ---------------------------------------------------------------------------
// Reading: a small JSON reader for an array of flat objects, with line and column
// in its messages.

struct TSourceValue {
    enum TKind { vString, vInteger, vNull } Kind = vNull;
    std::string Text; // vString: UTF-8
    int32_t Integer = 0;
};

class TJsonReader {
public:
    explicit TJsonReader(std::string_view text) : S(text) {}

    [[noreturn]] void Fail(const std::string& what, size_t at) const
    {
        int line = 1;
        size_t lineStart = 0;
        for (size_t i = 0; i < at && i < S.size(); ++i)
            if (S[i] == '\n') {
                ++line;
                lineStart = i + 1;
            }
        throw ECardBaseSourceError("line " + std::to_string(line) + ", column " + std::to_string(at - lineStart + 1)
                                   + ": " + what);
    }
    [[noreturn]] void Fail(const std::string& what) const { Fail(what, P); }

    void SkipBlanks()
    {
        while (P < S.size() && (S[P] == ' ' || S[P] == '\t' || S[P] == '\n' || S[P] == '\r'))
            ++P;
    }
    bool AtEnd() const { return P >= S.size(); }
    char Peek() const { return P < S.size() ? S[P] : '\0'; }
    size_t Pos() const { return P; }
    void Expect(char c)
    {
        SkipBlanks();
        if (Peek() != c)
            Fail(std::string("expected '") + c + "'" + Found());
        ++P;
    }
    // Consumes c when it comes next (after blanks).
    bool Accept(char c)
    {
        SkipBlanks();
        if (Peek() != c)
            return false;
        ++P;
        return true;
    }
    std::string Found() const
    {
        if (AtEnd())
            return " at the end of the text";
        const unsigned char c = static_cast<unsigned char>(S[P]);
        if (c >= 0x20 && c < 0x7F)
            return std::string(", found '") + char(c) + "'";
        char buf[32];
        std::snprintf(buf, sizeof buf, ", found byte 0x%02X", c);
        return buf;
    }

    std::string ReadString()
    {
        SkipBlanks();
        if (Peek() != '"')
            Fail("expected a string" + Found());
        ++P;
        std::string out;
        for (;;) {
            if (AtEnd())
                Fail("unterminated string");
            const unsigned char c = static_cast<unsigned char>(S[P]);
            if (c == '"') {
                ++P;
                return out;
            }
            if (c < 0x20)
                Fail("control character in a string (write it as an escape)");
            if (c == '\\') {
                ++P;
                ReadEscape(out);
                continue;
            }
            if (c < 0x80) {
                out += char(c);
                ++P;
                continue;
            }
            ReadUtf8Char(out);
        }
    }

    TSourceValue ReadValue()
    {
        SkipBlanks();
        TSourceValue v;
        const char c = Peek();
        if (c == '"') {
            v.Kind = TSourceValue::vString;
            v.Text = ReadString();
        } else if (c == '-' || (c >= '0' && c <= '9')) {
            v.Kind = TSourceValue::vInteger;
            v.Integer = ReadInteger();
        } else if (S.substr(P, 4) == "null") {
            P += 4;
        } else if (S.substr(P, 4) == "true" || S.substr(P, 5) == "false" || c == '{' || c == '[') {
            Fail("expected a string, a whole number or null");
        } else {
            Fail("expected a value" + Found());
        }
        return v;
    }

private:
    void ReadEscape(std::string& out)
    {
        if (AtEnd())
            Fail("unterminated string");
        const char e = S[P++];
        switch (e) {
        case '"': out += '"'; return;
        case '\\': out += '\\'; return;
        case '/': out += '/'; return;
        case 'b': out += '\b'; return;
        case 'f': out += '\f'; return;
        case 'n': out += '\n'; return;
        case 'r': out += '\r'; return;
        case 't': out += '\t'; return;
        case 'u': break;
        default: Fail(std::string("unknown escape '\\") + e + "'", P - 2);
        }
        char32_t cp = ReadHex4();
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (S.substr(P, 2) != "\\u")
                Fail("lone surrogate in a \\u escape");
            P += 2;
            const char32_t low = ReadHex4();
            if (low < 0xDC00 || low > 0xDFFF)
                Fail("lone surrogate in a \\u escape");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            Fail("lone surrogate in a \\u escape");
        }
        AppendUtf8(out, cp);
    }

    char32_t ReadHex4()
    {
        if (P + 4 > S.size())
            Fail("incomplete \\u escape");
        char32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = S[P + size_t(i)];
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                Fail("bad hex digit in a \\u escape", P + size_t(i));
            v = v * 16 + char32_t(d);
        }
        P += 4;
        return v;
    }

    static void AppendUtf8(std::string& out, char32_t cp)
    {
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }

    // One multi-byte UTF-8 character, checked (no overlong forms, no surrogates).
    void ReadUtf8Char(std::string& out)
    {
        const size_t start = P;
        const unsigned char c = static_cast<unsigned char>(S[P]);
        int more;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            cp = c & 0x07;
        } else {
            Fail("the text is not valid UTF-8", start);
        }
        if (P + size_t(more) >= S.size())
            Fail("the text is not valid UTF-8", start);
        for (int i = 1; i <= more; ++i) {
            const unsigned char t = static_cast<unsigned char>(S[P + size_t(i)]);
            if ((t & 0xC0) != 0x80)
                Fail("the text is not valid UTF-8", start);
            cp = (cp << 6) | (t & 0x3F);
        }
        if ((more == 2 && cp < 0x800) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF))
            || (cp >= 0xD800 && cp <= 0xDFFF))
            Fail("the text is not valid UTF-8", start);
        out.append(S.substr(P, size_t(more) + 1));
        P += size_t(more) + 1;
    }

    int32_t ReadInteger()
    {
        const size_t start = P;
        bool negative = false;
        if (Peek() == '-') {
            negative = true;
            ++P;
        }
        if (!(Peek() >= '0' && Peek() <= '9'))
            Fail("expected a digit" + Found());
        if (Peek() == '0' && P + 1 < S.size() && S[P + 1] >= '0' && S[P + 1] <= '9')
            Fail("a number with a leading zero", start);
        int64_t v = 0;
        bool tooBig = false;
        while (Peek() >= '0' && Peek() <= '9') {
            v = v * 10 + (Peek() - '0');
            if (v > int64_t(INT32_MAX) + 1) { // keep the value small; it is refused below
                tooBig = true;
                v = int64_t(INT32_MAX) + 2;
            }
            ++P;
        }
        if (Peek() == '.' || Peek() == 'e' || Peek() == 'E')
            Fail("expected a whole number", start);
        if (negative)
            v = -v;
        if (tooBig || v > INT32_MAX || v < INT32_MIN)
            Fail("the number does not fit 32 bits", start);
        return int32_t(v);
    }

    std::string_view S;
    size_t P = 0;
};

// The first character of a UTF-8 text that Windows-1251 cannot hold, as "U+XXXX 'c'".
std::string FirstForeignCharacter(const std::string& utf8)
{
    const QString text = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype len = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, len);
        bool ok = false;
        QStringToWin1251(one, &ok);
        if (!ok) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "U+%04X", unsigned(one.toUcs4().value(0)));
            return std::string(buf) + " '" + one.toStdString() + "'";
        }
        i += len - 1;
    }
    return "?";
}

} // namespace

std::string CardBaseToJson(TTable& table)
{
    int fields[Keys.size()];
    for (size_t k = 0; k < Keys.size(); ++k) {
        fields[k] = table.FieldIndex(Keys[k]);
        if (fields[k] < 0)
            throw ECardBaseSourceError(std::string("the table has no field '") + Keys[k] + "'");
    }
    const std::string index = table.IndexName();
    if (!index.empty())
        table.SetIndexName("");
    const int rows = table.VisibleCount();
    std::string out;
    if (rows == 0) {
        out = "[]\n";
    } else {
        out = "[\n";
        for (int r = 0; r < rows; ++r) {
            out += "  {\n";
            for (size_t k = 0; k < Keys.size(); ++k) {
                out += "    \"";
                out += Keys[k];
                out += "\": ";
                if (k < TextKeys)
                    AppendJsonString(out, Win1251ToUtf8(table.RowString(r, fields[k])));
                else if (table.RowIsNull(r, fields[k]))
                    out += "null";
                else
                    out += std::to_string(table.RowInteger(r, fields[k]));
                out += k + 1 < Keys.size() ? ",\n" : "\n";
            }
            out += r + 1 < rows ? "  },\n" : "  }\n";
        }
        out += "]\n";
    }
    if (!index.empty())
        table.SetIndexName(index);
    return out;
}

void CardBaseFromJson(std::string_view json, TTable& table)
{
    // A byte order mark is not part of the canonical form but harmless to read.
    if (json.substr(0, 3) == "\xEF\xBB\xBF")
        json.remove_prefix(3);

    DefineCardBaseFields(table);
    table.CreateDataSet();
    std::vector<int> size(Keys.size()), required(Keys.size());
    for (size_t k = 0; k < Keys.size(); ++k) {
        TField& f = table.FieldByName(Keys[k]);
        size[k] = f.DataType() == ftString ? f.Size() : 0;
        required[k] = f.Required();
    }

    TJsonReader in(json);
    std::map<std::tuple<std::string, std::string, std::string>, int> seen;
    in.Expect('[');
    if (!in.Accept(']')) {
        int number = 0;
        do {
            ++number;
            in.SkipBlanks();
            const size_t objectStart = in.Pos();
            in.Expect('{');
            std::array<std::optional<TSourceValue>, Keys.size()> values;
            if (!in.Accept('}')) {
                do {
                    in.SkipBlanks();
                    const size_t keyAt = in.Pos();
                    const std::string key = in.ReadString();
                    const int k = KeyIndex(key);
                    if (k < 0)
                        in.Fail("unknown key \"" + Utf8ToWin1251(key) + "\"", keyAt);
                    if (values[size_t(k)])
                        in.Fail("key \"" + key + "\" given twice", keyAt);
                    in.Expect(':');
                    in.SkipBlanks();
                    const size_t valueAt = in.Pos();
                    TSourceValue v = in.ReadValue();
                    const bool wantText = size_t(k) < TextKeys;
                    if (wantText && v.Kind != TSourceValue::vString)
                        in.Fail("\"" + key + "\" must be a string", valueAt);
                    if (!wantText && v.Kind == TSourceValue::vString)
                        in.Fail("\"" + key + "\" must be a whole number or null", valueAt);
                    values[size_t(k)] = std::move(v);
                } while (in.Accept(','));
                in.Expect('}');
            }

            // Everything about one card, named by its place and its name.
            const std::string name =
                values[0] ? Utf8ToWin1251(values[0]->Text) : std::string();
            const std::string set = values[1] ? Utf8ToWin1251(values[1]->Text) : std::string();
            const std::string card = "card " + std::to_string(number) + " (\"" + name + "\" [" + set + "])";
            for (size_t k = 0; k < Keys.size(); ++k)
                if (!values[k])
                    in.Fail(card + ": key \"" + Keys[k] + "\" is missing", objectStart);

            std::array<std::string, TextKeys> texts;
            for (size_t k = 0; k < TextKeys; ++k) {
                bool ok = false;
                texts[k] = Utf8ToWin1251(values[k]->Text, &ok);
                if (!ok)
                    throw ECardBaseSourceError(card + ": field " + Keys[k] + ": the character "
                                               + Utf8ToWin1251(FirstForeignCharacter(values[k]->Text))
                                               + " is not in the Windows-1251 code page");
                if (size[k] > 0 && int(texts[k].size()) > size[k])
                    throw ECardBaseSourceError(card + ": field " + Keys[k] + ": the text has "
                                               + std::to_string(texts[k].size())
                                               + " characters, more than the field's " + std::to_string(size[k]));
                if (required[k] && texts[k].empty())
                    throw ECardBaseSourceError(card + ": field " + Keys[k] + " must have a value");
            }
            auto [it, fresh] = seen.emplace(std::make_tuple(texts[0], texts[1], texts[2]), number);
            if (!fresh)
                throw ECardBaseSourceError(card + ": the same name, set and variant as card "
                                           + std::to_string(it->second));

            table.Append();
            try {
                for (size_t k = 0; k < TextKeys; ++k)
                    table.FieldByName(Keys[k]).SetAsString(texts[k]);
                for (size_t k = TextKeys; k < Keys.size(); ++k) {
                    if (values[k]->Kind == TSourceValue::vNull)
                        table.FieldByName(Keys[k]).Clear();
                    else
                        table.FieldByName(Keys[k]).SetAsInteger(values[k]->Integer);
                }
                table.Post();
            } catch (const Exception& e) {
                table.Cancel();
                throw ECardBaseSourceError(card + ": " + e.what());
            }
        } while (in.Accept(','));
        in.Expect(']');
    }
    in.SkipBlanks();
    if (!in.AtEnd())
        in.Fail("text after the end of the card list");
}
