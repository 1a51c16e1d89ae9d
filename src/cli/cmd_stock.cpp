// show, export, rename, delete and move: one stock's contents and its place in the list.
#include "browser/contents.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/sizes.h"
#include "cli/status.h"
#include "library/stocklibrary.h"
#include "manage/export.h"

#include <iostream>
#include <unistd.h>

namespace zt::cli {

namespace {

const char* const kShowUsage =
    "使い方: zutomelark-cli [--data フォルダ] show ストック [フォルダ] [--by-kind] [--sizes]\n"
    "        [--sort name|kind|size] [--json]\n"
    "  フォルダ (ストックの一番上から \\a\\b と書く。省略時は一番上) の中身を、\n"
    "  サブフォルダを先に (末尾に \\ を付けて)、名前順か種類順で表示します。\n"
    "  フォルダは名前が一致するもの、なければ大文字・小文字だけが違う一つを選びます。\n"
    "  -k, --by-kind  種類順に並べる (--sort kind と同じ)\n"
    "  -s, --sizes    大きさ (フォルダは中の合計) と、フォルダの中での割合を前に付ける\n"
    "                 (バイト数、割合、名前をタブで区切る)\n"
    "  --sort         name: 名前順 (既定)、kind: 種類順、size: 大きい順\n"
    "  --json         一行に一つの JSON オブジェクト (名前、フォルダか、大きさ、日時。\n"
    "                 --sizes では合計 total と千分率 share も)\n";
const char* const kExportUsage =
    "使い方: zutomelark-cli [--data フォルダ] export ストック 出力先 [--folder \\a\\b]\n"
    "        [--kind files|folders|both] [--range tree|folder|stock] [--strip-ext]\n"
    "  ストックのファイル名・フォルダ名をテキストファイルに書き出します\n"
    "  (CP932、CR LF。出力先 - は標準出力)\n"
    "  -f, --folder     始めるフォルダ (ストックの一番上から。省略時は一番上)\n"
    "  -k, --kind       書き出す対象 (既定は files)\n"
    "  -r, --range      tree: フォルダとサブフォルダ (既定)、folder: そのフォルダだけ、\n"
    "                   stock: ストック全体\n"
    "  -x, --strip-ext  ファイル名の最後の拡張子を消す\n";
const char* const kRenameUsage = "使い方: zutomelark-cli [--data フォルダ] rename 旧名 新名\n"
                                 "  ストックの名前 (ファイルと一覧の項目) を変えます\n";
const char* const kDeleteUsage = "使い方: zutomelark-cli [--data フォルダ] delete ストック\n"
                                 "  ストックを一覧から外し、ファイルを削除します (確認しません)\n";
const char* const kMoveUsage =
    "使い方: zutomelark-cli [--data フォルダ] move ストック up|down\n"
    "  一覧の中でストックを一つ上か下へ移します (端にあるときは終了ステータス 1)\n";

int runShow(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.empty() || args.positional.size() > 2) return usageError("show");
    const std::string& stock = args.positional[0];
    const std::string folder = args.positional.size() > 1 ? args.positional[1] : std::string();
    const auto opened = StockLibrary(dataDir).open(stock);
    if (!opened.ok()) return report(opened);
    const FolderNode* node = findFolder(opened.value.tree, folder);
    if (!node)
        return report(StockResult::fail(StockFailure::NoSuchFolder, messageNoSuchFolder(folder)));

