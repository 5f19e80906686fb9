#include "data/MtgJsonImport.h"

#include "data/CardBaseJson.h"
#include "data/CardText.h"
#include "data/TableEngine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace mtgjson {

namespace {

const QChar kLongDash(0x2014);

// Replaces whole occurrences of `name` (not inside a longer word) by "~this~".
QString MarkSelfName(const QString& text, const QString& name)
{
    if (name.isEmpty())
        return text;
    QString out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(name, from);
        if (at < 0)
            break;
        const qsizetype end = at + name.size();
        const bool startOk = at == 0 || !text[at - 1].isLetterOrNumber();
        const bool endOk = end >= text.size() || !text[end].isLetterOrNumber();
        out += text.mid(from, at - from);
        out += startOk && endOk ? QStringLiteral("~this~") : name;
        from = end;
    }
    out += text.mid(from);
    return out;
}

// The lines of a text, trimmed, empty ones left out.
QStringList Lines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    QStringList out;
    for (const QString& line : text.split(QChar('\n')))
        if (!line.trimmed().isEmpty())
            out << line.trimmed();
    return out;
}

} // namespace

QString Plain1251(const QString& text, const QString& where, const TReport& report)
{
    return Win1251ToQString(QStringToNearest1251(text, [&](QChar c, const QString& instead) {
        if (report)
            report(QStringLiteral("%1: the character %2 (U+%3) written as \"%4\"")
                       .arg(where, QString(c), QString::number(c.unicode(), 16).toUpper().rightJustified(4, '0'),
                            instead));
    }));
}

namespace {

// One brace symbol as it goes into a text (with "%") or a cost (without).
QString Symbol(const QString& inner, bool inText, const QString& where, const TReport& report)
{
    static const QString letters = QStringLiteral("WUBRGXYZ");
    const QString mark = inText ? QStringLiteral("%") : QString();
    if (inner == QLatin1String("T") && inText)
        return QStringLiteral("%T");
    if (inner.size() == 1 && letters.contains(inner[0]))
        return mark + inner;
    bool number = !inner.isEmpty();
    for (QChar c : inner)
        number = number && c.isDigit() && c.unicode() < 0x80;
    if (number) {
        if (!inText)
            return inner;
        // A number of two digits is written digit by digit ("%1%0").
        QString out;
        for (QChar c : inner)
            out += mark + c;
        return out;
    }
    if (inner == QLatin1String("C") && inText) {
        if (report)
            report(where + QStringLiteral(": the colourless mana symbol {C} written as %1, as the old cards print it"));
        return QStringLiteral("%1");
    }
    if (report)
        report(where + QStringLiteral(": unknown symbol {%1} kept as it stands").arg(inner));
    return QStringLiteral("{") + inner + QStringLiteral("}");
}

QString Symbols(const QString& text, bool inText, const QString& where, const TReport& report)
{
    static const QRegularExpression brace(QStringLiteral("\\{([^{}]*)\\}"));
    QString out;
    qsizetype from = 0;
    auto it = brace.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(from, m.capturedStart() - from);
        QString inner = m.captured(1);
        from = m.capturedEnd();
        // A number symbol with a digit right behind it is one number cut by a typing
        // error ("pay {1}0" on Draco): no card prints a digit after a mana symbol.
        bool digits = !inner.isEmpty();
        for (QChar c : inner)
            digits = digits && c.isDigit();
        if (digits && from < text.size() && text[from].isDigit()) {
            qsizetype end = from;
            while (end < text.size() && text[end].isDigit())
                ++end;
            const QString joined = inner + text.mid(from, end - from);
            if (report)
                report(where + QStringLiteral(": {%1}%2 read as {%3}").arg(inner, text.mid(from, end - from), joined));
            inner = joined;
            from = end;
        }
        out += Symbol(inner, inText, where, report);
    }
    out += text.mid(from);
    return out;
}

} // namespace

QString CostMarkup(const QString& manaCost, const QString& where, const TReport& report)
{
    return Symbols(manaCost, false, where, report);
}

QString TypeMarkup(const QString& type)
{
    QStringList parts;
    for (const QString& part : type.split(kLongDash))
        if (!part.trimmed().isEmpty())
            parts << part.simplified();
    return parts.join(QStringLiteral(" - "));
}

