// Reading and writing the deck file formats of this and other programs.
#include "data/DeckFormats.h"

#include "data/CardText.h"
#include "data/DeckFile.h"

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cstdio>

namespace {

std::string W(const char* utf8)
{
    return Utf8ToWin1251(utf8);
}

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

std::string Lower(std::string_view s)
{
    return LowerCase1251(s);
}

bool IsDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "Строка 5: ..." in front of a message about a line.
[[noreturn]] void LineError(int line, const std::string& message)
{
    throw EDeckFormatError(W("Строка ") + std::to_string(line) + ": " + message);
}

// A count as read: decimal digits with a sign, at most kMaxDeckLineCount copies.
int32_t CountOf(const std::string& digits, int line, std::string_view text)
{
    std::string d = digits;
    bool negative = false;
    if (!d.empty() && (d[0] == '+' || d[0] == '-')) {
        negative = d[0] == '-';
        d.erase(0, 1);
    }
    if (d.size() > 9 || (!d.empty() && std::stol(d) > kMaxDeckLineCount))
        LineError(line, W("больше ") + std::to_string(kMaxDeckLineCount) + W(" копий одной карты: ")
                            + std::string(text));
    const int32_t value = d.empty() ? 0 : int32_t(std::stol(d));
    return negative ? -value : value;
}

// The words a section heading of a list may consist of ("Sideboard", "Creatures (24)").
bool IsSectionHeading(const std::string& trimmed)
{
    static const char* const words[] = {
        "deck", "main", "mainboard", "main deck", "maindeck", "sideboard", "side", "commander", "commanders",
        "companion", "maybeboard", "considering", "about", "creature", "creatures", "spell", "spells", "instant",
        "instants", "sorcery", "sorceries", "artifact", "artifacts", "enchantment", "enchantments", "land", "lands",
        "planeswalker", "planeswalkers", "other", "others", "token", "tokens", "nonlands", "non-creatures"};
    std::string t = Lower(trimmed);
    if (!t.empty() && t.back() == ':')
        t.pop_back();
    // A count in parentheses behind it: "Creatures (24)".
    const size_t open = t.rfind(" (");
    if (open != std::string::npos && t.back() == ')' && IsDigits(std::string_view(t).substr(open + 2, t.size() - open - 3)))
        t = TrimDeckText(t.substr(0, open));
    for (const char* w : words)
        if (t == w)
            return true;
    return false;
}

// Removes markers of other programs behind a card: "*F*", "*E*", "*CMDR*".
std::string WithoutStarMarkers(const std::string& line)
{
    std::string out;
    out.reserve(line.size());
    size_t at = 0;
    while (at < line.size()) {
        const size_t star = line.find('*', at);
        if (star == std::string::npos) {
            out.append(line, at, std::string::npos);
            break;
        }
        out.append(line, at, star - at);
        const size_t end = line.find('*', star + 1);
        bool word = end != std::string::npos && end - star <= 8 && end > star + 1;
        for (size_t i = star + 1; word && i < end; ++i)
            word = (line[i] >= 'A' && line[i] <= 'Z') || (line[i] >= 'a' && line[i] <= 'z');
        if (word) {
            at = end + 1;
        } else {
            out += '*';
            at = star + 1;
        }
    }
    return out;
}

// A set code as read: the program's code for one it knows, else as given.
std::string SetCodeAsRead(const std::string& code)
{
    const std::string known = SetCodeOf(code);
    return known.empty() ? code : known;
}

bool LooksLikeSetCode(std::string_view s)
{
    if (s.size() < 2 || s.size() > 6)
        return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    });
}

} // namespace

// ---------------------------------------------------------------------------------------
// Encodings.

