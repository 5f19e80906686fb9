// tomelark-tool cardbase: the card base file and its JSON source.
//   export [CDS]        the card base as JSON (UTF-8) on standard output
//   import JSON -o CDS  builds a card base file from a JSON source
#include "Tool.h"

#include "Library/Common/ExtUtils.h"
#include "Library/Common/PackStream.h"
#include "data/CardBaseJson.h"
#include "data/MtgJsonImport.h"
#include "Library/Common/FileUtils.h"
#include "data/TableEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <cstdio>

namespace {

const char* const Usage =
    "  tomelark-tool cardbase export [CDS] [--base DIR]\n"
    "      write the card base CDS (a plain file or a member of a pack file; default: the\n"
    "      data store's data/cardbase.cds) as JSON, UTF-8, on standard output\n"
    "  tomelark-tool cardbase import JSON -o CDS\n"
    "      build the card base file CDS from the JSON source; a card the table would\n"
    "      refuse or a text outside Windows-1251 stops it with a message naming the card\n"
    "  tomelark-tool cardbase import-mtgjson [SETFILE...] [--sets-from DIR] [--russian DIR]\n"
    "                                     [--russian-extra FILE|DIR]... [--glossary FILE] -o OUT\n"
    "      build the card base from MTGJSON set files (version 3) of the program's sets (or\n"
    "      every set of the set table from DIR/<code>.json), the Russian names and\n"
    "      Russian-language printings in DIR and the project's own Russian texts in each\n"
    "      FILE or folder, type lines from the glossary; OUT ending in .json gets the JSON\n"
    "      source, else a card base file.\n"
    "      What the mapping does not know is reported on standard error, one line each.\n";

// A message naming a file (native path) in front of an error text (Windows-1251).
Exception AboutFile(const std::string& path, const std::string& message)
{
    return Exception(Utf8ToWin1251(path) + ": " + message);
}

int Export(std::vector<std::string> args)
{
    std::string base = ToolBaseDir(args);
    if (args.size() > 1)
        throw ToolUsageError{"export takes one card base file"};
    if (!base.empty() && base.back() != '/')
        base += '/';
    const std::string path = args.empty() ? base + "data/cardbase.cds" : args[0];
    if (!args.empty() && path.rfind("-", 0) == 0)
        throw ToolUsageError{"unknown option " + path};

    TTable table;
    table.LoadFromBytes(ReadWholeFile(path));
    const std::string json = CardBaseToJson(table);
    if (std::fwrite(json.data(), 1, json.size(), stdout) != json.size() || std::fflush(stdout) != 0)
        throw Exception("cannot write to standard output");
    return 0;
}

int Import(const std::vector<std::string>& args)
{
    std::string source, output;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 >= args.size())
                throw ToolUsageError{"-o needs a file name"};
            output = args[++i];
        } else if (args[i].rfind("-", 0) == 0) {
            throw ToolUsageError{"unknown option " + args[i]};
        } else if (source.empty()) {
            source = args[i];
        } else {
            throw ToolUsageError{"import takes one JSON file"};
        }
    }
    if (source.empty() || output.empty())
        throw ToolUsageError{"import needs a JSON file and -o CDS"};

    std::string json;
    try {
        json = ReadWholeFile(source);
    } catch (const Exception& e) {
        throw Exception(e.what());
    }
    TTable table;
    try {
        CardBaseFromJson(json, table);
    } catch (const ECardBaseSourceError& e) {
        throw AboutFile(source, e.what());
    }
    const QString folder = QFileInfo(QString::fromStdString(output)).absolutePath();
    if (!QDir().mkpath(folder))
        throw AboutFile(folder.toStdString(), "cannot create the folder");
    table.SaveToFile(output);
    return 0;
}

int ImportMtgJson(const std::vector<std::string>& args)
{
    TMtgJsonImport import;
    std::string output;
    for (size_t i = 0; i < args.size(); ++i) {
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size())
                throw ToolUsageError{args[i] + " needs a value"};
            return args[++i];
        };
        if (args[i] == "-o")
            output = value();
        else if (args[i] == "--russian")
            import.RussianDir = value();
        else if (args[i] == "--russian-extra")
            import.RussianExtraFiles.push_back(value());
        else if (args[i] == "--sets-from")
            import.SetFolder = value();
        else if (args[i] == "--glossary")
            import.GlossaryFile = value();
        else if (args[i].rfind("-", 0) == 0)
            throw ToolUsageError{"unknown option " + args[i]};
        else
            import.SetFiles.push_back(args[i]);
    }
    if ((import.SetFiles.empty() && import.SetFolder.empty()) || output.empty())
        throw ToolUsageError{"import-mtgjson needs set files (or --sets-from DIR) and -o OUT"};
    TTable table;
    import.Run(table);
    for (const std::string& line : import.Report)
        std::fprintf(stderr, "%s\n", line.c_str());
    const QString folder = QFileInfo(QString::fromStdString(output)).absolutePath();
    if (!QDir().mkpath(folder))
        throw AboutFile(folder.toStdString(), "cannot create the folder");
    if (output.size() > 5 && output.compare(output.size() - 5, 5, ".json") == 0)
        WriteFileReplacing(output, CardBaseToJson(table));
    else
        table.SaveToFile(output);
    std::fprintf(stderr, "%d cards, %zu notes\n", table.RecordCount(), import.Report.size());
    return 0;
}

int Run(const std::vector<std::string>& args)
{
    if (args.empty())
        throw ToolUsageError{"missing export or import"};
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "export")
        return Export(rest);
    if (args[0] == "import")
        return Import(rest);
    if (args[0] == "import-mtgjson")
        return ImportMtgJson(rest);
    throw ToolUsageError{"unknown subcommand " + args[0]};
}

} // namespace

TOMELARK_TOOL_COMMAND(cardbase, "cardbase", Usage, Run);
