// tomelark-tool render: draws one card of the card base the way the main window shows
// it and writes the picture as a PNG file.
#include "Tool.h"
#include "ToolDataModule.h"

#include "Library/Common/ExtUtils.h"
#include "data/CardText.h"
#include "data/Settings.h"
#include "render/Canvas.h"
#include "render/AppIcon.h"
#include "render/CardView.h"
#include "render/Fonts.h"

#include <QCoreApplication>
#include <QImage>
#include <QString>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "  tomelark-tool render --name NAME [--set SET] [--version V] [--lang 0|1|2] [--no-reminders]\n"
    "                       [--art 0|1] [--main DIR] [--grey] [--size WxH] [--base DIR] -o OUT.png\n"
    "      Draws the card NAME (English name, UTF-8) of the card base in DIR/data (default:\n"
    "      beside the tool) into a 24-bit picture of W x H pixels (default 300x433) and\n"
    "      writes it as PNG. Without --set the first card of that name in the card base's\n"
    "      order is drawn; V is the art variant, 1-7 or A-G. A card that is not in the card\n"
    "      base draws the card back. --lang: 0 Russian, 1 English names with Russian texts\n"
    "      (the default), 2 English. --no-reminders hides reminder text. --art: 0 the small\n"
    "      art pictures below DIR/images (the default), 1 the encyclopedia scans below the\n"
    "      game's folder (--main DIR). --grey draws the card as a greyscale print run does.\n";

std::string TakeValue(const std::vector<std::string>& args, size_t& i)
{
    if (i + 1 >= args.size())
        throw ToolUsageError{args[i] + " needs a value"};
    return args[++i];
}

int ParseChoice(const std::string& option, const std::string& value, int low, int high)
{
    if (value.size() == 1 && value[0] >= '0' + low && value[0] <= '0' + high)
        return value[0] - '0';
    throw ToolUsageError{option + ": '" + value + "' is not one of " + std::to_string(low) + ".." +
                         std::to_string(high)};
}

void ParseSize(const std::string& value, int& w, int& h)
{
    const size_t x = value.find_first_of("xX");
    auto number = [&](const std::string& s) {
        if (s.empty() || s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos)
            return -1;
        return std::stoi(s);
    };
    if (x != std::string::npos) {
        w = number(value.substr(0, x));
        h = number(value.substr(x + 1));
    }
    if (x == std::string::npos || w < 1 || h < 1 || w > 10000 || h > 10000)
        throw ToolUsageError{"--size: '" + value + "' is not WxH with sizes from 1 to 10000"};
}

// Converts a UTF-8 argument to the program's text.
std::string ArgumentText(const std::string& option, const std::string& value)
{
    bool ok = true;
    std::string text = Utf8ToWin1251(value, &ok);
    if (!ok)
        throw ToolUsageError{option + ": '" + value + "' has characters the card base cannot hold"};
    return text;
}

// Makes the card BaseTable's current record: by its key when the set is given, else the
// first card of that name (and variant, when given) in the card base's order.
bool FindCard(TData& data, const std::string& name, const std::string& set, const std::string& version)
{
    if (!set.empty())
        return data.LocateCard(name, set, version);
    TTable& base = data.BaseTable;
    for (base.First(); !base.Eof(); base.Next()) {
        if (base.FieldByName("Name").AsString() != name)
            continue;
        if (!version.empty() && base.FieldByName("Version").AsString() != version)
            continue;
        return true;
    }
    return false;
}

int RunRender(const std::vector<std::string>& argsIn)
{
    std::vector<std::string> args = argsIn;
    const std::string base = ToolBaseDir(args);

    std::string name, set, version, out, mainDir;
    bool haveName = false;
    int lang = 1, art = 0;
    bool reminders = true, grey = false;
    int w = 300, h = 433;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--name") {
            name = ArgumentText(a, TakeValue(args, i));
            haveName = true;
        } else if (a == "--set") {
            set = ArgumentText(a, TakeValue(args, i));
        } else if (a == "--version") {
            const std::string v = TakeValue(args, i);
            if (!(v.size() == 1 && ((v[0] >= '1' && v[0] <= '7') || (v[0] >= 'A' && v[0] <= 'G'))))
                throw ToolUsageError{"--version: '" + v + "' is not 1-7 or A-G"};
            version = NumberToVersion(v);
        } else if (a == "--lang") {
            lang = ParseChoice(a, TakeValue(args, i), 0, 2);
        } else if (a == "--no-reminders") {
            reminders = false;
        } else if (a == "--art") {
            art = ParseChoice(a, TakeValue(args, i), 0, 1);
        } else if (a == "--main") {
            mainDir = TakeValue(args, i);
        } else if (a == "--grey") {
            grey = true;
        } else if (a == "--size") {
            ParseSize(TakeValue(args, i), w, h);
        } else if (a == "-o") {
            out = TakeValue(args, i);
        } else {
            throw ToolUsageError{"unknown argument '" + a + "'"};
        }
    }
    if (!haveName || name.empty())
        throw ToolUsageError{"--name is required"};
    if (out.empty())
        throw ToolUsageError{"-o OUT.png is required"};

    TToolDataModule data(base);
    RegisterToolFonts();

    CardTextType = uint8_t(lang);
    DrawReminderText = reminders;
    ArtImageType = art;
    if (!mainDir.empty())
        MainDir = mainDir;
    PrintGrayscale = grey;
    IsPrinting = grey;

    TCard card;
    if (FindCard(*data, name, set, version)) {
        data->ReadCard(card);
    } else {
        TData::ClearCard(card);
        std::fprintf(stderr, "tomelark-tool render: no card %s%s%s in the card base; drawing the card back\n",
                     Win1251ToUtf8(name).c_str(), set.empty() ? "" : " in set ", Win1251ToUtf8(set).c_str());
    }

    QImage picture(w, h, QImage::Format_RGB888);
    picture.fill(Qt::white);
    {
        TCanvas canvas(picture);
        DrawCard(card, canvas, TRect{0, 0, w, h});
    }
    IsPrinting = false;
    if (!picture.save(QString::fromStdString(out), "PNG"))
        throw Exception("Cannot write the picture file " + Utf8ToWin1251(out));
    return 0;
}

const char kIconUsage[] =
    "  tomelark-tool icon -o DIR\n"
    "      Writes the application icon as an icon theme below DIR: hicolor/scalable/apps/\n"
    "      tomelark.svg and hicolor/NxN/apps/tomelark.png in the usual sizes.\n";

int RunIcon(const std::vector<std::string>& args)
{
    if (args.size() != 2 || args[0] != "-o")
        throw ToolUsageError{"icon needs -o DIR"};
    WriteAppIconTheme(args[1], "tomelark");
    return 0;
}

} // namespace

TOMELARK_TOOL_COMMAND(render, "render", kUsage, RunRender);
TOMELARK_TOOL_COMMAND(icon, "icon", kIconUsage, RunIcon);
