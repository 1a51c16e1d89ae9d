// info, note, update and dupes: facts about stocks, refreshing one, and what is stored twice.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "cli/status.h"
#include "cli/writer.h"
#include "library/dupes.h"
#include "library/indexstore.h"
#include "library/stocklibrary.h"
#include "platform/textfile.h"
#include "search/csv.h"
#include "search/engine.h"

#include <algorithm>
#include <cerrno>
#include <iostream>

namespace zt::cli {

namespace {

const char* const kInfoUsage =
    "使い方: zutomelark-cli [--data フォルダ] info ストック [-j]\n"
    "  ストックの読み込み元・ボリュームラベル・ファイルシステム・種類・読み込み日時・\n"
    "  フォルダ数・ファイル数・合計サイズ・ボリュームの容量と空き・メモを表示します。\n"
    "  分からないものは (不明) と表示します。\n"
    "  -j, --json  JSON Lines (一行の JSON オブジェクト、正確なバイト数と ISO 8601 の日時)\n";
const char* const kNoteUsage = "使い方: zutomelark-cli [--data フォルダ] note ストック 文字列\n"
                               "  ストックのメモを設定します (空の文字列で消します)\n";
const char* const kUpdateUsage =
    "使い方: zutomelark-cli [--data フォルダ] update ストック [パス] [--dry-run]\n"
    "        [--checksums [--rehash]] [-j]\n"
    "  ストックの読み込み元 (記録されたもの、またはパス) をもう一度読み込み、変わった\n"
    "  ところを一行ずつ表示してストックを置き換えます: + 追加、- 削除、~ 変更。\n"
    "  件数は標準エラーに表示します。読み込みが終わるまで元のストックはそのままです。\n"
    "  --dry-run    変わったところを表示するだけで置き換えない\n"
    "  --checksums  内容のチェックサムを加える・新しくする (サイズと日時が同じ\n"
    "               ファイルは記録済みのものを使う)\n"
    "  --rehash     すべてのファイルを読み直してチェックサムを作り直す\n"
    "  -j, --json   JSON Lines: 変わったところ一件ごとに一行\n"
    "               {\"change\": \"added\"|\"removed\"|\"changed\", \"path\": ...}\n";
const char* const kDupesUsage =
    "使い方: zutomelark-cli [--data フォルダ] dupes [-s 名前]... [--min-size サイズ]\n"
    "        [-b name+size|size|content] [--csv ファイル] [-j]\n"
    "  同じ名前と大きさ (または同じ大きさ、同じ内容) のファイルを、ストックをまたいで\n"
    "  探します。content は記録したチェックサムと大きさで比べ、チェックサムのない\n"
    "  ファイルは除いてその数を標準エラーに表示します。\n"
    "  件数の多いグループから順に、一行に グループ番号・サイズ・パス をタブ区切りで\n"
    "  表示します (サイズは画面と同じ KB。正確なバイト数は --json で)。\n"
    "  -s, --stock 名前     このストックだけを調べる (繰り返して複数)\n"
    "  --min-size サイズ    これより小さいファイルは除く (KB・MB・GB も可、既定 1)\n"
    "  -b, --by             name+size (既定)、size または content\n"
    "  --csv ファイル       検索結果の CSV と同じ形式で書く (- は標準出力)\n"
    "  -j, --json           JSON Lines: ファイル一件ごとに一行 (グループ番号、正確な\n"
    "                       バイト数、ISO 8601 の日時)\n";

const char* const kIndexUsage =
    "使い方: zutomelark-cli [--data フォルダ] index [ストック...] [--check] [-j]\n"
    "  ストックの名前索引 (Data/Index) を作ります。ないもの・古いもの・壊れているものを\n"
    "  作り直し、ストックを省略するとすべてのストックが対象です。\n"
    "  --check     作らずに状態 (最新・なし・古い・壊れている) を表示する\n"
    "              (索引がない・古いものがあれば終了ステータス 1、壊れているものが\n"
    "              あれば 6)\n"
    "  -j, --json  JSON Lines: {\"stock\": ..., \"state\": \"fresh\"|\"missing\"|\"stale\"|\n"
    "              \"damaged\"|\"built\"}\n";

int runIndex(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    const StockLibrary library(dataDir);
    const auto names = library.names();
    if (!names.ok()) return report(names);
    std::vector<std::string> stocks = args.positional;
    for (const std::string& s : stocks)
        if (std::find(names.value.begin(), names.value.end(), s) == names.value.end())
            return report(StockResult::fail(StockFailure::NoSuchStock, messageNoSuchStock(s)));
    if (stocks.empty()) stocks = names.value;
    // The words shown, and the keys JSON gives, in IndexState's order.
    static const char* const kStates[] = {"最新", "なし", "古い", "壊れている"};
    static const char* const kStateKeys[] = {"fresh", "missing", "stale", "damaged"};
    const bool json = args.has("json");
    const auto row = [json](const std::string& stock, const char* word, const char* key) {
        if (json)
            out() << JsonLine().text("stock", stock).text("state", key).line();
        else
            out() << escapeName(stock) << '\t' << word << '\n';
    };
    int status = kOk;
    std::vector<SummaryStock> built; // the catalogue summary follows the indexes built
    for (const std::string& s : stocks) {
        if (!library.stockFile(s)) continue; // a name that may not name a file has no index
        const IndexState state = indexState(dataDir, s, IndexCheck::Thorough);
        if (args.has("check")) {
            row(s, kStates[int(state)], kStateKeys[int(state)]);
            // Missing or old is nothing wrong, only not done; damaged is a file fault.
            if (state == IndexState::Damaged)
                status = kFileError;
            else if (state != IndexState::Fresh && status == kOk)
                status = kNothingFound;
        } else if (state != IndexState::Fresh) {
            errno = 0;
            if (buildIndex(dataDir, s, &built)) {
                row(s, "作成", "built");
            } else {
                const int err = errno;
                (void)report(sideFileFailure(indexFilePath(dataDir, s), err));
                status = kFileError;
            }
        }
    }
    if (!args.has("check")) refreshSummary(dataDir, names.value, std::move(built));
    return status;
}

int runInfo(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.size() != 1) return usageError("info", "ストックを一つ指定してください");
    const auto info = StockLibrary(dataDir).info(args.positional[0]);
    if (!info.ok()) return report(info);
    const StockInfo& i = info.value;
    if (args.has("json")) {
        JsonLine line;
        line.text("name", args.positional[0])
            .flag("recorded", i.fromSideFile)
            .text("source", i.source)
            .text("label", i.label)
            .text("filesystem", i.fileSystem)
            .time("captured", i.captured)
            .number("folders", i.folders)
            .number("files", i.files)
            .number("bytes", i.bytes);
        for (const auto& [key, value] :
             {std::pair{"volumeSize", i.volumeSize}, std::pair{"volumeFree", i.volumeFree}})
            value ? (void)line.number(key, *value) : (void)line.json(key, "null");
        line.time("verified", i.lastVerify ? i.lastVerify->when : FileTime{})
            .text("lastVerify", verifyText(i.lastVerify));
        out() << line.text("note", i.note).line();
        return kOk;
    }
    out() << "ストック名: " << escapeName(args.positional[0]) << '\n';
    for (const auto& [caption, text] : stockInfoTexts(i))
        out() << caption << ": " << escapeMessage(text) << '\n';
    return kOk;
}

int runNote(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.size() != 2) return usageError("note", "ストックとメモを指定してください");
    return report(StockLibrary(dataDir).setNote(args.positional[0], args.positional[1]));
}

