// The Russian of the bundled card base: every record reads in Russian; the project's
// own texts keep every symbol and marker of the English and use the glossary's
// keywords; no two cards share a Russian name.
#include "DataTestSupport.h"

#include "data/CardBaseJson.h"
#include "data/MtgJsonImport.h"
#include "data/TableEngine.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <map>
#include <set>

namespace {

QJsonDocument ReadJson(const char* path)
{
    QFile f(QString::fromUtf8(path));
    if (!f.open(QIODevice::ReadOnly))
        return QJsonDocument();
    return QJsonDocument::fromJson(f.readAll());
}

std::multiset<QString> Symbols(const QString& text)
{
    std::multiset<QString> out;
    static const QRegularExpression symbol(QStringLiteral("%."));
    for (auto it = symbol.globalMatch(text); it.hasNext();)
        out.insert(it.next().captured());
    return out;
}

int Count(const QString& text, const QString& what)
{
    return int(text.count(what));
}

class RussianTexts : public ::testing::Test {
protected:
    void SetUp() override
    {
        Base = ReadJson(TOMELARK_SOURCE_DIR "/assets/cardbase.json").array();
        ASSERT_GT(Base.size(), 1900);
        // The project's own texts: a field of these files is ours (an earlier file's
        // words for a card stand over a later one's); any other Russian text is an
        // official one (or a basic land's mana symbol).
        QStringList files{QStringLiteral(TOMELARK_SOURCE_DIR "/assets/cardbase-russian.json")};
        const QDir translations(QStringLiteral(TOMELARK_SOURCE_DIR "/assets/translations"));
        for (const QString& f : translations.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name))
            files << translations.filePath(f);
        for (const QString& file : files) {
            std::set<std::pair<QString, QString>> seen;
            for (const QJsonValue& v : ReadJson(file.toUtf8().constData()).array()) {
                const QJsonObject o = v.toObject();
                const std::pair<QString, QString> key{mtgjson::Plain1251(o["Name"].toString(), QString(), {}),
                                                      o["Set"].toString()};
                const bool earlier = Own.count(key) && !seen.count(key);
                seen.insert(key);
                QJsonObject& into = Own[key];
                for (const char* field : {"TextR", "FlavorR"})
                    if (o.contains(QLatin1String(field)) && !(earlier && into.contains(QLatin1String(field))))
                        into[QLatin1String(field)] = o[QLatin1String(field)];
                if (!(earlier && into.contains(QLatin1String("TextR"))))
                    for (const QJsonValue& x : o["Other"].toArray())
                        if (x.toObject().contains(QLatin1String("Text")))
                            OtherTexts[key][mtgjson::Plain1251(x.toObject()["Text"].toString(), QString(), {})
                                                .replace(key.first, QStringLiteral("~this~"))] =
                                x.toObject()["TextR"].toString();
            }
        }
        const QJsonObject glossary = ReadJson(TOMELARK_SOURCE_DIR "/assets/glossary-ru.json").object();
        Keywords = glossary["keywords"].toObject();
        ASSERT_FALSE(Keywords.isEmpty());
    }

    // The project's own value of a field for a record (its set first, then every set;
    // the words of a later printing whose English is the record's go before). `fromOther`
    // tells that the value is such words, which an official text stands over.
    QString OwnField(const QJsonObject& card, const char* field, bool* fromOther = nullptr) const
    {
        if (fromOther)
            *fromOther = false;
        const QString name = card["Name"].toString();
        if (QLatin1String(field) == QLatin1String("TextR")) {
            const bool forSet = Own.count({name, card["Set"].toString()})
                                && Own.at({name, card["Set"].toString()}).contains(QLatin1String("TextR"));
            for (const QString& set : {card["Set"].toString(), QString()}) {
                const auto it = OtherTexts.find({name, set});
                if (it == OtherTexts.end() || (set.isEmpty() && forSet))
                    continue;
                const auto alt = it->second.find(card["Text"].toString());
                if (alt != it->second.end() && !alt->second.isEmpty()) {
                    if (fromOther)
                        *fromOther = true;
                    return alt->second;
                }
            }
        }
        for (const QString& set : {card["Set"].toString(), QString()}) {
            const auto it = Own.find({name, set});
            if (it != Own.end() && it->second.contains(QLatin1String(field)))
                return it->second[QLatin1String(field)].toString();
        }
        return QString();
    }

