#include "library/indexstore.h"

#include "library/names.h"
#include "library/sidefiles.h"
#include "platform/mappedfile.h"

#include <cstring>

namespace zt {

std::filesystem::path indexFilePath(const std::filesystem::path& dataDir, std::string_view stock) {
    return sideFilePath(dataDir, kStockIndexFile, stock);
}

IndexState indexState(const std::filesystem::path& dataDir, std::string_view stock) {
    const auto stockFile = stockFilePath(dataDir, stock);
    const auto stamp = stockFile ? fileStamp(*stockFile) : std::nullopt;
    MappedFile file(indexFilePath(dataDir, stock));
    if (!file.ok()) return IndexState::Missing;
    if (!stamp) return IndexState::Stale;
    if (NameIndex::open(file.bytes(), *stamp)) return IndexState::Fresh;
    // Told apart only for the report: a well-formed index of another stamp.
    FileStamp other;
    const auto bytes = file.bytes();
    if (bytes.size() >= 32) {
        std::memcpy(&other.size, bytes.data() + 16, 8);
        std::memcpy(&other.modifiedNs, bytes.data() + 24, 8);
        if (other != *stamp && bytes.starts_with("ZTNIDX01")) return IndexState::Stale;
    }
    return IndexState::Damaged;
}

bool buildIndex(const std::filesystem::path& dataDir, std::string_view stock) {
    const auto stockFile = stockFilePath(dataDir, stock);
    return stockFile && writeNameIndex(*stockFile, indexFilePath(dataDir, stock));
}

std::optional<NameIndex> openIndex(const std::filesystem::path& dataDir, std::string_view stock) {
    const auto stockFile = stockFilePath(dataDir, stock);
    const auto stamp = stockFile ? fileStamp(*stockFile) : std::nullopt;
    if (!stamp) return std::nullopt;
    return NameIndex::read(indexFilePath(dataDir, stock), *stamp);
}

} // namespace zt
