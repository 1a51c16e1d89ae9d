#include "library/indexstore.h"

#include "library/names.h"
#include "library/sidefiles.h"

#include <cstring>

namespace zt {

std::filesystem::path indexFilePath(const std::filesystem::path& dataDir, std::string_view stock) {
    return sideFilePath(dataDir, kStockIndexFile, stock);
}

IndexState indexState(const std::filesystem::path& dataDir, std::string_view stock) {
    const auto stockFile = stockFilePath(dataDir, stock);
    const auto stamp = stockFile ? stampOf(*stockFile) : std::nullopt;
    MappedFile file(indexFilePath(dataDir, stock));
    if (!file.ok()) return IndexState::Missing;
    if (!stamp) return IndexState::Stale;
    if (NameIndex::open(file.bytes(), *stamp)) return IndexState::Fresh;
    // Told apart only for the report: a well-formed index of another stamp.
    StockStamp other;
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

std::optional<LoadedIndex> openIndex(const std::filesystem::path& dataDir, std::string_view stock) {
    const auto stockFile = stockFilePath(dataDir, stock);
    const auto stamp = stockFile ? stampOf(*stockFile) : std::nullopt;
    if (!stamp) return std::nullopt;
    MappedFile file(indexFilePath(dataDir, stock));
    if (!file.ok()) return std::nullopt;
    auto index = NameIndex::open(file.bytes(), *stamp);
    if (!index) return std::nullopt;
    // The mapping moves with its pointer unchanged, so the index's views stay valid.
    return LoadedIndex{std::move(file), std::move(*index)};
}

} // namespace zt
