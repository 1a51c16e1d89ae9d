#include "library/indexstore.h"

#include "library/names.h"
#include "library/sidefiles.h"
#include "platform/datafiles.h"
#include "platform/fileops.h"

#include <cstring>

namespace zt {

std::filesystem::path indexFilePath(const std::filesystem::path& dataDir, std::string_view stock) {
    return sideFilePath(dataDir, kStockIndexFile, stock);
}

IndexState indexState(const std::filesystem::path& dataDir, std::string_view stock,
                      IndexCheck check) {
    const auto stockFile = stockFilePath(dataDir, stock);
    const auto stamp = stockFile ? fileStamp(*stockFile) : std::nullopt;
    const auto path = indexFilePath(dataDir, stock);
    const RandomAccessFile file(path);
    if (!file.ok()) return IndexState::Missing;
    if (!stamp) return IndexState::Stale;
    if (auto index = NameIndex::read(path, *stamp))
        if (check == IndexCheck::Quick || index->checkWhole()) return IndexState::Fresh;
    // Told apart only for the report: a well-formed index of another stamp.
    std::string head;
    if (file.readAt(0, 32, head) && head.size() == 32 && head.starts_with("ZTNIDX01")) {
        FileStamp other;
        std::memcpy(&other.size, head.data() + 16, 8);
        std::memcpy(&other.modifiedNs, head.data() + 24, 8);
        if (other != *stamp) return IndexState::Stale;
    }
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
    const auto stockFile = stockFilePath(dataDir, stock);
    const auto stamp = stockFile ? fileStamp(*stockFile) : std::nullopt;
    if (!stamp) return std::nullopt;
    return NameIndex::read(indexFilePath(dataDir, stock), *stamp);
}

} // namespace zt
