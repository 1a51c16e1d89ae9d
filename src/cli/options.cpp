#include "cli/options.h"

#include "cli/output.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <getopt.h>

namespace zt::cli {

bool ParsedArgs::has(const std::string& name) const {
    for (const auto& [n, v] : options)
        if (n == name) return true;
    return false;
}

std::optional<std::string> ParsedArgs::value(const std::string& name) const {
    std::optional<std::string> found;
    for (const auto& [n, v] : options)
        if (n == name) found = v;
    return found;
}

std::vector<std::string> ParsedArgs::values(const std::string& name) const {
    std::vector<std::string> found;
    for (const auto& [n, v] : options)
        if (n == name) found.push_back(v);
    return found;
}

std::optional<uint64_t> parseSizeValue(std::string_view text) {
    static const std::pair<const char*, uint64_t> kUnits[] = {
        {"kb", uint64_t(1) << 10}, {"mb", uint64_t(1) << 20}, {"gb", uint64_t(1) << 30}, {"", 1}};
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    for (const auto& [unit, factor] : kUnits) {
        if (!std::string_view(lower).ends_with(unit)) continue;
        const std::string_view digits(lower.data(), lower.size() - std::strlen(unit));
        uint64_t v = 0;
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
        if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
            v > UINT64_MAX / factor)
            return std::nullopt;
        return v * factor;
    }
    return std::nullopt;
}

std::optional<int64_t> parseDateValue(std::string_view text, bool nextDay) {
    int year = 0, month = 0, day = 0;
    char tail = 0;
    const std::string s(text);
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3)
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31 || year < 1601) return std::nullopt;
    struct tm tm {};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day + (nextDay ? 1 : 0);
    tm.tm_isdst = -1;
    const time_t t = std::mktime(&tm);
    if (t == time_t(-1) && !(year == 1969 && month == 12 && day == 31)) return std::nullopt;
    // A day that does not exist (2023-02-30) is refused rather than rolled over.
    struct tm back {};
    const time_t start = nextDay ? t - 1 : t;
    localtime_r(&start, &back);
    if (back.tm_mday != day || back.tm_mon != month - 1) return std::nullopt;
    return int64_t(t);
}

const std::vector<ShortOption>& shortOptions() {
    // Options that change or remove things (--dry-run, --check) are spelled out.
    static const std::vector<ShortOption> all = {
        {'c', "case"},   {'m', "mode"},   {'t', "target"}, {'s', "stock"},     {'n', "limit"},
        {'j', "json"},   {'0', "print0"}, {'l', "long"},   {'u', "unlisted"},  {'K', "by-kind"},
        {'f', "folder"}, {'k', "kind"},   {'r', "range"},  {'x', "strip-ext"}, {'b', "by"},
        {'N', "name"},   {'q', "quiet"},
    };
    return all;
}

ParseStatus parseArgs(const std::vector<std::string>& args, const std::vector<OptionRule>& rules,
                      ParsedArgs& out) {
    std::vector<option> longs;
    std::string shorts = ":h"; // leading ':' reports a missing value apart
    for (size_t i = 0; i < rules.size(); ++i) {
        longs.push_back({rules[i].name, rules[i].takesValue ? required_argument : no_argument,
                         nullptr, int(1000 + i)});
        for (const ShortOption& o : shortOptions())
            if (std::strcmp(o.name, rules[i].name) == 0) {
                shorts += o.letter;
                if (rules[i].takesValue) shorts += ':';
            }
    }
    longs.push_back({"help", no_argument, nullptr, 'h'});
    longs.push_back({nullptr, 0, nullptr, 0});

    // getopt wants argv[0] and writable strings.
    std::vector<std::string> storage{"zutomelark-cli"};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);

    optind = 0; // a full restart of the GNU parser
    opterr = 0; // its messages are English; ours follow
    for (;;) {
        int longIndex = -1;
        const int c =
            getopt_long(int(storage.size()), argv.data(), shorts.c_str(), longs.data(), &longIndex);
        if (c == -1) break;
        if (c == 'h') return ParseStatus::Help;
        if (c == '?' || c == ':') {
            const std::string given = optind > 0 && optind <= int(storage.size())
                                          ? std::string(argv[size_t(optind - 1)])
                                          : std::string();
            printError(c == ':' ? "オプション " + given + " には値が必要です"
                                : "不明なオプションです: " + given);
            return ParseStatus::Error;
        }
        const OptionRule* rule = nullptr;
        if (c >= 1000) {
            rule = &rules[size_t(c - 1000)];
        } else {
            for (const ShortOption& o : shortOptions())
                if (o.letter == c)
                    for (const auto& r : rules)
                        if (std::strcmp(o.name, r.name) == 0) rule = &r;
        }
        if (!rule) return ParseStatus::Error;
        out.options.emplace_back(rule->name, rule->takesValue && optarg ? optarg : "");
    }
    // getopt moved the other arguments behind the options, in their order.
    for (int i = optind; i < int(storage.size()); ++i)
        out.positional.emplace_back(argv[size_t(i)]);
    return ParseStatus::Parsed;
}

} // namespace zt::cli
