#pragma once
// The one argument parser of every command (getopt_long underneath):
// "--opt=value" and "--opt value", short forms, "--" ends the options, and
// options may come before or after the other arguments.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zt::cli {

// An option a command takes, by its long name. Its short form, when it has
// one, comes from the one table below, so a letter means the same in every
// command.
struct OptionRule {
    const char* name; // long name without "--"
    bool takesValue;
};

struct ShortOption {
    char letter;
    const char* name;
};
// Every short option of zutomelark-cli (and --data's -d, --help's -h,
// --version's -V before the command word).
[[nodiscard]] const std::vector<ShortOption>& shortOptions();

struct ParsedArgs {
    std::vector<std::pair<std::string, std::string>> options; // in the order given
    std::vector<std::string> positional;

    [[nodiscard]] bool has(const std::string& name) const;
    // The last value given for name.
    [[nodiscard]] std::optional<std::string> value(const std::string& name) const;
    [[nodiscard]] std::vector<std::string> values(const std::string& name) const;
};

enum class ParseStatus { Parsed, Help, Error };

// A size with an optional KB, MB or GB suffix (1KB = 1024 bytes, any letter case).
[[nodiscard]] std::optional<uint64_t> parseSizeValue(std::string_view text);

// The start of a day "YYYY-MM-DD" in local time, as seconds since 1970; with
// nextDay, the start of the day after it.
[[nodiscard]] std::optional<int64_t> parseDateValue(std::string_view text, bool nextDay = false);

// Parses args (after the command word). "--help"/"-h" gives Help; an unknown
// option or a missing value gives Error after a message on standard error
// (its one line; the caller adds where to read more).
[[nodiscard]] ParseStatus parseArgs(const std::vector<std::string>& args,
                                    const std::vector<OptionRule>& rules, ParsedArgs& out);

} // namespace zt::cli
