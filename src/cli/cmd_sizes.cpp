// export-ncdu, and the sizes `show` adds: where a stock's bytes are.
#include "cli/commands.h"
#include "cli/output.h"
#include "cli/sizes.h"
#include "cli/status.h"
#include "library/stocklibrary.h"
#include "manage/ncduexport.h"
#include "platform/version.h"

#include <algorithm>
#include <ctime>

namespace zt::cli {

namespace {

const char* const kExportNcduUsage =
    "使い方: zutomelark-cli [--data フォルダ] export-ncdu ストック [ファイル|-]\n"
    "  ストックを ncdu の JSON 形式で書き出します (省略時と - は標準出力)。\n"
    "  ncdu -f ファイル や gdu -f ファイル で、媒体なしに大きさを見られます。\n"
    "  ファイルの大きさは見かけの大きさと使用量の両方に入ります。\n";

uint64_t bytesOf(const ContentsItem& item, const FolderSizes& sizes) {
    return item.file ? item.file->size : sizes.bytesOf(*item.folder);
}

int runExportNcdu(const std::filesystem::path& dataDir, const ParsedArgs& args) {
    if (args.positional.empty() || args.positional.size() > 2) return usageError("export-ncdu");
    const auto opened = StockLibrary(dataDir).open(args.positional[0]);
    if (!opened.ok()) return report(opened);
    const NcduMetadata metadata{std::string(programVersion()), int64_t(std::time(nullptr))};
    const std::string where = args.positional.size() > 1 ? args.positional[1] : "-";
    if (const auto failed = writeCsvOutput(where, [&](const CsvSink& sink) {
            return writeNcduExport(opened.value.tree, metadata, sink);
        }))
        return *failed;
    return kOk;
}

} // namespace

void sortBySize(std::vector<ContentsItem>& items, const FolderSizes& sizes) {
    std::stable_sort(items.begin(), items.end(), [&](const ContentsItem& a, const ContentsItem& b) {
        return bytesOf(a, sizes) > bytesOf(b, sizes);
    });
}

std::string sizedLines(const std::vector<ContentsItem>& items, const FolderSizes& sizes,
                       uint64_t folderBytes, bool json) {
    std::string out;
    for (const ContentsItem& item : items) {
        const uint64_t bytes = bytesOf(item, sizes);
        const int share = shareThousandths(bytes, folderBytes);
        if (json) {
            const FileTime created = item.file ? item.file->created : item.folder->created;
            const FileTime modified = item.file ? item.file->modified : item.folder->modified;
            out += "{\"name\":" + jsonString(item.caption) +
                   ",\"folder\":" + (item.isFolder() ? "true" : "false") +
                   ",\"size\":" + std::to_string(item.file ? item.file->size : 0) +
                   ",\"total\":" + std::to_string(bytes) + ",\"share\":" + std::to_string(share) +
                   ",\"created\":" + jsonTime(created) + ",\"modified\":" + jsonTime(modified) +
                   "}\n";
        } else {
            out +=
                std::to_string(bytes) + '\t' + shareText(share) + '\t' + escapeName(item.caption);
            if (item.isFolder()) out += '\\';
            out += '\n';
        }
    }
    return out;
}

void addSizesCommands(std::vector<Command>& out) {
    out.push_back({"export-ncdu", kExportNcduUsage, {}, runExportNcdu});
}

} // namespace zt::cli
