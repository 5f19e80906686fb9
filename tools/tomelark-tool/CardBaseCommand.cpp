// tomelark-tool cardbase: the card base file and its JSON source.
//   export [CDS]        the card base as JSON (UTF-8) on standard output
//   import JSON -o CDS  builds a card base file from a JSON source
#include "Tool.h"

#include "Library/Common/ExtUtils.h"
#include "Library/Common/PackStream.h"
#include "data/CardBaseJson.h"
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
    "      refuse or a text outside Windows-1251 stops it with a message naming the card\n";

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

int Run(const std::vector<std::string>& args)
{
    if (args.empty())
        throw ToolUsageError{"missing export or import"};
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (args[0] == "export")
        return Export(rest);
    if (args[0] == "import")
        return Import(rest);
    throw ToolUsageError{"unknown subcommand " + args[0]};
}

} // namespace

TOMELARK_TOOL_COMMAND(cardbase, "cardbase", Usage, Run);