std::string DeckBytesTo1251(std::string_view bytes)
{
    auto decode = [](QStringConverter::Encoding encoding, std::string_view data, bool* error) {
        QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
        QString text = decoder.decode(QByteArrayView(data.data(), qsizetype(data.size())));
        if (error)
            *error = decoder.hasError();
        return text;
    };
    QString text;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        text = decode(QStringConverter::Utf8, bytes.substr(3), nullptr);
    } else if (bytes.substr(0, 2) == "\xFF\xFE") {
        text = decode(QStringConverter::Utf16LE, bytes.substr(2), nullptr);
    } else if (bytes.substr(0, 2) == "\xFE\xFF") {
        text = decode(QStringConverter::Utf16BE, bytes.substr(2), nullptr);
    } else {
        const std::string_view upToZero = bytes.substr(0, bytes.find('\0'));
        const bool high = std::any_of(upToZero.begin(), upToZero.end(), [](char c) { return (unsigned char)c > 127; });
        bool error = true;
        if (high)
            text = decode(QStringConverter::Utf8, upToZero, &error);
        if (!high || error)
            return std::string(upToZero); // Windows-1251 as it stands
    }
    const qsizetype zero = text.indexOf(QChar(0));
    if (zero >= 0)
        text.truncate(zero);
    return QStringToNearest1251(text);
}

std::string PlainCardName(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        switch (static_cast<unsigned char>(c)) {
        case 0x91: case 0x92: case 0xB4: out += '\''; break;              // ‘ ’ and the acute accent
        case 0x84: case 0x93: case 0x94: case 0xAB: case 0xBB: out += '"'; break; // „ “ ” « »
        case 0x96: case 0x97: out += '-'; break;                          // – —
        case 0xA0: out += ' '; break;                                     // no-break space
        case 0x85: out += "..."; break;                                   // …
        default: out += c;
        }
    }
    // "Fire // Ice" is the card base's "Fire/Ice".
    if (out.find("//") == std::string::npos)
        return TrimDeckText(out);
    std::string joined;
    size_t start = 0;
    while (true) {
        const size_t at = out.find("//", start);
        const std::string half = TrimDeckText(std::string_view(out).substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (!half.empty())
            joined += (joined.empty() ? "" : "/") + half;
        if (at == std::string::npos)
            break;
        start = at + 2;
    }
    return joined;
}

// ---------------------------------------------------------------------------------------
// Text lists.