QString RulesMarkup(const QString& text, const QString& selfName, const QString& where, const TReport& report)
{
    QStringList paragraphs;
    for (QString line : Lines(text)) {
        // The long dash of ability words and costs ("Kicker—Sacrifice a land").
        static const QRegularExpression dash(QStringLiteral("\\s*\\x{2014}\\s*"));
        line.replace(dash, QStringLiteral(" - "));
        line = Symbols(line, true, where, report);
        line = MarkSelfName(line, selfName);
        // Reminder text: every parenthesised span.
        QString marked;
        int depth = 0;
        for (QChar c : line) {
            if (c == '(') {
                if (depth++ == 0)
                    marked += '#';
            }
            marked += c;
            if (c == ')' && depth > 0 && --depth == 0)
                marked += '#';
        }
        if (depth != 0 && report)
            report(where + QStringLiteral(": a parenthesis is not closed: ") + line);
        paragraphs << marked;
    }
    return paragraphs.join(QChar('\n'));
}

QString FlavorMarkup(const QString& flavor)
{
    QStringList out;
    bool inAttribution = false;
    // An attribution run on behind its quotation ("...справимся».— Лорд Хилнет") goes on
    // a line of its own.
    static const QRegularExpression runOn(QStringLiteral("([»\"!?.])\\s*\\x{2014}\\s*(?=\\S)"));
    QString text = flavor;
    text.replace(runOn, QStringLiteral("\\1\n\u2014"));
    for (const QString& line : Lines(text)) {
        if (line.startsWith(kLongDash)) {
            out << QStringLiteral("--") + line.mid(1).trimmed();
            inAttribution = true;
        } else if (inAttribution && !line.startsWith('"') && !line.startsWith(QChar(0x00AB))
                   && !line.startsWith(QChar(0x201C))) {
            // An attribution that runs over two lines ("—William Shakespeare,\nRomeo
            // and Juliet") stays one attribution line.
            out.last() += QChar(' ') + line;
        } else {
            out << line;
            inAttribution = false;
        }
    }
    return out.join(QChar('\n'));
}

} // namespace mtgjson

// ---------------------------------------------------------------------------------------

namespace {

using namespace mtgjson;

QJsonObject ReadJsonObject(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EMtgJsonError("Cannot read " + QFile::encodeName(path).toStdString());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        throw EMtgJsonError(QFile::encodeName(path).toStdString() + ": not a JSON object: "
                            + error.errorString().toStdString());
    return doc.object();
}

QString Str(const QJsonObject& o, const char* key)
{
    return o.value(QLatin1String(key)).toString();
}

// Collector number order: the number, a starred number after its plain one, then the
// letter of a half ("128a" before "128b").
struct TNumberKey {
    int Number = 0;
    bool Starred = false;
    QString Suffix;
    bool operator<(const TNumberKey& o) const
    {
        return std::tie(Number, Starred, Suffix) < std::tie(o.Number, o.Starred, o.Suffix);
    }
};

TNumberKey NumberKey(QString number)
{
    TNumberKey key;
    if (number.contains(QChar(0x2605)) || number.contains('*')) {
        key.Starred = true;
        number.remove(QChar(0x2605)).remove('*');
    }
    qsizetype i = 0;
    while (i < number.size() && number[i].isDigit())
        ++i;
    key.Number = number.left(i).toInt();
    key.Suffix = number.mid(i);
    return key;
}

// A choice among official printings: the most recent one, then the set code.
struct TDated {
    QString Date;
    QString Code;
    bool Newer(const TDated& o) const { return std::tie(Date, Code) > std::tie(o.Date, o.Code); }
};

struct TRussianText {
    TDated When;
    QString Name; // the Russian name on that printing
    QString Type, Text, Flavor;
};

struct TRussianName {
    TDated When;
    QString Name;
};

// The most frequent translation of a word (ties: the smaller text).
class TVocabulary {
public:
    void Add(const QString& english, const QString& russian) { ++Counts[english][russian]; }
    std::optional<QString> Find(const QString& english) const
    {
        const auto it = Counts.find(english);
        if (it == Counts.end())
            return std::nullopt;
        const QString* best = nullptr;
        int most = 0;
        for (const auto& [russian, n] : it->second)
            if (n > most) {
                most = n;
                best = &russian;
            }
        return *best;
    }

private:
    std::map<QString, std::map<QString, int>> Counts;
};

struct TRussianData {
    std::map<QString, TRussianName> Names; // by English name
    std::map<QString, TRussianText> Texts; // by English name
    TVocabulary TypeLines;                  // whole type parts ("Legendary Creature")
    TVocabulary TypeWords;                  // single words
    std::map<QString, QString> Glossary;    // the project's decided types, words and phrases

