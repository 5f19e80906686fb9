#pragma once
// Subcommands of tomelark-tool. Each subsystem's file registers its command with
// TOMELARK_TOOL_COMMAND; main() dispatches on the first argument.
#include <string>
#include <vector>

struct ToolCommand {
    const char* name;   // "pack", "cardbase", ...
    const char* usage;  // one or more usage lines, shown by `tomelark-tool --help`
    int (*run)(const std::vector<std::string>& args); // args after the command name
};

// Registers a command at static initialisation.
struct ToolCommandRegistrar {
    explicit ToolCommandRegistrar(const ToolCommand& command);
};

#define TOMELARK_TOOL_COMMAND(id, name, usage, fn) \
    static ToolCommandRegistrar id##_registrar{ToolCommand{name, usage, fn}}

// Thrown by commands for bad arguments; main prints the message and the usage.
struct ToolUsageError {
    std::string message;
};

// The folder holding the data store: --base DIR when given, otherwise the folder of
// the tool itself (the program's folder). Removes "--base DIR" from args.
std::string ToolBaseDir(std::vector<std::string>& args);