    QJsonArray Base;
    std::map<std::pair<QString, QString>, QJsonObject> Own;
    std::map<std::pair<QString, QString>, std::map<QString, QString>> OtherTexts;
    QJsonObject Keywords;
};

} // namespace

TEST_F(RussianTexts, EveryRecordReadsInRussian)
{
    static const QRegularExpression cyrillic(QStringLiteral("[А-Яа-я]"));
    for (const QJsonValue& v : Base) {
        const QJsonObject c = v.toObject();
        SCOPED_TRACE((c["Name"].toString() + " [" + c["Set"].toString() + "]").toStdString());
        EXPECT_TRUE(cyrillic.match(c["NameR"].toString()).hasMatch()) << c["NameR"].toString().toStdString();
        EXPECT_TRUE(cyrillic.match(c["TypeR"].toString()).hasMatch()) << c["TypeR"].toString().toStdString();
        const QString text = c["Text"].toString();
        // A basic land's text is its mana symbol, in either language.
        const bool symbolOnly = QRegularExpression(QStringLiteral("^(%.)+$")).match(text).hasMatch();
        if (!text.isEmpty() && !symbolOnly)
            EXPECT_TRUE(cyrillic.match(c["TextR"].toString()).hasMatch()) << text.toStdString();
        if (!c["Flavor"].toString().isEmpty())
            EXPECT_TRUE(cyrillic.match(c["FlavorR"].toString()).hasMatch()) << c["Flavor"].toString().toStdString();
    }
}

TEST_F(RussianTexts, OurTextsKeepEverySymbolAndMarkerAndTheKeywords)
{
    int own = 0;
    for (const QJsonValue& v : Base) {
        const QJsonObject c = v.toObject();
        bool fromOther = false;
        const QString ours = OwnField(c, "TextR", &fromOther);
        if (ours.isEmpty() || (fromOther && ours != c["TextR"].toString()))
            continue; // (a later printing's words that the official text stands over)
        if (c["Text"].toString().isEmpty()) {
            EXPECT_EQ(c["TextR"].toString(), QString()) << "a card printed without rules text has none in Russian";
            continue;
        }
        ++own;
        const QString text = c["Text"].toString();
        const QString textR = c["TextR"].toString();
        SCOPED_TRACE((c["Name"].toString() + " [" + c["Set"].toString() + "]").toStdString());
        EXPECT_EQ(textR, ours); // the project's own text is the one in the base
        EXPECT_EQ(Symbols(text), Symbols(textR));
        EXPECT_EQ(Count(text, "#("), Count(textR, "#("));
        EXPECT_EQ(Count(text, ")#"), Count(textR, ")#"));
        EXPECT_EQ(Count(text, " // "), Count(textR, " // "));
        const QStringList paragraphs = text.split('\n'), paragraphsR = textR.split('\n');
        ASSERT_EQ(paragraphs.size(), paragraphsR.size());
        // A paragraph that starts with a keyword starts with its Russian keyword.
        for (qsizetype i = 0; i < paragraphs.size(); ++i)
            for (auto k = Keywords.begin(); k != Keywords.end(); ++k) {
                const QString& p = paragraphs[i];
                // A keyword used as one: alone, before another keyword, its cost or
                // its reminder ("Flashback costs ..." is a sentence about it).
                static const QRegularExpression use(QStringLiteral("^($|[,;]| %| #\\(| - | \\d| [a-z]+$)"));
                const bool keyword = k.value().isString() && p.startsWith(k.key())
                                     && use.match(p.mid(k.key().size())).hasMatch();
                if (keyword)
                    EXPECT_TRUE(paragraphsR[i].startsWith(k.value().toString()))
                        << p.toStdString() << " -> " << paragraphsR[i].toStdString();
            }
    }
    EXPECT_GT(own, 1000);
}

TEST_F(RussianTexts, NoTwoCardsShareARussianName)
{
    std::map<QString, QString> byRussian;
    for (const QJsonValue& v : Base) {
        const QJsonObject c = v.toObject();
        const auto [it, fresh] = byRussian.emplace(c["NameR"].toString(), c["Name"].toString());
        if (!fresh)
            EXPECT_EQ(it->second, c["Name"].toString()) << c["NameR"].toString().toStdString();
    }
}
