// Deck files: reading the lines of a .mdc file and writing them back.
#include "data/DeckFile.h"

#include "Library/Common/FileUtils.h"
#include "data/CardText.h"
#include "data/DataModule.h"

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

std::string DeckNotFoundReason(std::string_view set)
{
    const bool knownSet = set.empty() || FindSet(set) != nullptr;
    if (!knownSet)
        return Utf8ToWin1251("такой карты нет в базе, выпуска ") + std::string(set) + Utf8ToWin1251(" в ней нет");
    return Utf8ToWin1251("такой карты нет в базе");
}

// ---------------------------------------------------------------------------
// Reading and writing the deck through the data module.

namespace {

TValue KeyOf(const std::string& text)
{
    return text.empty() ? TValue() : TValue(text);
}

std::string W(const char* utf8)
{
    return Utf8ToWin1251(utf8);
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

int32_t AddCounts(int32_t a, int32_t b)
{
    const int64_t sum = int64_t(a) + int64_t(b);
    return int32_t(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

} // namespace

TDeckContent TData::DeckContent()
{
    TDeckContent deck;
    deck.Name = DeckName;
    deck.Note = DeckNote;
    DeckTable.DisableControls();
    TBookmark bookmark = DeckTable.GetBookmark();
    auto restore = [&] {
        if (DeckTable.BookmarkValid(bookmark))
            DeckTable.GotoBookmark(bookmark);
        DeckTable.FreeBookmark(bookmark);
        DeckTable.EnableControls();
    };
    try {
        for (DeckTable.First(); !DeckTable.Eof(); DeckTable.Next())
            deck.Items.push_back(TDeckItem{DeckTableCount->AsInteger(), DeckTableName->AsString(),
                                           DeckTableSet->AsString(), DeckTableVersion->AsString(), 0});
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return deck;
}

std::string TData::DeckFileText(TDeckFormat format)
{
    return WriteDeckContent(DeckContent(), format);
}

void TData::SaveDeck(const std::string& fileName)
{
    SaveDeck(fileName, DeckFormatOfFileName(fileName));
}

void TData::SaveDeck(const std::string& fileName, TDeckFormat format)
{
    const std::string content = DeckFileText(format);
    WriteFileReplacing(fileName, content);
    DeckFileName = fileName;
    DeckFileFormat = format;
    DeckModified = false;
}

namespace {

std::string Quoted(const std::string& fileName)
{
    return "\"" + Utf8ToWin1251(fileName) + "\"";
}

// The file's bytes, every failure in the program's words.
std::string ReadDeckFileBytes(const std::string& fileName)
{
    std::string bytes;
    const int result = ReadRegularFile(fileName, kMaxDeckFileSize, bytes);
    if (result == -1)
        throw Exception(W("Не удается открыть файл ") + Quoted(fileName) + W(". Это не обычный файл"));
    if (result == -2)
        throw Exception(W("Не удается прочитать файл колоды ") + Quoted(fileName) + W(". Он больше ")
                        + std::to_string(kMaxDeckFileSize >> 20) + W(" МБ"));
    if (result != 0)
        throw Exception(W("Не удается открыть файл ") + Quoted(fileName) + ". " + SystemErrorText(result));
    return bytes;
}

} // namespace

TDeckReadReport TData::LoadDeck(const std::string& fileName)
{
    TBaseIndexGuard baseIndex(BaseTable, "NameSort");

    // The whole file is read, understood and its cards looked up before the deck
    // changes: a file that cannot be opened or read as a deck, or that names no card
    // of the base, leaves the open deck as it was.
    const std::string bytes = ReadDeckFileBytes(fileName);
    TDeckContent content;
    try {
        content = ReadDeckContent(bytes, fileName);
    } catch (const EDeckFormatError& e) {
        throw EDeckFormatError(W("Не удается прочитать файл колоды ") + Quoted(fileName) + ". " + e.what());
    }
    TDeckReadReport report;
    std::vector<TDeckItem> found;
    for (const TDeckItem& item : content.Items) {
        std::string name = item.Name, set = item.Set, version = item.Version;
        if (FindCardForDeck(name, set, version)) {
            found.push_back(TDeckItem{item.Count, name, set, version, item.Line});
            report.CardsRead += item.Count;
            continue;
        }
        TDeckMissingLine missing{item.Count, DeckNotFoundText(item.Name, item.Set, item.Version),
                                 DeckNotFoundReason(item.Set), item.Line};
        if (OnDeckCardNotFound)
            OnDeckCardNotFound(DeckNotFoundCaption(), missing.Text);
        report.Missing.push_back(std::move(missing));
    }
    if (found.empty())
        throw Exception(W("В файле ") + Quoted(fileName) + W(" нет ни одной карты"));

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

    NewDeck();
    DeckFileName = fileName;
    DeckFileFormat = content.Format;
    DeckName = content.Name;
    DeckNote = content.Note;
    // Lines without a card stay in the deck as notes: saving it loses nothing.
    for (const TDeckMissingLine& m : report.Missing) {
        if (!DeckNote.empty())
            DeckNote += '\r';
        DeckNote += W("Не найдена: ") + std::to_string(m.Count) + " " + m.Text;
    }
    try {
        AddDeckItems(found);
    } catch (...) {
        // A deck whose reading stopped is not the file it came from: saving it must
        // not replace that file with the part that was read.
        DeckFileName.clear();
        DeckModified = true;
        throw;
    }
    DeckModified = false;
    return report;
}

std::vector<TDeckMissingLine> TData::AddDeckItems(const std::vector<TDeckItem>& items)
{
    std::vector<TDeckMissingLine> missing;
    // Entries read so far by (set, name, variant): a card listed again adds its count
    // to its entry instead of failing on the deck's unique key.
    std::map<std::tuple<std::string, std::string, std::string>, TBookmark> read;
    for (const TDeckItem& item : items) {
        std::string name = item.Name, set = item.Set, version = item.Version;
        if (!FindCardForDeck(name, set, version)) {
            missing.push_back(TDeckMissingLine{item.Count, DeckNotFoundText(item.Name, item.Set, item.Version),
                                               DeckNotFoundReason(item.Set), item.Line});
            if (OnDeckCardNotFound)
                OnDeckCardNotFound(DeckNotFoundCaption(), missing.back().Text);
            continue;
        }
        auto key = std::make_tuple(set, name, version);
        auto known = read.find(key);
        try {
            if (known != read.end() && DeckTable.BookmarkValid(known->second)) {
                DeckTable.GotoBookmark(known->second);
                DeckTable.Edit();
                DeckTableCount->SetAsInteger(AddCounts(DeckTableCount->AsInteger(), item.Count));
                DeckTable.Post();
            } else {
                const std::string nameR = BaseTable.FieldByName("NameR").AsString();
                DeckTable.Append();
                DeckTableName->SetAsString(name);
                DeckTableNameR->SetAsString(nameR);
                DeckTableSet->SetAsString(set);
                DeckTableVersion->SetAsString(version);
                DeckTableCount->SetAsInteger(item.Count);
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
    return missing;
}

namespace {

// A name compared the forgiving way: letter case and runs of blanks do not count.
std::string LooseName(std::string_view name)
{
    std::string out;
    bool blank = false;
    for (char c : TrimDeckText(name)) {
        if (static_cast<unsigned char>(c) <= ' ') {
            blank = true;
            continue;
        }
        if (blank && !out.empty())
            out += ' ';
        blank = false;
        out += LowerChar1251(c);
    }
    return out;
}

} // namespace

bool TData::FindCardForDeck(std::string& name, std::string& set, std::string& version)
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
    auto takeCurrent = [&] {
        name = BaseTable.FieldByName("Name").AsString();
        set = BaseTable.FieldByName("Set").AsString();
        version = BaseTable.FieldByName("Version").AsString();
        return true;
    };
    // A variant asked for without a set that has it ("2 Forest (3)"): the first set
    // that has that variant, so the variant is kept.
    if (!version.empty() && BaseTable.Locate("Name;Version", {KeyOf(name), KeyOf(version)}))
        return takeCurrent();
    // Any set: the card's most recent printing (its first variant there), the one a
    // list without sets most likely means.
    if (BaseTable.FindKey({KeyOf(name)})) {
        TBookmark best = BaseTable.GetBookmark();
        int bestSet = SetIndex(BaseTable.FieldByName("Set").AsString());
        for (BaseTable.Next(); !BaseTable.Eof() && BaseTable.FieldByName("Name").AsString() == name;
             BaseTable.Next()) {
            const int set = SetIndex(BaseTable.FieldByName("Set").AsString());
            if (set > bestSet) {
                bestSet = set;
                BaseTable.FreeBookmark(best);
                best = BaseTable.GetBookmark();
            }
        }
        BaseTable.GotoBookmark(best);
        BaseTable.FreeBookmark(best);
        return takeCurrent();
    }
    // The Russian name, then either name without regard to letter case and blanks.
    bool found = (!version.empty() && BaseTable.Locate("NameR;Version", {KeyOf(name), KeyOf(version)}))
                 || BaseTable.Locate("NameR", {KeyOf(name)});
    if (!found) {
        const std::string loose = LooseName(name);
        TBookmark here = BaseTable.GetBookmark();
        BaseTable.First();
        while (!BaseTable.Eof() && !found) {
            found = LooseName(BaseTable.FieldByName("Name").AsString()) == loose
                    || LooseName(BaseTable.FieldByName("NameR").AsString()) == loose;
            if (!found)
                BaseTable.Next();
        }
        if (!found && BaseTable.BookmarkValid(here))
            BaseTable.GotoBookmark(here);
        BaseTable.FreeBookmark(here);
    }
    if (!found)
        return false;
    // The card under its English name, with the set and variant asked for where it has
    // them.
    const std::string english = BaseTable.FieldByName("Name").AsString();
    if (english != name) {
        std::string englishName = english;
        return FindCardForDeck(englishName, set, version) && (name = englishName, true);
    }
    return takeCurrent();
}