    std::optional<QString> Decided(const QString& english) const
    {
        const auto it = Glossary.find(english);
        return it == Glossary.end() ? std::nullopt : std::optional<QString>(it->second);
    }

    QString TranslateType(const QString& englishType) const
    {
        QStringList out;
        for (const QString& half : TypeMarkup(englishType).split('/')) {
            QStringList parts;
            for (const QString& part : half.split(QStringLiteral(" - "))) {
                if (const auto whole = Decided(part)) {
                    parts << *whole;
                    continue;
                }
                if (const auto whole = TypeLines.Find(part)) {
                    parts << *whole;
                    continue;
                }
                QStringList words;
                for (const QString& word : part.split(' ', Qt::SkipEmptyParts))
                    words << Decided(word).value_or(TypeWords.Find(word).value_or(word));
                parts << words.join(' ');
            }
            out << parts.join(QStringLiteral(" - "));
        }
        return out.join('/');
    }
};

void ReadGlossaryTypes(const std::string& file, TRussianData& ru)
{
    if (file.empty())
        return;
    const QJsonObject glossary = ReadJsonObject(QFile::decodeName(file.c_str()));
    const QJsonObject types = glossary.value(QLatin1String("types")).toObject();
    for (auto it = types.begin(); it != types.end(); ++it)
        if (it.value().isString())
            ru.Glossary[it.key()] = it.value().toString();
}

void LearnTypeLine(TRussianData& ru, const QString& english, const QString& russian)
{
    const QStringList e = TypeMarkup(english).split(QStringLiteral(" - "));
    const QStringList r = TypeMarkup(russian).split(QStringLiteral(" - "));
    if (e.size() != r.size())
        return;
    for (qsizetype i = 0; i < e.size(); ++i) {
        if (i == 0)
            ru.TypeLines.Add(e[i], r[i]);
        const QStringList ew = e[i].split(' ', Qt::SkipEmptyParts);
        const QStringList rw = r[i].split(' ', Qt::SkipEmptyParts);
        if (ew.size() == rw.size())
            for (qsizetype k = 0; k < ew.size(); ++k)
                ru.TypeWords.Add(ew[k], rw[k]);
    }
}

TRussianData ReadRussian(const std::string& dir)
{
    TRussianData ru;
    if (dir.empty())
        return ru;
    const QDir folder(QFile::decodeName(dir.c_str()));
    if (!folder.exists())
        throw EMtgJsonError("No folder " + dir);
    // Release dates from the English files; the Russian-language files lack them.
    std::map<QString, QString> dates;
    const QStringList english = folder.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QString& file : english) {
        if (file.endsWith(QLatin1String(".ru.json")))
            continue;
        const QJsonObject set = ReadJsonObject(folder.filePath(file));
        const QString code = file.section('.', 0, 0);
        const TDated when{Str(set, "releaseDate"), code};
        dates[code] = when.Date;
        for (const QJsonValue& v : set.value(QLatin1String("cards")).toArray()) {
            const QJsonObject card = v.toObject();
            for (const QJsonValue& f : card.value(QLatin1String("foreignNames")).toArray()) {
                const QJsonObject foreign = f.toObject();
                if (Str(foreign, "language") != QLatin1String("Russian") || Str(foreign, "name").isEmpty())
                    continue;
                auto& slot = ru.Names[Plain1251(Str(card, "name"), QString(), {})];
                if (slot.Name.isEmpty() || when.Newer(slot.When))
                    slot = TRussianName{when, Str(foreign, "name")};
            }
        }
    }
    for (const QString& file : english) {
        if (!file.endsWith(QLatin1String(".ru.json")))
            continue;
        const QString code = file.section('.', 0, 0);
        const TDated when{dates.count(code) ? dates[code] : QString(), code};
        const QJsonObject set = ReadJsonObject(folder.filePath(file));
        for (const QJsonValue& v : set.value(QLatin1String("cards")).toArray()) {
            const QJsonObject card = v.toObject();
            const QString name = Plain1251(Str(card, "name"), QString(), {}); // as the records hold it
            LearnTypeLine(ru, Str(card, "type"), Str(card, "originalType"));
            auto it = ru.Texts.find(name);
            if (it != ru.Texts.end() && !when.Newer(it->second.When))
                continue;
            ru.Texts[name] = TRussianText{when, QString(), Str(card, "originalType"), Str(card, "originalText"),
                                          Str(card, "flavor")};
        }
    }
    // The Russian name each text's printing carried, to find it in the text.
    for (const QString& file : english) {
        if (file.endsWith(QLatin1String(".ru.json")))
            continue;
        const QString code = file.section('.', 0, 0);
        const QJsonObject set = ReadJsonObject(folder.filePath(file));
        for (const QJsonValue& v : set.value(QLatin1String("cards")).toArray()) {
            const QJsonObject card = v.toObject();
            auto it = ru.Texts.find(Plain1251(Str(card, "name"), QString(), {}));
            if (it == ru.Texts.end() || it->second.When.Code != code)
                continue;
            for (const QJsonValue& f : card.value(QLatin1String("foreignNames")).toArray())
                if (Str(f.toObject(), "language") == QLatin1String("Russian"))
                    it->second.Name = Str(f.toObject(), "name");
        }
    }
    return ru;
}

