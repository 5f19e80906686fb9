// tomelark-tool print: prints a deck file as proxy cards with the print run of the
// program's print dialog, onto page bitmaps, a PDF file or an installed printer.
#include "Tool.h"
#include "ToolDataModule.h"

#include "Library/Common/ExtUtils.h"
#include "data/Settings.h"
#include "print/Print.h"

#include <QFile>
#include <QPrinter>
#include <QPrinterInfo>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

namespace {

const char kUsage[] =
    "  tomelark-tool print DECK [--bmp [DIR] | --pdf FILE | --printer NAME] [--small] [--grey]\n"
    "                      [--backs] [--pages A-B] [--paper WxH] [--layout] [--base DIR]\n"
    "      Prints the deck file as proxy cards, as the program's print dialog does:\n"
    "      --bmp DIR      page bitmaps DIR/pageN.bmp, 5 x 5 cards at 300 dpi (DIR defaults to\n"
    "                     preprint/ below the program);\n"
    "      --pdf FILE     a PDF file, paper --paper WxH in millimetres (default 210x297) less\n"
    "                     5 mm on every side;\n"
    "      --printer NAME that installed printer; with no output option the system's default.\n"
    "      --small reduced size, --grey the grey print, --backs card backs instead of faces,\n"
    "      --pages A-B only those pages of the job (limited to the job as in the dialog).\n"
    "      --layout prints the paper size, cards per page and page count, and nothing more.\n"
    "      A deck line whose card is not in the card base stops the command before any\n"
    "      output (exit 1). Progress goes to standard error.\n";

std::string W(const char* utf8)
{
    return Utf8ToWin1251(utf8);
}

void Err(const std::string& text1251)
{
    const std::string utf8 = Win1251ToUtf8(text1251) + "\n";
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}

class TToolFeedback : public TPrintFeedback {
public:
    void Status(const std::string& text) override
    {
        if (text != Last)
            Err(text);
        Last = text;
    }
    void Busy(bool) override {}
    void Message(const std::string& text) override
    {
        std::string lines = text;
        for (size_t at; (at = lines.find("\n\r")) != std::string::npos;)
            lines.replace(at, 2, "\n");
        Err(lines);
    }

private:
    std::string Last;
};

int ParsePositive(const std::string& text, const char* what)
{
    size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || text.empty())
        throw ToolUsageError{std::string(what) + ": '" + text + "' is not a number"};
    return value;
}

struct TPrintArgs {
    std::string Deck, Bmp, Pdf, PrinterName;
    bool BmpGiven = false, Small = false, Grey = false, Backs = false, Layout = false;
    std::optional<std::pair<int, int>> Pages;
    std::optional<std::pair<double, double>> Paper;
};

TPrintArgs ParseArgs(const std::vector<std::string>& args)
{
    TPrintArgs a;
    int outputs = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw ToolUsageError{arg + " needs a value"};
            return args[++i];
        };
        if (arg == "--bmp") {
            // The folder may be left out: the program's own "preprint" folder.
            if (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0)
                a.Bmp = args[++i];
            a.BmpGiven = true;
            ++outputs;
        } else if (arg == "--pdf") {
            a.Pdf = value();
            ++outputs;
        } else if (arg == "--printer") {
            a.PrinterName = value();
            ++outputs;
        } else if (arg == "--small") {
            a.Small = true;
        } else if (arg == "--grey") {
            a.Grey = true;
        } else if (arg == "--backs") {
            a.Backs = true;
        } else if (arg == "--layout") {
            a.Layout = true;
        } else if (arg == "--pages") {
            const std::string& v = value();
            const size_t dash = v.find('-');
            const std::string from = dash == std::string::npos ? v : v.substr(0, dash);
            const std::string to = dash == std::string::npos ? v : v.substr(dash + 1);
            a.Pages = {ParsePositive(from, "--pages"), ParsePositive(to, "--pages")};
            if (a.Pages->first > a.Pages->second)
                throw ToolUsageError{"--pages " + v + ": the first page comes after the last"};
        } else if (arg == "--paper") {
            const std::string& v = value();
            const size_t x = v.find_first_of("xX");
            if (x == std::string::npos)
                throw ToolUsageError{"--paper takes WxH in millimetres"};
            const int w = ParsePositive(v.substr(0, x), "--paper");
            const int h = ParsePositive(v.substr(x + 1), "--paper");
            if (w <= 0 || h <= 0 || w > 5000 || h > 5000)
                throw ToolUsageError{"--paper: " + v + " is not a paper size"};
            a.Paper = {w, h};
        } else if (!arg.empty() && arg[0] == '-') {
            throw ToolUsageError{"unknown option '" + arg + "'"};
        } else if (a.Deck.empty()) {
            a.Deck = arg;
        } else {
            throw ToolUsageError{"unexpected argument '" + arg + "'"};
        }
    }
    if (a.Deck.empty())
        throw ToolUsageError{"print takes a DECK file"};
    if (outputs > 1)
        throw ToolUsageError{"give one of --bmp, --pdf and --printer"};
    if (a.Paper && a.Pdf.empty())
        throw ToolUsageError{"--paper goes with --pdf"};
    return a;
}

