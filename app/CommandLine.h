#pragma once
// The command line every Quillan executable shares: --help and a version flag print and end with
// 0, anything the parser refuses ends with 64 after its message.
#include <CLI/CLI.hpp>

#include <optional>
#include <string>

namespace quillan::app {

inline constexpr int kUsageExit = 64;

// Adds the version flag: "--version" unless the tool uses that name for something else.
inline void addVersionFlag(CLI::App& cli, const std::string& tool, const std::string& flag = "--version") {
    cli.set_version_flag(flag, tool + " " + QUILLAN_VERSION_TEXT, "Print this tool's version and exit");
}

// Parses; nullopt to go on, or the exit code (0 after --help or the version, 64 on an error).
inline std::optional<int> parseCommandLine(CLI::App& cli, int argc, char** argv) {
    try {
        cli.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return cli.exit(e) == 0 ? 0 : kUsageExit;
    }
    return std::nullopt;
}

} // namespace quillan::app
