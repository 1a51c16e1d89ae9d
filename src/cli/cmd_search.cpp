// search: the search window's engine without the window. One line per hit,
// the cells as the window shows them; --csv writes the window's CSV file.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/status.h"
#include "library/catalogsearch.h"
#include "library/stocklibrary.h"
#include "platform/textfile.h"
#include "search/csv.h"
#include "search/engine.h"
#include "search/patterns.h"

#include <algorithm>
#include <charconv>
#include <iostream>

namespace zt::cli {

namespace {

const char* const kSearchUsage =
    "使い方: zutomelark-cli [--data フォルダ] search 文字列\n"
    "        [--mode contains|exact|prefix|suffix|wildcard|regex] [--case]\n"
    "        [--target all|files|folders]\n"
    "        [--stock 名前]... [--limit N] [--min-size サイズ] [--max-size サイズ]\n"
    "        [--newer 日付] [--older 日付] [--csv ファイル] [--json] [--no-index]\n"
    "  すべてのストック (一覧の順)、または --stock のストックから、ファイルとフォルダを\n"
    "  名前で探し、一件ごとにパス・サイズ・作成日時・更新日時をタブ区切りで表示します。\n"
    "  見つからないときは終了ステータス 1、上限で止まったときは 3。- で始まる文字列の\n"
    "  前には -- を書きます。\n"
    "  -m, --mode       contains (既定、部分一致)、exact (完全一致)、prefix (前方一致)、\n"
    "                   suffix (後方一致)、wildcard (* は任意の文字列、? は任意の一文字、\n"
    "                   名前全体で)、regex (ICU の正規表現、名前のどこかに)\n"
    "  -c, --case       大文字と小文字を区別する\n"
    "  -t, --target     all (既定)、files、folders\n"
    "  -s, --stock      このストックを検索する (繰り返して複数)\n"
    "  -l, --limit N    フォルダに入るとき結果が N 件を超えていたら止める\n"
    "                   (既定は画面と同じ 10000、0 は上限なし)\n"
    "  --min-size サイズ, --max-size サイズ\n"
    "                   大きさがこれ以上・以下のファイルだけ (KB・MB・GB も可、1KB = 1024\n"
    "                   バイト。フォルダには大きさがないので、指定するとファイルだけ)\n"
    "  --newer 日付, --older 日付\n"
    "                   更新日時がその日 (YYYY-MM-DD、この計算機の時刻) 以降・以前のものだけ\n"
    "  --csv ファイル   結果を画面と同じ CSV ファイルにも書く (- は標準出力)\n"
    "  --json           一件ごとに一行の JSON オブジェクトを書く\n"
    "  --no-index       名前索引を使わず、ストックファイルをすべて読んで探す\n"
    "  3 バイト以上の文字列 (正規表現を除く) は名前索引 (Data/Index) で探します。\n"
    "  ないものや古いものは検索の前に作ります。結果は索引を使わないときと同じです。\n";

// The request from the arguments; false after a message on a usage error.
bool makeRequest(const ParsedArgs& args, SearchRequest& r) {
    if (args.positional.size() != 1) return usageError("search"), false;
    r.text = args.positional[0];
    if (r.text.empty()) return printError("検索文字列が空欄です"), false;
    r.caseSensitive = args.has("case");
    if (const auto m = args.value("mode")) {
        const auto mode = pickWord<MatchMode>(*m, {{"contains", MatchMode::Contains},
                                                   {"exact", MatchMode::Exact},
                                                   {"prefix", MatchMode::Prefix},
                                                   {"suffix", MatchMode::Suffix},
                                                   {"wildcard", MatchMode::Wildcard},
                                                   {"regex", MatchMode::Regex}});
        if (!mode) return printError("不明な検索方法です: " + *m), usageError("search"), false;
        r.mode = *mode;
    }
    if (const auto t = args.value("target")) {
        const auto target = pickWord<SearchTarget>(*t, {{"all", SearchTarget::FilesAndFolders},
                                                        {"files", SearchTarget::Files},
                                                        {"folders", SearchTarget::Folders}});
        if (!target) return printError("不明な検索対象です: " + *t), usageError("search"), false;
        r.target = *target;
    }
    for (const auto& [option, field] : {std::pair{"min-size", &SearchFilters::minSize},
                                        std::pair{"max-size", &SearchFilters::maxSize}})
        if (const auto v = args.value(option)) {
            const auto size = parseSizeValue(*v);
            if (!size)
                return printError("サイズの指定が正しくありません: " + *v), usageError("search"),
                       false;
            r.filters.*field = *size;
        }
    for (const auto& [option, nextDay] : {std::pair{"newer", false}, std::pair{"older", true}})
        if (const auto v = args.value(option)) {
            const auto day = parseDateValue(*v, nextDay);
            if (!day)
                return printError("日付は YYYY-MM-DD で指定してください: " + *v),
                       usageError("search"), false;
            (nextDay ? r.filters.modifiedBefore : r.filters.modifiedFrom) = fileTimeFromUnix(*day);
        }
    if (r.mode == MatchMode::Regex) {
        if (const RegexPattern check(r.text, r.caseSensitive); !check.valid())
            return printError("正規表現が正しくありません: " + check.error()), usageError("search"),
                   false;
    }
    if (const auto l = args.value("limit")) {
        int limit = -1;
        const auto [end, ec] = std::from_chars(l->data(), l->data() + l->size(), limit);
        if (ec != std::errc() || end != l->data() + l->size() || limit < 0)
            return printError("上限は 0 以上の数で指定してください: " + *l), usageError("search"),
                   false;
        r.limit = limit;
    }
    return true;
}

std::string hitJson(const SearchHit& hit) {
    const std::vector<std::string> names = hit.folders();
    std::string folders = "[";
    for (size_t i = 0; i < names.size(); ++i)
        folders += (i ? "," : "") + jsonString(names[i]);
    folders += ']';
    return "{\"stock\":" + jsonString(hit.stock) + ",\"folders\":" + folders +
           ",\"name\":" + jsonString(hit.name) + ",\"path\":" + jsonString(hit.path()) +
           ",\"folder\":" + (hit.isFolder ? "true" : "false") +
           ",\"size\":" + std::to_string(hit.isFolder ? 0 : hit.size) +
           ",\"created\":" + jsonTime(hit.created) +
           ",\"modified\":" + jsonTime(hit.isFolder ? FileTime{} : hit.modified) + "}\n";
}

// The path column, every part escaped so that "\" is only ever a separator.
std::string escapedPath(const SearchHit& hit) {
    std::string out = "\\" + escapeName(hit.stock);
    for (const std::string& folder : hit.parent.names())
        out += "\\" + escapeName(folder);
    return out + "\\" + escapeName(hit.name);
}

} // namespace

int runSearch(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    SearchRequest request;
    if (!makeRequest(args, request)) return kUsage;
    const StockLibrary library(dataDir);
    request.dataDir = dataDir;
    if (const auto failed = chooseStocks(dataDir, args, request.stocks)) return *failed;

    const auto csv = args.value("csv");
    const bool json = args.has("json");
    const bool textOut = csv != "-"; // "-": standard output holds the CSV alone
    // The rows for the CSV keep their folders' shared links: their paths
    // are made one at a time as the file is written.
    std::vector<SearchHit> rows;
    std::string out;
    SearchCallbacks cb;
    cb.hit = [&](const SearchHit& hit) {
        if (json && textOut) {
            out += hitJson(hit);
        } else if (textOut) {
            const ResultCells c = makeCells(hit);
            out.append(escapedPath(hit)).append("\t").append(c.size).append("\t");
            out.append(c.created).append("\t").append(c.modified).append("\n");
        }
        if (out.size() > 65536) {
            std::cout << out;
            out.clear();
        }
        if (csv) rows.push_back(hit);
    };
    const SearchOutcome outcome = searchCatalogue(
        request, cb, args.has("no-index") ? IndexUse::Never : IndexUse::BuildMissing);
    std::cout << out << std::flush;

    int status = outcome.resultCount > 0 ? kOk : kNothingFound;
    for (const std::string& s : outcome.skippedStocks) {
        const auto path = library.stockFile(s);
        printError(path ? messageCannotOpen(*path) : messageNameNotAllowed(s));
        if (outcome.resultCount == 0) status = kFileError;
    }
    if (outcome.namesTimedOut > 0) printError(messageNamesTimedOut(outcome.namesTimedOut));
    if (outcome.limitExceeded) {
        printError(kMessageLimitExceeded);
        status = kLimitReached;
    }
    if (csv) {
        const auto write = [&rows](const CsvSink& sink) {
            CsvWriter file(sink, kResultsCsvHeader);
            for (const SearchHit& hit : rows)
                file.row(makeCells(hit));
            return file.finish();
        };
        if (const auto failed = writeCsvOutput(*csv, write)) return *failed;
    }
    return status;
}

void addSearchCommands(std::vector<Command>& out) {
    out.push_back({"search",
                   kSearchUsage,
                   {{"mode", 'm', true},
                    {"case", 'c', false},
                    {"target", 't', true},
                    {"stock", 's', true},
                    {"limit", 'l', true},
                    {"min-size", 0, true},
                    {"max-size", 0, true},
                    {"newer", 0, true},
                    {"older", 0, true},
                    {"csv", 0, true},
                    {"json", 0, false},
                    {"no-index", 0, false}},
                   runSearch});
}

} // namespace zt::cli
