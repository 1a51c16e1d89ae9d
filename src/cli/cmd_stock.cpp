// show, export, rename, delete and move: one stock's contents and its place in the list.
#include "browser/contents.h"
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/sizes.h"
#include "cli/status.h"
#include "cli/writer.h"
#include "library/stocklibrary.h"
#include "manage/export.h"

#include <unistd.h>

namespace zt::cli {

namespace {

const char* const kShowUsage =
    "使い方: zutomelark-cli [--data フォルダ] show ストック [フォルダ] [-K] [--sizes]\n"
    "        [--sort name|kind|size] [-j | -0]\n"
    "  フォルダ (ストックの一番上から \\a\\b または /a/b と書く。省略時は一番上) の\n"
    "  中身を、サブフォルダを先に (末尾に \\ を付けて)、名前順か種類順で表示します。\n"
    "  フォルダは名前が一致するもの、なければ大文字・小文字だけが違う一つを選びます。\n"
    "  -K, --by-kind  種類順に並べる (--sort kind と同じ)\n"
    "  --sizes        大きさ (フォルダは中の合計) と、フォルダの中での割合を前に付ける\n"
    "                 (バイト数、割合、名前をタブで区切る)\n"
    "  --sort         name: 名前順 (既定)、kind: 種類順、size: 大きい順\n"
    "  -j, --json     JSON Lines: 一行に一つの JSON オブジェクト (名前、フォルダか、\n"
    "                 正確なバイト数、ISO 8601 の日時。--sizes では合計 total と\n"
    "                 千分率 share も)\n"
    "  -0, --print0   名前を元のバイトのまま NUL で区切って書く (フォルダは末尾に \\)\n";
const char* const kExportUsage =
    "使い方: zutomelark-cli [--data フォルダ] export ストック 出力先 [-f \\a\\b]\n"
    "        [-k files|folders|both] [-r tree|folder|stock] [-x]\n"
    "  ストックのファイル名・フォルダ名をテキストファイルに書き出します\n"
    "  (CP932、CR LF。出力先 - は標準出力)\n"
    "  -f, --folder     始めるフォルダ (ストックの一番上から \\a\\b または /a/b。\n"
    "                   省略時は一番上)\n"
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
    if (args.positional.empty() || args.positional.size() > 2)
        return usageError("show", "ストックと、あればフォルダを指定してください");
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
    const bool json = args.has("json"), print0 = args.has("print0");
    if (json && print0) return usageError("show", "--json と --print0 は一緒に使えません");
    if (args.has("sizes") || *sort == 's') {
        const FolderSizes sizes(opened.value.tree);
        if (*sort == 's') sortBySize(items, sizes);
        if (args.has("sizes")) {
            out() << sizedLines(items, sizes, sizes.bytesOf(*node), json);
            return kOk;
        }
    }
    for (const ContentsItem& item : items) {
        if (json) {
            const FileTime created = item.file ? item.file->created : item.folder->created;
            const FileTime modified = item.file ? item.file->modified : item.folder->modified;
            out() << JsonLine()
                         .text("name", item.caption)
                         .flag("folder", item.isFolder())
                         .number("size", item.file ? item.file->size : 0)
                         .time("created", created)
                         .time("modified", modified)
                         .line();
        } else if (print0) {
            out() << printedRaw(item.caption) << (item.isFolder() ? "\\" : "") << '\0';
        } else {
            out() << escapeName(item.caption) << (item.isFolder() ? "\\" : "") << '\n';
        }
    }
    return kOk;
}

int runExport(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    const Command& self = commandNamed("export");
    if (args.positional.size() != 2) return usageError(self, "ストックと出力先を指定してください");
    ExportOptions options;
    options.stripExtensions = args.has("strip-ext");
    if (const auto k = args.value("kind")) {
        const auto kind = pickWord<ExportKind>(*k, {{"files", ExportKind::Files},
                                                    {"folders", ExportKind::Folders},
                                                    {"both", ExportKind::Both}});
        if (!kind) return usageError(self, "不明な対象です: " + *k);
        options.kind = *kind;
    }
    if (const auto r = args.value("range")) {
        const auto range = pickWord<ExportRange>(*r, {{"tree", ExportRange::FolderAndBelow},
                                                      {"folder", ExportRange::FolderOnly},
                                                      {"stock", ExportRange::WholeStock}});
        if (!range) return usageError(self, "不明な範囲です: " + *r);
        options.range = *range;
    }
    const StockLibrary library(dataDir);
    const auto opened = library.open(args.positional[0]);
    if (!opened.ok()) return report(opened);
    const std::string folder = args.value("folder").value_or("");
    const FolderNode* start = findFolder(opened.value.tree, folder);
    if (!start)
        return report(StockResult::fail(StockFailure::NoSuchFolder, messageNoSuchFolder(folder)));
    const std::string& where = args.positional[1];
    if (where == "-") {
        out() << fileNameListBytes(opened.value.tree, start, options);
        return kOk;
    }
    return report(library.exportNames(opened.value.tree, start, options, where));
}

int runRename(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.size() != 2) return usageError("rename", "旧名と新名を指定してください");
    return report(StockLibrary(dataDir).rename({args.positional[0]}, args.positional[1]));
}

int runDelete(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.size() != 1) return usageError("delete", "ストックを一つ指定してください");
    return report(StockLibrary(dataDir).remove({args.positional[0]}));
}

int runMove(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    const auto& p = args.positional;
    if (p.size() != 2 || (p[1] != "up" && p[1] != "down"))
        return usageError("move", "ストックと up か down を指定してください");
    const auto dir = p[1] == "up" ? MoveDirection::Up : MoveDirection::Down;
    return report(StockLibrary(dataDir).move({p[0]}, dir));
}

} // namespace

void addStockCommands(std::vector<Command>& out) {
    out.push_back(
        {"show",
         kShowUsage,
         {{"by-kind", false}, {"sizes", false}, {"sort", true}, {"json", false}, {"print0", false}},
         runShow});
    out.push_back({"export",
                   kExportUsage,
                   {{"folder", true}, {"kind", true}, {"range", true}, {"strip-ext", false}},
                   runExport});
    out.push_back({"rename", kRenameUsage, {}, runRename});
    out.push_back({"delete", kDeleteUsage, {}, runDelete});
    out.push_back({"move", kMoveUsage, {}, runMove});
}

} // namespace zt::cli
