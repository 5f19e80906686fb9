#include "CardList.h"

#include "Library/Common/ExtUtils.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <set>
#include <utility>

namespace {

std::string Field(const QJsonObject& o, const char* key)
{
    return o.value(QLatin1String(key)).toString().toStdString();
}

// Splits at the first `marker`: the whole text and "" when there is none.
std::pair<std::string, std::string> SplitAt(const std::string& text, const std::string& marker)
{
    const size_t at = text.find(marker);
    if (at == std::string::npos)
        return {text, ""};
    return {text.substr(0, at), text.substr(at + marker.size())};
}

// The colour code of a cost: its one colour, "Z" for several, "A" for none, "L" for
// no cost at all.
std::string ColourOfCost(const std::string& cost)
{
    std::string colours;
    for (char c : cost)
        if (std::string("WBUGR").find(c) != std::string::npos && colours.find(c) == std::string::npos)
            colours += c;
    if (cost.empty())
        return "L";
    if (colours.empty())
        return "A";
    return colours.size() == 1 ? colours : "Z";
}

} // namespace

std::string ArtFileName(const std::string& name, const std::string& version)
{
    std::string result;
    for (char c : name)
        if (c != ':' && c != '"')
            result += c;
    if (!version.empty())
        result += " (" + std::to_string(static_cast<unsigned char>(version[0]) & 7) + ")";
    return result;
}

std::vector<TArtJob> ReadArtJobs(const QString& jsonPath)
{
    QFile file(jsonPath);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception("Cannot read the card list " + jsonPath.toStdString());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        throw Exception("The card list " + jsonPath.toStdString() + " is not a JSON array of cards: "
                        + error.errorString().toStdString());
    std::vector<TArtJob> jobs;
    std::set<std::pair<std::string, std::string>> seen;
    auto add = [&](TArtJob job) {
        if (job.Set.empty() || job.FileName.empty() || job.Set.find('/') != std::string::npos
            || job.FileName.find('/') != std::string::npos || job.Set[0] == '.')
            return;
        if (seen.insert({job.Set, job.FileName}).second)
            jobs.push_back(std::move(job));
    };
    for (const QJsonValue& v : doc.array()) {
        const QJsonObject o = v.toObject();
        const std::string name = Field(o, "Name"), set = Field(o, "Set");
        TArtCard card{"", name, Field(o, "Color"), Field(o, "Type"), Field(o, "Cost"), Field(o, "Text")};
        if (name.find('/') == std::string::npos) {
            card.ArtName = ArtFileName(name, Field(o, "Version"));
            add({set, card.ArtName, card});
            continue;
        }
        // A split card: each half is a card of its own with its own picture.
        const auto names = SplitAt(name, "/");
        const auto types = SplitAt(card.Type, "/"), costs = SplitAt(card.Cost, "/");
        const auto texts = SplitAt(card.Text, " // ");
        // Each half takes its colour from its own cost (the card's code covers both).
        TArtCard first{ArtFileName(names.first, ""), names.first, ColourOfCost(costs.first), types.first,
                       costs.first, texts.first};
        TArtCard second{ArtFileName(names.second, ""), names.second, ColourOfCost(costs.second),
                        types.second.empty() ? types.first : types.second, costs.second, texts.second};
        add({set, first.ArtName, first});
        add({set, second.ArtName, second});
    }
    return jobs;
}
