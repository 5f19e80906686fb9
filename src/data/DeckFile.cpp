// Deck files: reading the lines of a .mdc file and writing them back.
#include "data/DeckFile.h"

#include "Library/Common/FileUtils.h"
#include "data/CardText.h"
#include "data/DataModule.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

namespace {
bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

// A card name as other programs write split cards, "Fire // Ice", is the card base's
// "Fire/Ice": every "//" with the blanks around it becomes one "/", and empty halves
// (a stray "//" at either end) are dropped.
std::string JoinSplitName(const std::string& name)
{
    if (name.find("//") == std::string::npos)
        return name;
    std::string result;
    size_t start = 0;
    while (true) {
        size_t at = name.find("//", start);
        std::string half = TrimDeckText(std::string_view(name).substr(
            start, at == std::string::npos ? std::string::npos : at - start));
        if (!half.empty()) {
            if (!result.empty())
                result += '/';
            result += half;
        }
        if (at == std::string::npos)
            break;
        start = at + 2;
    }
    return result;
}
} // namespace

int32_t DeckStrToInt(const std::string& text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool valid = i < text.size();
    int64_t value = 0;
    for (; valid && i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            valid = false;
            break;
        }
        value = value * 10 + (text[i] - '0');
        if (value > int64_t(INT32_MAX) + 1)
            valid = false;
    }
    if (valid && (negative ? -value < INT32_MIN : value > INT32_MAX))
        valid = false;
    if (!valid)
        throw EConvertError("'" + text + "' is not a valid integer value");
    return int32_t(negative ? -value : value);
}

std::vector<std::string> SplitDeckLines(std::string_view content)
{
    size_t zero = content.find('\0');
    if (zero != std::string_view::npos)
        content = content.substr(0, zero);
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < content.size()) {
        char c = content[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(content.substr(start, i - start));
            if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
                ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < content.size())
        lines.emplace_back(content.substr(start));
    return lines;
}

std::string TrimDeckText(std::string_view text)
{
    size_t b = 0;
    size_t e = text.size();
    while (b < e && IsBlankOrControl(text[b]))
        ++b;
    while (e > b && IsBlankOrControl(text[e - 1]))
        --e;
    return std::string(text.substr(b, e - b));
}

TDeckLine ParseDeckLine(std::string_view raw)
{
    TDeckLine result;
    std::string line = TrimDeckText(raw);
    // Empty lines and "//" comment lines (headings in lists of other programs).
    if (line.empty() || line.starts_with("//"))
        return result;
    if (StartsWithText1251(line, "Name:") || StartsWithText1251(line, "Note:")) {
        result.Kind = StartsWithText1251(line, "Name:") ? TDeckLine::dlName : TDeckLine::dlNote;
        result.Text = TrimDeckText(std::string_view(line).substr(5));
        return result;
    }
    result.Kind = TDeckLine::dlCard;
    std::string countText = CutWord(line, " ;\t", true);
    line = TrimDeckText(line);
    result.Count = DeckStrToInt(TrimDeckText(countText));

    result.Set = TrimDeckText(TextBetweenMarkers(line, "[", "]"));
    line = TrimDeckText(RemoveMarkedSpans(line, "[", "]"));
    result.Version = NumberToVersion(TrimDeckText(TextBetweenMarkers(line, "(", ")")));
    line = TrimDeckText(RemoveMarkedSpans(line, "(", ")"));
    result.Name = JoinSplitName(line);
    return result;
}

std::string DeckEntryLine(int32_t count, std::string_view set, std::string_view name,
                          std::string_view version)
{
    char number[16];
    std::snprintf(number, sizeof number, "%3d", int(count));
    std::string line = number;
    line += " [";
    line += set;
    line += "] ";
    line += name;
    if (!version.empty()) {
        line += " (";
        line += version;
        line += ')';
    }
    return line;
}

