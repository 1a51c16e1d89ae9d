#pragma once
// zutomelark-cli: one function per command, each mapping its arguments to the
// stock library (or the search engine) and its result to output and an exit
// status (cli/status.h).
#include "cli/options.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zt::cli {

// A command: its word, its help text, its options and what it runs.
struct Command {
    const char* word;
    const char* usage; // printed by --help, and on a usage error
    std::vector<OptionSpec> options;
    std::function<int(const std::filesystem::path& dataDir, const ParsedArgs& args)> run;
};

[[nodiscard]] const std::vector<Command>& commands();

[[nodiscard]] const Command& commandNamed(std::string_view word);

// Prints the command's usage on standard error; returns kUsage.
int usageError(const Command& command);
int usageError(std::string_view word);

// Each file adds its commands.
void addListCommands(std::vector<Command>& out);    // list, adopt
void addStockCommands(std::vector<Command>& out);   // show, export, rename, delete, move
void addCaptureCommands(std::vector<Command>& out); // capture
void addSearchCommands(std::vector<Command>& out);  // search
void addInfoCommands(std::vector<Command>& out);    // info, note, update, dupes

} // namespace zt::cli
