#include "library/indexstore.h"

#include "catalogue/stockpath.h"
#include "library/sidefiles.h"
#include "platform/datafiles.h"
#include "platform/fileops.h"

namespace zt {

std::filesystem::path indexFilePath(const std::filesystem::path& dataDir, std::string_view stock) {
    return sideFilePath(dataDir, kStockIndexFile, stock);
}

namespace {

// The stamp of a stock's file as it is now; nullopt when it has none.
std::optional<FileStamp> stockStamp(const std::filesystem::path& dataDir, std::string_view stock) {
    const auto stockFile = stockFilePath(dataDir, stock);
    return stockFile ? fileStamp(*stockFile) : std::nullopt;
}

} // namespace

IndexState indexState(const std::filesystem::path& dataDir, std::string_view stock,
                      IndexCheck check) {
    const auto path = indexFilePath(dataDir, stock);
    if (!RandomAccessFile(path).ok()) return IndexState::Missing;
    const auto stamp = stockStamp(dataDir, stock);
    if (!stamp) return IndexState::Stale;
    if (auto index = NameIndex::read(path, *stamp))
        if (check == IndexCheck::Quick || index->checkWhole()) return IndexState::Fresh;
    // Told apart only for the report: a well-formed header of another stock
    // state or of another version.
    const auto header = readNameIndexHeader(path);
    if (header && (header->version != NameIndexHeader::kVersion || header->stock != *stamp))
        return IndexState::Stale;
    return IndexState::Damaged;
}

bool buildIndex(const std::filesystem::path& dataDir, std::string_view stock) {
    const auto stockFile = stockFilePath(dataDir, stock);
    const auto indexFile = indexFilePath(dataDir, stock);
    // A folder that cannot take the index fails before the stock is read.
    return stockFile && sideFolderWritable(indexFile.parent_path()) &&
           writeNameIndex(*stockFile, indexFile);
}

std::optional<NameIndex> openIndex(const std::filesystem::path& dataDir, std::string_view stock) {
    const auto stamp = stockStamp(dataDir, stock);
    if (!stamp) return std::nullopt;
    return NameIndex::read(indexFilePath(dataDir, stock), *stamp);
}

} // namespace zt