std::string DeckNotFoundText(std::string_view name, std::string_view set, std::string_view version)
{
    std::string text;
    if (!set.empty()) {
        text += '[';
        text += set;
        text += "] ";
    }
    text += name;
    if (!version.empty()) {
        text += " (";
        text += version;
        text += ')';
    }
    return text;
}

std::string DeckNotFoundCaption()
{
    return Utf8ToWin1251("Не найдена карта");
}

// ---------------------------------------------------------------------------
// Reading and writing the deck through the data module.

namespace {

TValue KeyOf(const std::string& text)
{
    return text.empty() ? TValue() : TValue(text);
}

std::string FileErrorText(const char* what, const std::string& fileName, const QString& reason)
{
    return std::string(what) + " \"" + Utf8ToWin1251(fileName) + "\". " + QStringToWin1251(reason);
}

// Selects an index of the card base for the duration of a block and gives the previous
// one back at its end, also when the block fails.
class TBaseIndexGuard {
public:
    TBaseIndexGuard(TTable& table, const std::string& index) : FTable(table)
    {
        if (FTable.Active()) {
            FSaved = FTable.IndexName();
            FTable.SetIndexName(index);
        }
    }
    ~TBaseIndexGuard()
    {
        try {
            if (FTable.Active())
                FTable.SetIndexName(FSaved);
        } catch (...) {
        }
    }
    TBaseIndexGuard(const TBaseIndexGuard&) = delete;
    TBaseIndexGuard& operator=(const TBaseIndexGuard&) = delete;

private:
    TTable& FTable;
    std::string FSaved;
};

// The deck file's lines for the name or note text: one line per CR-separated part
// (line feeds dropped, blanks at the start of a part dropped). An empty part in the
// middle is written as an empty "Name: " line, so the parts after it are kept and
// reading the file gives the same text back.
void AddTextLines(std::vector<std::string>& lines, const std::string& text, const char* prefix)
{
    std::string rest;
    rest.reserve(text.size());
    for (char c : text)
        if (c != '\n')
            rest += c;
    if (rest.empty())
        return;
    size_t start = 0;
    while (true) {
        const size_t cr = rest.find('\r', start);
        std::string part = rest.substr(start, cr == std::string::npos ? std::string::npos : cr - start);
        part.erase(0, part.find_first_not_of(' ') == std::string::npos ? part.size()
                                                                       : part.find_first_not_of(' '));
        lines.push_back(prefix + part);
        if (cr == std::string::npos)
            break;
        start = cr + 1;
    }
}

int32_t AddCounts(int32_t a, int32_t b)
{
    const int64_t sum = int64_t(a) + int64_t(b);
    return int32_t(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

} // namespace

std::string TData::DeckFileText()
{
    std::vector<std::string> lines;
    AddTextLines(lines, DeckName, "Name: ");
    AddTextLines(lines, DeckNote, "Note: ");
    DeckTable.DisableControls();
    TBookmark bookmark = DeckTable.GetBookmark();
    try {
        for (DeckTable.First(); !DeckTable.Eof(); DeckTable.Next())
            lines.push_back(DeckEntryLine(DeckTableCount->AsInteger(), DeckTableSet->AsString(),
                                          DeckTableName->AsString(), DeckTableVersion->AsString()));
    } catch (...) {
        if (DeckTable.BookmarkValid(bookmark))
            DeckTable.GotoBookmark(bookmark);
        DeckTable.EnableControls();
        throw;
    }
    if (DeckTable.BookmarkValid(bookmark))
        DeckTable.GotoBookmark(bookmark);
    DeckTable.FreeBookmark(bookmark);
    DeckTable.EnableControls();

    std::string content;
    for (const auto& line : lines) {
        content += line;
        content += "\r\n";
    }
    return content;
}

void TData::SaveDeck(const std::string& fileName)
{
    const std::string content = DeckFileText();
    WriteFileReplacing(fileName, content);
    DeckFileName = fileName;
}

void TData::LoadDeck(const std::string& fileName)
{
    TBaseIndexGuard baseIndex(BaseTable, "NameSort");
    DeckTable.DisableControls();
    struct TControlsGuard {
        TTable& Deck;
        ~TControlsGuard()
        {
            try {
                if (Deck.Active()) {
                    if (Deck.State() != dsBrowse)
                        Deck.Cancel();
                    Deck.First();
                }
            } catch (...) {
            }
            Deck.EnableControls();
        }
    } controls{DeckTable};

    QFile file(QString::fromStdString(fileName));
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(FileErrorText("Cannot open file", fileName, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(FileErrorText("Cannot read file", fileName, file.errorString()));
    file.close();
    const std::vector<std::string> lines = SplitDeckLines(std::string_view(bytes.constData(), size_t(bytes.size())));

    NewDeck();
    DeckFileName = fileName;

    // Entries read so far by (set, name, variant): a card listed again adds its count
    // to its entry instead of failing on the deck's unique key.
    std::map<std::tuple<std::string, std::string, std::string>, TBookmark> read;
    for (const auto& text : lines) {
        TDeckLine line = ParseDeckLine(text);
        switch (line.Kind) {
        case TDeckLine::dlSkip:
            continue;
        case TDeckLine::dlName:
        case TDeckLine::dlNote: {
            std::string& target = line.Kind == TDeckLine::dlName ? DeckName : DeckNote;
            if (!target.empty())
                target += '\r';
            target += line.Text;
            continue;
        }
        case TDeckLine::dlCard:
            break;
        }

        if (!FindCardForDeck(line.Name, line.Set, line.Version)) {
            const std::string message = DeckNotFoundText(line.Name, line.Set, line.Version);
            if (OnDeckCardNotFound)
                OnDeckCardNotFound(DeckNotFoundCaption(), message);
            else
                ReportError(DeckNotFoundCaption() + ": " + message);
            continue;
        }

        auto key = std::make_tuple(line.Set, line.Name, line.Version);
        auto known = read.find(key);
        try {
            if (known != read.end() && DeckTable.BookmarkValid(known->second)) {
                DeckTable.GotoBookmark(known->second);
                DeckTable.Edit();
                DeckTableCount->SetAsInteger(AddCounts(DeckTableCount->AsInteger(), line.Count));
                DeckTable.Post();
            } else {
                const std::string nameR = BaseTable.FieldByName("NameR").AsString();
                DeckTable.Append();
                DeckTableName->SetAsString(line.Name);
                DeckTableNameR->SetAsString(nameR);
                DeckTableSet->SetAsString(line.Set);
                DeckTableVersion->SetAsString(line.Version);
                DeckTableCount->SetAsInteger(line.Count);
                DeckTable.Post();
                read[key] = DeckTable.GetBookmark();
            }
        } catch (...) {
            // Never leave an entry half-appended or half-edited.
            if (DeckTable.State() != dsBrowse)
                DeckTable.Cancel();
            throw;
        }
    }
}

bool TData::FindCardForDeck(const std::string& name, std::string& set, std::string& version)
{
    if (!Ready || !BaseTable.Active())
        return false;
    TBaseIndexGuard index(BaseTable, "NameSort");
    // The exact card, then the card without variant, then the first variant.
    if (BaseTable.FindKey({KeyOf(name), KeyOf(set), KeyOf(version)}))
        return true;
    if (BaseTable.FindKey({KeyOf(name), KeyOf(set), TValue()})) {
        version.clear();
        return true;
    }
    if (BaseTable.FindKey({KeyOf(name), KeyOf(set), TValue("A")})) {
        version = "A";
        return true;
    }
    // Any set, any variant: the first in the index's order (by set, then variant).
    if (BaseTable.FindKey({KeyOf(name)})) {
        set = BaseTable.FieldByName("Set").AsString();
        version = BaseTable.FieldByName("Version").AsString();
        return true;
    }
    return false;
}
