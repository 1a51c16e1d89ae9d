#pragma once
// zutomelark-cli: one function per command, each mapping its arguments to the
// stock library (or the search engine) and its result to output and an exit
// status (cli/status.h).
#include "cli/options.h"

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt::cli {

// A command: its word, its help text, its options and what it runs.
struct Command {
    const char* word;
    const char* usage; // printed by --help
    std::vector<OptionRule> options;
    std::function<int(const std::filesystem::path& dataDir, const ParsedArgs& args)> run;
};

[[nodiscard]] const std::vector<Command>& commands();

[[nodiscard]] const Command& commandNamed(std::string_view word);

// A usage error: one line on standard error (the message, or a word on the
// arguments when there is none), then where to read more; returns kUsage.
int usageError(const Command& command, std::string_view message = {});
int usageError(std::string_view word, std::string_view message = {});

// The value of a word option among its choices; nullopt for another word.
template <class T>
std::optional<T> pickWord(const std::string& word,
                          std::initializer_list<std::pair<const char*, T>> choices) {
    for (const auto& [name, value] : choices)
        if (word == name) return value;
    return std::nullopt;
}

// The stocks named by --stock (all when none), in list order; the exit
// status of the failure when a name is not listed or the list cannot be read.
[[nodiscard]] std::optional<int> chooseStocks(const std::filesystem::path& dataDir,
                                              const ParsedArgs& args,
                                              std::vector<std::string>& out);

// Writes a CSV the user asked for with --csv: "-" for standard output, else
// in place at the path. `make` writes the file through the sink it is given,
// piece by piece, and says whether every piece was taken. The exit status of
// a failure, after its message.
using CsvSink = std::function<bool(std::string_view)>;
[[nodiscard]] std::optional<int> writeCsvOutput(const std::string& where,
                                                const std::function<bool(const CsvSink&)>& make);

// The form of a name in a line of --print0 output: the bytes the file system
// holds (raw bytes given back), nothing escaped.
[[nodiscard]] std::string printedRaw(std::string_view name);

// Each file adds its commands.
void addListCommands(std::vector<Command>& out);    // list, adopt
void addStockCommands(std::vector<Command>& out);   // show, export, rename, delete, move
void addCaptureCommands(std::vector<Command>& out); // capture
void addSearchCommands(std::vector<Command>& out);  // search
void addInfoCommands(std::vector<Command>& out);    // info, note, update, dupes
void addVerifyCommands(std::vector<Command>& out);  // verify
void addSizesCommands(std::vector<Command>& out);   // export-ncdu

} // namespace zt::cli
