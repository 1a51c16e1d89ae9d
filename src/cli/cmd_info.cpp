// info, note, update and dupes: facts about stocks, refreshing one, and what is stored twice.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/progress.h"
#include "cli/status.h"
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
    "使い方: zutomelark-cli [--data フォルダ] info ストック [--json]\n"
    "  ストックの読み込み元・ボリュームラベル・ファイルシステム・種類・読み込み日時・\n"
    "  フォルダ数・ファイル数・合計サイズ・ボリュームの容量と空き・メモを表示します。\n"
    "  分からないものは (不明) と表示します。\n";
const char* const kNoteUsage = "使い方: zutomelark-cli [--data フォルダ] note ストック 文字列\n"
                               "  ストックのメモを設定します (空の文字列で消します)\n";
const char* const kUpdateUsage =
    "使い方: zutomelark-cli [--data フォルダ] update ストック [パス] [--dry-run]\n"
    "        [--checksums [--rehash]]\n"
    "  ストックの読み込み元 (記録されたもの、またはパス) をもう一度読み込み、変わった\n"
    "  ところを一行ずつ表示してストックを置き換えます: + 追加、- 削除、~ 変更。\n"
    "  件数は標準エラーに表示します。読み込みが終わるまで元のストックはそのままです。\n"
    "  -n, --dry-run  変わったところを表示するだけで置き換えない\n"
    "  -c, --checksums 内容のチェックサムを加える・新しくする (サイズと日時が同じ\n"
    "                 ファイルは記録済みのものを使う)\n"
    "  --rehash       すべてのファイルを読み直してチェックサムを作り直す\n";
const char* const kDupesUsage =
    "使い方: zutomelark-cli [--data フォルダ] dupes [--stock 名前]... [--min-size サイズ]\n"
    "        [--by name+size|size|content] [--csv ファイル]\n"
    "  同じ名前と大きさ (または同じ大きさ、同じ内容) のファイルを、ストックをまたいで\n"
    "  探します。content は記録したチェックサムと大きさで比べ、チェックサムのない\n"
    "  ファイルは除いてその数を標準エラーに表示します。\n"
    "  件数の多いグループから順に、一行に グループ番号・サイズ・パス をタブ区切りで\n"
    "  表示します。\n"
    "  -s, --stock 名前     このストックだけを調べる (繰り返して複数)\n"
    "  -m, --min-size サイズ これより小さいファイルは除く (KB・MB・GB も可、既定 1)\n"
    "  -b, --by             name+size (既定)、size または content\n"
    "  --csv ファイル       検索結果の CSV と同じ形式で書く (- は標準出力)\n";

const char* const kIndexUsage =
    "使い方: zutomelark-cli [--data フォルダ] index [ストック...] [--check]\n"
    "  ストックの名前索引 (Data/Index) を作ります。ないもの・古いもの・壊れているものを\n"
    "  作り直し、ストックを省略するとすべてのストックが対象です。\n"
    "  -c, --check  作らずに状態 (fresh・missing・stale・damaged) を表示する\n"
    "               (すべて fresh でなければ終了ステータス 6)\n";

int runIndex(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    const StockLibrary library(dataDir);
    const auto names = library.names();
    if (!names.ok()) return report(names);
    std::vector<std::string> stocks = args.positional;
    for (const std::string& s : stocks)
        if (std::find(names.value.begin(), names.value.end(), s) == names.value.end())
            return report(StockResult::fail(StockFailure::NoSuchStock, messageNoSuchStock(s)));
    if (stocks.empty()) stocks = names.value;
    static const char* const kStates[] = {"fresh", "missing", "stale", "damaged"};
    int status = kOk;
    std::string out;
    for (const std::string& s : stocks) {
        if (!library.stockFile(s)) continue; // a name that may not name a file has no index
        const IndexState state = indexState(dataDir, s, IndexCheck::Thorough);
        if (args.has("check")) {
            out += escapeName(s) + '\t' + kStates[int(state)] + '\n';
            if (state != IndexState::Fresh) status = kFileError;
        } else if (state != IndexState::Fresh) {
            errno = 0;
            if (buildIndex(dataDir, s)) {
                out += escapeName(s) + "\tbuilt\n";
            } else {
                const int err = errno;
                (void)report(sideFileFailure(indexFilePath(dataDir, s), err));
                status = kFileError;
            }
        }
    }
    std::cout << out << std::flush;
    return status;
}

