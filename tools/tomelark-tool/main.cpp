// tomelark-tool: command-line access to the pack files, the card base, decks and
// card rendering of Tomelark. Errors print one line on standard error and exit 1.
#include "Tool.h"
#include "Library/Common/ExtUtils.h"
#include "BuildInfo.h"

#include "render/CardView.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QDir>

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
std::vector<ToolCommand>& Commands()
{
    static std::vector<ToolCommand> commands;
    return commands;
}

void PrintUsage(FILE* out)
{
    std::fprintf(out, "usage:\n");
    for (const auto& c : Commands())
        std::fprintf(out, "%s", c.usage);
}
} // namespace

ToolCommandRegistrar::ToolCommandRegistrar(const ToolCommand& command)
{
    Commands().push_back(command);
}

std::string ToolBaseDir(std::vector<std::string>& args)
{
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--base") {
            if (i + 1 >= args.size())
                throw ToolUsageError{"--base needs a folder"};
            std::string dir = args[i + 1];
            args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
            return dir;
        }
    }
    return QCoreApplication::applicationDirPath().toStdString();
}

int main(int argc, char** argv)
{
    // Rendering needs a GUI application; the offscreen platform keeps the tool usable
    // without a display.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Without a session (cron, CI, ssh) Qt warns on stderr about the missing runtime
    // folder; give it a private one so that errors stay one line.
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        std::string dir = "/tmp/tomelark-runtime-" + std::to_string(getuid());
        mkdir(dir.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    }
    QGuiApplication app(argc, argv);
    // A picture that cannot be read is drawn as missing; say which.
    OnPictureError = [](const std::string& message) {
        std::fprintf(stderr, "tomelark-tool: warning: %s\n", Win1251ToUtf8(message).c_str());
    };

    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        PrintUsage(args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    if (args[0] == "--version") {
        std::printf("tomelark-tool %s\n", TOMELARK_VERSION);
        return 0;
    }
    for (const auto& c : Commands()) {
        if (args[0] != c.name)
            continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        try {
            return c.run(rest);
        } catch (const ToolUsageError& e) {
            std::fprintf(stderr, "tomelark-tool %s: %s\n", c.name, e.message.c_str());
            std::fprintf(stderr, "usage:\n%s", c.usage);
            return 2;
        } catch (const Exception& e) {
            // Messages of the program are Windows-1251; the terminal speaks UTF-8.
            std::fprintf(stderr, "tomelark-tool %s: %s\n", c.name, Win1251ToUtf8(e.what()).c_str());
            return 1;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tomelark-tool %s: %s\n", c.name, e.what());
            return 1;
        }
    }
    std::fprintf(stderr, "tomelark-tool: unknown command '%s'\n", args[0].c_str());
    PrintUsage(stderr);
    return 2;
}