int runUpdate(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    const auto& p = args.positional;
    if (p.empty() || p.size() > 2)
        return usageError("update", "ストックと、あればパスを指定してください");
    StockLibrary library(dataDir);
    const auto source = p.size() > 1 ? std::optional<std::filesystem::path>(p[1]) : std::nullopt;
    ChecksumOptions checksums;
    if (args.has("checksums") || args.has("rehash"))
        checksums.mode = args.has("rehash") ? ChecksumMode::Rehash : ChecksumMode::Add;
    ContentProgressLine progress(false);
    checksums.content = progress.callbacks();
    const auto update = library.prepareUpdate(p[0], source, {}, checksums);
    if (!update.ok()) return report(update);
    const StockDiff& d = update.value.diff;
    const bool json = args.has("json");
    for (const StockChange& c : d.changes) {
        if (json) {
            std::string path = "\\" + p[0];
            for (const std::string& part : c.parts)
                path += "\\" + part;
            static const char* const kKinds[] = {"added", "removed", "changed"};
            out() << JsonLine()
                         .text("change", kKinds[int(c.kind)])
                         .flag("folder", c.isFolder)
                         .text("stock", p[0])
                         .json("parts", jsonStrings(c.parts))
                         .text("path", path)
                         .line();
            continue;
        }
        out() << changeMark(c.kind) << "\\" << escapeName(p[0]);
        for (const std::string& part : c.parts)
            out() << "\\" << escapeName(part);
        out() << '\n';
    }
    (void)out().flush();
    std::cerr << "追加 " << d.added << "、削除 " << d.removed << "、変更 " << d.changed << '\n';
    if (update.value.unreadableFiles > 0)
        printError("読めないファイル " + std::to_string(update.value.unreadableFiles) +
                   " 個は読めないと記録しました");
    if (args.has("dry-run") || (d.empty() && !update.value.sumsChanged)) return kOk;
    return report(library.applyUpdate(update.value));
}


