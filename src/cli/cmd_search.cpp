// search: the search dialog's engine without the window. One line per hit,
// the cells as the dialog shows them; --csv writes the dialog's CSV file.
#include "catalogue/stocklist.h"
#include "cli/commands.h"
#include "search/csv.h"
#include "search/engine.h"

#include <algorithm>
#include <iostream>
#include <optional>

namespace zt::cli {

namespace {

const char* const kSearchUsage =
    "usage: zutomelark-cli [--data DIR] search TEXT [--mode contains|exact|prefix|suffix]\n"
    "       [--case] [--target all|files|folders] [--stock NAME]... [--csv FILE]\n"
    "  Finds files and folders by name in every stock (list order), or in the\n"
    "  stocks named with --stock. Prints path, size, created and modified per hit,\n"
    "  tab-separated. --case tells upper and lower case apart; --csv also writes\n"
    "  the hits as a CSV file. Exit status 1 when nothing is found.\n";

struct Options {
    std::string text;
    bool haveText = false;
    MatchMode mode = MatchMode::Contains;
    SearchTarget target = SearchTarget::FilesAndFolders;
    bool caseSensitive = false;
    std::vector<std::string> stocks;
    std::optional<std::string> csv;
};

bool fail(const std::string& message) {
    error(message);
    return false;
}

std::optional<MatchMode> parseMode(const std::string& s) {
    return pickWord<MatchMode>(s, {{"contains", MatchMode::Contains},
                                   {"exact", MatchMode::Exact},
                                   {"prefix", MatchMode::Prefix},
                                   {"suffix", MatchMode::Suffix}});
}

std::optional<SearchTarget> parseTarget(const std::string& s) {
    return pickWord<SearchTarget>(s, {{"all", SearchTarget::FilesAndFolders},
                                      {"files", SearchTarget::Files},
                                      {"folders", SearchTarget::Folders}});
}

// Fills o from args; false (after a message) on a usage error.
bool parseArgs(const Args& args, Options& o) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--case") {
            o.caseSensitive = true;
        } else if (a == "--mode" && hasValue) {
            const auto m = parseMode(args[++i]);
            if (!m) return fail("unknown mode: " + args[i]);
            o.mode = *m;
        } else if (a == "--target" && hasValue) {
            const auto t = parseTarget(args[++i]);
            if (!t) return fail("unknown target: " + args[i]);
            o.target = *t;
        } else if (a == "--stock" && hasValue) {
            o.stocks.push_back(args[++i]);
        } else if (a == "--csv" && hasValue) {
            o.csv = args[++i];
        } else if (a == "--") {
            if (o.haveText || i + 2 != args.size()) return fail(kSearchUsage);
            o.text = args[++i];
            o.haveText = true;
        } else if (a.starts_with("--") || o.haveText) {
            return fail(kSearchUsage);
        } else {
            o.text = a;
            o.haveText = true;
        }
    }
    if (!o.haveText) return fail(kSearchUsage);
    if (o.text.empty()) return fail("検索文字列が空欄です");
    return true;
}

} // namespace

int cmdSearch(const std::filesystem::path& dataDir, const Args& args) {
    if (helpShown(args, kSearchUsage)) return kOk;
    Options o;
    if (!parseArgs(args, o)) return kUsageOrIoError;
    const auto names = loadList(dataDir);
    if (!names) return kUsageOrIoError;

    SearchRequest request;
    request.dataDir = dataDir;
    request.text = o.text;
    request.mode = o.mode;
    request.target = o.target;
    request.caseSensitive = o.caseSensitive;
    // The chosen stocks in list order, as the dialog searches its selection.
    for (const std::string& s : o.stocks)
        if (std::find(names->begin(), names->end(), s) == names->end()) {
            error("no such stock: " + s);
            return kUsageOrIoError;
        }
    for (const std::string& n : *names)
        if (o.stocks.empty() || std::find(o.stocks.begin(), o.stocks.end(), n) != o.stocks.end())
            request.stocks.push_back(n);

    std::vector<ResultCells> rows;
    std::string out;
    SearchCallbacks cb;
    cb.hit = [&](const SearchHit& hit) {
        ResultCells c = makeCells(hit);
        out.append(c.path).append("\t").append(c.size).append("\t").append(c.created);
        out.append("\t").append(c.modified).append("\n");
        if (out.size() > 65536) {
            std::cout << out;
            out.clear();
        }
        if (o.csv) rows.push_back(std::move(c));
    };
    cb.limitExceeded = [](std::string_view message) { error(std::string(message)); };
    const SearchOutcome outcome = searchStocks(request, cb);
    std::cout << out << std::flush;

    int status = outcome.resultCount > 0 ? kOk : kNothingFound;
    for (const std::string& s : outcome.skippedStocks) {
        const auto path = stockFilePath(dataDir, s);
        error(path ? messageCannotOpen(*path) : "ストック " + s + " は開けません");
        if (outcome.resultCount == 0) status = kUsageOrIoError;
    }
    if (o.csv && !saveResultsCsv(*o.csv, rows)) {
        error(std::string(kMessageCannotOpenFile) + ": " + *o.csv);
        return kUsageOrIoError;
    }
    return status;
}

} // namespace zt::cli