    const auto sort = pickWord<char>(args.value("sort").value_or("name"),
                                     {{"name", 'n'}, {"kind", 'k'}, {"size", 's'}});
    if (!sort) return usageError("show");
    auto items = listContents(*node, [](std::string_view) { return 2; });
    sortContents(items,
                 args.has("by-kind") || *sort == 'k' ? Arrangement::ByKind : Arrangement::ByName);
    const bool json = args.has("json");
    if (args.has("sizes") || *sort == 's') {
        const FolderSizes sizes(opened.value.tree);
        if (*sort == 's') sortBySize(items, sizes);
        if (args.has("sizes")) {
            std::cout << sizedLines(items, sizes, sizes.bytesOf(*node), json) << std::flush;
            return std::cout.good() ? kOk : kFileError;
        }
    }
    std::string out;
    for (const ContentsItem& item : items) {
        if (json) {
            const FileTime created = item.file ? item.file->created : item.folder->created;
            const FileTime modified = item.file ? item.file->modified : item.folder->modified;
            out += "{\"name\":" + jsonString(item.caption) +
                   ",\"folder\":" + (item.isFolder() ? "true" : "false") +
                   ",\"size\":" + std::to_string(item.file ? item.file->size : 0) +
                   ",\"created\":" + jsonTime(created) + ",\"modified\":" + jsonTime(modified) +
                   "}\n";
        } else {
            out += escapeName(item.caption);
            if (item.isFolder()) out += '\\';
            out += '\n';
        }
    }
    std::cout << out << std::flush;
    return std::cout.good() ? kOk : kFileError;
}

int runExport(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    const Command& self = commandNamed("export");
    if (args.positional.size() != 2) return usageError(self);
    ExportOptions options;
    options.stripExtensions = args.has("strip-ext");
    if (const auto k = args.value("kind")) {
        const auto kind = pickWord<ExportKind>(*k, {{"files", ExportKind::Files},
                                                    {"folders", ExportKind::Folders},
                                                    {"both", ExportKind::Both}});
        if (!kind) return usageError(self);
        options.kind = *kind;
    }
    if (const auto r = args.value("range")) {
        const auto range = pickWord<ExportRange>(*r, {{"tree", ExportRange::FolderAndBelow},
                                                      {"folder", ExportRange::FolderOnly},
                                                      {"stock", ExportRange::WholeStock}});
        if (!range) return usageError(self);
        options.range = *range;
    }
    const StockLibrary library(dataDir);
    const auto opened = library.open(args.positional[0]);
    if (!opened.ok()) return report(opened);
    const std::string folder = args.value("folder").value_or("");
    const FolderNode* start = findFolder(opened.value.tree, folder);
    if (!start)
        return report(StockResult::fail(StockFailure::NoSuchFolder, messageNoSuchFolder(folder)));
    const std::string& out = args.positional[1];
    if (out == "-") {
        std::cout << fileNameListBytes(opened.value.tree, start, options) << std::flush;
        return std::cout.good() ? kOk : kFileError;
    }
    return report(library.exportNames(opened.value.tree, start, options, out));
}

int runRename(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.size() != 2) return usageError("rename");
    return report(StockLibrary(dataDir).rename({args.positional[0]}, args.positional[1]));
}

int runDelete(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.size() != 1) return usageError("delete");
    return report(StockLibrary(dataDir).remove({args.positional[0]}));
}

int runMove(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    const auto& p = args.positional;
    if (p.size() != 2 || (p[1] != "up" && p[1] != "down")) return usageError("move");
    const auto dir = p[1] == "up" ? MoveDirection::Up : MoveDirection::Down;
    return report(StockLibrary(dataDir).move({p[0]}, dir));
}

} // namespace

void addStockCommands(std::vector<Command>& out) {
    out.push_back(
        {"show",
         kShowUsage,
         {{"by-kind", 'k', false}, {"sizes", 's', false}, {"sort", 0, true}, {"json", 0, false}},
         runShow});
    out.push_back({"export",
                   kExportUsage,
                   {{"folder", 'f', true},
                    {"kind", 'k', true},
                    {"range", 'r', true},
                    {"strip-ext", 'x', false}},
                   runExport});
    out.push_back({"rename", kRenameUsage, {}, runRename});
    out.push_back({"delete", kDeleteUsage, {}, runDelete});
    out.push_back({"move", kMoveUsage, {}, runMove});
}

} // namespace zt::cli