TDeckLine ParseDeckLine(std::string_view raw, int lineNumber)
{
    TDeckLine result;
    std::string line = TrimDeckText(raw);
    if (line.empty() || line.starts_with("//") || line[0] == '#')
        return result;
    if (StartsWithText1251(line, "Name:") || StartsWithText1251(line, "Note:")) {
        result.Kind = StartsWithText1251(line, "Name:") ? TDeckLine::dlName : TDeckLine::dlNote;
        result.Text = TrimDeckText(std::string_view(line).substr(5));
        return result;
    }
    if (IsSectionHeading(line) || (line.front() == '[' && line.back() == ']' && line.find(' ') == std::string::npos
                                   && line.find(':') == std::string::npos && line.size() > 4)) {
        result.Kind = TDeckLine::dlSection;
        result.Text = Lower(line.front() == '[' ? line.substr(1, line.size() - 2) : line);
        return result;
    }
    if (StartsWithText1251(line, "LAYOUT ") || (line.find('=') != std::string::npos && line.find(' ') > line.find('=')))
        return result; // XMage layout lines, Forge "key=value" metadata

    // Sideboard lines of several programs: "SB: 2 Naturalize".
    if (StartsWithText1251(line, "SB:"))
        line = TrimDeckText(std::string_view(line).substr(3));

    result.Kind = TDeckLine::dlCard;
    // The count: "4", "4x", "4 x", "x4", "+3", "-1"; a line without one is one copy.
    size_t i = 0;
    std::string digits;
    if (i < line.size() && (line[i] == 'x' || line[i] == 'X') && i + 1 < line.size() && line[i + 1] >= '0'
        && line[i + 1] <= '9')
        ++i;
    const size_t countStart = i;
    if (i < line.size() && (line[i] == '+' || line[i] == '-') && i + 1 < line.size() && line[i + 1] >= '0'
        && line[i + 1] <= '9')
        ++i;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9')
        ++i;
    bool counted = i > countStart;
    if (counted) {
        digits = line.substr(countStart, i - countStart);
        if (i < line.size() && (line[i] == 'x' || line[i] == 'X') && (i + 1 == line.size() || IsBlank(line[i + 1]) || line[i + 1] == ';'))
            ++i;
        else if (i < line.size() && !IsBlank(line[i]) && line[i] != ';' && line[i] != '[' && line[i] != '(')
            counted = false; // "7th..." is a name, not a count
    }
    if (counted) {
        line = line.substr(i);
        // The separators after the count; a lone "x" between count and name.
        size_t j = 0;
        while (j < line.size() && (IsBlank(line[j]) || line[j] == ';'))
            ++j;
        if (j + 1 < line.size() && (line[j] == 'x' || line[j] == 'X') && IsBlank(line[j + 1]))
            j += 2;
        line = TrimDeckText(std::string_view(line).substr(j));
        result.Count = CountOf(digits, lineNumber, raw);
    } else {
        // "Llanowar Elves x4" puts the count at the end.
        const size_t blank = line.find_last_of(' ');
        std::string last = blank == std::string::npos ? std::string() : line.substr(blank + 1);
        if (last.size() > 1 && (last[0] == 'x' || last[0] == 'X') && IsDigits(std::string_view(last).substr(1))) {
            result.Count = CountOf(last.substr(1), lineNumber, raw);
            line = TrimDeckText(line.substr(0, blank));
        } else if (last.size() > 1 && (last.back() == 'x' || last.back() == 'X')
                   && IsDigits(std::string_view(last).substr(0, last.size() - 1))) {
            result.Count = CountOf(last.substr(0, last.size() - 1), lineNumber, raw);
            line = TrimDeckText(line.substr(0, blank));
        } else {
            result.Count = 1;
        }
    }
    line = WithoutStarMarkers(line);

    // Forge: "Name|SET|art".
    if (const size_t bar = line.find('|'); bar != std::string::npos) {
        std::string rest = line.substr(bar + 1);
        line = TrimDeckText(line.substr(0, bar));
        const size_t bar2 = rest.find('|');
        result.Set = SetCodeAsRead(TrimDeckText(rest.substr(0, bar2)));
        if (bar2 != std::string::npos)
            result.Version = NumberToVersion(TrimDeckText(rest.substr(bar2 + 1)));
    }
    // "[7E]", "[7ED]" and XMage's "[7ED:253]".
    if (line.find('[') != std::string::npos) {
        std::string set = TrimDeckText(TextBetweenMarkers(line, "[", "]"));
        if (const size_t colon = set.find(':'); colon != std::string::npos)
            set = TrimDeckText(set.substr(0, colon));
        result.Set = SetCodeAsRead(set);
        line = TrimDeckText(RemoveMarkedSpans(line, "[", "]"));
    }
    // "(A)" or "(3)": the art variant; "(ODY) 292" of Arena and Moxfield: the set and
    // its collector number, or this program's own "(7ED) A".
    // A card line holds a parenthesised group or two; a line of thousands is no card
    // line and is not rebuilt for each of them.
    for (int group = 0; group < 8 && line.find('(') != std::string::npos; ++group) {
        const size_t open = line.find('(');
        const size_t close = line.find(')', open);
        const std::string inside = TrimDeckText(TextBetweenMarkers(line, "(", ")"));
        std::string after = close == std::string::npos ? std::string() : line.substr(close + 1);
        std::string before = line.substr(0, open);
        if (inside.size() <= 1) {
            result.Version = NumberToVersion(inside);
        } else if (LooksLikeSetCode(inside)) {
            result.Set = SetCodeAsRead(inside);
            // The collector number (or variant letter) right behind it.
            std::string rest = TrimDeckText(after);
            const size_t end = rest.find(' ');
            const std::string number = rest.substr(0, end);
            if (number.size() == 1 && number[0] >= 'A' && number[0] <= 'G')
                result.Version = number;
            if (!number.empty() && (number.size() == 1 || std::isdigit(static_cast<unsigned char>(number[0]))))
                rest = end == std::string::npos ? std::string() : rest.substr(end);
            after = rest;
        } else {
            break; // parentheses of a name
        }
        line = TrimDeckText(before + " " + after);
    }
    result.Name = PlainCardName(line);
    return result;
}

