// zylhost: a command-line host for Zyl plug-ins.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "command.h"

namespace zylhost {

// The commands, each in its own file.
extern const Command infoCommand;
extern const Command processCommand;
extern const Command demoCommand;

namespace {

const Command* const kCommands[] = {
    &infoCommand,
    &processCommand,
    &demoCommand,
};

void printOverview(std::FILE* out) {
    std::fprintf(out,
                 "usage: zylhost COMMAND [OPTIONS] PLUGIN.so ...\n"
                 "\n"
                 "A host for Zyl plug-in libraries.\n"
                 "\n"
                 "commands:\n");
    for (const Command* command : kCommands)
        std::fprintf(out, "  %-10.*s %.*s\n", static_cast<int>(command->name.size()),
                     command->name.data(), static_cast<int>(command->summary.size()),
                     command->summary.data());
    std::fprintf(out, "\n`zylhost COMMAND --help` describes a command.\n");
}

bool isHelp(std::string_view argument) { return argument == "--help" || argument == "-h"; }

}  // namespace

void reportError(std::string_view message) {
    std::fprintf(stderr, "zylhost: %.*s\n", static_cast<int>(message.size()), message.data());
}

}  // namespace zylhost

int main(int argc, char** argv) {
    using namespace zylhost;
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        printOverview(stderr);
        return kExitUsage;
    }
    if (isHelp(arguments[0])) {
        printOverview(stdout);
        return kExitOk;
    }
    for (const Command* command : kCommands) {
        if (command->name != arguments[0]) continue;
        const std::span<const std::string_view> rest(arguments.data() + 1, arguments.size() - 1);
        for (std::string_view argument : rest) {
            if (argument == "--") break;
            if (isHelp(argument)) {
                std::fwrite(command->help.data(), 1, command->help.size(), stdout);
                return kExitOk;
            }
        }
        return command->run(rest);
    }
    reportError("unknown command '" + std::string(arguments[0]) +
                "' (zylhost --help lists the commands)");
    return kExitUsage;
}