struct TExtraText {
    std::optional<QString> NameR, TypeR, TextR, FlavorR;
    // Fields whose own text corrects the official one (a later printing's wording
    // that names what the card's own time did not have, a lost paragraph break).
    QStringList Corrects;
    // The Russian of printings whose English differs from the first one's: (English
    // as printed, Russian).
    std::vector<std::pair<QString, QString>> OtherTexts, OtherFlavors;
    bool TextFromOther = false; // the record's TextR is one of OtherTexts
};

// The project's own Russian texts by (name, set); set "" stands for every set.
// One file of the project's own Russian texts into `extra`.
void ReadExtraFile(const QString& path, std::map<std::pair<QString, QString>, TExtraText>& extra)
{
    const std::string file = QFile::encodeName(path).toStdString();
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw EMtgJsonError("Cannot read " + file);
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(in.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        throw EMtgJsonError(file + ": not a JSON array: " + error.errorString().toStdString());
    std::set<std::pair<QString, QString>> ownFile; // the cards this file has entries for
    for (const QJsonValue& v : doc.array()) {
        const QJsonObject o = v.toObject();
        // Names and English texts as the records hold them (characters Windows-1251
        // lacks in their plain form: "El-Hajjâj" is "El-Hajjaj").
        const QString name = Plain1251(Str(o, "Name"), QString(), {});
        if (name.isEmpty())
            throw EMtgJsonError(file + ": an entry without \"Name\"");
        // A card that an earlier source has words for keeps them: a later source only
        // fills what it left out (in this file, a later entry of the same card goes over).
        const auto key = std::make_pair(name, Str(o, "Set"));
        const bool earlier = extra.count(key) && !ownFile.count(key);
        TExtraText& t = extra[key];
        ownFile.insert(key);
        const bool hadText = earlier && t.TextR, hadFlavor = earlier && t.FlavorR;
        auto take = [&](const char* field, std::optional<QString>& slot) {
            if (o.contains(QLatin1String(field)) && !(earlier && slot))
                slot = Str(o, field);
        };
        take("NameR", t.NameR);
        take("TypeR", t.TypeR);
        take("TextR", t.TextR);
        take("FlavorR", t.FlavorR);
        for (const QJsonValue& f : o.value(QLatin1String("Corrects")).toArray())
            t.Corrects << f.toString();
        for (const QJsonValue& other : o.value(QLatin1String("Other")).toArray()) {
            const QJsonObject x = other.toObject();
            if (x.contains(QLatin1String("Text")) && !hadText)
                t.OtherTexts.emplace_back(MarkSelfName(Plain1251(Str(x, "Text"), QString(), {}), name), Str(x, "TextR"));
            if (x.contains(QLatin1String("Flavor")) && !hadFlavor)
                t.OtherFlavors.emplace_back(Plain1251(FlavorMarkup(Str(x, "Flavor")), QString(), {}), Str(x, "FlavorR"));
        }
    }
}

// The project's own Russian texts by (name, set); set "" stands for every set. Each
// source is a file or a folder of files (read in name order); a later one's fields
// go over an earlier one's.
std::map<std::pair<QString, QString>, TExtraText> ReadExtra(const std::vector<std::string>& sources)
{
    std::map<std::pair<QString, QString>, TExtraText> extra;
    for (const std::string& source : sources) {
        const QString path = QFile::decodeName(source.c_str());
        if (QFileInfo(path).isDir()) {
            QDir dir(path);
            for (const QString& f : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
                ReadExtraFile(dir.filePath(f), extra);
        } else {
            ReadExtraFile(path, extra);
        }
    }
    return extra;
}

struct TRecord {
    QString Name, Set, Version, Color, Type, Cost, PwrTgh, Text, Flavor, Rarity, NameR, TypeR, TextR, FlavorR;
    int MtgEncID = 0;
    int CostValue = 0;
    TNumberKey Order;
    QStringList Halves; // the names of a split card's halves
    bool BasicLand = false;
};

QString RarityCode(const QString& rarity, const QString& where, const TReport& report)
{
    if (rarity == QLatin1String("Common") || rarity == QLatin1String("Basic Land"))
        return QStringLiteral("C");
    if (rarity == QLatin1String("Uncommon"))
        return QStringLiteral("U");
    if (rarity == QLatin1String("Rare") || rarity == QLatin1String("Mythic Rare"))
        return QStringLiteral("R");
    report(where + QStringLiteral(": unknown rarity \"%1\" taken as common").arg(rarity));
    return QStringLiteral("C");
}

// A basic land's text is its one mana symbol ("G" as printed).
QString BasicLandText(const QString& text)
{
    const QString t = text.trimmed();
    if (t.size() == 1 && QStringLiteral("WUBRG").contains(t[0]))
        return QStringLiteral("%") + t;
    if (t.size() == 3 && t[0] == '{' && t[2] == '}' && QStringLiteral("WUBRG").contains(t[1]))
        return QStringLiteral("%") + t[1];
    // The editions of the time spell the ability out: "{T}: Add {G} to your mana pool."
    static const QRegularExpression spelled(QStringLiteral("^\\{T\\}: Add \\{([WUBRG])\\} to your mana pool\\.?$"));
    const QRegularExpressionMatch m = spelled.match(t);
    if (m.hasMatch())
        return QStringLiteral("%") + m.captured(1);
    return QString();
}

// Paragraph breaks some Russian texts of the public data lost ("ПолетКаждый раз",
// "...Захватом.)Бдительность"): Russian never sets a capital right after a small
// letter, a full stop or a closing parenthesis within a word, so a break goes there.
QString RestoreParagraphs(const QString& text, const QString& where, const TReport& report)
{
    static const QRegularExpression glued(QStringLiteral("(?<=[а-яё.)])(?=[А-ЯЁ])"));
    QString out = text;
    qsizetype from = 0;
    for (;;) {
        const QRegularExpressionMatch m = glued.match(out, from);
        if (!m.hasMatch())
            break;
        const qsizetype at = m.capturedStart();
        const QString word = out.mid(at, out.indexOf(QRegularExpression(QStringLiteral("[\\s(]")), at) - at);
        report(where + QStringLiteral(": a lost paragraph break restored before \"%1\"").arg(word));
        out.insert(at, QChar('\n'));
        from = at + 1;
    }
    return out;
}

// The halves' type lines: one when they are the same, else joined by "/".
QString OneOrJoined(const QStringList& types)
{
    QStringList unique = types;
    unique.removeDuplicates();
    return unique.size() == 1 ? unique.front() : types.join('/');
}

} // namespace

void TMtgJsonImport::Run(TTable& table)
{
    Report.clear();
    const TReport report = [this](const QString& line) { Report.push_back(line.toStdString()); };
    TRussianData ru = ReadRussian(RussianDir);
    ReadGlossaryTypes(GlossaryFile, ru);
    const auto extra = ReadExtra(RussianExtraFiles);

    // The sets in the program's order, whatever the order of the files.
    std::map<size_t, QJsonObject> setsInOrder;
    std::vector<std::string> setFiles = SetFiles;
    if (!SetFolder.empty())
        for (const TSetInfo& info : AllSets())
            setFiles.push_back(SetFolder + "/" + std::string(info.MtgJson) + ".json");
    for (const std::string& path : setFiles) {
        QJsonObject set = ReadJsonObject(QFile::decodeName(path.c_str()));
        const std::string longCode = Str(set, "code").toStdString();
        const std::string code = SetCodeOf(longCode);
        if (code.empty())
            throw EMtgJsonError(path + ": the set " + longCode + " is not one the program knows");
        const size_t index = size_t(SetIndex(code));
        if (!setsInOrder.emplace(index, std::move(set)).second)
            throw EMtgJsonError(path + ": the set " + longCode + " is given twice");
    }

    std::vector<TRecord> records;
    for (const auto& [index, set] : setsInOrder) {
        const QString code = QString::fromStdString(std::string(AllSets()[index].Code));

        std::map<QString, std::vector<TRecord>> normal;              // by name
        std::map<std::pair<QString, int>, std::vector<QJsonObject>> split; // by names and id
        for (const QJsonValue& v : set.value(QLatin1String("cards")).toArray()) {
            const QJsonObject card = v.toObject();
            const QString name = Plain1251(Str(card, "name"), Str(card, "name") + " [" + code + "] Name", report);
            const QString where = name + QStringLiteral(" [") + code + QStringLiteral("]");
            if (Str(card, "layout") == QLatin1String("split")) {
                QStringList names;
                for (const QJsonValue& n : card.value(QLatin1String("names")).toArray())
                    names << n.toString();
                split[{names.join('/'), card.value(QLatin1String("multiverseid")).toInt()}].push_back(card);
                continue;
            }
            if (Str(card, "layout") != QLatin1String("normal"))
                report(where + QStringLiteral(": layout \"%1\" imported as a normal card").arg(Str(card, "layout")));
            TRecord r;
            r.Name = name;
            r.Set = code;
            r.Order = NumberKey(Str(card, "number"));
            r.Cost = CostMarkup(Str(card, "manaCost"), where + " Cost", report);
            r.Color = QString::fromStdString(ColorCodeFromCost(r.Cost.toStdString()));
            r.CostValue = int(card.value(QLatin1String("cmc")).toDouble());
            QString type = Str(card, "originalType");
            if (type.isEmpty()) {
                type = Str(card, "type");
                report(where + QStringLiteral(": no printed type line; the current one taken"));
            }
            r.Type = TypeMarkup(Plain1251(type, where + " Type", report));
            r.BasicLand = Str(card, "rarity") == QLatin1String("Basic Land") || r.Type.startsWith("Basic Land");
            const QString text = Plain1251(Str(card, "originalText"), where + " Text", report);
            r.Text = r.BasicLand && !BasicLandText(text).isEmpty() ? BasicLandText(text)
                                                                   : RulesMarkup(text, name, where + " Text", report);
            r.Flavor = FlavorMarkup(Plain1251(Str(card, "flavor"), where + " Flavor", report));
            r.Rarity = RarityCode(Str(card, "rarity"), where, report);
            if (card.contains(QLatin1String("power")) || card.contains(QLatin1String("toughness")))
                r.PwrTgh = Str(card, "power") + QChar('/') + Str(card, "toughness");
            r.MtgEncID = card.value(QLatin1String("multiverseid")).toInt();
            normal[name].push_back(std::move(r));
        }
        // Art variants: letters in collector number order.
        for (auto& [name, printings] : normal) {
            std::sort(printings.begin(), printings.end(),
                      [](const TRecord& a, const TRecord& b) { return a.Order < b.Order; });
            for (size_t i = 0; i < printings.size(); ++i) {
                if (printings.size() > 1)
                    printings[i].Version = QString(QChar('A' + int(i)));
                records.push_back(std::move(printings[i]));
            }
        }
        // Split cards: one record of the halves in the order their names give.
        for (auto& [key, halves] : split) {
            const QStringList names = key.first.split('/');
            std::sort(halves.begin(), halves.end(), [&](const QJsonObject& a, const QJsonObject& b) {
                return names.indexOf(Str(a, "name")) < names.indexOf(Str(b, "name"));
            });
            TRecord r;
            r.Name = Plain1251(key.first, key.first + " [" + code + "] Name", report);
            r.Set = code;
            r.Halves = r.Name.split('/');
            const QString where = r.Name + QStringLiteral(" [") + code + QStringLiteral("]");
            QStringList costs, types, texts, flavors;
            r.Order = NumberKey(Str(halves.front(), "number"));
            for (const QJsonObject& half : halves) {
                costs << CostMarkup(Str(half, "manaCost"), where + " Cost", report);
                types << TypeMarkup(Plain1251(Str(half, "originalType"), where + " Type", report));
                // A half whose printed text repeats another half's while their current
                // texts differ carries the other half's text by mistake (Deliver): its
                // current text stands in.
                QString text = Str(half, "originalText");
                for (const QJsonObject& other : halves)
                    if (&other != &half && Str(other, "originalText") == text && Str(other, "text") != Str(half, "text")
                        && &half > &other) {
                        report(where + QStringLiteral(": the printed text of %1 repeats %2's; its current text taken")
                                           .arg(Str(half, "name"), Str(other, "name")));
                        text = Str(half, "text");
                    }
                texts << RulesMarkup(Plain1251(text, where + " Text", report), QString(), where + " Text", report);
                const QString flavor = FlavorMarkup(Plain1251(Str(half, "flavor"), where + " Flavor", report));
                if (!flavor.isEmpty())
                    flavors << flavor;
                r.CostValue += int(half.value(QLatin1String("cmc")).toDouble());
                r.Order = std::min(r.Order, NumberKey(Str(half, "number")));
            }
            if (halves.size() != size_t(names.size()))
                report(where + QStringLiteral(": %1 halves found for %2 names").arg(halves.size()).arg(names.size()));
            r.Cost = costs.join('/');
            r.Color = QString::fromStdString(ColorCodeFromCost(r.Cost.toStdString()));
            r.Type = OneOrJoined(types);
            r.Text = texts.join(QStringLiteral(" // "));
            r.Flavor = flavors.join('\n');
            r.Rarity = RarityCode(Str(halves.front(), "rarity"), where, report);
            r.MtgEncID = key.second;
            records.push_back(std::move(r));
        }
    }

    // Russian: official, then the project's own, then the fallbacks.
    for (TRecord& r : records) {
        const QString where = r.Name + QStringLiteral(" [") + r.Set + QStringLiteral("]");
        const QStringList parts = r.Halves.isEmpty() ? QStringList{r.Name} : r.Halves;
        auto official = [&](auto get) -> std::optional<QString> {
            QStringList found;
            for (const QString& part : parts) {
                const std::optional<QString> one = get(part);
                if (!one || one->isEmpty())
                    return std::nullopt;
                found << *one;
            }
            return found.join(r.Halves.isEmpty() ? QString() : QStringLiteral("/"));
        };
        // A "Russian" name without a Cyrillic letter is the English one left in the
        // public data (Assault, Battery), not a translation.
        static const QRegularExpression cyrillic(QStringLiteral("[А-Яа-яЁё]"));
        auto nameOf = [&](const QString& part) -> std::optional<QString> {
            const auto it = ru.Names.find(part);
            if (it == ru.Names.end() || !cyrillic.match(it->second.Name).hasMatch())
                return std::nullopt;
            return it->second.Name;
        };
        auto textOf = [&](const QString& part) -> const TRussianText* {
            const auto it = ru.Texts.find(part);
            return it == ru.Texts.end() ? nullptr : &it->second;
        };
        std::optional<QString> nameR = official(nameOf);
        std::optional<QString> typeR, textR, flavorR;
        if (r.Halves.isEmpty()) {
            if (const TRussianText* t = textOf(r.Name)) {
                typeR = TypeMarkup(Plain1251(t->Type, where + " TypeR", report));
                const QString text = RestoreParagraphs(Plain1251(t->Text, where + " TextR", report),
                                                       where + " TextR", report);
                QString own = nameR.value_or(QString());
                QString marked = RulesMarkup(text, own, where + " TextR", report);
                if (!t->Name.isEmpty() && t->Name != own)
                    marked = MarkSelfName(marked, Plain1251(t->Name, where + " TextR", report));
                textR = r.BasicLand ? r.Text : marked;
                flavorR = FlavorMarkup(Plain1251(t->Flavor, where + " FlavorR", report));
            }
        } else {
            QStringList types, texts;
            bool all = true;
            for (const QString& half : r.Halves) {
                const TRussianText* t = textOf(half);
                if (!t) {
                    all = false;
                    break;
                }
                // A half whose Russian text holds the whole card's (both halves, "//"
                // and all) cannot be told apart from its other half.
                if (t->Text.contains(QStringLiteral("//"))) {
                    report(where + QStringLiteral(": the Russian text of %1 holds the whole card; not used").arg(half));
                    all = false;
                    break;
                }
                types << TypeMarkup(Plain1251(t->Type, where + " TypeR", report));
                texts << RulesMarkup(Plain1251(t->Text, where + " TextR", report), QString(), where + " TextR", report);
            }
            if (all) {
                typeR = OneOrJoined(types);
                textR = texts.join(QStringLiteral(" // "));
                flavorR = QString();
            }
        }
        if (nameR)
            nameR = Plain1251(*nameR, where + " NameR", report);

        // The project's own texts: for this set first, then for every set.
        TExtraText own;
        bool ownTextForSet = false, ownFlavorForSet = false;
        for (const QString& set : {r.Set, QString()}) {
            const auto it = extra.find({r.Name, set});
            if (it == extra.end())
                continue;
            if (!own.NameR) own.NameR = it->second.NameR;
            if (!own.TypeR) own.TypeR = it->second.TypeR;
            if (!own.TextR) own.TextR = it->second.TextR;
            if (!own.FlavorR) own.FlavorR = it->second.FlavorR;
            own.Corrects << it->second.Corrects;
            // A printing whose English differs from the first one's has words of its own
            // (never over an entry for this very set).
            const bool setEntry = !set.isEmpty();
            for (const auto& [english, russian] : it->second.OtherTexts)
                if (english == r.Text && !russian.isEmpty() && (setEntry || !ownTextForSet)) {
                    own.TextR = russian;
                    own.TextFromOther = true;
                }
            for (const auto& [english, russian] : it->second.OtherFlavors)
                if (english == r.Flavor && (setEntry || !ownFlavorForSet))
                    own.FlavorR = russian;
            if (setEntry) {
                ownTextForSet = own.TextR.has_value();
                ownFlavorForSet = own.FlavorR.has_value();
            }
        }
        auto choose = [&](const char* field, const std::optional<QString>& officialValue,
                          const std::optional<QString>& ownValue, const QString& fallback) {
            if (ownValue && own.Corrects.contains(QLatin1String(field)))
                return *ownValue;
            if (officialValue && !officialValue->isEmpty()) {
                // (A later printing's words of a card whose official text stands for every
                // printing are no text of ours that goes unused.)
                if (ownValue && *ownValue != *officialValue
                    && !(own.TextFromOther && field == QLatin1String("TextR")))
                    report(where + QStringLiteral(": the project's own %1 is not used: the official one stands")
                                       .arg(QLatin1String(field)));
                return *officialValue;
            }
            if (ownValue)
                return *ownValue;
            return fallback;
        };
        r.NameR = choose("NameR", nameR, own.NameR, r.Name);
        r.TypeR = choose("TypeR", typeR, own.TypeR, ru.TranslateType(r.Type));
        r.TextR = choose("TextR", textR, own.TextR, r.BasicLand ? r.Text : QString());
        // Our own flavour text first: an official one may belong to another text. A card
        // printed without flavour text has none in Russian either (a later printing's
        // flavour is not this card's).
        r.FlavorR = own.FlavorR ? *own.FlavorR : choose("FlavorR", flavorR, own.FlavorR, QString());
        if (r.Flavor.isEmpty())
            r.FlavorR.clear();
        // Nor has a card printed without rules text (the old Walls) any in Russian.
        if (r.Text.isEmpty())
            r.TextR.clear();
    }

    // The sets' order, then the collector numbers.
    auto setIndex = [](const QString& code) {
        return SetIndex(code.toStdString());
    };
    std::stable_sort(records.begin(), records.end(), [&](const TRecord& a, const TRecord& b) {
        const auto ia = setIndex(a.Set), ib = setIndex(b.Set);
        if (ia != ib)
            return ia < ib;
        if (a.Order < b.Order || b.Order < a.Order)
            return a.Order < b.Order;
        return std::tie(a.Name, a.Version) < std::tie(b.Name, b.Version);
    });

    // Into the table through the card base's own source form, which checks every field.
    QJsonArray cards;
    for (const TRecord& r : records) {
        QJsonObject o;
        o.insert("Name", r.Name);
        o.insert("Set", r.Set);
        o.insert("Version", r.Version);
        o.insert("Color", r.Color);
        o.insert("Type", r.Type);
        o.insert("Cost", r.Cost);
        o.insert("PwrTgh", r.PwrTgh);
        o.insert("Text", r.Text);
        o.insert("Flavor", r.Flavor);
        o.insert("Rarity", r.Rarity);
        o.insert("NameR", r.NameR);
        o.insert("TypeR", r.TypeR);
        o.insert("TextR", r.TextR);
        o.insert("FlavorR", r.FlavorR);
        o.insert("MtgEncID", r.MtgEncID);
        o.insert("CostValue", r.CostValue);
        cards.append(o);
    }
    const QByteArray json = QJsonDocument(cards).toJson(QJsonDocument::Compact);
    try {
        CardBaseFromJson(std::string_view(json.constData(), size_t(json.size())), table);
    } catch (const ECardBaseSourceError& e) {
        throw EMtgJsonError(std::string("The imported cards do not make a card base: ") + e.what());
    }
}