namespace {

TDeckContent ReadTextList(const std::string& text)
{
    TDeckContent deck;
    int64_t total = 0;
    int number = 0;
    std::string section;
    for (const std::string& raw : SplitDeckLines(text)) {
        ++number;
        const std::string trimmed = TrimDeckText(raw);
        // Magic Workstation headers: "// NAME : Deck" and "// COMMENT : ...".
        if (trimmed.starts_with("//")) {
            const std::string header = TrimDeckText(std::string_view(trimmed).substr(2));
            const size_t colon = header.find(':');
            if (colon != std::string::npos) {
                const std::string key = Lower(TrimDeckText(header.substr(0, colon)));
                const std::string value = TrimDeckText(header.substr(colon + 1));
                if (key == "name" && !value.empty())
                    deck.Name += (deck.Name.empty() ? "" : "\r") + value;
                else if ((key == "comment" || key == "comments") && !value.empty())
                    deck.Note += (deck.Note.empty() ? "" : "\r") + value;
            }
            continue;
        }
        // Forge metadata "Name=Deck".
        if (section == "metadata") {
            if (StartsWithText1251(trimmed, "Name="))
                deck.Name += (deck.Name.empty() ? "" : "\r") + TrimDeckText(std::string_view(trimmed).substr(5));
            else if (StartsWithText1251(trimmed, "Description="))
                deck.Note += (deck.Note.empty() ? "" : "\r") + TrimDeckText(std::string_view(trimmed).substr(12));
            if (!(trimmed.front() == '[' && trimmed.back() == ']'))
                continue;
        }
        // Arena and Moxfield: "Name Deck" below "About".
        if (section == "about" && trimmed.starts_with("Name ")) {
            deck.Name += (deck.Name.empty() ? "" : "\r") + TrimDeckText(std::string_view(trimmed).substr(5));
            continue;
        }
        TDeckLine line = ParseDeckLine(raw, number);
        switch (line.Kind) {
        case TDeckLine::dlSkip:
            continue;
        case TDeckLine::dlSection:
            section = line.Text;
            continue;
        case TDeckLine::dlName:
        case TDeckLine::dlNote: {
            std::string& target = line.Kind == TDeckLine::dlName ? deck.Name : deck.Note;
            if (!target.empty())
                target += '\r';
            target += line.Text;
            continue;
        }
        case TDeckLine::dlCard:
            break;
        }
        if (line.Name.empty())
            continue;
        total += std::max(0, line.Count);
        if (total > kMaxDeckTotal)
            LineError(number, W("в колоде больше ") + std::to_string(kMaxDeckTotal) + W(" карт"));
        deck.Items.push_back(TDeckItem{line.Count, line.Name, line.Set, line.Version, number});
    }
    return deck;
}

// ---------------------------------------------------------------------------------------
// CSV.

std::vector<std::string> CsvFields(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == separator) {
            fields.push_back(TrimDeckText(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(TrimDeckText(field));
    return fields;
}

struct TCsvColumns {
    char Separator = ',';
    int Count = -1, Name = -1, Set = -1;
};

// The columns of a CSV header line, or none (Name < 0) when the line is not one.
TCsvColumns CsvHeader(const std::string& line)
{
    for (char separator : {',', ';', '\t'}) {
        if (line.find(separator) == std::string::npos)
            continue;
        TCsvColumns c;
        c.Separator = separator;
        const std::vector<std::string> fields = CsvFields(line, separator);
        for (int i = 0; i < int(fields.size()); ++i) {
            const std::string f = Lower(fields[size_t(i)]);
            if (c.Count < 0 && (f == "count" || f == "quantity" || f == "qty" || f == "amount" || f == "copies"))
                c.Count = i;
            else if (c.Name < 0 && (f == "name" || f == "card name" || f == "card" || f == "cardname" || f == "card_name"))
                c.Name = i;
            else if (c.Set < 0 && (f == "edition" || f == "set" || f == "set code" || f == "setcode" || f == "set_code"
                                   || f == "expansion" || f == "edition code" || f == "set name"))
                c.Set = i;
        }
        if (c.Name >= 0)
            return c;
    }
    return TCsvColumns{};
}

TDeckContent ReadCsv(const std::vector<std::string>& lines, size_t headerAt, const TCsvColumns& columns)
{
    TDeckContent deck;
    deck.Format = TDeckFormat::Csv;
    int64_t total = 0;
    for (size_t n = headerAt + 1; n < lines.size(); ++n) {
        const int number = int(n + 1);
        if (TrimDeckText(lines[n]).empty())
            continue;
        const std::vector<std::string> f = CsvFields(lines[n], columns.Separator);
        auto at = [&](int i) { return i >= 0 && size_t(i) < f.size() ? f[size_t(i)] : std::string(); };
        TDeckItem item;
        item.Line = number;
        item.Name = PlainCardName(at(columns.Name));
        if (item.Name.empty())
            continue;
        const std::string count = at(columns.Count);
        item.Count = count.empty() ? 1 : (IsDigits(count) || ((count[0] == '-' || count[0] == '+') && IsDigits(count.substr(1)))
                                              ? CountOf(count, number, lines[n])
                                              : 1);
        item.Set = SetCodeAsRead(at(columns.Set));
        total += std::max(0, item.Count);
        if (total > kMaxDeckTotal)
            LineError(number, W("в колоде больше ") + std::to_string(kMaxDeckTotal) + W(" карт"));
        deck.Items.push_back(std::move(item));
    }
    return deck;
}

// ---------------------------------------------------------------------------------------
// XML.

std::string FromXml(const QString& text)
{
    return QStringToNearest1251(text);
}

TDeckContent ReadXml(std::string_view bytes)
{
    QXmlStreamReader xml(QByteArray(bytes.data(), qsizetype(bytes.size())));
    TDeckContent deck;
    int64_t total = 0;
    auto add = [&](const QString& count, const QString& name, const QString& set, const QString& variant) {
        bool ok = false;
        int64_t n = count.trimmed().isEmpty() ? 1 : count.trimmed().toLongLong(&ok);
        if (!count.trimmed().isEmpty() && !ok)
            n = 1;
        const std::string text = FromXml(name);
        if (n > kMaxDeckLineCount)
            LineError(int(xml.lineNumber()), W("больше ") + std::to_string(kMaxDeckLineCount)
                                                 + W(" копий одной карты: ") + text);
        total += std::max<int64_t>(0, n);
        if (total > kMaxDeckTotal)
            LineError(int(xml.lineNumber()), W("в колоде больше ") + std::to_string(kMaxDeckTotal) + W(" карт"));
        TDeckItem item;
        item.Count = int32_t(n);
        item.Name = PlainCardName(text);
        item.Set = SetCodeAsRead(FromXml(set.trimmed()));
        item.Version = NumberToVersion(FromXml(variant.trimmed()));
        item.Line = int(xml.lineNumber());
        if (!item.Name.empty())
            deck.Items.push_back(std::move(item));
    };
    bool root = true;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView element = xml.name();
        const QXmlStreamAttributes a = xml.attributes();
        if (root) {
            root = false;
            if (element == QLatin1String("cockatrice_deck"))
                deck.Format = TDeckFormat::Cockatrice;
            else if (element == QLatin1String("Deck"))
                deck.Format = TDeckFormat::Mtgo;
            else
                throw EDeckFormatError(W("Неизвестный формат колоды XML: <") + FromXml(element.toString()) + ">");
            continue;
        }
        if (deck.Format == TDeckFormat::Cockatrice) {
            if (element == QLatin1String("deckname")) {
                deck.Name = FromXml(xml.readElementText().trimmed());
            } else if (element == QLatin1String("comments")) {
                QString comments = xml.readElementText().trimmed();
                comments.replace(QLatin1String("\r\n"), QLatin1String("\r")).replace('\n', '\r');
                deck.Note = FromXml(comments);
            } else if (element == QLatin1String("card")) {
                add(a.value(QLatin1String("number")).toString(), a.value(QLatin1String("name")).toString(),
                    a.value(QLatin1String("setShortName")).toString(), a.value(QLatin1String("artVariant")).toString());
            }
        } else if (element == QLatin1String("Cards")) {
            add(a.value(QLatin1String("Quantity")).toString(), a.value(QLatin1String("Name")).toString(),
                a.value(QLatin1String("Set")).toString(), a.value(QLatin1String("Variant")).toString());
        }
    }
    if (xml.hasError())
        throw EDeckFormatError(W("Файл колоды не читается как XML: строка ") + std::to_string(xml.lineNumber())
                               + ": " + FromXml(xml.errorString()));
    return deck;
}

std::string LowerExtension(std::string_view fileName)
{
    const size_t dot = fileName.rfind('.');
    const size_t slash = fileName.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::string();
    return Lower(fileName.substr(dot));
}

} // namespace

TDeckContent ReadDeckContent(std::string_view bytes, std::string_view fileName)
{
    if (int64_t(bytes.size()) > kMaxDeckFileSize)
        throw EDeckFormatError(W("Файл больше ") + std::to_string(kMaxDeckFileSize >> 20) +
                               W(" МБ: это не колода"));
    const std::string text = DeckBytesTo1251(bytes);
    int number = 1;
    for (size_t start = 0; start < text.size(); ++number) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        if (end - start > kMaxDeckLineLength)
            LineError(number, W("строка длиннее ") + std::to_string(kMaxDeckLineLength >> 20) + W(" МБ"));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first != std::string::npos && text[first] == '<') {
        // XML reads its own encoding declaration; a byte order mark is part of it.
        return ReadXml(bytes);
    }
    const std::vector<std::string> lines = SplitDeckLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (TrimDeckText(lines[i]).empty())
            continue;
        const TCsvColumns columns = CsvHeader(lines[i]);
        if (columns.Name >= 0 && (columns.Count >= 0 || columns.Set >= 0 || LowerExtension(fileName) == ".csv"))
            return ReadCsv(lines, i, columns);
        break;
    }
    TDeckContent deck = ReadTextList(text);
    deck.Format = LowerExtension(fileName) == ".mdc" || LowerExtension(fileName).empty() ? TDeckFormat::Mdc
                                                                                        : TDeckFormat::Text;
    return deck;
}

