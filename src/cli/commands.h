#pragma once
// zutomelark-cli: one function per command, each in its own file.
// Every command gets its arguments after the command word and the Data folder.
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zt::cli {

// Exit statuses.
constexpr int kOk = 0;
constexpr int kNothingFound = 1;
constexpr int kUsageOrIoError = 2;

using Args = std::vector<std::string>;

int cmdList(const std::filesystem::path& dataDir, const Args& args);
int cmdShow(const std::filesystem::path& dataDir, const Args& args);
int cmdCapture(const std::filesystem::path& dataDir, const Args& args);
int cmdSearch(const std::filesystem::path& dataDir, const Args& args);
int cmdExport(const std::filesystem::path& dataDir, const Args& args);
int cmdRename(const std::filesystem::path& dataDir, const Args& args);
int cmdDelete(const std::filesystem::path& dataDir, const Args& args);
int cmdMove(const std::filesystem::path& dataDir, const Args& args);

// A message on stderr (UTF-8), one line.
void error(const std::string& message);
// True when args holds --help or -h.
[[nodiscard]] bool wantsHelp(const Args& args);
// Prints usageText on stdout when args ask for help; true then (the command exits kOk).
[[nodiscard]] bool helpShown(const Args& args, const char* usageText);
// Prints usageText on stderr; returns kUsageOrIoError.
int usage(const char* usageText);
// The stock list, or nullopt after reporting that it cannot be read.
[[nodiscard]] std::optional<std::vector<std::string>>
loadList(const std::filesystem::path& dataDir);

// The value paired with word among an option's choices; nullopt when none matches.
template <class T>
[[nodiscard]] std::optional<T> pickWord(const std::string& word,
                                        std::initializer_list<std::pair<const char*, T>> choices) {
    for (const auto& [name, value] : choices)
        if (word == name) return value;
    return std::nullopt;
}

} // namespace zt::cli
