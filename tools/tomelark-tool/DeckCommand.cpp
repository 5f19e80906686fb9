// tomelark-tool deck: reads deck files the way the program opens them, and writes
// the deck's id list file.
#include "Tool.h"
#include "ToolDataModule.h"

#include "Library/Common/ExtUtils.h"

#include <cstdio>

namespace {

const char kUsage[] =
    "  tomelark-tool deck show FILE [--base DIR]\n"
    "      Reads the deck file as the program opens it and prints the deck as the program\n"
    "      saves it (name and note lines, then \"  4 [7E] Llanowar Elves\" per entry, each\n"
    "      line ended by CR LF), converted from Windows-1251 to UTF-8. A line whose card\n"
    "      is not in the card base is reported on standard error and left out. An error\n"
    "      that stops reading prints the deck read so far, then the error (exit 1).\n"
    "  tomelark-tool deck convert FILE -o OUT [--base DIR]\n"
    "      Reads a deck file of any format the program opens (.mdc, text lists of Arena,\n"
    "      MTGO, Moxfield, XMage, Forge and Magic Workstation, Cockatrice .cod, MTGO .dek,\n"
    "      CSV) and writes it in the format of OUT's extension: .mdc, .txt, .cod or .dek.\n"
    "  tomelark-tool deck ids FILE -o OUT [--base DIR]\n"
    "      Writes the deck's id list file OUT: the number of ids N, the N encyclopedia ids\n"
    "      of all copies in deck order, and 0, each a little-endian 32-bit integer.\n";

void WriteOut(FILE* stream, const std::string& utf8)
{
    if (std::fwrite(utf8.data(), 1, utf8.size(), stream) != utf8.size() || std::fflush(stream) != 0)
        throw Exception("Cannot write the output");
}

// Loads the deck; every card line without a card is told on standard error.
void LoadForTool(TData& data, const std::string& file)
{
    data.OnDeckCardNotFound = [](const std::string& caption, const std::string& text) {
        WriteOut(stderr, Win1251ToUtf8(caption + ": " + text) + "\n");
    };
    data.LoadDeck(file);
}

int Show(TData& data, const std::string& file)
{
    try {
        LoadForTool(data, file);
    } catch (const Exception&) {
        // Reading stopped: what was read so far is still the deck. A file that could
        // not be opened leaves the deck empty, and nothing is printed for it.
        if (!data.DeckFileName.empty())
            WriteOut(stdout, Win1251ToUtf8(data.DeckFileText()));
        throw;
    }
    WriteOut(stdout, Win1251ToUtf8(data.DeckFileText()));
    return 0;
}

int RunDeck(const std::vector<std::string>& argsIn)
{
    std::vector<std::string> args = argsIn;
    const std::string base = ToolBaseDir(args);
    if (args.empty())
        throw ToolUsageError{"missing subcommand: show, convert or ids"};
    const std::string sub = args[0];
    if (sub == "show") {
        if (args.size() != 2)
            throw ToolUsageError{"show takes FILE"};
        TToolDataModule data(base);
        return Show(*data, args[1]);
    }
    if (sub == "ids" || sub == "convert") {
        std::string file, out;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "-o") {
                if (i + 1 >= args.size())
                    throw ToolUsageError{"-o needs a file"};
                out = args[++i];
            } else if (file.empty()) {
                file = args[i];
            } else {
                throw ToolUsageError{"unexpected argument '" + args[i] + "'"};
            }
        }
        if (file.empty() || out.empty())
            throw ToolUsageError{sub + " takes FILE -o OUT"};
        TToolDataModule data(base);
        LoadForTool(*data, file);
        if (sub == "ids")
            data->SaveDeckEncIDs(out);
        else
            data->SaveDeck(out);
        return 0;
    }
    throw ToolUsageError{"unknown subcommand '" + sub + "'"};
}

} // namespace

TOMELARK_TOOL_COMMAND(deck, "deck", kUsage, RunDeck);