// ---------------------------------------------------------------------------------------
// Writing.

TDeckFormat DeckFormatOfFileName(std::string_view fileName)
{
    const std::string ext = LowerExtension(fileName);
    if (ext == ".txt" || ext == ".dec")
        return TDeckFormat::Text;
    if (ext == ".cod")
        return TDeckFormat::Cockatrice;
    if (ext == ".dek")
        return TDeckFormat::Mtgo;
    return TDeckFormat::Mdc;
}

namespace {

// The name or note text as .mdc lines: one line per CR-separated part (line feeds
// dropped, blanks at the start of a part dropped). An empty part in the middle is
// written as an empty "Name: " line, so the parts after it are kept and reading the
// file gives the same text back.
void AddTextLines(std::vector<std::string>& lines, const std::string& text, const char* prefix)
{
    std::string rest;
    for (char c : text)
        if (c != '\n')
            rest += c;
    if (rest.empty())
        return;
    size_t start = 0;
    while (true) {
        const size_t cr = rest.find('\r', start);
        std::string part = rest.substr(start, cr == std::string::npos ? std::string::npos : cr - start);
        const size_t keep = part.find_first_not_of(' ');
        part.erase(0, keep == std::string::npos ? part.size() : keep);
        lines.push_back(prefix + part);
        if (cr == std::string::npos)
            break;
        start = cr + 1;
    }
}

// The publisher's code of a set for other programs (the program's own for a set it
// does not know).
QString LongSetCode(const std::string& set)
{
    if (const TSetInfo* info = FindSet(set))
        return QString::fromLatin1(info->MtgJson.data(), qsizetype(info->MtgJson.size()));
    return Win1251ToQString(set);
}

// A split card as other programs write it: "Fire // Ice".
QString OtherProgramsName(const std::string& name)
{
    QString n = Win1251ToQString(name);
    n.replace('/', QStringLiteral(" // "));
    return n;
}

std::string Utf8(const QString& text)
{
    const QByteArray b = text.toUtf8();
    return std::string(b.constData(), size_t(b.size()));
}

} // namespace

