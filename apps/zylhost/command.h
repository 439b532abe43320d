// A zylhost subcommand. Each command lives in its own file and is listed once in
// main.cpp's command table.
#pragma once

#include <span>
#include <string_view>

namespace zylhost {

// Exit statuses of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the command could not do its work
inline constexpr int kExitUsage = 2;    // the command line was wrong

struct Command {
    std::string_view name;
    std::string_view summary;  // one line for the overview
    std::string_view help;     // the full text of `zylhost NAME --help`
    // Runs with the arguments after the command name (--help is handled before).
    int (*run)(std::span<const std::string_view> arguments);
};

// Writes "zylhost: <message>" as one line on stderr.
void reportError(std::string_view message);

}  // namespace zylhost