int RunPrint(const std::vector<std::string>& argsIn)
{
    std::vector<std::string> rest = argsIn;
    const std::string base = ToolBaseDir(rest);
    const TPrintArgs a = ParseArgs(rest);

    TToolDataModule data(base);
    RegisterToolFonts();
    bool missing = false;
    data->OnDeckCardNotFound = [&missing](const std::string& caption, const std::string& text) {
        Err(caption + ": " + text);
        missing = true;
    };
    data->LoadDeck(a.Deck);
    // A proxy sheet silently missing a card is worse than none.
    if (missing)
        throw Exception(W("Колода не напечатана: в базе карт нет некоторых её карт"));

    PrintForPlayCard = a.Small;
    PrintGrayscale = a.Grey;

    TPrintRun run;
    run.DeckData = &*data;
    QPrinter printer(QPrinter::HighResolution);
    if (a.BmpGiven) {
        run.ToBitmapFiles = true;
        run.BitmapFolder = a.Bmp;
    } else if (!a.Pdf.empty()) {
        MakePdfPrinter(printer, a.Paper ? a.Paper->first : 210, a.Paper ? a.Paper->second : 297);
        printer.setOutputFileName(QFile::decodeName(a.Pdf.c_str()));
        run.Printer = &printer;
    } else {
        QString name = QString::fromStdString(a.PrinterName);
        if (name.isEmpty()) {
            name = QPrinterInfo::defaultPrinterName();
            if (name.isEmpty())
                throw Exception("no default printer: give --printer NAME, --pdf FILE or --bmp DIR");
        }
        const QPrinterInfo info = QPrinterInfo::printerInfo(name);
        if (info.isNull())
            throw Exception("no installed printer is named '" + name.toStdString() + "'");
        printer.setPrinterName(name);
        PreparePrinter(printer);
        run.Printer = &printer;
    }
    run.UpdateLayout();
    if (a.Pages) {
        run.SelectPages = true;
        run.SetRange(a.Pages->first, a.Pages->second);
    }
    if (a.Layout) {
        const std::string text = W("Размер страницы: ") + run.PaperSizeText() + "\n" + W("Карт на странице: ")
                                 + std::to_string(run.CardsPerPage()) + "\n" + W("Всего страниц: ")
                                 + std::to_string(run.LastPage) + "\n";
        const std::string utf8 = Win1251ToUtf8(text);
        std::fwrite(utf8.data(), 1, utf8.size(), stdout);
        return 0;
    }
    if (data->DeckTotal <= 0)
        throw Exception(W("Колода пуста: печатать нечего"));

    TToolFeedback feedback;
    run.Feedback = &feedback;
    run.PrintBackSides = a.Backs;
    try {
        run.PrintCards();
    } catch (...) {
        // No output of a failed run is left behind.
        for (const std::string& file : run.SavedFiles) {
            std::error_code ec;
            std::filesystem::remove(file, ec);
        }
        throw;
    }
    return 0;
}

} // namespace

TOMELARK_TOOL_COMMAND(print, "print", kUsage, RunPrint);