std::string WriteDeckContent(const TDeckContent& deck, TDeckFormat format)
{
    switch (format) {
    case TDeckFormat::Mdc: {
        std::vector<std::string> lines;
        AddTextLines(lines, deck.Name, "Name: ");
        AddTextLines(lines, deck.Note, "Note: ");
        for (const TDeckItem& e : deck.Items)
            lines.push_back(DeckEntryLine(e.Count, e.Set, e.Name, e.Version));
        std::string content;
        for (const std::string& line : lines)
            content += line + "\r\n";
        return content;
    }
    case TDeckFormat::Text:
    case TDeckFormat::Csv: {
        // Arena's and Moxfield's form: the name under "About", then the cards with the
        // publisher's set codes; a variant letter behind the set stands where their
        // collector number would.
        QString out;
        const QString name = Win1251ToQString(deck.Name.substr(0, deck.Name.find('\r')));
        if (!name.trimmed().isEmpty())
            out += QStringLiteral("About\r\nName ") + name.trimmed() + QStringLiteral("\r\n\r\nDeck\r\n");
        for (const TDeckItem& e : deck.Items) {
            out += QString::number(e.Count) + ' ' + OtherProgramsName(e.Name);
            if (!e.Set.empty())
                out += QStringLiteral(" (") + LongSetCode(e.Set) + ')';
            if (!e.Version.empty())
                out += ' ' + Win1251ToQString(e.Version);
            out += QStringLiteral("\r\n");
        }
        return Utf8(out);
    }
    case TDeckFormat::Cockatrice:
    case TDeckFormat::Mtgo: {
        QByteArray bytes;
        QXmlStreamWriter xml(&bytes);
        xml.setAutoFormatting(true);
        xml.setAutoFormattingIndent(format == TDeckFormat::Cockatrice ? 4 : 2);
        xml.writeStartDocument();
        if (format == TDeckFormat::Cockatrice) {
            xml.writeStartElement("cockatrice_deck");
            xml.writeAttribute("version", "1");
            xml.writeTextElement("deckname", Win1251ToQString(deck.Name).replace('\r', '\n'));
            xml.writeTextElement("comments", Win1251ToQString(deck.Note).replace('\r', '\n'));
            xml.writeStartElement("zone");
            xml.writeAttribute("name", "main");
            for (const TDeckItem& e : deck.Items) {
                xml.writeEmptyElement("card");
                xml.writeAttribute("number", QString::number(e.Count));
                xml.writeAttribute("name", OtherProgramsName(e.Name));
                if (!e.Set.empty())
                    xml.writeAttribute("setShortName", LongSetCode(e.Set));
                if (!e.Version.empty())
                    xml.writeAttribute("artVariant", Win1251ToQString(e.Version));
            }
            xml.writeEndElement();
        } else {
            xml.writeStartElement("Deck");
            xml.writeNamespace("http://www.w3.org/2001/XMLSchema", "xsd");
            xml.writeNamespace("http://www.w3.org/2001/XMLSchema-instance", "xsi");
            xml.writeTextElement("NetDeckID", "0");
            xml.writeTextElement("PreconstructedDeckID", "0");
            for (const TDeckItem& e : deck.Items) {
                xml.writeEmptyElement("Cards");
                xml.writeAttribute("CatID", "0");
                xml.writeAttribute("Quantity", QString::number(e.Count));
                xml.writeAttribute("Sideboard", "false");
                xml.writeAttribute("Name", OtherProgramsName(e.Name));
                if (!e.Set.empty())
                    xml.writeAttribute("Set", LongSetCode(e.Set));
                if (!e.Version.empty())
                    xml.writeAttribute("Variant", Win1251ToQString(e.Version));
            }
        }
        xml.writeEndElement();
        xml.writeEndDocument();
        return std::string(bytes.constData(), size_t(bytes.size()));
    }
    }
    return std::string();
}
