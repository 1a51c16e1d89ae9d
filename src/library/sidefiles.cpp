#include "library/sidefiles.h"

#include "platform/datafiles.h"
#include "platform/fileops.h"

#include <string>
#include <unordered_set>

namespace zt {

namespace {
constexpr SideFileKind kKinds[] = {kStockInfoFile, kStockIndexFile, kStockChecksumFile,
                                   kStockHistoryFile};
} // namespace

std::filesystem::path sideFilePath(const std::filesystem::path& dataDir, SideFileKind kind,
                                   std::string_view name) {
    return dataDir / kind.folder / (std::string(name) + kind.extension);
}

void linkSideFiles(const std::filesystem::path& dataDir, std::string_view oldName,
                   std::string_view newName) {
    for (const SideFileKind& k : kKinds) {
        const auto to = sideFilePath(dataDir, k, newName);
        // Never leave another stock's facts under the new name.
        if (!linkSideFile(sideFilePath(dataDir, k, oldName), to)) (void)removeSideFile(to);
    }
}

void renameSideFiles(const std::filesystem::path& dataDir, std::string_view oldName,
                     std::string_view newName) {
    for (const SideFileKind& k : kKinds)
        (void)renameSideFile(sideFilePath(dataDir, k, oldName), sideFilePath(dataDir, k, newName));
}

void removeSideFiles(const std::filesystem::path& dataDir, std::string_view name) {
    for (const SideFileKind& k : kKinds)
        (void)removeSideFile(sideFilePath(dataDir, k, name));
}

void removeOrphanSideFiles(const std::filesystem::path& dataDir,
                           const std::vector<std::string>& listed) {
    const std::unordered_set<std::string> names(listed.begin(), listed.end());
    for (const SideFileKind& k : kKinds) {
        const std::string_view ext = k.extension;
        for (const std::string& file : sideFileNames(dataDir / k.folder)) {
            if (file.size() <= ext.size() || !file.ends_with(ext)) continue;
            const std::string stock = file.substr(0, file.size() - ext.size());
            if (names.count(stock) || existsInAnyForm(dataDir / (stock + ".dat"))) continue;
            (void)removeSideFile(dataDir / k.folder / file);
        }
    }
}

} // namespace zt