std::string dupePath(const DupeFile& f) {
    std::string path = "\\" + escapeName(f.stock);
    for (const std::string& folder : f.folders.names())
        path += "\\" + escapeName(folder);
    return path + "\\" + escapeName(f.name);
}

int runDupes(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (!args.positional.empty()) return usageError("dupes", "引数は要りません");
    DupeRequest request;
    if (const auto m = args.value("min-size")) {
        const auto size = parseSizeValue(*m);
        if (!size) return usageError("dupes", "サイズの指定が正しくありません: " + *m);
        request.minSize = *size;
    }
    if (const auto by = args.value("by")) {
        const auto key = pickWord<DupeKey>(
            *by, {{"name+size", DupeKey::NameAndSize}, {"size", DupeKey::Size},
                  {"content", DupeKey::Content}});
        if (!key) return usageError("dupes", "--by は name+size、size、content のどれかです: " + *by);
        request.key = *key;
    }
    const StockLibrary library(dataDir);
    if (const auto failed = chooseStocks(dataDir, args, request.stocks)) return *failed;

    uint64_t unchecked = 0;
    request.unchecked = &unchecked;
    const auto groups = findDuplicates(library, request);
    if (!groups.ok()) return report(groups);
    if (unchecked > 0)
        printError("チェックサムのないファイル " + std::to_string(unchecked) + " 個は除きました");
    const auto csv = args.value("csv");
    const bool json = args.has("json");
    if (csv != "-") { // "-": standard output holds the CSV alone
        for (size_t g = 0; g < groups.value.size() && !out().failed(); ++g)
            for (const DupeFile& f : groups.value[g].files) {
                if (json) {
                    out() << JsonLine()
                                 .number("group", g + 1)
                                 .text("stock", f.stock)
                                 .json("folders", jsonStrings(f.folders.names()))
                                 .text("name", f.name)
                                 .text("path", dupeHit(f).path())
                                 .number("size", f.size)
                                 .time("created", f.created)
                                 .time("modified", f.modified)
                                 .line();
                } else {
                    out() << std::to_string(g + 1) << '\t' << makeCells(dupeHit(f)).size << '\t'
                          << dupePath(f) << '\n';
                }
            }
    }
    // Each line is made as the file is written: a deep stock's paths never sit in memory together.
    const auto write = [&groups](const CsvSink& sink) { return writeDupesCsv(groups.value, sink); };
    if (csv) {
        if (const auto failed = writeCsvOutput(*csv, write)) return *failed;
    }
    return groups.value.empty() ? kNothingFound : kOk;
}

} // namespace

void addInfoCommands(std::vector<Command>& out) {
    out.push_back({"info", kInfoUsage, {{"json", false}}, runInfo});
    out.push_back({"index", kIndexUsage, {{"check", false}, {"json", false}}, runIndex});
    out.push_back({"note", kNoteUsage, {}, runNote});
    out.push_back({"update",
                   kUpdateUsage,
                   {{"dry-run", false}, {"checksums", false}, {"rehash", false}, {"json", false}},
                   runUpdate});
    out.push_back(
        {"dupes",
         kDupesUsage,
         {{"stock", true}, {"min-size", true}, {"by", true}, {"csv", true}, {"json", false}},
         runDupes});
}

} // namespace zt::cli
