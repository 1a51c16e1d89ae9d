#include "library/checksumstore.h"

#include "catalogue/stockpath.h"
#include "library/sidefiles.h"
#include "platform/datafiles.h"
#include "platform/fileops.h"

namespace zt {

namespace {

std::optional<SumStamp> stampOf(const std::filesystem::path& dataDir, std::string_view name) {
    const auto path = stockFilePath(dataDir, name);
    const auto stamp = path ? fileStamp(*path) : std::nullopt;
    if (!stamp) return std::nullopt;
    return SumStamp{stamp->size, stamp->modifiedNs};
}

} // namespace

SumsState loadChecksums(const std::filesystem::path& dataDir, std::string_view name,
                        ChecksumSet& out) {
    out = ChecksumSet();
    const auto file = sideFilePath(dataDir, kStockChecksumFile, name);
    const auto stamp = stampOf(dataDir, name);
    if (!stamp) return SumsState::Missing;
    // Read no further than a file for this stock could need, whatever it holds.
    const auto bytes = readSideFile(file, maxChecksumFileBytes(stamp->size) + 1);
    if (!bytes) return existsInAnyForm(file) ? SumsState::Unusable : SumsState::Missing;
    if (bytes->size() > maxChecksumFileBytes(stamp->size) ||
        parseChecksums(*bytes, maxRecordsOfStock(stamp->size), out) != ChecksumParse::Ok ||
        out.stamp != *stamp) {
        out = ChecksumSet();
        return SumsState::Unusable;
    }
    return SumsState::Usable;
}

bool saveChecksums(const std::filesystem::path& dataDir, std::string_view name, ChecksumSet& set) {
    const auto stamp = stampOf(dataDir, name);
    if (!stamp) return false;
    set.stamp = *stamp;
    return writeSideFile(sideFilePath(dataDir, kStockChecksumFile, name), serializeChecksums(set));
}

void removeChecksums(const std::filesystem::path& dataDir, std::string_view name) {
    (void)removeSideFile(sideFilePath(dataDir, kStockChecksumFile, name));
}

} // namespace zt
