// tomelark-tool cards: the card list as the main window shows it, through the same
// record filter and sort index.
#include "Tool.h"
#include "ToolDataModule.h"

#include "Library/Common/ExtUtils.h"
#include "data/CardText.h"
#include "data/Settings.h"

#include <cstdio>

namespace {

const char kUsage[] =
    "  tomelark-tool cards [--base DIR] [--sets CODES] [--types LIST] [--colors LIST] [--exact]\n"
    "                      [--sort name|cost] [--lang 0|1|2]\n"
    "      The card list of the card base in DIR/data (default: beside the tool) as the\n"
    "      program shows it: every card that passes the filter, in the list's order, one\n"
    "      per line as name<TAB>set<TAB>variant number (empty for a card without variant),\n"
    "      then \"Выбрано: \" and the count. CODES: set codes separated by commas (7E,IN,...).\n"
    "      LIST: 1-based positions, separated by commas, of the classes let through;\n"
    "      types 1 artifact 2 instant 3 enchantment 4 sorcery 5 creature 6 land; colours\n"
    "      1 white 2 green 3 red 4 blue 5 black 6 multicoloured 7 colourless 8 no cost.\n"
    "      An empty list lets nothing through; a group not given lets everything through.\n"
    "      --exact: multicoloured cards pass when all their colours are let through.\n"
    "      --lang: 0 Russian names (the default), 1 and 2 English names. Output UTF-8.\n";

std::vector<std::string> SplitCommas(const std::string& text)
{
    std::vector<std::string> parts;
    if (text.empty())
        return parts;
    size_t start = 0;
    while (true) {
        size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return parts;
}

template <size_t N>
void ReadPositions(const std::string& option, const std::string& list, std::array<bool, N>& flags)
{
    flags.fill(false);
    for (const auto& part : SplitCommas(list)) {
        size_t used = 0;
        int position = 0;
        try {
            position = std::stoi(part, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != part.size() || position < 1 || position > int(N))
            throw ToolUsageError{option + ": '" + part + "' is not a position from 1 to " + std::to_string(N)};
        flags[size_t(position - 1)] = true;
    }
}

std::string TakeValue(std::vector<std::string>& args, size_t& i)
{
    if (i + 1 >= args.size())
        throw ToolUsageError{args[i] + " needs a value"};
    return args[++i];
}

int RunCards(const std::vector<std::string>& argsIn)
{
    std::vector<std::string> args = argsIn;
    const std::string base = ToolBaseDir(args);

    bool haveSets = false, haveTypes = false, haveColors = false, exact = false;
    std::string sets, types, colors;
    int sortChoice = 0;
    int lang = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--sets") {
            sets = TakeValue(args, i);
            haveSets = true;
        } else if (a == "--types") {
            types = TakeValue(args, i);
            haveTypes = true;
        } else if (a == "--colors") {
            colors = TakeValue(args, i);
            haveColors = true;
        } else if (a == "--exact") {
            exact = true;
        } else if (a == "--sort") {
            const std::string v = TakeValue(args, i);
            if (v != "name" && v != "cost")
                throw ToolUsageError{"--sort takes name or cost"};
            sortChoice = v == "cost" ? 1 : 0;
        } else if (a == "--lang") {
            const std::string v = TakeValue(args, i);
            if (v != "0" && v != "1" && v != "2")
                throw ToolUsageError{"--lang takes 0, 1 or 2"};
            lang = v[0] - '0';
        } else {
            throw ToolUsageError{"unknown argument '" + a + "'"};
        }
    }

    TToolDataModule data(base);
    if (haveSets) {
        data->SetAllSetFilters(false);
        for (const auto& given : SplitCommas(sets)) {
            // Any of a set's codes: the program's, MTGJSON's, other programs'.
            const std::string code = SetCodeOf(given);
            if (code.empty()) {
                std::string known;
                for (const TSetInfo& s : AllSets())
                    known += (known.empty() ? "" : ",") + std::string(s.Code);
                throw ToolUsageError{"--sets: '" + given + "' is not one of " + known};
            }
            data->SetSetFilter(code, true);
        }
    }
    if (haveTypes)
        ReadPositions("--types", types, data->FilterTypes);
    if (haveColors)
        ReadPositions("--colors", colors, data->FilterColors);
    data->FilterMultiExact = exact;
    data->SortChoice = sortChoice;
    CardTextType = uint8_t(lang);

    // What the main window does after its filter dialog: the sort index, then the
    // records filtered again with the new flags.
    data->ApplySortChoice();
    data->SelectCardListIndex();
    data->RefilterCards();

    TTable& cards = data->CardsTable;
    TField& name = cards.FieldByName(lang == 0 ? "NameR" : "Name");
    TField& set = cards.FieldByName("Set");
    TField& version = cards.FieldByName("Version");
    std::string out;
    for (cards.First(); !cards.Eof(); cards.Next()) {
        const int number = VersionToNumber(version.AsString());
        out += name.AsString();
        out += '\t';
        out += set.AsString();
        out += '\t';
        if (number > 0)
            out += std::to_string(number);
        out += '\n';
    }
    out += Utf8ToWin1251("Выбрано: ") + std::to_string(data->FilteredCount()) + "\n";
    const std::string utf8 = Win1251ToUtf8(out);
    if (std::fwrite(utf8.data(), 1, utf8.size(), stdout) != utf8.size() || std::fflush(stdout) != 0)
        throw Exception("Cannot write to standard output");
    return 0;
}

} // namespace

TOMELARK_TOOL_COMMAND(cards, "cards", kUsage, RunCards);
