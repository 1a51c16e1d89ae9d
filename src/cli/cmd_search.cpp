// search: the search window's engine without the window. One line per hit,
// the cells as the window shows them; --csv writes the window's CSV file.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/status.h"
#include "cli/writer.h"
#include "library/catalogsearch.h"
#include "library/stocklibrary.h"
#include "platform/textfile.h"
#include "search/csv.h"
#include "search/engine.h"
#include "search/patterns.h"

#include <algorithm>
#include <charconv>

namespace zt::cli {

namespace {

const char* const kSearchUsage =
    "使い方: zutomelark-cli [--data フォルダ] search 文字列\n"
    "        [-m contains|exact|prefix|suffix|wildcard|regex] [-c] [-t all|files|folders]\n"
    "        [-s 名前]... [-n N] [--min-size サイズ] [--max-size サイズ]\n"
    "        [--newer 日付] [--older 日付] [--csv ファイル] [-j | -0] [--no-index]\n"
    "  すべてのストック (一覧の順)、または --stock のストックから、ファイルとフォルダを\n"
    "  名前で探し、一件ごとにパス・サイズ・作成日時・更新日時をタブ区切りで表示します。\n"
    "  サイズと日時は画面の表示と同じです (1000 バイト単位を切り捨てた KB、\n"
    "  2001/3/5 9:7:3 の形)。正確な値は --json で。\n"
    "  見つからないときは終了ステータス 1、上限で止まったときは 3。- で始まる文字列の\n"
    "  前には -- を書きます。\n"
    "  -m, --mode       contains (既定、部分一致)、exact (完全一致)、prefix (前方一致)、\n"
    "                   suffix (後方一致)、wildcard (* は任意の文字列、? は任意の一文字、\n"
    "                   名前全体で)、regex (ICU の正規表現、名前のどこかに)\n"
    "  -c, --case       大文字と小文字を区別する\n"
    "  -t, --target     all (既定)、files、folders\n"
    "  -s, --stock      このストックを検索する (繰り返して複数)\n"
    "  -n, --limit N    結果を N 件まで表示し、まだあったら止めて終了ステータス 3\n"
    "                   (0 は上限なし)。指定しないときは画面と同じ規則: フォルダに\n"
    "                   入るとき 10000 件を超えていたら止める (入ったフォルダの結果は\n"
    "                   すべて出るので 10000 件を超えることがあります)\n"
    "  --min-size サイズ, --max-size サイズ\n"
    "                   大きさがこれ以上・以下のファイルだけ (KB・MB・GB も可、1KB = 1024\n"
    "                   バイト。フォルダには大きさがないので、指定するとファイルだけ)\n"
    "  --newer 日付, --older 日付\n"
    "                   更新日時がその日 (YYYY-MM-DD、この計算機の時刻) 以降・以前のものだけ\n"
    "  --csv ファイル   結果を画面と同じ CSV ファイルにも書く (- は標準出力)\n"
    "  -j, --json       JSON Lines (一件ごとに一行の JSON オブジェクト、正確なバイト数と\n"
    "                   ISO 8601 の日時)\n"
    "  -0, --print0     パスだけを、名前の元のバイトのまま NUL で区切って書く\n"
    "  --no-index       名前索引を使わず、ストックファイルをすべて読んで探す\n"
    "  3 バイト以上の文字列 (正規表現を除く) は名前索引 (Data/Index) で探します。\n"
    "  ないものや古いものは検索の前に作ります。結果は索引を使わないときと同じです。\n";

// The request from the arguments; false after a message on a usage error.
bool makeRequest(const ParsedArgs& args, SearchRequest& r) {
    if (args.positional.size() != 1)
        return usageError("search", "検索文字列を一つ指定してください"), false;
    r.text = args.positional[0];
    if (r.text.empty()) return usageError("search", "検索文字列が空欄です"), false;
    r.caseSensitive = args.has("case");
    if (const auto m = args.value("mode")) {
        const auto mode = pickWord<MatchMode>(*m, {{"contains", MatchMode::Contains},
                                                   {"exact", MatchMode::Exact},
                                                   {"prefix", MatchMode::Prefix},
                                                   {"suffix", MatchMode::Suffix},
                                                   {"wildcard", MatchMode::Wildcard},
                                                   {"regex", MatchMode::Regex}});
        if (!mode) return usageError("search", "不明な検索方法です: " + *m), false;
        r.mode = *mode;
    }
    if (const auto t = args.value("target")) {
        const auto target = pickWord<SearchTarget>(*t, {{"all", SearchTarget::FilesAndFolders},
                                                        {"files", SearchTarget::Files},
                                                        {"folders", SearchTarget::Folders}});
        if (!target) return usageError("search", "不明な検索対象です: " + *t), false;
        r.target = *target;
    }
    for (const auto& [option, field] : {std::pair{"min-size", &SearchFilters::minSize},
                                        std::pair{"max-size", &SearchFilters::maxSize}})
        if (const auto v = args.value(option)) {
            const auto size = parseSizeValue(*v);
            if (!size) return usageError("search", "サイズの指定が正しくありません: " + *v), false;
            r.filters.*field = *size;
        }
    for (const auto& [option, nextDay] : {std::pair{"newer", false}, std::pair{"older", true}})
        if (const auto v = args.value(option)) {
            const auto day = parseDateValue(*v, nextDay);
            if (!day)
                return usageError("search", "日付は YYYY-MM-DD で指定してください: " + *v), false;
            (nextDay ? r.filters.modifiedBefore : r.filters.modifiedFrom) = fileTimeFromUnix(*day);
        }
    if (r.mode == MatchMode::Regex) {
        if (const RegexPattern check(r.text, r.caseSensitive); !check.valid())
            return usageError("search",
                              "正規表現が正しくありません: " + check.error()),
                   false;
    }
    if (const auto l = args.value("limit")) {
        int limit = -1;
        const auto [end, ec] = std::from_chars(l->data(), l->data() + l->size(), limit);
        if (ec != std::errc() || end != l->data() + l->size() || limit < 0)
            return usageError("search", "上限は 0 以上の数で指定してください: " + *l), false;
        // A promise of at most N rows, not the window's check at folder entry.
        r.limit = 0;
        r.cap = limit;
    }
    return true;
}

// Exact values: the size in bytes and both dates, for folders too.
std::string hitJson(const SearchHit& hit) {
    return JsonLine()
        .text("stock", hit.stock)
        .json("folders", jsonStrings(hit.folders()))
        .text("name", hit.name)
        .text("path", hit.path())
        .flag("folder", hit.isFolder)
        .number("size", hit.size)
        .time("created", hit.created)
        .time("modified", hit.modified)
        .line();
}

// The path column, every part escaped so that "\" is only ever a separator.
std::string escapedPath(const SearchHit& hit) {
    std::string path = "\\" + escapeName(hit.stock);
    for (const std::string& folder : hit.parent.names())
        path += "\\" + escapeName(folder);
    return path + "\\" + escapeName(hit.name);
}

} // namespace

int runSearch(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    SearchRequest request;
    if (!makeRequest(args, request)) return kUsage;
    const StockLibrary library(dataDir);
    request.dataDir = dataDir;
    if (const auto failed = chooseStocks(dataDir, args, request.stocks)) return *failed;

    const auto csv = args.value("csv");
    const bool json = args.has("json"), print0 = args.has("print0");
    if (json && print0) return usageError("search", "--json と --print0 は一緒に使えません");
    const bool textOut = csv != "-"; // "-": standard output holds the CSV alone
    // The rows for the CSV keep their folders' shared links: their paths
    // are made one at a time as the file is written.
    std::vector<SearchHit> rows;
    SearchCallbacks cb;
    cb.cancelled = [] { return out().failed(); }; // nobody reads the rest
    cb.hit = [&](const SearchHit& hit) {
        if (textOut && json) {
            out() << hitJson(hit);
        } else if (textOut && print0) {
            out() << printedRaw(hit.path()) << '\0';
        } else if (textOut) {
            const ResultCells c = makeCells(hit);
            out() << escapedPath(hit) << "\t" << c.size << "\t" << c.created << "\t" << c.modified
                  << "\n";
        }
        if (csv) rows.push_back(hit);
    };
    const SearchOutcome outcome = searchCatalogue(
        request, cb, args.has("no-index") ? IndexUse::Never : IndexUse::BuildMissing);

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
    if (outcome.capReached) {
        printError("結果が " + std::to_string(request.cap) + " 件を超えたので止めました");
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
                   {{"mode", true},
                    {"case", false},
                    {"target", true},
                    {"stock", true},
                    {"limit", true},
                    {"min-size", true},
                    {"max-size", true},
                    {"newer", true},
                    {"older", true},
                    {"csv", true},
                    {"json", false},
                    {"print0", false},
                    {"no-index", false}},
                   runSearch});
}

} // namespace zt::cli