int runInfo(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.size() != 1) return usageError("info");
    const auto info = StockLibrary(dataDir).info(args.positional[0]);
    if (!info.ok()) return report(info);
    const StockInfo& i = info.value;
    if (args.has("json")) {
        const auto opt = [](const std::optional<uint64_t>& v) {
            return v ? std::to_string(*v) : std::string("null");
        };
        std::cout << "{\"name\":" << jsonString(args.positional[0])
                  << ",\"recorded\":" << (i.fromSideFile ? "true" : "false")
                  << ",\"source\":" << jsonString(i.source) << ",\"label\":" << jsonString(i.label)
                  << ",\"filesystem\":" << jsonString(i.fileSystem)
                  << ",\"captured\":" << jsonTime(i.captured) << ",\"folders\":" << i.folders
                  << ",\"files\":" << i.files << ",\"bytes\":" << i.bytes
                  << ",\"volumeSize\":" << opt(i.volumeSize)
                  << ",\"volumeFree\":" << opt(i.volumeFree)
                  << ",\"verified\":" << jsonTime(i.lastVerify ? i.lastVerify->when : FileTime{})
                  << ",\"lastVerify\":" << jsonString(verifyText(i.lastVerify))
                  << ",\"note\":" << jsonString(i.note)
                  << "}\n";
        return kOk;
    }
    std::string out = "ストック名: " + escapeName(args.positional[0]) + '\n';
    for (const auto& [caption, text] : stockInfoTexts(i))
        out += caption + ": " + escapeMessage(text) + '\n';
    std::cout << out << std::flush;
    return kOk;
}

int runNote(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.size() != 2) return usageError("note");
    return report(StockLibrary(dataDir).setNote(args.positional[0], args.positional[1]));
}

int runUpdate(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    const auto& p = args.positional;
    if (p.empty() || p.size() > 2) return usageError("update");
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
    std::string out;
    for (const StockChange& c : d.changes) {
        out += changeMark(c.kind);
        out += "\\" + escapeName(p[0]);
        for (const std::string& part : c.parts)
            out += "\\" + escapeName(part);
        out += '\n';
        if (out.size() > 65536) {
            std::cout << out;
            out.clear();
        }
    }
    std::cout << out << std::flush;
    std::cerr << "追加 " << d.added << "、削除 " << d.removed << "、変更 " << d.changed << '\n';
    if (update.value.unreadableFiles > 0)
        printError("読めないファイル " + std::to_string(update.value.unreadableFiles) +
                   " 個は読めないと記録しました");
    if (args.has("dry-run") || (d.empty() && !update.value.sumsChanged)) return kOk;
    return report(library.applyUpdate(update.value));
}

std::string dupePath(const DupeFile& f) {
    std::string out = "\\" + escapeName(f.stock);
    for (const std::string& folder : f.folders.names())
        out += "\\" + escapeName(folder);
    return out + "\\" + escapeName(f.name);
}

int runDupes(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (!args.positional.empty()) return usageError("dupes");
    DupeRequest request;
    if (const auto m = args.value("min-size")) {
        const auto size = parseSizeValue(*m);
        if (!size) return printError("サイズの指定が正しくありません: " + *m), usageError("dupes");
        request.minSize = *size;
    }
    if (const auto by = args.value("by")) {
        const auto key = pickWord<DupeKey>(
            *by, {{"name+size", DupeKey::NameAndSize}, {"size", DupeKey::Size},
                  {"content", DupeKey::Content}});
        if (!key) return usageError("dupes");
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
    if (csv != "-") { // "-": standard output holds the CSV alone
        std::string out;
        for (size_t g = 0; g < groups.value.size(); ++g)
            for (const DupeFile& f : groups.value[g].files) {
                out += std::to_string(g + 1) + '\t' + std::to_string(f.size) + '\t' + dupePath(f) +
                       '\n';
                if (out.size() > 65536) std::cout << out, out.clear();
            }
        std::cout << out << std::flush;
    }
    // Each line is made as the file is written: a deep stock's paths never sit in memory together.
    const auto write = [&groups](const CsvSink& sink) {
        static constexpr std::string_view kHeader[] = {
            "グループ", "ファイル・フォルダ名", "パス", "サイズ", "作成日時", "更新日時"};
        CsvWriter file(sink, kHeader);
        for (size_t g = 0; g < groups.value.size(); ++g)
            for (const DupeFile& f : groups.value[g].files) {
                SearchHit hit;
                hit.name = f.name;
                hit.stock = f.stock;
                hit.parent = f.folders;
                hit.size = f.size;
                hit.created = f.created;
                hit.modified = f.modified;
                const ResultCells c = makeCells(hit);
                file.row({std::to_string(g + 1), c.name, c.path, c.size, c.created, c.modified});
            }
        return file.finish();
    };
    if (csv) {
        if (const auto failed = writeCsvOutput(*csv, write)) return *failed;
    }
    return groups.value.empty() ? kNothingFound : kOk;
}

} // namespace

void addInfoCommands(std::vector<Command>& out) {
    out.push_back({"info", kInfoUsage, {{"json", 0, false}}, runInfo});
    out.push_back({"index", kIndexUsage, {{"check", 'c', false}}, runIndex});
    out.push_back({"note", kNoteUsage, {}, runNote});
    out.push_back({"update",
                   kUpdateUsage,
                   {{"dry-run", 'n', false}, {"checksums", 'c', false}, {"rehash", 0, false}},
                   runUpdate});
    out.push_back(
        {"dupes",
         kDupesUsage,
         {{"stock", 's', true}, {"min-size", 'm', true}, {"by", 'b', true}, {"csv", 0, true}},
         runDupes});
}

} // namespace zt::cli
